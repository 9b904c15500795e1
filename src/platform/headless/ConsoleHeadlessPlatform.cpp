#include "platform/headless/ConsoleHeadlessPlatform.h"

#include <cstdio>
#include <cstdlib>

namespace ravix {

int ConsoleHeadlessPlatform::ShowMessageBox(const std::string& text, const std::string& caption,
                                            int flags) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if ((flags & 0xF0) == kMessageBoxIconError) {
        mErrorShown = true;
    }
    return HeadlessPlatform::ShowMessageBox(text, caption, flags);
}

void ConsoleHeadlessPlatform::DebugOutput(const std::string& text) {
    HeadlessPlatform::DebugOutput(text);
    if (DiagnosticsShown()) {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

int ConsoleHeadlessPlatform::ExitCodeFor(int code) const {
    return code == 0 && mErrorShown ? 1 : code;
}

void ConsoleHeadlessPlatform::EndProcess(int code) {
    std::fflush(nullptr);
    std::_Exit(ExitCodeFor(code));
}

} // namespace ravix
