// Windows module files opened as data (LoadLibraryExW with
// LOAD_LIBRARY_AS_DATAFILE). Their resources need a reader of the PE format;
// until it is here, no file can be opened.
#include <sys/stat.h>

#include "resource_module.h"

PalModule* PalOpenDataFileModule(const std::string& path)
{
    struct stat info;
    SetLastError(stat(path.c_str(), &info) == 0 ? ERROR_MOD_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return nullptr;
}
