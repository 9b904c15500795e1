#pragma once

namespace ravix {

class Widget;

// The few things widgets ask of the application object. Without one (tests, tools) cursor
// requests are ignored and widgets are deleted at once.

// Shows the hand cursor (true) or the normal one.
void RequestHandCursor(bool hand);
// Deletes w once the pass that may still reach it is over.
void DeleteWidgetAfterPass(Widget* w);

} // namespace ravix
