#include "graphics/Graphics.h"
#include "graphics/Transform.h"

#include "graphics/RecordingImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace ravix {
namespace {

using test::RecordingImage;
using Calls = std::vector<std::string>;

class GraphicsTest : public ::testing::Test {
protected:
    // Returns the primitives recorded since the last call.
    Calls Take() { return std::exchange(mDest.mCalls, {}); }

    RecordingImage mDest{100, 80};
    RecordingImage mSource{20, 10};
    Graphics mG{&mDest};
};

TEST_F(GraphicsTest, FillRectIsTranslatedTruncatedAndClipped) {
    struct Case {
        float shiftX, shiftY;
        Rect clip; // given after the translation, so it is translated too
        Rect rect;
        const char* expected; // nullptr: nothing drawn
    };
    const Case cases[] = {
        {0, 0, {0, 0, 100, 80}, {5, 5, 10, 10}, "FillRect (5,5 10x10) #FF000000"},
        {3.7f, 4.2f, {-3, -4, 100, 80}, {5, 5, 10, 10}, "FillRect (8,9 10x10) #FF000000"},
        {-2.5f, 0, {0, 0, 100, 80}, {5, 5, 1, 1}, "FillRect (2,5 1x1) #FF000000"},
        {0, 0, {10, 10, 20, 20}, {5, 5, 10, 10}, "FillRect (10,10 5x5) #FF000000"},
        {0, 0, {0, 0, 100, 80}, {95, 75, 10, 10}, "FillRect (95,75 5x5) #FF000000"},
        {0, 0, {0, 0, 100, 80}, {-5, -5, 5, 5}, nullptr},
        {0, 0, {0, 0, 100, 80}, {5, 5, 0, 10}, nullptr},
    };
    for (const Case& c : cases) {
        Graphics g(&mDest);
        g.Translate(c.shiftX, c.shiftY);
        g.ClipRect(c.clip);
        g.FillRect(c.rect);
        Calls expected;
        if (c.expected != nullptr) {
            expected.push_back(c.expected);
        }
        EXPECT_EQ(Take(), expected) << c.rect.mX << "," << c.rect.mY;
    }
}

TEST_F(GraphicsTest, TransparentColourFillsAndOutlinesNothingEvenAdditive) {
    mG.SetColor(Color(255, 0, 0, 0));
    mG.SetDrawMode(DrawMode::Additive);
    mG.FillRect(1, 1, 10, 10);
    mG.DrawRect(1, 1, 10, 10);
    EXPECT_EQ(Take(), Calls{});
    mG.SetColor(Color(255, 0, 0, 1));
    mG.FillRect(1, 1, 10, 10);
    EXPECT_EQ(Take(), Calls{"FillRect (1,1 10x10) #01FF0000 add"});
}

TEST_F(GraphicsTest, ClipShrinksWithTranslationAndRestoreStateWidensIt) {
    mG.Translate(5, 5);
    mG.ClipRect(10, 10, 50, 50);
    EXPECT_EQ(mG.GetClipRect(), Rect(15, 15, 50, 50));

    mG.SaveState();
    mG.ClipRect(-100, -100, 1000, 1000); // cannot widen
    EXPECT_EQ(mG.GetClipRect(), Rect(15, 15, 50, 50));
    mG.ClipRect(40, 40, 100, 100);
    EXPECT_EQ(mG.GetClipRect(), Rect(45, 45, 20, 20));
    mG.Translate(1, 1);
    mG.SetColor(Color(1, 2, 3));

    mG.RestoreState();
    EXPECT_EQ(mG.GetClipRect(), Rect(15, 15, 50, 50));
    EXPECT_EQ(mG.GetShiftX(), 5.0f);
    EXPECT_EQ(mG.GetColor(), Color());
    mG.RestoreState(); // empty stack: nothing changes
    EXPECT_EQ(mG.GetClipRect(), Rect(15, 15, 50, 50));

    {
        Graphics::ScopedState saved(mG);
        mG.ClipRect(0, 0, 1, 1);
        mG.SetTintImages(true);
    }
    EXPECT_EQ(mG.GetClipRect(), Rect(15, 15, 50, 50));
    EXPECT_FALSE(mG.GetTintImages());
}

TEST_F(GraphicsTest, CopiesShareStateButNotSavedStates) {
    mG.Translate(2, 3);
    mG.ClipRect(0, 0, 10, 10);
    mG.SaveState();
    mG.SetColor(Color(9, 9, 9));
    std::unique_ptr<Graphics> copy = mG.Create();
    copy->RestoreState(); // the copy has no saved states
    EXPECT_EQ(copy->GetColor(), Color(9, 9, 9));
    EXPECT_EQ(copy->GetClipRect(), Rect(2, 3, 10, 10));
    copy->FillRect(0, 0, 1, 1);
    EXPECT_EQ(Take(), Calls{"FillRect (2,3 1x1) #FF090909"});
}

TEST_F(GraphicsTest, NullTargetBindsAnEmptyImage) {
    Graphics g(nullptr);
    ASSERT_NE(g.GetTarget(), nullptr);
    EXPECT_TRUE(g.GetClipRect().IsEmpty());
    g.FillRect(0, 0, 10, 10); // nothing to draw into, nothing happens
    g.DrawImage(&mSource, 0, 0);
}

TEST_F(GraphicsTest, DrawRectInsideTheClipIsOneOutlineElseFourClippedFills) {
    mG.DrawRect(0, 0, 99, 79); // the 100 x 80 outline exactly fills the image
    EXPECT_EQ(Take(), Calls{"DrawRect (0,0 99x79) #FF000000"});

    mG.DrawRect(0, 0, 100, 79); // one column too wide
    EXPECT_EQ(Take(), (Calls{"FillRect (0,0 100x1) #FF000000", "FillRect (0,79 100x1) #FF000000",
                             "FillRect (0,1 1x78) #FF000000"}));

    mG.ClipRect(0, 0, 15, 15);
    mG.DrawRect(10, 10, 10, 10);
    EXPECT_EQ(Take(), (Calls{"FillRect (10,10 5x1) #FF000000", "FillRect (10,11 1x4) #FF000000"}));
}

TEST_F(GraphicsTest, LinesAreClippedAlongTheirSlope) {
    struct Case {
        int x1, y1, x2, y2;
        const char* expected;
    };
    // Clip x 10..29, y 10..29.
    const Case cases[] = {
        {12, 12, 20, 25, "DrawLine 12,12 20,25 #FF000000"},
        {0, 15, 40, 15, "DrawLine 10,15 29,15 #FF000000"},
        {15, 40, 15, 0, "DrawLine 15,10 15,29 #FF000000"},
        {40, 40, 0, 0, "DrawLine 10,10 29,29 #FF000000"},
        {0, 10, 20, 20, "DrawLine 10,15 20,20 #FF000000"},
        {0, 0, 5, 40, nullptr},    // left of the clip
        {0, 25, 20, 45, nullptr},  // passes below the bottom left corner
        {30, 10, 50, 20, nullptr}, // starts on the first column outside
    };
    mG.ClipRect(10, 10, 20, 20);
    for (const Case& c : cases) {
        mG.DrawLine(c.x1, c.y1, c.x2, c.y2);
        Calls expected;
        if (c.expected != nullptr) {
            expected.push_back(c.expected);
        }
        EXPECT_EQ(Take(), expected) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
    }
    mG.Translate(0.5f, 2);
    mG.DrawLine(12, 12, 14, 12);
    EXPECT_EQ(Take(), Calls{"DrawLine 12.5,14 14.5,14 #FF000000"});
}

TEST_F(GraphicsTest, ImagesAreWhiteUnlessTinted) {
    mG.SetColor(Color(10, 20, 30, 40));
    mG.DrawImage(&mSource, 5, 6);
    mG.SetTintImages(true);
    mG.SetDrawMode(DrawMode::Additive);
    mG.DrawImage(&mSource, 5, 6);
    EXPECT_EQ(Take(), (Calls{"BlitImage 5,6 src (0,0 20x10) #FFFFFFFF",
                             "BlitImage 5,6 src (0,0 20x10) #280A141E add"}));
}

TEST_F(GraphicsTest, SourceRectanglesOutsideTheImageDrawNothing) {
    const Rect outside[] = {{0, 0, 21, 10}, {0, 1, 20, 10}, {-1, 0, 5, 5}, {0, 0, 0, 5}};
    for (const Rect& src : outside) {
        mG.DrawImage(&mSource, 0, 0, src);
        mG.DrawImage(&mSource, Rect(0, 0, 50, 50), src);
        mG.DrawImageFlipped(&mSource, 0, 0, src);
        mG.DrawImageSubpixel(&mSource, 0, 0, src);
        mG.DrawImageRotated(&mSource, 0, 0, 1.0, 0, 0, src);
        mG.DrawImageWithMatrix(&mSource, Matrix3::Identity(), src, 0, 0);
    }
    EXPECT_EQ(Take(), Calls{});
    mG.DrawImage(&mSource, 0, 0, Rect(5, 5, 15, 5));
    EXPECT_EQ(Take(), Calls{"BlitImage 0,0 src (5,5 15x5) #FFFFFFFF"});
}

TEST_F(GraphicsTest, ClippedImagesTakeTheMatchingPartOfTheSource) {
    mG.ClipRect(10, 10, 50, 50);
    mG.DrawImage(&mSource, 5, 8);
    // Mirrored, the columns cut on the left are the rightmost of the source.
    mG.DrawImageFlipped(&mSource, 5, 8, Rect(0, 0, 20, 10));
    mG.DrawImageFlipped(&mSource, 45, 10, Rect(0, 0, 20, 10));
    mG.DrawImage(&mSource, 70, 8);
    EXPECT_EQ(Take(), (Calls{"BlitImage 10,10 src (5,2 15x8) #FFFFFFFF",
                             "BlitFlipped 10,10 src (0,2 15x8) #FFFFFFFF",
                             "BlitFlipped 45,10 src (5,0 15x10) #FFFFFFFF"}));
}

TEST_F(GraphicsTest, ScaledAndStretchedImagesGoToBlitScaled) {
    mG.Translate(3, 0);
    mG.SetScale(2, 0.5f, 10, 0);
    mG.DrawImage(&mSource, 7, 4); // at (10, 4): x stays on the pivot, y halves
    mG.SetQuickScaling(true);
    mG.SetScale(1, 1);
    mG.DrawImage(&mSource, Rect(1, 2, 30, 40), Rect(0, 0, 20, 10));
    mG.DrawImageFlipped(&mSource, Rect(1, 2, 30, 40), Rect(0, 0, 20, 10), true);
    mG.DrawImageSubpixel(&mSource, 1.25f, 2.5f, Rect(0, 0, 20, 10));
    EXPECT_EQ(Take(),
              (Calls{"BlitScaled (10,2 40x5) src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF fast 0",
                     "BlitScaled (4,2 30x40) src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF fast 1",
                     "BlitScaledFlipped (4,2 30x40) src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF "
                     "fast 1",
                     "BlitImageSubpixel 4.25,2.5 src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF"}));
}

TEST_F(GraphicsTest, TransformedImagesPickThePathOfTheirTransform) {
    struct Case {
        const char* name;
        std::function<void(Transform&)> build;
        const char* expected;
    };
    const Case cases[] = {
        {"sprite: scaled, then rotated by 0",
         [](Transform& t) {
             t.Scale(0.9f, 0.9f);
             t.Rotate(0);
         },
         "BlitMatrix 51,42 [0.9 0 0; 0 0.9 0] clip (0,0 100x80) #FFFFFFFF src (0,0 20x10) "
         "blend 0"},
        {"rotation", [](Transform& t) { t.Rotate(0.5f); },
         "BlitRotated 41,37 src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF angle 0.5 centre "
         "10,5"},
        {"translated rotation",
         [](Transform& t) {
             t.Translate(3, 4);
             t.Rotate(0.5f);
         },
         "BlitRotated 44,41 src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF angle 0.5 centre 7,1"},
        {"identity", [](Transform&) {},
         "BlitImageSubpixel 41,37 src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF"},
        {"mirror", [](Transform& t) { t.Scale(-1, 1); },
         "BlitFlipped 41,37 src (0,0 20x10) #FFFFFFFF"},
        {"scale", [](Transform& t) { t.Scale(2, 0.5f); },
         "BlitScaled (31,39 40x5) src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF fast 0"},
        {"mirror of a turning card", [](Transform& t) { t.Scale(-1, 0.3f); },
         "BlitScaledFlipped (41,40 20x3) src (0,0 20x10) clip (0,0 100x80) #FFFFFFFF fast 0"},
    };
    mG.Translate(1, 2);
    for (const Case& c : cases) {
        Transform t;
        c.build(t);
        mG.DrawImageTransformed(&mSource, t, 50, 40);
        EXPECT_EQ(Take(), Calls{c.expected}) << c.name;
    }
}

TEST_F(GraphicsTest, MatrixBlitsUseTheSmoothSamplingFlagAndThePartGiven) {
    Transform t;
    t.Scale(0.5f, 2);
    t.Rotate(0);
    mG.SetSmoothSampling(true);
    mG.DrawImageTransformed(&mSource, t, Rect(2, 3, 4, 5), 10.25f, 20);
    EXPECT_EQ(Take(), Calls{"BlitMatrix 10.25,20 [0.5 0 0; 0 2 0] clip (0,0 100x80) #FFFFFFFF "
                            "src (2,3 4x5) blend 1"});
}

TEST_F(GraphicsTest, NinePatchDrawsCornersAndTilesEdgesAndCentreCutByTheClip) {
    RecordingImage box(9, 9); // 3 x 3 pieces of 3 x 3 pixels
    mG.DrawNinePatch(Rect(0, 0, 10, 9), &box);
    EXPECT_EQ(Take(), (Calls{
                          // corners
                          "BlitImage 0,0 src (0,0 3x3) #FFFFFFFF",
                          "BlitImage 7,0 src (6,0 3x3) #FFFFFFFF",
                          "BlitImage 0,6 src (0,6 3x3) #FFFFFFFF",
                          "BlitImage 7,6 src (6,6 3x3) #FFFFFFFF",
                          // top and bottom: two tiles, the second cut to one column
                          "BlitImage 3,0 src (3,0 3x3) #FFFFFFFF",
                          "BlitImage 3,6 src (3,6 3x3) #FFFFFFFF",
                          "BlitImage 6,0 src (3,0 1x3) #FFFFFFFF",
                          "BlitImage 6,6 src (3,6 1x3) #FFFFFFFF",
                          // left and right
                          "BlitImage 0,3 src (0,3 3x3) #FFFFFFFF",
                          "BlitImage 7,3 src (6,3 3x3) #FFFFFFFF",
                          // centre
                          "BlitImage 3,3 src (3,3 3x3) #FFFFFFFF",
                          "BlitImage 6,3 src (3,3 1x3) #FFFFFFFF",
                      }));

    mG.DrawNinePatch(Rect(0, 0, 4, 4), &box); // smaller than two corners: they overlap
    EXPECT_EQ(
        Take(),
        (Calls{"BlitImage 0,0 src (0,0 3x3) #FFFFFFFF", "BlitImage 1,0 src (6,0 3x3) #FFFFFFFF",
               "BlitImage 0,1 src (0,6 3x3) #FFFFFFFF", "BlitImage 1,1 src (6,6 3x3) #FFFFFFFF"}));
    EXPECT_EQ(mG.GetClipRect(), Rect(0, 0, 100, 80));
}

} // namespace
} // namespace ravix
