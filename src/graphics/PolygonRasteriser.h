#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"
#include "graphics/DrawMode.h"

#include <cstdint>

namespace ravix {

class MemoryImage;

// A polygon vertex: position in pixels (pixel centres on whole numbers), texture position in
// texels of the source image, and a colour 0xAARRGGBB.
struct PolygonVertex {
    double mX = 0.0;
    double mY = 0.0;
    double mU = 0.0;
    double mV = 0.0;
    uint32_t mColor = 0;
};

// Draws textured polygons (the quads of matrix blits and the triangles of triangle blits) into
// a MemoryImage: clips them to the clip rectangle and fills the fan of triangles of what is left
// with the filler that the table holds for its features and the destination format.
class PolygonRasteriser {
public:
    static constexpr int kMaxVertices = 4;                       // of an input polygon
    static constexpr int kMaxClippedVertices = kMaxVertices + 4; // one more per clip line

    // Clips against the outer edges of the clip rectangle's border pixels, one line after the
    // other; crossings interpolate position, texture and each colour byte (truncated). Returns
    // the number of vertices written to out, 0 when fewer than 3 are left after any line.
    static int Clip(const PolygonVertex* vertices, int count, const Rect& clip, PolygonVertex* out);

    // The filler table index for a draw with these features into dest.
    static int FillerIndex(const MemoryImage& dest, const MemoryImage& source, const Color& color,
                           bool blend, bool vertexColors, const uint32_t* colors, int colorCount);

    // Draws one polygon of up to kMaxVertices vertices. The caller marks dest changed.
    static void Draw(MemoryImage& dest, MemoryImage& source, const PolygonVertex* vertices,
                     int count, const Rect& clip, const Color& color, DrawMode mode, bool blend,
                     bool vertexColors);
};

} // namespace ravix
