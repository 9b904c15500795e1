// Faults in child processes: each child installs the crash handler (with the reporter process
// switched off) and faults; the parent reads the crash.txt it left and its stderr.
#include "AppTestSupport.h"

#include "crash/CrashHandler.h"
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace ravix;
using ravix::testing::HeadlessApp;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;

namespace ravix::testing {

volatile bool gKeepRecursing = true;

// Deep recursion that the compiler can neither turn into a loop nor prove endless.
__attribute__((noinline)) int RecurseWithoutEnd(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (gKeepRecursing) {
        return RecurseWithoutEnd(depth + 1) + frame[0];
    }
    return frame[0];
}

__attribute__((noinline, no_sanitize("undefined"))) int DivideByZero() {
    volatile int zero = 0;
    volatile int one = 1;
    return one / zero;
}

} // namespace ravix::testing

namespace {

struct ChildOutcome {
    int mStatus = 0;
    std::string mStderr;
};

// Runs body in a child process and collects its exit status and what it wrote to stderr.
ChildOutcome RunChild(const std::function<void()>& body) {
    int pipeEnds[2];
    EXPECT_EQ(pipe(pipeEnds), 0);
    pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDERR_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        body();
        _exit(0);
    }
    close(pipeEnds[1]);
    ChildOutcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        outcome.mStderr.append(buffer, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    waitpid(child, &outcome.mStatus, 0);
    return outcome;
}

// The program itself, with the given arguments, on SDL's dummy video driver.
ChildOutcome RunProgram(const std::vector<std::string>& arguments) {
    return RunChild([&] {
        std::vector<char*> argv = {const_cast<char*>(TARNWICK_PROGRAM)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        execv(TARNWICK_PROGRAM, argv.data());
        _exit(127);
    });
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

std::string Field(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& line : lines) {
        if (line.starts_with(prefix)) {
            return line.substr(prefix.size());
        }
    }
    return "";
}

// The report's sections come in order: exception, module, logical address, an empty line, the
// stack trace and an empty line, the registers, the system lines, then the session.
void ExpectSectionsInOrder(const std::vector<std::string>& lines) {
    ASSERT_GT(lines.size(), 20u);
    EXPECT_TRUE(lines[0].starts_with("Exception: ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Module: /")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("Logical Address: ")) << lines[2];
    EXPECT_EQ(lines[3], "");
    size_t i = 4;
    while (i < lines.size() && !lines[i].empty()) {
        EXPECT_EQ(lines[i].find(' '), 16u) << "a stack frame: " << lines[i];
        ++i;
    }
    EXPECT_GT(i, 4u) << "at least one stack frame";
    const std::vector<std::string> rest = {"",
                                           "RAX:",
                                           "R8:",
                                           "R12:",
                                           "RIP:",
                                           "CS:",
                                           "Flags:",
                                           "",
                                           "Kernel Ver: ",
                                           "SDL Ver: ",
                                           "OpenAL Ver: ",
                                           "",
                                           "Product: ",
                                           "Version: ",
                                           "Time Loaded: ",
                                           "Fullscreen: ",
                                           "Primary ThreadId: "};
    ASSERT_EQ(lines.size(), i + rest.size());
    for (size_t k = 0; k < rest.size(); ++k) {
        EXPECT_TRUE(lines[i + k].starts_with(rest[k])) << lines[i + k] << " for " << rest[k];
    }
}

// The thread named in the exception line.
std::string FaultThread(const std::string& exceptionLine) {
    return exceptionLine.substr(exceptionLine.rfind(' ') + 1);
}

void ExpectEndedBySignalNamingReport(const ChildOutcome& outcome, int signal,
                                     const std::string& reportPath) {
    ASSERT_TRUE(WIFSIGNALED(outcome.mStatus)) << "status " << outcome.mStatus;
    EXPECT_EQ(WTERMSIG(outcome.mStatus), signal);
    EXPECT_NE(outcome.mStderr.find("the crash report is in " + reportPath), std::string::npos)
        << outcome.mStderr;
}

// A headless application that faults where a test says.
class FaultingApp : public HeadlessApp {
public:
    std::function<void()> mLoadingFault;
    void LoadingThreadBody() override { mLoadingFault(); }
};

} // namespace

TEST(CrashHandler, CrashOptionLeavesReportWithSectionsInOrder) {
    TempHome home;
    // The reporter process runs too; on the dummy video driver it only says where the report is.
    ChildOutcome outcome = RunProgram({"-crash"});
    const std::string reportPath = home.Data() + "/Tarnwick/crash.txt";
    ExpectEndedBySignalNamingReport(outcome, SIGSEGV, reportPath);
    EXPECT_NE(outcome.mStderr.find("no display to show the crash report; it is in " + reportPath),
              std::string::npos)
        << outcome.mStderr;
    const std::string report = ReadTextFile(reportPath);
    ASSERT_TRUE(report.ends_with("\r\n\r\n")) << "the report and a line break";
    // It holds what the player did: the player's own, in the player's own folder.
    EXPECT_EQ(std::filesystem::status(reportPath).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(std::filesystem::status(home.Data() + "/Tarnwick").permissions(),
              std::filesystem::perms(0700));
    std::vector<std::string> lines = Lines(report.substr(0, report.size() - 2));
    ExpectSectionsInOrder(lines);
    EXPECT_TRUE(lines[0].starts_with("Exception: Access Violation (code 0xc0000005) at address "))
        << lines[0];
    EXPECT_EQ(FaultThread(lines[0]), Field(lines, "Primary ThreadId: "));
    EXPECT_TRUE(Field(lines, "Module: ").ends_with("/tarnwick"));
    EXPECT_NE(report.find(" ravix::RaiseTestFault()+"), std::string::npos);
    EXPECT_NE(report.find(" ravix::RavixAppBase::HandleCommandLineOption("), std::string::npos);
    EXPECT_EQ(Field(lines, "Product: "), "Tarnwick");
    EXPECT_EQ(Field(lines, "Fullscreen: "), "No");
}

TEST(CrashHandler, FaultsAreNamedAndPlacedOnTheirThread) {
    struct Case {
        const char* mName;
        bool mOnLoadingThread;
        std::function<void()> mFault;
        int mSignal;
        const char* mExceptionStart;
    };
    const Case cases[] = {
        {"null write on the loading thread", true, [] { RaiseTestFault(); }, SIGSEGV,
         "Exception: Access Violation (code 0xc0000005)"},
        {"stack overflow on the main thread", false, [] { ravix::testing::RecurseWithoutEnd(0); },
         SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd)"},
        {"stack overflow on the loading thread", true, [] { ravix::testing::RecurseWithoutEnd(0); },
         SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd)"},
        {"integer division by zero", false, [] { ravix::testing::DivideByZero(); }, SIGFPE,
         "Exception: Integer Divide by Zero (code 0xc0000094)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        TempHome home;
        home.Set(kCrashReporterSwitchVariable, "0");
        ChildOutcome outcome = RunChild([&] {
            InstallCrashHandler();
            FaultingApp app;
            gApplication = &app;
            app.mLoadingFault = c.mFault;
            app.Initialize();
            if (c.mOnLoadingThread) {
                app.StartLoadingThread();
                for (;;) {
                    pause();
                }
            }
            c.mFault();
        });
        const std::string reportPath = home.Data() + "/TestMaker/TestGame/crash.txt";
        ExpectEndedBySignalNamingReport(outcome, c.mSignal, reportPath);
        const std::string report = ReadTextFile(reportPath);
        std::vector<std::string> lines = Lines(report.substr(0, report.size() - 2));
        ExpectSectionsInOrder(lines);
        EXPECT_TRUE(lines[0].starts_with(c.mExceptionStart)) << lines[0];
        EXPECT_EQ(FaultThread(lines[0]) != Field(lines, "Primary ThreadId: "), c.mOnLoadingThread);
        EXPECT_EQ(Field(lines, "Product: "), "TestGame");
    }
}

TEST(CrashHandler, RecordingCrashLeavesTheDemoFile) {
    TempHome home;
    home.Set(kCrashReporterSwitchVariable, "0");
    ChildOutcome outcome = RunProgram({"-record", "-crash"});
    ExpectEndedBySignalNamingReport(outcome, SIGSEGV, home.Data() + "/Tarnwick/crash.txt");
    const std::string demo = home.Data() + "/Tarnwick/ravixapp.dmo";
    ASSERT_TRUE(std::filesystem::exists(demo));
    // The demo ends with the filler the handler writes, and a person can read it with the tool.
    tooltest::ToolResult info = tooltest::RunTool({"demo", "info", demo});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("format version"), std::string::npos) << info.out;
    tooltest::ToolResult dump = tooltest::RunTool({"demo", "dump", demo});
    EXPECT_NE(dump.out.find("filler"), std::string::npos) << dump.out;
}

TEST(CrashHandler, ReporterWithoutVisibleDisplayNamesTheReport) {
    TempHome home;
    home.Set(kCrashReportVariable, "/some/where/crash.txt");
    for (const char* driver : {"", "dummy"}) {
        SCOPED_TRACE(driver);
        ChildOutcome outcome = RunChild([&] {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("SDL_VIDEODRIVER", driver, 1);
            if (driver[0] == '\0') {
                unsetenv("SDL_VIDEODRIVER");
            }
            execl(TARNWICK_PROGRAM, TARNWICK_PROGRAM, nullptr);
            _exit(127);
        });
        ASSERT_TRUE(WIFEXITED(outcome.mStatus));
        EXPECT_EQ(WEXITSTATUS(outcome.mStatus), 0);
        EXPECT_NE(outcome.mStderr.find("/some/where/crash.txt"), std::string::npos)
            << outcome.mStderr;
    }
}
