#include "results/ByteSource.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace results {

size_t CMemoryByteSource::Read(char* buffer, size_t size)
{
    size_t left = m_size - m_at;
    size_t count = size < left ? size : left;
    if (count > 0)
        std::memcpy(buffer, m_data + m_at, count);
    m_at += count;
    return count;
}

bool CFileByteSource::Open(const std::string& utf8Path, std::string& error)
{
    // The standard library opens a path of any characters on every system
    // (a wide name where the system's narrow code page falls short).
    std::filesystem::path path = std::filesystem::u8path(utf8Path);
    std::error_code code;
    if (!std::filesystem::exists(path, code)) {
        error = "no such file";
        return false;
    }
    if (std::filesystem::is_directory(path, code)) {
        error = "it is a folder, not a file";
        return false;
    }
    errno = 0;
    if (!m_file.open(path, std::ios::in | std::ios::binary)) {
        error = errno ? std::strerror(errno) : "cannot be opened";
        return false;
    }
    return true;
}

size_t CFileByteSource::Read(char* buffer, size_t size)
{
    if (!m_file.is_open() || m_failed)
        return 0;
    try {
        std::streamsize count = m_file.sgetn(buffer, static_cast<std::streamsize>(size));
        return count > 0 ? static_cast<size_t>(count) : 0;
    } catch (...) {
        m_failed = true; // a read error of the system
        return 0;
    }
}

bool ReadSmallFile(const std::string& utf8Path, size_t limit, std::string& bytes, std::string& error)
{
    CFileByteSource source;
    if (!source.Open(utf8Path, error))
        return false;
    bytes.clear();
    char block[16384];
    for (size_t count; (count = source.Read(block, sizeof(block))) > 0;) {
        if (bytes.size() + count > limit) {
            error = "larger than " + std::to_string(limit) + " bytes";
            return false;
        }
        bytes.append(block, count);
    }
    if (source.Failed()) {
        error = "read error";
        return false;
    }
    return true;
}

} // namespace results
