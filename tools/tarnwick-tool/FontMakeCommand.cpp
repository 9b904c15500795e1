// tarnwick-tool font make: renders an image font (descriptor + glyph picture) from a font file
// as a small recipe asks.
//
// The recipe is written in the descriptor language the fonts themselves use:
//   Face 'DejaVuSans-Bold.ttf';        the font file (beside the recipe, else Debian's DejaVu)
//   PixelSize 24;                      the em height in pixels
//   Characters 32 126;                 the character codes to render (first, last)
//   Outline 2 (0 0 0 0.85);            optional: glyphs widened by a radius, drawn under the fill
//                                      in the colour (r g b a, 0 to 1)
//   Shadow (2 2) (0 0 0 0.5);          optional: the (outlined) glyphs again, moved by (x y),
//                                      under everything else
// The glyphs are white, so that the colour a text is drawn in tints the fill; the outline and
// the shadow layers multiply the colour by their own, so they stay dark whatever the text's
// colour and follow its alpha.
#include "ToolCommands.h"

#include "files/AtomicFile.h"
#include "files/DescParser.h"
#include "files/ImageLib.h"
#include "graphics/SysFont.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace tarnwick::tool {

namespace {

namespace fs = std::filesystem;
using ravix::ListDataElement;

constexpr const char* kSystemFaceFolder = "/usr/share/fonts/truetype/dejavu";
constexpr int kMaxPixelSize = 200;
constexpr int kMaxOutlineRadius = 8;
constexpr int kMaxShadowOffset = 16;
constexpr int kPictureWidth = 512;
constexpr int kGlyphPadding = 1; // transparent pixels around every glyph, so filtering never bleeds

struct Layer {
    std::array<double, 4> mColor{};
};

struct Recipe {
    std::string mFace;
    int mPixelSize = 0;
    int mFirstChar = 32;
    int mLastChar = 126;
    std::optional<Layer> mOutline;
    int mOutlineRadius = 0;
    std::optional<Layer> mShadow;
    int mShadowX = 0;
    int mShadowY = 0;
};

class RecipeReader : public ravix::DescParser {
public:
    explicit RecipeReader(Recipe& recipe) : mRecipe(recipe) {}

    bool OnCommand(const ListDataElement& params) override {
        std::string name;
        if (!ToText(*params.mElements[0], name))
            return ReportError("Missing Command");
        name = UpperCase(name);
        const size_t count = params.mElements.size() - 1;
        if (name == "FACE" && count == 1)
            return ToText(*params.mElements[1], mRecipe.mFace) && !mRecipe.mFace.empty()
                       ? true
                       : Fail("the face must be a file name");
        if (name == "PIXELSIZE" && count == 1)
            return Int(*params.mElements[1], 1, kMaxPixelSize, mRecipe.mPixelSize);
        if (name == "CHARACTERS" && count == 2)
            return Int(*params.mElements[1], 32, 255, mRecipe.mFirstChar) &&
                   Int(*params.mElements[2], mRecipe.mFirstChar, 255, mRecipe.mLastChar);
        if (name == "OUTLINE" && count == 2) {
            mRecipe.mOutline.emplace();
            return Int(*params.mElements[1], 1, kMaxOutlineRadius, mRecipe.mOutlineRadius) &&
                   Colour(*params.mElements[2], mRecipe.mOutline->mColor);
        }
        if (name == "SHADOW" && count == 2) {
            mRecipe.mShadow.emplace();
            std::vector<int> offset;
            if (!ToIntList(*params.mElements[1], offset) || offset.size() != 2 ||
                std::abs(offset[0]) > kMaxShadowOffset || std::abs(offset[1]) > kMaxShadowOffset)
                return Fail("the shadow offset must be two numbers of at most " +
                            std::to_string(kMaxShadowOffset));
            mRecipe.mShadowX = offset[0];
            mRecipe.mShadowY = offset[1];
            return Colour(*params.mElements[2], mRecipe.mShadow->mColor);
        }
        return Fail("unknown command or wrong number of parameters: " + Describe(params));
    }

private:
    bool Fail(const std::string& text) {
        return ReportError(text + " (line " + std::to_string(CurrentLineNumber()) + ")");
    }
    bool Int(const ravix::DataElement& element, int low, int high, int& out) {
        std::string text;
        if (!ToText(element, text) || !ParseInt(text, out) || out < low || out > high)
            return Fail("expected a number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ": " + Describe(element));
        return true;
    }
    bool Colour(const ravix::DataElement& element, std::array<double, 4>& out) {
        std::vector<double> values;
        if (!ToNumberList(element, values) || values.size() != 4 ||
            std::any_of(values.begin(), values.end(), [](double v) { return v < 0 || v > 1; }))
            return Fail("a colour is four numbers from 0 to 1 (r g b a): " + Describe(element));
        std::copy(values.begin(), values.end(), out.begin());
        return true;
    }

    Recipe& mRecipe;
};

// One glyph picture: coverage bytes and where they lie relative to the pen and the line top.
struct GlyphPicture {
    int mLeft = 0;
    int mTop = 0;
    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint8_t> mCoverage;
    // Where the packing put it in the font picture.
    int mX = 0;
    int mY = 0;
};

// The glyph widened by the radius with a soft edge: each pixel takes the strongest coverage
// within the radius, weakened towards the radius's rim.
GlyphPicture Widened(const GlyphPicture& glyph, int radius) {
    GlyphPicture out;
    out.mLeft = glyph.mLeft - radius;
    out.mTop = glyph.mTop - radius;
    out.mWidth = glyph.mWidth + 2 * radius;
    out.mHeight = glyph.mHeight + 2 * radius;
    out.mCoverage.assign(size_t(out.mWidth) * out.mHeight, 0);
    if (glyph.mWidth == 0 || glyph.mHeight == 0)
        return out;
    struct Tap {
        int mX, mY, mWeight;
    };
    std::vector<Tap> taps;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const double weight = std::clamp(radius + 0.5 - std::hypot(dx, dy), 0.0, 1.0);
            if (weight > 0)
                taps.push_back({dx, dy, int(std::lround(weight * 255))});
        }
    for (int y = 0; y < out.mHeight; ++y)
        for (int x = 0; x < out.mWidth; ++x) {
            int best = 0;
            for (const Tap& tap : taps) {
                const int sx = x - radius + tap.mX;
                const int sy = y - radius + tap.mY;
                if (sx < 0 || sy < 0 || sx >= glyph.mWidth || sy >= glyph.mHeight)
                    continue;
                best = std::max(best, glyph.mCoverage[size_t(sy) * glyph.mWidth + sx] *
                                          tap.mWeight / 255);
            }
            out.mCoverage[size_t(y) * out.mWidth + x] = uint8_t(best);
        }
    return out;
}

// Places the glyphs in rows of the picture, left to right; returns the height used below top.
int Pack(std::vector<GlyphPicture>& glyphs, int top) {
    int x = 0;
    int rowHeight = 0;
    for (GlyphPicture& glyph : glyphs) {
        const int cellWidth = glyph.mWidth + 2 * kGlyphPadding;
        if (x + cellWidth > kPictureWidth && x > 0) {
            top += rowHeight;
            x = 0;
            rowHeight = 0;
        }
        glyph.mX = x + kGlyphPadding;
        glyph.mY = top + kGlyphPadding;
        x += cellWidth;
        rowHeight = std::max(rowHeight, glyph.mHeight + 2 * kGlyphPadding);
    }
    return top + rowHeight;
}

void Paint(const std::vector<GlyphPicture>& glyphs, std::vector<uint32_t>& pixels) {
    for (const GlyphPicture& glyph : glyphs)
        for (int y = 0; y < glyph.mHeight; ++y)
            for (int x = 0; x < glyph.mWidth; ++x) {
                const uint32_t alpha = glyph.mCoverage[size_t(y) * glyph.mWidth + x];
                if (alpha != 0)
                    pixels[size_t(glyph.mY + y) * kPictureWidth + glyph.mX + x] =
                        alpha << 24 | 0xFFFFFFu;
            }
}

// A character as a quoted descriptor string.
std::string QuotedChar(int code) {
    const char c = char(code);
    if (c == '\'')
        return "\"'\"";
    if (c == '\\')
        return "'\\\\'";
    return std::string("'") + c + "'";
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out;
}

std::string ColourList(const std::array<double, 4>& colour) {
    return "(" + Number(colour[0]) + " " + Number(colour[1]) + " " + Number(colour[2]) + " " +
           Number(colour[3]) + ")";
}

// The commands that give one layer its glyphs.
std::string LayerCommands(const std::string& layer, const std::string& picture, int ascent,
                          int height, const std::vector<GlyphPicture>& glyphs,
                          const std::vector<int>& advances) {
    std::string rects, offsets, widths;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const GlyphPicture& g = glyphs[i];
        const char* separator = i == 0 ? "" : " ";
        rects += separator + ("(" + std::to_string(g.mX) + " " + std::to_string(g.mY) + " " +
                              std::to_string(g.mWidth) + " " + std::to_string(g.mHeight) + ")");
        offsets += separator + ("(" + std::to_string(g.mLeft) + " " + std::to_string(g.mTop) + ")");
        widths += separator + std::to_string(advances[i]);
    }
    return "CreateLayer " + layer + ";\nLayerSetImage " + layer + " '" + picture + "';\n" +
           "LayerSetAscent " + layer + " " + std::to_string(ascent) + ";\n" + "LayerSetHeight " +
           layer + " " + std::to_string(height) + ";\n" + "LayerSetImageMap " + layer + " Chars (" +
           rects + ");\n" + "LayerSetCharOffsets " + layer + " Chars (" + offsets + ");\n" +
           "LayerSetCharWidths " + layer + " Chars (" + widths + ");\n";
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "tarnwick-tool: %s\n", message.c_str());
    return 1;
}

std::string FindFace(const fs::path& recipePath, const std::string& face) {
    std::error_code ignored;
    const fs::path beside = recipePath.parent_path() / face;
    if (fs::is_regular_file(beside, ignored))
        return beside.string();
    return (fs::path(kSystemFaceFolder) / face).string();
}

} // namespace

int RunFontMake(const std::string& recipePath, const std::string& outPath) {
    Recipe recipe;
    RecipeReader reader(recipe);
    if (!reader.LoadFile(recipePath))
        return Fail(recipePath + ": " +
                    (reader.ErrorText().empty() ? "cannot be read" : reader.ErrorText()));
    if (recipe.mFace.empty() || recipe.mPixelSize == 0)
        return Fail(recipePath + ": needs a Face and a PixelSize");
    const std::string facePath = FindFace(recipePath, recipe.mFace);
    std::unique_ptr<ravix::SysFont> font = ravix::SysFont::FromFile(facePath, recipe.mPixelSize);
    if (font->GetMatchedFamily().empty())
        return Fail(facePath + ": cannot open the font file");

    std::vector<GlyphPicture> fill;
    std::vector<int> advances;
    for (int code = recipe.mFirstChar; code <= recipe.mLastChar; ++code) {
        ravix::SysFont::GlyphCoverage glyph;
        if (!font->RenderGlyph(char(code), glyph))
            return Fail(facePath + ": cannot render character " + std::to_string(code));
        fill.push_back({glyph.mLeft, glyph.mTop, glyph.mWidth, glyph.mHeight,
                        std::move(glyph.mCoverage), 0, 0});
        advances.push_back(glyph.mAdvance);
    }
    std::vector<GlyphPicture> outline;
    if (recipe.mOutline)
        for (const GlyphPicture& glyph : fill)
            outline.push_back(Widened(glyph, recipe.mOutlineRadius));

    int height = Pack(fill, 0);
    height = Pack(outline, height);
    std::vector<uint32_t> pixels(size_t(kPictureWidth) * height, 0);
    Paint(fill, pixels);
    Paint(outline, pixels);

    const fs::path out(outPath);
    const std::string pictureName = out.stem().string() + ".png";
    const std::string picturePath = (out.parent_path() / pictureName).string();
    if (!ravix::ImageLib::WritePNG(picturePath, pixels.data(), kPictureWidth, height,
                                   ravix::FileAccess::Shared))
        return Fail(picturePath + ": cannot write the picture");

    const int ascent = font->GetAscent();
    const int lineHeight = font->GetHeight();
    std::string chars;
    for (int code = recipe.mFirstChar; code <= recipe.mLastChar; ++code)
        chars += (chars.empty() ? "" : " ") + QuotedChar(code);
    std::string descriptor = "# " + recipe.mFace + " at " + std::to_string(recipe.mPixelSize) +
                             " pixels, made by tarnwick-tool font make from " +
                             fs::path(recipePath).filename().string() + ".\n" + "Define Chars (" +
                             chars + ");\n" + "SetDefaultPointSize " +
                             std::to_string(recipe.mPixelSize) + ";\n";
    descriptor += LayerCommands("Main", pictureName, ascent, lineHeight, fill, advances);
    const std::vector<GlyphPicture>& under = recipe.mOutline ? outline : fill;
    if (recipe.mOutline)
        descriptor += LayerCommands("Outline", pictureName, ascent, lineHeight, outline, advances) +
                      "LayerSetColorMult Outline " + ColourList(recipe.mOutline->mColor) +
                      ";\nLayerSetBaseOrder Outline -1;\n";
    if (recipe.mShadow)
        descriptor += LayerCommands("Shadow", pictureName, ascent, lineHeight, under, advances) +
                      "LayerSetOffset Shadow (" + std::to_string(recipe.mShadowX) + " " +
                      std::to_string(recipe.mShadowY) + ");\nLayerSetColorMult Shadow " +
                      ColourList(recipe.mShadow->mColor) + ";\nLayerSetBaseOrder Shadow -2;\n";

    if (!ravix::WriteFileAtomically(outPath, descriptor, ravix::FileAccess::Shared))
        return Fail(outPath + ": cannot write the descriptor");
    std::printf("%s: %s %d px, %d characters, picture %d x %d\n", outPath.c_str(),
                font->GetMatchedFamily().c_str(), recipe.mPixelSize, int(fill.size()),
                kPictureWidth, height);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace tarnwick::tool
