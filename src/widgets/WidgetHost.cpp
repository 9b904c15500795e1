#include "widgets/WidgetHost.h"

#include "graphics/SysFont.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace ravix {

WidgetHost* HostOf(const WidgetManager* manager) {
    return manager != nullptr ? manager->GetHost() : nullptr;
}

void RequestHandCursor(WidgetHost* host, bool hand) {
    RequestCursorNumber(host, hand ? 1 : 0);
}

void RequestCursorNumber(WidgetHost* host, int number) {
    if (host != nullptr) {
        host->SetCursorNumber(number);
    }
}

void DeleteWidgetAfterPass(WidgetHost* host, Widget* w) {
    if (host != nullptr) {
        host->DeferDeleteWidget(w);
    } else {
        delete w;
    }
}

std::string LookupString(WidgetHost* host, const std::string& id, const std::string& defaultText) {
    return host != nullptr ? host->GetString(id, defaultText) : defaultText;
}

std::string ReadClipboardText(WidgetHost* host) {
    return host != nullptr ? host->GetClipboardText() : std::string();
}

void WriteClipboardText(WidgetHost* host, const std::string& text) {
    if (host != nullptr) {
        host->SetClipboardText(text);
    }
}

DialogListener* HostDialogListener(WidgetHost* host) {
    return host != nullptr ? host->GetDialogListener() : nullptr;
}

std::unique_ptr<Font> CreateDefaultFont(int pointSize, bool bold) {
    return std::make_unique<SysFont>("Arial Unicode MS", pointSize, bold);
}

} // namespace ravix
