// A file the tool writes (a report, an export), named by a UTF-8 path, or
// stdout for "-". The text goes to a temporary file beside the target,
// which replaces the target only when everything was written: a failed
// write never leaves half a file under the target's name.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

#include "pal/non_copyable.h"

class COutputFile : CNonCopyable {
public:
    ~COutputFile();

    // False with a one-line reason when the file cannot be created.
    bool Open(const std::string& utf8Path, std::string& error);
    void Write(const std::string& text);
    void Write(const char* data, size_t size);
    // Moves the written file into place; false with the reason on failure.
    bool Commit(std::string& error);
    bool IsStdout() const { return m_stdout; }

private:
    std::string m_path;
    std::string m_temporary;
    std::ofstream m_stream;
    bool m_stdout = false;
    bool m_failed = false;
};
