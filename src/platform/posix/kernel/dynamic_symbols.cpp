// Exports of the modules of the process (GetProcAddress) and the loaded
// shared objects that GetModuleHandleW finds by name. A module of a shared
// object holds no reference on it: each lookup opens the object again with
// RTLD_NOLOAD, so a handle whose object has been unloaded finds nothing
// instead of reaching freed code.
#include "kernel/dynamic_symbols.h"

#include <dlfcn.h>
#include <link.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "pal/utf8.h"

namespace {

struct PalSharedObjectModule : PalModule {
    explicit PalSharedObjectModule(const std::string& path) : PalModule(Kind::SharedObject), m_path(path) {}
    bool FilePath(std::string& path) const override
    {
        path = m_path;
        return true;
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::mutex& SharedObjectLock()
{
    static std::mutex lock;
    return lock;
}

// Path of a loaded object -> its module (kept for the life of the process).
std::map<std::string, PalModule*>& SharedObjectModules()
{
    static std::map<std::string, PalModule*>* modules = new std::map<std::string, PalModule*>();
    return *modules;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string SharedObjectFileName(const WCHAR* name)
{
    std::string file = PalToUtf8(name);
    if (EndsWith(file, ".so") || file.find(".so.") != std::string::npos || file.find('/') != std::string::npos)
        return file;
    if (file.size() > 4) {
        std::string extension = file.substr(file.size() - 4);
        for (char& c : extension)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (extension == ".dll")
            file.erase(file.size() - 4);
    }
    return "lib" + file + ".so";
}

// The export of a loaded object, looked up while the object is held open.
FARPROC FindInLoadedObject(const char* path, const char* symbol)
{
    void* handle = dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    void* address = dlsym(handle, symbol);
    dlclose(handle);
    return reinterpret_cast<FARPROC>(address);
}

// The path under which an object named by a path is loaded; empty when it is
// not loaded.
std::string LoadedObjectPath(const std::string& file)
{
    void* handle = dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return std::string();
    std::string path;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && map->l_name[0])
        path = map->l_name;
    dlclose(handle);
    return path;
}

// The path of a loaded object whose file name is `file`, found in the list of
// the process's loaded objects. Unlike dlopen with RTLD_NOLOAD, this does not
// search the library folders on disk, which matters because the logger asks
// for the host's libraries with every event.
std::string LoadedObjectPathByFileName(const std::string& file)
{
    struct Search {
        const std::string* file;
        std::string path;
    } search{&file, std::string()};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            Search* wanted = static_cast<Search*>(data);
            const char* name = info->dlpi_name;
            if (!name || !*name)
                return 0;
            const char* slash = std::strrchr(name, '/');
            if (*wanted->file != (slash ? slash + 1 : name))
                return 0;
            wanted->path = name;
            return 1;
        },
        &search);
    return search.path;
}

} // namespace

namespace {

// The loader's counts of objects added to and removed from the process;
// they change whenever the set of loaded objects may have changed. False
// when the C library does not give them.
struct LoadCounts {
    unsigned long long adds = 0;
    unsigned long long subs = 0;
    bool operator==(const LoadCounts& other) const { return adds == other.adds && subs == other.subs; }
};

bool CurrentLoadCounts(LoadCounts& counts)
{
    struct Read {
        LoadCounts counts;
        bool known = false;
    } read;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t size, void* data) -> int {
            Read* out = static_cast<Read*>(data);
            if (size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof(info->dlpi_subs)) {
                out->counts.adds = info->dlpi_adds;
                out->counts.subs = info->dlpi_subs;
                out->known = true;
            }
            return 1; // the first object tells
        },
        &read);
    counts = read.counts;
    return read.known;
}

// The answers given since the loaded objects last changed: name -> module
// (null: not loaded). The host asks for the same few names with every event,
// so they are answered from here until an object is loaded or unloaded.
struct KnownAnswers {
    LoadCounts counts;
    std::vector<std::pair<WideString, PalModule*>> answers;
};

KnownAnswers& Answers()
{
    static KnownAnswers* answers = new KnownAnswers();
    return *answers;
}

// The module for the name, found in the process's loaded objects.
PalModule* LookUpLoadedSharedObject(const WCHAR* name)
{
    std::string file = SharedObjectFileName(name);
    std::string path = file.find('/') == std::string::npos ? LoadedObjectPathByFileName(file) : LoadedObjectPath(file);
    if (path.empty())
        return nullptr;

    std::lock_guard<std::mutex> guard(SharedObjectLock());
    PalModule*& module = SharedObjectModules()[path];
    if (!module) {
        module = new PalSharedObjectModule(path);
        PalRegisterModule(module);
    }
    return module;
}

} // namespace

PalModule* PalFindLoadedSharedObject(const WCHAR* name)
{
    if (!name || !*name) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    LoadCounts counts;
    const bool countsKnown = CurrentLoadCounts(counts);
    PalModule* module = nullptr;
    bool answered = false;
    if (countsKnown) {
        std::lock_guard<std::mutex> guard(SharedObjectLock());
        KnownAnswers& known = Answers();
        if (!(known.counts == counts)) {
            known.answers.clear();
            known.counts = counts;
        }
        for (const auto& answer : known.answers) {
            if (PAL_wcscmp(answer.first.c_str(), name) == 0) {
                module = answer.second;
                answered = true;
                break;
            }
        }
    }
    if (!answered) {
        module = LookUpLoadedSharedObject(name);
        if (countsKnown) {
            std::lock_guard<std::mutex> guard(SharedObjectLock());
            KnownAnswers& known = Answers();
            if (known.counts == counts) {
                try {
                    known.answers.emplace_back(WideString(name), module);
                } catch (...) {
                    // Answered again next time.
                }
            }
        }
    }
    if (!module)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return module;
}

extern "C" FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    PalModule* module = PalResolveModule(hModule);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // Exports by ordinal do not exist here.
    if (!lpProcName || reinterpret_cast<ULONG_PTR>(lpProcName) <= 0xFFFF) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    FARPROC address = nullptr;
    std::string path;
    switch (module->GetKind()) {
    case PalModule::Kind::SharedObject:
        if (module->FilePath(path))
            address = FindInLoadedObject(path.c_str(), lpProcName);
        break;
    case PalModule::Kind::Library:
    case PalModule::Kind::Executable:
        // The code's own file: the program itself, or the shared library.
        if (module->GetKind() == PalModule::Kind::Library && !PalLibraryIsExecutable()) {
            if (PalLibraryFilePath(path))
                address = FindInLoadedObject(path.c_str(), lpProcName);
        } else {
            address = FindInLoadedObject(nullptr, lpProcName);
        }
        break;
    case PalModule::Kind::DataFile:
        // A module opened as data has no code.
        break;
    }
    if (!address)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return address;
}
