#include "graphics/PolygonRasteriser.h"

#include "graphics/MemoryImage.h"
#include "graphics/TriangleFillerTable.h"

#include <algorithm>
#include <cmath>

namespace ravix {

namespace {

// Fixed-point positions stay far from overflow when images are smaller than this.
constexpr int kMaxImageSize = 16384;

PolygonVertex Crossing(const PolygonVertex& a, const PolygonVertex& b, double t) {
    PolygonVertex v;
    v.mX = a.mX + (b.mX - a.mX) * t;
    v.mY = a.mY + (b.mY - a.mY) * t;
    v.mU = a.mU + (b.mU - a.mU) * t;
    v.mV = a.mV + (b.mV - a.mV) * t;
    for (int shift = 0; shift < 32; shift += 8) {
        double ca = (a.mColor >> shift) & 0xFF;
        double cb = (b.mColor >> shift) & 0xFF;
        v.mColor |= static_cast<uint32_t>(ca + (cb - ca) * t) << shift;
    }
    return v;
}

// One Sutherland-Hodgman pass: keeps the part of the polygon where sign * (coordinate - line)
// is at most 0.
int ClipAgainstLine(const PolygonVertex* in, int count, PolygonVertex* out, bool useX, double line,
                    double sign) {
    auto distance = [&](const PolygonVertex& v) { return sign * ((useX ? v.mX : v.mY) - line); };
    int written = 0;
    for (int i = 0; i < count; ++i) {
        const PolygonVertex& previous = in[(i + count - 1) % count];
        const PolygonVertex& current = in[i];
        double dp = distance(previous);
        double dc = distance(current);
        if ((dp <= 0) != (dc <= 0)) {
            out[written++] = Crossing(previous, current, dp / (dp - dc));
        }
        if (dc <= 0) {
            out[written++] = current;
        }
    }
    return written;
}

int32_t ToFixed(double value) {
    return static_cast<int32_t>(std::llround(std::clamp(value, -32767.0, 32767.0) * 65536.0));
}

// Texels the polygon maps: its texture bounding box, kept inside the texture.
Rect TexelBox(const PolygonVertex* vertices, int count, int width, int height) {
    double minU = vertices[0].mU, maxU = minU, minV = vertices[0].mV, maxV = minV;
    for (int i = 1; i < count; ++i) {
        minU = std::min(minU, vertices[i].mU);
        maxU = std::max(maxU, vertices[i].mU);
        minV = std::min(minV, vertices[i].mV);
        maxV = std::max(maxV, vertices[i].mV);
    }
    auto range = [](double low, double high, int size, int& first, int& last) {
        first = static_cast<int>(std::clamp(std::floor(low), 0.0, size - 1.0));
        last = static_cast<int>(std::clamp(std::ceil(high) - 1.0, double(first), size - 1.0));
    };
    int x0, x1, y0, y1;
    range(minU, maxU, width, x0, x1);
    range(minV, maxV, height, y0, y1);
    return Rect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

// The attribute planes of the polygon, from its first three (unclipped) vertices: every
// triangle of the fan, and every polygon clipped from it, lies in these planes. They are given
// relative to the origin (a vertex of the clipped polygon, so that values stay small). False
// when the vertices are collinear or the mapping is out of range.
bool PlanesOf(const PolygonVertex* v, const uint32_t* colors, double originX, double originY,
              FillPolygon& polygon) {
    double dx1 = v[1].mX - v[0].mX;
    double dy1 = v[1].mY - v[0].mY;
    double dx2 = v[2].mX - v[0].mX;
    double dy2 = v[2].mY - v[0].mY;
    double det = dx1 * dy2 - dx2 * dy1;
    if (det == 0.0 || !std::isfinite(det)) {
        return false;
    }
    auto plane = [&](double a0, double a1, double a2) {
        double da1 = a1 - a0;
        double da2 = a2 - a0;
        LinearAttribute a{a0, (da1 * dy2 - da2 * dy1) / det, (da2 * dx1 - da1 * dx2) / det};
        a.mStart = a.At(originX - v[0].mX, originY - v[0].mY);
        return a;
    };
    // Limits that keep every value inside the polygon within the fixed-point ranges of the
    // fillers; mappings beyond them (thousands of texels per pixel) are not drawn.
    auto fits = [](const LinearAttribute& a, double maxStart, double maxGradient) {
        return std::fabs(a.mStart) <= maxStart && std::fabs(a.mDx) <= maxGradient &&
               std::fabs(a.mDy) <= maxGradient;
    };
    polygon.mOriginX = originX;
    polygon.mOriginY = originY;
    polygon.mU = plane(v[0].mU, v[1].mU, v[2].mU);
    polygon.mV = plane(v[0].mV, v[1].mV, v[2].mV);
    if (!fits(polygon.mU, 1e6, 1e4) || !fits(polygon.mV, 1e6, 1e4)) {
        return false;
    }
    const int shifts[4] = {16, 8, 0, 24}; // red, green, blue, alpha
    for (int k = 0; k < 4; ++k) {
        auto channel = [&](int i) { return static_cast<double>((colors[i] >> shifts[k]) & 0xFF); };
        polygon.mColors[k] = plane(channel(0), channel(1), channel(2));
        if (!fits(polygon.mColors[k], 255, 1e6)) {
            return false;
        }
    }
    return true;
}

bool IsFinite(const PolygonVertex& v) {
    return std::isfinite(v.mX) && std::isfinite(v.mY) && std::isfinite(v.mU) && std::isfinite(v.mV);
}

} // namespace

int PolygonRasteriser::Clip(const PolygonVertex* vertices, int count, const Rect& clip,
                            PolygonVertex* out) {
    if (count < 3 || count > kMaxVertices) {
        return 0;
    }
    PolygonVertex buffers[2][kMaxClippedVertices];
    std::copy(vertices, vertices + count, buffers[0]);
    const struct {
        bool mUseX;
        double mLine;
        double mSign;
    } lines[4] = {{true, clip.mX - 0.5, -1.0},
                  {true, clip.mX + clip.mWidth - 0.5, 1.0},
                  {false, clip.mY - 0.5, -1.0},
                  {false, clip.mY + clip.mHeight - 0.5, 1.0}};
    int current = 0;
    for (const auto& line : lines) {
        count = ClipAgainstLine(buffers[current], count, buffers[1 - current], line.mUseX,
                                line.mLine, line.mSign);
        current = 1 - current;
        if (count < 3) {
            return 0;
        }
    }
    std::copy(buffers[current], buffers[current] + count, out);
    return count;
}

int PolygonRasteriser::FillerIndex(const MemoryImage& dest, const MemoryImage& source,
                                   const Color& color, bool blend, bool vertexColors,
                                   const uint32_t* colors, int colorCount) {
    bool translucentVertex = false;
    if (vertexColors) {
        for (int i = 0; i < colorCount; ++i) {
            translucentVertex = translucentVertex || (colors[i] >> 24) != 255;
        }
    }
    // A translucent colour needs blending too, or an opaque source would be drawn opaque.
    bool blending =
        source.mHasAlpha || source.mHasTrans || blend || color.mAlpha < 255 || translucentVertex;
    int index = TriangleFillerTable::kTexture;
    index |= blending ? TriangleFillerTable::kBlending : 0;
    index |= vertexColors ? TriangleFillerTable::kVertexColors : 0;
    index |= color != kOpaqueWhite ? TriangleFillerTable::kModulate : 0;
    index |= blend ? TriangleFillerTable::kBilinear : 0;
    bool opaqueDest = !dest.mHasAlpha && !dest.mHasTrans;
    index |= opaqueDest ? TriangleFillerTable::kFormat888 : TriangleFillerTable::kFormat8888;
    return index;
}

void PolygonRasteriser::Draw(MemoryImage& dest, MemoryImage& source, const PolygonVertex* vertices,
                             int count, const Rect& clip, const Color& color, DrawMode mode,
                             bool blend, bool vertexColors) {
    if (count < 3 || count > kMaxVertices || dest.mWidth >= kMaxImageSize ||
        dest.mHeight >= kMaxImageSize || source.mWidth <= 0 || source.mHeight <= 0 ||
        !std::all_of(vertices, vertices + count, IsFinite)) {
        return;
    }
    Rect area = clip.Intersection(Rect(0, 0, dest.mWidth, dest.mHeight));
    if (area.IsEmpty()) {
        return;
    }
    PolygonVertex clipped[kMaxClippedVertices];
    int clippedCount = Clip(vertices, count, area, clipped);
    if (clippedCount < 3) {
        return;
    }

    source.SettlePixels();
    uint32_t colors[kMaxVertices];
    for (int i = 0; i < count; ++i) {
        colors[i] = Color::FromPacked(vertices[i].mColor).ToPacked();
    }
    int index = FillerIndex(dest, source, color, blend, vertexColors, colors, count);
    TriangleFiller filler = TriangleFillerTable::Instance().Get(index);
    uint32_t* bits = dest.GetPixels();
    const uint32_t* texels = source.GetPixels();
    const uint8_t* runs = source.GetRLAlphaData();
    if (!filler || !bits || !texels || !runs) {
        return;
    }

    FillTarget target;
    target.mBits = bits;
    target.mWidth = dest.mWidth;
    target.mHeight = dest.mHeight;
    target.mClip = area;
    target.mTexels = texels;
    target.mTexelRuns = runs;
    target.mTexWidth = source.mWidth;
    target.mTexHeight = source.mHeight;
    target.mTexelBox = TexelBox(vertices, count, source.mWidth, source.mHeight);
    target.mColor = color;
    target.mMode = mode;
    target.mWeighByAlpha = source.mHasAlpha;

    FillVertex fixedVertices[kMaxClippedVertices];
    for (int i = 0; i < clippedCount; ++i) {
        fixedVertices[i] = {ToFixed(clipped[i].mX), ToFixed(clipped[i].mY)};
    }
    FillPolygon polygon;
    polygon.mVertices = fixedVertices;
    polygon.mCount = clippedCount;
    if (!PlanesOf(vertices, colors, clipped[0].mX, clipped[0].mY, polygon)) {
        return;
    }
    filler(target, polygon);
}

} // namespace ravix
