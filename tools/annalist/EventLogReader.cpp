#include "annalist/EventLogReader.h"

#include <cerrno>
#include <cstring>

#include "annalist/TextConversion.h"

CEventLogReader::~CEventLogReader()
{
    if (m_file && m_ownsFile)
        fclose(m_file);
}

void CEventLogReader::OpenStandardInput()
{
    if (m_file && m_ownsFile)
        fclose(m_file);
    m_file = stdin;
    m_ownsFile = false;
    m_lineNumber = 0;
    m_readFailed = false;
}

bool CEventLogReader::Open(const WideString& path, std::string& reason)
{
    if (m_file && m_ownsFile)
        fclose(m_file);
    m_file = nullptr;
    m_lineNumber = 0;
    m_readFailed = false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "it is a folder";
        return false;
    }
    FILE* file = nullptr;
    errno_t error = _wfopen_s(&file, path.c_str(), W("rb"));
    if (error != 0 || !file) {
        reason = std::strerror(error ? error : EIO);
        return false;
    }
    m_file = file;
    m_ownsFile = true;
    return true;
}

bool CEventLogReader::Fill()
{
    if (!m_file || m_readFailed)
        return false;
    m_used = 0;
    m_size = fread(m_buffer, 1, sizeof(m_buffer), m_file);
    if (m_size == 0 && ferror(m_file))
        m_readFailed = true;
    return m_size > 0;
}

bool CEventLogReader::ReadLine(std::string& line)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (m_used == m_size && !Fill())
            break;
        any = true;
        const char* start = m_buffer + m_used;
        const char* end = static_cast<const char*>(std::memchr(start, '\n', m_size - m_used));
        if (!end) {
            line.append(start, m_size - m_used);
            m_used = m_size;
            continue;
        }
        line.append(start, static_cast<size_t>(end - start));
        m_used += static_cast<size_t>(end - start) + 1;
        break;
    }
    if (!any || m_readFailed)
        return false;
    ++m_lineNumber;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (m_lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    return true;
}

bool CEventLogReader::Next(std::string& line, long& lineNumber)
{
    while (ReadLine(line)) {
        if (!IsBlankLine(line)) {
            lineNumber = m_lineNumber;
            return true;
        }
    }
    return false;
}

long CEventLogReader::CountEventLines()
{
    if (!m_file || !m_ownsFile)
        return 0;
    rewind(m_file);
    m_used = m_size = 0;
    long count = 0;
    std::string line;
    while (ReadLine(line))
        if (!IsBlankLine(line))
            ++count;
    rewind(m_file);
    m_used = m_size = 0;
    m_lineNumber = 0;
    m_readFailed = false;
    return count;
}

bool IsBlankLine(const std::string& line)
{
    for (char c : line)
        if (c != ' ' && c != '\t' && c != '\r')
            return false;
    return true;
}
