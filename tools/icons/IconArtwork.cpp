// Writes the library's own icons and the icons of the test data as Windows
// icon files. The artwork is drawn here, pixel by pixel, in 16 colours; the
// generated files are committed, so the build never runs this program.
//
//   tools/icons/generate.sh      (builds and runs this program)
//   icon-artwork <src/resources/icons> <tests/data/icons>
//
// Output:
//   annalist201.ico  tests and actions: a page with a check mark
//   annalist202.ico  iterations: two arrows going round
//   each a 32x32 and a 16x16 image, 4 bits per pixel with an AND mask.
//   The test data: sample4.ico (32x32 and 16x16, 4 bits), sample8.ico (48x48,
//   8 bits), sample32.ico (24x24, 32 bits), german.ico and english.ico
//   (16x16, 4 bits, one colour each).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

void PutWord(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutDword(Bytes& out, uint32_t value)
{
    PutWord(out, value & 0xFFFF);
    PutWord(out, value >> 16);
}

// The 16 colours of the standard Windows palette, as 0xRRGGBB.
const uint32_t kStandardPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// An image to encode: per pixel a colour (a palette index for 1, 4 and 8
// bits, 0xAARRGGBB for 32 bits) and whether the mask makes it transparent.
// Row 0 is the top row.
struct Image {
    int size = 0; // width and height
    int bitCount = 4;
    std::vector<uint32_t> palette; // 0xRRGGBB entries (indexed images)
    std::vector<uint32_t> pixels;
    std::vector<bool> transparent;
};

// An image as a device-independent bitmap: header, colour table, colour bits
// (rows bottom-up, padded to 4 bytes), then the 1-bit AND mask.
Bytes EncodeDib(const Image& image)
{
    const int size = image.size;
    const uint32_t colorRow = static_cast<uint32_t>((image.bitCount * size + 31) / 32 * 4);
    const uint32_t maskRow = static_cast<uint32_t>((size + 31) / 32 * 4);
    Bytes out;
    PutDword(out, 40);                                     // biSize
    PutDword(out, static_cast<uint32_t>(size));            // biWidth
    PutDword(out, static_cast<uint32_t>(size * 2));        // biHeight: colour bits and mask
    PutWord(out, 1);                                       // biPlanes
    PutWord(out, static_cast<uint32_t>(image.bitCount));   // biBitCount
    PutDword(out, 0);                                      // biCompression: BI_RGB
    PutDword(out, (colorRow + maskRow) * static_cast<uint32_t>(size)); // biSizeImage
    PutDword(out, 0);
    PutDword(out, 0);
    PutDword(out, 0); // biClrUsed: the full table
    PutDword(out, 0);
    if (image.bitCount <= 8) {
        for (size_t i = 0; i < (size_t{1} << image.bitCount); ++i) {
            uint32_t rgb = i < image.palette.size() ? image.palette[i] : 0;
            out.push_back(static_cast<uint8_t>(rgb & 0xFF));
            out.push_back(static_cast<uint8_t>((rgb >> 8) & 0xFF));
            out.push_back(static_cast<uint8_t>((rgb >> 16) & 0xFF));
            out.push_back(0);
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(colorRow, 0);
        for (int x = 0; x < size; ++x) {
            uint32_t value = image.pixels[static_cast<size_t>(y * size + x)];
            if (image.bitCount == 32) {
                for (int b = 0; b < 4; ++b)
                    row[static_cast<size_t>(x * 4 + b)] = static_cast<uint8_t>((value >> (8 * b)) & 0xFF);
            } else {
                int bit = x * image.bitCount;
                int shift = 8 - image.bitCount - bit % 8;
                row[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(value << shift);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(maskRow, 0);
        for (int x = 0; x < size; ++x)
            if (image.transparent[static_cast<size_t>(y * size + x)])
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// An icon file of the images: the directory, then the images in order.
Bytes EncodeIconFile(const std::vector<Image>& images)
{
    std::vector<Bytes> dibs;
    for (const Image& image : images)
        dibs.push_back(EncodeDib(image));
    Bytes out;
    PutWord(out, 0);
    PutWord(out, 1);
    PutWord(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const Image& image = images[i];
        out.push_back(static_cast<uint8_t>(image.size & 0xFF));
        out.push_back(static_cast<uint8_t>(image.size & 0xFF));
        out.push_back(static_cast<uint8_t>(image.bitCount < 8 ? 1u << image.bitCount : 0u));
        out.push_back(0);
        PutWord(out, 1);
        PutWord(out, static_cast<uint32_t>(image.bitCount));
        PutDword(out, static_cast<uint32_t>(dibs[i].size()));
        PutDword(out, offset);
        offset += static_cast<uint32_t>(dibs[i].size());
    }
    for (const Bytes& dib : dibs)
        out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

// A 16-colour image from a drawing: one character per pixel, '.' for a
// transparent pixel, a hexadecimal digit for a colour of the standard palette.
Image FromDrawing(const std::vector<const char*>& rows)
{
    for (const char* row : rows) {
        std::string text = row;
        if (text.size() != rows.size() || text.find_first_not_of(".0123456789ABCDEF") != std::string::npos) {
            std::fprintf(stderr, "icon-artwork: a drawing row is not %zu pixels: %s\n", rows.size(), row);
            std::exit(1);
        }
    }
    Image image;
    image.size = static_cast<int>(rows.size());
    image.bitCount = 4;
    image.palette.assign(kStandardPalette, kStandardPalette + 16);
    for (const char* row : rows) {
        for (int x = 0; x < image.size; ++x) {
            char c = row[x];
            bool clear = c == '.';
            uint32_t index = clear                  ? 0
                             : (c >= '0' && c <= '9') ? static_cast<uint32_t>(c - '0')
                                                      : static_cast<uint32_t>(c - 'A' + 10);
            image.pixels.push_back(index);
            image.transparent.push_back(clear);
        }
    }
    return image;
}

// ---- The artwork ----
// Colours: 0 black, 2 green, 4 navy, 7 silver, 8 grey, A lime, C blue, F white.

// 201, tests and actions: a page with a folded corner, lines of text and a
// check mark.
const std::vector<const char*> kPage32 = {
    "................................",
    ".....000000000000000............",
    ".....0FFFFFFFFFFFFF00...........",
    ".....0FFFFFFFFFFFFF070..........",
    ".....0FFFFFFFFFFFFF0770.........",
    ".....0FF888888888FF07770........",
    ".....0FFFFFFFFFFFFF077770.......",
    ".....0FFFFFFFFFFFFF0000000......",
    ".....0FF8888888888888888F0......",
    ".....0FFFFFFFFFFFFFFFFFFF0......",
    ".....0FFFFFFFFFFFFFFFFFFF0......",
    ".....0FF88888888888888FFF0......",
    ".....0FFFFFFFFFFFFFFFF2220......",
    ".....0FFFFFFFFFFFFFFF22A20......",
    ".....0FF88888888888822A220......",
    ".....0FFFFFFFFFFFFF22A22F0......",
    ".....0FFFFFFFFFFFF22A22FF0......",
    ".....0FFFFFFFFFFF22A22FFF0......",
    ".....0FFFFFFFFFF22A22FFFF0......",
    ".....0F222FFFFF22A22FFFFF0......",
    ".....0F2A22FFF22A22FFFFFF0......",
    ".....0F22A22F22A22FFFFFFF0......",
    ".....0FF22A222A22FFFFFFFF0......",
    ".....0FFF22A2A22FFFFFFFFF0......",
    ".....0FFFF22A22FFFFFFFFFF0......",
    ".....0FFFFF222FFFFFFFFFFF0......",
    ".....0FFFFFFFFFFFFFFFFFFF0......",
    ".....0FFFFFFFFFFFFFFFFFFF0......",
    ".....0FFFFFFFFFFFFFFFFFFF0......",
    ".....0FFFFFFFFFFFFFFFFFFF0......",
    ".....000000000000000000000......",
    "................................",
};

const std::vector<const char*> kPage16 = {
    "..00000000......",
    "..0FFFFFF00.....",
    "..0FFFFFF070....",
    "..0F8888F0770...",
    "..0FFFFFF00000..",
    "..0F888888FFF0..",
    "..0FFFFFFFFFF0..",
    "..0F88888FFFF0..",
    "..0FFFFFFFFA20..",
    "..0FFFFFFFA2F0..",
    "..0FA2FFFA2FF0..",
    "..0FFA2FA2FFF0..",
    "..0FFFAA2FFFF0..",
    "..0FFFF2FFFFF0..",
    "..0FFFFFFFFFF0..",
    "..000000000000..",
};

// 202, iterations: two arrows going round, one to the right above, one to
// the left below.
const std::vector<const char*> kRepeat32 = {
    "................................",
    "................................",
    "................................",
    "....................4...........",
    "....................44..........",
    "....................4C4.........",
    "....................4CC4........",
    "....4444444444444444CCCC44......",
    "...4CCCCCCCCCCCCCCCCCCCCCC4.....",
    "...4CCCCCCCCCCCCCCCCCCCCCCC4....",
    "...4CCCCCCCCCCCCCCCCCCCCCC4.....",
    "...4CCCC444444444444CCCC44......",
    "...4CCC4............4CC4........",
    "...4CCC4............4C4.........",
    "...4CCC4............44..........",
    "...4CCC4............4...44444...",
    "...44444...4............4CCC4...",
    "..........44............4CCC4...",
    ".........4C4............4CCC4...",
    "........4CC4............4CCC4...",
    "......44CCCC444444444444CCCC4...",
    ".....4CCCCCCCCCCCCCCCCCCCCCC4...",
    "....4CCCCCCCCCCCCCCCCCCCCCCC4...",
    ".....4CCCCCCCCCCCCCCCCCCCCCC4...",
    "......44CCCC4444444444444444....",
    "........4CC4....................",
    ".........4C4....................",
    "..........44....................",
    "...........4....................",
    "................................",
    "................................",
    "................................",
};

const std::vector<const char*> kRepeat16 = {
    "................",
    ".........4......",
    ".........44.....",
    ".44444444CC44...",
    ".4CCCCCCCCCCC4..",
    ".4CC44444CC44...",
    ".4C4.....44.....",
    ".4C4.....4..444.",
    ".444..4.....4C4.",
    ".....44.....4C4.",
    "...44CC44444CC4.",
    "..4CCCCCCCCCCC4.",
    "...44CC44444444.",
    ".....44.........",
    "......4.........",
    "................",
};

// ---- Test data: patterns whose bytes the tests need not know ----

Image Pattern(int size, int bitCount)
{
    Image image;
    image.size = size;
    image.bitCount = bitCount;
    if (bitCount <= 8) {
        size_t colours = size_t{1} << bitCount;
        for (size_t i = 0; i < colours; ++i)
            image.palette.push_back(bitCount == 4 ? kStandardPalette[i]
                                                  : static_cast<uint32_t>((i * 0x010101u) ^ (i << 17)));
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint32_t value = bitCount == 32 ? 0xFF000000u | static_cast<uint32_t>(x * 10) << 16 |
                                                  static_cast<uint32_t>(y * 10) << 8 | 0x40u
                             : bitCount == 8 ? static_cast<uint32_t>((x * 5 + y * 3) % 256)
                                             : static_cast<uint32_t>((x + y) % 16);
            image.pixels.push_back(value);
            image.transparent.push_back(x == 0 || y == 0 || x == size - 1 || y == size - 1);
        }
    }
    return image;
}

Image Solid(int size, uint32_t index)
{
    Image image = Pattern(size, 4);
    for (uint32_t& pixel : image.pixels)
        pixel = index;
    return image;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (ok)
        std::printf("wrote %s (%zu bytes)\n", path.c_str(), bytes.size());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <resources icon folder> <test data icon folder>\n", argv[0]);
        return 2;
    }
    std::string resources = argv[1];
    std::string tests = argv[2];
    bool ok = WriteFile(resources + "/annalist201.ico", EncodeIconFile({FromDrawing(kPage32), FromDrawing(kPage16)})) &&
              WriteFile(resources + "/annalist202.ico",
                        EncodeIconFile({FromDrawing(kRepeat32), FromDrawing(kRepeat16)})) &&
              WriteFile(tests + "/sample4.ico", EncodeIconFile({Pattern(32, 4), Pattern(16, 4)})) &&
              WriteFile(tests + "/sample8.ico", EncodeIconFile({Pattern(48, 8)})) &&
              WriteFile(tests + "/sample32.ico", EncodeIconFile({Pattern(24, 32)})) &&
              WriteFile(tests + "/german.ico", EncodeIconFile({Solid(16, 9)})) &&  // red
              WriteFile(tests + "/english.ico", EncodeIconFile({Solid(16, 12)})); // blue
    if (!ok) {
        std::perror("icon-artwork");
        return 1;
    }
    return 0;
}
