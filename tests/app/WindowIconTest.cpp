// The window's icon: the picture the application names is set on every window it makes, pixel
// for pixel; without the picture the window keeps the system's default and nothing complains.
#include "app/AppTestSupport.h"

#include "files/ImageLib.h"
#include "files/PakTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace ravix;
using ravix::testing::HeadlessApp;
using ravix::testing::TempHome;

namespace {

class WindowIconTest : public ::testing::Test {
protected:
    WindowIconTest() {
        mApp.mScreenWidth = 800;
        mApp.mScreenHeight = 600;
        std::filesystem::create_directories(mFolder.Path() / "images");
    }

    TempHome mHome;
    paktest::TempFolder mFolder;
    paktest::ScopedWorkingDirectory mWorkingDirectory{mFolder.Path()};
    HeadlessApp mApp;
};

} // namespace

TEST_F(WindowIconTest, EveryWindowGetsThePicture) {
    const std::vector<uint32_t> pixels = {0xFF102030, 0x80405060, 0xFF00FF00,
                                          0xFFFFFFFF, 0xFF0000FF, 0x40FF0000};
    ASSERT_TRUE(ImageLib::WritePNG((mFolder.Path() / "images/icon.png").string(), pixels.data(),
                                   3, 2));
    mApp.mWindowIconPath = "images/icon.png";
    mApp.Initialize();
    HeadlessPlatform::WindowState window = mApp.Headless().Window();
    EXPECT_EQ(window.mIconWidth, 3);
    EXPECT_EQ(window.mIconHeight, 2);
    EXPECT_EQ(window.mIconPixels, pixels);

    // Full screen is a new window, which starts without an icon of its own.
    mApp.ChangeScreenMode(false);
    window = mApp.Headless().Window();
    EXPECT_EQ(window.mCreateCount, 2);
    EXPECT_EQ(window.mIconWidth, 3);
    EXPECT_EQ(window.mIconPixels, pixels);
}

TEST_F(WindowIconTest, WithoutThePictureTheWindowKeepsTheDefault) {
    for (const char* path : {"", "images/missing.png"}) {
        HeadlessApp app;
        app.mWindowIconPath = path;
        app.Initialize();
        EXPECT_EQ(app.Headless().Window().mIconWidth, 0) << path;
        EXPECT_TRUE(app.Headless().Window().mIconPixels.empty()) << path;
        EXPECT_TRUE(app.Headless().MessageBoxes().empty()) << path;
    }
}
