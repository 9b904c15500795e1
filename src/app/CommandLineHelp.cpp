#include "app/CommandLineHelp.h"

#include "app/RavixAppBase.h"

#include <algorithm>
#include <cstdio>

namespace ravix {

namespace {

constexpr size_t kTermColumn = 2;
constexpr size_t kTextColumn = 26;

// A table of terms and texts: terms indented by two, texts from one column, a term that
// reaches that column on a line of its own.
std::string FormatTable(const std::vector<HelpEntry>& entries) {
    std::string text;
    for (const HelpEntry& entry : entries) {
        std::string line(kTermColumn, ' ');
        line += entry.mTerm;
        if (line.size() + 1 >= kTextColumn) {
            text += line + "\n";
            line.clear();
        }
        line.resize(kTextColumn, ' ');
        text += line + entry.mText + "\n";
    }
    return text;
}

} // namespace

std::vector<HelpEntry> FrameworkOptionHelp() {
    return {
        {"-play", "replay the demo file (see -demofile) exactly as it was recorded"},
        {"-playnum[=N]", "replay the N-th newest numbered demo (the newest without N)"},
        {"-record", "record everything that reaches the program to the demo file"},
        {"-recnum[=N]", "record to a new numbered demo, keeping the N newest (5)"},
        {"-demofile=FILE", "the demo file; a relative name lies in the data folder"},
        {"-crash", "raise a test fault to try the crash report"},
        {"-screensaver", "screen-saver mode: errors are logged, not shown"},
        {"-changedir=DIR", "read the game's data from DIR"},
        {"-verbose", "print diagnostics on stderr: display sizes, loading time, frame statistics"},
    };
}

std::vector<HelpEntry> FrameworkEnvironmentHelp() {
    return {
        {"XDG_CONFIG_HOME", "folder of the settings (default ~/.config)"},
        {"XDG_DATA_HOME", "folder of the player's files (default ~/.local/share)"},
        {"XDG_RUNTIME_DIR", "folder of the one-copy lock and socket (default /tmp)"},
        {"TARNWICK_REPORT_HOST", "host[:port] that crash reports may be sent to (none)"},
        {"TARNWICK_CRASH_REPORTER", "0: no crash report window, the report is only written"},
        {"SDL_VIDEODRIVER", "SDL's video driver (\"dummy\" runs without a display)"},
    };
}

std::string FormatHelp(const CommandLineHelp& help) {
    std::string text = "Usage: " + help.mProgram + " " + help.mUsage + "\n";
    text += help.mDescription + "\n";
    text += "\nOptions (a value follows \"=\", as in -demofile=FILE):\n";
    text += FormatTable(help.mOptions);
    if (!help.mFiles.empty()) {
        text += "\nFiles:\n" + FormatTable(help.mFiles);
    }
    if (!help.mEnvironment.empty()) {
        text += "\nEnvironment:\n" + FormatTable(help.mEnvironment);
    }
    return text;
}

std::string FormatVersion(const CommandLineHelp& help) {
    return help.mProgram + " (" + help.mPackage + ") " + help.mVersion + "\n";
}

std::string OptionNameOfTerm(const std::string& term) {
    return term.substr(0, term.find_first_of("=["));
}

std::optional<CommandLineAnswer> AnswerCommandLine(const CommandLineHelp& help,
                                                   const std::vector<std::string>& arguments) {
    for (const auto& option : RavixAppBase::ParseCommandLine(arguments)) {
        // A plain reference: clang before 16 cannot capture a structured binding in a lambda.
        const std::string& name = option.first;
        if (name == "--help") {
            return CommandLineAnswer{0, FormatHelp(help), ""};
        }
        if (name == "--version") {
            return CommandLineAnswer{0, FormatVersion(help), ""};
        }
        const bool known =
            std::any_of(help.mOptions.begin(), help.mOptions.end(), [&](const HelpEntry& entry) {
                return OptionNameOfTerm(entry.mTerm) == name;
            });
        if (!known) {
            return CommandLineAnswer{2, "",
                                     help.mProgram + ": unknown option '" + name + "'\nTry '" +
                                         help.mProgram + " --help' for more information.\n"};
        }
    }
    return std::nullopt;
}

std::optional<int> AnswerCommandLine(const CommandLineHelp& help, int argc, char** argv) {
    std::optional<CommandLineAnswer> answer =
        AnswerCommandLine(help, std::vector<std::string>(argv, argv + argc));
    if (!answer) {
        return std::nullopt;
    }
    std::fputs(answer->mOutput.c_str(), stdout);
    std::fputs(answer->mError.c_str(), stderr);
    // Help that could not be written (a full disk, a closed pipe) is a failure.
    if (std::fflush(stdout) != 0 && answer->mExitCode == 0) {
        return 1;
    }
    return answer->mExitCode;
}

} // namespace ravix
