#pragma once

#include "graphics/Font.h"
#include "graphics/FontData.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace ravix {

class MemoryImage;
class ImageLoader;

// A layer of an image font taking part at the font's current size, scale and tags.
struct ActiveFontLayer {
    ActiveFontLayer() = default;
    // A copy owns a copy of an owned image, so that each font owns its own.
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    ActiveFontLayer(ActiveFontLayer&&) = default;
    ActiveFontLayer& operator=(ActiveFontLayer&&) = default;

    const GlyphLayer* mBaseLayer = nullptr;
    std::shared_ptr<MemoryImage> mImage; // the layer image, or a scaled one made for this font
    bool mOwnsImage = false;
    std::array<Rect, 256> mScaledRects{}; // the glyph rectangles in mImage
};

// A font that draws glyphs cut out of images. Its glyph data (a FontData, shared with its
// duplicates) holds layers; the font chooses the layers that take part at its point size, scale
// and tags, pre-scales their glyphs when needed, and draws each character once per active
// layer, the glyphs of a string sorted by drawing order.
//
// Drawing goes through one process-wide glyph pool under one lock, so fonts may be prepared on
// the loading thread while the main thread draws. One font object is used by one thread at a
// time.
class ImageFont : public Font {
public:
    // The largest pre-scaled glyph image a layer may need (in pixels); a layer whose glyphs
    // would need more is left out.
    static constexpr int64_t kMaxScaledPixels = int64_t{1} << 22;

    // Reads the font descriptor file; the point size starts as its default point size. Layer
    // images are loaded through the loader.
    ImageFont(ImageLoader* app, const std::string& descriptorPath,
              FontImageLoader loader = LoadFontLayerImage);
    // One layer from an image and a file of character widths.
    ImageFont(std::shared_ptr<MemoryImage> image, const std::string& widthsPath);
    // Shares the font data; copies the point size, tags, scale, force-white flag and the active
    // layers when they are up to date.
    ImageFont(const ImageFont& other);
    ImageFont& operator=(const ImageFont&) = delete;
    ~ImageFont() override;

    int StringWidth(std::string_view text) override;
    int CharWidth(char c) override;
    int CharAdvance(char c, char previous) override;
    void DrawString(Graphics& g, int x, int y, std::string_view text, const Color& color,
                    const Rect& clip) override;
    [[nodiscard]] std::unique_ptr<Font> Duplicate() const override;

    // Rebuilds the active layers and the metrics.
    virtual void Prepare();
    // Draws text with its baseline at y through g. With drawnRects, the rectangle of every glyph
    // drawn is listed; with width, the advance of the whole text is stored.
    virtual void DrawStringFull(Graphics& g, int x, int y, std::string_view text,
                                const Color& color, const Rect& clip,
                                std::vector<Rect>* drawnRects = nullptr, int* width = nullptr);
    virtual void SetPointSize(int pointSize);
    [[nodiscard]] virtual int GetPointSize() const { return mPointSize; }
    virtual void SetScale(double scale);
    [[nodiscard]] virtual int GetDefaultPointSize() const;
    // Adds the upper-cased tag; false when HasTag finds it already.
    virtual bool AddTag(const std::string& tag);
    // Removes the upper-cased tag; false when it is not there.
    virtual bool RemoveTag(const std::string& tag);
    // Compares the text exactly with the stored (upper-case) tags.
    [[nodiscard]] virtual bool HasTag(const std::string& tag) const;
    // The text of a descriptor definition; empty when undefined (or a list).
    [[nodiscard]] virtual std::string GetDefine(const std::string& name) const;
    virtual void EnsurePrepared();

    // The font data was read without error; otherwise the font measures 0 and draws nothing.
    [[nodiscard]] bool IsLoaded() const { return mFontData->mInitialized; }
    [[nodiscard]] const FontData& GetFontData() const { return *mFontData; }
    [[nodiscard]] const std::vector<ActiveFontLayer>& GetActiveLayers() const {
        return mActiveLayers;
    }
    // Pre-scaled glyph images are made white (alpha kept), for fonts coloured when drawn.
    void SetForceWhite(bool forceWhite);

private:
    // Scale of a layer's glyphs: numerator / denominator.
    struct LayerRatio {
        double mNumerator;
        double mDenominator;
    };
    [[nodiscard]] LayerRatio RatioOf(const GlyphLayer& layer) const;
    // Makes the scaled, palettised glyph image of a layer; false when it would be too large.
    bool BuildScaledImage(const GlyphLayer& layer, const LayerRatio& ratio,
                          ActiveFontLayer& active) const;
    void Invalidate() { mActiveListValid = false; }

    std::shared_ptr<FontData> mFontData;
    int mPointSize = 0;
    std::vector<std::string> mTags; // upper case
    std::vector<ActiveFontLayer> mActiveLayers;
    bool mActiveListValid = false;
    double mScale = 1.0;
    bool mForceWhite = false;
};

} // namespace ravix
