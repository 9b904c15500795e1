#include "files/ImageDecoders.h"
#include "files/ImageLib.h"
#include "files/PakInterface.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageFile.h"

#include "files/ImageFileTestSupport.h"
#include "files/PakTestSupport.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace ravix;
using ImageLib::AlphaFile;
using ImageLib::LoadImageFile;
using imagetest::ExpectedPixels;
using imagetest::FixturePath;
using imagetest::GifBuilder;
using imagetest::PixelsOf;
using imagetest::PngBuilder;

namespace {

std::string Fixture(const std::string& name) {
    return paktest::ReadFile(FixturePath(name));
}

// A 32-bit Targa file: header fields, an ID text, pixels as stored.
std::string Targa(int width, int height, int depth, int descriptor,
                  const std::vector<uint32_t>& pixels, const std::string& id = "",
                  int imageType = 2) {
    std::string out;
    out += char(id.size());
    out += '\0'; // no colour map
    out += char(imageType);
    out += std::string(5, '\0');
    imagetest::PutU16(out, 0);
    imagetest::PutU16(out, 0);
    imagetest::PutU16(out, width);
    imagetest::PutU16(out, height);
    out += char(depth);
    out += char(descriptor);
    out += id;
    for (uint32_t pixel : pixels)
        for (int shift = 0; shift < 32; shift += 8)
            out += char(pixel >> shift);
    return out;
}

// A GIF of the given size whose 4 KB of 2-bit codes could describe 2^26 pixels, so that only
// the size cap can refuse it.
std::string GifOfSize(int width, int height) {
    std::string data(1, '\x01'); // minimum code size
    for (int block = 0; block < 16; ++block)
        data += '\xff' + std::string(255, '\0');
    data += '\0';
    return GifBuilder(width, height)
        .Screen({0, 0xFFFFFF})
        .Descriptor(width, height, false)
        .Raw(data)
        .Trailer()
        .Bytes();
}

// A 1-bit grey PNG of the given size, all black. Its zero rows deflate about 1000 to 1, more
// than a file can claim, so a private chunk pads the file to hold the claim.
std::string PngOfSize(uint32_t width, uint32_t height) {
    const size_t rowBytes = 1 + (width + 7) / 8;
    const std::string rows(rowBytes * height, '\0');
    return PngBuilder()
        .Header(width, height, 1, 0)
        .Chunk("prVt", std::string(rows.size() / 500, '\0'))
        .Rows(rows)
        .End()
        .Bytes();
}

// A JPEG fixture claiming another size, with zero bytes after its end so that the file is
// large enough for the claim.
std::string JpegOfSize(const std::string& fixture, int width, int height, size_t padding = 0) {
    std::string jpeg = Fixture(fixture);
    // The frame header (FF C0 baseline, FF C2 progressive; length, precision) holds the height,
    // then the width.
    size_t frame = jpeg.find("\xFF\xC0");
    if (frame == std::string::npos)
        frame = jpeg.find("\xFF\xC2");
    const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    return frame == std::string::npos ? ""
                                      : jpeg.replace(frame + 5, 4, size, 4) +
                                            std::string(padding, '\0');
}

// A load run in a child process: whether it gave an image, and how far it raised the child's
// peak resident memory. The child is a copy of the test program, so only the load counts.
struct IsolatedLoad {
    bool mLoaded = false;
    long mPeakGrowthKib = -1; // -1: the child did not report
};

long PeakResidentKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // in kilobytes on Linux
}

IsolatedLoad LoadInChild(const std::string& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        // Start the peak from the present resident size where the kernel allows it.
        if (std::FILE* peak = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", peak);
            std::fclose(peak);
        }
        IsolatedLoad load;
        const long before = PeakResidentKib();
        load.mLoaded = LoadImageFile(path, AlphaFile::Ignore) != nullptr;
        load.mPeakGrowthKib = PeakResidentKib() - before;
        const bool written = write(pipeEnds[1], &load, sizeof load) == sizeof load;
        _exit(written ? 0 : 1);
    }
    close(pipeEnds[1]);
    IsolatedLoad load;
    if (child < 0 || read(pipeEnds[0], &load, sizeof load) != sizeof load)
        load = IsolatedLoad{};
    close(pipeEnds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return load;
}

class ImageLoaderTest : public ::testing::Test {
protected:
    std::string Put(const std::string& name, const std::string& bytes) {
        paktest::WriteFile(mFolder.Path() / name, bytes);
        return mFolder / name;
    }
    std::string PathOf(const std::string& name) { return mFolder / name; }

    paktest::TempFolder mFolder;
};

TEST_F(ImageLoaderTest, FilesFromOtherProgramsLoadWithThePixelsTheyDecodeTo) {
    ASSERT_TRUE(ImageLib::LoadJpeg2000Codec());
    const struct {
        const char* name;
        int width;
        int height;
    } cases[] = {
        {"rgba.png", 13, 9},
        {"palette.png", 13, 9},           // palette with transparency chunk
        {"grey4.png", 13, 9},             // 4-bit grey
        {"greyalpha.png", 13, 9},         // grey and alpha
        {"rgba16-interlaced.png", 13, 9}, // Adam7; 16-bit channels round to 8 bits
        {"transparent.gif", 13, 9},       // transparent index
        {"interlaced.gif", 13, 9},
        {"bilevel.gif", 13, 9}, // minimum code size 2
        {"noise.gif", 80, 64},  // 256 colours: codes reach 12 bits, clear codes when full
        {"color.jpg", 13, 9},   // 4:2:0 chroma
        {"grey.jpg", 13, 9},
        {"progressive.jpg", 13, 9},
        {"topleft.tga", 13, 9},
        {"color.jp2", 13, 9},
        {"color.j2k", 13, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ImageLib::Image> image =
            LoadImageFile(FixturePath(c.name), AlphaFile::Ignore);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->GetWidth(), c.width);
        EXPECT_EQ(image->GetHeight(), c.height);
        std::vector<uint32_t> expected = ExpectedPixels(c.name);
        // A GIF's transparent pixels are transparent black, whatever colour the table gives.
        for (uint32_t& pixel : expected)
            if (pixel >> 24 == 0)
                pixel = std::string(c.name).ends_with(".gif") ? 0 : pixel;
        EXPECT_EQ(PixelsOf(*image), expected);
    }
    ImageLib::FreeJpeg2000Codec();
}

TEST_F(ImageLoaderTest, UnsupportedLayoutsGiveNoImage) {
    const std::vector<uint32_t> pixels(6, 0x80112233);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"bottom-up.tga", Fixture("bottomleft.tga")},
        {"24bit.tga", Targa(3, 2, 24, 0x20, {})},
        {"no-alpha-bits.tga", Targa(3, 2, 32, 0x20, pixels)},
        {"run-length.tga", Targa(3, 2, 32, 0x28, pixels, "", 10)},
        {"cmyk.jpg", Fixture("cmyk.jpg")},
        {"empty.jpg", ""},
        {"header-only.jpg", Fixture("color.jpg").substr(0, 200)},
        {"empty.png", ""},
        {"cut.png", Fixture("rgba.png").substr(0, 120)},
        {"text.gif", "GIF8 is not a picture"},
        {"trailer-first.gif", GifBuilder(2, 2).Screen({0xFF0000, 0x00FF00}).Trailer().Bytes()},
        {"no-image.gif", GifBuilder(2, 2).Screen({0xFF0000, 0x00FF00}).Bytes()},
        {"zero-width.gif", GifBuilder(2, 2)
                               .Screen({0xFF0000, 0x00FF00})
                               .Descriptor(0, 2, false)
                               .Data(2, {}, false)
                               .Trailer()
                               .Bytes()},
        {"code-size-12.gif", GifBuilder(1, 1)
                                 .Screen({0xFF0000, 0x00FF00})
                                 .Descriptor(1, 1, false)
                                 .Raw("\x0c\x01\x00\x00")
                                 .Bytes()},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(LoadImageFile(Put(c.name, c.bytes), AlphaFile::Ignore)) << c.name;
}

TEST_F(ImageLoaderTest, ClaimsLargerThanTheFileCouldHoldAreRefused) {
    // Cut GIF and JPEG files still give images, but not when they state a size their bytes
    // could never describe: nothing is allocated for such a claim.
    std::string gif = GifBuilder(1, 1)
                          .Screen({0, 0xFFFFFF})
                          .Descriptor(1000, 1000, false)
                          .Data(2, {1, 0, 1}, false)
                          .Trailer()
                          .Bytes();
    std::string jpeg = Fixture("color.jpg");
    // The frame header (FF C0, length, precision) holds the height, then the width.
    size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    const char size2000[] = {0x07, char(0xD0)};
    jpeg.replace(frame + 5, 2, size2000, 2);
    jpeg.replace(frame + 7, 2, size2000, 2);
    EXPECT_FALSE(LoadImageFile(Put("huge.gif", gif), AlphaFile::Ignore));
    EXPECT_FALSE(LoadImageFile(Put("huge.jpg", jpeg), AlphaFile::Ignore));
}

TEST_F(ImageLoaderTest, PicturesBeyondTheSizeCapAreRefused) {
    // Every file holds enough data for its claim, so only the caps on sides, on decoded bytes
    // and on libjpeg's own memory tell them apart.
    using ImageLib::kMaxImageBytes;
    using ImageLib::kMaxImageSide;
    const int side = int(kMaxImageSide);
    const int capRows = int(kMaxImageBytes / 4 / kMaxImageSide);
    const struct {
        const char* name;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"side.tga", Targa(side, 1, 32, 0x28, std::vector<uint32_t>(side)), true},
        {"side-over.tga", Targa(side + 1, 1, 32, 0x28, std::vector<uint32_t>(side + 1)), false},
        {"side.gif", GifOfSize(side, 1), true},
        {"side-over.gif", GifOfSize(side + 1, 1), false},
        {"bytes.gif", GifOfSize(side, capRows), true},
        {"bytes-over.gif", GifOfSize(side / 2, capRows * 2 + 1), false},
        {"side.png", PngOfSize(side, 1), true},
        {"side-over.png", PngOfSize(side + 1, 1), false},
        {"bytes-over.png", PngOfSize(side / 2, capRows * 2 + 1), false},
        {"side.jpg", JpegOfSize("color.jpg", side, 1), true},
        {"side-over.jpg", JpegOfSize("color.jpg", side + 1, 1), false},
        // A progressive file keeps the coefficients of the whole picture; libjpeg may take
        // 64 MiB for them, which this 4:2:0 picture needs 24 MiB and the next one 96 MiB of.
        {"progressive.jpg", JpegOfSize("progressive.jpg", 4000, 2000, 64 << 10), true},
        {"progressive-over.jpg", JpegOfSize("progressive.jpg", 8000, 4000, 64 << 10), false},
    };
    for (const auto& c : cases) {
        std::unique_ptr<ImageLib::Image> image =
            LoadImageFile(Put(c.name, c.bytes), AlphaFile::Ignore);
        EXPECT_EQ(image != nullptr, c.loads) << c.name;
    }
}

TEST_F(ImageLoaderTest, PngChunkClaimingGigabytesIsRefusedWithLittleMemory) {
    // A public test file of 502 bytes whose text chunks claim up to 2 GB each.
    const IsolatedLoad load = LoadInChild(FixturePath("png-text-chunk-2gb.png"));
    ASSERT_GE(load.mPeakGrowthKib, 0) << "the child process did not report";
    EXPECT_FALSE(load.mLoaded);
    EXPECT_LT(load.mPeakGrowthKib, 64 * 1024);
    RecordProperty("peak_growth_kib", int(load.mPeakGrowthKib));
}

TEST_F(ImageLoaderTest, TargaPixelsFollowTheIdText) {
    const std::vector<uint32_t> pixels = {0xFF102030, 0x00405060, 0x80708090,
                                          0x01A0B0C0, 0xFFFFFFFF, 0x7F000000};
    auto image = LoadImageFile(Put("id.tga", Targa(3, 2, 32, 0x28, pixels, "made by hand")),
                               AlphaFile::Ignore);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), pixels);
}

TEST_F(ImageLoaderTest, GifTablesExtensionsAndTransparency) {
    const std::vector<uint32_t> global = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    const std::vector<uint32_t> local = {0xFF0000, 0x00FF00};
    const std::vector<uint8_t> indices = {0, 1, 2, 3, 1, 0};
    const uint32_t black = 0xFF000000;
    const struct {
        const char* name;
        std::string bytes;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {"global.gif",
         GifBuilder(3, 2, "GIF87a")
             .Screen(global)
             .Descriptor(3, 2, false)
             .Data(2, indices, false)
             .Trailer()
             .Bytes(),
         {0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC, 0xFF445566, 0xFF112233}},
        // The local table replaces the global one; indices it lacks are opaque black. Comment,
        // application and unknown extensions and stray bytes are skipped; the image's own size
        // counts, not the logical screen's.
        {"local.gif",
         GifBuilder(50, 50)
             .Screen(global)
             .Extension(0xFE, {"a comment"})
             .Extension(0xFF, {"NETSCAPE2.0", std::string("\x01\x00\x00", 3)})
             .Raw("xyz")
             .Extension(0x01, {"plain text", "more"})
             .Descriptor(3, 2, false, local)
             .Data(2, indices, false)
             .Trailer()
             .Bytes(),
         {0xFFFF0000, 0xFF00FF00, black, black, 0xFF00FF00, 0xFFFF0000}},
        // The transparent index gives 0, whatever its colour.
        {"transparent.gif",
         GifBuilder(3, 2)
             .Screen(global)
             .Transparency(1)
             .Descriptor(3, 2, false)
             .Data(2, indices, false)
             .Trailer()
             .Bytes(),
         {0xFF112233, 0, 0xFF778899, 0xFFAABBCC, 0, 0xFF112233}},
        // Data that ends early leaves the rest transparent black.
        {"cut.gif",
         GifBuilder(3, 2)
             .Screen(global)
             .Descriptor(3, 2, false)
             .Data(2, {3, 2, 1, 0}, false, false)
             .Bytes(),
         {0xFFAABBCC, 0xFF778899, 0xFF445566, 0xFF112233, 0, 0}},
        // A file cut inside a sub-block: the bytes that are there still count.
        {"cut-block.gif",
         [&] {
             const std::string whole = GifBuilder(3, 2)
                                           .Screen(global)
                                           .Descriptor(3, 2, false)
                                           .Data(2, {3, 2, 1, 0, 1, 2}, false)
                                           .Bytes();
             return whole.substr(0, whole.size() - 3); // the terminator and two bytes of codes
         }(),
         {0xFFAABBCC, 0xFF778899, 0xFF445566, 0xFF112233, 0, 0}},
    };
    for (const auto& c : cases) {
        auto image = LoadImageFile(Put(c.name, c.bytes), AlphaFile::Ignore);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->GetWidth(), 3) << c.name;
        EXPECT_EQ(PixelsOf(*image), c.pixels) << c.name;
    }
}

TEST_F(ImageLoaderTest, GifRowsComeOutInDisplayOrder) {
    // Row r of every image is grey level r; an interlaced file stores the rows pass by pass.
    std::vector<uint32_t> greys;
    for (int i = 0; i < 16; ++i)
        greys.push_back(uint32_t(i * 0x111111));
    for (int height : {1, 2, 3, 5, 9, 16}) {
        std::vector<int> order;
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int row = start; row < height; row += step)
                order.push_back(row);
        std::vector<uint8_t> stored;
        for (int row : order)
            stored.insert(stored.end(), 2, uint8_t(row));
        auto image = LoadImageFile(Put("interlaced.gif", GifBuilder(2, height)
                                                             .Screen(greys)
                                                             .Descriptor(2, height, true)
                                                             .Data(4, stored, false)
                                                             .Trailer()
                                                             .Bytes()),
                                   AlphaFile::Ignore);
        ASSERT_TRUE(image) << height;
        for (int row = 0; row < height; ++row)
            EXPECT_EQ(image->GetBits()[row * 2 + 1], 0xFF000000 | greys[row]) << height;
    }
}

TEST_F(ImageLoaderTest, GifDecodingGoesOnWhenTheCodeTableIsFull) {
    // 6000 literal codes fill the table long before the end. Encoders that keep the full table
    // and those that clear it must both decode completely.
    std::vector<uint32_t> table;
    for (int i = 0; i < 256; ++i)
        table.push_back(uint32_t(i) << 8);
    std::vector<uint8_t> indices;
    uint32_t state = 1;
    for (int i = 0; i < 6000; ++i) {
        state = state * 214013 + 2531011;
        indices.push_back(uint8_t(state >> 16));
    }
    for (bool clearWhenFull : {false, true}) {
        auto image = LoadImageFile(Put("full.gif", GifBuilder(100, 60)
                                                       .Screen(table)
                                                       .Descriptor(100, 60, false)
                                                       .Data(8, indices, clearWhenFull)
                                                       .Trailer()
                                                       .Bytes()),
                                   AlphaFile::Ignore);
        ASSERT_TRUE(image);
        std::vector<uint32_t> expected;
        for (uint8_t index : indices)
            expected.push_back(0xFF000000 | uint32_t(index) << 8);
        EXPECT_EQ(PixelsOf(*image), expected) << clearWhenFull;
    }
}

TEST_F(ImageLoaderTest, CutJpegStillGivesEveryRow) {
    // libjpeg ends a file cut inside its coded data with a made-up end marker, so every row is
    // still written.
    const std::string whole = Fixture("color.jpg");
    auto image =
        LoadImageFile(Put("cut.jpg", whole.substr(0, whole.size() - 20)), AlphaFile::Ignore);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetWidth(), 13);
    for (uint32_t pixel : PixelsOf(*image))
        EXPECT_EQ(pixel >> 24, 0xFFu);
}

TEST_F(ImageLoaderTest, ExtensionsAreSearchedInOrder) {
    const std::string tga = Targa(1, 1, 32, 0x28, {0xFF0000FF});
    const std::string gif =
        GifBuilder(1, 1).Screen({0x00FF00, 0}).Descriptor(1, 1, false).Data(2, {0}, false).Bytes();
    Put("a/card.gif", gif);
    Put("a/card.tga", tga);
    Put("b/card.gif", gif);
    Put("b/card.tga", Targa(1, 1, 24, 0x20, {})); // refused: the search goes on
    Put("c.v2/card.gif", gif);
    const struct {
        const char* name;
        uint32_t pixel; // 0: no image
    } cases[] = {
        {"a/card", 0xFF0000FF},     // ".tga" comes before ".gif"
        {"a/card.GIF", 0xFF00FF00}, // opens the lower-case name
        {"a/card.gif", 0xFF00FF00},
        {"a/card.bmp", 0}, // not an image extension: nothing else is tried
        {"a/card.png", 0}, // only that extension is tried
        {"b/card", 0xFF00FF00},
        {"c.v2/card", 0xFF00FF00}, // a dot in a folder name is no extension
        {"a\\card.gif", 0xFF00FF00},
    };
    for (const auto& c : cases) {
        auto image = LoadImageFile(PathOf(c.name), AlphaFile::Ignore);
        ASSERT_EQ(bool(image), c.pixel != 0) << c.name;
        if (image) {
            EXPECT_EQ(image->GetBits()[0], c.pixel) << c.name;
        }
    }
}

TEST_F(ImageLoaderTest, AlphaFilesGiveTheAlphaChannel) {
    const std::vector<uint32_t> color = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    // Blue carries the alpha; red and green are ignored.
    const std::vector<uint32_t> grey = {0xFF0000FF, 0xFFFFFF00, 0x00123480, 0xFF000001};
    Put("img/card.tga", Targa(2, 2, 32, 0x28, color));
    Put("img/_card.gif", GifBuilder(2, 2)
                             .Screen({0x0000FF, 0xFFFF00, 0x123480, 0x000001})
                             .Descriptor(2, 2, false)
                             .Data(2, {0, 1, 2, 3}, false)
                             .Bytes());
    Put("img/glow.tga", Targa(2, 2, 32, 0x28, color));
    Put("img/_glow.tga", Targa(1, 2, 32, 0x28, {grey[0], grey[1]})); // another size: ignored
    Put("img/_mask.tga", Targa(2, 2, 32, 0x28, grey));
    Put("_img/shade.tga", Targa(2, 2, 32, 0x28, grey)); // "_" before the whole name

    auto card = LoadImageFile(PathOf("img/card"), AlphaFile::Look);
    ASSERT_TRUE(card);
    EXPECT_EQ(PixelsOf(*card),
              (std::vector<uint32_t>{0xFF102030, 0x00405060, 0x80708090, 0x01A0B0C0}));
    auto ignored = LoadImageFile(PathOf("img/card"), AlphaFile::Ignore);
    EXPECT_EQ(PixelsOf(*ignored), color);
    auto glow = LoadImageFile(PathOf("img/glow.tga"), AlphaFile::Look);
    EXPECT_EQ(PixelsOf(*glow), color);

    // An alpha file alone: the colour is the setting (white unless set), the alpha its blue.
    auto mask = LoadImageFile(PathOf("img/mask.tga"), AlphaFile::Look);
    ASSERT_TRUE(mask);
    EXPECT_EQ(PixelsOf(*mask),
              (std::vector<uint32_t>{0xFFFFFFFF, 0x00FFFFFF, 0x80FFFFFF, 0x01FFFFFF}));
    ImageLib::SetAlphaOnlyColor(0x336699);
    mask = LoadImageFile(PathOf("img/mask.tga"), AlphaFile::Look);
    std::thread([] { EXPECT_EQ(ImageLib::GetAlphaOnlyColor(), 0xFFFFFFu); }).join();
    ImageLib::SetAlphaOnlyColor(0xFFFFFF);
    EXPECT_EQ(PixelsOf(*mask),
              (std::vector<uint32_t>{0xFF336699, 0x00336699, 0x80336699, 0x01336699}));
    EXPECT_FALSE(LoadImageFile(PathOf("img/mask.tga"), AlphaFile::Ignore));

    paktest::ScopedWorkingDirectory inFolder(mFolder.Path());
    auto shade = LoadImageFile("img/shade.tga", AlphaFile::Look);
    ASSERT_TRUE(shade);
    EXPECT_EQ(shade->GetBits()[2], 0x80FFFFFFu);
}

TEST_F(ImageLoaderTest, FilesAreReadThroughThePakLayer) {
    // The archive wins over the loose file of the same name.
    Put("pak-images/tile.gif",
        GifBuilder(1, 1).Screen({0xFF0000, 0}).Descriptor(1, 1, false).Data(2, {0}, false).Bytes());
    const std::string archive =
        Put("images.pak",
            paktest::Archive({{"pak-images\\tile.tga", Targa(1, 1, 32, 0x28, {0x7F0000FF})},
                              {"pak-images\\Tile.png", Fixture("rgba.png")},
                              {"pak-images\\_tile.gif", Fixture("bilevel.gif")}}));
    paktest::ScopedWorkingDirectory inFolder(mFolder.Path());
    ASSERT_TRUE(gPakInterface->MountArchive(archive));
    auto tga = LoadImageFile("pak-images/tile", AlphaFile::Ignore);
    ASSERT_TRUE(tga);
    EXPECT_EQ(tga->GetBits()[0], 0x7F0000FFu);
    auto png = LoadImageFile("pak-images/TILE.PNG", AlphaFile::Ignore);
    ASSERT_TRUE(png);
    EXPECT_EQ(PixelsOf(*png), ExpectedPixels("rgba.png"));
    auto gif = LoadImageFile("pak-images/tile.gif", AlphaFile::Ignore);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->GetBits()[0], 0xFFFF0000u); // on disk only
}

TEST_F(ImageLoaderTest, Jpeg2000NeedsTheCodec) {
    const std::string jp2 = Put("pic.jp2", Fixture("color.jp2"));
    ImageLib::FreeJpeg2000Codec();
    EXPECT_FALSE(ImageLib::LoadJpeg2000Codec("libno-such-codec.so"));
    EXPECT_FALSE(ImageLib::IsJpeg2000CodecLoaded());
    EXPECT_FALSE(LoadImageFile(jp2, AlphaFile::Ignore));
    EXPECT_TRUE(LoadImageFile(FixturePath("rgba.png"), AlphaFile::Ignore));
    ASSERT_TRUE(ImageLib::LoadJpeg2000Codec());
    EXPECT_TRUE(LoadImageFile(jp2, AlphaFile::Ignore));
    // A file that is neither layout gives nothing.
    EXPECT_FALSE(LoadImageFile(Put("text.j2k", "not a code stream"), AlphaFile::Ignore));
    ImageLib::FreeJpeg2000Codec();
    EXPECT_FALSE(LoadImageFile(jp2, AlphaFile::Ignore));
}

TEST_F(ImageLoaderTest, Jpeg2000HeadersClaimingThousandsOfTilesAreRefusedWithLittleMemory) {
    // The codec sets up each tile while it reads the header: 8192 x 2 pixels in tiles of one
    // pixel would cost it about 150 MB before the picture could be refused.
    auto withTinyTiles = [](std::string file) {
        const size_t siz = file.find("\xFF\x4F\xFF\x51");
        if (siz == std::string::npos)
            return std::string();
        std::string sizes;
        for (uint32_t value : {8192u, 2u, 0u, 0u, 1u, 1u}) // width, height, offsets, tile size
            imagetest::PutU32BigEndian(sizes, value);
        return file.replace(siz + 8, sizes.size(), sizes);
    };
    ASSERT_TRUE(ImageLib::LoadJpeg2000Codec());
    for (const char* name : {"color.j2k", "color.jp2"}) {
        SCOPED_TRACE(name);
        const IsolatedLoad load =
            LoadInChild(Put(std::string("tiles-") + name, withTinyTiles(Fixture(name))));
        ASSERT_GE(load.mPeakGrowthKib, 0) << "the child process did not report";
        EXPECT_FALSE(load.mLoaded);
        EXPECT_LT(load.mPeakGrowthKib, 64 * 1024);
    }
    ImageLib::FreeJpeg2000Codec();
}

TEST_F(ImageLoaderTest, LoadImageIntoGivesAMemoryImage) {
    MemoryImage image;
    ASSERT_TRUE(ImageLib::LoadImageInto(image, FixturePath("transparent.gif"), true));
    EXPECT_EQ(image.mFilePath, FixturePath("transparent.gif"));
    EXPECT_EQ(image.GetWidth(), 13);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
    EXPECT_EQ(image.GetPixels()[13 * 9], MemoryImage::kGuardWord);
    EXPECT_FALSE(ImageLib::LoadImageInto(image, PathOf("missing"), true));
    EXPECT_EQ(image.GetWidth(), 13);
}

} // namespace
