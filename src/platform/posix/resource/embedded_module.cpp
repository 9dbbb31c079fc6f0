// The library module: the embedded resource table served in the PE layout.
// - Strings: RT_STRING block (id >> 4) + 1 holds the strings id & ~15 to
//   id | 15 as 16 counted UTF-16 strings (a length word, then the units); ids
//   missing from the table are zero-length entries.
// - Icon files: an RT_GROUP_ICON directory with the file's id, and one RT_ICON
//   per image, numbered 1, 2, ... across all icon files in table order (as
//   windres numbers them).
// - Registry scripts: the named type "REGISTRY" with the file's id.
// Everything is in the language of the library, en-US.
#include <cstring>
#include <map>
#include <vector>

#include "pal/posix/embedded.h"
#include "resource/resource_module.h"

namespace {

constexpr WORD kStringsPerBlock = 16;
constexpr DWORD kIconDirSize = 6;       // reserved, type, count
constexpr DWORD kIconFileEntrySize = 16; // .ico directory entry

WORD ReadWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD ReadDword(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
void PutWord(std::vector<BYTE>& out, WORD value)
{
    out.push_back(static_cast<BYTE>(value & 0xFF));
    out.push_back(static_cast<BYTE>(value >> 8));
}
void PutDword(std::vector<BYTE>& out, DWORD value)
{
    PutWord(out, static_cast<WORD>(value & 0xFFFF));
    PutWord(out, static_cast<WORD>(value >> 16));
}

class PalEmbeddedModule : public PalModule {
public:
    PalEmbeddedModule(const PalEmbeddedString* strings, const PalEmbeddedFile* files) : PalModule(Kind::Library)
    {
        AddStrings(strings);
        WORD nextIcon = 1;
        for (const PalEmbeddedFile* file = files; file && file->id != 0; ++file) {
            if (file->kind == PalEmbeddedKind::IconFile)
                AddIconFile(*file, nextIcon);
            else if (file->kind == PalEmbeddedKind::Registry)
                AddResource(PalResourceId::FromName(W("REGISTRY")), PalResourceId::FromNumber(file->id),
                            kPalLanguageEnglishUS, file->data, file->size);
        }
    }

    bool FilePath(std::string& path) const override { return PalLibraryFilePath(path); }

private:
    void AddStrings(const PalEmbeddedString* strings)
    {
        // Block number -> the 16 strings of the block.
        std::map<WORD, std::vector<const WCHAR*>> blocks;
        for (const PalEmbeddedString* entry = strings; entry && entry->id != 0; ++entry) {
            std::vector<const WCHAR*>& block = blocks[static_cast<WORD>(entry->id >> 4)];
            block.resize(kStringsPerBlock, nullptr);
            const WCHAR*& slot = block[entry->id & 15];
            if (!slot)
                slot = entry->text;
        }
        for (const auto& block : blocks) {
            std::vector<BYTE>& bytes = NewStorage();
            for (const WCHAR* text : block.second) {
                size_t length = PAL_wcslen(text);
                if (length > 0xFFFF) // a counted string holds at most 65535 units
                    length = 0xFFFF;
                PutWord(bytes, static_cast<WORD>(length));
                for (size_t i = 0; i < length; ++i)
                    PutWord(bytes, static_cast<WORD>(text[i]));
            }
            AddResource(PalResourceId::FromNumber(RT_STRING_ID), PalResourceId::FromNumber(block.first + 1),
                        kPalLanguageEnglishUS, bytes.data(), static_cast<DWORD>(bytes.size()));
        }
    }

    // An .ico file: a directory (reserved 0, type 1, count) of 16-byte entries
    // (width, height, colours, reserved, planes, bit count, byte size, offset)
    // followed by the images. A file that is not such a directory, or whose
    // images lie outside it, is left out.
    void AddIconFile(const PalEmbeddedFile& file, WORD& nextIcon)
    {
        const BYTE* data = file.data;
        if (!data || file.size < kIconDirSize || ReadWord(data) != 0 || ReadWord(data + 2) != 1)
            return;
        WORD count = ReadWord(data + 4);
        if (count == 0 || file.size < kIconDirSize + static_cast<DWORD>(count) * kIconFileEntrySize)
            return;
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = data + kIconDirSize + i * kIconFileEntrySize;
            DWORD bytes = ReadDword(entry + 8);
            DWORD offset = ReadDword(entry + 12);
            if (offset > file.size || bytes > file.size - offset)
                return;
        }

        std::vector<BYTE>& group = NewStorage();
        PutWord(group, 0);
        PutWord(group, 1);
        PutWord(group, count);
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = data + kIconDirSize + i * kIconFileEntrySize;
            BYTE colors = entry[2];
            WORD planes = ReadWord(entry + 4);
            WORD bitCount = ReadWord(entry + 6);
            // Files that leave planes or bit count 0 get them from the colour
            // count, as the resource compiler does.
            if (planes == 0)
                planes = 1;
            if (bitCount == 0)
                while ((1u << bitCount) < colors)
                    ++bitCount;
            group.insert(group.end(), entry, entry + 4); // width, height, colours, reserved
            PutWord(group, planes);
            PutWord(group, bitCount);
            PutDword(group, ReadDword(entry + 8));
            PutWord(group, nextIcon);
            AddResource(PalResourceId::FromNumber(RT_ICON_ID), PalResourceId::FromNumber(nextIcon),
                        kPalLanguageEnglishUS, data + ReadDword(entry + 12), ReadDword(entry + 8));
            ++nextIcon;
        }
        AddResource(PalResourceId::FromNumber(RT_GROUP_ICON_ID), PalResourceId::FromNumber(file.id),
                    kPalLanguageEnglishUS, group.data(), static_cast<DWORD>(group.size()));
    }

    std::vector<BYTE>& NewStorage()
    {
        m_storage.emplace_back();
        return m_storage.back();
    }

    static constexpr WORD RT_STRING_ID = 6;
    static constexpr WORD RT_ICON_ID = 3;
    static constexpr WORD RT_GROUP_ICON_ID = 14;

    // Bytes built here (string blocks, icon directories); a deque keeps them
    // in place while more are added. The images stay in the embedded table.
    std::deque<std::vector<BYTE>> m_storage;
};

} // namespace

PalModule* PalLibraryModule()
{
    static PalModule* module = [] {
        PalModule* own = new PalEmbeddedModule(g_palEmbeddedStrings, g_palEmbeddedFiles);
        PalRegisterModule(own);
        return own;
    }();
    return module;
}
