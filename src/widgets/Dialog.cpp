#include "widgets/Dialog.h"

#include "base/Verify.h"
#include "graphics/Graphics.h"
#include "platform/KeyCodes.h"
#include "widgets/DialogListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace ravix {

namespace {

constexpr int kDefaultColors[][3] = {
    {255, 255, 255}, // header
    {255, 255, 0},   // body
    {255, 255, 255}, // footer
    {0, 0, 0},       // button label
    {255, 255, 255}, // button label while over
    {80, 80, 80},    // default frame outline
    {36, 40, 52},    // default frame fill: dark, for the light header and body texts
};

constexpr int kTitlePointSize = 14;
constexpr int kBodyPointSize = 12;
constexpr int kArrowCursor = 0;
constexpr int kGrabCursor = 2;
// Space above the footer line and around the button row.
constexpr int kSectionGap = 8;

// lo wins when the range is empty.
int KeepWithin(int value, int lo, int hi) {
    return std::max(lo, std::min(value, hi));
}

} // namespace

Dialog::Dialog(WidgetHost* host, Image* frameImage, int id, bool modal, std::string header,
               std::string body, std::string footer, int buttonSet)
    : mOwnerListener(HostDialogListener(host)), mHost(host), mFrameImage(frameImage),
      mTitleText(std::move(header)), mFooterText(std::move(footer)), mBodyText(std::move(body)),
      mButtonSet(buttonSet), mId(id), mIsModal(modal) {
    RAVIX_VERIFY(buttonSet >= kNoButtons && buttonSet <= kFooterButton, "unknown button set");
    mHasHoles = true;
    mBlendsWithBelow = true;
    mDrawPriority = 1;
    auto makeButton = [this](int buttonId, std::string label) {
        auto button = std::make_unique<DialogButton>(mFrameImage, buttonId, this);
        button->mLabel = std::move(label);
        return button;
    };
    switch (buttonSet) {
    case kYesNo:
        mAcceptButton = makeButton(kAcceptId, LookupString(host, "DIALOG_BUTTON_YES", "YES"));
        mRejectButton = makeButton(kRejectId, LookupString(host, "DIALOG_BUTTON_NO", "NO"));
        break;
    case kOkCancel:
        mAcceptButton = makeButton(kAcceptId, LookupString(host, "DIALOG_BUTTON_OK", "OK"));
        mRejectButton = makeButton(kRejectId, LookupString(host, "DIALOG_BUTTON_CANCEL", "CANCEL"));
        break;
    case kFooterButton:
        mAcceptButton = makeButton(kAcceptId, mFooterText);
        break;
    default:
        break;
    }
    mButtonCount = (mAcceptButton != nullptr) + (mRejectButton != nullptr);
    mEnterButton = mAcceptButton.get();
    mEscapeButton = mRejectButton != nullptr ? mRejectButton.get() : mAcceptButton.get();
    ForEachButton([this](DialogButton& button) { AdoptKeys(button, true); });
    // After the buttons: the button label colours reach them.
    SetColors(kDefaultColors, static_cast<int>(std::size(kDefaultColors)));
}

Dialog::~Dialog() {
    mOutcome->mAlive = false;
    mOutcome->mResult = mResult;
    if (mParent != nullptr) {
        mParent->DetachChild(this);
    }
}

void Dialog::OnAttached(WidgetManager* manager) {
    Widget::OnAttached(manager);
    ForEachButton([&](DialogButton& button) {
        button.mStackOrder = mStackOrder;
        manager->InsertChild(&button);
    });
}

void Dialog::KeyDown(int key) {
    ButtonWidget* chosen = key == kKeyEnter    ? mEnterButton
                           : key == kKeyEscape ? mEscapeButton
                                               : nullptr;
    if (chosen != nullptr) {
        chosen->Activate();
        return;
    }
    Widget::KeyDown(key);
}

void Dialog::FocusEnterButton() {
    if (mManager != nullptr && mEnterButton != nullptr && mEnterButton->mManager == mManager) {
        mManager->FocusWidget(mEnterButton);
    }
}

void Dialog::AdoptKeys(Widget& control, bool buttonGroup) {
    control.mKeyFallback = this;
    if (buttonGroup) {
        // A group of its own per dialog: the arrows never leave for another dialog's buttons.
        control.mFocusGroup = kButtonGroupBase + mId;
    }
}

void Dialog::OnDetached(WidgetManager* manager) {
    Widget::OnDetached(manager);
    ForEachButton([&](DialogButton& button) { manager->DetachChild(&button); });
}

void Dialog::OnReordered() {
    if (mParent == nullptr) {
        return;
    }
    // The last one placed ends up nearest: place them last first to keep their order.
    for (DialogButton* button : {mRejectButton.get(), mAcceptButton.get()}) {
        if (button != nullptr) {
            mParent->PlaceAbove(button, this);
        }
    }
}

void Dialog::SetColor(int index, const Color& color) {
    Widget::SetColor(index, color);
    if (index == kColorButtonLabel || index == kColorButtonLabelHover) {
        int buttonIndex =
            index == kColorButtonLabel ? ButtonWidget::kColorLabel : ButtonWidget::kColorLabelHover;
        ForEachButton([&](DialogButton& button) { button.SetColor(buttonIndex, color); });
    }
}

void Dialog::Resize(int x, int y, int width, int height) {
    Widget::Resize(x, y, width, height);
    LayOutButtons();
}

void Dialog::MouseDown(int x, int y, int, int clicks) {
    if (clicks != 1) {
        return;
    }
    RequestCursorNumber(Host(), kGrabCursor);
    mGrabbed = true;
    mGrabX = x;
    mGrabY = y;
}

void Dialog::MouseDrag(int x, int y) {
    if (!mGrabbed || mManager == nullptr) {
        return;
    }
    // The dialog follows the pointer until it is kScreenEdgeSlack past a screen edge; the grab
    // point then slides so that the dialog follows again as soon as the pointer turns back.
    auto follow = [](int position, int pointer, int& grab, int size, int screenSize) {
        int wanted = position + pointer - grab;
        int allowed = KeepWithin(wanted, -kScreenEdgeSlack, screenSize - size + kScreenEdgeSlack);
        grab = KeepWithin(grab + wanted - allowed, kScreenEdgeSlack, size - kScreenEdgeSlack - 1);
        return allowed;
    };
    int newX = follow(mX, x, mGrabX, mWidth, mManager->mWidth);
    int newY = follow(mY, y, mGrabY, mHeight, mManager->mHeight);
    Move(newX, newY);
}

void Dialog::MouseUp(int, int, int, int) {
    if (mGrabbed) {
        RequestCursorNumber(Host(), kArrowCursor);
        mGrabbed = false;
    }
}

void Dialog::Draw(Graphics& g) {
    EnsureFonts();
    DrawFrame(g);
    const Insets& frame = mFrameInsets;
    const Insets& body = mBodyInsets;
    int y = body.mTop + frame.mTop;
    bool above = false; // something is drawn above y
    if (!mTitleText.empty() && mTitleFont != nullptr) {
        int lineHeight = mTitleFont->GetHeight() - mTitleFont->GetAscentPadding();
        g.SetFont(mTitleFont.get());
        g.SetColor(GetColor(kColorHeader));
        DrawCenteredText(g, y + lineHeight, mTitleText);
        y += lineHeight;
        above = true;
    }
    if (!mBodyText.empty() && mBodyFont != nullptr) {
        if (above) {
            y += mTitleGap;
        }
        g.SetFont(mBodyFont.get());
        g.SetColor(GetColor(kColorBody));
        Rect area(frame.mLeft + body.mLeft + 2, y, BodyWidth(mWidth), mHeight - y);
        y += DrawWrappedText(g, area, mBodyText, BodyLineSpacing(), mBodyAlign);
        above = true;
    }
    if (HasFooterLine() && mTitleFont != nullptr) {
        g.SetFont(mTitleFont.get());
        g.SetColor(GetColor(kColorFooter));
        int baseline = y + (above ? kSectionGap : 0) + mTitleFont->GetLineSpacing();
        DrawCenteredText(g, baseline, mFooterText);
    }
}

void Dialog::SetButtonFont(const Font* font) {
    ForEachButton([&](DialogButton& button) { button.SetFont(font); });
}

void Dialog::SetTitleFont(const Font* font) {
    mTitleFont = font != nullptr ? font->Duplicate() : nullptr;
}

void Dialog::SetBodyFont(const Font* font) {
    mBodyFont = font != nullptr ? font->Duplicate() : nullptr;
}

int Dialog::PreferredHeight(int width) {
    EnsureFonts();
    const Insets& frame = mFrameInsets;
    const Insets& body = mBodyInsets;
    int height = body.mTop + body.mBottom + frame.mTop + frame.mBottom;
    bool something = false;
    if (!mTitleText.empty() && mTitleFont != nullptr) {
        height += mTitleFont->GetHeight() - mTitleFont->GetAscentPadding();
        something = true;
    }
    if (!mBodyText.empty() && mBodyFont != nullptr) {
        if (something) {
            height += mTitleGap;
        }
        Graphics measure;
        measure.SetFont(mBodyFont.get());
        height += MeasureWrappedText(measure, BodyWidth(width), mBodyText, BodyLineSpacing());
        something = true;
    }
    if (HasFooterLine() && mTitleFont != nullptr) {
        height += (something ? kSectionGap : 0) + mTitleFont->GetLineSpacing();
        something = true;
    }
    if (mAcceptButton != nullptr) {
        height += (something ? kSectionGap : 0) + mButtonRowHeight + kSectionGap;
    }
    return height;
}

WidgetHost* Dialog::Host() const {
    WidgetHost* host = HostOf(mManager);
    return host != nullptr ? host : mHost;
}

bool Dialog::IsModal() {
    return mIsModal;
}

int Dialog::RunUntilAnswered(bool dismiss) {
    WidgetHost* host = Host();
    RAVIX_VERIFY(host != nullptr, "RunUntilAnswered needs the application");
    // A pass may dismiss and delete this dialog; the outcome outlives it.
    std::shared_ptr<Outcome> outcome = mOutcome;
    bool updated = false;
    while (outcome->mAlive && mManager != nullptr && mResult == kNoResult &&
           host->RunPass(updated)) {
    }
    if (!outcome->mAlive) {
        return outcome->mResult;
    }
    if (dismiss) {
        host->DismissDialog(mId);
    }
    return mResult;
}

void Dialog::OnButtonDown(int id) {
    if ((id == kAcceptId || id == kRejectId) && mOwnerListener != nullptr) {
        mOwnerListener->OnDialogButtonDown(mId, id);
    }
}

void Dialog::OnButtonClick(int id) {
    if (id != kAcceptId && id != kRejectId) {
        return;
    }
    mResult = id;
    if (mOwnerListener != nullptr) {
        mOwnerListener->OnDialogButtonClick(mId, id);
    }
}

void Dialog::EnsureFonts() {
    if (mTitleFont == nullptr) {
        mTitleFont = CreateDefaultFont(kTitlePointSize);
    }
    if (mBodyFont == nullptr) {
        mBodyFont = CreateDefaultFont(kBodyPointSize);
    }
}

bool Dialog::HasFooterLine() const {
    return !mFooterText.empty() && mButtonSet != kFooterButton;
}

int Dialog::BodyWidth(int dialogWidth) const {
    return dialogWidth - mBodyInsets.mLeft - mBodyInsets.mRight - mFrameInsets.mLeft -
           mFrameInsets.mRight - 4;
}

int Dialog::BodyLineSpacing() const {
    return mBodyFont->GetLineSpacing() + mLineSpacingOffset;
}

void Dialog::LayOutButtons() {
    if (mAcceptButton == nullptr) {
        return;
    }
    const Insets& frame = mFrameInsets;
    const Insets& body = mBodyInsets;
    int x = mX + frame.mLeft + body.mLeft + mButtonMargin;
    int y = mY + mHeight - body.mBottom - frame.mBottom - mButtonRowHeight;
    int inner = mWidth - body.mLeft - body.mRight - frame.mLeft - frame.mRight;
    if (mRejectButton == nullptr) {
        mAcceptButton->Resize(x, y, inner, mButtonRowHeight);
        return;
    }
    int width = (inner - 2 * mButtonMargin - mButtonGap) / 2;
    mAcceptButton->Resize(x, y, width, mButtonRowHeight);
    mRejectButton->Resize(x + width + mButtonGap, y, width, mButtonRowHeight);
}

void Dialog::DrawFrame(Graphics& g) {
    const Insets& frame = mFrameInsets;
    if (mFrameImage != nullptr) {
        g.DrawNinePatch(Rect(frame.mLeft, frame.mTop, mWidth - frame.mLeft - frame.mRight,
                             mHeight - frame.mTop - frame.mBottom),
                        mFrameImage);
        return;
    }
    // A white box with a grey outline inside a 12-pixel margin, and a half-transparent shadow
    // along its right and bottom edges.
    int w = mWidth;
    int h = mHeight;
    g.SetColor(GetColor(kColorFrameFill));
    g.FillRect(12, 12, w - 25, h - 25);
    g.SetColor(GetColor(kColorFrameOutline));
    g.DrawRect(13, 13, w - 26, h - 26);
    g.SetColor(Color(0, 0, 0, 128));
    g.FillRect(w - 12, 24, 12, h - 36);
    g.FillRect(24, h - 12, w - 24, 12);
}

template <class Visit>
void Dialog::ForEachButton(Visit visit) {
    for (DialogButton* button : {mAcceptButton.get(), mRejectButton.get()}) {
        if (button != nullptr) {
            visit(*button);
        }
    }
}

} // namespace ravix
