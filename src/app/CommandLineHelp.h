#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ravix {

// One line of a help table: the term ("-demofile=FILE", "XDG_DATA_HOME") and what it means.
struct HelpEntry {
    std::string mTerm;
    std::string mText;
};

// What a program says about itself for --help and --version, GNU style.
struct CommandLineHelp {
    std::string mProgram;     // the command's name, "tarnwick"
    std::string mPackage;     // the product's name, "Tarnwick"
    std::string mVersion;     // "0.1.0"
    std::string mUsage;       // after the program name: "[OPTION]..."
    std::string mDescription; // one or two lines under the usage line
    std::vector<HelpEntry> mOptions;
    std::vector<HelpEntry> mFiles;
    std::vector<HelpEntry> mEnvironment;
};

// What the program answers when the command line asks for information or is wrong.
struct CommandLineAnswer {
    int mExitCode = 0;
    std::string mOutput; // for standard output
    std::string mError;  // for standard error
};

// The framework's own options and the environment variables it reads, for a program's help.
std::vector<HelpEntry> FrameworkOptionHelp();
std::vector<HelpEntry> FrameworkEnvironmentHelp();

std::string FormatHelp(const CommandLineHelp& help);
std::string FormatVersion(const CommandLineHelp& help);

// The option name a help term stands for: "-playnum[=N]" -> "-playnum".
std::string OptionNameOfTerm(const std::string& term);

// Reads the options as the application will (RavixAppBase::ParseCommandLine), in order: the
// first "--help" or "--version" is answered (exit 0), the first option the help does not list
// is refused with one line and a hint to --help (exit 2). Nothing to answer: nullopt, the
// program runs.
std::optional<CommandLineAnswer> AnswerCommandLine(const CommandLineHelp& help,
                                                   const std::vector<std::string>& arguments);

// AnswerCommandLine on the process's arguments, printed; the exit code when the program ends
// here. Called before any window or device is opened.
std::optional<int> AnswerCommandLine(const CommandLineHelp& help, int argc, char** argv);

} // namespace ravix
