// CResultsStream: the Results.xml file of a run as the writer thread writes
// it. The writer hands it whole records only, gathered in its buffer; each
// Write is one write call, so the file always ends at a record boundary (a
// process killed meanwhile leaves no record in part). The stream keeps, for
// the last few of these boundaries, where the file ended and which elements
// were open there.
//
// When a write fails (a full disk answered Cancel, or any other error) the
// part of it that was stored is cut off again, the elements open at the last
// boundary are closed (ClosingText) and nothing more is written: the file is
// well-formed, and ends with the last record that was written whole. Should
// even the closing not fit, the file is cut back one boundary further (which
// frees room) and closed there, up to a few boundaries back.
#pragma once

#include <cstdio>
#include <deque>

#include "pal/pal.h"
#include "report/ReportElement.h"
#include "text/BstrString.h"

class CResultsStream {
public:
    CResultsStream() = default;
    ~CResultsStream();
    CResultsStream(const CResultsStream&) = delete;
    CResultsStream& operator=(const CResultsStream&) = delete;

    // Takes an open stream (which it closes) of the file at path, `size` bytes
    // long, with the elements open at its end. The stream is made unbuffered:
    // bytes reach the file only through Write. When this throws (memory), the
    // stream was not taken.
    void Attach(FILE* file, const WCHAR* path, ULONGLONG size, OpenElements open);
    bool IsOpen() const noexcept { return m_file != nullptr; }

    // Writes whole records in one write (through the disk-space prompt);
    // `openAfter` are the elements open once they are written. False when the
    // write failed: the file has then been ended as described above, the
    // stream is closed, and Error() tells why.
    bool Write(const char* data, size_t size, const OpenElements& openAfter);

    // Ends the file at its last boundary (its open elements closed) because
    // of error, and closes it.
    void End(DWORD error);

    // Closes the file; false (Error() set) when closing fails.
    bool Close();

    // The Win32 error of the failure (ERROR_DISK_FULL after Cancel), 0 before one.
    DWORD Error() const noexcept { return m_error; }
    // The length of the file: what has been written whole.
    ULONGLONG Size() const noexcept { return m_boundaries.empty() ? 0 : m_boundaries.back().size; }

private:
    struct Boundary {
        ULONGLONG size;
        OpenElements open;
    };
    // Ends the file at the latest boundary whose closing can be written.
    void EndAtLastBoundary();
    // One write without a prompt; false (the file cut back to `end`) when it fails.
    bool WriteQuietly(const std::string& bytes, ULONGLONG end);

    FILE* m_file = nullptr;
    CBstrString m_path;
    std::deque<Boundary> m_boundaries; // oldest first; the last is where the file ends
    DWORD m_error = 0;
};
