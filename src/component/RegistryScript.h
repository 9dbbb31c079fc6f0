// A registry script in the registrar's language (.rgs), parsed into a tree.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {GUID} = s 'Text'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//       Delete OldKey
//   }
//
// Tokens are separated by white space; a token in single quotes may hold
// blanks, and '' inside it is one quote. "{" and "}" are tokens of their own,
// so an unquoted {GUID} is a name. Keywords (root names, ForceRemove,
// NoRemove, Delete, val, the value types) are case-insensitive; a quoted token
// is never a keyword. Value types: s (REG_SZ), e (REG_EXPAND_SZ), d
// (REG_DWORD: decimal, 0x or &H hexadecimal), m (REG_MULTI_SZ, strings
// separated by \0), b (REG_BINARY, hex pairs).
//
// Before parsing, %NAME% is replaced from the replacement map (names compare
// without regard to case) and %% becomes %; an unknown name is an error.
#pragma once

#include <vector>

#include "pal/pal.h"

// One entry of a key's body: a subkey (with its own body), a named value
// ("val"), or a subtree to delete ("Delete").
struct RegistryScriptEntry {
    enum class Kind { Key, Value, Delete };
    enum class Flag { None, NoRemove, ForceRemove };

    Kind kind = Kind::Key;
    Flag flag = Flag::None;
    WideString name;
    // The key's default value (Key) or the named value (Value).
    bool hasValue = false;
    DWORD valueType = REG_NONE;
    std::vector<BYTE> valueData;
    std::vector<RegistryScriptEntry> children;
};

struct RegistryScriptRoot {
    HKEY root = nullptr;
    std::vector<RegistryScriptEntry> entries;
};

// Names and values for %NAME%.
class CRegistryReplacements {
public:
    void Add(const WCHAR* name, const WCHAR* value);
    // Null when the name is not in the map.
    const WCHAR* Find(const WideString& name) const;

private:
    std::vector<std::pair<WideString, WideString>> m_entries;
};

class CRegistryScript {
public:
    // Replaces the %NAME% references and parses the script. S_OK, or
    // DISP_E_EXCEPTION for a script that is not well-formed or names an
    // unknown replacement (Error() tells what and where).
    HRESULT Parse(const WideString& text, const CRegistryReplacements& replacements);

    const std::vector<RegistryScriptRoot>& Roots() const { return m_roots; }
    const WideString& Error() const { return m_error; }

private:
    std::vector<RegistryScriptRoot> m_roots;
    WideString m_error;
};

// The text of a script resource: UTF-16LE after an FF FE mark, otherwise
// UTF-8 (with or without its mark; plain ASCII is the usual case).
bool DecodeRegistryScript(const BYTE* data, DWORD size, WideString& text);
