#include "graphics/SoftwareTriangleFillers.h"

#include "graphics/FixedMath.h"
#include "graphics/PixelBlend.h"
#include "graphics/TriangleFillerTable.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace ravix {

namespace {

constexpr int64_t kOne = int64_t{1} << 32; // texel positions are stepped in 32.32
constexpr double kOneDouble = 4294967296.0;

// The first pixel row or column whose centre lies at or after a 16.16 coordinate.
int FirstCentreAtOrAfter(int64_t fixed16) {
    return static_cast<int>((fixed16 + 65535) >> 16);
}

// Walks an edge from (xa, ya) to (xb, yb) (16.16, ya < yb) row by row with exact integer steps:
// Column() is the first pixel column whose centre lies at or right of the edge on the current
// row. Polygons sharing an edge see the same columns, so no pixel is drawn twice.
class EdgeWalker {
public:
    EdgeWalker() = default;
    EdgeWalker(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int firstRow)
        : mXa(xa), mDen(yb - ya) {
        int64_t dx = xb - xa;
        int64_t numerator = ((int64_t{firstRow} << 16) - ya) * dx;
        mQuotient = fixed::FloorDiv(numerator, mDen);
        mRemainder = numerator - mQuotient * mDen;
        int64_t step = dx * 65536;
        mStepQuotient = fixed::FloorDiv(step, mDen);
        mStepRemainder = step - mStepQuotient * mDen;
    }

    int Column() const { return FirstCentreAtOrAfter(mXa + mQuotient + (mRemainder > 0 ? 1 : 0)); }

    void Step() {
        mQuotient += mStepQuotient;
        mRemainder += mStepRemainder;
        if (mRemainder >= mDen) {
            mRemainder -= mDen;
            ++mQuotient;
        }
    }

private:
    int64_t mXa = 0;
    int64_t mDen = 1;
    int64_t mQuotient = 0;
    int64_t mRemainder = 0;
    int64_t mStepQuotient = 0;
    int64_t mStepRemainder = 0;
};

// One side of a convex polygon, followed from the top vertex downwards in one direction.
class PolygonSide {
public:
    PolygonSide(const FillVertex* vertices, int count, int top, int direction)
        : mVertices(vertices), mCount(count), mCurrent(top), mDirection(direction),
          mEndRow(FirstCentreAtOrAfter(vertices[top].mY)) {}

    // Moves to the edge that spans the row; false when the side has no such edge.
    bool Reach(int row) {
        for (int guard = 0; row >= mEndRow; ++guard) {
            if (guard == mCount) {
                return false;
            }
            int next = (mCurrent + mDirection + mCount) % mCount;
            const FillVertex& p = mVertices[mCurrent];
            const FillVertex& q = mVertices[next];
            mCurrent = next;
            mEndRow = FirstCentreAtOrAfter(q.mY);
            if (row < mEndRow) {
                mWalker = EdgeWalker(p.mX, p.mY, q.mX, q.mY, row);
            }
        }
        return true;
    }

    int Column() const { return mWalker.Column(); }
    void Step() { mWalker.Step(); }

private:
    const FillVertex* mVertices;
    int mCount;
    int mCurrent;
    int mDirection;
    int mEndRow;
    EdgeWalker mWalker;
};

// Calls span(y, first, last) for every row of the convex polygon inside the clip, with the
// pixel columns [first, last) whose centres lie inside (left edges inclusive, right edges
// exclusive, top and bottom likewise): exactly the pixels of the triangles of its fan.
template <class SpanFn>
void ForEachSpan(const FillPolygon& polygon, const Rect& clip, SpanFn&& span) {
    const FillVertex* v = polygon.mVertices;
    int count = polygon.mCount;
    int top = 0;
    int32_t minY = v[0].mY;
    int32_t maxY = v[0].mY;
    double area = 0.0;
    for (int i = 0; i < count; ++i) {
        const FillVertex& a = v[i];
        const FillVertex& b = v[(i + 1) % count];
        area += static_cast<double>(a.mX) * b.mY - static_cast<double>(b.mX) * a.mY;
        if (a.mY < minY) {
            minY = a.mY;
            top = i;
        }
        maxY = std::max(maxY, a.mY);
    }
    if (area == 0.0) {
        return;
    }
    int rowBegin = std::max(FirstCentreAtOrAfter(minY), clip.mY);
    int rowEnd = std::min(FirstCentreAtOrAfter(maxY), clip.mY + clip.mHeight);
    // With y pointing down, a positive area means the vertices run clockwise on screen: going
    // forwards from the top vertex follows the right side.
    PolygonSide forward(v, count, top, 1);
    PolygonSide backward(v, count, top, -1);
    PolygonSide& right = area > 0 ? forward : backward;
    PolygonSide& left = area > 0 ? backward : forward;
    int clipRight = clip.mX + clip.mWidth;
    for (int y = rowBegin; y < rowEnd; ++y) {
        if (!left.Reach(y) || !right.Reach(y)) {
            return;
        }
        int first = std::max(left.Column(), clip.mX);
        int last = std::min(right.Column(), clipRight);
        if (first < last) {
            span(y, first, last);
        }
        left.Step();
        right.Step();
    }
}

// Pixel operations; Opaque is the same as Blend with alpha 255, with the constants folded.

// White colour on a destination without alpha or transparency: the run-length blit.
struct OverOpaqueDestOp {
    void Opaque(uint32_t& d, uint32_t s) const { d = s; }
    void Blend(uint32_t& d, uint32_t s, uint32_t a) const {
        if (a == 255) {
            d = s;
        } else if (a != 0) {
            d = blend::OverOpaque(d, s, a);
        }
    }
};

// White colour on any other destination: the white blit (second form).
struct OverGeneralOp {
    void Opaque(uint32_t& d, uint32_t s) const { d = blend::kOpaque | blend::MixSecond(d, s, 255); }
    void Blend(uint32_t& d, uint32_t s, uint32_t a) const {
        if (a != 0) {
            d = blend::OverSecond(d, s, a);
        }
    }
};

// A colour: the colourised blit.
struct OverTintedOp {
    explicit OverTintedOp(const Color& color)
        : mAlpha(static_cast<uint32_t>(std::clamp(color.mAlpha, 0, 255))), mScale(color) {}
    void Opaque(uint32_t& d, uint32_t s) const { Blend(d, s, 255); }
    void Blend(uint32_t& d, uint32_t s, uint32_t a) const {
        uint32_t m = mAlpha * a / 255;
        if (m != 0) {
            d = blend::OverSecond(d, mScale(s), m);
        }
    }
    uint32_t mAlpha;
    blend::ChannelScale mScale;
};

struct AdditiveFillOp {
    AdditiveFillOp(const Color& color, bool weighByAlpha) : mAdd(color, weighByAlpha) {}
    void Opaque(uint32_t& d, uint32_t s) const { mAdd(d, s | blend::kOpaque); }
    void Blend(uint32_t& d, uint32_t s, uint32_t a) const { mAdd(d, (s & 0xFFFFFF) | a << 24); }
    blend::AdditiveOp mAdd;
};

// The colour of a pixel from its vertex colour (16.16 channels red, green, blue, alpha) and
// the modulation colour.
Color CombineColors(const int32_t* channels, const Color& modulation) {
    auto channel = [](int32_t fixed16, int other) {
        uint32_t c = static_cast<uint32_t>(std::clamp(fixed16 >> 16, 0, 255));
        return static_cast<int>((c * (static_cast<uint32_t>(other & 0xFF) + 1)) >> 8);
    };
    return Color(channel(channels[0], modulation.mRed), channel(channels[1], modulation.mGreen),
                 channel(channels[2], modulation.mBlue),
                 channel(channels[3], std::clamp(modulation.mAlpha, 0, 255)));
}

// Per-polygon tables of a mapping that is the same on every row (no rotation or shear, texels
// advancing to the right): the texel column of each pixel column, and for each texel column
// the first pixel column that samples it or a later one. Kept per thread and reused.
struct ColumnTables {
    std::vector<int> mTexelOfColumn;
    std::vector<int> mFirstColumnOfTexel;
};

ColumnTables& TablesForThisThread() {
    thread_local ColumnTables tables;
    return tables;
}

template <int Features, bool OpaqueDest>
class SoftwareFiller {
public:
    static constexpr bool kBlend = (Features & TriangleFillerTable::kBlending) != 0;
    static constexpr bool kVertex = (Features & TriangleFillerTable::kVertexColors) != 0;
    static constexpr bool kModulate = (Features & TriangleFillerTable::kModulate) != 0;
    static constexpr bool kBilinear = (Features & TriangleFillerTable::kBilinear) != 0;

    static void Fill(const FillTarget& target, const FillPolygon& polygon) {
        SoftwareFiller filler(target, polygon);
        if (target.mMode == DrawMode::Additive) {
            filler.Run(
                [&](const Color& color) { return AdditiveFillOp(color, target.mWeighByAlpha); });
        } else if (kModulate || kVertex) {
            filler.Run([](const Color& color) { return OverTintedOp(color); });
        } else if (OpaqueDest) {
            filler.Run([](const Color&) { return OverOpaqueDestOp(); });
        } else {
            filler.Run([](const Color&) { return OverGeneralOp(); });
        }
    }

private:
    SoftwareFiller(const FillTarget& target, const FillPolygon& polygon)
        : mTarget(target), mPolygon(polygon),
          mStepU(fixed::RoundToInt64(polygon.mU.mDx * kOneDouble)),
          mStepV(fixed::RoundToInt64(polygon.mV.mDx * kOneDouble)) {
        if constexpr (kVertex) {
            for (int k = 0; k < 4; ++k) {
                mColorSteps[k] =
                    static_cast<int32_t>(fixed::RoundToInt64(polygon.mColors[k].mDx * 65536.0));
            }
        }
    }

    int64_t UAt(double x, double y) const {
        return fixed::RoundToInt64(mPolygon.mU.At(x - mPolygon.mOriginX, y - mPolygon.mOriginY) *
                                   kOneDouble);
    }
    int64_t VAt(double x, double y) const {
        return fixed::RoundToInt64(mPolygon.mV.At(x - mPolygon.mOriginX, y - mPolygon.mOriginY) *
                                   kOneDouble);
    }

    int ClampTexelX(int64_t u) const {
        const Rect& box = mTarget.mTexelBox;
        return static_cast<int>(std::clamp<int64_t>(u >> 32, box.mX, box.mX + box.mWidth - 1));
    }
    int ClampTexelY(int64_t v) const {
        const Rect& box = mTarget.mTexelBox;
        return static_cast<int>(std::clamp<int64_t>(v >> 32, box.mY, box.mY + box.mHeight - 1));
    }

    // Texel at a 32.32 position, nearest, clamped into the texel box when asked.
    template <bool Clamp>
    uint32_t Nearest(int64_t u, int64_t v) const {
        int x = Clamp ? ClampTexelX(u) : static_cast<int>(u >> 32);
        int y = Clamp ? ClampTexelY(v) : static_cast<int>(v >> 32);
        return mTarget.mTexels[static_cast<size_t>(y) * mTarget.mTexWidth + x];
    }

    // Bilinear texel: the four texels around the position less half a texel, weighted by
    // their alpha so that transparent neighbours do not darken the colour. The weights always
    // sum to 65536, so opaque texels give an opaque result and whole-texel positions give the
    // texel itself.
    uint32_t Bilinear(int64_t u, int64_t v) const {
        int64_t su = u - kOne / 2;
        int64_t sv = v - kOne / 2;
        int x0 = ClampTexelX(su);
        int x1 = ClampTexelX(su + kOne);
        int y0 = ClampTexelY(sv);
        int y1 = ClampTexelY(sv + kOne);
        uint64_t fx = static_cast<uint64_t>(su >> 16) & 0xFFFF;
        uint64_t fy = static_cast<uint64_t>(sv >> 16) & 0xFFFF;
        uint64_t w[4];
        w[0] = ((0x10000 - fx) * (0x10000 - fy)) >> 16;
        w[1] = (fx * (0x10000 - fy)) >> 16;
        w[2] = ((0x10000 - fx) * fy) >> 16;
        w[3] = 0x10000 - w[0] - w[1] - w[2];
        const uint32_t* texels = mTarget.mTexels;
        size_t stride = static_cast<size_t>(mTarget.mTexWidth);
        uint32_t taps[4] = {texels[y0 * stride + x0], texels[y0 * stride + x1],
                            texels[y1 * stride + x0], texels[y1 * stride + x1]};
        uint64_t alpha = 0;
        uint64_t sums[3] = {0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            uint64_t weight = w[k] * (taps[k] >> 24);
            alpha += weight;
            sums[0] += ((taps[k] >> 16) & 0xFF) * weight;
            sums[1] += ((taps[k] >> 8) & 0xFF) * weight;
            sums[2] += (taps[k] & 0xFF) * weight;
        }
        if (alpha == 0) {
            return 0;
        }
        auto channel = [&](uint64_t sum) {
            return static_cast<uint32_t>(std::min<uint64_t>(sum / alpha, 255));
        };
        return static_cast<uint32_t>(alpha >> 16) << 24 | channel(sums[0]) << 16 |
               channel(sums[1]) << 8 | channel(sums[2]);
    }

    template <class MakeOp>
    void Run(MakeOp makeOp) {
        auto op = makeOp(mTarget.mColor);
        bool rowInvariant = !kBilinear && !kVertex && mPolygon.mU.mDy == 0.0 &&
                            mPolygon.mV.mDx == 0.0 && mStepU > 0;
        if (rowInvariant && BuildColumnTables()) {
            // The texel row advances by a constant step from one pixel row to the next.
            int64_t stepRow = fixed::RoundToInt64(mPolygon.mV.mDy * kOneDouble);
            int64_t v = 0;
            int nextY = INT_MIN;
            ForEachSpan(mPolygon, mTarget.mClip, [&](int y, int first, int last) {
                v = y == nextY ? v + stepRow : VAt(first, y);
                nextY = y + 1;
                const uint32_t* row =
                    mTarget.mTexels + static_cast<size_t>(ClampTexelY(v)) * mTarget.mTexWidth;
                uint32_t* dest = mTarget.mBits + static_cast<size_t>(y) * mTarget.mWidth;
                TableSpan(op, dest, row, first, last);
            });
            return;
        }
        ForEachSpan(mPolygon, mTarget.mClip, [&](int y, int first, int last) {
            int64_t u = UAt(first, y);
            int64_t v = VAt(first, y);
            uint32_t* dest = mTarget.mBits + static_cast<size_t>(y) * mTarget.mWidth + first;
            int count = last - first;
            if constexpr (kVertex) {
                int32_t colors[4];
                for (int k = 0; k < 4; ++k) {
                    colors[k] = static_cast<int32_t>(fixed::RoundToInt64(
                        mPolygon.mColors[k].At(first - mPolygon.mOriginX, y - mPolygon.mOriginY) *
                        65536.0));
                }
                VertexColorSpan(dest, count, u, v, colors, makeOp);
            } else {
                Span(op, dest, count, u, v);
            }
        });
    }

    // Fills the column tables over the polygon's columns inside the clip; false when it has
    // none.
    bool BuildColumnTables() {
        int32_t minX = mPolygon.mVertices[0].mX;
        int32_t maxX = minX;
        for (int i = 1; i < mPolygon.mCount; ++i) {
            minX = std::min(minX, mPolygon.mVertices[i].mX);
            maxX = std::max(maxX, mPolygon.mVertices[i].mX);
        }
        mFirstColumn = std::max(FirstCentreAtOrAfter(minX), mTarget.mClip.mX);
        int end = std::min(FirstCentreAtOrAfter(maxX) + 1, mTarget.mClip.mX + mTarget.mClip.mWidth);
        if (mFirstColumn >= end) {
            return false;
        }
        ColumnTables& tables = TablesForThisThread();
        int columns = end - mFirstColumn;
        tables.mTexelOfColumn.resize(columns);
        int64_t u = UAt(mFirstColumn, mPolygon.mOriginY);
        for (int i = 0; i < columns; ++i, u += mStepU) {
            tables.mTexelOfColumn[i] = ClampTexelX(u);
        }
        const Rect& box = mTarget.mTexelBox;
        tables.mFirstColumnOfTexel.resize(box.mWidth + 1);
        int column = 0;
        for (int t = 0; t <= box.mWidth; ++t) {
            while (column < columns && tables.mTexelOfColumn[column] < box.mX + t) {
                ++column;
            }
            tables.mFirstColumnOfTexel[t] = column;
        }
        mTexelOfColumn = tables.mTexelOfColumn.data() - mFirstColumn;
        mFirstColumnOfTexel = tables.mFirstColumnOfTexel.data() - box.mX;
        return true;
    }

    // A span through the column tables: runs of texels of one alpha class are found from the
    // texel run lengths; transparent runs are skipped without reading, opaque runs copied.
    template <class Op>
    void TableSpan(const Op& op, uint32_t* destRow, const uint32_t* row, int first,
                   int last) const {
        const int* texelOf = mTexelOfColumn;
        auto opaqueRun = [&](int from, int to) {
            if (std::is_same_v<Op, OverOpaqueDestOp> && mStepU == kOne) {
                std::memcpy(destRow + from, row + texelOf[from],
                            static_cast<size_t>(to - from) * sizeof(uint32_t));
                return;
            }
            int x = from;
            if constexpr (std::is_same_v<Op, OverOpaqueDestOp>) {
                for (; x + 4 <= to; x += 4) {
                    uint32_t a = row[texelOf[x]];
                    uint32_t b = row[texelOf[x + 1]];
                    uint32_t c = row[texelOf[x + 2]];
                    uint32_t d = row[texelOf[x + 3]];
                    destRow[x] = a;
                    destRow[x + 1] = b;
                    destRow[x + 2] = c;
                    destRow[x + 3] = d;
                }
            }
            for (; x < to; ++x) {
                op.Opaque(destRow[x], row[texelOf[x]]);
            }
        };
        if constexpr (!kBlend) {
            opaqueRun(first, last);
        } else {
            const uint8_t* runs = mTarget.mTexelRuns + (row - mTarget.mTexels);
            const int boxEnd = mTarget.mTexelBox.mX + mTarget.mTexelBox.mWidth;
            for (int x = first; x < last;) {
                int texel = texelOf[x];
                int runEnd = std::min(texel + runs[texel], boxEnd);
                int to = std::min(mFirstColumnOfTexel[runEnd] + mFirstColumn, last);
                uint32_t alpha = row[texel] >> 24;
                if (alpha == 255) {
                    opaqueRun(x, to);
                } else if (alpha != 0) {
                    PartialRun(op, destRow, row, x, to);
                }
                x = to;
            }
        }
    }

    template <class Op>
    void PartialRun(const Op& op, uint32_t* destRow, const uint32_t* row, int x, int to) const {
        const int* texelOf = mTexelOfColumn;
#if defined(__SSE2__)
        if constexpr (std::is_same_v<Op, OverOpaqueDestOp>) {
            for (; x + 4 <= to; x += 4) {
                __m128i texels = _mm_setr_epi32(
                    static_cast<int>(row[texelOf[x]]), static_cast<int>(row[texelOf[x + 1]]),
                    static_cast<int>(row[texelOf[x + 2]]), static_cast<int>(row[texelOf[x + 3]]));
                auto* d = reinterpret_cast<__m128i*>(destRow + x);
                _mm_storeu_si128(d, blend::OverOpaquePartial4(_mm_loadu_si128(d), texels));
            }
        }
#endif
        for (; x < to; ++x) {
            uint32_t texel = row[texelOf[x]];
            op.Blend(destRow[x], texel, texel >> 24);
        }
    }

    // True when every nearest sample of the span lies inside the texel box.
    bool SpanInsideBox(int count, int64_t u, int64_t v) const {
        const Rect& box = mTarget.mTexelBox;
        int64_t lastU = u + (count - 1) * mStepU;
        int64_t lastV = v + (count - 1) * mStepV;
        auto inside = [](int64_t a, int64_t b, int low, int size) {
            return std::min(a, b) >> 32 >= low && std::max(a, b) >> 32 < low + size;
        };
        return inside(u, lastU, box.mX, box.mWidth) && inside(v, lastV, box.mY, box.mHeight);
    }

    // A span in any direction, one texel at a time.
    template <class Op>
    void Span(const Op& op, uint32_t* dest, int count, int64_t u, int64_t v) const {
        auto each = [&](auto sample) {
            for (int i = 0; i < count; ++i, u += mStepU, v += mStepV) {
                uint32_t texel = sample(u, v);
                if constexpr (kBlend) {
                    op.Blend(dest[i], texel, texel >> 24);
                } else {
                    op.Opaque(dest[i], texel);
                }
            }
        };
        if constexpr (kBilinear) {
            each([this](int64_t a, int64_t b) { return Bilinear(a, b); });
        } else if (SpanInsideBox(count, u, v)) {
            each([this](int64_t a, int64_t b) { return Nearest<false>(a, b); });
        } else {
            each([this](int64_t a, int64_t b) { return Nearest<true>(a, b); });
        }
    }

    // Vertex colours: the operation is rebuilt per pixel from the interpolated colour.
    template <class MakeOp>
    void VertexColorSpan(uint32_t* dest, int count, int64_t u, int64_t v, int32_t* colors,
                         MakeOp& makeOp) const {
        bool inside = !kBilinear && SpanInsideBox(count, u, v);
        for (int i = 0; i < count; ++i, u += mStepU, v += mStepV) {
            auto op = makeOp(CombineColors(colors, mTarget.mColor));
            uint32_t texel =
                kBilinear ? Bilinear(u, v) : (inside ? Nearest<false>(u, v) : Nearest<true>(u, v));
            if constexpr (kBlend) {
                op.Blend(dest[i], texel, texel >> 24);
            } else {
                op.Opaque(dest[i], texel);
            }
            for (int k = 0; k < 4; ++k) {
                colors[k] += mColorSteps[k];
            }
        }
    }

    const FillTarget& mTarget;
    const FillPolygon& mPolygon;
    int64_t mStepU;
    int64_t mStepV;
    int32_t mColorSteps[4] = {};
    int mFirstColumn = 0;
    const int* mTexelOfColumn = nullptr;      // indexed by pixel column
    const int* mFirstColumnOfTexel = nullptr; // indexed by texel column, relative columns
};

template <int Features>
void RegisterFormats(TriangleFillerTable& table) {
    constexpr int index = TriangleFillerTable::kTexture | Features;
    table.Register(TriangleFillerTable::kFormat8888 | index, &SoftwareFiller<index, false>::Fill);
    table.Register(TriangleFillerTable::kFormat888 | index, &SoftwareFiller<index, true>::Fill);
}

template <int... Features>
void RegisterAll(TriangleFillerTable& table, std::integer_sequence<int, Features...>) {
    (RegisterFormats<Features>(table), ...);
}

} // namespace

void RegisterSoftwareTriangleFillers(TriangleFillerTable& table) {
    RegisterAll(table, std::make_integer_sequence<int, 16>());
}

} // namespace ravix
