// CEventLogReader: the lines of an event log, one at a time. The file is UTF-8
// text (a byte-order mark at the start is skipped); lines end with LF or
// CR LF; lines holding only blanks are skipped. Nothing but the current line
// is held in memory, so logs of any length can be replayed.
#pragma once

#include <cstdio>
#include <string>

#include "pal/non_copyable.h"
#include "pal/pal.h"

class CEventLogReader : CNonCopyable {
public:
    ~CEventLogReader();

    // Opens the file; false with a reason ("No such file or directory") when
    // it cannot be read. A folder is refused too.
    bool Open(const WideString& path, std::string& reason);
    // Reads standard input instead (it is not closed at the end).
    void OpenStandardInput();
    // The next line that is not blank, without its line end, and its line
    // number (1 for the first line of the file). False at the end of the file
    // or after a read error (ReadFailed tells which).
    bool Next(std::string& line, long& lineNumber);
    bool ReadFailed() const { return m_readFailed; }
    // The number of lines that are not blank (for showing progress). Called
    // before the first Next: it reads the file once and starts it over.
    // 0 for standard input, which cannot be read twice.
    long CountEventLines();

private:
    bool ReadLine(std::string& line);
    // Refills the buffer; false at the end of the file or on a read error.
    bool Fill();

    FILE* m_file = nullptr;
    bool m_ownsFile = false;
    long m_lineNumber = 0;
    bool m_readFailed = false;
    char m_buffer[65536];
    size_t m_used = 0;
    size_t m_size = 0;
};

// True when the line holds only blanks (space, tab, CR).
bool IsBlankLine(const std::string& line);
