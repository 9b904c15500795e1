#pragma once

#include "widgets/Dialog.h"
#include "widgets/EditListener.h"
#include "widgets/EditWidget.h"
#include "widgets/ListListener.h"
#include "widgets/ListWidget.h"

#include <string>

namespace ravix {

// A small modal box of the demo player, in the "Tahoma" face: a title, one field and the
// buttons "Ok" and "Cancel". The "Jump To Time" box holds an edit field, the "Marker List" box a
// list (inset 10 pixels on each side). Enter in the edit field and a double click on a list row
// answer like "Ok"; the answer reaches the owner as the dialog's accept button.
class DemoPlaybackBox : public Dialog, public EditListener, public ListListener {
public:
    enum class Kind { JumpToTime, MarkerList };

    DemoPlaybackBox(WidgetHost* host, Kind kind, int id);
    ~DemoPlaybackBox() override;

    using Dialog::Resize;
    void Resize(int x, int y, int width, int height) override;

    void EditWidgetText(int id, const std::string& text) override;
    void ListClicked(int id, int index, int clickCount) override;

    // The field of the box's kind (null for the other one).
    EditWidget* Edit() { return mKind == Kind::JumpToTime ? &mEdit : nullptr; }
    ListWidget* List() { return mKind == Kind::MarkerList ? &mList : nullptr; }

    static constexpr int kWidth = 320;
    static constexpr int kJumpHeight = 160;
    static constexpr int kListHeight = 300;
    static constexpr int kListInset = 10;

private:
    Kind mKind;
    EditWidget mEdit{0, this};
    ListWidget mList{0, this};
};

} // namespace ravix
