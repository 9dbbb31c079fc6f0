// The resource table of the POSIX build, from the same sources as annalist.rc.
#include "pal/pal.h"
#include "pal/posix/embedded.h"

const PalEmbeddedString g_palEmbeddedStrings[] = {
#define STR(id, text) {id, W(text)},
#include "strings.h"
#undef STR
    {0, nullptr}};

// The binary resources (icons, registry script), generated at build time.
#include "embedded_files.inc"
