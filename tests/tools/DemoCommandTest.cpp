#include "files/PakTestSupport.h"
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;

// A demo written byte by byte: version 2, start tick 4242, product "1.0", one marker "boss"
// at update 3, 25 updates long. The events: key down 65 two updates in, a relative move
// (+3, -2), a right double click one update later, a settings read, a web transfer result, a
// filler and a close.
constexpr char kDemoBytes[] = "\x78\xEF\xBE\x42"
                              "\x02\x00\x00\x00"
                              "\x92\x10\x00\x00"
                              "\x03\x00"
                              "1.0"
                              "\x0E\x00\x00\x00"
                              "\x01\x00\x00\x00"
                              "\x04\x00"
                              "boss"
                              "\x03\x00\x00\x00"
                              "\x19\x00\x00\x00"
                              "\x62\x04\x41\x83\x1F\x37\x58\x09\x00\x00\x00\x08\x00\x00"
                              "\x00\xAA\x00\x00\x00\x40\x3C\x00\x00\x00\x08\x18\x00\x08"
                              "\x4B\x10\x7B\xBF\x18";
const std::string kDemo(kDemoBytes, sizeof kDemoBytes - 1);

TEST(DemoCommandTest, InfoAndDumpReadADemoWrittenByHand) {
    paktest::TempFolder folder;
    const std::string demo = folder / "run.dmo";
    paktest::WriteFile(demo, kDemo);

    ToolResult info = RunTool({"demo", "info", demo});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "format version\t2\n"
                        "start tick\t4242\n"
                        "product version\t1.0\n"
                        "demo length\t25\n"
                        "event count\t7\n"
                        "markers\t1\n"
                        "marker\t3\tboss\n");

    ToolResult dump = RunTool({"demo", "dump", demo});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, "2\tkey down\tkey=65\n"
                        "2\tmouse relative move\tdx=3 dy=-2\n"
                        "3\tmouse button\tdown button=-2\n"
                        "3\tsettings read\tsuccess=1 type=4 length=4 bytes=55000000\n"
                        "3\tweb transfer result\ttransfer=7 result=1 text=a\\tb\n"
                        "18\tfiller\n"
                        "23\tclose\n");
}

TEST(DemoCommandTest, UnreadableDemosAndUsageErrors) {
    paktest::TempFolder folder;
    const std::string bad = folder / "bad.dmo";
    paktest::WriteFile(bad, kDemo.substr(0, 30)); // the marker block runs past the end
    ToolResult run = RunTool({"demo", "dump", bad});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tarnwick-tool: " + bad + ": Invalid demo file.\n");
    run = RunTool({"demo", "info", folder / "none.dmo"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tarnwick-tool: Demo file not found: " + (folder / "none.dmo") + "\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"demo"}, {"demo", "info"}, {"demo", "play", bad}, {"demo", "dump", bad, "x"}}) {
        run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("demo dump FILE"), std::string::npos);
    }
}

} // namespace
