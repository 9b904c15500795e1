#include "data/ColourDifference.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace datatest {

namespace {

using Matrix = double[3][3];

constexpr Matrix kProtanopia = {{0.152286, 1.052583, -0.204868},
                                {0.114503, 0.786281, 0.099216},
                                {-0.003882, -0.048116, 1.051998}};
constexpr Matrix kDeuteranopia = {{0.367322, 0.860646, -0.227968},
                                  {0.280085, 0.672501, 0.047413},
                                  {-0.011820, 0.042940, 0.968881}};
// Linear sRGB to CIE XYZ, and the D65 white point.
constexpr Matrix kToXyz = {{0.4124564, 0.3575761, 0.1804375},
                           {0.2126729, 0.7151522, 0.0721750},
                           {0.0193339, 0.1191920, 0.9503041}};
constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};

struct Vector {
    double v[3];
};

double Linear(double channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Vector LinearRgb(const Rgb& colour) {
    return {{Linear(colour.mRed), Linear(colour.mGreen), Linear(colour.mBlue)}};
}

Vector Multiply(const Matrix& m, const Vector& x) {
    Vector out{};
    for (int row = 0; row < 3; ++row)
        out.v[row] = m[row][0] * x.v[0] + m[row][1] * x.v[1] + m[row][2] * x.v[2];
    return out;
}

// What a simulated eye sees, kept inside the displayable range.
Vector Simulate(const Vector& linear, Vision vision) {
    if (vision == Vision::Normal)
        return linear;
    Vector seen = Multiply(vision == Vision::Protanopia ? kProtanopia : kDeuteranopia, linear);
    for (double& c : seen.v)
        c = std::clamp(c, 0.0, 1.0);
    return seen;
}

double LabCurve(double t) {
    constexpr double kEpsilon = 216.0 / 24389.0;
    constexpr double kKappa = 24389.0 / 27.0;
    return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0;
}

double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// Hue angle in degrees 0..360; 0 for a grey.
double Hue(double a, double b) {
    if (a == 0 && b == 0)
        return 0;
    const double h = Degrees(std::atan2(b, a));
    return h < 0 ? h + 360 : h;
}

double Pow7Ratio(double c) {
    const double c7 = std::pow(c, 7);
    return std::sqrt(c7 / (c7 + std::pow(25.0, 7)));
}

} // namespace

Lab ToLab(const Rgb& colour, Vision vision) {
    const Vector xyz = Multiply(kToXyz, Simulate(LinearRgb(colour), vision));
    const double fx = LabCurve(xyz.v[0] / kWhite[0]);
    const double fy = LabCurve(xyz.v[1] / kWhite[1]);
    const double fz = LabCurve(xyz.v[2] / kWhite[2]);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double Ciede2000(const Lab& first, const Lab& second) {
    const double meanChroma =
        (std::hypot(first.mA, first.mB) + std::hypot(second.mA, second.mB)) / 2;
    const double g = 0.5 * (1 - Pow7Ratio(meanChroma));
    const double a1 = (1 + g) * first.mA;
    const double a2 = (1 + g) * second.mA;
    const double c1 = std::hypot(a1, first.mB);
    const double c2 = std::hypot(a2, second.mB);
    const double h1 = Hue(a1, first.mB);
    const double h2 = Hue(a2, second.mB);

    double dh = 0;
    if (c1 * c2 != 0) {
        dh = h2 - h1;
        dh += dh > 180 ? -360 : dh < -180 ? 360 : 0;
    }
    const double dL = second.mL - first.mL;
    const double dC = c2 - c1;
    const double dH = 2 * std::sqrt(c1 * c2) * std::sin(Radians(dh / 2));

    const double meanL = (first.mL + second.mL) / 2;
    const double meanC = (c1 + c2) / 2;
    double meanH = h1 + h2;
    if (c1 * c2 != 0) {
        meanH = std::fabs(h1 - h2) <= 180 ? (h1 + h2) / 2
                : h1 + h2 < 360          ? (h1 + h2 + 360) / 2
                                         : (h1 + h2 - 360) / 2;
    }
    const double t = 1 - 0.17 * std::cos(Radians(meanH - 30)) +
                     0.24 * std::cos(Radians(2 * meanH)) +
                     0.32 * std::cos(Radians(3 * meanH + 6)) -
                     0.20 * std::cos(Radians(4 * meanH - 63));
    const double rotation = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
    const double rt = -std::sin(Radians(2 * rotation)) * 2 * Pow7Ratio(meanC);
    const double sl = 1 + 0.015 * std::pow(meanL - 50, 2) / std::sqrt(20 + std::pow(meanL - 50, 2));
    const double sc = 1 + 0.045 * meanC;
    const double sh = 1 + 0.015 * meanC * t;
    return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) +
                     rt * (dC / sc) * (dH / sh));
}

double Difference(const Rgb& first, const Rgb& second, Vision vision) {
    return Ciede2000(ToLab(first, vision), ToLab(second, vision));
}

double RelativeLuminance(const Rgb& colour) {
    const Vector linear = LinearRgb(colour);
    return 0.2126 * linear.v[0] + 0.7152 * linear.v[1] + 0.0722 * linear.v[2];
}

double ContrastRatio(const Rgb& first, const Rgb& second) {
    const double y1 = RelativeLuminance(first);
    const double y2 = RelativeLuminance(second);
    return (std::max(y1, y2) + 0.05) / (std::min(y1, y2) + 0.05);
}

} // namespace datatest
