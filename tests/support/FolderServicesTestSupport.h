// Helpers of the folder-services tests.
#pragma once

#include <chrono>
#include <string>

#include "pal/pal.h"
#include "support/TestSupport.h"

namespace test {

// A path inside folder of exactly `length` characters: the folder, the given
// subfolders, and a last name of 'x's that makes up the length.
inline WideString PathOfLength(const WideString& folder, const std::string& subfolders, size_t length)
{
    WideString path = folder + W("\\");
    for (char c : subfolders)
        path.push_back(c == '/' ? WCHAR('\\') : static_cast<WCHAR>(c));
    if (!subfolders.empty())
        path.push_back('\\');
    if (path.size() < length)
        path.append(length - path.size(), WCHAR('x'));
    return path;
}

inline bool IsFolder(const WideString& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Milliseconds a call takes.
template <typename Call>
long long MillisecondsOf(Call call)
{
    auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Four short retries of 20 ms take at least this long.
const long long kRetriesMs = 75;

inline const WCHAR* DiskFullText()
{
    return W("There is not enough disk space on the drive you are using.\nFree some disk space and click Retry.\n"
             "If you click Cancel, your report will not be created successfully.");
}

inline WideString DiskFullOnDriveText(const WideString& root)
{
    return W("There is not enough disk space on drive '") + root +
           W("'\nFree some disk space and click Retry.\nIf you click Cancel, your report will not be created "
             "successfully.");
}

} // namespace test
