#include "pal/reg_file_codec.h"

#include <cstdio>
#include <cstring>

#include "pal/utf8.h"

const char kPalRegFileHeader[] = "Windows Registry Editor Version 5.00";

namespace {

const char kRegedit4Header[] = "REGEDIT4";

WideString Ascii(const char* text) { return PAL_AsciiToWide(text); }

// DWORD digits: 1 to 8 hexadecimal digits between from and to.
bool ReadHexNumber(const WideString& text, size_t from, size_t to, DWORD& value)
{
    if (to <= from || to - from > 8)
        return false;
    value = 0;
    for (size_t i = from; i < to; ++i) {
        int digit = PalHexDigit(text[i]);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<DWORD>(digit);
    }
    return true;
}

// Comma-separated two-digit hex bytes ("00,4a, ff"); blanks may stand around
// the bytes and the commas; the list may be empty and may end with a comma.
bool ReadHexBytes(const WideString& text, std::vector<BYTE>& out)
{
    out.clear();
    size_t i = 0;
    auto skipBlanks = [&]() {
        while (i < text.size() && PalRegIsBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        int high = PalHexDigit(text[i]);
        int low = i + 1 < text.size() ? PalHexDigit(text[i + 1]) : -1;
        if (high < 0 || low < 0)
            return false;
        out.push_back(static_cast<BYTE>(high * 16 + low));
        i += 2;
        skipBlanks();
        if (i == text.size())
            break;
        if (text[i] != ',')
            return false;
        ++i;
        skipBlanks();
    }
    return true;
}

// True when the bytes of a string value are one text and its terminator, with
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
        if (out.size() - lineStart >= 77) {
            out += Ascii("\\\r\n  ");
            lineStart = out.size() - 2;
        }
    }
}

std::vector<WideString> SplitLines(const WideString& text)
{
    std::vector<WideString> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == WideString::npos)
            end = text.size();
        WideString line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string AtLine(size_t number, const std::string& reason) { return "line " + std::to_string(number) + ": " + reason; }

// A value line: its name, "=", and its data (continued over the lines that
// follow while hex data ends with "\"). n is the index of the line; it ends at
// the last line the value took.
bool ReadValueLine(const std::vector<WideString>& lines, size_t& n, const WideString& line, WideString& name,
                   bool& remove, PalRegData& data, std::string& error)
{
    size_t at = 1; // past "@", the default value
    name.clear();
    if (line[0] == '"') {
        at = 0;
        if (!PalRegReadQuoted(line, at, name)) {
            error = "the value name has no closing quote";
            return false;
        }
    }
    while (at < line.size() && PalRegIsBlank(line[at]))
        ++at;
    if (at == line.size() || line[at] != '=') {
        error = "expected \"=\" after the value name";
        return false;
    }
    WideString text = PalRegTrimBlanks(line.substr(at + 1));
    if (PalRegStartsWithNoCase(text, 0, "hex")) {
        while (!text.empty() && text.back() == '\\') {
            if (n + 1 >= lines.size()) {
                error = "the file ends inside a value continued with \"\\\"";
                return false;
            }
            text.pop_back();
            text += PalRegTrimBlanks(lines[++n]);
        }
    }
    remove = text == Ascii("-");
    data = PalRegData();
    return remove || PalRegParseData(text, data, error);
}

} // namespace

bool PalRegIsBlank(WCHAR c) { return c == ' ' || c == '\t'; }

WideString PalRegTrimBlanks(const WideString& text)
{
    size_t start = 0, end = text.size();
    while (start < end && PalRegIsBlank(text[start]))
        ++start;
    while (end > start && PalRegIsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

bool PalRegStartsWithNoCase(const WideString& text, size_t at, const char* word)
{
    size_t n = std::strlen(word);
    if (at > text.size() || text.size() - at < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (PAL_towlower(text[at + i]) != PAL_towlower(static_cast<WCHAR>(word[i])))
            return false;
    return true;
}

bool PalRegIsWordNoCase(const WideString& text, const char* word)
{
    return text.size() == std::strlen(word) && PalRegStartsWithNoCase(text, 0, word);
}

bool PalRegReadQuoted(const WideString& text, size_t& at, WideString& out)
{
    out.clear();
    if (at >= text.size() || text[at] != '"')
        return false;
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

void PalRegAppendQuoted(WideString& out, const WideString& text)
{
    out.push_back('"');
    for (WCHAR c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

std::vector<BYTE> PalRegStringBytes(const WideString& text)
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

std::vector<BYTE> PalRegDwordBytes(DWORD value)
{
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

bool PalRegParseData(const WideString& text, PalRegData& data, std::string& error)
{
    if (!text.empty() && text[0] == '"') {
        size_t at = 0;
        WideString value;
        if (!PalRegReadQuoted(text, at, value) || !PalRegTrimBlanks(text.substr(at)).empty()) {
            error = "a text value must be one quoted text";
            return false;
        }
        data.type = REG_SZ;
        data.bytes = PalRegStringBytes(value);
        return true;
    }
    if (PalRegStartsWithNoCase(text, 0, "dword:")) {
        WideString digits = PalRegTrimBlanks(text.substr(6));
        DWORD value = 0;
        if (!ReadHexNumber(digits, 0, digits.size(), value)) {
            error = "dword: takes 1 to 8 hexadecimal digits";
            return false;
        }
        data.type = REG_DWORD;
        data.bytes = PalRegDwordBytes(value);
        return true;
    }
    if (PalRegStartsWithNoCase(text, 0, "hex")) {
        size_t at = 3;
        data.type = REG_BINARY;
        if (at < text.size() && text[at] == '(') {
            size_t close = text.find(')', at);
            if (close == WideString::npos || !ReadHexNumber(text, at + 1, close, data.type)) {
                error = "hex(n): needs a hexadecimal type number";
                return false;
            }
            at = close + 1;
        }
        if (at >= text.size() || text[at] != ':') {
            error = "hex data is written hex:xx,xx,... or hex(n):xx,xx,...";
            return false;
        }
        if (!ReadHexBytes(text.substr(at + 1), data.bytes)) {
            error = "hex data must be two-digit hexadecimal bytes separated by commas";
            return false;
        }
        return true;
    }
    error = "unknown data (a value is \"text\", dword:..., hex:..., hex(n):... or -)";
    return false;
}

void PalRegAppendData(WideString& out, DWORD type, const std::vector<BYTE>& bytes)
{
    WideString text;
    if (type == REG_SZ && IsPlainString(bytes, text)) {
        PalRegAppendQuoted(out, text);
    } else if (type == REG_DWORD && bytes.size() == 4) {
        static const char digits[] = "0123456789abcdef";
        DWORD number = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24);
        out += Ascii("dword:");
        for (int shift = 28; shift >= 0; shift -= 4)
            out.push_back(static_cast<WCHAR>(digits[(number >> shift) & 15]));
    } else if (type == REG_BINARY) {
        AppendHex(out, "hex:", bytes);
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
        AppendHex(out, prefix, bytes);
    }
}

const char* PalRegTextProblemText(PalRegTextProblem problem)
{
    switch (problem) {
    case PalRegTextProblem::None:
        return "";
    case PalRegTextProblem::HalfCharacter:
        return "the UTF-16 text ends in half a character";
    case PalRegTextProblem::BigEndian:
        return "UTF-16 big-endian text is not taken (save it as UTF-16LE or UTF-8)";
    case PalRegTextProblem::NotUtf8:
        break;
    }
    return "the file is neither UTF-16LE (with its byte-order mark) nor UTF-8 text";
}

WideString PalRegDecodeText(const BYTE* data, size_t size, bool endAtZero, PalRegTextProblem* problem)
{
    PalRegTextProblem found = PalRegTextProblem::None;
    WideString text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        if (size % 2 != 0)
            found = PalRegTextProblem::HalfCharacter;
        text.reserve(size / 2);
        for (size_t i = 2; i + 1 < size; i += 2)
            text.push_back(static_cast<WCHAR>(data[i] | (data[i + 1] << 8)));
    } else {
        size_t start = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
        const char* bytes = reinterpret_cast<const char*>(data) + start;
        size_t length = size - start;
        if (endAtZero) {
            const void* zero = std::memchr(bytes, 0, length);
            if (zero)
                length = static_cast<size_t>(static_cast<const char*>(zero) - bytes);
        }
        bool clean = true;
        text.resize(PalDecodeUtf8(bytes, length, nullptr, PalUtf8Rule::Tolerant, &clean));
        if (!text.empty())
            PalDecodeUtf8(bytes, length, &text[0], PalUtf8Rule::Tolerant, nullptr);
        if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
            found = PalRegTextProblem::BigEndian;
        else if (!clean)
            found = PalRegTextProblem::NotUtf8;
    }
    if (endAtZero) {
        size_t end = text.find(WCHAR(0));
        if (end != WideString::npos)
            text.resize(end);
    }
    if (problem)
        *problem = found;
    return text;
}

WideString PalRegDecodeText(const std::string& bytes, PalRegTextProblem* problem)
{
    return PalRegDecodeText(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), false, problem);
}

std::string PalRegEncodeText(const WideString& text)
{
    std::string bytes("\xFF\xFE", 2);
    bytes.reserve(2 + text.size() * 2);
    for (WCHAR c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

PalRegFileResult PalReadRegFile(const WideString& text, CPalRegFileSink& sink, std::string& error)
{
    std::vector<WideString> lines = SplitLines(text);
    bool headerSeen = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        WideString line = PalRegTrimBlanks(lines[n]);
        const size_t number = n + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (!headerSeen) {
            if (line != Ascii(kPalRegFileHeader) && line != Ascii(kRegedit4Header)) {
                error = AtLine(number, std::string("not a registry file (the first line must be \"") +
                                           kPalRegFileHeader + "\")");
                return PalRegFileResult::Invalid;
            }
            headerSeen = true;
            continue;
        }
        std::string reason;
        bool read = false;
        if (line[0] == '[') {
            if (line.back() != ']') {
                reason = "a key line must end with \"]\"";
            } else {
                bool remove = line[1] == '-';
                WideString path = line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2));
                read = sink.Key(path, remove, static_cast<long>(number), reason);
            }
        } else if (line[0] == '@' || line[0] == '"') {
            WideString name;
            bool remove = false;
            PalRegData data;
            read = ReadValueLine(lines, n, line, name, remove, data, reason) &&
                   sink.Value(name, remove, data, static_cast<long>(number), reason);
        } else {
            reason = "expected a key \"[...]\", a value \"name\"=... or @=..., or a comment \";...\"";
        }
        if (!read) {
            error = AtLine(number, reason);
            return PalRegFileResult::Invalid;
        }
    }
    if (!headerSeen) {
        error = std::string("the file is empty (a registry file starts with \"") + kPalRegFileHeader + "\")";
        return PalRegFileResult::Empty;
    }
    return PalRegFileResult::Read;
}
