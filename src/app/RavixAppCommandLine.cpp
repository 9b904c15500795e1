#include "app/RavixAppBase.h"
#include "crash/CrashHandler.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace ravix {

namespace {

// The integer at the start of text as atoi reads it (0 when there is none), clamped to int.
int LeadingInteger(const std::string& text) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The number in a file name made of prefix, decimal digits and ".dmo".
bool ParseDemoNumber(const std::string& fileName, const std::string& prefix, int& number) {
    constexpr std::string_view kSuffix = ".dmo";
    if (fileName.size() <= prefix.size() + kSuffix.size() || !fileName.starts_with(prefix) ||
        !fileName.ends_with(kSuffix)) {
        return false;
    }
    std::string digits = fileName.substr(prefix.size(), fileName.size() - prefix.size() - 4);
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    number = std::stoi(digits);
    return true;
}

} // namespace

std::string RavixAppBase::JoinArguments(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        bool needsQuotes = argument.empty() || argument.find(' ') != std::string::npos;
        line += needsQuotes ? "\"" + argument + "\"" : argument;
    }
    return line;
}

std::string RavixAppBase::OptionTextOf(const std::vector<std::string>& arguments) {
    std::string line = JoinArguments(arguments);
    size_t programEnd = 0;
    if (line.starts_with('"')) {
        programEnd = line.find('"', 1);
        if (programEnd == std::string::npos) {
            return {}; // an opening quote without its closing one ends reading
        }
    }
    size_t space = line.find(' ', programEnd);
    return space == std::string::npos ? std::string() : line.substr(space + 1);
}

std::vector<RavixAppBase::CommandLineOption>
RavixAppBase::ParseCommandLine(const std::vector<std::string>& arguments) {
    return SplitOptionText(OptionTextOf(arguments));
}

std::vector<RavixAppBase::CommandLineOption>
RavixAppBase::SplitOptionText(const std::string& text) {
    std::vector<CommandLineOption> options;
    std::string name;
    std::string value;
    bool inValue = false;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool optionEnds = false;
        if (c == '"') {
            quoted = !quoted;
            optionEnds = !quoted;
        } else if (c == ' ' && !quoted) {
            optionEnds = true;
        } else if (c == '=') {
            inValue = true;
        } else {
            (inValue ? value : name) += c;
        }
        if (optionEnds || i + 1 == text.size()) {
            if (!name.empty()) {
                options.emplace_back(name, value);
            }
            // Every option boundary starts a new name, also after one that had no name.
            name.clear();
            value.clear();
            inValue = false;
        }
    }
    return options;
}

void RavixAppBase::ReadCommandLine() {
    mCommandLineRead = true;
    SplitCommandLine(OptionTextOf(mPlatform->CommandLineArguments()));
}

void RavixAppBase::SplitCommandLine(const std::string& text) {
    for (const auto& [name, value] : SplitOptionText(text)) {
        HandleCommandLineOption(name, value);
    }
}

void RavixAppBase::HandleCommandLineOption(const std::string& name, const std::string& value) {
    if (name == "-play") {
        mDemo.SetMode(DemoSession::Mode::Playing);
    } else if (name == "-recnum") {
        ChooseNumberedDemo(value, true);
    } else if (name == "-playnum") {
        ChooseNumberedDemo(value, false);
    } else if (name == "-record") {
        mDemo.SetMode(DemoSession::Mode::Recording);
    } else if (name == "-demofile") {
        mDemo.SetPath(MakeDemoPathAbsolute(value));
    } else if (name == "-crash") {
        RaiseTestFault();
    } else if (name == "-screensaver") {
        mScreenSaverMode = true;
    } else if (name == "-changedir") {
        mStartFolder = value;
    } else if (name == "-verbose") {
        mPlatform->SetDiagnosticsShown(true);
    } else {
        ShowFatalError(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") +
                       name);
        QuitProcess(0);
    }
}

std::string RavixAppBase::MakeDemoPathAbsolute(const std::string& path) const {
    return path.starts_with('/') ? path : mDataFolder + path;
}

// Numbered demos are the files prefix + number + ".dmo" in the folder they are recorded to.
void RavixAppBase::ChooseNumberedDemo(const std::string& value, bool forRecording) {
    const std::string& prefix = mDemo.Prefix();
    std::filesystem::path prefixPath = MakeDemoPathAbsolute(prefix);
    std::filesystem::path folder = prefixPath.parent_path();
    std::string filePrefix = prefixPath.filename().string();
    std::vector<int> numbers;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        int number = 0;
        if (ParseDemoNumber(entry->path().filename().string(), filePrefix, number)) {
            numbers.push_back(number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    int largest = numbers.empty() ? 0 : numbers.back();
    int chosen = 0;
    if (forRecording) {
        int keep = LeadingInteger(value);
        if (keep <= 0) {
            keep = 5;
        }
        if (static_cast<int>(numbers.size()) >= keep) {
            std::string oldest = prefix + std::to_string(numbers.front()) + ".dmo";
            std::filesystem::remove(MakeDemoPathAbsolute(oldest), error);
        }
        chosen = largest + 1;
    } else {
        int fromNewest = LeadingInteger(value);
        chosen = largest - (fromNewest > 1 ? fromNewest - 1 : 0);
    }
    mDemo.SetPath(MakeDemoPathAbsolute(prefix + std::to_string(chosen) + ".dmo"));
    mDemo.SetMode(forRecording ? DemoSession::Mode::Recording : DemoSession::Mode::Playing);
}

} // namespace ravix
