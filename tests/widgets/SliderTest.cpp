// Sliders: a click on the track, dragging the thumb, what the listener hears, and the track drawn
// from three parts; each along both axes.

#include "widgets/Slider.h"
#include "ControlTestSupport.h"
#include "graphics/Graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ravix::test {
namespace {

// A slider 100 pixels long and 10 across at (20, 30), with a 10 x 10 thumb, horizontal or
// vertical; positions are given along and across its axis.
class SliderTest : public ::testing::TestWithParam<bool> {
protected:
    SliderTest() : mThumb(MakeRow(std::vector<uint32_t>(10, 0xFFFFFFFF))) {
        mThumb->Create(10, 10);
        mSlider.mHorizontal = GetParam();
        mSlider.Resize(20, 30, Horizontal() ? 100 : 10, Horizontal() ? 10 : 100);
        mManager.InsertChild(&mSlider);
    }
    bool Horizontal() const { return GetParam(); }
    int ScreenX(int along, int across) const { return 20 + (Horizontal() ? along : across); }
    int ScreenY(int along, int across) const { return 30 + (Horizontal() ? across : along); }
    void Press(int along) { mManager.Press(ScreenX(along, 5), ScreenY(along, 5)); }
    void Drag(int along, int across = 5) {
        mManager.MouseMove(ScreenX(along, across), ScreenY(along, across));
    }
    void Release(int along) { mManager.Release(ScreenX(along, 5), ScreenY(along, 5)); }

    RecordingListener mListener;
    std::unique_ptr<MemoryImage> mThumb;
    Slider mSlider{nullptr, mThumb.get(), 3, &mListener};
    ScreenManager mManager;
};

TEST_P(SliderTest, ClickOnTheTrackJumpsThereAndReportsOnceOnRelease) {
    Press(60);
    EXPECT_EQ(mSlider.mValue, 0.6);
    EXPECT_FALSE(mSlider.mGrabbed);
    EXPECT_EQ(mListener.Take(), Log{});
    Drag(70); // not grabbed: the thumb stays
    Release(70);
    EXPECT_EQ(mSlider.mValue, 0.6);
    EXPECT_EQ(mListener.Take(), Log{"slider 3 0.60"});
}

TEST_P(SliderTest, DraggingReportsEveryChangedValueAndTheFinalOneAgain) {
    Press(5); // on the thumb, 5 pixels into it
    EXPECT_TRUE(mSlider.mGrabbed);
    Drag(50);    // (50 - 5) / (100 - 10)
    Drag(50, 8); // across the axis only: no change
    Drag(500);
    Drag(600);
    Drag(-100);
    Release(-100);
    EXPECT_FALSE(mSlider.mGrabbed);
    EXPECT_EQ(mListener.Take(),
              (Log{"slider 3 0.50", "slider 3 1.00", "slider 3 0.00", "slider 3 0.00"}));

    // Grabbed again where the thumb now lies (0 .. 9), then the track is clicked past it.
    mSlider.SetValue(0.5); // thumb at 45 .. 54
    Press(54);
    EXPECT_TRUE(mSlider.mGrabbed);
    Release(54);
    Press(55);
    EXPECT_FALSE(mSlider.mGrabbed);
    EXPECT_EQ(mSlider.mValue, 0.55);
}

INSTANTIATE_TEST_SUITE_P(BothAxes, SliderTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Horizontal" : "Vertical"; });

// Track parts two pixels long: A a | B b | C c, and a two-pixel thumb T.
const Legend kTrackLegend = {{0xFF000000, '.'}, {0xFF100000, 'A'}, {0xFF200000, 'a'},
                             {0xFF300000, 'B'}, {0xFF400000, 'b'}, {0xFF500000, 'C'},
                             {0xFF600000, 'c'}, {0xFFFFFFFF, 'T'}};

std::unique_ptr<MemoryImage> MakeLine(const std::vector<uint32_t>& pixels, bool horizontal) {
    auto image = std::make_unique<MemoryImage>();
    int n = static_cast<int>(pixels.size());
    image->SetPixels(pixels.data(), horizontal ? n : 1, horizontal ? 1 : n, true);
    return image;
}

TEST(Slider, TrackIsCapsAndTiledMiddleCutAtTheRightCapThenTheThumb) {
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        auto track = MakeLine(
            {0xFF100000, 0xFF200000, 0xFF300000, 0xFF400000, 0xFF500000, 0xFF600000}, horizontal);
        auto thumb = MakeLine({0xFFFFFFFF, 0xFFFFFFFF}, horizontal);
        Slider slider(track.get(), thumb.get(), 1, nullptr);
        slider.mHorizontal = horizontal;
        slider.Resize(0, 0, horizontal ? 9 : 1, horizontal ? 1 : 9);
        slider.SetValue(0.5); // thumb at (9 - 2) * 0.5 = 3
        auto screen = MakeScreen(slider.mWidth, slider.mHeight);
        Graphics g(screen.get());
        slider.Draw(g);
        std::string line;
        for (const std::string& row : Picture(*screen, kTrackLegend)) {
            line += row;
        }
        EXPECT_EQ(line, "AaBTTbBCc");
    }
}

TEST(Slider, DegenerateSizesGiveValuesInRange) {
    auto thumb = MakeLine(std::vector<uint32_t>(10, 0xFFFFFFFF), true);
    RecordingListener listener;
    Slider slider(nullptr, thumb.get(), 1, &listener);
    // The thumb fills the slider: dragging it has nowhere to go.
    slider.Resize(0, 0, 10, 1);
    slider.MouseDown(5, 0, 1);
    ASSERT_TRUE(slider.mGrabbed);
    slider.MouseDrag(50, 0);
    EXPECT_EQ(slider.mValue, 0.0);
    // No length: a click changes nothing.
    slider.Resize(0, 0, 0, 0);
    slider.mGrabbed = false;
    slider.SetValue(0.25);
    slider.MouseDown(-3, 0, 1);
    EXPECT_EQ(slider.mValue, 0.25);

    const double settings[][2] = {
        {-0.5, 0}, {1.5, 1}, {0.3, 0.3}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& [set, stored] : settings) {
        slider.SetValue(set);
        EXPECT_EQ(slider.mValue, stored) << set;
    }
    EXPECT_EQ(listener.Take(), Log{}); // SetValue never tells the listener
}

} // namespace
} // namespace ravix::test
