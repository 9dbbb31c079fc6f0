// Free space of a path's drive and the Retry/Cancel prompt that asks the user
// to make some.
#include <new>

#include "fs/FolderServices.h"
#include "host/HostMessages.h"
#include "text/BstrString.h"
#include "text/ResourceStrings.h"

namespace {

// The root of a path (a drive root, the server and share of a UNC path, or
// on POSIX the mount point of the path's file system). A path too long for a
// MAX_PATH buffer is reduced in a buffer of its own size rather than cut.
bool RootOf(const WCHAR* path, WideString& root)
{
    try {
        size_t length = PAL_wcslen(path);
        root.assign(length + 1 > MAX_PATH ? length + 1 : MAX_PATH, WCHAR(0));
        root.replace(0, length, path, length);
        PathStripToRootW(&root[0]);
        root.resize(PAL_wcslen(root.c_str()));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

bool GetAvailableDiskSpace(const WCHAR* path, ULONGLONG* freeBytes)
{
    if (!path || !*path || !freeBytes)
        return false;
    WideString root;
    if (!RootOf(path, root))
        return false;
    // The bytes available to the caller (disk quotas included), not the
    // disk's total free bytes.
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr))
        return false;
    *freeBytes = available.QuadPart;
    return true;
}

int PromptForDiskSpace(const WCHAR* path)
{
    const UINT style = MB_RETRYCANCEL | MB_ICONERROR;
    if (!path || !*path)
        return ShowHostMessageById(IDS_DISK_FULL, style, 0, IDCANCEL, nullptr, nullptr);

    CBstrString text;
    WideString root;
    if (RootOf(path, root))
        text.FormatResource(IDS_DISK_FULL_ON_DRIVE, root.c_str());
    return ShowHostMessage(text.c_str(), style, 0, IDCANCEL, nullptr);
}
