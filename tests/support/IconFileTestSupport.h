// Icon images and icon files built byte by byte for the tests, independently
// of the library's reader and writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test {

inline std::string Le16(uint32_t value)
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

inline std::string Le32(uint32_t value) { return Le16(value & 0xFFFF) + Le16(value >> 16); }

inline uint32_t ReadLe16(const std::string& bytes, size_t offset)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(offset))) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes.at(offset + 1))) << 8;
}

inline uint32_t ReadLe32(const std::string& bytes, size_t offset)
{
    return ReadLe16(bytes, offset) | ReadLe16(bytes, offset + 2) << 16;
}

// A device-independent bitmap of an icon image: the 40-byte header (height
// doubled for the mask), the colour table, the colour bits and the AND mask.
// The bytes of the bits follow a pattern seeded by `seed`; sizeImage is
// written into the header as given.
inline std::string MakeDib(int32_t width, int32_t height, uint16_t bitCount, uint32_t sizeImage = 0x1234,
                           uint32_t clrUsed = 0, unsigned seed = 1, uint16_t planes = 1)
{
    uint32_t entries = clrUsed != 0 ? clrUsed : bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    uint64_t colorRow = (static_cast<uint64_t>(bitCount) * planes * static_cast<uint64_t>(width) + 31) / 32 * 4;
    uint64_t maskRow = (static_cast<uint64_t>(width) + 31) / 32 * 4;
    std::string dib = Le32(40) + Le32(static_cast<uint32_t>(width)) + Le32(static_cast<uint32_t>(height * 2)) +
                      Le16(planes) + Le16(bitCount) + Le32(0) + Le32(sizeImage) + Le32(0) + Le32(0) + Le32(clrUsed) +
                      Le32(0);
    for (uint32_t i = 0; i < entries; ++i)
        dib += Le32(i * 0x010203u * seed);
    uint64_t bits = (colorRow + maskRow) * static_cast<uint64_t>(height);
    for (uint64_t i = 0; i < bits; ++i)
        dib.push_back(static_cast<char>((i * 7 + seed * 13) & 0xFF));
    return dib;
}

// An icon file directory entry with the fields as given.
struct IcoEntry {
    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t colors = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 4;
};

// An icon file: header (reserved, type, count), one 16-byte entry per image
// with its data size and offset, then the images in order.
inline std::string MakeIconFile(const std::vector<std::string>& images, std::vector<IcoEntry> entries = {},
                                uint16_t type = 1)
{
    entries.resize(images.size());
    std::string file = Le16(0) + Le16(type) + Le16(static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IcoEntry& entry = entries[i];
        file += std::string{static_cast<char>(entry.width), static_cast<char>(entry.height),
                            static_cast<char>(entry.colors), 0};
        file += Le16(entry.planes) + Le16(entry.bitCount) + Le32(static_cast<uint32_t>(images[i].size())) +
                Le32(offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images)
        file += image;
    return file;
}

// The images of an icon file, as its directory places them.
inline std::vector<std::string> IconFileImages(const std::string& file)
{
    std::vector<std::string> images;
    uint32_t count = ReadLe16(file, 4);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t size = ReadLe32(file, 6 + 16 * i + 8);
        uint32_t offset = ReadLe32(file, 6 + 16 * i + 12);
        images.push_back(file.substr(offset, size));
    }
    return images;
}

} // namespace test
