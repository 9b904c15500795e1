#include "graphics/ImageFont.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace ravix {

namespace {

// Pen and glyph positions are held to this range, far outside any image, so that positions
// built from huge descriptor values cannot overflow when they are translated and clipped.
constexpr int64_t kMaxCoordinate = int64_t{1} << 28;

int ClampCoordinate(int64_t value) {
    return static_cast<int>(std::clamp(value, -kMaxCoordinate, kMaxCoordinate));
}

// trunc(value), held to the coordinate range.
int64_t Trunc(double value) {
    if (!(value == value)) {
        return 0;
    }
    return static_cast<int64_t>(
        std::clamp(std::trunc(value), -double(kMaxCoordinate), double(kMaxCoordinate)));
}

int ScaleMetric(int value, double numerator, double denominator) {
    return ClampCoordinate(Trunc(value * numerator / denominator));
}

// Glyphs of one string are collected here before they are drawn, into buckets by drawing order
// and in insertion order within a bucket. One pool serves the process, guarded by the text
// lock, which DrawStringFull holds for its whole run and Prepare while it reads layer images.
struct GlyphCommand {
    MemoryImage* mImage = nullptr;
    int mX = 0;
    int mY = 0;
    Rect mRect;
    int mDrawMode = -1;
    Color mColor;
    int mNext = -1; // the next command of the same bucket
};

class GlyphPool {
public:
    static constexpr int kCapacity = 4096;
    static constexpr int kBuckets = 256;

    void Clear() {
        mCount = 0;
        mHead.fill(-1);
        mTail.fill(-1);
    }

    // Appends the command to the bucket; dropped when the pool is full.
    void Add(int bucket, const GlyphCommand& command) {
        if (mCount == kCapacity) {
            return;
        }
        const int index = mCount++;
        mCommands[index] = command;
        mCommands[index].mNext = -1;
        if (mTail[bucket] < 0) {
            mHead[bucket] = index;
        } else {
            mCommands[mTail[bucket]].mNext = index;
        }
        mTail[bucket] = index;
    }

    template <class Visit>
    void ForEachInOrder(Visit&& visit) const {
        for (int bucket = 0; bucket < kBuckets; ++bucket) {
            for (int i = mHead[bucket]; i >= 0; i = mCommands[i].mNext) {
                visit(mCommands[i]);
            }
        }
    }

private:
    std::array<GlyphCommand, kCapacity> mCommands;
    int mCount = 0;
    std::array<int, kBuckets> mHead{};
    std::array<int, kBuckets> mTail{};
};

// Recursive: DrawStringFull holds it while it prepares the font.
std::recursive_mutex& TextLock() {
    static std::recursive_mutex lock;
    return lock;
}

GlyphPool& SharedGlyphPool() {
    static GlyphPool pool;
    return pool;
}

Color LayerColor(const GlyphLayer& layer, const Color& color) {
    auto channel = [](int mult, int value, int add) {
        return std::clamp(mult * value / 255 + add, 0, 255);
    };
    const Color& m = layer.mColorMult;
    const Color& a = layer.mColorAdd;
    return Color(channel(m.mRed, color.mRed, a.mRed), channel(m.mGreen, color.mGreen, a.mGreen),
                 channel(m.mBlue, color.mBlue, a.mBlue), channel(m.mAlpha, color.mAlpha, a.mAlpha));
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : mBaseLayer(other.mBaseLayer),
      mImage(other.mOwnsImage && other.mImage ? std::make_shared<MemoryImage>(*other.mImage)
                                              : other.mImage),
      mOwnsImage(other.mOwnsImage), mScaledRects(other.mScaledRects) {}

ImageFont::ImageFont(ImageLoader* app, const std::string& descriptorPath, FontImageLoader loader)
    : mFontData(std::make_shared<FontData>(app, std::move(loader))) {
    (void)mFontData->Load(descriptorPath);
    mPointSize = mFontData->mDefaultPointSize;
    Prepare();
    mActiveListValid = true;
}

ImageFont::ImageFont(std::shared_ptr<MemoryImage> image, const std::string& widthsPath)
    : mFontData(std::make_shared<FontData>()) {
    (void)mFontData->LoadWidths(std::move(image), widthsPath);
    Prepare();
    mActiveListValid = true;
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), mFontData(other.mFontData), mPointSize(other.mPointSize), mTags(other.mTags),
      mActiveLayers(other.mActiveListValid ? other.mActiveLayers : std::vector<ActiveFontLayer>()),
      mActiveListValid(other.mActiveListValid), mScale(other.mScale),
      mForceWhite(other.mForceWhite) {}

ImageFont::~ImageFont() = default;

std::unique_ptr<Font> ImageFont::Duplicate() const {
    return std::make_unique<ImageFont>(*this);
}

ImageFont::LayerRatio ImageFont::RatioOf(const GlyphLayer& layer) const {
    if (layer.mPointSize != 0) {
        return {mPointSize * mScale, static_cast<double>(layer.mPointSize)};
    }
    return {mScale, 1.0};
}

void ImageFont::Prepare() {
    if (!mFontData->mInitialized) {
        return;
    }
    std::lock_guard lock(TextLock());
    mActiveLayers.clear();
    mAscent = 0;
    mAscentPadding = 0;
    mHeight = 0;
    mLineSpacingOffset = 0;
    for (const GlyphLayer& layer : mFontData->mLayers) {
        if (!layer.TakesPart(mPointSize, mTags)) {
            continue;
        }
        const LayerRatio ratio = RatioOf(layer);
        ActiveFontLayer active;
        active.mBaseLayer = &layer;
        if (mScale != 1.0 || (layer.mPointSize != 0 && layer.mPointSize != mPointSize)) {
            if (!BuildScaledImage(layer, ratio, active)) {
                continue;
            }
        } else {
            active.mImage = layer.mImage;
            for (size_t i = 0; i < layer.mCharData.size(); ++i) {
                active.mScaledRects[i] = layer.mCharData[i].mImageRect;
            }
        }

        auto scaled = [&ratio](int value) {
            return ScaleMetric(value, ratio.mNumerator, ratio.mDenominator);
        };
        const int ascent = scaled(layer.mAscent);
        const int height = scaled(layer.mHeight != 0 ? layer.mHeight : layer.mDefaultHeight);
        const int ascentPadding = scaled(layer.mAscentPadding);
        const int lineSpacingOffset = scaled(layer.mLineSpacingOffset);
        if (mActiveLayers.empty()) {
            mAscent = ascent;
            mHeight = height;
            mAscentPadding = ascentPadding;
            mLineSpacingOffset = lineSpacingOffset;
        } else {
            mAscent = std::max(mAscent, ascent);
            mHeight = std::max(mHeight, height);
            mAscentPadding = std::min(mAscentPadding, ascentPadding);
            mLineSpacingOffset = std::max(mLineSpacingOffset, lineSpacingOffset);
        }
        mActiveLayers.push_back(std::move(active));
    }
}

// The glyphs are laid side by side in a new image, each stretched (filtered) from the layer
// image to its scaled size.
bool ImageFont::BuildScaledImage(const GlyphLayer& layer, const LayerRatio& ratio,
                                 ActiveFontLayer& active) const {
    auto scaledSize = [&ratio](int size) {
        return std::max<int64_t>(0, Trunc(ratio.mNumerator * size / ratio.mDenominator));
    };
    int64_t totalWidth = 0;
    int64_t maxHeight = 0;
    for (size_t i = 0; i < layer.mCharData.size(); ++i) {
        const Rect& source = layer.mCharData[i].mImageRect;
        const int64_t width = scaledSize(source.mWidth);
        const int64_t height = scaledSize(source.mHeight);
        if (totalWidth + width > kMaxScaledPixels || height > kMaxScaledPixels) {
            return false;
        }
        active.mScaledRects[i] = Rect(static_cast<int>(totalWidth), 0, static_cast<int>(width),
                                      static_cast<int>(height));
        totalWidth += width;
        maxHeight = std::max(maxHeight, height);
    }
    if (totalWidth * maxHeight > kMaxScaledPixels) {
        return false;
    }
    auto image = std::make_shared<MemoryImage>();
    image->Create(static_cast<int>(totalWidth), static_cast<int>(maxHeight));
    uint32_t* bits = image->GetPixels();
    if (bits == nullptr) {
        return false;
    }
    if (layer.mImage) {
        Graphics g(image.get());
        for (size_t i = 0; i < layer.mCharData.size(); ++i) {
            const Rect& dest = active.mScaledRects[i];
            if (!dest.IsEmpty()) {
                g.DrawImage(layer.mImage.get(), dest, layer.mCharData[i].mImageRect);
            }
        }
    }
    if (mForceWhite) {
        bits = image->GetPixels();
        for (int64_t i = 0; i < totalWidth * maxHeight; ++i) {
            bits[i] |= 0x00FFFFFFu;
        }
        image->PixelsChanged();
    }
    image->Palletize();
    active.mImage = std::move(image);
    active.mOwnsImage = true;
    return true;
}

void ImageFont::EnsurePrepared() {
    if (!mActiveListValid) {
        Prepare();
        mActiveListValid = true;
    }
}

int ImageFont::CharAdvance(char c, char previous) {
    EnsurePrepared();
    const uint8_t current = mFontData->MapChar(c);
    const uint8_t before = mFontData->MapChar(previous);
    int64_t result = 0;
    bool first = true;
    for (const ActiveFontLayer& active : mActiveLayers) {
        const GlyphLayer& layer = *active.mBaseLayer;
        const double g = layer.mPointSize != 0 ? mPointSize * mScale : mScale;
        const double p = layer.mPointSize != 0 ? layer.mPointSize : 1.0;
        const int64_t width = Trunc(layer.mCharData[current].mWidth * g / p);
        const int64_t kern =
            previous != 0
                ? Trunc(g * (layer.mCharData[before].mKerning[current] + layer.mSpacing) / p)
                : 0;
        result = first ? width + kern : std::max(result, width + kern);
        first = false;
    }
    return ClampCoordinate(result);
}

int ImageFont::CharWidth(char c) {
    return CharAdvance(c, 0);
}

int ImageFont::StringWidth(std::string_view text) {
    int64_t width = 0;
    char previous = 0;
    for (char c : text) {
        width = std::clamp(width + CharAdvance(c, previous), -kMaxCoordinate, kMaxCoordinate);
        previous = c;
    }
    return static_cast<int>(width);
}

void ImageFont::DrawString(Graphics& g, int x, int y, std::string_view text, const Color& color,
                           const Rect& clip) {
    DrawStringFull(g, x, y, text, color, clip);
}

void ImageFont::DrawStringFull(Graphics& g, int x, int y, std::string_view text, const Color& color,
                               const Rect&, std::vector<Rect>* drawnRects, int* width) {
    std::lock_guard lock(TextLock());
    GlyphPool& pool = SharedGlyphPool();
    pool.Clear();
    if (drawnRects != nullptr) {
        drawnRects->clear();
    }
    if (!mFontData->mInitialized) {
        if (width != nullptr) {
            *width = 0;
        }
        return;
    }
    EnsurePrepared();
    const bool savedTint = g.GetTintImages();
    const Color savedColor = g.GetColor();
    g.SetTintImages(true);

    int64_t penX = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = mFontData->MapChar(text[i]);
        const uint8_t next = i + 1 < text.size() ? mFontData->MapChar(text[i + 1]) : 0;
        int64_t nextPenX = penX;
        bool firstLayer = true;
        for (const ActiveFontLayer& active : mActiveLayers) {
            const GlyphLayer& layer = *active.mBaseLayer;
            const GlyphData& glyph = layer.mCharData[c];
            const double w = layer.mPointSize != 0
                                 ? mScale * (static_cast<double>(mPointSize) / layer.mPointSize)
                                 : mScale;
            const int64_t offsetX = int64_t{glyph.mOffsetX} + layer.mOffsetX;
            const int64_t offsetY = int64_t{glyph.mOffsetY} + layer.mOffsetY;
            int64_t glyphX = 0;
            int64_t glyphY = 0;
            int64_t advance = 0;
            int64_t kern = 0;
            if (w != 1.0) {
                glyphX = penX + Trunc(w * offsetX);
                glyphY = y - Trunc(w * (layer.mAscent - offsetY));
                advance = Trunc(w * glyph.mWidth);
                kern = next != 0 ? Trunc(w * (glyph.mKerning[next] + layer.mSpacing)) : 0;
            } else {
                glyphX = penX + offsetX;
                glyphY = y + offsetY - layer.mAscent;
                advance = glyph.mWidth;
                kern = next != 0 ? int64_t{glyph.mKerning[next]} + layer.mSpacing : 0;
            }
            const Rect& rect = active.mScaledRects[c];
            GlyphCommand command;
            command.mImage = active.mImage.get();
            command.mX = ClampCoordinate(glyphX);
            command.mY = ClampCoordinate(glyphY);
            command.mRect = rect;
            command.mDrawMode = layer.mDrawMode;
            command.mColor = LayerColor(layer, color);
            const int64_t order = int64_t{glyph.mOrder} + layer.mBaseOrder + 128;
            pool.Add(static_cast<int>(std::clamp<int64_t>(order, 0, 255)), command);
            if (drawnRects != nullptr) {
                drawnRects->emplace_back(command.mX, command.mY, rect.mWidth, rect.mHeight);
            }
            const int64_t end = penX + kern + advance;
            nextPenX = firstLayer ? end : std::max(nextPenX, end);
            firstLayer = false;
        }
        penX = ClampCoordinate(nextPenX);
    }
    if (width != nullptr) {
        *width = static_cast<int>(penX - x);
    }

    pool.ForEachInOrder([&g](const GlyphCommand& command) {
        const DrawMode savedMode = g.GetDrawMode();
        if (command.mDrawMode != -1) {
            g.SetDrawMode(static_cast<DrawMode>(command.mDrawMode));
        }
        g.SetColor(command.mColor);
        g.DrawImage(command.mImage, command.mX, command.mY, command.mRect);
        g.SetDrawMode(savedMode);
    });
    g.SetColor(savedColor);
    g.SetTintImages(savedTint);
}

void ImageFont::SetPointSize(int pointSize) {
    mPointSize = pointSize;
    Invalidate();
}

void ImageFont::SetScale(double scale) {
    mScale = scale;
    Invalidate();
}

void ImageFont::SetForceWhite(bool forceWhite) {
    mForceWhite = forceWhite;
    Invalidate();
}

int ImageFont::GetDefaultPointSize() const {
    return mFontData->mDefaultPointSize;
}

bool ImageFont::AddTag(const std::string& tag) {
    std::string upper = DescParser::UpperCase(tag);
    if (HasTag(upper)) {
        return false;
    }
    mTags.push_back(std::move(upper));
    Invalidate();
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag) {
    const auto it = std::find(mTags.begin(), mTags.end(), DescParser::UpperCase(tag));
    if (it == mTags.end()) {
        return false;
    }
    mTags.erase(it);
    Invalidate();
    return true;
}

bool ImageFont::HasTag(const std::string& tag) const {
    return std::find(mTags.begin(), mTags.end(), tag) != mTags.end();
}

std::string ImageFont::GetDefine(const std::string& name) const {
    const DataElement* definition = mFontData->Dereference(name);
    if (definition == nullptr || definition->IsList()) {
        return {};
    }
    return DescParser::Unquote(static_cast<const SingleDataElement&>(*definition).mText);
}

} // namespace ravix
