#include "ProcessMemory.h"

#include <cstdio>
#include <cstring>

namespace {

long StatusFieldKb(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long value = -1;
    size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            std::sscanf(line + length + 1, "%ld", &value);
            break;
        }
    }
    std::fclose(status);
    return value;
}

} // namespace

long ResidentKb() { return StatusFieldKb("VmRSS"); }
long PeakResidentKb() { return StatusFieldKb("VmHWM"); }
