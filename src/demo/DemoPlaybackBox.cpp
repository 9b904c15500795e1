#include "demo/DemoPlaybackBox.h"

#include "graphics/SysFont.h"

namespace ravix {

namespace {

constexpr const char* kFace = "Tahoma";
constexpr int kTitlePointSize = 12;
constexpr int kFieldPointSize = 10;
// The field lies between the title and the buttons.
constexpr int kFieldTop = 48;
constexpr int kFieldBottomMargin = 56;
constexpr int kEditInset = 24;
constexpr int kEditHeight = 24;

} // namespace

DemoPlaybackBox::DemoPlaybackBox(WidgetHost* host, Kind kind, int id)
    : Dialog(host, nullptr, id, true, kind == Kind::JumpToTime ? "Jump To Time" : "Marker List", "",
             "", kOkCancel),
      mKind(kind) {
    const SysFont title(kFace, kTitlePointSize);
    const SysFont field(kFace, kFieldPointSize);
    SetTitleFont(&title);
    SetButtonFont(&field);
    mAcceptButton->mLabel = "Ok";
    mRejectButton->mLabel = "Cancel";
    if (kind == Kind::JumpToTime) {
        mEdit.SetFont(&field);
        InsertChild(&mEdit);
    } else {
        mList.SetFont(&field);
        InsertChild(&mList);
    }
}

DemoPlaybackBox::~DemoPlaybackBox() {
    DetachChild(mKind == Kind::JumpToTime ? static_cast<Widget*>(&mEdit) : &mList);
}

void DemoPlaybackBox::Resize(int x, int y, int width, int height) {
    Dialog::Resize(x, y, width, height);
    const int fieldHeight = height - kFieldTop - kFieldBottomMargin;
    if (mKind == Kind::JumpToTime) {
        mEdit.Resize(kEditInset, kFieldTop + (fieldHeight - kEditHeight) / 2,
                     width - 2 * kEditInset, kEditHeight);
    } else {
        mList.Resize(kListInset, kFieldTop, width - 2 * kListInset, fieldHeight);
    }
}

void DemoPlaybackBox::EditWidgetText(int, const std::string&) {
    OnButtonClick(kAcceptId);
}

void DemoPlaybackBox::ListClicked(int, int, int clickCount) {
    if (clickCount == 2) {
        OnButtonClick(kAcceptId);
    }
}

} // namespace ravix
