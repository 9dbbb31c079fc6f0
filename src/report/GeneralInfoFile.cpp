#include "report/GeneralInfoFile.h"

#include <cstdio>

#include "fs/FolderServices.h"

namespace {

const WCHAR kSection[] = W("General");
const DWORD kValueCapacity = 256;
// Any free byte will do for the file's byte-order mark.
const ULONGLONG kGeneralInfoThreshold = 1;

bool WriteText(const WCHAR* path, const WCHAR* key, const CBstrString& value)
{
    CBstrString line(value.c_str());
    line.Replace(W('\r'), W(' '));
    line.Replace(W('\n'), W(' '));
    return WriteProfileStringWithRetry(kSection, key, line.c_str(), path);
}

bool WriteNumber(const WCHAR* path, const WCHAR* key, LONG value)
{
    CBstrString text;
    text.Format(W("%d"), static_cast<int>(value));
    return WriteProfileStringWithRetry(kSection, key, text.c_str(), path);
}

// The keys in their fixed order into a new file at path.
bool WriteKeys(const WCHAR* path, const GeneralInfo& record, ProductLevel level)
{
    // A new file with the UTF-16 byte-order mark, so that the profile writer
    // keeps it in UTF-16.
    FILE* file = OpenFileWithRetry(path, W("wb"), true, kGeneralInfoThreshold);
    if (!file)
        return false;
    std::setvbuf(file, nullptr, _IONBF, 0);
    bool marked = WriteStreamWithRetry(file, path, "\xFF\xFE", 2, 0);
    DWORD error = GetLastError();
    if (std::fclose(file) != 0 && marked) {
        marked = false;
        error = ERROR_WRITE_FAULT;
    }
    if (!marked) {
        SetLastError(error);
        return false;
    }
    bool written = WriteText(path, W("Product"), record.product) && WriteText(path, W("Version"), record.version) &&
                   WriteNumber(path, W("Total"), record.total) && WriteText(path, W("Title"), record.title) &&
                   WriteNumber(path, W("OSVersion"), record.osVersion) &&
                   WriteText(path, W("TestLocation"), record.testLocation) &&
                   WriteText(path, W("TestOnHost"), record.testOnHost) &&
                   WriteNumber(path, W("GlobalIteration"), record.globalIteration);
    if (written && (!record.userName.IsEmpty() || !record.password.IsEmpty()))
        written = WriteText(path, W("UserName"), record.userName) && WriteText(path, W("Password"), record.password);
    if (written && level == ProductLevel::Current)
        written = WriteText(path, W("VaultServer"), record.vaultServer) &&
                  WriteText(path, W("VaultProject"), record.vaultProject);
    return written;
}

void ReadText(const WCHAR* path, const WCHAR* key, CBstrString& value)
{
    WCHAR buffer[kValueCapacity];
    buffer[0] = 0;
    GetPrivateProfileStringW(kSection, key, W(""), buffer, kValueCapacity, path);
    buffer[kValueCapacity - 1] = 0;
    value = buffer;
}

LONG ReadNumber(const WCHAR* path, const WCHAR* key, INT defaultValue)
{
    return static_cast<LONG>(GetPrivateProfileIntW(kSection, key, defaultValue, path));
}

} // namespace

bool WriteGeneralInfo(const WCHAR* path, const GeneralInfo* record, ProductLevel level) noexcept
{
    if (!record || !path || !*path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // The whole file is written under a name of its own beside it, then put in
    // place in one step: the file is never seen empty or in part, and a write
    // that fails leaves the earlier file as it was.
    CBstrString temporary(path);
    temporary += W(".tmp");
    if (WriteKeys(temporary.c_str(), *record, level) &&
        MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING))
        return true;
    DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    return false;
}

void ReadGeneralInfo(const WCHAR* path, GeneralInfo* record, ProductLevel level) noexcept
{
    if (!record || !path)
        return;
    record->total = ReadNumber(path, W("Total"), 0);
    ReadText(path, W("Product"), record->product);
    ReadText(path, W("Version"), record->version);
    ReadText(path, W("TestLocation"), record->testLocation);
    ReadText(path, W("Title"), record->title);
    ReadText(path, W("TestOnHost"), record->testOnHost);
    record->osVersion = ReadNumber(path, W("OSVersion"), 0);
    record->globalIteration = ReadNumber(path, W("GlobalIteration"), -1);
    ReadText(path, W("UserName"), record->userName);
    ReadText(path, W("Password"), record->password);
    if (level == ProductLevel::Current) {
        ReadText(path, W("VaultServer"), record->vaultServer);
        ReadText(path, W("VaultProject"), record->vaultProject);
    }
}
