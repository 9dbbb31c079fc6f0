// A reader of Windows PE images (PE32 and PE32+) for the resources they
// carry: the section table, the resource directory tree (type, name,
// language) and where each resource's bytes lie in the file.
//
// Nothing read from the file is trusted. Every offset, size and count is
// checked against the bounds of the file (and of the block of it that is
// being read) before it is used; a part of the resource tree that points
// outside them is left out, and a directory reached a second time is not
// walked again, so a file that lies can neither make the reader read outside
// its copy nor make it loop or multiply entries.
#pragma once

#include <cstdint>
#include <vector>

#include "resource/resource_module.h"

// A copy of bytes of the file: the file range [offset, offset + bytes.size()).
struct PalFileBlock {
    uint64_t offset = 0;
    std::vector<BYTE> bytes;

    // The bytes of the file range [fileOffset, fileOffset + size), or null when
    // the block does not hold all of them.
    const BYTE* At(uint64_t fileOffset, uint64_t size) const;
};

// One resource in the directory tree: its ids and the file range of its data.
struct PalPeResourceEntry {
    PalResourceId type;
    PalResourceId name;
    WORD language;
    uint64_t fileOffset;
    DWORD size;
};

class PalPeImage {
public:
    // Reads the headers of the image in the file open on fd (fileSize bytes
    // long; the descriptor stays the caller's). False when the file is not a
    // PE32 or PE32+ image.
    bool ReadHeaders(int fd, uint64_t fileSize);

    // The file range of the raw data of the section that holds the resource
    // directory; false when the image has no resource directory there.
    bool ResourceSection(uint64_t& offset, uint64_t& size) const;

    // Walks the resource directory, whose section `block` must hold, and lists
    // the resources whose data lie inside the file (inside `block` or not).
    void ReadResources(const PalFileBlock& block, std::vector<PalPeResourceEntry>& entries) const;

    // The file offset of the bytes [rva, rva + size) of the image when they
    // lie within the raw data of one section and within the file.
    bool RvaToFileOffset(DWORD rva, DWORD size, uint64_t& offset) const;

private:
    struct Section {
        DWORD virtualAddress;
        DWORD rawSize; // clipped to the file
        DWORD rawOffset;
    };

    class TreeWalk;

    // The section whose raw data hold the start of the resource directory.
    const Section* ResourceSectionHeader() const;

    uint64_t m_fileSize = 0;
    std::vector<Section> m_sections;
    DWORD m_resourceRva = 0;
    DWORD m_resourceSize = 0;
};

// Reads exactly size bytes of the file at offset (retrying interrupted reads);
// false when the file ends before.
bool PalReadFileRange(int fd, uint64_t offset, BYTE* out, size_t size);
