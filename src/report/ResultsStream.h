// CResultsStream: the Results.xml file of a run as the writer thread writes
// it. The writer hands it whole records only, gathered in its buffer; each
// write is one write call, so the file always ends at a record boundary (a
// process killed meanwhile leaves no record in part). The stream keeps, for
// the last few of these boundaries, where the file ended and which elements
// were open there.
//
// A write that fails (a full disk answered Cancel, or any other error) is
// cut off again: the file ends at its last boundary as before. The writer
// may then write as many of the records as still fit, one by one, and End
// the file: the elements open at its last boundary are closed (ClosingText),
// so the file is well-formed and ends with the last record written whole.
// Should even the closing not fit, the file is cut back one boundary further
// (which frees room) and closed there, up to a few boundaries back.
#pragma once

#include <cstdio>
#include <deque>

#include "pal/non_copyable.h"
#include "pal/pal.h"
#include "report/ReportElement.h"
#include "text/BstrString.h"

class CResultsStream : CNonCopyable {
public:
    ~CResultsStream();

    // Takes an open stream (which it closes) of the file at path, `size` bytes
    // long, with the elements open at its end. The stream is made unbuffered:
    // bytes reach the file only through Write. When this throws (memory), the
    // stream was not taken.
    void Attach(FILE* file, const WCHAR* path, ULONGLONG size, OpenElements open);
    bool IsOpen() const noexcept { return m_file != nullptr; }

    // Writes whole records in one write (through the disk-space prompt);
    // `openAfter` are the elements open once they are written. False when the
    // write failed (Error() tells why): the file ends where it ended before.
    bool Write(const char* data, size_t size, const OpenElements& openAfter);
    // The same without the prompt.
    bool WriteQuietly(const char* data, size_t size, const OpenElements& openAfter);

    // Ends the file at its last boundary (its open elements closed) after a
    // failure (error, when none was met yet), and closes it.
    void End(DWORD error = ERROR_WRITE_FAULT);

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
    // One write without a prompt; false (the file cut back to `end`) when it fails.
    bool WriteBytes(const char* data, size_t size, ULONGLONG end);
    // A new last boundary.
    void Add(ULONGLONG size, const OpenElements& open);

    FILE* m_file = nullptr;
    CBstrString m_path;
    std::deque<Boundary> m_boundaries; // oldest first; the last is where the file ends
    DWORD m_error = 0;
};
