#include "graphics/SysFont.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <vector>

namespace ravix {

namespace {

// Larger sizes are clamped: a face this tall already fills any screen.
constexpr int kMaxPixelHeight = 2048;
// Strings whose off-screen bitmaps would exceed this many pixels are not drawn.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 24;

// One FreeType library for the process. Creating and destroying faces needs the lock; a face
// itself is used by one thread at a time (its font's). It lives until the process ends, so
// that fonts destroyed during static destruction still find it.
struct FreeTypeLibrary {
    FT_Library mLibrary = nullptr;
    std::mutex mMutex;
};

FreeTypeLibrary& Library() {
    static FreeTypeLibrary* library = [] {
        auto* created = new FreeTypeLibrary;
        if (FT_Init_FreeType(&created->mLibrary) != 0) {
            created->mLibrary = nullptr;
        }
        // Fonts hold no fontconfig objects once they are open, so its configuration can be
        // released when the process ends (otherwise part of it is reported as leaked).
        FcInit();
        std::atexit(FcFini);
        return created;
    }();
    return *library;
}

// Windows-1252 code points of the bytes 0x80-0x9F; the other bytes are their own code points.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

FT_ULong CodePoint(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

int CeilDiv(int64_t value, int64_t divisor) {
    return static_cast<int>((value + divisor - 1) / divisor);
}

// Blends a straight colour over one pixel of an opaque background with the given coverage.
uint32_t BlendOver(uint32_t background, const Color& color, int coverage) {
    auto channel = [&](int shift, int value) {
        const int under = static_cast<int>((background >> shift) & 0xFF);
        return static_cast<uint32_t>((under * (255 - coverage) + value * coverage + 127) / 255)
               << shift;
    };
    return 0xFF000000u | channel(16, color.mRed) | channel(8, color.mGreen) |
           channel(0, color.mBlue);
}

// The pixel that drawn over white gives `onWhite` and drawn over black gives `onBlack`.
uint32_t RecoverPixel(uint32_t onWhite, uint32_t onBlack) {
    if (onWhite == onBlack) {
        return onWhite | 0xFF000000u;
    }
    if ((onWhite & 0xFFFFFF) == 0xFFFFFF && (onBlack & 0xFFFFFF) == 0) {
        return 0;
    }
    uint32_t alpha = 255;
    uint32_t pixel = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int white = static_cast<int>((onWhite >> shift) & 0xFF);
        const int black = static_cast<int>((onBlack >> shift) & 0xFF);
        const int channelAlpha = black - white + 255;
        const int value = channelAlpha > 0 ? std::min(255, black * 255 / channelAlpha) : 0;
        alpha = std::min(alpha, static_cast<uint32_t>(std::clamp(channelAlpha, 0, 255)));
        pixel |= static_cast<uint32_t>(value) << shift;
    }
    return alpha << 24 | pixel;
}

} // namespace

// The opened face and what drawing needs besides it.
struct SysFont::Face {
    ~Face() {
        if (mFace != nullptr) {
            std::lock_guard lock(Library().mMutex);
            FT_Done_Face(mFace);
        }
    }

    // Loads the glyph of c into the face's slot with the synthetic styles applied; false when
    // the face cannot load it.
    bool LoadGlyph(char c) {
        const FT_UInt index = FT_Get_Char_Index(mFace, CodePoint(c));
        if (FT_Load_Glyph(mFace, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
            return false;
        }
        if (mSyntheticItalic) {
            FT_GlyphSlot_Oblique(mFace->glyph);
        }
        if (mSyntheticBold) {
            FT_GlyphSlot_Embolden(mFace->glyph);
        }
        return true;
    }

    int Advance() const { return static_cast<int>((mFace->glyph->advance.x + 32) >> 6); }

    FT_Face mFace = nullptr;
    std::string mFamily;
    bool mSyntheticBold = false;
    bool mSyntheticItalic = false;
    int mUnderlineTop = 0; // below the top of the text
    int mUnderlineThickness = 1;
};

SysFont::SysFont(const std::string& faceName, int pointSize, bool bold, bool italic, bool underline)
    : SysFont(Request{faceName,
                      MulDiv(pointSize, kPixelsPerInch, 72),
                      bold,
                      italic,
                      underline,
                      kAnsiCharSet,
                      {}}) {}

// There is no device to ask for its resolution: every display counts as 96 pixels per inch.
SysFont::SysFont(const std::string& faceName, ImageLoader* app, int pointSize, int charSet)
    : SysFont(Request{
          faceName, MulDiv(pointSize, kPixelsPerInch, 72), false, false, false, charSet, {}}) {
    mApp = app;
}

SysFont::SysFont(const Request& request) : mRequest(request) {
    Open();
}

SysFont::~SysFont() = default;

int SysFont::MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    int64_t product = int64_t{number} * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const int64_t magnitude = product < 0 ? -product : product;
    const int64_t divisor = denominator < 0 ? -int64_t{denominator} : denominator;
    const int64_t quotient = (magnitude + divisor / 2) / divisor;
    const int64_t result = negative ? -quotient : quotient;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(result);
}

int SysFont::GetPixelHeight() const {
    return std::clamp(mRequest.mPixelHeight < 0 ? -mRequest.mPixelHeight : mRequest.mPixelHeight, 1,
                      kMaxPixelHeight);
}

std::string SysFont::GetMatchedFamily() const {
    return mFace ? mFace->mFamily : std::string();
}

// Opens the installed face fontconfig finds closest to the request; called with the library's
// lock held.
bool SysFont::OpenMatchingFace(FT_LibraryRec_* library, Face& face) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(mRequest.mFaceName.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, mRequest.mBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, mRequest.mItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetString(match, FC_FAMILY, 0, &family);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);

    const bool opened = file != nullptr && FT_New_Face(library, reinterpret_cast<const char*>(file),
                                                       index, &face.mFace) == 0;
    if (opened && family != nullptr) {
        face.mFamily = reinterpret_cast<const char*>(family);
    }
    FcPatternDestroy(match);
    if (!opened) {
        face.mFace = nullptr;
        return false;
    }
    face.mSyntheticBold = mRequest.mBold && weight < FC_WEIGHT_DEMIBOLD;
    face.mSyntheticItalic = mRequest.mItalic && slant == FC_SLANT_ROMAN;
    return true;
}

std::unique_ptr<SysFont> SysFont::FromFile(const std::string& fontFile, int pixelHeight) {
    Request request;
    request.mPixelHeight = pixelHeight;
    request.mFontFile = fontFile;
    return std::unique_ptr<SysFont>(new SysFont(request));
}

// Opens the requested face at the pixel height: the font file when one is named, else the
// installed face fontconfig finds closest to the request, with the styles the matched face
// lacks synthesised. Without any face the font stays empty (zero metrics, nothing drawn).
void SysFont::Open() {
    FreeTypeLibrary& library = Library();
    // Declared before the lock, so that a face given up on is closed after the lock is free.
    auto face = std::make_unique<Face>();
    std::lock_guard lock(library.mMutex);
    if (library.mLibrary == nullptr) {
        return;
    }
    if (!mRequest.mFontFile.empty()) {
        if (FT_New_Face(library.mLibrary, mRequest.mFontFile.c_str(), 0, &face->mFace) != 0) {
            face->mFace = nullptr;
            return;
        }
        if (face->mFace->family_name != nullptr) {
            face->mFamily = face->mFace->family_name;
        }
    } else if (!OpenMatchingFace(library.mLibrary, *face)) {
        return;
    }
    FT_Face ft = face->mFace;
    if (FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(GetPixelHeight())) != 0) {
        return;
    }
    // Ascent and height follow the face's Windows metrics when it has them, as the platform's
    // text metrics do, rounded up to whole pixels.
    const int ppem = GetPixelHeight();
    if (FT_IS_SCALABLE(ft) && ft->units_per_EM > 0) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        int64_t ascender = ft->ascender;
        int64_t descender = -int64_t{ft->descender};
        if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            ascender = os2->usWinAscent;
            descender = os2->usWinDescent;
        }
        mAscent = CeilDiv(ascender * ppem, ft->units_per_EM);
        mHeight = mAscent + CeilDiv(std::max<int64_t>(0, descender) * ppem, ft->units_per_EM);
        const int64_t scale = ft->size->metrics.y_scale;
        face->mUnderlineTop =
            mAscent - static_cast<int>((FT_MulFix(ft->underline_position, scale) + 32) >> 6);
        face->mUnderlineThickness =
            std::max(1, static_cast<int>((FT_MulFix(ft->underline_thickness, scale) + 32) >> 6));
    } else {
        mAscent = static_cast<int>((ft->size->metrics.ascender + 63) >> 6);
        mHeight = mAscent + static_cast<int>((-ft->size->metrics.descender + 63) >> 6);
        face->mUnderlineTop = mAscent + 1;
    }
    mFace = std::move(face);
}

int SysFont::StringWidth(std::string_view text) {
    if (!mFace) {
        return 0;
    }
    int width = 0;
    for (char c : text) {
        if (mFace->LoadGlyph(c)) {
            width += mFace->Advance();
        }
    }
    return std::max(0, width);
}

bool SysFont::RenderGlyph(char c, GlyphCoverage& glyph) {
    glyph = GlyphCoverage();
    if (!mFace || !mFace->LoadGlyph(c)) {
        return false;
    }
    glyph.mAdvance = mFace->Advance();
    FT_GlyphSlot slot = mFace->mFace->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 ||
        slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return true; // nothing to draw, but the character advances
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.mLeft = slot->bitmap_left;
    glyph.mTop = mAscent - slot->bitmap_top;
    glyph.mWidth = static_cast<int>(bitmap.width);
    glyph.mHeight = static_cast<int>(bitmap.rows);
    glyph.mCoverage.resize(static_cast<size_t>(glyph.mWidth) * glyph.mHeight);
    for (int row = 0; row < glyph.mHeight; ++row) {
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        std::copy_n(source, glyph.mWidth,
                    glyph.mCoverage.begin() + static_cast<ptrdiff_t>(row) * glyph.mWidth);
    }
    return true;
}

void SysFont::DrawString(Graphics& g, int x, int y, std::string_view text, const Color& color,
                         const Rect&) {
    const Image* target = g.GetTarget();
    if (!mFace || text.empty() || target->mWidth <= 0 || target->mHeight <= 0) {
        return;
    }
    const int width = StringWidth(text);
    const int height = mHeight;
    if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxBitmapPixels) {
        return;
    }

    // The coverage of the text drawn at (0, 0), underline included.
    const size_t count = static_cast<size_t>(width) * height;
    std::vector<uint8_t> coverage(count, 0);
    int penX = 0;
    GlyphCoverage glyph;
    for (char c : text) {
        if (!RenderGlyph(c, glyph)) {
            continue;
        }
        for (int row = 0; row < glyph.mHeight; ++row) {
            const int py = glyph.mTop + row;
            if (py < 0 || py >= height) {
                continue;
            }
            const uint8_t* source =
                glyph.mCoverage.data() + static_cast<size_t>(row) * glyph.mWidth;
            for (int column = 0; column < glyph.mWidth; ++column) {
                const int px = penX + glyph.mLeft + column;
                if (px >= 0 && px < width) {
                    uint8_t& cell = coverage[static_cast<size_t>(py) * width + px];
                    cell = std::max(cell, source[column]);
                }
            }
        }
        penX += glyph.mAdvance;
    }
    if (mRequest.mUnderline) {
        const int top = std::max(0, mFace->mUnderlineTop);
        const int bottom = std::min(height, mFace->mUnderlineTop + mFace->mUnderlineThickness);
        for (int row = top; row < bottom; ++row) {
            std::fill_n(coverage.begin() + static_cast<ptrdiff_t>(row) * width, width, 255);
        }
    }

    // Every drawing goes onto both backgrounds, as the platform's renderer would draw it.
    std::vector<uint32_t> onWhite(count, 0xFFFFFFFFu);
    std::vector<uint32_t> onBlack(count, 0xFF000000u);
    auto paint = [&](int dx, int dy, const Color& paintColor) {
        for (int row = std::max(0, dy); row < height; ++row) {
            for (int column = std::max(0, dx); column < width; ++column) {
                const int cover = coverage[static_cast<size_t>(row - dy) * width + column - dx];
                if (cover == 0) {
                    continue;
                }
                const size_t i = static_cast<size_t>(row) * width + column;
                onWhite[i] = BlendOver(onWhite[i], paintColor, cover);
                onBlack[i] = BlendOver(onBlack[i], paintColor, cover);
            }
        }
    };
    if (mShadow) {
        paint(1, 1, kOpaqueBlack);
        if (mSimulatedBold) {
            paint(2, 1, kOpaqueBlack);
        }
    }
    paint(0, 0, color);
    if (mSimulatedBold) {
        paint(1, 0, color);
    }

    std::vector<uint32_t> pixels(count);
    for (size_t i = 0; i < count; ++i) {
        pixels[i] = RecoverPixel(onWhite[i], onBlack[i]);
    }
    MemoryImage image;
    image.SetPixels(pixels.data(), width, height, true);
    g.DrawImage(&image, x, y - mAscent);
}

std::unique_ptr<Font> SysFont::Duplicate() const {
    std::unique_ptr<SysFont> copy(new SysFont(mRequest));
    copy->mApp = mApp;
    copy->mAscent = mAscent;
    copy->mHeight = mHeight;
    return copy;
}

} // namespace ravix
