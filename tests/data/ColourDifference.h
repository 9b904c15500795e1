#pragma once

// Colour measures for checking pictures as people see them: CIELAB (D65) from sRGB, the
// CIEDE2000 colour difference, simulations of red-green colour blindness, and the relative
// luminance and contrast ratio that say how far apart two colours stay in greyscale.

namespace datatest {

// An sRGB colour with channels 0..255 (fractions allowed: means of many pixels).
struct Rgb {
    double mRed = 0;
    double mGreen = 0;
    double mBlue = 0;
};

struct Lab {
    double mL = 0;
    double mA = 0;
    double mB = 0;
};

// How the colour is seen: with normal vision, or as Machado, Oliveira and Fernandes (2009)
// simulate complete protanopia and deuteranopia (severity 1, applied to linear RGB).
enum class Vision { Normal, Protanopia, Deuteranopia };

Lab ToLab(const Rgb& colour, Vision vision = Vision::Normal);
// CIEDE2000 (Sharma, Wu and Dalal's formulation): about 1 is the smallest difference one sees
// side by side; 20 and more reads as a different colour.
double Ciede2000(const Lab& first, const Lab& second);
// The colour difference of two sRGB colours as seen with the given vision.
double Difference(const Rgb& first, const Rgb& second, Vision vision);
// Relative luminance (0 black .. 1 white) of an sRGB colour.
double RelativeLuminance(const Rgb& colour);
// (lighter + 0.05) / (darker + 0.05): 1 for equal greys, 21 for black on white.
double ContrastRatio(const Rgb& first, const Rgb& second);

} // namespace datatest
