#include "annalist/RegFileImporter.h"

#include <cerrno>
#include <cstring>

#include "annalist/TextConversion.h"
#include "pal/reg_file_codec.h"
#include "pal/tool_support.h"

namespace {

// Collects the keys of HKEY_LOCAL_MACHINE and their values in file order.
class CImportSink final : public CPalRegFileSink {
public:
    explicit CImportSink(std::vector<RegFileKey>& keys) : m_keys(keys) {}

    bool Key(const WideString& text, bool remove, long line, std::string& error) override
    {
        RegFileKey key;
        key.line = line;
        key.remove = remove;
        size_t slash = text.find('\\');
        WideString root = text.substr(0, slash);
        if (PAL_wcsicmp(root.c_str(), W("HKEY_LOCAL_MACHINE")) != 0 && PAL_wcsicmp(root.c_str(), W("HKLM")) != 0) {
            error = "only keys of HKEY_LOCAL_MACHINE are taken (the logger reads its settings there), not \"" +
                    Utf8FromWide(root) + "\"";
            return false;
        }
        key.path = slash == WideString::npos ? WideString() : text.substr(slash + 1);
        while (!key.path.empty() && key.path.back() == '\\')
            key.path.pop_back();
        if (key.remove && key.path.empty()) {
            error = "HKEY_LOCAL_MACHINE itself cannot be deleted";
            return false;
        }
        m_keys.push_back(key);
        return true;
    }

    bool Value(const WideString& name, bool remove, const PalRegData& data, long, std::string& error) override
    {
        if (m_keys.empty() || m_keys.back().remove) {
            error = "a value must follow a key line \"[...]\"";
            return false;
        }
        RegFileValue value;
        value.name = name;
        value.remove = remove;
        if (!remove) {
            value.type = data.type;
            value.data = data.bytes;
        }
        m_keys.back().values.push_back(value);
        return true;
    }

private:
    std::vector<RegFileKey>& m_keys;
};

} // namespace

bool CRegFile::Parse(const std::string& bytes, std::string& error)
{
    m_keys.clear();
    PalRegTextProblem problem = PalRegTextProblem::None;
    WideString text = PalRegDecodeText(bytes, &problem);
    if (problem != PalRegTextProblem::None) {
        error = PalRegTextProblemText(problem);
        return false;
    }
    CImportSink sink(m_keys);
    return PalReadRegFile(text, sink, error) == PalRegFileResult::Read;
}

LONG CRegFile::Apply(DWORD createOptions, std::string& error) const
{
    for (const RegFileKey& key : m_keys) {
        std::string where =
            "HKEY_LOCAL_MACHINE\\" + Utf8FromWide(key.path) + " (line " + std::to_string(key.line) + ")";
        if (key.remove) {
            // The tree goes with the key (a key left empty is deleted after it).
            LONG status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.path.c_str());
            if (status == ERROR_SUCCESS)
                RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.path.c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
                error = "cannot delete " + where + ": error " + std::to_string(status);
                return status;
            }
            continue;
        }
        HKEY handle = nullptr;
        DWORD disposition = 0;
        LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.path.c_str(), 0, nullptr, createOptions, KEY_ALL_ACCESS,
                                      nullptr, &handle, &disposition);
        if (status != ERROR_SUCCESS) {
            error = "cannot create " + where + ": error " + std::to_string(status);
            return status;
        }
        for (const RegFileValue& value : key.values) {
            const WCHAR* name = value.name.empty() ? nullptr : value.name.c_str();
            if (value.remove) {
                status = RegDeleteValueW(handle, name);
                if (status == ERROR_FILE_NOT_FOUND)
                    status = ERROR_SUCCESS;
            } else {
                status = RegSetValueExW(handle, name, 0, value.type, value.data.empty() ? nullptr : value.data.data(),
                                        static_cast<DWORD>(value.data.size()));
            }
            if (status != ERROR_SUCCESS) {
                error = "cannot write the value \"" + Utf8FromWide(value.name) + "\" of " + where + ": error " +
                        std::to_string(status);
                RegCloseKey(handle);
                return status;
            }
        }
        RegCloseKey(handle);
    }
    return ERROR_SUCCESS;
}

bool ImportRegFile(const WideString& path, DWORD createOptions, std::string& error)
{
    FILE* file = nullptr;
    errno_t failure = _wfopen_s(&file, path.c_str(), W("rb"));
    if (failure != 0 || !file) {
        error = std::strerror(failure ? failure : EIO);
        return false;
    }
    std::string bytes;
    char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    bool readFailed = ferror(file) != 0;
    fclose(file);
    if (readFailed) {
        error = "read error";
        return false;
    }
    CRegFile registryFile;
    if (!registryFile.Parse(bytes, error))
        return false;
    // The values are written in one batch: one write of the registry, not one
    // per value.
    LONG status = PAL_BeginRegistryBatch();
    if (status != ERROR_SUCCESS) {
        error = "cannot write into the registry: error " + std::to_string(status);
        return false;
    }
    bool applied = registryFile.Apply(createOptions, error) == ERROR_SUCCESS;
    status = PAL_EndRegistryBatch(applied);
    if (applied && status != ERROR_SUCCESS) {
        error = "cannot write the imported values into the registry: error " + std::to_string(status);
        return false;
    }
    return applied;
}
