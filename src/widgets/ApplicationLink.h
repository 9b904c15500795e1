#pragma once

#include <memory>
#include <string>

namespace ravix {

class DialogListener;
class Font;
class Widget;

// The few things widgets ask of the application object. Without one (tests, tools) cursor
// requests are ignored, widgets are deleted at once, texts keep their defaults and dialogs have
// no listener.

// Shows the hand cursor (true) or the normal one.
void RequestHandCursor(bool hand);
// Shows the cursor with the given number: 0 arrow, 1 pointing hand, 2 grabbing hand, ...
void RequestCursorNumber(int number);
// Deletes w once the pass that may still reach it is over.
void DeleteWidgetAfterPass(Widget* w);
// The user-visible text of a string id, or the default.
std::string LookupString(const std::string& id, const std::string& defaultText);
// The system clipboard's text; empty without an application.
std::string ReadClipboardText();
void WriteClipboardText(const std::string& text);
// The application, which hears the buttons of the dialogs it keeps.
DialogListener* ApplicationDialogListener();

// The system font the controls use when none is given: "Arial Unicode MS" at the point size,
// or the installed face that stands in for it.
std::unique_ptr<Font> CreateDefaultFont(int pointSize, bool bold = false);

} // namespace ravix
