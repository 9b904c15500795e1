// The game's window shows the game's icon, taken from its data.
#include "game/GameFlowSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(GameIcon, TheWindowShowsTheIconPicture) {
    ravix::testing::TempHome home;
    tarnwick::testing::FlowApp game;
    game.Start(TARNWICK_DATA_DIR);
    const ravix::HeadlessPlatform::WindowState window = game.Headless().Window();
    EXPECT_EQ(window.mIconWidth, 128);
    EXPECT_EQ(window.mIconHeight, 128);
    // A picture with a clear margin around the cards, not an empty square.
    ASSERT_EQ(window.mIconPixels.size(), 128u * 128u);
    EXPECT_EQ(window.mIconPixels.front() >> 24, 0u);
    const auto opaque = std::count_if(window.mIconPixels.begin(), window.mIconPixels.end(),
                                      [](uint32_t p) { return (p >> 24) == 0xFF; });
    EXPECT_GT(opaque, 128 * 128 / 3);
}
