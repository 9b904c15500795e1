#include "graphics/SoftwareTriangleFillers.h"

#include "graphics/FixedMath.h"
#include "graphics/PixelBlend.h"
#include "graphics/TriangleFillerTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

namespace ravix {

namespace {

constexpr int64_t kOne = int64_t{1} << 32; // texel positions are stepped in 32.32
constexpr double kOneDouble = 4294967296.0;

// An attribute that varies linearly over the triangle: value at vertex 0 and its change per
// pixel in x and y.
struct Plane {
    double mStart = 0.0;
    double mDx = 0.0;
    double mDy = 0.0;

    double At(double dx, double dy) const { return mStart + mDx * dx + mDy * dy; }
};

class TriangleSetup {
public:
    explicit TriangleSetup(const FillVertex* v)
        : mX0(v[0].mX / 65536.0), mY0(v[0].mY / 65536.0), mDx1(v[1].mX / 65536.0 - mX0),
          mDy1(v[1].mY / 65536.0 - mY0), mDx2(v[2].mX / 65536.0 - mX0),
          mDy2(v[2].mY / 65536.0 - mY0), mDet(mDx1 * mDy2 - mDx2 * mDy1) {}

    bool IsDegenerate() const { return mDet == 0.0; }

    Plane Make(double a0, double a1, double a2) const {
        double da1 = a1 - a0;
        double da2 = a2 - a0;
        return {a0, (da1 * mDy2 - da2 * mDy1) / mDet, (da2 * mDx1 - da1 * mDx2) / mDet};
    }

    double mX0, mY0;

private:
    double mDx1, mDy1, mDx2, mDy2, mDet;
};

// Walks an edge from (xa, ya) to (xb, yb) (16.16, ya < yb) row by row with exact integer steps:
// Column() is the first pixel column whose centre lies at or right of the edge on the current
// row. Two triangles sharing an edge see the same columns, so no pixel is drawn twice.
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

    int Column() const {
        int64_t x = mXa + mQuotient + (mRemainder > 0 ? 1 : 0);
        return static_cast<int>((x + 65535) >> 16);
    }

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

// Calls span(y, first, last) for every row of the triangle inside the clip, with the pixel
// columns [first, last) whose centres lie inside (left edges inclusive, right edges exclusive,
// rows likewise).
template <class SpanFn>
void ForEachSpan(const FillVertex* vertices, const Rect& clip, SpanFn&& span) {
    const FillVertex* v[3] = {&vertices[0], &vertices[1], &vertices[2]};
    std::sort(v, v + 3, [](const FillVertex* a, const FillVertex* b) { return a->mY < b->mY; });
    const FillVertex& top = *v[0];
    const FillVertex& mid = *v[1];
    const FillVertex& bottom = *v[2];
    __int128 cross =
        static_cast<__int128>(int64_t{mid.mX} - top.mX) * (int64_t{bottom.mY} - top.mY) -
        static_cast<__int128>(int64_t{mid.mY} - top.mY) * (int64_t{bottom.mX} - top.mX);
    if (cross == 0) {
        return;
    }
    bool shortOnLeft = cross < 0;
    auto firstRowAt = [](int32_t y) { return static_cast<int>((int64_t{y} + 65535) >> 16); };
    int rowBegin = std::max(firstRowAt(top.mY), clip.mY);
    int rowMid = std::max(firstRowAt(mid.mY), rowBegin);
    int rowEnd = std::min(firstRowAt(bottom.mY), clip.mY + clip.mHeight);
    rowMid = std::min(rowMid, rowEnd);
    if (rowBegin >= rowEnd) {
        return;
    }
    EdgeWalker longEdge(top.mX, top.mY, bottom.mX, bottom.mY, rowBegin);
    int clipLeft = clip.mX;
    int clipRight = clip.mX + clip.mWidth;
    auto walk = [&](EdgeWalker& shortEdge, int from, int to) {
        for (int y = from; y < to; ++y) {
            int a = longEdge.Column();
            int b = shortEdge.Column();
            int left = std::max(shortOnLeft ? b : a, clipLeft);
            int right = std::min(shortOnLeft ? a : b, clipRight);
            if (left < right) {
                span(y, left, right);
            }
            longEdge.Step();
            shortEdge.Step();
        }
    };
    if (rowBegin < rowMid) {
        EdgeWalker upper(top.mX, top.mY, mid.mX, mid.mY, rowBegin);
        walk(upper, rowBegin, rowMid);
    }
    if (rowMid < rowEnd) {
        EdgeWalker lower(mid.mX, mid.mY, bottom.mX, bottom.mY, rowMid);
        walk(lower, rowMid, rowEnd);
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

// The colour of a pixel from its vertex colour and the modulation colour.
Color CombineColors(const int32_t* channels, const Color& modulation) {
    auto channel = [](int32_t fixed, int other) {
        uint32_t c = static_cast<uint32_t>(std::clamp(fixed >> 16, 0, 255));
        return static_cast<int>((c * (static_cast<uint32_t>(other & 0xFF) + 1)) >> 8);
    };
    return Color(channel(channels[0], modulation.mRed), channel(channels[1], modulation.mGreen),
                 channel(channels[2], modulation.mBlue),
                 channel(channels[3], std::clamp(modulation.mAlpha, 0, 255)));
}

template <int Features, bool OpaqueDest>
class SoftwareFiller {
public:
    static constexpr bool kBlend = (Features & TriangleFillerTable::kBlending) != 0;
    static constexpr bool kVertex = (Features & TriangleFillerTable::kVertexColors) != 0;
    static constexpr bool kModulate = (Features & TriangleFillerTable::kModulate) != 0;
    static constexpr bool kBilinear = (Features & TriangleFillerTable::kBilinear) != 0;

    static void Fill(const FillTarget& target, const FillVertex* v) {
        TriangleSetup setup(v);
        if (setup.IsDegenerate()) {
            return;
        }
        SoftwareFiller filler(target, setup, v);
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
    SoftwareFiller(const FillTarget& target, const TriangleSetup& setup, const FillVertex* v)
        : mTarget(target), mSetup(setup) {
        mU = setup.Make(v[0].mU / 65536.0, v[1].mU / 65536.0, v[2].mU / 65536.0);
        mV = setup.Make(v[0].mV / 65536.0, v[1].mV / 65536.0, v[2].mV / 65536.0);
        mStepU = std::llround(mU.mDx * kOneDouble);
        mStepV = std::llround(mV.mDx * kOneDouble);
        if constexpr (kVertex) {
            for (int k = 0; k < 4; ++k) {
                int shift = k == 3 ? 24 : 16 - 8 * k; // red, green, blue, alpha
                auto channel = [&](int i) { return double((v[i].mColor >> shift) & 0xFF); };
                mColors[k] = setup.Make(channel(0), channel(1), channel(2));
                mColorSteps[k] = static_cast<int32_t>(std::llround(mColors[k].mDx * 65536.0));
            }
        }
        mVertices = v;
    }

    // Texel at a 32.32 position, nearest, clamped into the texel box when asked.
    template <bool Clamp>
    uint32_t Nearest(int64_t u, int64_t v) const {
        int x = static_cast<int>(u >> 32);
        int y = static_cast<int>(v >> 32);
        if constexpr (Clamp) {
            const Rect& box = mTarget.mTexelBox;
            x = std::clamp(x, box.mX, box.mX + box.mWidth - 1);
            y = std::clamp(y, box.mY, box.mY + box.mHeight - 1);
        }
        return mTarget.mTexels[static_cast<size_t>(y) * mTarget.mTexWidth + x];
    }

    // Bilinear texel: the four texels around the position less half a texel, weighted by
    // their alpha so that transparent neighbours do not darken the colour. The weights always
    // sum to 65536, so opaque texels give an opaque result and whole-texel positions give the
    // texel itself.
    uint32_t Bilinear(int64_t u, int64_t v) const {
        int64_t su = u - kOne / 2;
        int64_t sv = v - kOne / 2;
        const Rect& box = mTarget.mTexelBox;
        auto clampX = [&](int64_t x) {
            return static_cast<int>(std::clamp<int64_t>(x, box.mX, box.mX + box.mWidth - 1));
        };
        auto clampY = [&](int64_t y) {
            return static_cast<int>(std::clamp<int64_t>(y, box.mY, box.mY + box.mHeight - 1));
        };
        int x0 = clampX(su >> 32);
        int x1 = clampX((su >> 32) + 1);
        int y0 = clampY(sv >> 32);
        int y1 = clampY((sv >> 32) + 1);
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
    void Run(MakeOp makeOp) const {
        auto op = makeOp(mTarget.mColor);
        ForEachSpan(mVertices, mTarget.mClip, [&](int y, int first, int last) {
            double dx = first - mSetup.mX0;
            double dy = y - mSetup.mY0;
            int64_t u = std::llround(mU.At(dx, dy) * kOneDouble);
            int64_t v = std::llround(mV.At(dx, dy) * kOneDouble);
            uint32_t* dest = mTarget.mBits + static_cast<size_t>(y) * mTarget.mWidth + first;
            int count = last - first;
            if constexpr (kVertex) {
                int32_t colors[4];
                for (int k = 0; k < 4; ++k) {
                    colors[k] = static_cast<int32_t>(std::llround(mColors[k].At(dx, dy) * 65536.0));
                }
                VertexColorSpan(dest, count, u, v, colors, makeOp);
            } else {
                Span(op, dest, count, u, v);
            }
        });
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

    template <class Op>
    void Span(const Op& op, uint32_t* dest, int count, int64_t u, int64_t v) const {
        if constexpr (kBilinear) {
            for (int i = 0; i < count; ++i, u += mStepU, v += mStepV) {
                uint32_t texel = Bilinear(u, v);
                op.Blend(dest[i], texel, texel >> 24);
            }
        } else if (!SpanInsideBox(count, u, v)) {
            for (int i = 0; i < count; ++i, u += mStepU, v += mStepV) {
                uint32_t texel = Nearest<true>(u, v);
                if constexpr (kBlend) {
                    op.Blend(dest[i], texel, texel >> 24);
                } else {
                    op.Opaque(dest[i], texel);
                }
            }
        } else if (mStepV == 0 && mStepU > 0) {
            RowSpan(op, dest, count, u, v);
        } else {
            for (int i = 0; i < count; ++i, u += mStepU, v += mStepV) {
                uint32_t texel = Nearest<false>(u, v);
                if constexpr (kBlend) {
                    op.Blend(dest[i], texel, texel >> 24);
                } else {
                    op.Opaque(dest[i], texel);
                }
            }
        }
    }

    // A span that reads along one texel row (no rotation), nearest sampling. Runs of equal
    // alpha class are taken from the texel run lengths: transparent runs are skipped without
    // reading, opaque runs need no alpha test.
    template <class Op>
    void RowSpan(const Op& op, uint32_t* dest, int count, int64_t u, int64_t v) const {
        size_t rowStart = static_cast<size_t>(v >> 32) * mTarget.mTexWidth;
        const uint32_t* row = mTarget.mTexels + rowStart;
        auto opaqueRun = [&](uint32_t* out, int n, int64_t position) {
            if (std::is_same_v<Op, OverOpaqueDestOp> && mStepU == kOne) {
                std::memcpy(out, row + (position >> 32), static_cast<size_t>(n) * 4);
                return;
            }
            for (int k = 0; k < n; ++k, position += mStepU) {
                op.Opaque(out[k], row[position >> 32]);
            }
        };
        if constexpr (!kBlend) {
            opaqueRun(dest, count, u);
        } else {
            const uint8_t* runs = mTarget.mTexelRuns + rowStart;
            for (int i = 0; i < count;) {
                int x = static_cast<int>(u >> 32);
                int64_t runEnd = int64_t{x + runs[x]} << 32;
                int n = static_cast<int>(
                    std::min<int64_t>((runEnd - u + mStepU - 1) / mStepU, count - i));
                uint32_t alpha = row[x] >> 24;
                if (alpha == 255) {
                    opaqueRun(dest + i, n, u);
                } else if (alpha != 0) {
                    int64_t position = u;
                    for (int k = 0; k < n; ++k, position += mStepU) {
                        uint32_t texel = row[position >> 32];
                        op.Blend(dest[i + k], texel, texel >> 24);
                    }
                }
                i += n;
                u += n * mStepU;
            }
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
    const TriangleSetup& mSetup;
    const FillVertex* mVertices = nullptr;
    Plane mU, mV;
    int64_t mStepU = 0;
    int64_t mStepV = 0;
    Plane mColors[4];
    int32_t mColorSteps[4] = {};
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
