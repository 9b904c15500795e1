// The resource manager's loading: groups, images with their alpha files, sounds and fonts.
#include "resources/ResourceManager.h"

#include "audio/SoundManager.h"
#include "base/Verify.h"
#include "files/ImageLib.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "resources/ResourceHost.h"

namespace ravix {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kTextureMinSubdivide = 1;
constexpr uint32_t kTexture16Bit = 4;
constexpr uint32_t kTexture32Bit = 8;
constexpr const char* kTagSeparators = ", \r\n\t";

// The colour bytes of the image's pixels at (x, y) for width x height pixels take the lowest
// byte (blue) of the alpha pixels as their alpha.
void CopyAlpha(uint32_t* bits, int stride, int x, int y, const uint32_t* alpha, int width,
               int height) {
    for (int row = 0; row < height; ++row) {
        uint32_t* target = bits + static_cast<size_t>(y + row) * stride + x;
        const uint32_t* source = alpha + static_cast<size_t>(row) * width;
        for (int column = 0; column < width; ++column)
            target[column] = (target[column] & 0x00FFFFFF) | (source[column] << 24);
    }
}

// Fonts load their layer images through the application's shared-image cache.
FontImageLoader SharedImageLoader(ImageLoader* app) {
    return [app](const std::string& path) {
        bool created = false;
        std::shared_ptr<MemoryImage> image = app->AcquireSharedImage(path, "", created);
        return FontLayerImage{std::move(image), created};
    };
}

} // namespace

bool ResourceManager::NeedsLoading(const BaseRes& res) const {
    switch (res.mType) {
    case ResType::Image:
        return !static_cast<const ImageRes&>(res).mImage;
    case ResType::Sound:
        return static_cast<const SoundRes&>(res).mSoundId == -1;
    case ResType::Font:
        return !static_cast<const FontRes&>(res).mFont;
    }
    return false;
}

void ResourceManager::BeginGroupLoad(const std::string& group) {
    std::lock_guard lock(mMutex);
    ClearFailure();
    mCurrentGroup = group;
    mCurrentList = &mGroups[group];
    mCurrentPosition = 0;
}

bool ResourceManager::LoadNextResource() {
    BaseRes* res = nullptr;
    {
        std::lock_guard lock(mMutex);
        if (mHadError || !mCurrentList)
            return false;
        while (!res && mCurrentPosition < mCurrentList->size()) {
            BaseRes* candidate = (*mCurrentList)[mCurrentPosition++];
            if (!candidate->mFromProgram && NeedsLoading(*candidate))
                res = candidate;
        }
        if (!res)
            return false;
    }
    // The record's definition changes only while a manifest is parsed, which must not happen
    // during a load, so the file is read without holding the lock.
    switch (res->mType) {
    case ResType::Image:
        return LoadImage(static_cast<ImageRes&>(*res));
    case ResType::Sound:
        return LoadSound(static_cast<SoundRes&>(*res));
    case ResType::Font:
        return LoadFont(static_cast<FontRes&>(*res));
    }
    return false;
}

bool ResourceManager::LoadResourceGroup(const std::string& group) {
    ClearFailure();
    BeginGroupLoad(group);
    while (LoadNextResource()) {
    }
    std::lock_guard lock(mMutex);
    if (mHadError)
        return false;
    mLoadedGroups.insert(group);
    return true;
}

void ResourceManager::OnResourceLoaded(BaseRes& /*res*/) {}

bool ResourceManager::ApplyAlphaImage(const ImageRes& res, MemoryImage& image) {
    std::unique_ptr<ImageLib::Image> alpha =
        ImageLib::LoadImageFile(res.mAlphaImage, ImageLib::AlphaFile::Look);
    if (!alpha)
        return Fail("Failed to load image: " + res.mAlphaImage);
    if (alpha->GetWidth() != image.GetWidth() || alpha->GetHeight() != image.GetHeight())
        return Fail("AlphaImage size mismatch between " + res.mPath + " and " + res.mAlphaImage);
    uint32_t* bits = image.GetPixels();
    if (!bits)
        return Fail("Failed to load image: " + res.mPath); // no memory for the pixels
    CopyAlpha(bits, image.GetWidth(), 0, 0, alpha->GetBits(), alpha->GetWidth(),
              alpha->GetHeight());
    image.PixelsChanged();
    return true;
}

bool ResourceManager::ApplyAlphaGrid(const ImageRes& res, MemoryImage& image) {
    std::unique_ptr<ImageLib::Image> grid =
        ImageLib::LoadImageFile(res.mAlphaGrid, ImageLib::AlphaFile::Look);
    if (!grid)
        return Fail("Failed to load image: " + res.mAlphaGrid);
    const int cellWidth = image.GetWidth() / res.mCols;
    const int cellHeight = image.GetHeight() / res.mRows;
    if (grid->GetWidth() != cellWidth || grid->GetHeight() != cellHeight)
        return Fail("GridAlphaImage size mismatch between " + res.mPath + " and " + res.mAlphaGrid);
    uint32_t* bits = image.GetPixels();
    if (!bits)
        return Fail("Failed to load image: " + res.mPath);
    for (int row = 0; row < res.mRows; ++row)
        for (int column = 0; column < res.mCols; ++column)
            CopyAlpha(bits, image.GetWidth(), column * cellWidth, row * cellHeight, grid->GetBits(),
                      cellWidth, cellHeight);
    image.PixelsChanged();
    return true;
}

bool ResourceManager::LoadImage(ImageRes& res) {
    RAVIX_VERIFY(mApp, "loading images needs the application");
    bool created = false;
    ImageLib::SetAlphaOnlyColor(res.mAlphaColor);
    std::shared_ptr<MemoryImage> image = mApp->AcquireSharedImage(res.mPath, res.mVariant, created);
    ImageLib::SetAlphaOnlyColor(kWhite);
    if (!image)
        return Fail("Failed to load image: " + res.mPath);
    // An image from the cache has its alpha already. A failed new image is dropped with the
    // last reference here, so the next attempt decodes it again.
    if (created) {
        if (!res.mAlphaImage.empty() && !ApplyAlphaImage(res, *image))
            return false;
        if (!res.mAlphaGrid.empty() && !ApplyAlphaGrid(res, *image))
            return false;
    }
    image->SettlePixels();
    image->mDropPixels = res.mPurgeBits;
    if (res.mDDSurface) {
        // Images are drawn from memory on this display layer, so keeping the pixels on the
        // display only means dropping the memory copy of an image without partial alpha.
        image->SettlePixels();
        if (!image->mHasAlpha)
            image->mDropPixels = true;
    }
    if (res.mPalletize)
        image->Palletize(); // no image has a display surface to palettise at a reset
    if (res.mA4R4G4B4)
        image->mTextureFlags |= kTexture16Bit;
    if (res.mA8R8G8B8)
        image->mTextureFlags |= kTexture32Bit;
    if (res.mMinimizeSubdivisions)
        image->mTextureFlags |= kTextureMinSubdivide;
    if (res.mAnimation.mPlayMode != AnimationTiming::kNone)
        image->mAnimation = std::make_unique<AnimationTiming>(res.mAnimation);
    image->mCellRows = res.mRows;
    image->mCellColumns = res.mCols;
    if (image->mDropPixels)
        image->DropPixels();
    {
        std::lock_guard lock(mMutex);
        res.mImage = std::move(image);
    }
    OnResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadSound(SoundRes& res) {
    RAVIX_VERIFY(mApp, "loading sounds needs the application");
    SoundManager* sounds = mApp->GetSoundManager();
    if (!sounds)
        return Fail("Failed to load sound: " + res.mPath);
    const int id = sounds->FindFreeEffectId();
    if (id < 0)
        return Fail("Out of free sound ids");
    if (!sounds->LoadEffectAt(id, res.mPath))
        return Fail("Failed to load sound: " + res.mPath);
    if (res.mVolume >= 0)
        sounds->SetEffectGain(id, res.mVolume);
    if (res.mPan != 0)
        sounds->SetEffectBalance(id, res.mPan);
    {
        std::lock_guard lock(mMutex);
        res.mSoundId = id;
        res.mSoundManager = sounds;
    }
    OnResourceLoaded(res);
    return true;
}

std::unique_ptr<Font> ResourceManager::MakeFont(FontRes& res, std::shared_ptr<MemoryImage>& image) {
    if (res.mSysFont) {
        // Bold comes from the font system: there is no system family that needs it simulated.
        auto font =
            std::make_unique<SysFont>(res.mPath, res.mSize, res.mBold, res.mItalic, res.mUnderline);
        font->SetShadow(res.mShadow);
        return font;
    }
    if (!res.mImagePath.empty()) {
        image = mApp->LoadDisplayImage(res.mImagePath, true);
        if (!image) {
            Fail("Failed to load image: " + res.mImagePath);
            return nullptr;
        }
        return std::make_unique<ImageFont>(image, res.mPath);
    }
    if (res.mPath.starts_with("!ref:")) {
        const std::string id = res.mPath.substr(5);
        std::lock_guard lock(mMutex);
        const FontRes* other = FindFontRes(id);
        if (!other || !other->mFont) {
            Fail("Ref font not found: " + id);
            return nullptr;
        }
        return other->mFont->Duplicate();
    }
    return std::make_unique<ImageFont>(mApp, res.mPath, SharedImageLoader(mApp));
}

bool ResourceManager::LoadFont(FontRes& res) {
    RAVIX_VERIFY(mApp, "loading fonts needs the application");
    std::shared_ptr<MemoryImage> image;
    std::unique_ptr<Font> font = MakeFont(res, image);
    if (!font)
        return false;
    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get())) {
        if (!imageFont->IsLoaded())
            return Fail("Failed to load font: " + res.mPath);
        if (!res.mTags.empty()) {
            const std::string& tags = res.mTags;
            size_t start = 0;
            while ((start = tags.find_first_not_of(kTagSeparators, start)) != std::string::npos) {
                size_t end = tags.find_first_of(kTagSeparators, start);
                imageFont->AddTag(tags.substr(start, end - start));
                start = end;
            }
            imageFont->EnsurePrepared();
        }
    }
    {
        std::lock_guard lock(mMutex);
        res.mFont = std::move(font);
        res.mImage = std::move(image);
    }
    OnResourceLoaded(res);
    return true;
}

} // namespace ravix
