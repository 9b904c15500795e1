// The frame that matters: the game's board redrawn in full, an 800 x 600 opaque background and
// 54 cards of two layers (tile and symbol), each layer drawn through a sprite's transform
// (reset, scale, rotate 0: a matrix blit). The same scene is drawn with pixman (OVER, nearest,
// the same affine transforms, premultiplied copies of the pictures) for comparison. Also: an
// unscaled BlitImage of an 800 x 600 picture with mixed alpha against pixman OVER.
//
// The last line printed is "board_scene ours_ms=X pixman_ms=Y ratio=Z" (median milliseconds per
// frame). "--dump=prefix" writes both scenes as prefix_ours.ppm and prefix_pixman.ppm.

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/Transform.h"

#include "AlternatingTiming.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace ravix;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kCardSize = 80;
constexpr int kColumns = 9;
constexpr int kRows = 6;

// Pictures ---------------------------------------------------------------------------------

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

// Coverage (0..255) of a pixel by a disc, with a one-pixel soft edge.
uint32_t DiscCoverage(double x, double y, double cx, double cy, double radius) {
    double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
    double coverage = std::clamp(radius - distance + 0.5, 0.0, 1.0);
    return static_cast<uint32_t>(coverage * 255.0 + 0.5);
}

std::vector<uint32_t> BackgroundPixels() {
    std::vector<uint32_t> pixels(kScreenWidth * kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            uint32_t wave =
                static_cast<uint32_t>(40 + 30 * std::sin(x * 0.02) * std::cos(y * 0.03));
            pixels[y * kScreenWidth + x] = Argb(255, 20 + y / 8, wave, 90 + x / 10);
        }
    }
    return pixels;
}

// The tile: an opaque rounded square with transparent corners and soft corner edges.
std::vector<uint32_t> TilePixels() {
    std::vector<uint32_t> pixels(kCardSize * kCardSize);
    const double radius = 12.0;
    for (int y = 0; y < kCardSize; ++y) {
        for (int x = 0; x < kCardSize; ++x) {
            double cx = std::clamp(x + 0.5, radius, kCardSize - radius);
            double cy = std::clamp(y + 0.5, radius, kCardSize - radius);
            uint32_t alpha = DiscCoverage(x, y, cx, cy, radius);
            uint32_t shade = 200 + static_cast<uint32_t>(40.0 * (x + y) / (2 * kCardSize));
            pixels[y * kCardSize + x] = alpha == 0 ? 0 : Argb(alpha, shade, shade, shade - 30);
        }
    }
    return pixels;
}

// The symbol: mostly transparent, a soft-edged ring and dot in the middle.
std::vector<uint32_t> SymbolPixels() {
    std::vector<uint32_t> pixels(kCardSize * kCardSize);
    const double c = kCardSize / 2.0;
    for (int y = 0; y < kCardSize; ++y) {
        for (int x = 0; x < kCardSize; ++x) {
            uint32_t ring =
                DiscCoverage(x, y, c, c, 22) * (255 - DiscCoverage(x, y, c, c, 15)) / 255;
            uint32_t dot = DiscCoverage(x, y, c, c, 7);
            uint32_t alpha = std::max(ring, dot);
            pixels[y * kCardSize + x] =
                alpha == 0 ? 0 : Argb(alpha, 180, 30, dot > ring ? 160 : 40);
        }
    }
    return pixels;
}

// An 800 x 600 picture with mixed alpha: transparent, opaque and graded tiles of 50 x 50.
std::vector<uint32_t> MixedAlphaPixels() {
    std::vector<uint32_t> pixels(kScreenWidth * kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            int kind = (x / 50 + y / 50) % 3;
            uint32_t alpha = kind == 0 ? 0 : (kind == 1 ? 255 : 1 + (x % 50) * 5);
            pixels[y * kScreenWidth + x] =
                alpha == 0 ? 0 : Argb(alpha, x & 0xFF, y & 0xFF, (x + y) & 0xFF);
        }
    }
    return pixels;
}

std::unique_ptr<MemoryImage> ImageOf(const std::vector<uint32_t>& pixels, int width, int height) {
    auto image = std::make_unique<MemoryImage>();
    image->SetPixels(pixels.data(), width, height, true);
    return image;
}

// The scene --------------------------------------------------------------------------------

struct Layer {
    int mPicture; // 0 background, 1 tile, 2 symbol
    float mX, mY; // centre
    float mScaleX, mScaleY;
};

std::vector<Layer> SceneLayers() {
    std::vector<Layer> layers;
    layers.push_back({0, kScreenWidth / 2.0f, kScreenHeight / 2.0f, 1.0f, 1.0f});
    for (int picture = 1; picture <= 2; ++picture) {
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                int card = row * kColumns + column;
                float scaleX = 0.9f;
                float scaleY = 0.9f;
                if (card == 10) {
                    scaleX = scaleY = 0.99f; // the card under the mouse
                } else if (card == 31) {
                    scaleY = 0.3f; // a card turning over
                }
                layers.push_back({picture, 80.0f + column * 80.0f + 0.3f,
                                  70.0f + row * 92.0f + 0.6f, scaleX, scaleY});
            }
        }
    }
    return layers;
}

class OurScene {
public:
    OurScene(const std::vector<Layer>& layers, MemoryImage* background, MemoryImage* tile,
             MemoryImage* symbol)
        : mLayers(layers), mPictures{background, tile, symbol} {
        mScreen.Create(kScreenWidth, kScreenHeight);
        mScreen.GetPixels();
        mScreen.FixTransparencyFlags(false, false); // the screen is opaque
        for (const Layer& layer : mLayers) {
            // As a sprite builds its transform.
            Transform transform;
            transform.Reset();
            transform.Scale(layer.mScaleX, layer.mScaleY);
            transform.Rotate(0.0f);
            mTransforms.push_back(transform);
        }
    }

    void Draw() {
        Graphics g(&mScreen);
        for (size_t i = 0; i < mLayers.size(); ++i) {
            const Layer& layer = mLayers[i];
            g.DrawImageTransformed(mPictures[layer.mPicture], mTransforms[i], layer.mX, layer.mY);
        }
    }

    MemoryImage& Screen() { return mScreen; }

private:
    std::vector<Layer> mLayers;
    MemoryImage* mPictures[3];
    std::vector<Transform> mTransforms;
    MemoryImage mScreen;
};

std::vector<uint32_t> Premultiplied(const std::vector<uint32_t>& pixels) {
    std::vector<uint32_t> out(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t p = pixels[i];
        uint32_t a = p >> 24;
        auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
        out[i] = a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 | mul(p & 0xFF);
    }
    return out;
}

class PixmanScene {
public:
    PixmanScene(const std::vector<Layer>& layers, const std::vector<uint32_t>* pictures[3],
                const int sizes[3][2])
        : mLayers(layers), mScreenBits(kScreenWidth * kScreenHeight, 0xFF000000) {
        mScreen = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                           mScreenBits.data(), kScreenWidth * 4);
        for (int i = 0; i < 3; ++i) {
            mBits[i] = Premultiplied(*pictures[i]);
            mPictures[i] = pixman_image_create_bits(PIXMAN_a8r8g8b8, sizes[i][0], sizes[i][1],
                                                    mBits[i].data(), sizes[i][0] * 4);
            pixman_image_set_filter(mPictures[i], PIXMAN_FILTER_NEAREST, nullptr, 0);
            pixman_image_set_repeat(mPictures[i], PIXMAN_REPEAT_NONE);
        }
        for (const Layer& layer : mLayers) {
            // Destination box of the scaled picture and the transform from destination to
            // source coordinates (pixman samples at pixel centres, x + 0.5).
            int width = sizes[layer.mPicture][0];
            int height = sizes[layer.mPicture][1];
            double left = layer.mX - width * layer.mScaleX / 2.0;
            double top = layer.mY - height * layer.mScaleY / 2.0;
            Placement p;
            p.mX = static_cast<int>(std::floor(left));
            p.mY = static_cast<int>(std::floor(top));
            p.mWidth = static_cast<int>(std::ceil(left + width * layer.mScaleX)) - p.mX;
            p.mHeight = static_cast<int>(std::ceil(top + height * layer.mScaleY)) - p.mY;
            pixman_f_transform f;
            pixman_f_transform_init_identity(&f);
            f.m[0][0] = 1.0 / layer.mScaleX;
            f.m[0][2] = (p.mX - left) / layer.mScaleX;
            f.m[1][1] = 1.0 / layer.mScaleY;
            f.m[1][2] = (p.mY - top) / layer.mScaleY;
            pixman_transform_from_pixman_f_transform(&p.mTransform, &f);
            mPlacements.push_back(p);
        }
    }

    ~PixmanScene() {
        for (pixman_image_t* picture : mPictures) {
            pixman_image_unref(picture);
        }
        pixman_image_unref(mScreen);
    }

    void Draw() {
        for (size_t i = 0; i < mLayers.size(); ++i) {
            const Placement& p = mPlacements[i];
            pixman_image_t* picture = mPictures[mLayers[i].mPicture];
            pixman_image_set_transform(picture, &p.mTransform);
            pixman_image_composite32(PIXMAN_OP_OVER, picture, nullptr, mScreen, 0, 0, 0, 0, p.mX,
                                     p.mY, p.mWidth, p.mHeight);
        }
    }

    const std::vector<uint32_t>& ScreenBits() const { return mScreenBits; }

private:
    struct Placement {
        int mX, mY, mWidth, mHeight;
        pixman_transform_t mTransform;
    };
    std::vector<Layer> mLayers;
    std::vector<Placement> mPlacements;
    std::vector<uint32_t> mScreenBits;
    std::vector<uint32_t> mBits[3];
    pixman_image_t* mScreen = nullptr;
    pixman_image_t* mPictures[3] = {};
};

struct Fixture {
    Fixture()
        : mBackgroundPixels(BackgroundPixels()), mTilePixels(TilePixels()),
          mSymbolPixels(SymbolPixels()),
          mBackground(ImageOf(mBackgroundPixels, kScreenWidth, kScreenHeight)),
          mTile(ImageOf(mTilePixels, kCardSize, kCardSize)),
          mSymbol(ImageOf(mSymbolPixels, kCardSize, kCardSize)), mLayers(SceneLayers()),
          mOurs(mLayers, mBackground.get(), mTile.get(), mSymbol.get()), mPixman(MakePixman()) {}

    std::unique_ptr<PixmanScene> MakePixman() {
        const std::vector<uint32_t>* pictures[3] = {&mBackgroundPixels, &mTilePixels,
                                                    &mSymbolPixels};
        const int sizes[3][2] = {
            {kScreenWidth, kScreenHeight}, {kCardSize, kCardSize}, {kCardSize, kCardSize}};
        return std::make_unique<PixmanScene>(mLayers, pictures, sizes);
    }

    std::vector<uint32_t> mBackgroundPixels, mTilePixels, mSymbolPixels;
    std::unique_ptr<MemoryImage> mBackground, mTile, mSymbol;
    std::vector<Layer> mLayers;
    OurScene mOurs;
    std::unique_ptr<PixmanScene> mPixman;
};

Fixture& SceneFixture() {
    static Fixture fixture;
    return fixture;
}

// The unscaled blit -------------------------------------------------------------------------

struct BlitFixture {
    BlitFixture()
        : mPixels(MixedAlphaPixels()), mPicture(ImageOf(mPixels, kScreenWidth, kScreenHeight)),
          mPremultiplied(Premultiplied(mPixels)),
          mPixmanDestBits(kScreenWidth * kScreenHeight, 0xFF336699) {
        mDest.Create(kScreenWidth, kScreenHeight);
        std::fill_n(mDest.GetPixels(), kScreenWidth * kScreenHeight, 0xFF336699u);
        mDest.FixTransparencyFlags(false, false);
        mPixmanSource = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                                 mPremultiplied.data(), kScreenWidth * 4);
        mPixmanDest = pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight,
                                               mPixmanDestBits.data(), kScreenWidth * 4);
    }
    ~BlitFixture() {
        pixman_image_unref(mPixmanSource);
        pixman_image_unref(mPixmanDest);
    }

    void DrawOurs() {
        mDest.BlitImage(mPicture.get(), 0, 0, Rect(0, 0, kScreenWidth, kScreenHeight), kOpaqueWhite,
                        DrawMode::Normal);
    }
    void DrawPixman() {
        pixman_image_composite32(PIXMAN_OP_OVER, mPixmanSource, nullptr, mPixmanDest, 0, 0, 0, 0, 0,
                                 0, kScreenWidth, kScreenHeight);
    }

    std::vector<uint32_t> mPixels;
    std::unique_ptr<MemoryImage> mPicture;
    std::vector<uint32_t> mPremultiplied;
    std::vector<uint32_t> mPixmanDestBits;
    MemoryImage mDest;
    pixman_image_t* mPixmanSource = nullptr;
    pixman_image_t* mPixmanDest = nullptr;
};

BlitFixture& Blits() {
    static BlitFixture fixture;
    return fixture;
}

void BM_BoardSceneOurs(benchmark::State& state) {
    Fixture& f = SceneFixture();
    for (auto _ : state) {
        f.mOurs.Draw();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BoardSceneOurs)->Unit(benchmark::kMillisecond);

void BM_BoardScenePixman(benchmark::State& state) {
    Fixture& f = SceneFixture();
    for (auto _ : state) {
        f.mPixman->Draw();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BoardScenePixman)->Unit(benchmark::kMillisecond);

void BM_BlitImageOurs(benchmark::State& state) {
    for (auto _ : state) {
        Blits().DrawOurs();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlitImageOurs)->Unit(benchmark::kMillisecond);

void BM_BlitImagePixman(benchmark::State& state) {
    for (auto _ : state) {
        Blits().DrawPixman();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlitImagePixman)->Unit(benchmark::kMillisecond);

// Writes 32-bit pixels as a binary PPM; premultiplied pixels over black read the same.
void WritePpm(const std::string& path, const uint32_t* pixels) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", kScreenWidth, kScreenHeight);
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
        unsigned char rgb[3] = {static_cast<unsigned char>(pixels[i] >> 16),
                                static_cast<unsigned char>(pixels[i] >> 8),
                                static_cast<unsigned char>(pixels[i])};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

// How far the two scenes differ: the largest channel difference and the pixels that differ by
// more than 2 in some channel.
void CompareScenes(const uint32_t* ours, const uint32_t* theirs) {
    int largest = 0;
    int different = 0;
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int a = static_cast<int>((ours[i] >> shift) & 0xFF);
            int b = static_cast<int>((theirs[i] >> shift) & 0xFF);
            worst = std::max(worst, std::abs(a - b));
        }
        largest = std::max(largest, worst);
        different += worst > 2 ? 1 : 0;
    }
    std::printf("scene_difference max_channel=%d pixels_over_2=%d\n", largest, different);
}

} // namespace

int main(int argc, char** argv) {
    std::string dumpPrefix;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--dump=", 7) == 0) {
            dumpPrefix = argv[i] + 7;
        } else {
            args.push_back(argv[i]);
        }
    }
    int benchArgc = static_cast<int>(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    Fixture& f = SceneFixture();
    f.mOurs.Draw();
    f.mPixman->Draw();
    CompareScenes(f.mOurs.Screen().GetPixels(), f.mPixman->ScreenBits().data());
    if (!dumpPrefix.empty()) {
        WritePpm(dumpPrefix + "_ours.ppm", f.mOurs.Screen().GetPixels());
        WritePpm(dumpPrefix + "_pixman.ppm", f.mPixman->ScreenBits().data());
    }

    auto [blitOurs, blitPixman] =
        MedianMs([] { Blits().DrawOurs(); }, [] { Blits().DrawPixman(); });
    std::printf("blit_image ours_ms=%.4f pixman_ms=%.4f ratio=%.3f\n", blitOurs, blitPixman,
                blitOurs / blitPixman);
    auto [ours, pixman] = MedianMs([&] { f.mOurs.Draw(); }, [&] { f.mPixman->Draw(); });
    std::printf("board_scene ours_ms=%.4f pixman_ms=%.4f ratio=%.3f\n", ours, pixman,
                ours / pixman);
    return 0;
}
