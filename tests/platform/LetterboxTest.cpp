// Where a scaled screen image is shown in a window of another shape.

#include "platform/Letterbox.h"

#include <gtest/gtest.h>

using ravix::LetterboxRect;
using ravix::Rect;

TEST(Letterbox, FitsTheImageCentredWithBarsOnTheSpareSides) {
    struct Case {
        int mAreaWidth;
        int mAreaHeight;
        Rect mExpected;
    };
    const Case cases[] = {
        {800, 600, Rect(0, 0, 800, 600)},       // the same size
        {1024, 768, Rect(0, 0, 1024, 768)},     // the same shape
        {1920, 1080, Rect(240, 0, 1440, 1080)}, // wider: bars left and right
        {1280, 1024, Rect(0, 32, 1280, 960)},   // taller: bars above and below
        {1365, 768, Rect(170, 0, 1024, 768)},   // odd spare width: the extra pixel goes right
        {801, 600, Rect(0, 0, 800, 600)},       // one pixel too wide: no scaling rounds up
        {0, 600, Rect()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LetterboxRect(800, 600, c.mAreaWidth, c.mAreaHeight), c.mExpected)
            << c.mAreaWidth << " x " << c.mAreaHeight;
    }
    EXPECT_EQ(LetterboxRect(0, 0, 800, 600), Rect());
}
