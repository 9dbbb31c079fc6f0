#include "registry/reg_file.h"

#include <cstdio>
#include <cstring>

#include "pal/utf8.h"

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";

WideString Ascii(const char* text) { return PAL_AsciiToWide(text); }

bool IsBlank(WCHAR c) { return c == ' ' || c == '\t'; }

WideString TrimBlanks(const WideString& text)
{
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

bool StartsWithNoCase(const WideString& text, size_t at, const char* prefix)
{
    size_t n = std::strlen(prefix);
    if (text.size() - at < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (PAL_towlower(text[at + i]) != static_cast<WCHAR>(prefix[i]))
            return false;
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

// A quoted text starting at text[at] == '"', with the escapes \\ and \". On
// success "at" is past the closing quote.
bool ReadQuoted(const WideString& text, size_t& at, WideString& out)
{
    out.clear();
    for (size_t i = at + 1; i < text.size(); ++i) {
        WCHAR c = text[i];
        if (c == '"') {
            at = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            c = text[++i];
        out.push_back(c);
    }
    return false;
}

// Comma-separated hex bytes ("00,4a, ff"); an empty list is allowed.
bool ReadHexBytes(const WideString& text, std::vector<BYTE>& out)
{
    out.clear();
    size_t i = 0;
    auto skipBlanks = [&]() {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i == text.size())
        return true;
    for (;;) {
        skipBlanks();
        int high = i < text.size() ? HexDigit(text[i]) : -1;
        if (high < 0)
            return false;
        int value = high;
        ++i;
        if (i < text.size() && HexDigit(text[i]) >= 0)
            value = value * 16 + HexDigit(text[i++]);
        out.push_back(static_cast<BYTE>(value));
        skipBlanks();
        if (i == text.size())
            return true;
        if (text[i] != ',')
            return false;
        ++i;
        skipBlanks();
        if (i == text.size())
            return true; // a trailing comma
    }
}

std::vector<BYTE> StringData(const WideString& text)
{
    std::vector<BYTE> data;
    data.reserve((text.size() + 1) * 2);
    for (WCHAR c : text) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>((c >> 8) & 0xFF));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

// The key path of a "[...]" line, checked against the root; false when the
// path names another root.
bool KeyPath(const WideString& path, const WideString& rootName, std::vector<WideString>& below)
{
    below = PalRegSplitPath(path.c_str());
    if (below.empty() || PalRegCompareNames(below.front(), rootName) != 0)
        return false;
    below.erase(below.begin());
    return true;
}

// The data of a value line after the equals sign.
bool ParseData(const WideString& data, DWORD& type, std::vector<BYTE>& bytes, bool& remove)
{
    remove = false;
    if (data == Ascii("-")) {
        remove = true;
        return true;
    }
    if (!data.empty() && data[0] == '"') {
        size_t at = 0;
        WideString text;
        if (!ReadQuoted(data, at, text) || !TrimBlanks(data.substr(at)).empty())
            return false;
        type = REG_SZ;
        bytes = StringData(text);
        return true;
    }
    if (StartsWithNoCase(data, 0, "dword:")) {
        WideString digits = TrimBlanks(data.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        DWORD value = 0;
        for (WCHAR c : digits) {
            int digit = HexDigit(c);
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<DWORD>(digit);
        }
        type = REG_DWORD;
        bytes = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                 static_cast<BYTE>(value >> 24)};
        return true;
    }
    if (StartsWithNoCase(data, 0, "hex:")) {
        type = REG_BINARY;
        return ReadHexBytes(data.substr(4), bytes);
    }
    if (StartsWithNoCase(data, 0, "hex(")) {
        size_t close = data.find(')', 4);
        if (close == WideString::npos || close == 4 || close > 12 || close + 1 >= data.size() || data[close + 1] != ':')
            return false;
        DWORD value = 0;
        for (size_t i = 4; i < close; ++i) {
            int digit = HexDigit(data[i]);
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<DWORD>(digit);
        }
        type = value;
        return ReadHexBytes(data.substr(close + 2), bytes);
    }
    return false;
}

void AppendEscaped(WideString& out, const WideString& text)
{
    for (WCHAR c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
}

// True when the data of a string value is one text and its terminator, with
// nothing in it that a quoted line cannot hold.
bool IsPlainString(const std::vector<BYTE>& data, WideString& text)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    size_t count = data.size() / 2 - 1;
    text.clear();
    for (size_t i = 0; i <= count; ++i) {
        WCHAR c = static_cast<WCHAR>(data[2 * i] | (data[2 * i + 1] << 8));
        if (i == count)
            return c == 0;
        if (c == 0 || c == '\r' || c == '\n')
            return false;
        text.push_back(c);
    }
    return false;
}

void AppendHex(WideString& out, const char* prefix, const std::vector<BYTE>& data)
{
    static const char digits[] = "0123456789abcdef";
    out += Ascii(prefix);
    size_t lineStart = out.rfind('\n');
    lineStart = lineStart == WideString::npos ? 0 : lineStart + 1;
    for (size_t i = 0; i < data.size(); ++i) {
        out.push_back(static_cast<WCHAR>(digits[data[i] >> 4]));
        out.push_back(static_cast<WCHAR>(digits[data[i] & 15]));
        if (i + 1 == data.size())
            break;
        out.push_back(',');
        // A line is continued once it is 77 characters long, as regedit does.
        if (out.size() - lineStart >= 77) {
            out += Ascii("\\\r\n  ");
            lineStart = out.size() - 2;
        }
    }
}

void AppendValue(WideString& out, const PalRegValue& value)
{
    if (value.name.empty()) {
        out.push_back('@');
    } else {
        out.push_back('"');
        AppendEscaped(out, value.name);
        out.push_back('"');
    }
    out.push_back('=');
    WideString text;
    if (value.type == REG_SZ && IsPlainString(value.data, text)) {
        out.push_back('"');
        AppendEscaped(out, text);
        out.push_back('"');
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        static const char digits[] = "0123456789abcdef";
        DWORD number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (static_cast<DWORD>(value.data[3]) << 24);
        out += Ascii("dword:");
        for (int shift = 28; shift >= 0; shift -= 4)
            out.push_back(static_cast<WCHAR>(digits[(number >> shift) & 15]));
    } else if (value.type == REG_BINARY) {
        AppendHex(out, "hex:", value.data);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
        AppendHex(out, prefix, value.data);
    }
    out += Ascii("\r\n");
}

void AppendKey(WideString& out, const PalRegKeyNode& key, const WideString& path, bool isRoot)
{
    if (!isRoot || !key.Values().empty()) {
        out.push_back('[');
        out += path;
        out += Ascii("]\r\n");
        for (const PalRegValue& value : key.Values())
            AppendValue(out, value);
        out += Ascii("\r\n");
    }
    for (const auto& subkey : key.Subkeys())
        AppendKey(out, *subkey, path + WCHAR('\\') + subkey->Name(), false);
}

} // namespace

WideString PalDecodeRegFile(const std::string& bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        WideString text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return text;
    }
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    return PalFromUtf8(bytes.data() + start, bytes.size() - start);
}

std::string PalEncodeRegFile(const WideString& text)
{
    std::string bytes("\xFF\xFE", 2);
    bytes.reserve(2 + text.size() * 2);
    for (WCHAR c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

bool PalParseRegFile(const WideString& text, PalRegKeyNode& root, std::string& error)
{
    std::vector<WideString> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == WideString::npos)
            end = text.size();
        WideString line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }

    bool headerSeen = false;
    PalRegKeyNode* current = nullptr;
    bool inDeletedKey = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        WideString line = TrimBlanks(lines[n]);
        std::string where = "line " + std::to_string(n + 1) + ": ";
        if (line.empty() || line[0] == ';')
            continue;
        if (!headerSeen) {
            if (line != Ascii(kHeader)) {
                error = where + "not a registry file (\"" + kHeader + "\" expected)";
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close == WideString::npos || close != line.size() - 1) {
                error = where + "a key line must end with ']'";
                return false;
            }
            bool remove = line.size() > 1 && line[1] == '-';
            WideString path = line.substr(remove ? 2 : 1, close - (remove ? 2 : 1));
            std::vector<WideString> below;
            if (!KeyPath(path, root.Name(), below)) {
                error = where + "the key is not below " + PalToUtf8(root.Name().c_str());
                return false;
            }
            current = nullptr;
            inDeletedKey = remove;
            if (remove) {
                if (below.empty()) {
                    root.RemoveAllSubkeys();
                    root.RemoveAllValues();
                } else {
                    std::vector<WideString> parentPath(below.begin(), below.end() - 1);
                    if (PalRegKeyNode* parent = root.Find(parentPath))
                        parent->RemoveSubkey(below.back());
                }
                continue;
            }
            current = &root;
            for (const WideString& name : below)
                current = current->AddSubkey(name);
            continue;
        }
        if (line[0] != '@' && line[0] != '"') {
            error = where + "a key, a value or a comment expected";
            return false;
        }
        WideString name; // empty for "@", the default value
        size_t at = 1;
        if (line[0] == '"') {
            at = 0;
            if (!ReadQuoted(line, at, name)) {
                error = where + "the value name has no closing quote";
                return false;
            }
        }
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at == line.size() || line[at] != '=') {
            error = where + "'=' expected after the value name";
            return false;
        }
        WideString data = TrimBlanks(line.substr(at + 1));
        // Hex data may go on over several lines, each but the last ending in "\".
        if (StartsWithNoCase(data, 0, "hex")) {
            while (!data.empty() && data.back() == '\\' && n + 1 < lines.size()) {
                data.pop_back();
                data += TrimBlanks(lines[++n]);
            }
        }
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
        bool remove = false;
        if (!ParseData(data, type, bytes, remove)) {
            error = where + "the value's data cannot be read";
            return false;
        }
        if (!current) {
            if (inDeletedKey)
                continue;
            error = where + "a value before the first key";
            return false;
        }
        if (remove)
            current->RemoveValue(name);
        else
            current->SetValue(name, type, bytes.data(), bytes.size());
    }
    return true;
}

WideString PalFormatRegFile(const PalRegKeyNode& root)
{
    WideString out = Ascii(kHeader);
    out += Ascii("\r\n\r\n");
    AppendKey(out, root, root.Name(), true);
    return out;
}
