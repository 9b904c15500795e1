#pragma once

#include <string>

namespace ravix {

// What an edit box tells its owner, by the box's id.
class EditListener {
public:
    virtual ~EditListener() = default;
    // Enter was pressed in a single-line box.
    virtual void EditWidgetText(int /*id*/, const std::string& /*text*/) {}
    // Whether c may be typed or pasted into the box; the default takes every character.
    virtual bool AllowChar(int /*id*/, char /*c*/) { return true; }
    // The user changed the text (typing, deleting, pasting); not called for SetText.
    virtual void EditTextChanged(int /*id*/, const std::string& /*text*/) {}
};

} // namespace ravix
