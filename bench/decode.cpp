// Decoding one 512 x 512 picture with transparent parts through LoadImageFile, as PNG against
// libpng's own simplified read (png_image_*) and as GIF against giflib's DGifSlurp. Both files
// are written once per run (the PNG by WritePNG, the GIF by giflib) and every decoder's result
// is checked against the picture before anything is timed.
//
// The last line printed is "decode gif_ratio=R1 png_ratio=R2": our median time divided by the
// peer's median time for each format.

#include "files/ImageLib.h"

#include "AlternatingTiming.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using ravix::ImageLib::AlphaFile;
using ravix::ImageLib::LoadImageFile;

constexpr int kSize = 512;
constexpr int kTransparentIndex = 0;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "bench_decode: %s\n", what);
    std::exit(1);
}

// The picture: a disc of smooth colour bands with a little noise, holes and a transparent
// surround, in at most 256 colours (index 0 is transparent) so that GIF holds it exactly.
struct Picture {
    std::vector<uint32_t> mPalette = std::vector<uint32_t>(256);
    std::vector<uint8_t> mIndices = std::vector<uint8_t>(kSize * kSize);
    std::vector<uint32_t> mPixels = std::vector<uint32_t>(kSize * kSize);

    Picture() {
        for (int i = 1; i < 256; ++i)
            mPalette[i] =
                0xFF000000 | uint32_t(i) << 16 | uint32_t((i * 7) & 0xFF) << 8 | uint32_t(255 - i);
        uint32_t state = 12345;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                state = state * 214013 + 2531011;
                const double dx = x - 256.0, dy = y - 256.0;
                const bool outside = dx * dx + dy * dy > 250.0 * 250.0;
                const bool hole = std::fmod(std::hypot(dx - 60, dy + 40), 97.0) < 9.0;
                int index = kTransparentIndex;
                if (!outside && !hole) {
                    const double wave = 60 * std::sin(x * 0.05) * std::cos(y * 0.04) +
                                        60 * std::sin((x + y) * 0.013);
                    index = 1 + (int(127 + wave) + int((state >> 16) % 3)) % 255;
                }
                mIndices[y * kSize + x] = uint8_t(index);
                mPixels[y * kSize + x] = mPalette[index];
            }
        }
    }
};

struct BenchFiles {
    Picture picture;
    std::filesystem::path folder;
    std::string png;
    std::string gif;

    BenchFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-decode-XXXXXX");
        folder = mkdtemp(pattern.data());
        png = (folder / "picture.png").string();
        gif = (folder / "picture.gif").string();
        if (!ravix::ImageLib::WritePNG(png, picture.mPixels.data(), kSize, kSize))
            Fail("cannot write the PNG file");
        WriteGif();
    }
    ~BenchFiles() { std::filesystem::remove_all(folder); }

    void WriteGif() const {
        int error = 0;
        GifFileType* file = EGifOpenFileName(gif.c_str(), false, &error);
        if (!file)
            Fail("cannot write the GIF file");
        GifColorType colors[256];
        for (int i = 0; i < 256; ++i)
            colors[i] = {GifByteType(picture.mPalette[i] >> 16),
                         GifByteType(picture.mPalette[i] >> 8), GifByteType(picture.mPalette[i])};
        ColorMapObject* map = GifMakeMapObject(256, colors);
        EGifSetGifVersion(file, true);
        GraphicsControlBlock control = {DISPOSAL_UNSPECIFIED, false, 0, kTransparentIndex};
        GifByteType extension[4];
        const size_t extensionSize = EGifGCBToExtension(&control, extension);
        bool ok = EGifPutScreenDesc(file, kSize, kSize, 8, 0, map) == GIF_OK &&
                  EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, int(extensionSize), extension) ==
                      GIF_OK &&
                  EGifPutImageDesc(file, 0, 0, kSize, kSize, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < kSize; ++y)
            ok = EGifPutLine(file, const_cast<GifPixelType*>(&picture.mIndices[y * kSize]),
                             kSize) == GIF_OK;
        GifFreeMapObject(map);
        if (EGifCloseFile(file, &error) != GIF_OK || !ok)
            Fail("cannot write the GIF file");
    }
};

const BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

// Each decode reads the file from the page cache, decodes it and frees the result.
size_t DecodeOurs(const std::string& path) {
    std::unique_ptr<ravix::ImageLib::Image> image = LoadImageFile(path, AlphaFile::Ignore);
    if (!image)
        Fail("LoadImageFile failed");
    return image->GetBits()[kSize * kSize / 2];
}

size_t DecodeGiflib(std::vector<uint8_t>* indices = nullptr) {
    int error = 0;
    GifFileType* file = DGifOpenFileName(Files().gif.c_str(), &error);
    if (!file || DGifSlurp(file) != GIF_OK || file->ImageCount < 1)
        Fail("giflib failed");
    const SavedImage& image = file->SavedImages[0];
    if (indices)
        indices->assign(image.RasterBits, image.RasterBits + kSize * kSize);
    const size_t middle = image.RasterBits[kSize * kSize / 2];
    DGifCloseFile(file, &error);
    return middle;
}

size_t DecodeLibpng(std::vector<uint32_t>* pixels = nullptr) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, Files().png.c_str()))
        Fail("libpng failed");
    image.format = PNG_FORMAT_BGRA;
    std::unique_ptr<uint32_t[]> buffer(new uint32_t[size_t(image.width) * image.height]);
    if (!png_image_finish_read(&image, nullptr, buffer.get(), 0, nullptr))
        Fail("libpng failed");
    if (pixels)
        pixels->assign(buffer.get(), buffer.get() + kSize * kSize);
    return buffer[kSize * kSize / 2];
}

// Every decoder must give the picture: our loader both files, the peers the same pixels.
void CheckResults() {
    const BenchFiles& files = Files();
    for (const std::string& path : {files.png, files.gif}) {
        auto image = LoadImageFile(path, AlphaFile::Ignore);
        if (!image || std::memcmp(image->GetBits(), files.picture.mPixels.data(),
                                  files.picture.mPixels.size() * 4) != 0)
            Fail("our decoder does not give the picture");
    }
    std::vector<uint8_t> indices;
    DecodeGiflib(&indices);
    if (indices != files.picture.mIndices)
        Fail("giflib does not give the picture");
    std::vector<uint32_t> pixels;
    DecodeLibpng(&pixels);
    if (pixels != files.picture.mPixels)
        Fail("libpng does not give the picture");
}

void BM_GifOurs(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeOurs(Files().gif));
}
BENCHMARK(BM_GifOurs)->Unit(benchmark::kMicrosecond);

void BM_GifGiflib(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeGiflib());
}
BENCHMARK(BM_GifGiflib)->Unit(benchmark::kMicrosecond);

void BM_PngOurs(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeOurs(Files().png));
}
BENCHMARK(BM_PngOurs)->Unit(benchmark::kMicrosecond);

void BM_PngLibpng(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeLibpng());
}
BENCHMARK(BM_PngLibpng)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    CheckResults();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const std::string gif = Files().gif;
    const std::string png = Files().png;
    auto [gifOurs, gifPeer] = MedianMs([&] { DecodeOurs(gif); }, [] { DecodeGiflib(); }, 201);
    auto [pngOurs, pngPeer] = MedianMs([&] { DecodeOurs(png); }, [] { DecodeLibpng(); }, 201);
    std::printf("gif ours_ms=%.4f giflib_ms=%.4f\n", gifOurs, gifPeer);
    std::printf("png ours_ms=%.4f libpng_ms=%.4f\n", pngOurs, pngPeer);
    std::printf("decode gif_ratio=%.3f png_ratio=%.3f\n", gifOurs / gifPeer, pngOurs / pngPeer);
    return 0;
}
