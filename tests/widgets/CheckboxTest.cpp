// Check boxes: toggling and telling the listener, and the three ways they are drawn.

#include "widgets/Checkbox.h"
#include "ControlTestSupport.h"
#include "graphics/Graphics.h"

#include <gtest/gtest.h>

namespace ravix::test {
namespace {

TEST(Checkbox, ClickTogglesAndTellsTheListenerSetOnOnlyWhenAsked) {
    RecordingListener listener;
    ScreenManager manager;
    Checkbox box(nullptr, nullptr, 4, &listener);
    box.Resize(10, 10, 12, 12);
    manager.InsertChild(&box);
    manager.Click(15, 15);
    manager.Click(15, 15);
    manager.Click(15, 15);
    EXPECT_TRUE(box.IsOn());
    box.SetOn(false, false);
    box.SetOn(true, true);
    EXPECT_EQ(listener.Take(), (Log{"check 4 on", "check 4 off", "check 4 on", "check 4 on"}));
    EXPECT_TRUE(box.mShowHandCursor);
}

constexpr uint32_t kOff = 0xFF0000FF;
constexpr uint32_t kOn = 0xFF00FF00;
const Legend kBoxLegend = {
    {0xFF000000, '.'}, {kOff, 'o'},      {kOn, 'X'}, {0xFFFFFFFF, 'W'},
    {0xFF505050, 'f'}, {0xFFFEFE00, 'm'}}; // the rasteriser's lines land at 254 for 255

std::vector<std::string> Draw(Checkbox& box) {
    auto screen = MakeScreen(box.mWidth, box.mHeight);
    Graphics g(screen.get());
    box.Draw(g);
    return Picture(*screen, kBoxLegend);
}

TEST(Checkbox, DrawsItsImagesItsCellsOrABox) {
    auto off = MakeRow({kOff, kOff});
    auto on = MakeRow({kOn, kOn});
    auto cells = MakeRow({kOff, kOn});
    using Rows = std::vector<std::string>;

    Checkbox images(off.get(), on.get(), 1, nullptr);
    images.Resize(0, 0, 2, 1);
    EXPECT_EQ(Draw(images), Rows{"oo"});
    images.SetOn(true, false);
    EXPECT_EQ(Draw(images), Rows{"XX"});

    Checkbox cellBox(cells.get(), nullptr, 1, nullptr);
    cellBox.Resize(0, 0, 2, 1);
    cellBox.mOffCell = Rect(0, 0, 1, 1);
    cellBox.mOnCell = Rect(1, 0, 1, 1);
    EXPECT_EQ(Draw(cellBox), Rows{"o."});
    cellBox.SetOn(true, false);
    EXPECT_EQ(Draw(cellBox), Rows{"X."});

    Checkbox plain(nullptr, nullptr, 1, nullptr);
    plain.Resize(0, 0, 9, 9);
    EXPECT_EQ(Draw(plain), (Rows{"WWWWWWWWW", "WfffffffW", "WfffffffW", "WfffffffW", "WfffffffW",
                                 "WfffffffW", "WfffffffW", "WfffffffW", "WWWWWWWWW"}));
    plain.SetOn(true, false);
    EXPECT_EQ(Draw(plain), (Rows{"WWWWWWWWW", "WffffffmW", "WfffffmfW", "WfffffmfW", "WmfffmffW",
                                 "WfmfmfffW", "WfmfmfffW", "WffmffffW", "WWWWWWWWW"}));
}

} // namespace
} // namespace ravix::test
