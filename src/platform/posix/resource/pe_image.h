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
#include <map>
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

// Bytes of a file read on demand, in blocks of 64 KiB or more, for the walk of
// a resource tree: only the parts the walk looks at are read, and never more
// than the budget in all, whatever sizes the file's headers claim.
class PalFileReader {
public:
    PalFileReader(int fd, uint64_t fileSize, uint64_t budget) : m_fd(fd), m_fileSize(fileSize), m_budget(budget) {}

    // The bytes of the file range [offset, offset + size), or null when the
    // file does not hold them all, reading fails or the budget is spent. The
    // bytes stay in place while the reader lives.
    const BYTE* At(uint64_t offset, uint64_t size);

private:
    int m_fd;
    uint64_t m_fileSize;
    uint64_t m_budget;
    std::map<uint64_t, PalFileBlock> m_blocks; // by file offset
};

// One resource in the directory tree: its ids and the file range of its data.
struct PalPeResourceEntry {
    PalResourceId type;
    PalResourceId name;
    WORD language;
    uint64_t fileOffset;
    DWORD size;
};

// The most resources a module's tree is read for (a real module has a few
// thousand at most).
constexpr size_t kPalMaxPeResources = 65536;

class PalPeImage {
public:
    // Reads the headers of the image in the file open on fd (fileSize bytes
    // long; the descriptor stays the caller's). False when the file is not a
    // PE32 or PE32+ image.
    bool ReadHeaders(int fd, uint64_t fileSize);

    // Whether the image has a resource directory inside the raw data of one
    // of its sections.
    bool HasResources() const { return ResourceSectionHeader() != nullptr; }

    // Walks the resource directory, reading the parts of its section it looks
    // at, and lists the resources whose data lie inside the file (at most
    // kPalMaxPeResources of them).
    void ReadResources(PalFileReader& file, std::vector<PalPeResourceEntry>& entries) const;

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
