#include "graphics/MemoryImage.h"

#include "graphics/ImageRegistry.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace ravix {

namespace {

// Allocation sizes are computed with overflow checked: the pixel words (with the guard word)
// must fit in 32 bits of bytes, otherwise the allocation fails.
constexpr uint64_t kMaxAllocationBytes = 0xFFFFFFFFull;

std::optional<size_t> PixelCountOf(int width, int height) {
    if (width < 0 || height < 0) {
        return std::nullopt;
    }
    uint64_t count = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if ((count + 1) * sizeof(uint32_t) > kMaxAllocationBytes) {
        return std::nullopt;
    }
    return static_cast<size_t>(count);
}

template <class T>
std::unique_ptr<T[]> AllocateArray(size_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

template <class T>
std::unique_ptr<T[]> CopyArray(const T* source, size_t count) {
    std::unique_ptr<T[]> copy = AllocateArray<T>(count);
    if (copy) {
        std::memcpy(copy.get(), source, count * sizeof(T));
    }
    return copy;
}

// The pixel array of an image of the given size, guard word written; null when it cannot be
// allocated.
std::unique_ptr<uint32_t[]> AllocatePixels(int width, int height) {
    std::optional<size_t> count = PixelCountOf(width, height);
    if (!count) {
        return nullptr;
    }
    std::unique_ptr<uint32_t[]> bits = AllocateArray<uint32_t>(*count + 1);
    if (bits) {
        bits[*count] = MemoryImage::kGuardWord;
    }
    return bits;
}

// Writes the run bytes of every row: each byte tells how many pixels of its class, counting
// itself, remain in its run, capped at 255. Runs never cross a row end.
template <class ClassOf>
void EncodeRuns(uint8_t* runs, int width, int height, ClassOf classOf) {
    for (int y = 0; y < height; ++y) {
        size_t rowStart = static_cast<size_t>(y) * width;
        int remaining = 0;
        int nextClass = -1;
        for (int x = width - 1; x >= 0; --x) {
            int pixelClass = classOf(rowStart + x);
            remaining = pixelClass == nextClass ? remaining + 1 : 1;
            nextClass = pixelClass;
            runs[rowStart + x] = static_cast<uint8_t>(std::min(remaining, 255));
        }
    }
}

int AlphaClassOf(uint32_t pixel) {
    uint32_t alpha = pixel >> 24;
    return alpha == 0 ? 0 : (alpha == 255 ? 1 : 2);
}

// Premultiplies one ARGB word into the display's layout, keeping the alpha in the top byte.
uint32_t ToNative(uint32_t pixel, const NativeDisplay& display) {
    uint32_t alpha = pixel >> 24;
    uint32_t weight = alpha + 1;
    auto channel = [&](int position, int bits, int shift, int mask) {
        uint32_t value = (((pixel >> position) & 0xFF) << position) * weight >> 8;
        return ((value >> (position + 8 - bits)) << shift) & static_cast<uint32_t>(mask);
    };
    return alpha << 24 | channel(16, display.mRedBits, display.mRedShift, display.mRedMask) |
           channel(8, display.mGreenBits, display.mGreenShift, display.mGreenMask) |
           channel(0, display.mBlueBits, display.mBlueShift, display.mBlueMask);
}

// Undoes ToNative as far as the premultiplication allows.
uint32_t FromNative(uint32_t word, const NativeDisplay& display) {
    uint32_t alpha = word >> 24;
    auto channel = [&](int bits, int shift, int mask) {
        uint32_t m = static_cast<uint32_t>(mask);
        return ((m & ((m & word) * 256 / (alpha + 1))) * 256) >> (shift + bits);
    };
    return alpha << 24 | channel(display.mRedBits, display.mRedShift, display.mRedMask) << 16 |
           channel(display.mGreenBits, display.mGreenShift, display.mGreenMask) << 8 |
           channel(display.mBlueBits, display.mBlueShift, display.mBlueMask);
}

} // namespace

MemoryImage::MemoryImage() = default;

MemoryImage::MemoryImage(ImageRegistry* registry) : mRegistry(registry) {
    if (mRegistry != nullptr) {
        mRegistry->Add(this);
    }
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), mPixelsVersion(other.mPixelsVersion), mTextureFlags(other.mTextureFlags),
      mForcedMode(other.mForcedMode), mHasTrans(other.mHasTrans), mHasAlpha(other.mHasAlpha),
      mIsVolatile(other.mIsVolatile), mDropPixels(other.mDropPixels),
      mPalettePreferred(other.mPalettePreferred), mPixelsChanged(other.mPixelsChanged),
      mRegistry(other.mRegistry) {
    size_t count = PixelCountOf(mWidth, mHeight).value_or(0);
    bool paletteForm = other.HasPaletteForm();
    if (other.mBits) {
        mBits = CopyArray(other.mBits.get(), count + 1);
    }
    if (paletteForm) {
        mPalette = CopyArray(other.mPalette.get(), 256);
        mPaletteIndices = CopyArray(other.mPaletteIndices.get(), count);
    }
    if (other.mNativeAlphaData) {
        mNativeAlphaData = CopyArray(other.mNativeAlphaData.get(), paletteForm ? 256 : count);
    }
    if (other.mRLAlphaData) {
        mRLAlphaData = CopyArray(other.mRLAlphaData.get(), count);
    }
    if (other.mRLAdditiveData) {
        mRLAdditiveData = CopyArray(other.mRLAdditiveData.get(), count);
    }
    if (!other.mBits && !paletteForm) {
        // The source holds its pixels in another form: build them just for the copy.
        mBits = AllocatePixels(mWidth, mHeight);
        if (mBits) {
            other.ConvertPixelsInto(mBits.get());
        }
    }
    if (mRegistry != nullptr) {
        mRegistry->Add(this);
    }
}

MemoryImage::~MemoryImage() {
    if (mRegistry != nullptr) {
        mRegistry->Remove(this);
    }
    DeleteTextureData();
}

uint32_t* MemoryImage::GetNativeAlphaData(const NativeDisplay& display) {
    if (mNativeAlphaData) {
        return mNativeAlphaData.get();
    }
    SettlePixels();
    if (HasPaletteForm()) {
        mNativeAlphaData = AllocateArray<uint32_t>(256);
        if (mNativeAlphaData) {
            for (int i = 0; i < 256; ++i) {
                mNativeAlphaData[i] = ToNative(mPalette[i], display);
            }
        }
        return mNativeAlphaData.get();
    }
    const uint32_t* bits = GetPixels();
    if (!bits) {
        return nullptr;
    }
    size_t count = static_cast<size_t>(mWidth) * mHeight;
    mNativeAlphaData = AllocateArray<uint32_t>(count);
    if (mNativeAlphaData) {
        for (size_t i = 0; i < count; ++i) {
            mNativeAlphaData[i] = ToNative(bits[i], display);
        }
    }
    return mNativeAlphaData.get();
}

uint8_t* MemoryImage::GetRLAlphaData() {
    if (mRLAlphaData) {
        return mRLAlphaData.get();
    }
    SettlePixels();
    size_t count = PixelCountOf(mWidth, mHeight).value_or(0);
    if (HasPaletteForm()) {
        mRLAlphaData = AllocateArray<uint8_t>(count);
        if (mRLAlphaData) {
            EncodeRuns(mRLAlphaData.get(), mWidth, mHeight,
                       [&](size_t i) { return AlphaClassOf(mPalette[mPaletteIndices[i]]); });
        }
        return mRLAlphaData.get();
    }
    const uint32_t* bits = GetPixels();
    if (!bits) {
        return nullptr;
    }
    mRLAlphaData = AllocateArray<uint8_t>(count);
    if (mRLAlphaData) {
        EncodeRuns(mRLAlphaData.get(), mWidth, mHeight,
                   [&](size_t i) { return AlphaClassOf(bits[i]); });
    }
    return mRLAlphaData.get();
}

uint8_t* MemoryImage::GetRLAdditiveData(const NativeDisplay& display) {
    if (mRLAdditiveData) {
        return mRLAdditiveData.get();
    }
    const uint32_t* native = GetNativeAlphaData(display);
    if (!native) {
        return nullptr;
    }
    size_t count = PixelCountOf(mWidth, mHeight).value_or(0);
    mRLAdditiveData = AllocateArray<uint8_t>(count);
    if (!mRLAdditiveData) {
        return nullptr;
    }
    auto isBlack = [](uint32_t word) { return (word & 0xFFFFFF) == 0 ? 0 : 1; };
    if (HasPaletteForm()) {
        EncodeRuns(mRLAdditiveData.get(), mWidth, mHeight,
                   [&](size_t i) { return isBlack(native[mPaletteIndices[i]]); });
    } else {
        EncodeRuns(mRLAdditiveData.get(), mWidth, mHeight,
                   [&](size_t i) { return isBlack(native[i]); });
    }
    return mRLAdditiveData.get();
}

void MemoryImage::DropPixels() {
    mDropPixels = true;
    // Without a 3D layer the display copy is the native alpha data.
    if (!mBits && !HasPaletteForm()) {
        return;
    }
    if (!GetNativeAlphaData(GetDisplay())) {
        return; // no display copy could be made: keep the pixels
    }
    mBits.reset();
    if (mTextureData) {
        mPalette.reset();
        mPaletteIndices.reset();
    }
}

void MemoryImage::DropSoftwareCopies() {
    if (!mBits && !HasPaletteForm()) {
        GetPixels();
    }
    mNativeAlphaData.reset();
    mRLAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::DeleteTextureData() {
    // The display layer keeps no per-image texture state.
    mTextureData = nullptr;
}

void MemoryImage::DropSpareBuffers() {
    DropSoftwareCopies();
    DeleteTextureData();
}

void MemoryImage::Reinitialize() {
    if (mPalettePreferred) {
        Palletize();
    }
    if (mDropPixels) {
        DropPixels();
    }
}

void MemoryImage::PixelsChanged() {
    ++mPixelsVersion;
    mPixelsChanged = true;
    mNativeAlphaData.reset();
    mRLAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::SettlePixels() {
    if (!mPixelsChanged || mForcedMode) {
        return;
    }
    mHasAlpha = false;
    auto inspect = [this](const uint32_t* words, size_t count) {
        mHasTrans = false;
        for (size_t i = 0; i < count; ++i) {
            uint32_t alpha = words[i] >> 24;
            if (alpha == 0) {
                mHasTrans = true;
            } else if (alpha != 255) {
                mHasAlpha = true;
            }
        }
    };
    if (mBits) {
        inspect(mBits.get(), PixelCountOf(mWidth, mHeight).value_or(0));
    } else if (HasPaletteForm()) {
        inspect(mPalette.get(), 256);
    } else {
        mHasTrans = true;
    }
    mPixelsChanged = false;
}

void MemoryImage::DropNativeCaches() {
    if (!mBits && !HasPaletteForm()) {
        GetPixels();
    }
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::Clear() {
    uint32_t* bits = GetPixels();
    if (bits) {
        std::fill_n(bits, static_cast<size_t>(mWidth) * mHeight, 0u);
    }
    PixelsChanged();
}

void MemoryImage::SetPixels(const uint32_t* bits, int width, int height, bool commit) {
    if (bits == mBits.get()) {
        return;
    }
    mPalette.reset();
    mPaletteIndices.reset();
    if (!mBits || width != mWidth || height != mHeight) {
        mBits = AllocatePixels(width, height);
        mWidth = width;
        mHeight = height;
    }
    if (mBits && bits) {
        size_t count = static_cast<size_t>(width) * height;
        std::memcpy(mBits.get(), bits, count * sizeof(uint32_t));
        mBits[count] = kGuardWord;
    }
    PixelsChanged();
    if (commit) {
        SettlePixels();
    }
}

void MemoryImage::Create(int width, int height) {
    mBits.reset();
    // The palette form describes the old size; it must not outlive it.
    mPalette.reset();
    mPaletteIndices.reset();
    mWidth = width;
    mHeight = height;
    mHasTrans = true;
    mHasAlpha = true;
    PixelsChanged();
}

PixelView MemoryImage::GetPixelView() {
    return {GetPixels(), mWidth, mHeight, mWidth};
}

uint32_t* MemoryImage::GetPixels() {
    if (mBits) {
        return mBits.get();
    }
    mBits = AllocatePixels(mWidth, mHeight);
    if (!mBits) {
        return nullptr;
    }
    ConvertPixelsInto(mBits.get());
    if (HasPaletteForm()) {
        mPalette.reset();
        mPaletteIndices.reset();
        mNativeAlphaData.reset();
    }
    return mBits.get();
}

void MemoryImage::ConvertPixelsInto(uint32_t* bits) const {
    size_t count = static_cast<size_t>(mWidth) * mHeight;
    if (HasPaletteForm()) {
        for (size_t i = 0; i < count; ++i) {
            bits[i] = mPalette[mPaletteIndices[i]];
        }
    } else if (mNativeAlphaData) {
        const NativeDisplay& display = GetDisplay();
        for (size_t i = 0; i < count; ++i) {
            bits[i] = FromNative(mNativeAlphaData[i], display);
        }
    } else {
        // Pixels that only a texture held cannot be read back: transparent black.
        std::fill_n(bits, count, 0u);
    }
}

void MemoryImage::FixTransparencyFlags(bool hasTrans, bool hasAlpha) {
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
    mForcedMode = true;
}

void MemoryImage::MarkVolatile(bool flag) {
    mIsVolatile = flag;
}

bool MemoryImage::Palletize() {
    SettlePixels();
    if (HasPaletteForm()) {
        return true;
    }
    const uint32_t* bits = GetPixels();
    if (!bits) {
        return false;
    }
    size_t count = static_cast<size_t>(mWidth) * mHeight;
    std::unique_ptr<uint32_t[]> palette = AllocateArray<uint32_t>(256);
    std::unique_ptr<uint8_t[]> indices = AllocateArray<uint8_t>(count);
    if (!palette || !indices) {
        mPalettePreferred = false;
        return false;
    }
    std::fill_n(palette.get(), 256, 0u);

    // Distinct words seen so far, sorted, each with its palette index.
    struct Entry {
        uint32_t mWord;
        uint8_t mIndex;
    };
    Entry sorted[256];
    int used = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t word = bits[i];
        Entry* end = sorted + used;
        Entry* found = std::lower_bound(sorted, end, word,
                                        [](const Entry& e, uint32_t w) { return e.mWord < w; });
        if (found == end || found->mWord != word) {
            if (used == 256) {
                mPalettePreferred = false;
                return false;
            }
            std::move_backward(found, end, end + 1);
            found->mWord = word;
            found->mIndex = static_cast<uint8_t>(used);
            palette[used] = word;
            ++used;
        }
        indices[i] = found->mIndex;
    }
    mPalette = std::move(palette);
    mPaletteIndices = std::move(indices);
    mBits.reset();
    mNativeAlphaData.reset();
    mPalettePreferred = true;
    return true;
}

const NativeDisplay& MemoryImage::GetDisplay() const {
    return NativeDisplay::Default32();
}

} // namespace ravix
