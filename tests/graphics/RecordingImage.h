#pragma once

#include "graphics/Image.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ravix::test {

// An image that logs every primitive a Graphics context calls, with its arguments, as one
// line of text each: tests compare the exact requests that reach the destination.
class RecordingImage : public Image {
public:
    RecordingImage(int width, int height) {
        mWidth = width;
        mHeight = height;
    }

    void FillRect(const Rect& r, const Color& c, DrawMode m) override {
        Log("FillRect %s %s", R(r), C(c, m));
    }
    void DrawRect(const Rect& r, const Color& c, DrawMode m) override {
        Log("DrawRect %s %s", R(r), C(c, m));
    }
    void DrawLine(double x1, double y1, double x2, double y2, const Color& c, DrawMode m) override {
        Log("DrawLine %g,%g %g,%g %s", x1, y1, x2, y2, C(c, m));
    }
    void BlitImage(Image*, int x, int y, const Rect& src, const Color& c, DrawMode m) override {
        Log("BlitImage %d,%d src %s %s", x, y, R(src), C(c, m));
    }
    void BlitImageSubpixel(Image*, float x, float y, const Rect& src, const Rect& clip,
                           const Color& c, DrawMode m) override {
        Log("BlitImageSubpixel %g,%g src %s clip %s %s", x, y, R(src), R(clip), C(c, m));
    }
    void BlitRotated(Image*, float x, float y, const Rect& src, const Rect& clip, const Color& c,
                     DrawMode m, double angle, float cx, float cy) override {
        Log("BlitRotated %g,%g src %s clip %s %s angle %g centre %g,%g", x, y, R(src), R(clip),
            C(c, m), angle, cx, cy);
    }
    void BlitScaled(Image*, const Rect& dest, const Rect& src, const Rect& clip, const Color& c,
                    DrawMode m, bool fast) override {
        Log("BlitScaled %s src %s clip %s %s fast %d", R(dest), R(src), R(clip), C(c, m), fast);
    }
    void BlitMatrix(Image*, float x, float y, const Matrix3& mx, const Rect& clip, const Color& c,
                    DrawMode m, const Rect& src, bool blend) override {
        const auto& d = mx.mData;
        Log("BlitMatrix %g,%g [%g %g %g; %g %g %g] clip %s %s src %s blend %d", x, y, d[0][0],
            d[0][1], d[0][2], d[1][0], d[1][1], d[1][2], R(clip), C(c, m), R(src), blend);
    }
    void BlitFlipped(Image*, int x, int y, const Rect& src, const Color& c, DrawMode m) override {
        Log("BlitFlipped %d,%d src %s %s", x, y, R(src), C(c, m));
    }
    void BlitScaledFlipped(Image*, const Rect& dest, const Rect& src, const Rect& clip,
                           const Color& c, DrawMode m, bool fast) override {
        Log("BlitScaledFlipped %s src %s clip %s %s fast %d", R(dest), R(src), R(clip), C(c, m),
            fast);
    }

    std::vector<std::string> mCalls;

private:
    // Formats into one of a few rotating buffers so that several can appear in one Log call.
    static const char* R(const Rect& r) {
        return Format("(%d,%d %dx%d)", r.mX, r.mY, r.mWidth, r.mHeight);
    }
    static const char* C(const Color& c, DrawMode m) {
        return Format("#%08X%s", c.ToPacked(), m == DrawMode::Additive ? " add" : "");
    }
    template <typename... Args>
    static const char* Format(const char* format, Args... args) {
        static char buffers[8][64];
        static int next = 0;
        char* buffer = buffers[next++ % 8];
        std::snprintf(buffer, sizeof buffers[0], format, args...);
        return buffer;
    }
    template <typename... Args>
    void Log(const char* format, Args... args) {
        char line[256];
        std::snprintf(line, sizeof line, format, args...);
        mCalls.emplace_back(line);
    }
};

} // namespace ravix::test
