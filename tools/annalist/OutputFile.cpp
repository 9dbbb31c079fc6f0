#include "annalist/OutputFile.h"

#include <filesystem>
#include <system_error>

COutputFile::~COutputFile()
{
    if (m_stream.is_open()) {
        m_stream.close();
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::u8path(m_temporary), ignored);
    }
}

bool COutputFile::Open(const std::string& utf8Path, std::string& error)
{
    if (utf8Path == "-") {
        m_stdout = true;
        return true;
    }
    m_path = utf8Path;
    const std::filesystem::path path = std::filesystem::u8path(utf8Path);
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = "\"" + utf8Path + "\" is a folder";
        return false;
    }
    const std::filesystem::path folder = path.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, code)) {
        error = "there is no folder \"" + folder.u8string() + "\"";
        return false;
    }
    m_temporary = utf8Path + ".part";
    m_stream.open(std::filesystem::u8path(m_temporary), std::ios::out | std::ios::binary | std::ios::trunc);
    if (!m_stream.is_open()) {
        error = "cannot create \"" + utf8Path + "\"";
        return false;
    }
    return true;
}

void COutputFile::Write(const char* data, size_t size)
{
    if (m_stdout) {
        if (std::fwrite(data, 1, size, stdout) != size)
            m_failed = true;
        return;
    }
    m_stream.write(data, static_cast<std::streamsize>(size));
    if (!m_stream)
        m_failed = true;
}

void COutputFile::Write(const std::string& text) { Write(text.data(), text.size()); }

bool COutputFile::Commit(std::string& error)
{
    if (m_stdout) {
        if (std::fflush(stdout) != 0 || m_failed) {
            error = "cannot write to stdout";
            return false;
        }
        return true;
    }
    m_stream.close();
    if (m_failed || m_stream.fail()) {
        error = "cannot write \"" + m_path + "\" (is the disk full?)";
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::u8path(m_temporary), ignored);
        return false;
    }
    std::error_code code;
    std::filesystem::rename(std::filesystem::u8path(m_temporary), std::filesystem::u8path(m_path), code);
    if (code) {
        // Some systems do not replace an existing file by renaming.
        std::filesystem::remove(std::filesystem::u8path(m_path), code);
        std::filesystem::rename(std::filesystem::u8path(m_temporary), std::filesystem::u8path(m_path), code);
    }
    if (code) {
        error = "cannot write \"" + m_path + "\": " + code.message();
        std::filesystem::remove(std::filesystem::u8path(m_temporary), code);
        return false;
    }
    return true;
}
