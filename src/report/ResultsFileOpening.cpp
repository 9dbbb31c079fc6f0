#include "report/ResultsFileOpening.h"

#include <cstring>

#include "fs/FolderServices.h"

namespace {

// Any free byte will do for the results file.
const ULONGLONG kResultsFileThreshold = 1;
const char kReportEnd[] = "</Report>";

ULONGLONG EndOf(FILE* file)
{
    if (_fseeki64(file, 0, SEEK_END) != 0)
        return 0;
    long long end = _ftelli64(file);
    return end > 0 ? static_cast<ULONGLONG>(end) : 0;
}

// Reads `size` bytes at offset into text; false when they cannot be read.
bool ReadAt(FILE* file, ULONGLONG offset, size_t size, std::string& text)
{
    text.assign(size, '\0');
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0 &&
           std::fread(&text[0], 1, size, file) == size;
}

// Cuts the file to `size` bytes and puts the stream at its end.
bool CutTo(FILE* file, ULONGLONG size)
{
    return _chsize_s(_fileno(file), static_cast<long long>(size)) == 0 &&
           _fseeki64(file, static_cast<long long>(size), SEEK_SET) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A report that ended: the offset of its last "</Report>" (only blanks after
// it); false when the file does not end so.
bool FindReportEnd(FILE* file, ULONGLONG size, ULONGLONG& offset)
{
    const size_t tail = static_cast<size_t>(size < 64 ? size : 64);
    std::string text;
    if (!ReadAt(file, size - tail, tail, text))
        return false;
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1]))
        --end;
    const size_t length = sizeof(kReportEnd) - 1;
    if (end < length || text.compare(end - length, length, kReportEnd) != 0)
        return false;
    offset = size - tail + (end - length);
    return true;
}

// Makes the continued file fit to take the new run's records (see the
// header). False when the file cannot be continued: opening.outcome then says
// what to do instead.
bool PrepareToContinue(FILE* file, ResultsFileOpening& opening)
{
    opening.examined = true;
    ULONGLONG reportEnd = 0;
    if (FindReportEnd(file, opening.size, reportEnd)) {
        if (!CutTo(file, reportEnd)) {
            opening.error = ERROR_WRITE_FAULT;
            return false;
        }
        opening.size = reportEnd;
    }
    return true;
}

ResultsFileOpening Refused(DWORD error)
{
    ResultsFileOpening opening;
    opening.outcome = ResultsFileOpening::Outcome::Refused;
    opening.error = error != 0 ? error : ERROR_OPEN_FAILED;
    return opening;
}

} // namespace

ResultsFileOpening OpenResultsFile(const WCHAR* path, bool append, const ULONGLONG* knownSize) noexcept
{
    try {
        if (append) {
            // An existing file: opened without truncating it (opening it needs
            // no space).
            FILE* file = OpenFileWithRetry(path, W("r+b"), false, kResultsFileThreshold);
            if (!file) {
                DWORD error = GetLastError();
                if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                    return Refused(error);
                // None there: a new report below.
            } else {
                ResultsFileOpening opening;
                opening.file = file;
                opening.size = EndOf(file);
                if (opening.size == 0) {
                    // An empty file begins a new report.
                    opening.outcome = ResultsFileOpening::Outcome::New;
                    return opening;
                }
                opening.trusted = knownSize && *knownSize == opening.size;
                if (opening.trusted || PrepareToContinue(file, opening)) {
                    opening.outcome = ResultsFileOpening::Outcome::Continued;
                    _fseeki64(file, static_cast<long long>(opening.size), SEEK_SET);
                    return opening;
                }
                if (opening.outcome == ResultsFileOpening::Outcome::New && CutTo(file, 0)) {
                    opening.size = 0;
                    return opening;
                }
                std::fclose(file);
                return Refused(opening.error);
            }
        }
        FILE* file = OpenFileWithRetry(path, W("wb"), true, kResultsFileThreshold);
        if (!file)
            return Refused(GetLastError());
        ResultsFileOpening opening;
        opening.outcome = ResultsFileOpening::Outcome::New;
        opening.file = file;
        return opening;
    } catch (...) {
        return Refused(ERROR_NOT_ENOUGH_MEMORY);
    }
}
