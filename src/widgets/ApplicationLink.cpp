#include "widgets/ApplicationLink.h"

#include "app/RavixAppBase.h"
#include "graphics/SysFont.h"
#include "widgets/Widget.h"

namespace ravix {

void RequestHandCursor(bool hand) {
    if (gApplication != nullptr) {
        gApplication->SetHandCursor(hand);
    }
}

void RequestCursorNumber(int number) {
    if (gApplication != nullptr) {
        gApplication->SetCursorNumber(number);
    }
}

void DeleteWidgetAfterPass(Widget* w) {
    if (gApplication != nullptr) {
        gApplication->DeferDelete(w);
    } else {
        delete w;
    }
}

std::string LookupString(const std::string& id, const std::string& defaultText) {
    return gApplication != nullptr ? gApplication->GetString(id, defaultText) : defaultText;
}

std::string ReadClipboardText() {
    return gApplication != nullptr ? gApplication->GetPlatform().GetClipboardText() : std::string();
}

void WriteClipboardText(const std::string& text) {
    if (gApplication != nullptr) {
        gApplication->GetPlatform().SetClipboardText(text);
    }
}

DialogListener* ApplicationDialogListener() {
    return gApplication;
}

std::unique_ptr<Font> CreateDefaultFont(int pointSize, bool bold) {
    return std::make_unique<SysFont>("Arial Unicode MS", pointSize, bold);
}

} // namespace ravix
