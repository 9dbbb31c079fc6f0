// Mending a Results.xml that a crash left torn (the logger killed while it
// wrote): the file is cut back to the end of its last complete record, and
// the elements still open there are closed as the end of a run closes them,
// in the logger's own byte forms:
//
//   Step, HtmlStep          "</Step>\r\n", "</HtmlStep>\r\n" (no node
//                           arguments: the logger's values for them are lost)
//   DIter, AIter            "</DIter>\r\n", "</AIter>\r\n"
//   Doc, Action             "<Summary stopped=\"True\" ></Summary>\r\n" and the
//                           end tag: the summary that marks a test or action
//                           the run did not complete
//   BPT, Report             "</BPT>", "</Report>"
//
// A record is what the logger writes at once: a node's leading part (its
// start tag and the elements before its first child), a node's end part (its
// summary, node arguments and end tag), a whole data table or additional
// information, the General element, the prologue with the Report start tag.
// The file is cut where the next record would have begun, so no record is
// kept in part. The repaired file is well-formed and reads complete.
//
// A report whose elements are all closed is intact, also one that leaves
// only its Report element open for a later run to append to (the logger
// ends appended runs so); it is left as it is.
//
// Plain C++: bytes in, a plan out (keep this many bytes, append this text),
// so that the tool and the logger's append can both use it on files of any
// size. Memory grows with the depth of the tree, never with the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results/ByteSource.h"
#include "results/GeneralInfo.h"

namespace results {

struct ReportRepair {
    enum class State {
        Intact,       // nothing to mend
        Repaired,     // cut at `keep` and closed with `closing`
        Unrepairable, // no complete record to keep (cut inside the prologue)
        Foreign,      // not a results file: left alone
    };
    State state = State::Intact;
    uint64_t size = 0;                // bytes of the file
    uint64_t keep = 0;                // bytes kept from its start
    std::string closing;              // the text appended after them
    std::vector<std::string> closed;  // what the closing ends, innermost first ("Step T12", "Report")
    bool markedStopped = false;       // a test or action is marked as not completed
    std::string problem;              // what was wrong, one line ("" when intact)
};

// Reads the whole file and works out its repair.
ReportRepair PlanReportRepair(CByteSource& source);

// The repaired file read as a stream: the first `keep` bytes of the original,
// then the closing text (for writing the repaired file, or reading it, without
// holding it in memory).
class CRepairedByteSource final : public CByteSource {
public:
    CRepairedByteSource(CByteSource& original, const ReportRepair& repair)
        : m_original(original), m_left(repair.keep), m_closing(repair.closing)
    {
    }
    size_t Read(char* buffer, size_t size) override;
    bool Failed() const override { return m_original.Failed() || m_short; }

private:
    CByteSource& m_original;
    uint64_t m_left;      // bytes of the original still to give
    std::string m_closing;
    size_t m_closingAt = 0;
    bool m_short = false; // the original ended before `keep` bytes
};

// The repaired bytes of a file held in memory (the file itself when intact
// or when it cannot be repaired).
std::string RepairReportBytes(const std::string& bytes, ReportRepair* repair = nullptr);

// What GeneralInfo.ini holds, rebuilt from a (complete) report: product,
// version, host, test-management server and project from the General
// element, the test location, Total the highest rID number (so that a run
// appended later continues the numbering), the global iteration from the
// last test's last iteration (-1 without a test). The title, the user name
// and the operating system's number are not in the report: the title stays
// empty, the user name is left out, and the number is found again from the
// operating system's name where the logger knows it (-1 otherwise).
GeneralInfo GeneralInfoFromReport(CByteSource& source);

// GeneralInfo.ini as the logger writes it: UTF-16LE with its byte-order mark,
// CR LF, section [General] with the keys in the logger's order (UserName and
// Password only when a user name is known).
std::string GeneralInfoFileBytes(const GeneralInfo& info);

// Raises the Total of a GeneralInfo.ini to `total` when it is lower (or
// missing), keeping every other line and the file's encoding; false when
// nothing had to change.
bool RaiseGeneralInfoTotal(std::string& bytes, long total);

} // namespace results
