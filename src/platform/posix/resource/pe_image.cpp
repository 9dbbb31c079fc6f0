#include "resource/pe_image.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <set>

namespace {

// Offsets in the headers of the PE format.
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kDosNewHeaderOffset = 0x3C; // e_lfanew
constexpr uint64_t kFileHeaderSize = 20;       // after the 4-byte signature
constexpr uint64_t kSectionHeaderSize = 40;
constexpr WORD kMagicPe32 = 0x10B;
constexpr WORD kMagicPe32Plus = 0x20B;
constexpr DWORD kResourceDirectoryIndex = 2;

// Offsets in the resource directory tree.
constexpr DWORD kDirectoryHeaderSize = 16;
constexpr DWORD kDirectoryEntrySize = 8;
constexpr DWORD kDataEntrySize = 16;
constexpr DWORD kHighBit = 0x80000000u;
constexpr int kLanguageLevel = 2; // type 0, name 1, language 2

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Dword(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

// Reads exactly size bytes at offset, never past the end of the file.
bool ReadAt(int fd, uint64_t fileSize, uint64_t offset, BYTE* out, size_t size)
{
    return offset <= fileSize && size <= fileSize - offset && PalReadFileRange(fd, offset, out, size);
}

} // namespace

bool PalReadFileRange(int fd, uint64_t offset, BYTE* out, size_t size)
{
    while (size > 0) {
        ssize_t count = pread(fd, out, size, static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        out += count;
        offset += static_cast<uint64_t>(count);
        size -= static_cast<size_t>(count);
    }
    return true;
}

const BYTE* PalFileBlock::At(uint64_t fileOffset, uint64_t size) const
{
    if (fileOffset < offset)
        return nullptr;
    uint64_t relative = fileOffset - offset;
    if (relative > bytes.size() || size > bytes.size() - relative)
        return nullptr;
    return bytes.data() + relative;
}

bool PalPeImage::ReadHeaders(int fd, uint64_t fileSize)
{
    m_fileSize = fileSize;
    m_sections.clear();
    m_resourceRva = 0;
    m_resourceSize = 0;

    BYTE dos[kDosHeaderSize];
    if (!ReadAt(fd, fileSize, 0, dos, sizeof(dos)) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    uint64_t ntOffset = Dword(dos + kDosNewHeaderOffset);

    BYTE nt[4 + kFileHeaderSize];
    if (!ReadAt(fd, fileSize, ntOffset, nt, sizeof(nt)) || nt[0] != 'P' || nt[1] != 'E' || nt[2] != 0 || nt[3] != 0)
        return false;
    const BYTE* fileHeader = nt + 4;
    WORD sectionCount = Word(fileHeader + 2);
    WORD optionalSize = Word(fileHeader + 16);
    uint64_t optionalOffset = ntOffset + sizeof(nt);

    // The optional header: its magic tells PE32 from PE32+, which place the
    // data directories (and their count) at different offsets.
    BYTE magic[2];
    if (optionalSize < sizeof(magic) || !ReadAt(fd, fileSize, optionalOffset, magic, sizeof(magic)))
        return false;
    DWORD countOffset;
    if (Word(magic) == kMagicPe32)
        countOffset = 92;
    else if (Word(magic) == kMagicPe32Plus)
        countOffset = 108;
    else
        return false;
    DWORD directoriesOffset = countOffset + 4;
    if (optionalSize < directoriesOffset)
        return false;
    BYTE count[4];
    if (!ReadAt(fd, fileSize, optionalOffset + countOffset, count, sizeof(count)))
        return false;
    DWORD directoryCount = Dword(count);
    uint64_t resourceEntry = directoriesOffset + kResourceDirectoryIndex * 8;
    if (directoryCount > kResourceDirectoryIndex && resourceEntry + 8 <= optionalSize) {
        BYTE directory[8];
        if (!ReadAt(fd, fileSize, optionalOffset + resourceEntry, directory, sizeof(directory)))
            return false;
        m_resourceRva = Dword(directory);
        m_resourceSize = Dword(directory + 4);
    }

    // The section table follows the optional header.
    uint64_t tableOffset = optionalOffset + optionalSize;
    uint64_t tableSize = static_cast<uint64_t>(sectionCount) * kSectionHeaderSize;
    std::vector<BYTE> table(static_cast<size_t>(tableSize));
    if (!ReadAt(fd, fileSize, tableOffset, table.data(), table.size()))
        return false;
    m_sections.reserve(sectionCount);
    for (WORD i = 0; i < sectionCount; ++i) {
        const BYTE* header = table.data() + i * kSectionHeaderSize;
        Section section;
        section.virtualAddress = Dword(header + 12);
        section.rawOffset = Dword(header + 20);
        DWORD rawSize = Dword(header + 16);
        // Only the raw data that the file really holds.
        if (section.rawOffset >= fileSize)
            rawSize = 0;
        else if (rawSize > fileSize - section.rawOffset)
            rawSize = static_cast<DWORD>(fileSize - section.rawOffset);
        section.rawSize = rawSize;
        m_sections.push_back(section);
    }
    return true;
}

bool PalPeImage::RvaToFileOffset(DWORD rva, DWORD size, uint64_t& offset) const
{
    for (const Section& section : m_sections) {
        if (rva < section.virtualAddress)
            continue;
        DWORD relative = rva - section.virtualAddress;
        if (relative >= section.rawSize || size > section.rawSize - relative)
            continue;
        offset = static_cast<uint64_t>(section.rawOffset) + relative;
        return true;
    }
    return false;
}

const PalPeImage::Section* PalPeImage::ResourceSectionHeader() const
{
    if (m_resourceRva == 0 || m_resourceSize == 0)
        return nullptr;
    for (const Section& section : m_sections)
        if (m_resourceRva >= section.virtualAddress && m_resourceRva - section.virtualAddress < section.rawSize)
            return &section;
    return nullptr;
}

const BYTE* PalFileReader::At(uint64_t offset, uint64_t size)
{
    if (offset > m_fileSize || size > m_fileSize - offset)
        return nullptr;
    // The block that starts last at or before the offset, when it holds it all.
    auto it = m_blocks.upper_bound(offset);
    if (it != m_blocks.begin()) {
        if (const BYTE* bytes = std::prev(it)->second.At(offset, size))
            return bytes;
    }
    constexpr uint64_t kBlockSize = 64 * 1024;
    uint64_t length = std::min(std::max(size, kBlockSize), m_fileSize - offset);
    if (length > m_budget || length > SIZE_MAX)
        return nullptr;
    PalFileBlock block;
    block.offset = offset;
    block.bytes.resize(static_cast<size_t>(length));
    if (!PalReadFileRange(m_fd, offset, block.bytes.data(), block.bytes.size()))
        return nullptr;
    m_budget -= length;
    PalFileBlock& kept = m_blocks[offset];
    kept = std::move(block);
    return kept.At(offset, size);
}

// The walk of the resource directory tree: three levels (type, name,
// language) of directories, whose offsets are relative to the start of the
// tree and must stay inside its section.
class PalPeImage::TreeWalk {
public:
    TreeWalk(const PalPeImage& image, PalFileReader& file, std::vector<PalPeResourceEntry>& entries)
        : m_image(image), m_file(file), m_entries(entries)
    {
    }

    void Run()
    {
        const Section* section = m_image.ResourceSectionHeader();
        if (!section)
            return;
        DWORD start = m_image.m_resourceRva - section->virtualAddress;
        m_treeOffset = static_cast<uint64_t>(section->rawOffset) + start;
        m_treeSize = section->rawSize - start;
        Walk(0, 0);
    }

private:
    // The bytes [relative, relative + size) of the tree, or null when they
    // are not all inside its section or cannot be read.
    const BYTE* Tree(uint64_t relative, uint64_t size) const
    {
        if (relative > m_treeSize || size > m_treeSize - relative)
            return nullptr;
        return m_file.At(m_treeOffset + relative, size);
    }

    // The id of a directory entry: an integer, or a counted UTF-16 name.
    bool EntryId(DWORD field, PalResourceId& id) const
    {
        if (!(field & kHighBit)) {
            id = PalResourceId::FromNumber(static_cast<WORD>(field & 0xFFFF));
            return true;
        }
        DWORD relative = field & ~kHighBit;
        const BYTE* length = Tree(relative, 2);
        if (!length)
            return false;
        const BYTE* text = Tree(static_cast<uint64_t>(relative) + 2, Word(length) * 2u);
        if (!text)
            return false;
        WideString name;
        name.reserve(Word(length));
        for (WORD i = 0; i < Word(length); ++i)
            name.push_back(static_cast<WCHAR>(Word(text + 2 * i)));
        id = PalResourceId::FromName(name);
        return true;
    }

    void Walk(int level, DWORD relative)
    {
        // Each directory is read once, whatever points at it.
        if (!m_visited.insert(relative).second)
            return;
        const BYTE* header = Tree(relative, kDirectoryHeaderSize);
        if (!header)
            return;
        DWORD count = static_cast<DWORD>(Word(header + 12)) + Word(header + 14);
        for (DWORD i = 0; i < count && m_entries.size() < kPalMaxPeResources; ++i) {
            // A tree of many directories that hold nothing is not walked for
            // ever either.
            if (++m_entriesSeen > kMaxEntriesSeen)
                return;
            const BYTE* entry =
                Tree(static_cast<uint64_t>(relative) + kDirectoryHeaderSize + i * kDirectoryEntrySize, kDirectoryEntrySize);
            if (!entry)
                return;
            DWORD idField = Dword(entry);
            DWORD target = Dword(entry + 4);
            PalResourceId id;
            if (!EntryId(idField, id))
                continue;
            bool isDirectory = (target & kHighBit) != 0;
            if (level < kLanguageLevel) {
                if (!isDirectory)
                    continue;
                m_path[level] = id;
                Walk(level + 1, target & ~kHighBit);
            } else if (!isDirectory && id.IsNumber()) {
                AddData(id.Number(), target);
            }
        }
    }

    void AddData(WORD language, DWORD relative)
    {
        const BYTE* data = Tree(relative, kDataEntrySize);
        if (!data)
            return;
        DWORD rva = Dword(data);
        DWORD size = Dword(data + 4);
        uint64_t fileOffset = 0;
        if (!m_image.RvaToFileOffset(rva, size, fileOffset))
            return;
        m_entries.push_back(PalPeResourceEntry{m_path[0], m_path[1], language, fileOffset, size});
    }

    const PalPeImage& m_image;
    PalFileReader& m_file;
    std::vector<PalPeResourceEntry>& m_entries;
    uint64_t m_treeOffset = 0;
    uint64_t m_treeSize = 0;
    std::set<DWORD> m_visited;
    PalResourceId m_path[kLanguageLevel];
    static constexpr uint64_t kMaxEntriesSeen = 1u << 22;
    uint64_t m_entriesSeen = 0;
};

void PalPeImage::ReadResources(PalFileReader& file, std::vector<PalPeResourceEntry>& entries) const
{
    TreeWalk(*this, file, entries).Run();
}
