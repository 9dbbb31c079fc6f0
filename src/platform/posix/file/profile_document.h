// One profile (INI) file in memory, line by line, as the profile functions
// read and edit it. Lines that an edit does not touch are written back exactly
// as they were read; every line ends with CR LF when the file is written.
#pragma once

#include <string>
#include <vector>

#include "pal/pal.h"

class ProfileDocument {
public:
    enum class Encoding { Utf8, Utf8WithMark, Utf16 };

    // Reads the file; a missing file is an empty document (written as 8-bit
    // text). False, with the last error set, when the file cannot be read.
    bool Load(const std::string& path);
    // Writes the document over the file; false with the last error set.
    bool Save(const std::string& path) const;
    bool Changed() const { return m_changed; }

    // Section and key names compare without regard to case and to blanks
    // around them. Lines before the first section header form the section "".
    bool FindValue(const WideString& section, const WideString& key, WideString& value) const;
    bool HasSection(const WideString& section) const;
    std::vector<WideString> SectionNames() const;
    std::vector<WideString> KeyNames(const WideString& section) const;

    // A new key goes at the end of its section, a new section at the end of
    // the file; an existing key's line is replaced where it stands.
    void SetValue(const WideString& section, const WideString& key, const WideString& value);
    void RemoveKey(const WideString& section, const WideString& key);
    void RemoveSection(const WideString& section);

private:
    struct Line {
        WideString text;
        std::string bytes; // as read, for 8-bit files; empty once edited
        bool edited = false;
    };
    // The lines of a section: its header (npos for the section "") and the
    // lines after it up to the next header.
    struct Range {
        size_t header;
        size_t begin;
        size_t end;
    };

    bool FindSection(const WideString& section, Range& range) const;
    size_t FindKeyLine(const Range& range, const WideString& key) const;
    void InsertLine(size_t at, const WideString& text);

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    bool m_changed = false;
};
