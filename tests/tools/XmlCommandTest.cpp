#include "resources/PakTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tarnwick-tool with the arguments (each quoted for the shell) and collects its output.
ToolRun RunTool(const std::vector<std::string>& args) {
    paktest::TempFolder folder;
    std::string command = TARNWICK_TOOL;
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " >" + (folder / "out") + " 2>" + (folder / "err");
    const int result = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    run.out = paktest::ReadFile(folder / "out");
    run.err = paktest::ReadFile(folder / "err");
    return run;
}

const std::string kFixtures = TARNWICK_TEST_DIR "/tools/";

} // namespace

TEST(XmlDumpCommand, PrintsOneLinePerItem) {
    const ToolRun run = RunTool({"xml", "dump", kFixtures + "xml-dump-sample.xml"});
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
    ToolRun run = RunTool({"xml", "dump", kFixtures + "xml-dump-broken.xml"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Start\ta\nStart\tb\nerror: End 'a' Doesn't Match Start 'b' (line 3)\n");

    run = RunTool({"xml", "dump", "/nonexistent/x.xml"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "error: Unable to open file /nonexistent/x.xml (line 0)\n");
}

TEST(XmlDumpCommand, UsageErrorsExitWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"xml"}, {"xml", "dump"}, {"xml", "dump", "a", "b"}, {"xml", "list", "a"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("xml dump FILE"), std::string::npos);
    }
}
