// Dialogs: their buttons (labels, answers, place in the tree), dragging within the screen, the
// preferred height, and what they draw.

#include "widgets/Dialog.h"
#include "ControlTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/TestFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace ravix::test {
namespace {

using Rows = std::vector<std::string>;

// A dialog reporting to a recording listener, with the test font for every text.
std::unique_ptr<Dialog> MakeDialog(RecordingListener& listener, const std::string& header,
                                   const std::string& body, const std::string& footer,
                                   int buttonSet) {
    auto dialog =
        std::make_unique<Dialog>(nullptr, nullptr, 9, false, header, body, footer, buttonSet);
    dialog->mOwnerListener = &listener;
    TestFont font;
    dialog->SetTitleFont(&font);
    dialog->SetBodyFont(&font);
    dialog->SetButtonFont(&font);
    return dialog;
}

Point Centre(const Widget& w) {
    return {w.mX + w.mWidth / 2, w.mY + w.mHeight / 2};
}

struct AnswerCase {
    int mButtonSet;
    const char* mFooter;
    std::vector<std::string> mLabels;
    int mClicked; // 0 the first button, 1 the second
    int mResult;
};

TEST(Dialog, ButtonSetsLabelTheButtonsAndAReleaseOverOneAnswers) {
    const AnswerCase cases[] = {
        {Dialog::kOkCancel, "", {"OK", "CANCEL"}, 1, Dialog::kRejectId},
        {Dialog::kOkCancel, "", {"OK", "CANCEL"}, 0, Dialog::kAcceptId},
        {Dialog::kYesNo, "", {"YES", "NO"}, 0, Dialog::kAcceptId},
        {Dialog::kFooterButton, "Fine", {"Fine"}, 0, Dialog::kAcceptId},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.mLabels.back());
        RecordingListener listener;
        ScreenManager manager;
        auto dialog = MakeDialog(listener, "Head", "Body", c.mFooter, c.mButtonSet);
        dialog->Resize(100, 100, 300, 200);
        manager.InsertChild(dialog.get());

        std::vector<DialogButton*> buttons;
        for (DialogButton* b : {dialog->AcceptButton(), dialog->RejectButton()}) {
            if (b != nullptr) {
                buttons.push_back(b);
                EXPECT_EQ(b->GetParent(), &manager);
            }
        }
        ASSERT_EQ(buttons.size(), c.mLabels.size());
        EXPECT_EQ(dialog->mButtonCount, static_cast<int>(buttons.size()));
        for (size_t i = 0; i < buttons.size(); ++i) {
            EXPECT_EQ(buttons[i]->mLabel, c.mLabels[i]);
        }
        // Inside the insets (24), along the bottom, in the manager's coordinates.
        if (buttons.size() == 2) {
            EXPECT_EQ(buttons[0]->GetRect(), Rect(124, 252, 122, 24));
            EXPECT_EQ(buttons[1]->GetRect(), Rect(254, 252, 122, 24));
        } else {
            EXPECT_EQ(buttons[0]->GetRect(), Rect(124, 252, 252, 24));
        }

        Point at = Centre(*buttons[c.mClicked]);
        manager.MouseMove(at.mX, at.mY);
        manager.Press(at.mX, at.mY);
        EXPECT_EQ(dialog->mResult, Dialog::kNoResult);
        manager.Release(at.mX, at.mY);
        EXPECT_EQ(dialog->mResult, c.mResult);
        std::string answer = " " + std::to_string(c.mResult);
        EXPECT_EQ(listener.Take(), (Log{"dialog-down 9" + answer, "dialog-click 9" + answer}));
    }
}

TEST(Dialog, ButtonsStayJustAboveTheDialogAndLeaveTheTreeWithIt) {
    RecordingListener listener;
    ScreenManager manager;
    Log log;
    RecordingWidget other("W", log, {0, 0, 10, 10});
    auto dialog = MakeDialog(listener, "", "", "", Dialog::kYesNo);
    dialog->Resize(0, 0, 200, 100);
    manager.InsertChild(dialog.get());
    manager.InsertChild(&other);
    Widget* yes = dialog->AcceptButton();
    Widget* no = dialog->RejectButton();
    auto order = [&] {
        return std::vector<Widget*>(manager.mChildren.begin(), manager.mChildren.end());
    };
    EXPECT_EQ(order(), (std::vector<Widget*>{dialog.get(), yes, no, &other}));
    manager.RaiseChild(dialog.get());
    EXPECT_EQ(order(), (std::vector<Widget*>{&other, dialog.get(), yes, no}));

    // The dialog's button label colours are the buttons' label colours.
    EXPECT_EQ(yes->GetColor(ButtonWidget::kColorLabel), kOpaqueBlack);
    EXPECT_EQ(no->GetColor(ButtonWidget::kColorLabelHover), kOpaqueWhite);
    dialog->SetColor(Dialog::kColorButtonLabel, Color(1, 2, 3));
    dialog->SetColor(Dialog::kColorButtonLabelHover, Color(4, 5, 6));
    EXPECT_EQ(no->GetColor(ButtonWidget::kColorLabel), Color(1, 2, 3));
    EXPECT_EQ(yes->GetColor(ButtonWidget::kColorLabelHover), Color(4, 5, 6));

    // A dialog moved drags its buttons along.
    dialog->Move(50, 60);
    EXPECT_EQ(yes->GetRect(), Rect(74, 112, 72, 24));

    manager.DetachChild(dialog.get());
    EXPECT_EQ(order(), std::vector<Widget*>{&other});
    manager.InsertChild(dialog.get());
    dialog.reset(); // a dialog deleted while in the tree takes its buttons out first
    EXPECT_EQ(order(), std::vector<Widget*>{&other});
}

TEST(Dialog, DraggingStopsEightPixelsPastTheScreenEdges) {
    RecordingListener listener;
    ScreenManager manager; // 800 x 600
    auto dialog = MakeDialog(listener, "", "", "", Dialog::kNoButtons);
    dialog->Resize(300, 250, 200, 100);
    manager.InsertChild(dialog.get());
    manager.MouseMove(350, 270);
    manager.Press(350, 270); // grabbed at (50, 20)
    ASSERT_TRUE(dialog->mGrabbed);
    const struct {
        Point mPointer;
        Point mPosition;
    } steps[] = {
        {{-1000, 270}, {-8, 250}},
        {{0, 270}, {-8, 250}}, // the grab point slid to 8: still at the edge
        {{10, 270}, {2, 250}}, // and follows as soon as the pointer turns back
        {{2000, 2000}, {608, 508}},
        {{-50, -50}, {-8, -8}},
    };
    for (const auto& step : steps) {
        manager.MouseMove(step.mPointer.mX, step.mPointer.mY);
        EXPECT_EQ((Point{dialog->mX, dialog->mY}), step.mPosition)
            << step.mPointer.mX << "," << step.mPointer.mY;
    }
    manager.Release(-50, -50);
    EXPECT_FALSE(dialog->mGrabbed);

    // A double click does not grab.
    manager.MouseDown(0, 0, 2);
    EXPECT_FALSE(dialog->mGrabbed);
}

struct HeightCase {
    const char* mHeader;
    const char* mBody;
    const char* mFooter;
    int mButtonSet;
    int mWidth;
    int mLineSpacingOffset;
    int mHeight;
};

TEST(Dialog, PreferredHeightAddsEachPartAndTheGapsBetweenThem) {
    // Test font: height 12, ascent padding 1, line spacing 15, descent 4. Insets 24 on each side
    // (48); a header line is 11; one body line 7 + 4 = 11, each further line 15 more.
    const HeightCase cases[] = {
        {"", "", "", Dialog::kNoButtons, 200, 0, 48},
        {"Head", "", "", Dialog::kNoButtons, 200, 0, 59}, // no title gap without a body
        {"", "Body", "", Dialog::kNoButtons, 200, 0, 59},
        {"Head", "Body", "", Dialog::kNoButtons, 200, 0, 80},
        {"Head", "aa bb", "", Dialog::kNoButtons, 82, 0, 95}, // wrapped into 30 pixels
        {"Head", "aa bb", "", Dialog::kNoButtons, 82, 5, 100},
        {"Head", "", "Foot", Dialog::kNoButtons, 200, 0, 82},
        {"", "", "", Dialog::kOkCancel, 200, 0, 80},
        {"Head", "Body", "Foot", Dialog::kOkCancel, 200, 0, 143},
        {"Head", "", "OK", Dialog::kFooterButton, 200, 0, 99}, // the footer is the button
    };
    RecordingListener listener;
    for (const HeightCase& c : cases) {
        auto dialog = MakeDialog(listener, c.mHeader, c.mBody, c.mFooter, c.mButtonSet);
        dialog->mLineSpacingOffset = c.mLineSpacingOffset;
        EXPECT_EQ(dialog->PreferredHeight(c.mWidth), c.mHeight)
            << "'" << c.mHeader << "' '" << c.mBody << "' '" << c.mFooter << "' " << c.mButtonSet
            << " at " << c.mWidth;
    }
}

TEST(Dialog, HeaderBodyAndFooterAreWrittenDownTheDialog) {
    RecordingListener listener;
    for (int buttonSet : {Dialog::kNoButtons, Dialog::kFooterButton}) {
        auto dialog = MakeDialog(listener, "Hi", "Body", "End", buttonSet);
        dialog->Resize(0, 0, 200, 150);
        auto screen = MakeScreen(200, 150);
        Graphics g(screen.get());
        dialog->Draw(g);
        auto* title = static_cast<TestFont*>(dialog->mTitleFont.get());
        auto* body = static_cast<TestFont*>(dialog->mBodyFont.get());
        // Header centred, baseline 24 + 12 - 1; body 35 + 10 down, centred (justification 0)
        // in the 148 pixels from 24 + 2; footer 8 + 15 below the body's 11.
        Log titles{"Hi@93,35#FFFFFFFF"};
        if (buttonSet != Dialog::kFooterButton) {
            titles.push_back("End@85,79#FFFFFFFF");
        }
        EXPECT_EQ(title->mDrawn, titles);
        EXPECT_EQ(body->mDrawn, Log{"Body@80,52#FFFF00FF"});
    }
}

constexpr uint32_t kBlue = 0xFF0000FF;

TEST(Dialog, DefaultFrameIsAnOutlinedDarkBoxWithAHalfTransparentShadow) {
    RecordingListener listener;
    auto dialog = MakeDialog(listener, "", "", "", Dialog::kNoButtons);
    dialog->Resize(0, 0, 40, 40);
    auto screen = MakeScreen(40, 40);
    screen->FillRect(Rect(0, 0, 40, 40), Color::FromPacked(kBlue), DrawMode::Normal);
    Graphics g(screen.get());
    dialog->Draw(g);
    // Fill (12, 12, 15, 15), outline (13, 13) to (27, 27), shadow (28, 24, 12, 4) and
    // (24, 28, 16, 12): black at alpha 128 over blue.
    const Legend legend = {{kBlue, '.'}, {0xFF242834, 'F'}, {0xFF505050, 'o'}, {0xFF00007F, 's'}};
    Rows expected(40, std::string(40, '.'));
    auto paint = [&](int x, int y, int w, int h, char c) {
        for (int row = y; row < y + h; ++row) {
            for (int col = x; col < x + w; ++col) {
                expected[row][col] = c;
            }
        }
    };
    paint(12, 12, 15, 15, 'F');
    paint(13, 13, 15, 1, 'o');
    paint(13, 27, 15, 1, 'o');
    paint(13, 13, 1, 15, 'o');
    paint(27, 13, 1, 15, 'o');
    paint(28, 24, 12, 4, 's');
    paint(24, 28, 16, 12, 's');
    EXPECT_EQ(Picture(*screen, legend), expected);
}

TEST(Dialog, ComponentImageIsANinePartBoxInsideTheFrameInsets) {
    RecordingListener listener;
    std::vector<uint32_t> pieces(9);
    for (uint32_t i = 0; i < 9; ++i) {
        pieces[i] = 0xFF000000 | (i + 1) << 16;
    }
    auto image = std::make_unique<MemoryImage>();
    image->SetPixels(pieces.data(), 3, 3, true);
    Dialog dialog(nullptr, image.get(), 1, false, "", "", "", Dialog::kNoButtons);
    TestFont font;
    dialog.SetTitleFont(&font);
    dialog.SetBodyFont(&font);
    dialog.mFrameInsets = {1, 1, 1, 1};
    dialog.Resize(0, 0, 6, 5);
    auto screen = MakeScreen(6, 5);
    Graphics g(screen.get());
    dialog.Draw(g);
    Legend legend = {{0xFF000000, '.'}};
    for (uint32_t i = 0; i < 9; ++i) {
        legend[pieces[i]] = static_cast<char>('A' + i);
    }
    EXPECT_EQ(Picture(*screen, legend), (Rows{"......", ".ABBC.", ".DEEF.", ".GHHI.", "......"}));
}

} // namespace
} // namespace ravix::test
