#include "files/PakTestSupport.h"
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;

std::string Fixture(const std::string& name) {
    return std::string(TARNWICK_TEST_DIR) + "/audio/fixtures/" + name;
}

// The tool writes what the programs that made the files write when they decode them: oggdec
// for Ogg Vorbis, sox for 8-bit WAV, byte for byte.
TEST(SoundCommandTest, ConvertReproducesOtherProgramsSamples) {
    paktest::TempFolder folder;
    const struct {
        std::string in;
        std::string reference;
    } cases[] = {
        {Fixture("tone.ogg"), Fixture("tone-ogg.wav")},
        {Fixture("stereo8.wav"), Fixture("stereo8-as16.wav")},
        {Fixture("tone"), Fixture("tone.wav")}, // by name: the ".wav" comes first
    };
    for (const auto& c : cases) {
        const std::string out = folder / "out.wav";
        ToolResult result = RunTool({"sound", "convert", c.in, out});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(paktest::ReadFile(out), paktest::ReadFile(c.reference)) << c.in;
    }
}

TEST(SoundCommandTest, ConvertFindsSunAudioByName) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "beep.au", paktest::ReadFile(Fixture("tone.au")));
    ToolResult result = RunTool({"sound", "convert", folder / "beep", folder / "out.wav"});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string out = paktest::ReadFile(folder / "out.wav");
    ASSERT_EQ(out.size(), 44u + 800 * 2);
    // Mono, 8000 Hz, 16 bits.
    EXPECT_EQ(out.substr(20, 16),
              std::string("\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00\x02\x00\x10\x00", 16));
}

TEST(SoundCommandTest, ConvertErrors) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "song.mp3", "ID3");
    paktest::WriteFile(folder / "bad.ogg", "OggS but not really");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"sound", "convert", folder / "song.mp3", folder / "o.wav"}, 1, "not a sound file"},
        {{"sound", "convert", folder / "song", folder / "o.wav"}, 1, "that decodes"},
        {{"sound", "convert", folder / "bad.ogg", folder / "o.wav"}, 1, "cannot decode"},
        {{"sound", "convert", Fixture("tone.wav"), folder / "no/such/folder/o.wav"},
         1,
         "cannot write"},
        {{"sound", "convert", Fixture("tone.wav")}, 2, "usage:"},
        {{"sound", "play", Fixture("tone.wav"), folder / "o.wav"}, 2, "usage:"},
    };
    for (const auto& c : cases) {
        ToolResult result = RunTool(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[2];
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "o.wav"));
}

} // namespace
