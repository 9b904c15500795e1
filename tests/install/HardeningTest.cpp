// The installed programs, from an install into a fresh prefix and from the unpacked Debian
// package, carry the hardening a distribution gives its own packages (position-independent,
// stack protector, fortified libc calls, read-only relocations bound at start, control-flow
// protection): hardening-check (devscripts) passes on each. Control-flow protection is only
// asked for where the C runtime's start files are marked for it (not on Debian 12): a program
// carries the mark only when everything linked into it does.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

struct CheckResult {
    int mExitCode = -1;
    std::string mOutput;
};

CheckResult RunHardeningCheck(const std::string& program) {
    CheckResult result;
    const std::string options = TARNWICK_START_FILES_MARKED_FOR_CET ? "" : "--nocfprotection ";
    std::FILE* pipe = popen(("hardening-check " + options + "'" + program + "' 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> chunk;
    size_t read = 0;
    while ((read = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        result.mOutput.append(chunk.data(), read);
    const int status = pclose(pipe);
    result.mExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class HardeningTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HardeningTest, HardeningCheckPasses) {
    if (!TARNWICK_HARDENED) {
        GTEST_SKIP() << "the sanitizer builds keep their instrumentation instead of the hardening";
    }
    ASSERT_TRUE(std::filesystem::exists(GetParam())) << GetParam();
    ASSERT_EQ(std::system("command -v hardening-check >/dev/null"), 0)
        << "hardening-check is missing: scripts/setup.sh installs it (devscripts)";
    const CheckResult result = RunHardeningCheck(GetParam());
    EXPECT_EQ(result.mExitCode, 0) << result.mOutput;
    std::printf("%s", result.mOutput.c_str());
}

std::string ProgramName(const ::testing::TestParamInfo<std::string>& info) {
    static const char* const kNames[] = {"PrefixGame", "PrefixTool", "PackageGame", "PackageTool"};
    return kNames[info.index];
}

INSTANTIATE_TEST_SUITE_P(Installs, HardeningTest,
                         ::testing::Values(TARNWICK_TEST_PREFIX "/bin/tarnwick",
                                           TARNWICK_TEST_PREFIX "/bin/tarnwick-tool",
                                           TARNWICK_TEST_PACKAGE_ROOT "/bin/tarnwick",
                                           TARNWICK_TEST_PACKAGE_ROOT "/bin/tarnwick-tool"),
                         ProgramName);

} // namespace
