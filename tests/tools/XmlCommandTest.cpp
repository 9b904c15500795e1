#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;

const std::string kFixtures = TARNWICK_TEST_DIR "/tools/";

} // namespace

TEST(XmlDumpCommand, PrintsOneLinePerItem) {
    const ToolResult run = RunTool({"xml", "dump", kFixtures + "xml-dump-sample.xml"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Instruction\txml\t version=\"1.0\"\n"
                       "Comment\t!--\ta manifest\\n     for the dump test\n"
                       "Start\tResourceManifest\n"
                       "Start\tResources\tid=Init\n"
                       "Start\tSetDefaults\tpath=images\tidprefix=IMAGE_\n"
                       "End\tSetDefaults\n"
                       "Start\tImage\tid=TILES\tpath=cards\\\\tiles.png\tnote=a\\tb\n"
                       "End\tImage\n"
                       "Start\tFont\tid=F\tpath=!sys:Sans\tsize=12\tbold=\n"
                       "End\tFont\n"
                       "Start\tNote\n"
                       "Text\tfish & chips\\n\n"
                       "End\tNote\n"
                       "End\tResources\n"
                       "End\tResourceManifest\n");
}

TEST(XmlDumpCommand, FailureEndsWithTheErrorAndLine) {
    ToolResult run = RunTool({"xml", "dump", kFixtures + "xml-dump-broken.xml"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Start\ta\nStart\tb\nerror: End 'a' Doesn't Match Start 'b' (line 3)\n");

    run = RunTool({"xml", "dump", "/nonexistent/x.xml"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "error: Unable to open file /nonexistent/x.xml (line 0)\n");
}

TEST(XmlDumpCommand, UsageErrorsExitWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"xml"}, {"xml", "dump"}, {"xml", "dump", "a", "b"}, {"xml", "list", "a"}}) {
        const ToolResult run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("xml dump FILE"), std::string::npos);
    }
}
