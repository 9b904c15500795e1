// The application's dialogs: showing and dismissing them, their buttons heard as button ids,
// running the main loop until one is answered, and message boxes asked in the window.

#include "AppTestSupport.h"

#include "graphics/MemoryImage.h"
#include "graphics/TestFont.h"
#include "widgets/Dialog.h"
#include "widgets/RecordingWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ravix;
using ravix::testing::HeadlessApp;
using ravix::testing::TempHome;

namespace {

// The game's screen size; dialogs get the test font; button ids and modal hooks are logged.
class DialogApp : public HeadlessApp {
public:
    DialogApp() {
        mScreenWidth = 800;
        mScreenHeight = 600;
    }

    Dialog* CreateDialogWidget(int id, bool modal, const std::string& header,
                               const std::string& body, const std::string& footer,
                               int buttonSet) override {
        Dialog* dialog =
            HeadlessApp::CreateDialogWidget(id, modal, header, body, footer, buttonSet);
        test::TestFont font;
        dialog->SetTitleFont(&font);
        dialog->SetBodyFont(&font);
        dialog->SetButtonFont(&font);
        return dialog;
    }
    using ButtonListener::OnButtonDown;
    void OnButtonDown(int id) override { mLog.push_back("down " + std::to_string(id)); }
    void OnButtonClick(int id) override {
        mLog.push_back("click " + std::to_string(id));
        if (mOnClick) {
            mOnClick(id);
        }
    }
    void OnModalOpened() override { mLog.push_back("modal opened"); }
    void OnModalClosed() override { mLog.push_back("modal closed"); }

    // Presses and releases the mouse over the widget's centre.
    void ClickOn(const Widget& w) {
        int x = w.mX + w.mWidth / 2;
        int y = w.mY + w.mHeight / 2;
        mWidgets->MouseMove(x, y);
        mWidgets->MouseDown(x, y, 1);
        mWidgets->MouseUp(x, y, 1);
    }

    test::Log mLog;
    std::function<void(int)> mOnClick;
};

// The first dialog among the top-level widgets.
Dialog* FirstDialog(WidgetManager& widgets) {
    for (Widget* w : widgets.mChildren) {
        if (auto* dialog = dynamic_cast<Dialog*>(w)) {
            return dialog;
        }
    }
    return nullptr;
}

} // namespace

TEST(AppDialogs, ShownDialogIsPlacedMadeModalAndHeardThroughButtonIds) {
    DialogApp app;
    Dialog* dialog = app.ShowDialog(5, true, "Head", "Body", "", Dialog::kOkCancel);
    // Half the screen wide, centred, a fifth down; as high as it asks (test font: 120).
    EXPECT_EQ(dialog->GetRect(), Rect(200, 120, 400, 120));
    EXPECT_EQ(app.FindDialog(5), dialog);
    EXPECT_EQ(app.mWidgets->mModalWidget, dialog);
    EXPECT_EQ(dialog->mOwnerListener, &app);

    app.ClickOn(*dialog->AcceptButton());
    app.ClickOn(*dialog->RejectButton());
    EXPECT_EQ(dialog->mResult, Dialog::kRejectId);
    EXPECT_EQ(app.mLog,
              (test::Log{"modal opened", "down 2005", "click 2005", "down 3005", "click 3005"}));
    app.mLog.clear();

    // Showing another under the same id replaces it; the old one goes after the pass.
    Dialog* second = app.ShowDialog(5, false, "Again", "", "", Dialog::kYesNo);
    EXPECT_EQ(app.mLog, (test::Log{"modal closed"}));
    EXPECT_EQ(app.mWidgets->mModalWidget, nullptr);
    EXPECT_FALSE(app.mWidgets->HasChild(dialog));
    EXPECT_EQ(app.DeferredDeleteCount(), 1);
    EXPECT_EQ(app.FindDialog(5), second);
    EXPECT_EQ(app.CountDialogs(), 1);
    EXPECT_TRUE(app.DismissDialog(second));
    EXPECT_EQ(second->mResult, 0); // dismissed unanswered
    EXPECT_EQ(app.CountDialogs(), 0);
}

enum class Action { Accept, Reject, ListenerDismisses, EndLoop };

// An initialised application with a widget that runs an action at the fifth update.
struct RunningApp {
    RunningApp() {
        mApp.Initialize();
        mApp.mWidgets->InsertChild(&mTicker);
    }
    ~RunningApp() {
        mTicker.mOnUpdate = nullptr;
        mApp.mWidgets->DetachChild(&mTicker);
    }
    void AtFifthUpdate(std::function<void()> action) {
        mTicker.mOnUpdate = [this, action] {
            if (mApp.UpdateCount() == 5) {
                action();
            }
        };
    }

    TempHome mHome;
    test::Log mLog;
    test::RecordingWidget mTicker{"T", mLog, {0, 0, 1, 1}};
    DialogApp mApp;
};

// Answers the dialog with one of its buttons, or ends the main loop.
void Perform(DialogApp& app, Dialog& dialog, Action action) {
    if (action == Action::EndLoop) {
        app.BeginShutdown();
    } else {
        app.ClickOn(action == Action::Reject ? *dialog.RejectButton() : *dialog.AcceptButton());
    }
}

struct RunCase {
    const char* mName;
    Action mAction;
    bool mDismiss;
    int mResult;
    bool mStillRegistered;
};

TEST(AppDialogs, RunUntilAnsweredRunsTheMainLoopUntilAButtonAnswers) {
    const RunCase cases[] = {
        {"answered and dismissed", Action::Reject, true, Dialog::kRejectId, false},
        {"answered and kept", Action::Accept, false, Dialog::kAcceptId, true},
        {"dismissed by the listener", Action::ListenerDismisses, true, Dialog::kAcceptId, false},
        {"loop ended, dismissed", Action::EndLoop, true, 0, false},
        {"loop ended, kept", Action::EndLoop, false, Dialog::kNoResult, true},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.mName);
        RunningApp running;
        DialogApp& app = running.mApp;
        Dialog* dialog = app.ShowDialog(5, true, "Head", "Body", "", Dialog::kYesNo);
        if (c.mAction == Action::ListenerDismisses) {
            app.mOnClick = [&app](int) { app.DismissDialog(5); };
        }
        running.AtFifthUpdate([&] { Perform(app, *dialog, c.mAction); });
        EXPECT_EQ(dialog->RunUntilAnswered(c.mDismiss), c.mResult);
        EXPECT_EQ(app.FindDialog(5) != nullptr, c.mStillRegistered);
        EXPECT_GE(app.UpdateCount(), 5);
    }
}

struct MessageCase {
    int mFlags;
    Action mAction;
    int mResult;
};

TEST(AppDialogs, MessageBoxIsAskedAsADialogInTheWindow) {
    const MessageCase cases[] = {
        {kMessageBoxYesNo, Action::Accept, kMessageBoxResultYes},
        {kMessageBoxYesNo, Action::Reject, kMessageBoxResultNo},
        {kMessageBoxYesNo | kMessageBoxIconQuestion, Action::EndLoop, kMessageBoxResultNo},
        {kMessageBoxOkCancel, Action::Accept, kMessageBoxResultOk},
        {kMessageBoxOkCancel, Action::Reject, kMessageBoxResultCancel},
        {kMessageBoxOk, Action::Accept, kMessageBoxResultOk},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "flags " << c.mFlags << " action " << static_cast<int>(c.mAction));
        RunningApp running;
        DialogApp& app = running.mApp;
        std::string header;
        std::string body;
        std::vector<std::string> labels;
        bool modal = false;
        running.AtFifthUpdate([&] {
            Dialog* dialog = FirstDialog(*app.mWidgets);
            ASSERT_NE(dialog, nullptr);
            header = dialog->mTitleText;
            body = dialog->mBodyText;
            modal = app.mWidgets->mModalWidget == dialog;
            for (DialogButton* b : {dialog->AcceptButton(), dialog->RejectButton()}) {
                if (b != nullptr) {
                    labels.push_back(b->mLabel);
                }
            }
            Perform(app, *dialog, c.mAction);
        });
        EXPECT_EQ(app.ShowMessageBox("Leave the game?", "Question", c.mFlags), c.mResult);
        EXPECT_EQ(header, "Question");
        EXPECT_EQ(body, "Leave the game?");
        EXPECT_TRUE(modal);
        const std::vector<std::string> expectedLabels =
            (c.mFlags & 0xF) == kMessageBoxYesNo      ? std::vector<std::string>{"YES", "NO"}
            : (c.mFlags & 0xF) == kMessageBoxOkCancel ? std::vector<std::string>{"OK", "CANCEL"}
                                                      : std::vector<std::string>{"OK"};
        EXPECT_EQ(labels, expectedLabels);
        EXPECT_TRUE(app.Headless().MessageBoxes().empty());
        EXPECT_EQ(app.CountDialogs(), 0);
        EXPECT_EQ(app.mWidgets->mModalWidget, nullptr);
        // The dialog was drawn into the window: its default frame's fill at (212, 132).
        const PresentedFrame& frame = *app.Headless().PresentedFrames().back();
        EXPECT_EQ(frame.mBits[132 * 800 + 212], 0xFF242834u);
    }
}

TEST(AppDialogs, MessageBoxUsesTheSystemBoxWithoutAWindowOrForChoicesADialogLacks) {
    TempHome home;
    DialogApp app;
    app.Headless().QueueMessageBoxAnswer(kMessageBoxResultNo);
    EXPECT_EQ(app.ShowMessageBox("before", "start", kMessageBoxYesNo), kMessageBoxResultNo);
    app.Initialize();
    app.Headless().QueueMessageBoxAnswer(kMessageBoxResultCancel);
    EXPECT_EQ(app.ShowMessageBox("three", "choices", kMessageBoxYesNoCancel),
              kMessageBoxResultCancel);
    auto boxes = app.Headless().MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].mText, "before");
    EXPECT_EQ(boxes[1].mCaption, "choices");
    EXPECT_EQ(app.CountDialogs(), 0);
}
