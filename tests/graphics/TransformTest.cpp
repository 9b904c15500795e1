#include "graphics/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace ravix {
namespace {

constexpr float kHalfPi = 1.57079632679f;

// Where the transform's matrix sends (x, y).
void ExpectMaps(const Transform& t, float x, float y, float expectedX, float expectedY) {
    float outX = 0;
    float outY = 0;
    t.GetMatrix().Apply(x, y, outX, outY);
    EXPECT_NEAR(outX, expectedX, 1e-5f) << "x of (" << x << ", " << y << ")";
    EXPECT_NEAR(outY, expectedY, 1e-5f) << "y of (" << x << ", " << y << ")";
}

TEST(Transform, OnlyOneScaleOrOneRotationWithTranslationsStaysSimple) {
    struct Case {
        const char* name;
        std::function<void(Transform&)> build;
        bool complex;
    };
    const Case cases[] = {
        {"nothing", [](Transform&) {}, false},
        {"scale twice", [](Transform& t) { t.Scale(2, 3), t.Scale(0.5f, 1); }, false},
        {"rotation twice", [](Transform& t) { t.Rotate(1), t.Rotate(0.5f); }, false},
        {"one mirror", [](Transform& t) { t.Scale(-1, 1); }, false},
        {"mirror of a scale to -1", [](Transform& t) { t.Scale(0.5f, 1), t.Scale(-2, 1); }, false},
        {"translation, rotation, translation",
         [](Transform& t) { t.Translate(1, 2), t.Rotate(1), t.Translate(3, 4); }, false},
        {"scale, translation", [](Transform& t) { t.Scale(2, 2), t.Translate(3, 4); }, false},
        {"scale then rotation by 0", [](Transform& t) { t.Scale(0.9f, 0.9f), t.Rotate(0); }, true},
        {"rotation then scale", [](Transform& t) { t.Rotate(1), t.Scale(2, 2); }, true},
        {"two mirrors", [](Transform& t) { t.Scale(-1, 1), t.Scale(-1, 1); }, true},
        {"mirror by -2", [](Transform& t) { t.Scale(-2, 1); }, true},
        {"vertical mirror", [](Transform& t) { t.Scale(1, -1); }, true},
        {"translation then scale", [](Transform& t) { t.Translate(1, 0), t.Scale(2, 2); }, true},
        {"rotation after a translation that follows it",
         [](Transform& t) { t.Rotate(1), t.Translate(1, 0), t.Rotate(1); }, true},
    };
    for (const Case& c : cases) {
        Transform t;
        c.build(t);
        EXPECT_EQ(t.IsComplex(), c.complex) << c.name;
    }
}

TEST(Transform, SimpleMatricesPlaceLikeTheirDrawingPaths) {
    Transform t;
    ExpectMaps(t, 3, 4, 3, 4);

    t.Scale(2, 3);
    ExpectMaps(t, 1, 1, 2, 3);
    t.Translate(10, 20); // after the scale
    ExpectMaps(t, 1, 1, 12, 23);
    EXPECT_FALSE(t.IsComplex());

    // A rotation turns about the point the pre-translation moved to, then the post-translation
    // moves the result: post + R * (p + pre).
    t.Reset();
    t.Translate(1, 0);
    t.Rotate(kHalfPi);
    t.Translate(10, 0);
    EXPECT_FALSE(t.IsComplex());
    ExpectMaps(t, 0, 0, 10, 1);
    ExpectMaps(t, 1, 0, 10, 2);
}

TEST(Transform, ComplexTransformsApplyOperationsInTheOrderCalled) {
    Transform t;
    t.Scale(2, 1);
    t.Rotate(kHalfPi); // now complex: (1, 0) scales to (2, 0), then turns to (0, 2)
    ExpectMaps(t, 1, 0, 0, 2);
    t.Translate(5, 6);
    ExpectMaps(t, 1, 0, 5, 8);
    t.Scale(1, 0.5f);
    ExpectMaps(t, 1, 0, 5, 4);

    t.Reset();
    EXPECT_FALSE(t.IsComplex());
    EXPECT_EQ(t.GetMatrix(), Matrix3::Identity());
    EXPECT_FALSE(t.HasScale());
    EXPECT_EQ(t.GetScaleX(), 1.0f);
}

TEST(Transform, AMirrorKeepsTheMirroredScale) {
    Transform t;
    t.Scale(-1, 0.25f);
    EXPECT_FALSE(t.IsComplex());
    EXPECT_EQ(t.GetScaleX(), -1.0f);
    EXPECT_EQ(t.GetScaleY(), 0.25f);
    ExpectMaps(t, 4, 4, -4, 1);
}

} // namespace
} // namespace ravix
