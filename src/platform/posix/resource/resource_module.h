// Modules of the POSIX layer. An HMODULE is a PalModule: a directory of
// resources in the PE layout (type, name, language -> bytes). Each kind of
// module fills the directory from its own source:
// - the library module, from the embedded table compiled into the library;
// - the executable module, which is the library module when the library code
//   is linked into the executable itself, and has no resources otherwise;
// - data-file modules, Windows .dll/.exe files opened with
//   LoadLibraryExW(..., LOAD_LIBRARY_AS_DATAFILE) and read into memory;
// - shared-object modules, shared objects of the process found by name
//   (dynamic_symbols.h), which have no resources.
// Live modules are tracked, so a stale or foreign HMODULE is refused instead
// of dereferenced.
#pragma once

#include <deque>
#include <string>

#include "pal/pal.h"

// A resource type or name: an integer id (MAKEINTRESOURCEW) or a text, which
// compares without regard to case.
class PalResourceId {
public:
    // From an API argument: an integer resource, "#123" (the id 123), or a name.
    static PalResourceId FromArgument(LPCWSTR value);
    static PalResourceId FromNumber(WORD number);
    static PalResourceId FromName(const WideString& name);

    bool IsNumber() const { return m_isNumber; }
    WORD Number() const { return m_number; }
    // The name in upper case (empty for a number).
    const WideString& Name() const { return m_name; }

    bool operator==(const PalResourceId& other) const
    {
        return m_isNumber == other.m_isNumber && m_number == other.m_number && m_name == other.m_name;
    }

private:
    bool m_isNumber = true;
    WORD m_number = 0;
    WideString m_name;
};

// One resource in one language. The bytes belong to the module that holds it.
struct PalResource {
    PalResourceId type;
    PalResourceId name;
    WORD language;
    const BYTE* data;
    DWORD size;
};

struct PalModule {
    enum class Kind { Library, Executable, DataFile, SharedObject };

    explicit PalModule(Kind kind) : m_kind(kind) {}
    virtual ~PalModule() = default;
    PalModule(const PalModule&) = delete;
    PalModule& operator=(const PalModule&) = delete;

    Kind GetKind() const { return m_kind; }

    // The file the module was loaded from (UTF-8); false when it has none that
    // GetModuleFileNameW reports (a data-file module).
    virtual bool FilePath(std::string& path) const = 0;

    // The resource of the type and name in the language. A language whose
    // primary language is neutral (0, 0x0400, 0x0800) lets the module choose
    // as Windows does: a neutral resource, then the user interface language
    // (en-US), then another English one, then the first. Any other language
    // must match exactly. Null with the last error (type, name or language
    // not found) when there is none.
    const PalResource* Find(const PalResourceId& type, const PalResourceId& name, WORD language) const;

    // Whether the pointer is one of this module's resources.
    bool Holds(const PalResource* resource) const;

protected:
    // Adds a resource; data must stay valid as long as the module lives.
    void AddResource(const PalResourceId& type, const PalResourceId& name, WORD language, const BYTE* data,
                     DWORD size);

private:
    Kind m_kind;
    std::deque<PalResource> m_resources;
};

// The language of the library's resources and of the layer's user interface.
constexpr WORD kPalLanguageEnglishUS = 0x0409;

// The module table. Registering hands the module to the table; unregistering
// a data-file module deletes it.
void PalRegisterModule(PalModule* module);
bool PalUnregisterModule(PalModule* module);
// The live module behind a handle (null: the executable module); null with
// ERROR_INVALID_HANDLE for anything else.
PalModule* PalResolveModule(HMODULE handle);

// The library's own module: the embedded resource table.
PalModule* PalLibraryModule();
// The module of the process's executable.
PalModule* PalExecutableModule();

// Where the code lives (UTF-8 absolute paths): the file that holds the library
// code, and the executable. PalLibraryIsExecutable tells whether they are the
// same file (the library linked into the program).
bool PalLibraryFilePath(std::string& path);
bool PalExecutableFilePath(std::string& path);
bool PalLibraryIsExecutable();

// Opens a Windows module file as data (its resources only). Null with the last
// error set when it cannot.
PalModule* PalOpenDataFileModule(const std::string& path);
