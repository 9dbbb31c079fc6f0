#include "report/GeneralInfoFile.h"

#include "fs/FolderServices.h"

namespace {

const WCHAR kSection[] = W("General");
const DWORD kValueCapacity = 256;
// Any free byte will do for the file's byte-order mark.
const ULONGLONG kGeneralInfoThreshold = 1;

void WriteText(const WCHAR* path, const WCHAR* key, const CBstrString& value)
{
    CBstrString line(value.c_str());
    line.Replace(W('\r'), W(' '));
    line.Replace(W('\n'), W(' '));
    WritePrivateProfileStringW(kSection, key, line.c_str(), path);
}

void WriteNumber(const WCHAR* path, const WCHAR* key, LONG value)
{
    CBstrString text;
    text.Format(W("%d"), static_cast<int>(value));
    WritePrivateProfileStringW(kSection, key, text.c_str(), path);
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

void WriteGeneralInfo(const WCHAR* path, const GeneralInfo* record, ProductLevel level) noexcept
{
    if (!record || !path)
        return;
    // A new file with the UTF-16 byte-order mark, so that the profile writer
    // keeps it in UTF-16; keys of an earlier write disappear.
    if (FILE* file = OpenFileWithRetry(path, W("wb"), true, kGeneralInfoThreshold)) {
        fwrite("\xFF\xFE", 1, 2, file);
        fclose(file);
    }
    WriteText(path, W("Product"), record->product);
    WriteText(path, W("Version"), record->version);
    WriteNumber(path, W("Total"), record->total);
    WriteText(path, W("Title"), record->title);
    WriteNumber(path, W("OSVersion"), record->osVersion);
    WriteText(path, W("TestLocation"), record->testLocation);
    WriteText(path, W("TestOnHost"), record->testOnHost);
    WriteNumber(path, W("GlobalIteration"), record->globalIteration);
    if (!record->userName.IsEmpty() || !record->password.IsEmpty()) {
        WriteText(path, W("UserName"), record->userName);
        WriteText(path, W("Password"), record->password);
    }
    if (level == ProductLevel::Current) {
        WriteText(path, W("VaultServer"), record->vaultServer);
        WriteText(path, W("VaultProject"), record->vaultProject);
    }
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
