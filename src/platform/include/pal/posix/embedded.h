// The POSIX build's own resource table: the string table and the binary
// resources of src/resources, compiled into the library. The resource
// functions serve them in the PE layout (RT_STRING blocks of 16 counted
// strings; an icon file becomes an RT_GROUP_ICON directory and its RT_ICON
// images, numbered as windres numbers them).
#pragma once

#include "pal/posix/types.h"

struct PalEmbeddedString {
    WORD id;
    const WCHAR* text;
};

enum class PalEmbeddedKind { None, IconFile, Registry };

struct PalEmbeddedFile {
    PalEmbeddedKind kind;
    WORD id;
    const BYTE* data;
    DWORD size;
};

// Defined by src/resources/embedded_resources.cpp; both lists end with an
// entry whose id is 0.
extern const PalEmbeddedString g_palEmbeddedStrings[];
extern const PalEmbeddedFile g_palEmbeddedFiles[];
