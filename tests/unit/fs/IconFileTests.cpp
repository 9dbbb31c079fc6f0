// Icon files: the bytes WriteIconFile writes, and LoadIconFile on good and
// malformed files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/IconFiles.h"
#include "support/TestSupport.h"
#include "support/IconFileTestSupport.h"

namespace {

using test::Le16;
using test::Le32;

// Loads the bytes as an icon file "in.ico" (a new file each time: rewriting
// one file in place is slow on some file systems).
IconSetPtr LoadBytes(const test::TempFolder& folder, const std::string& bytes)
{
    static unsigned serial = 0;
    std::string spare = "in" + std::to_string(serial++) + ".ico";
    test::WriteFileBytes(folder.Path() / spare, bytes);
    std::filesystem::remove(folder.Path() / "in.ico");
    std::filesystem::rename(folder.Path() / spare, folder.Path() / "in.ico");
    return IconSetPtr(LoadIconFile(folder.Wide("in.ico").c_str()));
}

std::string Written(const test::TempFolder& folder, IconImageSet* set)
{
    EXPECT_TRUE(WriteIconFile(set, folder.Wide("out.ico").c_str()));
    return test::ReadFileBytes(folder.Path() / "out.ico");
}

// The image as the writer writes it: biSizeImage 0.
std::string WithoutSizeImage(std::string dib)
{
    dib.replace(20, 4, Le32(0));
    return dib;
}

std::string Entry(uint8_t width, uint8_t height, uint8_t colors, uint16_t planes, uint16_t bitCount, size_t size,
                  size_t offset)
{
    return std::string{static_cast<char>(width), static_cast<char>(height), static_cast<char>(colors), 0} +
           Le16(planes) + Le16(bitCount) + Le32(static_cast<uint32_t>(size)) + Le32(static_cast<uint32_t>(offset));
}

// A PNG image as far as its header goes: signature, IHDR chunk, then bytes.
std::string MakePng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType)
{
    auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF),
                           static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
    };
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(width) + be32(height) +
           std::string{static_cast<char>(bitDepth), static_cast<char>(colorType), 0, 0, 0} + be32(0x12345678) +
           std::string(40, 'p');
}

} // namespace

TEST(IconFile, WritesTheDirectoryAndTheImagesOfATwoImageIcon)
{
    test::TempFolder folder;
    std::string large = test::MakeDib(32, 32, 4, 0x1111);
    std::string small = test::MakeDib(16, 16, 4, 0x2222, 0, 2);
    ASSERT_EQ(large.size(), 40u + 64 + 16 * 32 + 4 * 32);
    ASSERT_EQ(small.size(), 40u + 64 + 8 * 16 + 4 * 16);
    // The reader takes nothing from the entries but size and offset.
    IconSetPtr set = LoadBytes(folder, test::MakeIconFile({large, small}, {{7, 7, 7, 0, 0}, {}}));
    ASSERT_TRUE(set);
    ASSERT_EQ(set->ImageCount(), 2);
    EXPECT_TRUE(set->moduleName.empty());
    EXPECT_EQ(set->fileName, folder.Wide("in.ico"));

    const IconImage& first = set->images[0];
    EXPECT_EQ(first.width, 32);
    EXPECT_EQ(first.height, 32);
    EXPECT_EQ(first.colorDepth, 4);
    EXPECT_EQ(first.dataSize, large.size());
    EXPECT_EQ(first.header, first.data.get());
    EXPECT_EQ(first.colorBits, first.data.get() + 40 + 64);
    EXPECT_EQ(first.maskBits, first.colorBits + 16 * 32);
    EXPECT_EQ(set->images[1].maskBits, set->images[1].colorBits + 8 * 16);

    std::string expected = Le16(0) + Le16(1) + Le16(2) + Entry(32, 32, 16, 1, 4, large.size(), 38) +
                           Entry(16, 16, 16, 1, 4, small.size(), 38 + large.size()) + WithoutSizeImage(large) +
                           WithoutSizeImage(small);
    EXPECT_EQ(Written(folder, set.get()), expected);

    // The set keeps its own biSizeImage values.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(set->images[0].data.get()), large.size()), large);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(set->images[1].data.get()), small.size()), small);
}

TEST(IconFile, EntriesCarryColourCountsAndTheLowBitsOfTheSize)
{
    test::TempFolder folder;
    std::string eight = test::MakeDib(48, 48, 8);
    std::string wide = test::MakeDib(256, 256, 1);
    std::string rgba = test::MakeDib(24, 24, 32);
    std::string fewColours = test::MakeDib(20, 20, 8, 0, 5); // biClrUsed 5
    IconSetPtr set = LoadBytes(folder, test::MakeIconFile({eight, wide, rgba, fewColours}));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->images[1].width, 256);
    EXPECT_EQ(set->images[3].colorBits, set->images[3].data.get() + 40 + 5 * 4);

    std::string file = Written(folder, set.get());
    size_t offset = 6 + 4 * 16;
    EXPECT_EQ(file.substr(6, 16), Entry(48, 48, 0, 1, 8, eight.size(), offset));
    offset += eight.size();
    EXPECT_EQ(file.substr(22, 16), Entry(0, 0, 2, 1, 1, wide.size(), offset));
    offset += wide.size();
    EXPECT_EQ(file.substr(38, 16), Entry(24, 24, 0, 1, 32, rgba.size(), offset));
    offset += rgba.size();
    EXPECT_EQ(file.substr(54, 16), Entry(20, 20, 0, 1, 8, fewColours.size(), offset));
    EXPECT_EQ(file.size(), offset + fewColours.size());
}

TEST(IconFile, PngImagesAreKeptAsTheyAre)
{
    test::TempFolder folder;
    std::string png = MakePng(256, 256, 8, 6);
    std::string dib = test::MakeDib(16, 16, 4);
    IconSetPtr set = LoadBytes(folder, test::MakeIconFile({png, dib}));
    ASSERT_TRUE(set);
    const IconImage& image = set->images[0];
    EXPECT_TRUE(image.IsPng());
    EXPECT_EQ(image.width, 256);
    EXPECT_EQ(image.height, 256);
    EXPECT_EQ(image.colorDepth, 32);
    EXPECT_EQ(image.colorBits, nullptr);

    std::string file = Written(folder, set.get());
    EXPECT_EQ(file.substr(6, 16), Entry(0, 0, 0, 1, 32, png.size(), 38));
    EXPECT_EQ(file.substr(38, png.size()), png); // the IHDR height is not touched

    EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({MakePng(0, 16, 8, 6)})));  // no width
    EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({MakePng(16, 16, 8, 5)})));  // no such colour type
    EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({png.substr(0, 20)})));      // cut in the header
}

TEST(IconFile, FilesThatAreNotWellFormedIconFilesFail)
{
    test::TempFolder folder;
    std::string dib = test::MakeDib(16, 16, 4);
    std::string good = test::MakeIconFile({dib});
    ASSERT_TRUE(LoadBytes(folder, good));

    EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({dib}, {}, 2))); // a cursor file
    std::string reserved = good;
    reserved[0] = 1;
    EXPECT_FALSE(LoadBytes(folder, reserved));

    // Cut anywhere: in the header, the directory or the image.
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(LoadBytes(folder, good.substr(0, length))) << length;

    // An entry whose image lies past the end, or is absurdly large.
    std::string pastEnd = good;
    pastEnd.replace(6 + 12, 4, Le32(static_cast<uint32_t>(good.size() - 10)));
    EXPECT_FALSE(LoadBytes(folder, pastEnd));
    std::string huge = good;
    huge.replace(6 + 8, 4, Le32(0xFFFFFFF0u));
    EXPECT_FALSE(LoadBytes(folder, huge));
    // Many entries all claiming the same image.
    std::string claims = Le16(0) + Le16(1) + Le16(3);
    for (int i = 0; i < 3; ++i)
        claims += Entry(16, 16, 16, 1, 4, dib.size(), 6 + 3 * 16);
    EXPECT_FALSE(LoadBytes(folder, claims + dib));

    EXPECT_FALSE(LoadIconFile(folder.Wide("missing.ico").c_str()));
    EXPECT_FALSE(LoadIconFile(nullptr));
    EXPECT_FALSE(LoadIconFile(W("")));

    // No images at all is an (empty) icon file.
    IconSetPtr empty = LoadBytes(folder, Le16(0) + Le16(1) + Le16(0));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->ImageCount(), 0);
    EXPECT_EQ(Written(folder, empty.get()), Le16(0) + Le16(1) + Le16(0));
}

TEST(IconFile, ImagesWhoseHeadersLieFail)
{
    test::TempFolder folder;
    struct Case {
        const char* what;
        size_t offset;
        std::string value;
    };
    const Case cases[] = {
        {"biSize 0", 0, Le32(0)},
        {"biSize past the image", 0, Le32(100000)},
        {"width 0", 4, Le32(0)},
        {"negative width", 4, Le32(0xFFFFFFF0u)},
        {"height 0", 8, Le32(0)},
        {"negative height", 8, Le32(0x80000000u)},
        {"planes 0", 12, Le16(0)},
        {"64 bits per pixel", 14, Le16(64)},
        {"colour bits past the image", 4, Le32(64)},
        {"a colour table past the image", 32, Le32(0x40000000u)},
    };
    for (const Case& c : cases) {
        std::string dib = test::MakeDib(16, 16, 4);
        dib.replace(c.offset, c.value.size(), c.value);
        EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({dib}))) << c.what;
    }
    // The mask must be there too.
    std::string noMask = test::MakeDib(16, 16, 4);
    noMask.resize(noMask.size() - 1);
    EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({noMask})));
    EXPECT_FALSE(LoadBytes(folder, test::MakeIconFile({std::string(39, 'x')})));
}

TEST(IconFile, WriteFailuresAreReported)
{
    test::TempFolder folder;
    IconSetPtr set = LoadBytes(folder, test::MakeIconFile({test::MakeDib(16, 16, 4)}));
    ASSERT_TRUE(set);
    EXPECT_FALSE(WriteIconFile(set.get(), folder.Wide("no-such-folder/out.ico").c_str()));
    EXPECT_FALSE(WriteIconFile(nullptr, folder.Wide("out.ico").c_str()));
    FreeIconSet(nullptr);
}
