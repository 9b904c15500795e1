#pragma once

#include "graphics/Font.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FT_LibraryRec_; // FreeType's library handle

namespace ravix {

class ImageLoader;

// A font of the system, chosen by face name and point size: fontconfig picks the installed face
// that best matches the name (an absent face falls back to an installed sans face) and FreeType
// renders it anti-aliased. Characters are bytes of the Windows-1252 character set.
//
// Text drawn into an image is rendered off-screen on a white and on a black background and the
// two results are combined into colour and alpha, so anti-aliased edges become partial alpha;
// the result is drawn through the Graphics context, whose translation, clip and colourise rules
// apply.
class SysFont : public Font {
public:
    static constexpr int kPixelsPerInch = 96;
    static constexpr int kAnsiCharSet = 0;

    SysFont(const std::string& faceName, int pointSize, bool bold = false, bool italic = false,
            bool underline = false);
    SysFont(const std::string& faceName, ImageLoader* app, int pointSize,
            int charSet = kAnsiCharSet);
    // The face in the given font file at a pixel height, without asking fontconfig: the same
    // file always gives the same glyphs (the tools render the game's image fonts this way).
    // GetMatchedFamily is empty when the file cannot be opened.
    static std::unique_ptr<SysFont> FromFile(const std::string& fontFile, int pixelHeight);
    ~SysFont() override;
    SysFont(const SysFont&) = delete;
    SysFont& operator=(const SysFont&) = delete;

    int StringWidth(std::string_view text) override;
    void DrawString(Graphics& g, int x, int y, std::string_view text, const Color& color,
                    const Rect& clip) override;
    // An equal font with both drawing flags cleared.
    [[nodiscard]] std::unique_ptr<Font> Duplicate() const override;

    // The shadow is drawn in black one pixel right and below the text.
    void SetShadow(bool shadow) { mShadow = shadow; }
    [[nodiscard]] bool HasShadow() const { return mShadow; }
    // Simulated bold draws the text twice, one pixel apart.
    void SetSimulatedBold(bool simulatedBold) { mSimulatedBold = simulatedBold; }
    [[nodiscard]] bool HasSimulatedBold() const { return mSimulatedBold; }

    // The anti-aliased coverage of one character: mWidth x mHeight bytes, row by row, placed
    // with its top-left corner at (pen x + mLeft, line top + mTop), where the line top lies the
    // ascent above the baseline.
    struct GlyphCoverage {
        int mLeft = 0;
        int mTop = 0;
        int mWidth = 0;
        int mHeight = 0;
        int mAdvance = 0;
        std::vector<uint8_t> mCoverage;
    };
    // False when the font has no face or the face cannot load the character.
    [[nodiscard]] bool RenderGlyph(char c, GlyphCoverage& glyph);

    [[nodiscard]] ImageLoader* GetApplication() const { return mApp; }
    // The character height asked of the face: the point size at kPixelsPerInch.
    [[nodiscard]] int GetPixelHeight() const;
    // The family of the face fontconfig matched; empty when no face could be opened.
    [[nodiscard]] std::string GetMatchedFamily() const;

    // Windows' MulDiv: number * numerator / denominator rounded half away from zero, through a
    // 64-bit product; -1 for a zero denominator or a result outside the int range.
    static int MulDiv(int number, int numerator, int denominator);

private:
    struct Face;
    struct Request {
        std::string mFaceName;
        int mPixelHeight = 0;
        bool mBold = false;
        bool mItalic = false;
        bool mUnderline = false;
        int mCharSet = kAnsiCharSet;
        std::string mFontFile; // opened directly when set
    };

    explicit SysFont(const Request& request);
    void Open();
    bool OpenMatchingFace(::FT_LibraryRec_* library, Face& face);

    ImageLoader* mApp = nullptr;
    Request mRequest;
    std::unique_ptr<Face> mFace;
    bool mShadow = false;
    bool mSimulatedBold = false;
};

} // namespace ravix
