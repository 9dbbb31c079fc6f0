#include "report/ResultsStream.h"

#include <cerrno>

#include "fs/FolderServices.h"

namespace {

// How many record boundaries the stream remembers.
const size_t kBoundariesKept = 4;

} // namespace

CResultsStream::~CResultsStream() { Close(); }

void CResultsStream::Attach(FILE* file, const WCHAR* path, ULONGLONG size, OpenElements open)
{
    Close();
    m_error = 0;
    m_boundaries.clear();
    m_boundaries.push_back(Boundary{size, std::move(open)});
    m_path = path;
    // Taken only now: when the above throws, the file is still the caller's.
    m_file = file;
    if (m_file)
        std::setvbuf(m_file, nullptr, _IONBF, 0);
}

void CResultsStream::Add(ULONGLONG size, const OpenElements& open)
{
    try {
        if (m_boundaries.size() == kBoundariesKept)
            m_boundaries.pop_front();
        m_boundaries.push_back(Boundary{size, open});
    } catch (...) {
        // The boundary is not remembered: the file ends after it all the
        // same, and the last one remembered stays the place to close at.
        m_boundaries.back().size = size;
    }
}

bool CResultsStream::Write(const char* data, size_t size, const OpenElements& openAfter)
{
    if (!m_file)
        return false;
    if (size == 0)
        return true;
    const ULONGLONG end = Size();
    if (!WriteStreamWithRetry(m_file, m_path.c_str(), data, size, end)) {
        if (m_error == 0)
            m_error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
        return false;
    }
    Add(end + size, openAfter);
    return true;
}

bool CResultsStream::WriteQuietly(const char* data, size_t size, const OpenElements& openAfter)
{
    if (!m_file)
        return false;
    const ULONGLONG end = Size();
    if (!WriteBytes(data, size, end))
        return false;
    Add(end + size, openAfter);
    return true;
}

bool CResultsStream::WriteBytes(const char* data, size_t size, ULONGLONG end)
{
    errno = 0;
    if (std::fwrite(data, 1, size, m_file) == size && std::fflush(m_file) == 0)
        return true;
    std::clearerr(m_file);
    _chsize_s(_fileno(m_file), static_cast<long long>(end));
    _fseeki64(m_file, static_cast<long long>(end), SEEK_SET);
    return false;
}

void CResultsStream::End(DWORD error)
{
    if (!m_file)
        return;
    if (m_error == 0)
        m_error = error;
    // Newest first: the file is cut back to the boundary and closed there.
    while (!m_boundaries.empty()) {
        const Boundary& boundary = m_boundaries.back();
        bool cut = _chsize_s(_fileno(m_file), static_cast<long long>(boundary.size)) == 0 &&
                   _fseeki64(m_file, static_cast<long long>(boundary.size), SEEK_SET) == 0;
        std::string closing;
        try {
            closing = ClosingText(boundary.open);
        } catch (...) {
        }
        if (cut && WriteBytes(closing.data(), closing.size(), boundary.size))
            break;
        if (m_boundaries.size() == 1)
            break; // the file ends at its oldest boundary known, unclosed
        m_boundaries.pop_back();
    }
    std::fclose(m_file);
    m_file = nullptr;
}

bool CResultsStream::Close()
{
    if (!m_file)
        return true;
    bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed && m_error == 0)
        m_error = ERROR_WRITE_FAULT;
    return closed;
}
