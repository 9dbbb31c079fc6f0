#include "annalist/RegFileImporter.h"

#include <cerrno>
#include <cstring>

#include "annalist/TextConversion.h"

namespace {

const WCHAR kHeader5[] = W("Windows Registry Editor Version 5.00");
const WCHAR kHeader4[] = W("REGEDIT4");

bool IsBlank(WCHAR c) { return c == ' ' || c == '\t'; }

WideString Trimmed(const WideString& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool StartsWithNoCase(const WideString& text, const WCHAR* prefix)
{
    size_t n = PAL_wcslen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (PAL_towlower(text[i]) != PAL_towlower(prefix[i]))
            return false;
    return true;
}

// The file's text: UTF-16LE after FF FE, else UTF-8 (a byte-order mark skipped).
bool DecodeFile(const std::string& bytes, WideString& text, std::string& error)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        if (bytes.size() % 2 != 0) {
            error = "the UTF-16 text ends in half a character";
            return false;
        }
        text.clear();
        for (size_t i = 2; i < bytes.size(); i += 2)
            text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return true;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF) {
        error = "UTF-16 big-endian text is not taken (save it as UTF-16LE or UTF-8)";
        return false;
    }
    std::string body = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
    if (!WideFromUtf8(body, text)) {
        error = "the file is neither UTF-16LE (with its byte-order mark) nor UTF-8 text";
        return false;
    }
    return true;
}

int HexDigit(WCHAR c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A quoted text starting at `at` (on the quote); `at` ends after the closing quote.
bool ReadQuoted(const WideString& line, size_t& at, WideString& text)
{
    text.clear();
    if (at >= line.size() || line[at] != '"')
        return false;
    for (++at; at < line.size(); ++at) {
        WCHAR c = line[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c == '\\' && at + 1 < line.size() && (line[at + 1] == '\\' || line[at + 1] == '"'))
            c = line[++at];
        text.push_back(c);
    }
    return false;
}

bool ReadHexBytes(const WideString& text, std::vector<BYTE>& data)
{
    data.clear();
    WideString compact;
    for (WCHAR c : text)
        if (!IsBlank(c))
            compact.push_back(c);
    if (compact.empty())
        return true;
    for (size_t at = 0;;) {
        if (at + 2 > compact.size())
            return false;
        int high = HexDigit(compact[at]);
        int low = HexDigit(compact[at + 1]);
        if (high < 0 || low < 0)
            return false;
        data.push_back(static_cast<BYTE>(high * 16 + low));
        at += 2;
        if (at == compact.size())
            return true;
        if (compact[at] != ',')
            return false;
        ++at;
    }
}

bool ReadData(const WideString& text, RegFileValue& value, std::string& error)
{
    if (text == W("-")) {
        value.remove = true;
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        size_t at = 0;
        WideString data;
        if (!ReadQuoted(text, at, data) || !Trimmed(text.substr(at)).empty()) {
            error = "a text value must be one quoted text";
            return false;
        }
        value.type = REG_SZ;
        const BYTE* bytes = reinterpret_cast<const BYTE*>(data.c_str());
        value.data.assign(bytes, bytes + (data.size() + 1) * sizeof(WCHAR));
        return true;
    }
    if (StartsWithNoCase(text, W("dword:"))) {
        WideString digits = Trimmed(text.substr(6));
        if (digits.empty() || digits.size() > 8) {
            error = "dword: takes 1 to 8 hexadecimal digits";
            return false;
        }
        DWORD number = 0;
        for (WCHAR c : digits) {
            int digit = HexDigit(c);
            if (digit < 0) {
                error = "dword: takes 1 to 8 hexadecimal digits";
                return false;
            }
            number = number * 16 + static_cast<DWORD>(digit);
        }
        value.type = REG_DWORD;
        value.data.resize(4);
        for (int i = 0; i < 4; ++i)
            value.data[static_cast<size_t>(i)] = static_cast<BYTE>(number >> (8 * i));
        return true;
    }
    if (StartsWithNoCase(text, W("hex"))) {
        size_t at = 3;
        DWORD type = REG_BINARY;
        if (at < text.size() && text[at] == '(') {
            size_t close = text.find(')', at);
            if (close == WideString::npos || close == at + 1 || close > at + 9) {
                error = "hex(n): needs a hexadecimal type number";
                return false;
            }
            type = 0;
            for (size_t i = at + 1; i < close; ++i) {
                int digit = HexDigit(text[i]);
                if (digit < 0) {
                    error = "hex(n): needs a hexadecimal type number";
                    return false;
                }
                type = type * 16 + static_cast<DWORD>(digit);
            }
            at = close + 1;
        }
        if (at >= text.size() || text[at] != ':') {
            error = "hex data is written hex:xx,xx,... or hex(n):xx,xx,...";
            return false;
        }
        if (!ReadHexBytes(text.substr(at + 1), value.data)) {
            error = "hex data must be two-digit hexadecimal bytes separated by commas";
            return false;
        }
        value.type = type;
        return true;
    }
    error = "unknown data (a value is \"text\", dword:..., hex:..., hex(n):... or -)";
    return false;
}

} // namespace

bool CRegFile::ParseLine(const WideString& raw, long number, std::string& error)
{
    WideString line = Trimmed(raw);
    if (line.empty() || line[0] == ';')
        return true;
    if (line[0] == '[') {
        if (line.back() != ']') {
            error = "a key line must end with \"]\"";
            return false;
        }
        RegFileKey key;
        key.line = number;
        WideString path = line.substr(1, line.size() - 2);
        if (!path.empty() && path[0] == '-') {
            key.remove = true;
            path.erase(0, 1);
        }
        size_t slash = path.find('\\');
        WideString root = path.substr(0, slash);
        if (PAL_wcsicmp(root.c_str(), W("HKEY_LOCAL_MACHINE")) != 0 && PAL_wcsicmp(root.c_str(), W("HKLM")) != 0) {
            error = "only keys of HKEY_LOCAL_MACHINE are taken (the logger reads its settings there), not \"" +
                    Utf8FromWide(root) + "\"";
            return false;
        }
        key.path = slash == WideString::npos ? WideString() : path.substr(slash + 1);
        while (!key.path.empty() && key.path.back() == '\\')
            key.path.pop_back();
        if (key.remove && key.path.empty()) {
            error = "HKEY_LOCAL_MACHINE itself cannot be deleted";
            return false;
        }
        m_keys.push_back(key);
        return true;
    }

    RegFileValue value;
    size_t at = 0;
    if (line[0] == '@') {
        at = 1;
    } else if (line[0] == '"') {
        if (!ReadQuoted(line, at, value.name)) {
            error = "the value name has no closing quote";
            return false;
        }
    } else {
        error = "expected a key \"[...]\", a value \"name\"=... or @=..., or a comment \";...\"";
        return false;
    }
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at >= line.size() || line[at] != '=') {
        error = "expected \"=\" after the value name";
        return false;
    }
    if (m_keys.empty() || m_keys.back().remove) {
        error = "a value must follow a key line \"[...]\"";
        return false;
    }
    if (!ReadData(Trimmed(line.substr(at + 1)), value, error))
        return false;
    m_keys.back().values.push_back(value);
    return true;
}

bool CRegFile::Parse(const std::string& bytes, std::string& error)
{
    m_keys.clear();
    WideString text;
    if (!DecodeFile(bytes, text, error))
        return false;

    bool header = false;
    long number = 0;
    size_t start = 0;
    WideString pending; // a line continued with "\"
    long pendingStart = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        WideString line = text.substr(start, end == WideString::npos ? WideString::npos : end - start);
        start = end == WideString::npos ? text.size() + 1 : end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!header) {
            WideString first = Trimmed(line);
            if (first.empty())
                continue;
            if (first != kHeader5 && first != kHeader4) {
                error = "line " + std::to_string(number) +
                        ": not a registry file (the first line must be \"Windows Registry Editor Version 5.00\")";
                return false;
            }
            header = true;
            continue;
        }
        WideString trimmed = Trimmed(line);
        bool continues = !trimmed.empty() && trimmed.back() == '\\' && trimmed[0] != '[';
        if (pending.empty())
            pendingStart = number;
        if (continues) {
            trimmed.pop_back();
            pending += trimmed;
            continue;
        }
        pending += trimmed;
        std::string reason;
        if (!ParseLine(pending, pendingStart, reason)) {
            error = "line " + std::to_string(pendingStart) + ": " + reason;
            return false;
        }
        pending.clear();
    }
    if (!header) {
        error = "the file is empty (a registry file starts with \"Windows Registry Editor Version 5.00\")";
        return false;
    }
    if (!pending.empty()) {
        error = "line " + std::to_string(pendingStart) + ": the file ends inside a value continued with \"\\\"";
        return false;
    }
    return true;
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
    return registryFile.Apply(createOptions, error) == ERROR_SUCCESS;
}
