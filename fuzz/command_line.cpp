// Splits arbitrary text as a command line, and checks that arguments (separated by NUL bytes
// in the input) joined into one line and split again come back as the options they name.
#include "app/RavixAppBase.h"
#include "platform/headless/HeadlessPlatform.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

class OptionRecorder : public ravix::RavixAppBase {
public:
    OptionRecorder() : RavixAppBase(std::make_unique<ravix::HeadlessPlatform>()) {}
    void HandleCommandLineOption(const std::string& name, const std::string& value) override {
        mOptions.emplace_back(name, value);
    }
    ravix::HeadlessPlatform& Headless() {
        return static_cast<ravix::HeadlessPlatform&>(GetPlatform());
    }
    Options mOptions;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    OptionRecorder split;
    split.SplitCommandLine(text);

    // Arguments without double quotes (which the line has no way to escape).
    std::vector<std::string> arguments{"program"};
    Options expected;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find('\0', start), text.size());
        std::string argument = text.substr(start, end - start);
        start = end + 1;
        if (argument.find('"') != std::string::npos) {
            continue;
        }
        arguments.push_back(argument);
        size_t equals = argument.find('=');
        std::string name = argument.substr(0, equals);
        std::string value;
        if (equals != std::string::npos) {
            for (char c : argument.substr(equals + 1)) {
                if (c != '=') {
                    value += c;
                }
            }
        }
        if (!name.empty()) {
            expected.emplace_back(name, value);
        }
    }
    OptionRecorder joined;
    joined.Headless().SetCommandLine(arguments);
    joined.ReadCommandLine();
    if (joined.mOptions != expected) {
        std::abort();
    }
    return 0;
}
