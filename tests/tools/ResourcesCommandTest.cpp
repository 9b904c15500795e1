#include "audio/ALDevice.h"
#include "files/ImageLib.h"

#include "files/PakTestSupport.h"
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;

// Tiny game files; the tool runs elsewhere, so the manifest names them by absolute paths.
class ResourcesCommandTest : public ::testing::Test {
protected:
    ResourcesCommandTest() {
        const uint32_t pixels[] = {0xFF000000, 0xFFFFFFFF, 0xFF00FF00, 0xFF0000FF};
        EXPECT_TRUE(ravix::ImageLib::WritePNG(mFolder / "card.png", pixels, 2, 2));
        EXPECT_TRUE(ravix::ImageLib::WritePNG(mFolder / "strip.png", pixels, 4, 1));
        paktest::WriteFile(mFolder / "widths.txt", "1 1\nA 1\nB 3\n");
        paktest::WriteFile(mFolder / "tone.wav", paktest::ReadFile(std::string(TARNWICK_TEST_DIR) +
                                                                   "/audio/fixtures/tone.wav"));
        paktest::WriteFile(mFolder / "noise.wav", "RIFF....WAVE");
    }

    std::string Manifest(const std::string& game) {
        const std::string path = mFolder / "resources.xml";
        paktest::WriteFile(path,
                           "<ResourceManifest>\n<Resources id=\"Init\">\n<SetDefaults path=\"" +
                               mFolder.Path().string() +
                               "\"/>\n<Image path=\"card.png\" alphaimage=\"card.png\"/>\n"
                               "<Font path=\"!sys:DejaVu Sans\" size=\"10\"/>\n</Resources>\n"
                               "<Resources id=\"Game\">\n" +
                               game + "\n</Resources>\n</ResourceManifest>\n");
        return path;
    }

    paktest::TempFolder mFolder;
};

TEST_F(ResourcesCommandTest, CheckCountsWhatTheGroupsHold) {
    const std::string manifest =
        Manifest("<Image path=\"strip.png\" cols=\"4\"/><Sound path=\"tone\" volume=\"0.5\"/>"
                 "<Font id=\"W\" path=\"widths.txt\" image=\"" +
                 (mFolder / "strip.png") + "\"/><Font path=\"!ref:W\"/>");
    ToolResult all = RunTool({"resources", "check", manifest});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, "2 groups: 2 images, 1 sounds, 3 fonts\n");

    ToolResult game = RunTool({"resources", "check", manifest, "Game"});
    EXPECT_EQ(game.status, 0) << game.err;
    EXPECT_EQ(game.out, "1 groups: 1 images, 1 sounds, 2 fonts\n");
}

TEST_F(ResourcesCommandTest, CheckPrintsTheFailure) {
    const struct {
        std::string game;
        std::string err;
    } cases[] = {
        {"<Image path=\"missing.png\"/>", "Failed to load image: " + (mFolder / "missing.png")},
        {"<Image id=\"GRID\" path=\"card.png\" alphagrid=\"strip.png\" cols=\"2\"/>",
         "GridAlphaImage size mismatch between " + (mFolder / "card.png") + " and " +
             (mFolder / "strip.png")},
        {"<Font path=\"!ref:NONE\"/>", "Ref font not found: NONE"},
        {"<Sound path=\"card\"/>", "Failed to load sound: " + (mFolder / "card")},
        {"<Sound/>", "No path specified. on Line 8 in File '" + (mFolder / "resources.xml") + "'"},
    };
    for (const auto& c : cases) {
        ToolResult check = RunTool({"resources", "check", Manifest(c.game)});
        EXPECT_EQ(check.status, 1) << c.game;
        EXPECT_EQ(check.out, "");
        EXPECT_EQ(check.err, c.err + "\n") << c.game;
    }
    // Sounds are decoded for real (but never heard).
    if (ravix::ALDevice::OpenLoopback(44100)) {
        ToolResult noise = RunTool({"resources", "check", Manifest("<Sound path=\"noise\"/>")});
        EXPECT_EQ(noise.err, "Failed to load sound: " + (mFolder / "noise") + "\n");
    }
    EXPECT_EQ(RunTool({"resources", "check"}).status, 2);
}

} // namespace
