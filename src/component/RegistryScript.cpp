// Parsing of registry scripts (see RegistryScript.h).
#include "component/RegistryScript.h"

#include <new>

#include "pal/reg_file_codec.h"

void CRegistryReplacements::Add(const WCHAR* name, const WCHAR* value)
{
    for (auto& entry : m_entries) {
        if (PAL_wcsicmp(entry.first.c_str(), name) == 0) {
            entry.second = value;
            return;
        }
    }
    m_entries.emplace_back(name, value);
}

const WCHAR* CRegistryReplacements::Find(const WideString& name) const
{
    for (const auto& entry : m_entries)
        if (PAL_wcsicmp(entry.first.c_str(), name.c_str()) == 0)
            return entry.second.c_str();
    return nullptr;
}

bool DecodeRegistryScript(const BYTE* data, DWORD size, WideString& text)
{
    text.clear();
    if (!data)
        return false;
    // A resource may be padded with zeros, and an odd byte after UTF-16 text
    // is padding too.
    PalRegTextProblem problem = PalRegTextProblem::None;
    text = PalRegDecodeText(data, size, true, &problem);
    return problem == PalRegTextProblem::None || problem == PalRegTextProblem::HalfCharacter;
}

namespace {

// Blanks of a script: tokens are separated by blanks, tabs and line ends.
bool IsBlank(WCHAR c) { return PalRegIsBlank(c) || c == '\r' || c == '\n'; }

struct Token {
    WideString text;
    bool quoted = false;
    size_t line = 0;
};

class CScriptParser {
public:
    CScriptParser(const WideString& text, WideString& error) : m_text(text), m_error(error) {}

    bool Tokenize()
    {
        size_t line = 1;
        size_t i = 0;
        while (i < m_text.size()) {
            WCHAR c = m_text[i];
            if (IsBlank(c)) {
                if (c == '\n')
                    ++line;
                ++i;
                continue;
            }
            Token token;
            token.line = line;
            if (c == '\'') {
                token.quoted = true;
                ++i;
                for (;;) {
                    if (i >= m_text.size())
                        return Fail(line, "unterminated quoted text");
                    if (m_text[i] == '\'') {
                        if (i + 1 < m_text.size() && m_text[i + 1] == '\'') {
                            token.text.push_back('\'');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (m_text[i] == '\n')
                        ++line;
                    token.text.push_back(m_text[i++]);
                }
            } else {
                while (i < m_text.size() && !IsBlank(m_text[i]))
                    token.text.push_back(m_text[i++]);
            }
            m_tokens.push_back(std::move(token));
        }
        return true;
    }

    bool ParseScript(std::vector<RegistryScriptRoot>& roots)
    {
        while (m_next < m_tokens.size()) {
            const Token& name = m_tokens[m_next++];
            RegistryScriptRoot root;
            root.root = RootKey(name);
            if (!root.root)
                return Fail(name.line, "unknown root key");
            if (!ExpectOpen())
                return false;
            if (!ParseBody(root.entries))
                return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    static HKEY RootKey(const Token& token)
    {
        if (token.quoted)
            return nullptr;
        if (PalRegIsWordNoCase(token.text, "HKCR") || PalRegIsWordNoCase(token.text, "HKEY_CLASSES_ROOT"))
            return HKEY_CLASSES_ROOT;
        if (PalRegIsWordNoCase(token.text, "HKCU") || PalRegIsWordNoCase(token.text, "HKEY_CURRENT_USER"))
            return HKEY_CURRENT_USER;
        if (PalRegIsWordNoCase(token.text, "HKLM") || PalRegIsWordNoCase(token.text, "HKEY_LOCAL_MACHINE"))
            return HKEY_LOCAL_MACHINE;
        if (PalRegIsWordNoCase(token.text, "HKU") || PalRegIsWordNoCase(token.text, "HKEY_USERS"))
            return HKEY_USERS;
        return nullptr;
    }

    bool IsWord(const Token& token, const char* word) const
    {
        return !token.quoted && PalRegIsWordNoCase(token.text, word);
    }
    bool IsOpen(const Token& token) const { return !token.quoted && token.text == W("{"); }
    bool IsClose(const Token& token) const { return !token.quoted && token.text == W("}"); }

    const Token* Peek() const { return m_next < m_tokens.size() ? &m_tokens[m_next] : nullptr; }

    const Token* Take(const char* what)
    {
        if (m_next >= m_tokens.size()) {
            Fail(m_tokens.empty() ? 1 : m_tokens.back().line, what);
            return nullptr;
        }
        return &m_tokens[m_next++];
    }

    bool ExpectOpen()
    {
        const Token* token = Take("unexpected end: '{' expected");
        if (!token)
            return false;
        if (!IsOpen(*token))
            return Fail(token->line, "'{' expected");
        return true;
    }

    // Entries up to and including the closing brace.
    bool ParseBody(std::vector<RegistryScriptEntry>& entries)
    {
        for (;;) {
            const Token* token = Take("unexpected end: '}' expected");
            if (!token)
                return false;
            if (IsClose(*token))
                return true;
            if (IsOpen(*token))
                return Fail(token->line, "a key name is expected before '{'");
            RegistryScriptEntry entry;
            if (IsWord(*token, "val")) {
                entry.kind = RegistryScriptEntry::Kind::Value;
                if (!TakeName(entry.name) || !ParseAssignment(entry, true))
                    return false;
            } else if (IsWord(*token, "Delete")) {
                entry.kind = RegistryScriptEntry::Kind::Delete;
                if (!TakeName(entry.name))
                    return false;
                // A body after a deleted key has no meaning; it is read and dropped.
                const Token* next = Peek();
                if (next && IsOpen(*next)) {
                    ++m_next;
                    std::vector<RegistryScriptEntry> ignored;
                    if (!ParseBody(ignored))
                        return false;
                }
            } else {
                if (IsWord(*token, "ForceRemove")) {
                    entry.flag = RegistryScriptEntry::Flag::ForceRemove;
                    if (!TakeName(entry.name))
                        return false;
                } else if (IsWord(*token, "NoRemove")) {
                    entry.flag = RegistryScriptEntry::Flag::NoRemove;
                    if (!TakeName(entry.name))
                        return false;
                } else {
                    entry.name = token->text;
                }
                if (!ParseAssignment(entry, false))
                    return false;
                const Token* next = Peek();
                if (next && IsOpen(*next)) {
                    ++m_next;
                    if (!ParseBody(entry.children))
                        return false;
                }
            }
            entries.push_back(std::move(entry));
        }
    }

    bool TakeName(WideString& name)
    {
        const Token* token = Take("unexpected end: a name is expected");
        if (!token)
            return false;
        if (IsOpen(*token) || IsClose(*token) || (!token->quoted && token->text == W("=")))
            return Fail(token->line, "a name is expected");
        name = token->text;
        return true;
    }

    // "= type value"; required for values, optional for keys.
    bool ParseAssignment(RegistryScriptEntry& entry, bool required)
    {
        const Token* token = Peek();
        if (!token || token->quoted || token->text != W("=")) {
            if (required)
                return Fail(token ? token->line : m_tokens.back().line, "'=' expected");
            return true;
        }
        ++m_next;
        const Token* type = Take("unexpected end: a value type is expected");
        if (!type)
            return false;
        const Token* value = Take("unexpected end: a value is expected");
        if (!value)
            return false;
        entry.hasValue = true;
        if (IsWord(*type, "s"))
            return StringValue(entry, REG_SZ, value->text);
        if (IsWord(*type, "e"))
            return StringValue(entry, REG_EXPAND_SZ, value->text);
        if (IsWord(*type, "d"))
            return DwordValue(entry, *value);
        if (IsWord(*type, "m"))
            return MultiStringValue(entry, value->text);
        if (IsWord(*type, "b"))
            return BinaryValue(entry, *value);
        return Fail(type->line, "unknown value type");
    }

    // The text and its terminator, as UTF-16LE.
    static void AppendUnits(std::vector<BYTE>& data, const WideString& text)
    {
        std::vector<BYTE> bytes = PalRegStringBytes(text);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }

    static bool StringValue(RegistryScriptEntry& entry, DWORD type, const WideString& text)
    {
        entry.valueType = type;
        AppendUnits(entry.valueData, text);
        return true;
    }

    static bool MultiStringValue(RegistryScriptEntry& entry, const WideString& text)
    {
        entry.valueType = REG_MULTI_SZ;
        WideString part;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0') {
                AppendUnits(entry.valueData, part);
                part.clear();
                ++i;
                continue;
            }
            part.push_back(text[i]);
        }
        if (!part.empty())
            AppendUnits(entry.valueData, part);
        AppendUnits(entry.valueData, WideString());
        return true;
    }

    bool DwordValue(RegistryScriptEntry& entry, const Token& value)
    {
        const WideString& text = value.text;
        unsigned base = 10;
        size_t start = 0;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            base = 16;
            start = 2;
        } else if (text.size() > 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H')) {
            base = 16;
            start = 2;
        }
        if (start >= text.size())
            return Fail(value.line, "a number is expected");
        unsigned long long number = 0;
        for (size_t i = start; i < text.size(); ++i) {
            int digit = PalHexDigit(text[i]);
            if (digit < 0 || static_cast<unsigned>(digit) >= base)
                return Fail(value.line, "a number is expected");
            number = number * base + static_cast<unsigned>(digit);
            if (number > 0xFFFFFFFFull)
                return Fail(value.line, "the number does not fit in 32 bits");
        }
        entry.valueType = REG_DWORD;
        entry.valueData = PalRegDwordBytes(static_cast<DWORD>(number));
        return true;
    }

    bool BinaryValue(RegistryScriptEntry& entry, const Token& value)
    {
        const WideString& text = value.text;
        if (text.size() % 2 != 0)
            return Fail(value.line, "binary data needs pairs of hex digits");
        entry.valueType = REG_BINARY;
        for (size_t i = 0; i < text.size(); i += 2) {
            int high = PalHexDigit(text[i]), low = PalHexDigit(text[i + 1]);
            if (high < 0 || low < 0)
                return Fail(value.line, "binary data needs pairs of hex digits");
            entry.valueData.push_back(static_cast<BYTE>(high * 16 + low));
        }
        return true;
    }

    bool Fail(size_t line, const char* what)
    {
        m_error = PAL_AsciiToWide("line ") + PAL_AsciiToWide(std::to_string(line).c_str()) + W(": ") +
                  PAL_AsciiToWide(what);
        return false;
    }

    const WideString& m_text;
    WideString& m_error;
    std::vector<Token> m_tokens;
    size_t m_next = 0;
};

// The text with every %NAME% replaced and %% made one %.
bool Replace(const WideString& text, const CRegistryReplacements& replacements, WideString& out, WideString& error)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        size_t end = text.find(WCHAR('%'), i + 1);
        if (end == WideString::npos) {
            error = W("a '%' without its closing '%'");
            return false;
        }
        if (end == i + 1) {
            out.push_back('%');
        } else {
            WideString name = text.substr(i + 1, end - i - 1);
            const WCHAR* value = replacements.Find(name);
            if (!value) {
                error = W("unknown replacement %") + name + W("%");
                return false;
            }
            out += value;
        }
        i = end;
    }
    return true;
}

} // namespace

HRESULT CRegistryScript::Parse(const WideString& text, const CRegistryReplacements& replacements)
{
    m_roots.clear();
    m_error.clear();
    try {
        WideString replaced;
        if (!Replace(text, replacements, replaced, m_error))
            return DISP_E_EXCEPTION;
        CScriptParser parser(replaced, m_error);
        if (!parser.Tokenize() || !parser.ParseScript(m_roots)) {
            m_roots.clear();
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        m_roots.clear();
        return E_OUTOFMEMORY;
    }
}
