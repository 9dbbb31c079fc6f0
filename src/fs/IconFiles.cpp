#include "fs/IconFiles.h"

#include <cstring>
#include <new>

#include "fs/FolderServices.h"

namespace {

// The icon file header (reserved, type, count) and its directory entries.
constexpr DWORD kIconDirSize = 6;
constexpr DWORD kIconDirEntrySize = 16;
constexpr WORD kIconType = 1;
// An RT_GROUP_ICON directory: the same header, then 14-byte entries whose last
// 16-bit field is the RT_ICON id of the image.
constexpr DWORD kGroupEntrySize = 14;
constexpr DWORD kGroupEntryIconId = 12;

// BITMAPINFOHEADER fields.
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kBiWidth = 4;
constexpr DWORD kBiHeight = 8;
constexpr DWORD kBiPlanes = 12;
constexpr DWORD kBiBitCount = 14;
constexpr DWORD kBiSizeImage = 20;
constexpr DWORD kBiClrUsed = 32;

// The images of one set together: far above any real icon, low enough that a
// file or module that lies cannot make the library allocate without bound.
constexpr ULONGLONG kMaxSetBytes = 64ull * 1024 * 1024;

WORD GetWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD GetDword(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
DWORD GetBigEndianDword(const BYTE* p)
{
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) | (static_cast<DWORD>(p[2]) << 8) |
           static_cast<DWORD>(p[3]);
}
void PutWord(BYTE* p, WORD value)
{
    p[0] = static_cast<BYTE>(value & 0xFF);
    p[1] = static_cast<BYTE>(value >> 8);
}
void PutDword(BYTE* p, DWORD value)
{
    PutWord(p, static_cast<WORD>(value & 0xFFFF));
    PutWord(p + 2, static_cast<WORD>(value >> 16));
}

// A PNG image: the signature, then the IHDR chunk (width, height, bit depth,
// colour type).
constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr DWORD kPngHeaderEnd = 26;

bool FillPngRecord(IconImage& image)
{
    const BYTE* data = image.data.get();
    if (image.dataSize < kPngHeaderEnd || std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    DWORD width = GetBigEndianDword(data + 16);
    DWORD height = GetBigEndianDword(data + 20);
    BYTE bitDepth = data[24];
    BYTE colorType = data[25];
    LONG channels = colorType == 0 ? 1 : colorType == 2 ? 3 : colorType == 3 ? 1 : colorType == 4 ? 2 : colorType == 6 ? 4 : 0;
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || channels == 0 || bitDepth == 0 ||
        bitDepth > 16)
        return false;
    image.width = static_cast<LONG>(width);
    image.height = static_cast<LONG>(height);
    image.colorDepth = channels * bitDepth;
    return true;
}

// Fills the record of an image from the header of its data. False when the
// data are not a bitmap whose header, colour table, colour bits and mask all
// lie inside them.
bool FillImageRecord(IconImage& image)
{
    BYTE* data = image.data.get();
    const ULONGLONG size = image.dataSize;
    if (size >= sizeof(kPngSignature) && std::memcmp(data, kPngSignature, sizeof(kPngSignature)) == 0)
        return FillPngRecord(image);

    if (size < kInfoHeaderSize)
        return false;
    const DWORD headerSize = GetDword(data);
    const LONG width = static_cast<LONG>(GetDword(data + kBiWidth));
    const LONG doubledHeight = static_cast<LONG>(GetDword(data + kBiHeight));
    const WORD planes = GetWord(data + kBiPlanes);
    const WORD bitCount = GetWord(data + kBiBitCount);
    const DWORD clrUsed = GetDword(data + kBiClrUsed);
    const ULONGLONG depth = static_cast<ULONGLONG>(planes) * bitCount;
    if (headerSize < kInfoHeaderSize || headerSize > size || width <= 0 || doubledHeight < 2 || depth == 0 ||
        depth > 32)
        return false;
    const LONG height = doubledHeight / 2;

    // The colour table: biClrUsed entries, or the full table of 1, 4 and 8
    // bits per pixel; 4 bytes each.
    const ULONGLONG entries = clrUsed != 0 ? clrUsed : bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    const ULONGLONG colorBits = headerSize + entries * 4;
    // Rows of the colour bits and of the mask are padded to 4 bytes.
    const ULONGLONG rowSize = ((depth * static_cast<ULONGLONG>(width) + 31) / 8) & ~3ull;
    const ULONGLONG maskRowSize = ((static_cast<ULONGLONG>(width) + 31) / 8) & ~3ull;
    if (colorBits > size || rowSize > size || maskRowSize > size)
        return false;
    const ULONGLONG maskBits = colorBits + rowSize * static_cast<ULONGLONG>(height);
    if (maskBits > size || maskRowSize * static_cast<ULONGLONG>(height) > size - maskBits)
        return false;

    image.width = width;
    image.height = height;
    image.colorDepth = static_cast<LONG>(depth);
    image.header = data;
    image.colorBits = data + colorBits;
    image.maskBits = data + maskBits;
    return true;
}

// Room for the data of an image of the set: null when memory runs out or the
// images of the set would together be larger than any real icon's.
std::unique_ptr<BYTE[]> NewImageData(DWORD size, ULONGLONG& total)
{
    total += size;
    if (total > kMaxSetBytes)
        return nullptr;
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size ? size : 1]);
}

// Adds the image whose data are given to the set.
bool AddImage(IconImageSet& set, std::unique_ptr<BYTE[]> data, DWORD size)
{
    IconImage image;
    image.data = std::move(data);
    image.dataSize = size;
    if (!FillImageRecord(image))
        return false;
    set.images.push_back(std::move(image));
    return true;
}

// The bytes of a resource of the module; null when it is missing.
const BYTE* LockedResource(HMODULE module, LPCWSTR type, WORD id, DWORD& size)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!resource)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded)
        return nullptr;
    size = SizeofResource(module, resource);
    return static_cast<const BYTE*>(LockResource(loaded));
}

IconImageSet* LoadGroup(HMODULE module, const WCHAR* moduleName, LONG number)
{
    DWORD groupSize = 0;
    const BYTE* group = LockedResource(module, RT_GROUP_ICON, LOWORD(number), groupSize);
    if (!group || groupSize < kIconDirSize)
        return nullptr;
    const DWORD count = GetWord(group + 4);
    if (count * kGroupEntrySize > groupSize - kIconDirSize)
        return nullptr;

    IconSetPtr set(new (std::nothrow) IconImageSet());
    if (!set)
        return nullptr;
    set->moduleName = moduleName ? moduleName : W("");
    set->images.reserve(count);
    ULONGLONG total = 0;
    for (DWORD i = 0; i < count; ++i) {
        WORD iconId = GetWord(group + kIconDirSize + i * kGroupEntrySize + kGroupEntryIconId);
        DWORD size = 0;
        const BYTE* bytes = LockedResource(module, RT_ICON, iconId, size);
        if (!bytes)
            return nullptr;
        std::unique_ptr<BYTE[]> copy = NewImageData(size, total);
        if (!copy)
            return nullptr;
        std::memcpy(copy.get(), bytes, size);
        if (!AddImage(*set, std::move(copy), size))
            return nullptr;
    }
    return set.release();
}

// A file handle closed when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~FileHandle()
    {
        if (m_handle)
            CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool ReadExactly(HANDLE file, void* buffer, DWORD size)
{
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

bool WriteExactly(HANDLE file, const void* buffer, DWORD size)
{
    DWORD written = 0;
    return WriteFileWithRetry(file, buffer, size, &written, nullptr) && written == size;
}

// Writes the image's data with biSizeImage 0 in its header, and puts the
// value back whatever the write gives.
bool WriteImageData(HANDLE file, IconImage& image)
{
    if (image.IsPng())
        return WriteExactly(file, image.data.get(), image.dataSize);
    const DWORD sizeImage = GetDword(image.header + kBiSizeImage);
    PutDword(image.header + kBiSizeImage, 0);
    bool written = WriteExactly(file, image.data.get(), image.dataSize);
    PutDword(image.header + kBiSizeImage, sizeImage);
    return written;
}

} // namespace

IconImageSet* LoadIconGroup(const WCHAR* modulePath, LONG number)
{
    if (!modulePath || !*modulePath)
        return nullptr;
    HMODULE module = LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return nullptr;
    IconImageSet* set = LoadGroup(module, modulePath, number);
    FreeLibrary(module);
    return set;
}

IconImageSet* LoadIconGroupFromModule(HMODULE module, const WCHAR* moduleName, LONG number)
{
    return module ? LoadGroup(module, moduleName, number) : nullptr;
}

IconImageSet* LoadIconFile(const WCHAR* path)
{
    if (!path || !*path)
        return nullptr;
    FileHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Get())
        return nullptr;
    DWORD sizeHigh = 0;
    const DWORD fileSize = GetFileSize(file.Get(), &sizeHigh);
    if ((fileSize == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || sizeHigh != 0)
        return nullptr;

    BYTE word[2];
    if (!ReadExactly(file.Get(), word, 2) || GetWord(word) != 0 || !ReadExactly(file.Get(), word, 2) ||
        GetWord(word) != kIconType || !ReadExactly(file.Get(), word, 2))
        return nullptr;
    const DWORD count = GetWord(word);
    if (count * kIconDirEntrySize > fileSize - kIconDirSize)
        return nullptr;

    IconSetPtr set(new (std::nothrow) IconImageSet());
    std::unique_ptr<BYTE[]> directory(new (std::nothrow) BYTE[count * kIconDirEntrySize + 1]);
    if (!set || !directory || !ReadExactly(file.Get(), directory.get(), count * kIconDirEntrySize))
        return nullptr;
    set->fileName = path;
    set->images.reserve(count);

    // Each image lies inside the file, and the images together are not
    // larger than the file (no entry claims bytes another one holds).
    ULONGLONG total = 0;
    for (DWORD i = 0; i < count; ++i) {
        const BYTE* entry = directory.get() + i * kIconDirEntrySize;
        const DWORD size = GetDword(entry + 8);
        const DWORD offset = GetDword(entry + 12);
        if (offset > fileSize || size > fileSize - offset || total + size > fileSize)
            return nullptr;
        std::unique_ptr<BYTE[]> data = NewImageData(size, total);
        LONG offsetHigh = 0;
        if (!data || SetFilePointer(file.Get(), static_cast<LONG>(offset), &offsetHigh, FILE_BEGIN) != offset ||
            !ReadExactly(file.Get(), data.get(), size) || !AddImage(*set, std::move(data), size))
            return nullptr;
    }
    return set.release();
}

bool WriteIconFile(IconImageSet* set, const WCHAR* path)
{
    if (!set || !path)
        return false;
    // The directory holds 16-bit counts and 32-bit offsets.
    const size_t count = set->images.size();
    ULONGLONG fileSize = kIconDirSize + kIconDirEntrySize * static_cast<ULONGLONG>(count);
    for (const IconImage& image : set->images)
        fileSize += image.dataSize;
    if (count > 0xFFFF || fileSize > 0xFFFFFFFFull)
        return false;
    FileHandle file(CreateFileWithRetry(path));
    if (!file.Get())
        return false;

    BYTE header[kIconDirSize];
    PutWord(header, 0);
    PutWord(header + 2, kIconType);
    PutWord(header + 4, static_cast<WORD>(count));
    for (DWORD i = 0; i < 3; ++i)
        if (!WriteExactly(file.Get(), header + 2 * i, 2))
            return false;

    ULONGLONG offset = kIconDirSize + kIconDirEntrySize * count;
    for (const IconImage& image : set->images) {
        BYTE entry[kIconDirEntrySize] = {};
        entry[0] = static_cast<BYTE>(image.width & 0xFF);
        entry[1] = static_cast<BYTE>(image.height & 0xFF);
        entry[2] = static_cast<BYTE>(image.colorDepth < 8 ? 1u << image.colorDepth : 0u);
        PutWord(entry + 4, image.IsPng() ? 1 : GetWord(image.header + kBiPlanes));
        PutWord(entry + 6, image.IsPng() ? static_cast<WORD>(image.colorDepth) : GetWord(image.header + kBiBitCount));
        PutDword(entry + 8, image.dataSize);
        PutDword(entry + 12, static_cast<DWORD>(offset));
        if (!WriteExactly(file.Get(), entry, kIconDirEntrySize))
            return false;
        offset += image.dataSize;
    }
    for (IconImage& image : set->images)
        if (!WriteImageData(file.Get(), image))
            return false;
    return true;
}

void FreeIconSet(IconImageSet* set) { delete set; }
