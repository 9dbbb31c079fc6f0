#include "file/profile_document.h"

#include <cerrno>
#include <cstdio>

#include "kernel/errno_map.h"
#include "file/path.h"
#include "pal/utf8.h"

namespace {

bool IsBlank(WCHAR c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

WideString Trim(const WideString& text)
{
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

WideString TrimLeft(const WideString& text)
{
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.substr(start);
}

bool SameName(const WideString& a, const WideString& b) { return PAL_wcsicmp(a.c_str(), b.c_str()) == 0; }

// The name of a section header line ("[name]"), or false for another line.
bool HeaderName(const WideString& line, WideString& name)
{
    WideString text = TrimLeft(line);
    if (text.empty() || text[0] != '[')
        return false;
    size_t close = text.find(']', 1);
    name = Trim(text.substr(1, close == WideString::npos ? WideString::npos : close - 1));
    return true;
}

// The key and value of a "key=value" line, or false for another line. A
// comment line (";...") that holds an equals sign answers to its whole key but
// is not listed among the keys.
bool KeyLine(const WideString& line, WideString& key, WideString& value)
{
    WideString text = TrimLeft(line);
    if (text.empty() || text[0] == '[')
        return false;
    size_t equals = text.find('=');
    if (equals == WideString::npos)
        return false;
    key = Trim(text.substr(0, equals));
    value = Trim(text.substr(equals + 1));
    return !key.empty();
}

// Line breaks would split a line in two: they are written as blanks.
WideString OneLine(const WideString& text)
{
    WideString out = text;
    for (WCHAR& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

void AppendUtf16(std::string& out, const WideString& text)
{
    for (WCHAR c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
}

} // namespace

bool ProfileDocument::Load(const std::string& path)
{
    m_lines.clear();
    m_encoding = Encoding::Utf8;
    m_changed = false;
    FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file) {
        if (errno == ENOENT)
            return true;
        PalSetLastErrorFromErrno(errno);
        return false;
    }
    std::string bytes;
    char buffer[16384];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        SetLastError(ERROR_READ_FAULT);
        return false;
    }

    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        m_encoding = Encoding::Utf16;
        WideString text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            size_t next = end == WideString::npos ? text.size() : end + 1;
            if (end == WideString::npos)
                end = text.size();
            Line line;
            line.text = text.substr(start, end - start);
            if (!line.text.empty() && line.text.back() == '\r')
                line.text.pop_back();
            m_lines.push_back(line);
            start = next;
        }
        return true;
    }

    size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        m_encoding = Encoding::Utf8WithMark;
        start = 3;
    }
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        Line line;
        line.bytes = bytes.substr(start, end - start);
        if (!line.bytes.empty() && line.bytes.back() == '\r')
            line.bytes.pop_back();
        line.text = PalFromUtf8(line.bytes.data(), line.bytes.size());
        m_lines.push_back(line);
        start = next;
    }
    return true;
}

bool ProfileDocument::Save(const std::string& path) const
{
    std::string bytes;
    if (m_encoding == Encoding::Utf16)
        bytes = "\xFF\xFE";
    else if (m_encoding == Encoding::Utf8WithMark)
        bytes = "\xEF\xBB\xBF";
    for (const Line& line : m_lines) {
        if (m_encoding == Encoding::Utf16) {
            AppendUtf16(bytes, line.text);
            bytes.append("\r\0\n\0", 4);
        } else {
            bytes += line.edited ? PalToUtf8(line.text.c_str(), line.text.size()) : line.bytes;
            bytes += "\r\n";
        }
    }
    FILE* file = std::fopen(path.c_str(), "wbe");
    if (!file) {
        int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            SetLastError(ERROR_PATH_NOT_FOUND);
        else
            PalSetLastErrorFromErrno(error == EISDIR ? EACCES : error);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written)
        PalSetLastErrorFromErrno(error);
    return written;
}

bool ProfileDocument::FindSection(const WideString& section, Range& range) const
{
    WideString wanted = Trim(section);
    WideString name;
    size_t firstHeader = m_lines.size();
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (HeaderName(m_lines[i].text, name)) {
            firstHeader = i;
            break;
        }
    }
    if (wanted.empty()) {
        range = {std::string::npos, 0, firstHeader};
        return true;
    }
    for (size_t i = firstHeader; i < m_lines.size(); ++i) {
        if (!HeaderName(m_lines[i].text, name) || !SameName(name, wanted))
            continue;
        size_t end = i + 1;
        while (end < m_lines.size() && !HeaderName(m_lines[end].text, name))
            ++end;
        range = {i, i + 1, end};
        return true;
    }
    return false;
}

size_t ProfileDocument::FindKeyLine(const Range& range, const WideString& key) const
{
    WideString wanted = Trim(key);
    WideString name, value;
    for (size_t i = range.begin; i < range.end; ++i)
        if (KeyLine(m_lines[i].text, name, value) && SameName(name, wanted))
            return i;
    return std::string::npos;
}

bool ProfileDocument::FindValue(const WideString& section, const WideString& key, WideString& value) const
{
    Range range;
    if (!FindSection(section, range))
        return false;
    size_t at = FindKeyLine(range, key);
    if (at == std::string::npos)
        return false;
    WideString name;
    KeyLine(m_lines[at].text, name, value);
    return true;
}

bool ProfileDocument::HasSection(const WideString& section) const
{
    Range range;
    return FindSection(section, range);
}

std::vector<WideString> ProfileDocument::SectionNames() const
{
    std::vector<WideString> names;
    WideString name;
    for (const Line& line : m_lines)
        if (HeaderName(line.text, name))
            names.push_back(name);
    return names;
}

std::vector<WideString> ProfileDocument::KeyNames(const WideString& section) const
{
    std::vector<WideString> names;
    Range range;
    if (!FindSection(section, range))
        return names;
    WideString name, value;
    for (size_t i = range.begin; i < range.end; ++i)
        if (KeyLine(m_lines[i].text, name, value) && name[0] != ';')
            names.push_back(name);
    return names;
}

void ProfileDocument::InsertLine(size_t at, const WideString& text)
{
    Line line;
    line.text = text;
    line.edited = true;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    m_changed = true;
}

void ProfileDocument::SetValue(const WideString& section, const WideString& key, const WideString& value)
{
    WideString keyText = OneLine(TrimLeft(key));
    WideString valueText = OneLine(TrimLeft(value));
    Range range;
    if (!FindSection(section, range)) {
        InsertLine(m_lines.size(), W("[") + OneLine(Trim(section)) + W("]"));
        InsertLine(m_lines.size(), keyText + W("=") + valueText);
        return;
    }
    size_t at = FindKeyLine(range, key);
    if (at != std::string::npos) {
        // The line keeps its key as it is written there.
        WideString name, old;
        KeyLine(m_lines[at].text, name, old);
        WideString text = name + W("=") + valueText;
        if (text != m_lines[at].text) {
            m_lines[at].text = text;
            m_lines[at].edited = true;
            m_changed = true;
        }
        return;
    }
    // After the last line of the section that is not blank.
    size_t end = range.end;
    while (end > range.begin && Trim(m_lines[end - 1].text).empty())
        --end;
    InsertLine(end, keyText + W("=") + valueText);
}

void ProfileDocument::RemoveKey(const WideString& section, const WideString& key)
{
    Range range;
    if (!FindSection(section, range))
        return;
    size_t at = FindKeyLine(range, key);
    if (at == std::string::npos)
        return;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(at));
    m_changed = true;
}

void ProfileDocument::RemoveSection(const WideString& section)
{
    Range range;
    if (!FindSection(section, range))
        return;
    size_t first = range.header == std::string::npos ? range.begin : range.header;
    if (first == range.end)
        return;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first), m_lines.begin() + static_cast<std::ptrdiff_t>(range.end));
    m_changed = true;
}
