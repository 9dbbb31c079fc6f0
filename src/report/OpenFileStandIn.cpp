// TEMPORARY: stands in for the guarded file opening until the folder services
// reach this branch. Deleted before the branch is merged.
#include "fs/FolderServices.h"

FILE* OpenFileWithRetry(const WCHAR* path, const WCHAR* mode, bool, ULONGLONG)
{
    FILE* file = nullptr;
    if (_wfopen_s(&file, path, mode) != 0)
        return nullptr;
    return file;
}
