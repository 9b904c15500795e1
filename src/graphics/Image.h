#pragma once

#include "base/Point.h"
#include "base/Rect.h"
#include "graphics/AnimationTiming.h"
#include "graphics/Color.h"
#include "graphics/DrawMode.h"
#include "graphics/Matrix3.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ravix {

// One horizontal run of pixels: width pixels starting at (x, y).
struct Span {
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
};

// A vertex of a textured triangle: position, texture position in 0..1 of the source image and
// a packed 0xAARRGGBB colour (0 on all three vertices: no vertex colours).
struct TriVertex {
    float mX = 0.0f;
    float mY = 0.0f;
    float mU = 0.0f;
    float mV = 0.0f;
    uint32_t mColor = 0;
};

struct Triangle {
    TriVertex mVertices[3];
};

// The abstract picture: a size, a grid of cells, optional animation timing and the drawing
// primitives a Graphics context calls on its destination. The primitives do nothing here;
// MemoryImage implements them.
class Image {
public:
    Image() = default;
    Image(const Image& other);
    Image& operator=(const Image&) = delete;

    // Drawing primitives, in slot order.
    virtual ~Image();
    virtual bool FillPolygon3D(const Point* points, int count, const Rect& clip, const Color& color,
                               DrawMode mode, int tx, int ty);
    virtual void FillRect(const Rect& rect, const Color& color, DrawMode mode);
    virtual void DrawRect(const Rect& rect, const Color& color, DrawMode mode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color,
                          DrawMode mode);
    virtual void DrawSmoothLine(double x1, double y1, double x2, double y2, const Color& color,
                                DrawMode mode);
    virtual void FillSpans(const Span* spans, int count, const Color& color, DrawMode mode);
    // Coverage byte of span pixel i: coverage[(y - coverY) * coverStride + (x - coverX) + i].
    virtual void FillSpansWithCoverage(const Span* spans, int count, const Color& color,
                                       DrawMode mode, const uint8_t* coverage, int coverX,
                                       int coverY, int coverStride, int coverHeight);
    virtual void BlitImage(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                           DrawMode mode);
    virtual void BlitImageSubpixel(Image* source, float x, float y, const Rect& srcRect,
                                   const Rect& clip, const Color& color, DrawMode mode);
    virtual void BlitRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                             const Color& color, DrawMode mode, double angle, float centerX,
                             float centerY);
    virtual void BlitScaled(Image* source, const Rect& destRect, const Rect& srcRect,
                            const Rect& clip, const Color& color, DrawMode mode, bool fastStretch);
    virtual void BlitMatrix(Image* source, float x, float y, const Matrix3& matrix,
                            const Rect& clip, const Color& color, DrawMode mode,
                            const Rect& srcRect, bool blend);
    virtual void BlitTriangles(Image* source, const Triangle* triangles, int count,
                               const Rect& clip, const Color& color, DrawMode mode, float tx,
                               float ty, bool blend);
    virtual void BlitFlipped(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                             DrawMode mode);
    virtual void BlitScaledFlipped(Image* source, const Rect& destRect, const Rect& srcRect,
                                   const Rect& clip, const Color& color, DrawMode mode,
                                   bool fastStretch);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    int GetCellWidth() const;
    int GetCellHeight() const;
    // Cells are numbered row by row.
    Rect GetCellRect(int cell) const;

    std::string mFilePath; // not copied by the copy constructor
    int mWidth = 0;
    int mHeight = 0;
    int mCellRows = 1;
    int mCellColumns = 1;
    std::unique_ptr<AnimationTiming> mAnimation;
};

} // namespace ravix
