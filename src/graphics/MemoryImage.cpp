#include "graphics/MemoryImage.h"

namespace ravix {

MemoryImage::MemoryImage() = default;

MemoryImage::MemoryImage(RavixAppBase* app) : mApp(app) {}

MemoryImage::MemoryImage(const MemoryImage& other) : Image(other) {}

MemoryImage::~MemoryImage() = default;

void MemoryImage::FillRect(const Rect&, const Color&, DrawMode) {}
void MemoryImage::ClearRect(const Rect&) {}
void MemoryImage::DrawLine(double, double, double, double, const Color&, DrawMode) {}
void MemoryImage::DrawSmoothLine(double, double, double, double, const Color&, DrawMode) {}
void MemoryImage::FillSpansWithCoverage(const Span*, int, const Color&, DrawMode, const uint8_t*,
                                        int, int, int, int) {}
void MemoryImage::BlitImage(Image*, int, int, const Rect&, const Color&, DrawMode) {}
void MemoryImage::BlitImageSubpixel(Image*, float, float, const Rect&, const Rect&, const Color&,
                                    DrawMode) {}
void MemoryImage::BlitRotated(Image*, float, float, const Rect&, const Rect&, const Color&,
                              DrawMode, double, float, float) {}
void MemoryImage::BlitScaled(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode,
                             bool) {}
void MemoryImage::BlitMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&,
                             DrawMode, const Rect&, bool) {}
void MemoryImage::BlitTriangles(Image*, const Triangle*, int, const Rect&, const Color&, DrawMode,
                                float, float, bool) {}
void MemoryImage::BlitFlipped(Image*, int, int, const Rect&, const Color&, DrawMode) {}
void MemoryImage::BlitScaledFlipped(Image*, const Rect&, const Rect&, const Rect&, const Color&,
                                    DrawMode, bool) {}

uint32_t* MemoryImage::GetNativeAlphaData(const NativeDisplay&) {
    return nullptr;
}
uint8_t* MemoryImage::GetRLAlphaData() {
    return nullptr;
}
uint8_t* MemoryImage::GetRLAdditiveData(const NativeDisplay&) {
    return nullptr;
}
void MemoryImage::DropPixels() {}
void MemoryImage::DropSoftwareCopies() {}
void MemoryImage::DeleteTextureData() {}
void MemoryImage::DropSpareBuffers() {}
void MemoryImage::Reinitialize() {}
void MemoryImage::PixelsChanged() {}
void MemoryImage::SettlePixels() {}
void MemoryImage::DropNativeCaches() {}
void MemoryImage::Clear() {}
void MemoryImage::SetPixels(const uint32_t*, int, int, bool) {}
void MemoryImage::Create(int width, int height) {
    mWidth = width;
    mHeight = height;
}
uint32_t* MemoryImage::GetPixels() {
    return nullptr;
}
void MemoryImage::FixTransparencyFlags(bool, bool) {}
void MemoryImage::MarkVolatile(bool) {}
bool MemoryImage::Palletize() {
    return false;
}

const NativeDisplay& MemoryImage::GetDisplay() const {
    return NativeDisplay::Default32();
}

} // namespace ravix
