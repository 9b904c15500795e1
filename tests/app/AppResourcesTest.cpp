// The application's manifest load with its fatal error, display images and the shared-image
// cache.
#include "app/AppTestSupport.h"

#include "files/ImageLib.h"
#include "files/PakTestSupport.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"

#include <gtest/gtest.h>

#include <thread>

using namespace ravix;
using ravix::testing::HeadlessApp;

namespace {

class AppResourcesTest : public ::testing::Test {
protected:
    paktest::TempFolder mFolder;
    paktest::ScopedWorkingDirectory mWorkingDirectory{mFolder.Path()};
    HeadlessApp mApp;
};

TEST_F(AppResourcesTest, TheManifestIsReadFromThePropertiesFolder) {
    // Made on a system that ignores case.
    paktest::WriteFile(mFolder / "Properties/Resources.xml",
                       "<ResourceManifest><Resources id=\"Init\"><Image path=\"logo.png\"/>"
                       "</Resources></ResourceManifest>");
    EXPECT_TRUE(mApp.LoadResourceManifest());
    EXPECT_EQ(mApp.mResources->CountGroupImages("Init"), 1);
    EXPECT_TRUE(mApp.Headless().MessageBoxes().empty());
}

TEST_F(AppResourcesTest, AManifestFailureIsFatal) {
    const struct {
        const char* markup; // null: no manifest at all
        const char* text;
    } cases[] = {
        {nullptr, "Resource file not found: properties/resources.xml in File "
                  "'properties/resources.xml'"},
        {"<ResourceManifest>\n<Resources id=\"Init\"><Image/>",
         "No path specified. on Line 2 in File 'properties/resources.xml'"},
    };
    for (const auto& c : cases) {
        if (c.markup)
            paktest::WriteFile(mFolder / "properties/resources.xml", c.markup);
        HeadlessApp app;
        try {
            app.LoadResourceManifest();
            ADD_FAILURE() << "the program should have ended";
        } catch (const HeadlessProcessExit& exit) {
            EXPECT_EQ(exit.mCode, 0);
        }
        const auto boxes = app.Headless().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].mText, c.text);
        EXPECT_EQ(boxes[0].mCaption, "FATAL ERROR");
    }
}

TEST_F(AppResourcesTest, SharedImagesLiveWhileHeld) {
    const uint32_t pixels[] = {0xFF102030, 0x80405060};
    ASSERT_TRUE(ImageLib::WritePNG(mFolder / "pic.png", pixels, 2, 1));

    std::unique_ptr<MemoryImage> display = mApp.LoadDisplayImage("pic.png", true);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->mFilePath, "pic.png");
    EXPECT_EQ(display->mRegistry, &mApp.Images());
    EXPECT_TRUE(display->mHasAlpha); // committed: the flags are settled
    EXPECT_EQ(display->GetPixels()[1], 0x80405060u);
    EXPECT_EQ(mApp.LoadDisplayImage("none.png", true), nullptr);

    bool created = false;
    std::shared_ptr<MemoryImage> first = mApp.AcquireSharedImage("pic.png", "", created);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(created);
    EXPECT_EQ(mApp.AcquireSharedImage("pic.png", "", created), first);
    EXPECT_FALSE(created);
    EXPECT_NE(mApp.AcquireSharedImage("pic.png", "other", created), first);
    EXPECT_TRUE(created);

    // A "!" path gives an empty image; a file that does not load gives nothing.
    std::shared_ptr<MemoryImage> program = mApp.AcquireSharedImage("!program", "", created);
    ASSERT_NE(program, nullptr);
    EXPECT_TRUE(created);
    EXPECT_EQ(program->GetWidth(), 0);
    EXPECT_EQ(mApp.AcquireSharedImage("none.png", "", created), nullptr);
    EXPECT_FALSE(created);

    // Once nobody holds the image, the next request loads it again.
    std::weak_ptr<MemoryImage> released = first;
    first.reset();
    EXPECT_TRUE(released.expired());
    EXPECT_NE(mApp.AcquireSharedImage("pic.png", "", created), nullptr);
    EXPECT_TRUE(created);
}

TEST_F(AppResourcesTest, ThreadsAskingForOneImageShareIt) {
    const uint32_t pixel = 0xFF000000;
    ASSERT_TRUE(ImageLib::WritePNG(mFolder / "pic.png", &pixel, 1, 1));
    std::shared_ptr<MemoryImage> images[4];
    int createdCount = 0;
    {
        std::vector<std::jthread> threads;
        bool created[4] = {};
        for (int i = 0; i < 4; ++i)
            threads.emplace_back(
                [&, i] { images[i] = mApp.AcquireSharedImage("pic.png", "", created[i]); });
        threads.clear();
        for (bool c : created)
            createdCount += c;
    }
    EXPECT_EQ(createdCount, 1);
    for (const auto& image : images)
        EXPECT_EQ(image, images[0]);
}

} // namespace
