// Matrix and triangle blits of MemoryImage, drawn through the polygon rasteriser.

#include "graphics/MemoryImage.h"
#include "graphics/PolygonRasteriser.h"

namespace ravix {

void MemoryImage::BlitMatrix(Image* sourceImage, float x, float y, const Matrix3& matrix,
                             const Rect& clip, const Color& color, DrawMode mode,
                             const Rect& srcRect, bool blend) {
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    if (source) {
        // The source rectangle as a quad centred on the origin, moved by the matrix and then
        // by the position (less half a pixel: pixel centres lie on whole numbers).
        double halfWidth = srcRect.mWidth / 2.0;
        double halfHeight = srcRect.mHeight / 2.0;
        const double corners[4][2] = {{-halfWidth, -halfHeight},
                                      {halfWidth, -halfHeight},
                                      {halfWidth, halfHeight},
                                      {-halfWidth, halfHeight}};
        const auto& m = matrix.mData;
        PolygonVertex quad[4];
        for (int i = 0; i < 4; ++i) {
            double cx = corners[i][0];
            double cy = corners[i][1];
            quad[i].mX = m[0][0] * cx + m[0][1] * cy + m[0][2] + x - 0.5;
            quad[i].mY = m[1][0] * cx + m[1][1] * cy + m[1][2] + y - 0.5;
            quad[i].mU = srcRect.mX + (i == 1 || i == 2 ? srcRect.mWidth : 0);
            quad[i].mV = srcRect.mY + (i >= 2 ? srcRect.mHeight : 0);
        }
        PolygonRasteriser::Draw(*this, *source, quad, 4, clip, color, mode, blend, false);
    }
    PixelsChanged();
}

void MemoryImage::BlitTriangles(Image* sourceImage, const Triangle* triangles, int count,
                                const Rect& clip, const Color& color, DrawMode mode, float tx,
                                float ty, bool blend) {
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    for (int t = 0; source && t < count; ++t) {
        PolygonVertex vertices[3];
        bool vertexColors = false;
        for (int i = 0; i < 3; ++i) {
            const TriVertex& in = triangles[t].mVertices[i];
            vertices[i].mX = double{in.mX} + tx;
            vertices[i].mY = double{in.mY} + ty;
            vertices[i].mU = double{in.mU} * source->mWidth;
            vertices[i].mV = double{in.mV} * source->mHeight;
            vertices[i].mColor = in.mColor;
            vertexColors = vertexColors || in.mColor != 0;
        }
        PolygonRasteriser::Draw(*this, *source, vertices, 3, clip, color, mode, blend,
                                vertexColors);
    }
    PixelsChanged();
}

} // namespace ravix
