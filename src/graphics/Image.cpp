#include "graphics/Image.h"

namespace ravix {

Image::Image(const Image& other)
    : mWidth(other.mWidth), mHeight(other.mHeight), mCellRows(other.mCellRows),
      mCellColumns(other.mCellColumns),
      mAnimation(other.mAnimation ? std::make_unique<AnimationTiming>(*other.mAnimation)
                                  : nullptr) {}

Image::~Image() = default;

bool Image::FillPolygon3D(const Point*, int, const Rect&, const Color&, DrawMode, int, int) {
    return false;
}

void Image::FillRect(const Rect&, const Color&, DrawMode) {}

void Image::DrawRect(const Rect& rect, const Color& color, DrawMode mode) {
    FillRect(Rect(rect.mX, rect.mY, rect.mWidth + 1, 1), color, mode);
    FillRect(Rect(rect.mX, rect.mY + rect.mHeight, rect.mWidth + 1, 1), color, mode);
    FillRect(Rect(rect.mX, rect.mY + 1, 1, rect.mHeight - 1), color, mode);
    FillRect(Rect(rect.mX + rect.mWidth, rect.mY + 1, 1, rect.mHeight - 1), color, mode);
}

void Image::ClearRect(const Rect&) {}

void Image::DrawLine(double, double, double, double, const Color&, DrawMode) {}

void Image::DrawSmoothLine(double, double, double, double, const Color&, DrawMode) {}

void Image::FillSpans(const Span* spans, int count, const Color& color, DrawMode mode) {
    for (int i = 0; i < count; ++i) {
        FillRect(Rect(spans[i].mX, spans[i].mY, spans[i].mWidth, 1), color, mode);
    }
}

void Image::FillSpansWithCoverage(const Span*, int, const Color&, DrawMode, const uint8_t*, int,
                                  int, int, int) {}

void Image::BlitImage(Image*, int, int, const Rect&, const Color&, DrawMode) {}

void Image::BlitImageSubpixel(Image*, float, float, const Rect&, const Rect&, const Color&,
                              DrawMode) {}

void Image::BlitRotated(Image*, float, float, const Rect&, const Rect&, const Color&, DrawMode,
                        double, float, float) {}

void Image::BlitScaled(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode,
                       bool) {}

void Image::BlitMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&, DrawMode,
                       const Rect&, bool) {}

void Image::BlitTriangles(Image*, const Triangle*, int, const Rect&, const Color&, DrawMode, float,
                          float, bool) {}

void Image::BlitFlipped(Image*, int, int, const Rect&, const Color&, DrawMode) {}

void Image::BlitScaledFlipped(Image*, const Rect&, const Rect&, const Rect&, const Color&, DrawMode,
                              bool) {}

int Image::GetCellWidth() const {
    return mCellColumns > 0 ? mWidth / mCellColumns : 0;
}

int Image::GetCellHeight() const {
    return mCellRows > 0 ? mHeight / mCellRows : 0;
}

Rect Image::GetCellRect(int cell) const {
    int columns = mCellColumns > 0 ? mCellColumns : 1;
    int width = GetCellWidth();
    int height = GetCellHeight();
    return Rect(width * (cell % columns), height * (cell / columns), width, height);
}

} // namespace ravix
