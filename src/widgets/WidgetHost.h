#pragma once

#include <memory>
#include <string>

namespace ravix {

class DialogListener;
class Font;
class Widget;
class WidgetManager;

// What widgets ask of the application that shows them. The widget manager carries it (given
// when the manager is made) and widgets reach it through their manager; RavixAppBase implements
// it. Without one (tests, tools, a widget outside a tree) cursor requests are ignored, widgets
// are deleted at once, texts keep their defaults and dialogs have no listener.
class WidgetHost {
public:
    virtual ~WidgetHost() = default;

    // Shows the cursor with the given number: 0 arrow, 1 pointing hand, 2 grabbing hand, ...
    virtual void SetCursorNumber(int number) = 0;
    // Deletes w once the pass that may still reach it is over.
    virtual void DeferDeleteWidget(Widget* w) = 0;
    // The user-visible text of a string id, or the default.
    virtual std::string GetString(const std::string& id, const std::string& defaultText) const = 0;
    // The system clipboard's text.
    virtual std::string GetClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // Hears the buttons of the dialogs the host keeps.
    virtual DialogListener* GetDialogListener() = 0;
    // Runs one pass of the main loop (updated tells whether it updated); false once the loop
    // ends.
    virtual bool RunPass(bool& updated) = 0;
    // Takes the dialog with the id down; false when there is none.
    virtual bool DismissDialog(int id) = 0;

protected:
    WidgetHost() = default;
    WidgetHost(const WidgetHost&) = default;
    WidgetHost& operator=(const WidgetHost&) = default;
};

// The host of the manager's tree; null without a manager or a host.
WidgetHost* HostOf(const WidgetManager* manager);

// The requests below do what the host does, or the default without one.

// Shows the hand cursor (true) or the normal one.
void RequestHandCursor(WidgetHost* host, bool hand);
void RequestCursorNumber(WidgetHost* host, int number);
void DeleteWidgetAfterPass(WidgetHost* host, Widget* w);
std::string LookupString(WidgetHost* host, const std::string& id, const std::string& defaultText);
// Empty without a host.
std::string ReadClipboardText(WidgetHost* host);
void WriteClipboardText(WidgetHost* host, const std::string& text);
DialogListener* HostDialogListener(WidgetHost* host);

// The system font the controls use when none is given: "Arial Unicode MS" at the point size,
// or the installed face that stands in for it.
std::unique_ptr<Font> CreateDefaultFont(int pointSize, bool bold = false);

} // namespace ravix
