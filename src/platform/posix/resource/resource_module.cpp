#include "resource/resource_module.h"

#include <dlfcn.h>
#include <link.h>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

#include "pal/utf8.h"
#include "kernel/live_objects.h"

// ---- Resource ids ----

PalResourceId PalResourceId::FromArgument(LPCWSTR value)
{
    if (IS_INTRESOURCE(value))
        return FromNumber(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value)));
    if (value[0] == '#') {
        // "#123" names the integer id 123, as on Windows.
        DWORD number = 0;
        size_t i = 1;
        for (; value[i] >= '0' && value[i] <= '9' && number <= 0xFFFF; ++i)
            number = number * 10 + static_cast<DWORD>(value[i] - '0');
        if (i > 1 && value[i] == 0 && number <= 0xFFFF)
            return FromNumber(static_cast<WORD>(number));
    }
    return FromName(value);
}

PalResourceId PalResourceId::FromNumber(WORD number)
{
    PalResourceId id;
    id.m_isNumber = true;
    id.m_number = number;
    return id;
}

PalResourceId PalResourceId::FromName(const WideString& name)
{
    PalResourceId id;
    id.m_isNumber = false;
    id.m_name = name;
    for (WCHAR& c : id.m_name)
        c = PAL_towupper(c);
    return id;
}

// ---- Resource directory ----

namespace {

constexpr WORD PrimaryLanguage(WORD language) { return language & 0x3FF; }

} // namespace

void PalModule::AddResource(const PalResourceId& type, const PalResourceId& name, WORD language, const BYTE* data,
                            DWORD size)
{
    static const BYTE empty = 0;
    m_resources.push_back(PalResource{type, name, language, data ? data : &empty, data ? size : 0});
}

const PalResource* PalModule::Find(const PalResourceId& type, const PalResourceId& name, WORD language) const
{
    // A neutral primary language (neutral, user default, system default) lets
    // the module choose: a neutral resource, then the user interface language,
    // then another resource in its primary language, then the first one. Any
    // other language must match exactly.
    bool choose = PrimaryLanguage(language) == 0;
    bool typeFound = false;
    bool nameFound = false;
    const PalResource* candidates[4] = {};
    for (const PalResource& resource : m_resources) {
        if (!(resource.type == type))
            continue;
        typeFound = true;
        if (!(resource.name == name))
            continue;
        nameFound = true;
        if (!choose) {
            if (resource.language == language)
                return &resource;
            continue;
        }
        int rank = resource.language == 0                        ? 0
                   : resource.language == kPalLanguageEnglishUS ? 1
                   : PrimaryLanguage(resource.language) == PrimaryLanguage(kPalLanguageEnglishUS) ? 2
                                                                                              : 3;
        if (!candidates[rank])
            candidates[rank] = &resource;
    }
    if (!typeFound) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    if (!nameFound) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (!choose) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return nullptr;
    }
    for (const PalResource* candidate : candidates)
        if (candidate)
            return candidate;
    return nullptr;
}

bool PalModule::Holds(const PalResource* resource) const
{
    for (const PalResource& own : m_resources)
        if (&own == resource)
            return true;
    return false;
}

// ---- Module table ----

void PalRegisterModule(PalModule* module)
{
    std::lock_guard<std::mutex> guard(PalLive<PalModule>().lock);
    PalLive<PalModule>().objects.insert(module);
}

bool PalUnregisterModule(PalModule* module)
{
    {
        std::lock_guard<std::mutex> guard(PalLive<PalModule>().lock);
        if (!PalLive<PalModule>().objects.erase(module))
            return false;
    }
    if (module->GetKind() == PalModule::Kind::DataFile)
        delete module;
    return true;
}

PalModule* PalResolveModule(HMODULE handle)
{
    if (!handle)
        return PalExecutableModule();
    std::lock_guard<std::mutex> guard(PalLive<PalModule>().lock);
    if (PalLive<PalModule>().objects.count(handle))
        return handle;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

// ---- Where the code lives ----

namespace {

// An address inside the code of this layer, so inside the library's file.
void AddressInLibrary() {}

bool RealPath(const char* path, std::string& out)
{
    char resolved[PATH_MAX];
    if (!path || !*path || !realpath(path, resolved))
        return false;
    out = resolved;
    return true;
}

// The link map entry of the file that holds the library code.
const link_map* LibraryLinkMap()
{
    Dl_info info;
    void* extra = nullptr;
    if (!dladdr1(reinterpret_cast<void*>(&AddressInLibrary), &info, &extra, RTLD_DL_LINKMAP))
        return nullptr;
    return static_cast<const link_map*>(extra);
}

// The executable's module when the library is a shared object of its own.
struct PalExecutableOnlyModule : PalModule {
    PalExecutableOnlyModule() : PalModule(Kind::Executable) {}
    bool FilePath(std::string& path) const override { return PalExecutableFilePath(path); }
};

} // namespace

// The files of the program and of the library do not move while the process
// runs, so their paths are resolved once: module lookups by name ask for them
// with every event.
bool PalExecutableFilePath(std::string& path)
{
    static const std::string executable = [] {
        std::string resolved;
        RealPath("/proc/self/exe", resolved);
        return resolved;
    }();
    path = executable;
    return !path.empty();
}

bool PalLibraryIsExecutable()
{
    const link_map* map = LibraryLinkMap();
    // The program itself has an empty name in the link map.
    return !map || !map->l_name || !map->l_name[0];
}

bool PalLibraryFilePath(std::string& path)
{
    if (PalLibraryIsExecutable())
        return PalExecutableFilePath(path);
    static const std::string library = [] {
        std::string resolved;
        RealPath(LibraryLinkMap()->l_name, resolved);
        return resolved;
    }();
    path = library;
    return !path.empty();
}

PalModule* PalExecutableModule()
{
    static PalModule* module = [] {
        if (PalLibraryIsExecutable())
            return PalLibraryModule();
        PalModule* own = new PalExecutableOnlyModule();
        PalRegisterModule(own);
        return own;
    }();
    return module;
}
