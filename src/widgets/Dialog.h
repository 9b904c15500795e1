#pragma once

#include "graphics/Font.h"
#include "widgets/ButtonListener.h"
#include "widgets/DialogButton.h"
#include "widgets/Widget.h"

#include <climits>
#include <memory>
#include <string>

namespace ravix {

class DialogListener;
class Image;
class WidgetHost;

// The framework's movable message box: a frame (a nine-part image or the default white box with
// a drop shadow), a centred header, word-wrapped body text, an optional centred footer and up to
// two buttons. The buttons are siblings of the dialog in the widget manager, kept just above it.
// A button press is reported to the owner (the application) with the dialog's id, and the id of
// the button that closed the dialog becomes its result.
class Dialog : public Widget, public ButtonListener {
public:
    // Button ids: the first button (yes, OK or the footer button) and the second (no, cancel).
    static constexpr int kAcceptId = 1000;
    static constexpr int kRejectId = 1001;
    // mResult until a button answers.
    static constexpr int kNoResult = INT_MAX;
    // Button sets (mButtonSet).
    static constexpr int kNoButtons = 0;
    static constexpr int kYesNo = 1;
    static constexpr int kOkCancel = 2;
    static constexpr int kFooterButton = 3; // one button labelled with the footer text
    // Colour table indices.
    static constexpr int kColorHeader = 0;
    static constexpr int kColorBody = 1;
    static constexpr int kColorFooter = 2;
    static constexpr int kColorButtonLabel = 3;
    static constexpr int kColorButtonLabelHover = 4;
    static constexpr int kColorFrameOutline = 5;
    static constexpr int kColorFrameFill = 6;
    // The default frame leaves this margin for its shadow, and dragging stops this far past the
    // screen edges.
    static constexpr int kScreenEdgeSlack = 8;
    // The focus group of a dialog's buttons is this plus its id.
    static constexpr int kButtonGroupBase = 0x10000;

    // The host (may be null) gives the owner listener and the button labels; later requests go
    // to the host of the manager the dialog is in, or to this one outside a tree.
    Dialog(WidgetHost* host, Image* frameImage, int id, bool modal, std::string header,
           std::string body, std::string footer, int buttonSet);
    // Leaves the tree (taking the buttons along) before the buttons go.
    ~Dialog() override;

    void OnAttached(WidgetManager* manager) override;
    void OnDetached(WidgetManager* manager) override;
    void OnReordered() override;
    void SetColor(int index, const Color& color) override;
    using Widget::Resize;
    void Resize(int x, int y, int width, int height) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y, int button, int clicks) override;
    void Draw(Graphics& g) override;
    // Enter activates mEnterButton, Escape mEscapeButton (the keys its controls pass on).
    void KeyDown(int key) override;

    // Virtual operations added by dialogs, in slot order.
    // Each button, the header and the body keep their own copy of the font.
    virtual void SetButtonFont(const Font* font);
    virtual void SetTitleFont(const Font* font);
    virtual void SetBodyFont(const Font* font);
    // The height that shows everything at the given width.
    [[nodiscard]] virtual int PreferredHeight(int width);
    [[nodiscard]] virtual bool IsModal();
    // Runs the application's main-loop passes until a button answers, the dialog leaves the
    // widget manager or the loop ends; dismisses the dialog when asked. Returns the result:
    // kAcceptId, kRejectId, 0 when dismissed without an answer, kNoResult when still open.
    virtual int RunUntilAnswered(bool dismiss);

    // Reports the buttons to the owner with the dialog's id.
    using ButtonListener::OnButtonDown;
    void OnButtonDown(int id) override;
    void OnButtonClick(int id) override;

    // Gives the keyboard focus to mEnterButton, when it is in the tree.
    void FocusEnterButton();
    // A control of the dialog passes the keys it does not use to the dialog; with a group it
    // joins the arrow-key group of the dialog's buttons.
    void AdoptKeys(Widget& control, bool buttonGroup);

    [[nodiscard]] DialogButton* AcceptButton() const { return mAcceptButton.get(); }
    [[nodiscard]] DialogButton* RejectButton() const { return mRejectButton.get(); }

    DialogListener* mOwnerListener = nullptr;
    WidgetHost* mHost = nullptr; // the host the dialog was made with; may be null
    Image* mFrameImage = nullptr;
    std::unique_ptr<DialogButton> mAcceptButton;
    std::unique_ptr<DialogButton> mRejectButton;
    int mButtonCount = 0;
    std::string mTitleText;
    std::string mFooterText;
    std::string mBodyText;
    int mButtonSet = kNoButtons;
    std::unique_ptr<Font> mTitleFont;
    std::unique_ptr<Font> mBodyFont;
    int mBodyAlign = 0;         // justification of the body text
    int mLineSpacingOffset = 0; // added to the body font's line spacing
    int mButtonRowHeight = 24;
    Insets mFrameInsets;
    Insets mBodyInsets{24, 24, 24, 24};
    int mTitleGap = 10;    // between the header and the body
    bool mGrabbed = false; // being dragged
    int mGrabX = 0;        // the grab point inside the dialog
    int mGrabY = 0;
    int mId = 0;
    bool mIsModal = false;
    int mResult = kNoResult;
    int mButtonGap = 8;
    int mButtonMargin = 0;
    // The buttons Enter and Escape choose (non-owning; null: the key does nothing). By default
    // the first button and the second, or the only button for both.
    ButtonWidget* mEnterButton = nullptr;
    ButtonWidget* mEscapeButton = nullptr;

private:
    // The host of the manager the dialog is in, else the one it was made with.
    [[nodiscard]] WidgetHost* Host() const;
    // What RunUntilAnswered needs to know once the dialog may have been deleted under it.
    struct Outcome {
        bool mAlive = true;
        int mResult = kNoResult;
    };

    // Makes the header and body fonts that were not given.
    void EnsureFonts();
    [[nodiscard]] bool HasFooterLine() const;
    // The width the body text wraps into for a dialog of the given width.
    [[nodiscard]] int BodyWidth(int dialogWidth) const;
    [[nodiscard]] int BodyLineSpacing() const;
    void LayOutButtons();
    void DrawFrame(Graphics& g);
    // The buttons that exist, first to last.
    template <class Visit>
    void ForEachButton(Visit visit);

    std::shared_ptr<Outcome> mOutcome = std::make_shared<Outcome>();
};

} // namespace ravix
