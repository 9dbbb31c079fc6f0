#include "support/SmallDisk.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace test {

CSmallDisk::CSmallDisk(const char* size, int entries)
{
    m_mountPoint = m_folder.Path() / "small";
    if (std::filesystem::path::preferred_separator != '/') {
        m_reason = "a full file system is only made on the POSIX side";
        return;
    }
    std::filesystem::create_directory(m_mountPoint);
    std::string command = std::string("mount -t tmpfs -o size=") + size + ",nr_inodes=" + std::to_string(entries) +
                          " annalist-test '" + m_mountPoint.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        m_reason = "a small tmpfs cannot be mounted here (mounting needs root)";
        return;
    }
    m_mounted = true;
    m_mountPoint = std::filesystem::canonical(m_mountPoint);
}

CSmallDisk::~CSmallDisk()
{
    if (m_mounted) {
        std::string command = "umount '" + m_mountPoint.string() + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "cannot unmount %s\n", m_mountPoint.string().c_str());
    }
}

WideString CSmallDisk::Wide(const std::string& relative) const
{
    return ToWide(relative.empty() ? m_mountPoint : m_mountPoint / relative);
}

ULONGLONG CSmallDisk::FreeBytes() const
{
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(Wide().c_str(), &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

void CSmallDisk::Fill(ULONGLONG spare)
{
    HANDLE file = CreateFileW(Wide("ballast").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    std::vector<char> page(4096, 'b');
    for (ULONGLONG free = FreeBytes(); free > spare; free = FreeBytes()) {
        DWORD written = 0;
        ULONGLONG room = free - spare;
        DWORD size = room < page.size() ? static_cast<DWORD>(room) : static_cast<DWORD>(page.size());
        if (!WriteFile(file, page.data(), size, &written, nullptr))
            break;
    }
    CloseHandle(file);
}

void CSmallDisk::Unfill() { DeleteFileW(Wide("ballast").c_str()); }

} // namespace test
