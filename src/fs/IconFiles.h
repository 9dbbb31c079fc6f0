// Icons read from a module's resources (an RT_GROUP_ICON directory and its
// RT_ICON images) or from an icon file, kept as one icon image set, and
// written out as an icon file.
//
// Every image is a device-independent bitmap as stored in its source: the
// BITMAPINFOHEADER, the colour table, the colour bits and the 1-bit AND mask.
// Images stored as PNG (as in the large images of newer icons) are kept as
// they are, with their size and depth taken from the PNG header. An image
// whose header does not describe data that lie inside the image, or whose
// values are absurd, makes the whole load fail.
//
// The operations answer with a set or null, true or false; nothing is shown
// to the user except the disk-full prompt of the guarded file functions.
#pragma once

#include <memory>
#include <vector>

#include "pal/pal.h"

struct IconImage {
    LONG width = 0;      // biWidth (PNG: the image's width)
    LONG height = 0;     // half of biHeight, which covers colour bits and mask
    LONG colorDepth = 0; // biPlanes x biBitCount (PNG: bits per pixel)
    std::unique_ptr<BYTE[]> data; // the image exactly as stored in its source
    DWORD dataSize = 0;
    // Into data; all null for a PNG image.
    BYTE* header = nullptr;    // the BITMAPINFOHEADER at the start of data
    BYTE* colorBits = nullptr; // after the header and the colour table
    BYTE* maskBits = nullptr;  // after the colour bits

    bool IsPng() const { return header == nullptr; }
};

struct IconImageSet {
    WideString fileName;   // the source icon file; empty when read from a module
    WideString moduleName; // the source module; empty when read from an icon file
    std::vector<IconImage> images; // in the order of the source directory

    LONG ImageCount() const { return static_cast<LONG>(images.size()); }
};

// The icon group with the integer id given by the low 16 bits of `number`
// from the module file at modulePath, opened as a data file for the call.
// Null when the path is missing, the module cannot be opened, the group or
// any of its images is missing, or an image is malformed.
IconImageSet* LoadIconGroup(const WCHAR* modulePath, LONG number);

// The same from a module already loaded (the library's own); the set records
// moduleName as its module name.
IconImageSet* LoadIconGroupFromModule(HMODULE module, const WCHAR* moduleName, LONG number);

// The icons of an icon file (reserved 0, type 1). Null when the file cannot be
// read, is not an icon file (a cursor file among them), is truncated, has
// entries that lie outside it or overlap, or an image is malformed. A file
// with no images gives a set with no images.
IconImageSet* LoadIconFile(const WCHAR* path);

// Writes the set as an icon file, created anew through CreateFileWithRetry:
// the header, one 16-byte directory entry per image (width and height in
// their low 8 bits, the colour count 2^depth below 8 bits per pixel else 0,
// planes, bit count, size, offset), then the images without gaps, each with
// biSizeImage written as 0. The set is left as it was. True when every byte
// was written; a failed write leaves the partly written file in place.
bool WriteIconFile(IconImageSet* set, const WCHAR* path);

// Frees the set and its images (null is fine).
void FreeIconSet(IconImageSet* set);

struct IconSetDeleter {
    void operator()(IconImageSet* set) const { FreeIconSet(set); }
};
typedef std::unique_ptr<IconImageSet, IconSetDeleter> IconSetPtr;
