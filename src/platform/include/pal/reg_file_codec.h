// The registry-file family's shared pieces: the text of registry files
// ("Windows Registry Editor Version 5.00" as regedit writes them, also how the
// POSIX registry keeps its hives) and the lexical pieces that the registrar's
// scripts (.rgs) use as well.
//
// A registry file is UTF-16LE after the byte-order mark FF FE, otherwise UTF-8
// (a UTF-8 byte-order mark is skipped). Its first line (after blank and
// comment lines) is "Windows Registry Editor Version 5.00" or "REGEDIT4";
// then come key lines "[ROOT\path]" and "[-ROOT\path]" (the key deleted),
// value lines "name"=data and @=data (the key's default value), ";" comments
// and blank lines. The data of a value is one of
//   "text"         REG_SZ, with the escapes \\ and \"
//   dword:1a2b     REG_DWORD, 1 to 8 hexadecimal digits
//   hex:01,ff      REG_BINARY, two-digit bytes separated by commas
//   hex(N):...     type N (hexadecimal): hex(2) REG_EXPAND_SZ, hex(7)
//                  REG_MULTI_SZ, hex(b) REG_QWORD...
//   -              the value deleted
// Hex data may go on over several lines, each but the last ending in "\".
// Prefixes compare without regard to case; blanks around the parts of a line
// do not count.
#pragma once

#include <string>
#include <vector>

#include "pal/pal.h"

// ---- Lexical pieces ----

bool PalRegIsBlank(WCHAR c); // a blank or a tab
WideString PalRegTrimBlanks(const WideString& text);
// True when text, from position at on, begins with the ASCII word (any case).
bool PalRegStartsWithNoCase(const WideString& text, size_t at, const char* word);
// True when text is the ASCII word (any case).
bool PalRegIsWordNoCase(const WideString& text, const char* word);

// A quoted text starting at text[at] == '"', with the escapes \\ and \". On
// success "at" is past the closing quote.
bool PalRegReadQuoted(const WideString& text, size_t& at, WideString& out);
// Appends "text" with \ and " escaped.
void PalRegAppendQuoted(WideString& out, const WideString& text);

// ---- Value data ----

// The bytes of a REG_SZ or REG_EXPAND_SZ value: UTF-16LE with the terminator.
std::vector<BYTE> PalRegStringBytes(const WideString& text);
// The bytes of a REG_DWORD value (little-endian).
std::vector<BYTE> PalRegDwordBytes(DWORD value);

struct PalRegData {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

// Reads the data of a value line (the text after "=", without its blanks):
// "text", dword:, hex: or hex(N):. False with the reason.
bool PalRegParseData(const WideString& text, PalRegData& data, std::string& error);
// Appends the data in its text form: "text" for a string that a quoted line
// can hold, dword: for a four-byte REG_DWORD, hex: for REG_BINARY, hex(N):
// for everything else. Hex lines are continued once they are 77 characters
// long, as regedit does.
void PalRegAppendData(WideString& out, DWORD type, const std::vector<BYTE>& bytes);

// ---- Whole files ----

extern const char kPalRegFileHeader[]; // "Windows Registry Editor Version 5.00"

// What can be wrong with the bytes of a registry file or script.
enum class PalRegTextProblem {
    None,
    HalfCharacter, // UTF-16 text with an odd last byte (dropped)
    BigEndian,     // FE FF: UTF-16 big-endian, which is not taken
    NotUtf8,       // neither UTF-16LE (with its mark) nor UTF-8 (U+FFFD stands in)
};
// A sentence that tells the problem to the user.
const char* PalRegTextProblemText(PalRegTextProblem problem);

// The text of a registry file or script: UTF-16LE after FF FE, else UTF-8
// (after its byte-order mark, if any). With endAtZero the text ends at the
// first zero (resources may be padded with zeros). The text is as much as
// can be made of the bytes; problem (when not null) tells what is wrong.
WideString PalRegDecodeText(const BYTE* data, size_t size, bool endAtZero, PalRegTextProblem* problem);
WideString PalRegDecodeText(const std::string& bytes, PalRegTextProblem* problem);
// FF FE, then the text as UTF-16LE.
std::string PalRegEncodeText(const WideString& text);

// What a registry file holds, line by line, as the reader meets it.
class CPalRegFileSink {
public:
    virtual ~CPalRegFileSink() = default;
    // A key line: path is what stands between "[" (or "[-") and "]". False
    // with a reason stops the reading.
    virtual bool Key(const WideString& path, bool remove, long line, std::string& error) = 0;
    // A value line: name is empty for "@"; remove for "=-" (data is then
    // empty). False with a reason stops the reading.
    virtual bool Value(const WideString& name, bool remove, const PalRegData& data, long line,
                       std::string& error) = 0;
};

enum class PalRegFileResult {
    Read,    // every line was read
    Empty,   // no header: nothing but blank lines and comments
    Invalid, // error says "line N: reason"
};

PalRegFileResult PalReadRegFile(const WideString& text, CPalRegFileSink& sink, std::string& error);
