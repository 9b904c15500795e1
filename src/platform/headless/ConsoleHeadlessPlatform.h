#pragma once

#include "platform/headless/HeadlessPlatform.h"

#include <atomic>

namespace ravix {

// The headless platform for a program run from a shell (a replay without a window): the virtual
// clock runs as fast as the machine allows, message boxes are printed to the standard error
// stream instead of waiting for a user, and the process really ends on EndProcess. A run that
// showed an error ends with a non-zero exit code even when the program asked for 0.
class ConsoleHeadlessPlatform : public HeadlessPlatform {
public:
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags) override;
    [[noreturn]] void EndProcess(int code) override;
    // Kept as the headless platform keeps them, and printed when they are asked for.
    void DebugOutput(const std::string& text) override;

    // An error box was shown during the run.
    [[nodiscard]] bool ErrorShown() const { return mErrorShown; }
    // The exit code for a run that ends with code: 1 instead of 0 after an error.
    [[nodiscard]] int ExitCodeFor(int code) const;

private:
    std::atomic<bool> mErrorShown = false;
};

} // namespace ravix
