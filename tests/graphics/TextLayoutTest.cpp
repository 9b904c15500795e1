#include "graphics/Graphics.h"

#include "graphics/RecordingImage.h"
#include "graphics/TestFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravix {
namespace {

using test::RecordingImage;
using test::TestFont;
using Lines = std::vector<std::string>;

class TextLayoutTest : public ::testing::Test {
protected:
    TextLayoutTest() { mG.SetFont(&mFont); }

    // Returns the strings the font drew since the last call.
    Lines Take() { return std::exchange(mFont.mDrawn, {}); }

    RecordingImage mDest{200, 100};
    Graphics mG{&mDest};
    TestFont mFont;
};

// Only the width hook is given; everything else is the base behaviour.
class SevenWideFont : public Font {
public:
    SevenWideFont() {
        mAscent = 9;
        mHeight = 13;
        mLineSpacingOffset = -2;
    }
    int StringWidth(std::string_view text) override { return 7 * static_cast<int>(text.size()); }
    std::unique_ptr<Font> Duplicate() const override {
        return std::make_unique<SevenWideFont>(*this);
    }
};

TEST(Font, BaseMetricsAndMeasuresDeriveFromTheFields) {
    SevenWideFont font;
    EXPECT_EQ(font.GetDescent(), 4);
    EXPECT_EQ(font.GetLineSpacing(), 11);
    EXPECT_EQ(font.CharWidth('x'), 7);
    EXPECT_EQ(font.CharAdvance('x', 'y'), 7);
    std::unique_ptr<Font> copy = font.Duplicate();
    EXPECT_EQ(copy->GetAscent(), 9);
}

TEST_F(TextLayoutTest, CodedLinesInterpretColourCodes) {
    struct Case {
        const char* text;
        bool codes;
        Lines drawn;
        int width;
    };
    const Case cases[] = {
        {"a^^b", true, {"a^b@5,20#000000FF"}, 30},
        {"^FF0000^red", true, {"red@5,20#FF0000FF"}, 30},
        {"ab^FF00", true, {"ab@5,20#000000FF"}, 20}, // an incomplete code drops the tail
        {"x^1a2B3c^y", true, {"x@5,20#000000FF", "y@15,20#1A2B3CFF"}, 20},
        {"x^G1z2A0!y", true, {"x@5,20#000000FF", "y@15,20#0102A0FF"}, 20}, // non-hex is 0
        {"^ored00^q", true, {"q@5,20#000000FF"}, 10}, // 'o' but not "oldclr": black
        {"a^^b^FF0000^c", false, {"a^^b^FF0000^c@5,20#000000FF"}, 130},
        {"", true, {}, 0},
    };
    for (const Case& c : cases) {
        mG.SetColor(Color(0, 0, 0));
        mG.SetInlineColorCodes(c.codes);
        EXPECT_EQ(mG.DrawCodedLine(c.text, 5, 20, 0, Graphics::kJustifyLeft), c.width) << c.text;
        EXPECT_EQ(Take(), c.drawn) << c.text;
    }
}

TEST_F(TextLayoutTest, CodesKeepTheAlphaAndLeaveTheLastColourSet) {
    mG.SetColor(Color(9, 9, 9, 77));
    mG.DrawCodedLine("^FF0000^r^oldclr^o", 0, 0, 0, -1, true, 0, -1, 0x123456);
    EXPECT_EQ(Take(), (Lines{"r@0,0#FF00004D", "o@10,0#1234564D"}));
    EXPECT_EQ(mG.GetColor(), Color(0x12, 0x34, 0x56, 77));

    mG.SetColor(Color(9, 9, 9));
    mG.DrawCodedLine("^FF0000^r^oldclr^o", 0, 0, 0, -1); // old colour -1: the colour now
    EXPECT_EQ(Take(), (Lines{"r@0,0#FF0000FF", "o@10,0#090909FF"}));
}

TEST_F(TextLayoutTest, CodedLinesJustifyAndDrawTheirRange) {
    mG.DrawCodedLine("ab^FF0000^cd", 5, 20, 100, Graphics::kJustifyCenter);
    mG.SetColor(Color(0, 0, 0));
    mG.DrawCodedLine("ab", 5, 20, 100, Graphics::kJustifyRight);
    // Measuring for the justification starts from the same colour as the drawing.
    EXPECT_EQ(Take(), (Lines{"ab@35,20#000000FF", "cd@55,20#FF0000FF", "ab@85,20#000000FF"}));

    EXPECT_EQ(mG.DrawCodedLine("hello world", 0, 0, 0, -1, true, 6, 3), 30);
    EXPECT_EQ(mG.DrawCodedLine("hello world", 0, 0, 0, -1, true, 6, -1), 50);
    EXPECT_EQ(mG.DrawCodedLine("hello world", 0, 0, 0, -1, true, 6, 100), 50);
    EXPECT_EQ(mG.DrawCodedLine("hello world", 0, 0, 0, -1, true, 20, 3), 0);
    EXPECT_EQ(mG.DrawCodedLine("hello world", 0, 0, 0, -1, false), 110);
    EXPECT_EQ(Take(), (Lines{"wor@0,0#000000FF", "world@0,0#000000FF", "world@0,0#000000FF"}));

    mG.SetFont(nullptr);
    EXPECT_EQ(mG.DrawCodedLine("abc", 0, 0, 0, -1), 0);
    EXPECT_EQ(mG.DrawWrappedText(Rect(0, 0, 50, 0), "abc"), 0);
}

TEST_F(TextLayoutTest, WrappedTextBreaksLinesAndReturnsTheHeight) {
    // Glyphs are 10 wide ('i' 4), baselines start at ascent 8 - padding 1 = 7 and follow
    // every 15; the height is the last baseline + descent 4.
    struct Case {
        const char* text;
        int width;
        Lines drawn;
        int height;
    };
    const Case cases[] = {
        {"ab cd ef", 50, {"ab cd@0,7#000000FF", "ef@0,22#000000FF"}, 26},
        {"abcdefghijkl", 50, {"abcde@0,7#000000FF", "fghij@0,22#000000FF", "kl@0,37#000000FF"}, 41},
        {"abc", 5, {"a@0,7#000000FF", "b@0,22#000000FF", "c@0,37#000000FF"}, 41},
        {"iiiiiiiiiiiiiiii", 50, {"iiiiiiiiiiii@0,7#000000FF", "iiii@0,22#000000FF"}, 26},
        {"abcd    efg", 50, {"abcd @0,7#000000FF", "efg@0,22#000000FF"}, 26},
        {"ab\n\ncd", 50, {"ab@0,7#000000FF", "cd@0,37#000000FF"}, 41},
        {"ab\n", 50, {"ab@0,7#000000FF"}, 26},
        {"ab", 50, {"ab@0,7#000000FF"}, 11},
        {"AVAVAV", 54, {"AVAVAV@0,7#000000FF"}, 11}, // kerned to 54
        {" ab", 20, {" a@0,7#000000FF", "b@0,22#000000FF"}, 26},
        {"^FF0000^abcde fg", 50, {"abcde@0,7#FF0000FF", "fg@0,22#FF0000FF"}, 26},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mG.DrawWrappedText(Rect(0, 0, c.width, 0), c.text), c.height) << c.text;
        EXPECT_EQ(Take(), c.drawn) << c.text;
        EXPECT_EQ(mG.GetColor(), Color(0, 0, 0)) << c.text;
        EXPECT_EQ(mG.MeasureWrappedText(c.width, c.text), c.height) << c.text;
    }
}

TEST_F(TextLayoutTest, WrappedTextJustifiesSpacesLinesAndRestoresOpaqueWhiteForOldclr) {
    mG.SetColor(Color(255, 255, 255));
    EXPECT_EQ(mG.DrawWrappedText(Rect(3, 4, 50, 0), "^FF0000^ab cd ^oldclr^ef", 20,
                                 Graphics::kJustifyCenter),
              31);
    EXPECT_EQ(Take(), (Lines{"ab cd@3,11#FF0000FF", "ef@18,31#FFFFFFFF"}));
    EXPECT_EQ(mG.GetColor(), Color(255, 255, 255));
}

TEST_F(TextLayoutTest, WrappedLinesOutsideTheClipAreSkipped) {
    mG.Translate(0, 10);
    mG.ClipRect(0, 30, 200, 20); // translated baselines 40 .. 74 (clip + one line) are drawn
    const char* text = "aa aa aa aa aa aa";
    EXPECT_EQ(mG.DrawWrappedText(Rect(0, 0, 20, 0), text), 86);
    // The last line is always drawn (the clip still hides it).
    EXPECT_EQ(Take(), (Lines{"aa@0,37#000000FF", "aa@0,52#000000FF", "aa@0,82#000000FF"}));
    EXPECT_EQ(mG.MeasureWrappedText(20, text), 86);
}

} // namespace
} // namespace ravix
