// The framework's controls in an 800 x 600 window: a framed button, an image button whose over
// look fades, a hyperlink, a check box, a horizontal and a vertical slider, edit boxes (one line,
// several lines) and a list box, a modal dialog with
// OK and CANCEL, a yes/no question asked through the application's message box (shown as a
// dialog inside the window) and a dialog drawn from a nine-part image. Every report of a control
// shows in the status line at the bottom and is printed. Dialogs can be dragged by their frame.

#include "app/RavixAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "platform/DesktopPlatform.h"
#include "widgets/ButtonListener.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Checkbox.h"
#include "widgets/CheckboxListener.h"
#include "widgets/Dialog.h"
#include "widgets/EditListener.h"
#include "widgets/EditWidget.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/ListListener.h"
#include "widgets/ListWidget.h"
#include "widgets/Slider.h"
#include "widgets/SliderListener.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using ravix::Color;
using ravix::Graphics;
using ravix::MemoryImage;
using ravix::Rect;

// Ids of the controls, and of the two dialogs the application keeps.
enum ControlId {
    kFramedButton = 1,
    kImageButton,
    kLink,
    kDialogButton,
    kQuestionButton,
    kSkinnedDialogButton,
    kCheckbox,
    kSlider,
    kVerticalSlider,
    kLineEdit,
    kNotesEdit,
    kList,
};
constexpr int kPlainDialogId = 1;
constexpr int kSkinnedDialogId = 2;
// Dialog buttons reach the application's button listener as dialog id + 2000 (the first
// button) and dialog id + 3000 (the second).
constexpr int kAcceptOffset = 2000;
constexpr int kRejectOffset = 3000;

uint32_t Pack(const Color& c) {
    return c.ToPacked();
}

Color Mix(const Color& a, const Color& b, int step, int steps) {
    auto channel = [&](int x, int y) { return x + (y - x) * step / std::max(steps, 1); };
    return Color(channel(a.mRed, b.mRed), channel(a.mGreen, b.mGreen), channel(a.mBlue, b.mBlue));
}

std::unique_ptr<MemoryImage> MakeImage(int width, int height, const std::vector<uint32_t>& px) {
    auto image = std::make_unique<MemoryImage>();
    image->SetPixels(px.data(), width, height, true);
    return image;
}

// Three looks stacked top to bottom (normal, over, down): vertical gradients with a dark
// border and transparent corners.
std::unique_ptr<MemoryImage> MakeButtonLooks(int width, int height) {
    const Color looks[3][2] = {{Color(70, 120, 200), Color(30, 60, 130)},
                               {Color(250, 180, 60), Color(210, 120, 20)},
                               {Color(170, 100, 20), Color(120, 70, 10)}};
    std::vector<uint32_t> px(static_cast<size_t>(width) * height * 3);
    for (int look = 0; look < 3; ++look) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bool corner = (x == 0 || x == width - 1) && (y == 0 || y == height - 1);
                bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                Color c = edge ? Color(15, 20, 40) : Mix(looks[look][0], looks[look][1], y, height);
                px[static_cast<size_t>(look * height + y) * width + x] = corner ? 0 : Pack(c);
            }
        }
    }
    return MakeImage(width, height * 3, px);
}

// A slider track of three 8 x 8 parts: rounded left cap, middle, rounded right cap.
std::unique_ptr<MemoryImage> MakeTrack() {
    const int part = 8;
    std::vector<uint32_t> px(static_cast<size_t>(part) * 3 * part);
    for (int y = 0; y < part; ++y) {
        for (int x = 0; x < part * 3; ++x) {
            bool groove = y >= 2 && y <= 5;
            bool capCorner = (x == 0 || x == part * 3 - 1) && (y == 2 || y == 5);
            Color c = y == 2 ? Color(40, 40, 50) : Color(150, 160, 180);
            px[static_cast<size_t>(y) * part * 3 + x] = groove && !capCorner ? Pack(c) : 0;
        }
    }
    return MakeImage(part * 3, part, px);
}

std::unique_ptr<MemoryImage> MakeThumb(int width, int height) {
    std::vector<uint32_t> px(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            Color c = edge ? Color(20, 20, 30)
                           : Mix(Color(255, 255, 255), Color(170, 180, 200), y, height);
            px[static_cast<size_t>(y) * width + x] = Pack(c);
        }
    }
    return MakeImage(width, height, px);
}

// A 24 x 24 nine-part box: a dark rim, a light bevel at the top and left, a blue-grey fill.
std::unique_ptr<MemoryImage> MakeNinePart() {
    const int size = 24;
    std::vector<uint32_t> px(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Color c(70, 90, 120);
            if (x < 2 || y < 2 || x >= size - 2 || y >= size - 2) {
                c = Color(20, 25, 40);
            } else if (x < 4 || y < 4) {
                c = Color(170, 190, 220);
            } else if (x >= size - 4 || y >= size - 4) {
                c = Color(40, 50, 75);
            }
            px[static_cast<size_t>(y) * size + x] = Pack(c);
        }
    }
    return MakeImage(size, size, px);
}

// The image turned on its side (rows become columns), for the vertical slider's track.
std::unique_ptr<MemoryImage> Transposed(MemoryImage& image) {
    int w = image.GetWidth();
    int h = image.GetHeight();
    const uint32_t* src = image.GetPixels();
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            px[static_cast<size_t>(x) * h + y] = src[static_cast<size_t>(y) * w + x];
        }
    }
    return MakeImage(h, w, px);
}

// The screen: a background with the names of the controls, the controls as its children and a
// status line with the last report.
class ControlsScreen : public ravix::Widget,
                       public ravix::ButtonListener,
                       public ravix::CheckboxListener,
                       public ravix::SliderListener,
                       public ravix::EditListener,
                       public ravix::ListListener {
public:
    explicit ControlsScreen(ravix::RavixAppBase& app)
        : mApp(app), mTitleFont("Arial Unicode MS", 20, true), mFont("Arial Unicode MS", 11),
          mButtonLooks(MakeButtonLooks(200, 40)), mTrack(MakeTrack()),
          mVerticalTrack(Transposed(*mTrack)), mThumb(MakeThumb(14, 22)),
          mVerticalThumb(MakeThumb(22, 14)) {
        Resize(0, 0, app.mScreenWidth, app.mScreenHeight);

        AddFramedButton(kFramedButton, "Framed button", Rect(60, 110, 200, 30));

        auto image = std::make_unique<ravix::ButtonWidget>(kImageButton, this);
        image->Resize(60, 190, 200, 40);
        image->mLabel = "Image button";
        image->mFaceImage = mButtonLooks.get();
        image->mHoverImage = mButtonLooks.get();
        image->mPressedImage = mButtonLooks.get();
        image->mFaceCell = Rect(0, 0, 200, 40);
        image->mHoverCell = Rect(0, 40, 200, 40);
        image->mPressedCell = Rect(0, 80, 200, 40);
        image->mHoverFadeInStep = 0.1;
        image->mHoverFadeOutStep = 0.03;
        image->mShowHandCursor = true;
        image->SetColor(ravix::ButtonWidget::kColorLabel, Color(255, 255, 255));
        image->SetColor(ravix::ButtonWidget::kColorLabelHover, Color(40, 20, 0));
        image->SetFont(&mFont);
        Adopt(std::move(image));

        auto link = std::make_unique<ravix::HyperlinkWidget>(kLink, this);
        link->Resize(60, 278, 200, 24);
        link->mLabel = "A hyperlink";
        link->mColor = Color(120, 180, 255);
        link->mHoverColor = Color(255, 255, 255);
        link->SetFont(&mFont);
        Adopt(std::move(link));

        auto box = std::make_unique<ravix::Checkbox>(nullptr, nullptr, kCheckbox, this);
        box->Resize(60, 352, 18, 18);
        box->SetOn(true, false);
        mCheckbox = box.get();
        Adopt(std::move(box));

        auto slider = std::make_unique<ravix::Slider>(mTrack.get(), mThumb.get(), kSlider, this);
        slider->Resize(60, 426, 300, 24);
        slider->SetValue(0.35);
        mSlider = slider.get();
        Adopt(std::move(slider));

        auto vertical = std::make_unique<ravix::Slider>(mVerticalTrack.get(), mVerticalThumb.get(),
                                                        kVerticalSlider, this);
        vertical->mHorizontal = false;
        vertical->Resize(420, 110, 24, 200);
        vertical->SetValue(0.7);
        mVerticalSlider = vertical.get();
        Adopt(std::move(vertical));

        auto line = std::make_unique<ravix::EditWidget>(kLineEdit, this);
        line->SetFont(&mFont);
        line->Resize(420, 350, 340, 24);
        line->SetMaxChars(60);
        line->SetText("Type here and press Enter");
        Adopt(std::move(line));

        auto notes = std::make_unique<ravix::EditWidget>(kNotesEdit, this);
        notes->SetFont(&mFont);
        notes->SetMultiLine(true);
        notes->Resize(420, 392, 165, 140);
        notes->SetText("A multi-line box wraps its words to its width. Enter starts a new line; "
                       "the wheel, the keys and the bar at the right scroll it once the text is "
                       "longer than the box.");
        Adopt(std::move(notes));

        auto list = std::make_unique<ravix::ListWidget>(kList, this);
        list->SetFont(&mFont);
        list->Resize(595, 392, 165, 140);
        for (int i = 1; i <= 20; ++i) {
            list->AddRow("Marker " + std::to_string(i) + " at " + std::to_string(i * 7) + " s");
        }
        list->SetSelected(2);
        Adopt(std::move(list));

        AddFramedButton(kDialogButton, "Open a modal dialog", Rect(500, 110, 240, 30));
        AddFramedButton(kQuestionButton, "Ask a yes/no question", Rect(500, 160, 240, 30));
        AddFramedButton(kSkinnedDialogButton, "Dialog from a nine-part image",
                        Rect(500, 210, 240, 30));
        SetStatus("Try the controls.");
    }

    ~ControlsScreen() override {
        for (auto& control : mControls) {
            DetachChild(control.get());
        }
    }

    void Draw(Graphics& g) override {
        for (int y = 0; y < mHeight; y += 4) {
            g.SetColor(Mix(Color(25, 35, 60), Color(10, 12, 25), y, mHeight));
            g.FillRect(0, y, mWidth, 4);
        }
        g.SetFont(&mTitleFont);
        g.SetColor(Color(255, 255, 255));
        g.DrawString("Ravix controls", 60, 56);
        g.SetFont(&mFont);
        g.SetColor(Color(190, 200, 220));
        const struct {
            int mX;
            int mY;
            const char* mText;
        } captions[] = {
            {60, 100, "ButtonWidget, framed"},
            {60, 180, "ButtonWidget with images; the over look fades"},
            {60, 268, "HyperlinkWidget"},
            {60, 342, "Checkbox"},
            {60, 416, "Slider"},
            {420, 100, "Vertical"},
            {500, 100, "Dialogs"},
            {420, 340, "EditWidget: one line, then several; ListWidget"},
        };
        for (const auto& caption : captions) {
            g.DrawString(caption.mText, caption.mX, caption.mY);
        }
        g.SetColor(Color(255, 255, 255));
        g.DrawString(mCheckbox->IsOn() ? "Show the slider values: on"
                                       : "Show the slider values: off",
                     88, 366);
        if (mCheckbox->IsOn()) {
            char values[64];
            std::snprintf(values, sizeof values, "%.2f", mSlider->mValue);
            g.DrawString(values, 372, 444);
            std::snprintf(values, sizeof values, "%.2f", mVerticalSlider->mValue);
            g.DrawString(values, 412, 330);
        }
        g.SetColor(Color(0, 0, 0, 140));
        g.FillRect(0, mHeight - 40, mWidth, 40);
        g.SetColor(Color(255, 230, 120));
        g.DrawString(mStatus, 20, mHeight - 15);
    }

    void SetStatus(const std::string& text) {
        mStatus = text;
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
        Invalidate();
    }

    void OnButtonClick(int id) override;
    void OnButtonHover(int id) override {
        if (id == kImageButton) {
            SetStatus("The image button's over look fades in.");
        }
    }
    void OnButtonUnhover(int id) override {
        if (id == kImageButton) {
            SetStatus("The image button's over look fades out.");
        }
    }
    void OnCheckChanged(int, bool checked) override {
        SetStatus(checked ? "Check box: checked." : "Check box: cleared.");
    }
    void OnSliderMoved(int id, double value) override {
        char text[80];
        std::snprintf(text, sizeof text, "%s slider: %.3f",
                      id == kSlider ? "Horizontal" : "Vertical", value);
        SetStatus(text);
    }

    void EditWidgetText(int, const std::string& text) override {
        SetStatus("Edit box: Enter with \"" + text + "\".");
    }
    void ListClicked(int, int index, int clickCount) override {
        SetStatus("List: row " + std::to_string(index) +
                  (clickCount == 2 ? " picked (double click or Enter)." : " clicked."));
    }

private:
    void Adopt(std::unique_ptr<ravix::Widget> control) {
        InsertChild(control.get());
        mControls.push_back(std::move(control));
    }

    void AddFramedButton(int id, const char* label, const Rect& rect) {
        auto button = std::make_unique<ravix::ButtonWidget>(id, this);
        button->Resize(rect);
        button->mLabel = label;
        button->SetFont(&mFont);
        button->SetColor(ravix::ButtonWidget::kColorLabelHover, Color(30, 60, 160));
        Adopt(std::move(button));
    }

    ravix::RavixAppBase& mApp;
    ravix::SysFont mTitleFont;
    ravix::SysFont mFont;
    std::unique_ptr<MemoryImage> mButtonLooks;
    std::unique_ptr<MemoryImage> mTrack;
    std::unique_ptr<MemoryImage> mVerticalTrack;
    std::unique_ptr<MemoryImage> mThumb;
    std::unique_ptr<MemoryImage> mVerticalThumb;
    std::unique_ptr<MemoryImage> mNinePart = MakeNinePart();
    std::vector<std::unique_ptr<ravix::Widget>> mControls;
    ravix::Checkbox* mCheckbox = nullptr;
    ravix::Slider* mSlider = nullptr;
    ravix::Slider* mVerticalSlider = nullptr;
    std::string mStatus;
};

// The application: it hears the dialogs' buttons as button ids and tells the screen.
class ControlsApp : public ravix::RavixAppBase {
public:
    using RavixAppBase::RavixAppBase;

    void OnButtonClick(int id) override {
        int dialogId = id >= kRejectOffset ? id - kRejectOffset : id - kAcceptOffset;
        bool accepted = id < kRejectOffset;
        if (mScreen != nullptr && (dialogId == kPlainDialogId || dialogId == kSkinnedDialogId)) {
            mScreen->SetStatus("Dialog " + std::to_string(dialogId) + " answered " +
                               (accepted ? "with the first button." : "with the second button."));
            DismissDialog(dialogId);
        }
    }

    ControlsScreen* mScreen = nullptr;
};

void ControlsScreen::OnButtonClick(int id) {
    switch (id) {
    case kFramedButton:
        SetStatus("The framed button was clicked.");
        break;
    case kImageButton:
        SetStatus("The image button was clicked.");
        break;
    case kLink:
        SetStatus("The hyperlink was followed.");
        break;
    case kDialogButton:
        mApp.ShowDialog(kPlainDialogId, true, "A modal dialog",
                        "While this dialog is open the controls beneath it take no clicks. "
                        "Drag it by its frame: it stops eight pixels past the edges of the "
                        "screen.",
                        "", ravix::Dialog::kOkCancel);
        break;
    case kQuestionButton: {
        int answer = mApp.ShowMessageBox("Do you like these controls?", "A question",
                                         ravix::kMessageBoxYesNo | ravix::kMessageBoxIconQuestion);
        SetStatus(answer == ravix::kMessageBoxResultYes ? "The answer was yes."
                                                        : "The answer was no.");
        break;
    }
    case kSkinnedDialogButton: {
        auto* dialog =
            new ravix::Dialog(&mApp, mNinePart.get(), kSkinnedDialogId, true, "A nine-part frame",
                              "The frame and the buttons are drawn from one 24 x 24 "
                              "picture cut into nine parts.",
                              "Close", ravix::Dialog::kFooterButton);
        dialog->SetColor(ravix::Dialog::kColorBody, Color(230, 235, 245));
        dialog->SetColor(ravix::Dialog::kColorButtonLabel, Color(255, 255, 255));
        dialog->SetColor(ravix::Dialog::kColorButtonLabelHover, Color(255, 220, 120));
        mApp.RegisterDialog(dialog);
        break;
    }
    default:
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    std::unique_ptr<ravix::Platform> platform = ravix::OpenDesktopPlatform(argc, argv, error);
    if (platform == nullptr) {
        std::fprintf(stderr, "controls_demo: %s\n", error.c_str());
        return 1;
    }
    auto app = std::make_unique<ControlsApp>(std::move(platform));
    app->mProductName = "RavixControlsDemo";
    app->mWindowCaption = "Ravix controls";
    app->mScreenWidth = 800;
    app->mScreenHeight = 600;
    ravix::gApplication = app.get();
    app->Initialize();
    {
        ControlsScreen screen(*app);
        app->mScreen = &screen;
        app->mWidgets->InsertChild(&screen);
        app->Run();
        app->mScreen = nullptr;
        app->mWidgets->DetachChild(&screen);
    }
    app.reset();
    return 0;
}
