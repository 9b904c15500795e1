// The whole game by keyboard on the headless platform with the real data: the title menus,
// games won by the arrows and Enter alone, the help picture, pausing, the board's buttons by
// Tab, the options dialog, the top scores, and the shortcuts.

#include "GameFlowSupport.h"

#include "game/FlickeringButtonWidget.h"
#include "game/OptionsDialog.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

class KeyboardPlayTest : public FlowTest {
protected:
    // Play, then the difficulty downs presses below Beginner, by keys.
    Board& StartBoardByKeys(int downs) {
        FlowApp& app = StartAtMainMenu();
        app.PressKey(ravix::kKeyEnter);
        for (int i = 0; i < downs; ++i) {
            app.PressKey(ravix::kKeyDown);
        }
        app.PressKey(ravix::kKeyEnter);
        EXPECT_NE(app.mBoard, nullptr);
        return *app.mBoard;
    }
    ravix::Widget* Focus() const { return mApp->mWidgets->mKeyboardFocus; }
    ravix::Widget* MenuButton(int id) const { return mApp->mTitleScreen->GetButton(id); }
};

} // namespace

TEST_F(KeyboardPlayTest, TheMenusFocusTheirTopChoiceAndTheArrowsWrapPastTheLogo) {
    FlowApp& app = StartAtMainMenu();
    EXPECT_EQ(Focus(), MenuButton(TitleScreen::kPlay));
    struct Step {
        int mKey;
        int mFocus;
    };
    const Step steps[] = {{ravix::kKeyDown, TitleScreen::kScores},
                          {ravix::kKeyDown, TitleScreen::kOptions},
                          {ravix::kKeyDown, TitleScreen::kExit},
                          {ravix::kKeyDown, TitleScreen::kPlay},
                          {ravix::kKeyUp, TitleScreen::kExit}};
    for (const Step& step : steps) {
        app.PressKey(step.mKey);
        EXPECT_EQ(Focus(), MenuButton(step.mFocus));
    }
    app.PressKey(ravix::kKeyDown); // back on Play
    app.PressKey(ravix::kKeySpace);
    EXPECT_EQ(Focus(), MenuButton(TitleScreen::kBeginner));
    EXPECT_EQ(app.mBoard, nullptr); // the press that showed the menu chose nothing there
}

TEST_F(KeyboardPlayTest, ABeginnerGameIsWonByKeysAloneAndEnterStartsTheNext) {
    Board& board = StartBoardByKeys(0);
    FlowApp& app = *mApp;
    ASSERT_TRUE(board.Model().IsHelpShown());
    app.PressKey(ravix::kKeyEnter);
    EXPECT_FALSE(board.Model().IsHelpShown());
    EXPECT_EQ(board.Cursor().CardIndex(), 0);
    EXPECT_TRUE(board.Cursor().IsShown());

    ASSERT_TRUE(SolveBoardByKeys(app));
    app.RunFor(200);
    EXPECT_TRUE(std::filesystem::exists(SaveFolder() + "topscores"));
    app.PressKey(ravix::kKeyEnter);
    EXPECT_EQ(board.Model().LevelIndex(), 1);
    EXPECT_EQ(board.Model().Mode(), PlayMode::Easy);
    EXPECT_EQ(board.Cursor().CardIndex(), 0);
}

TEST_F(KeyboardPlayTest, AFaceDownGameIsWonByKeysAlone) {
    Board& board = StartBoardByKeys(2);
    ASSERT_EQ(board.Model().Mode(), PlayMode::Normal);
    EXPECT_FALSE(board.Model().IsHelpShown());
    ASSERT_TRUE(SolveBoardByKeys(*mApp));
    mApp->RunFor(200);
    EXPECT_TRUE(board.Model().IsGameEnded());
}

TEST_F(KeyboardPlayTest, TheCursorStopsAtTheEdgesAndAPickIsAClickOnTheCardsCentre) {
    Board& board = StartBoardByKeys(3);
    FlowApp& app = *mApp;
    const int columns = board.Model().GetLevel().GetCols();
    app.PressKey(ravix::kKeyLeft);
    app.PressKey(ravix::kKeyUp);
    EXPECT_EQ(board.Cursor().CardIndex(), 0);
    for (int i = 0; i < columns + 2; ++i) {
        app.PressKey(ravix::kKeyRight);
    }
    EXPECT_EQ(board.Cursor().CardIndex(), columns - 1);
    app.PressKey(ravix::kKeyDown);
    EXPECT_EQ(board.Cursor().CardIndex(), 2 * columns - 1);

    // The card under the cursor turns over; a moved mouse hides the cursor and clicks where it
    // points, not where the cursor stands.
    const Card& underCursor = *board.Model().Cards()[static_cast<size_t>(2 * columns - 1)];
    app.PressKey(ravix::kKeySpace);
    EXPECT_TRUE(underCursor.mSelected);
    const Card& first = *board.Model().Cards()[1];
    app.Click(static_cast<int>(first.mX), static_cast<int>(first.mY));
    EXPECT_FALSE(board.Cursor().IsShown());
    EXPECT_TRUE(first.mSelected);
    app.PressKey(ravix::kKeyLeft);
    EXPECT_TRUE(board.Cursor().IsShown());
    EXPECT_EQ(board.Cursor().CardIndex(), 2 * columns - 2); // it stayed where it was
}

TEST_F(KeyboardPlayTest, EscapePausesAndResumesAndTabReachesTheButtons) {
    Board& board = StartBoardByKeys(1);
    FlowApp& app = *mApp;
    app.PressKey(ravix::kKeyEscape);
    EXPECT_TRUE(board.Model().IsPaused());
    app.PressKey(ravix::kKeyEscape); // resumes, and its release does not pause again
    EXPECT_FALSE(board.Model().IsPaused());
    app.PressKey(ravix::kKeyEscape);
    app.PressKey(ravix::kKeyEnter);
    EXPECT_FALSE(board.Model().IsPaused());

    app.PressKey(ravix::kKeyTab); // menu, help, options (minimise and close hide in a window)
    app.PressKey(ravix::kKeyTab);
    const int ticks = board.Model().Ticks();
    app.RunFor(100);
    EXPECT_GT(board.Model().Ticks(), ticks); // a focused button of the board keeps it running
    app.PressKey(ravix::kKeyEnter);          // the help button
    EXPECT_TRUE(board.Model().IsHelpShown());
    app.PressKey(ravix::kKeyEscape);
    EXPECT_FALSE(board.Model().IsHelpShown());
    EXPECT_FALSE(board.Model().IsPaused());
    app.PressKey(ravix::kKeyTab);
    app.PressKey(ravix::kKeyTab);
    EXPECT_EQ(Focus(), &board); // past the last button, back to the cards
    app.PressKey(ravix::kKeyF1);
    EXPECT_TRUE(board.Model().IsHelpShown());
}

TEST_F(KeyboardPlayTest, TheOptionsDialogTakesEscapeAndEnterAndItsSlidersMoveByKeys) {
    FlowApp& app = StartAtMainMenu();
    const double music = app.GetMusicLevel();
    for (int i = 0; i < 2; ++i) {
        app.PressKey(ravix::kKeyDown);
    }
    app.PressKey(ravix::kKeyEnter);
    auto* dialog = static_cast<OptionsDialog*>(app.FindDialog(OptionsDialog::kDialogId));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Focus(), dialog->mOkButton.get());
    app.PressKey(ravix::kKeyTab); // Cancel, then round to the first control: the music slider
    EXPECT_EQ(Focus(), dialog->mCancelButton.get());
    app.PressKey(ravix::kKeyTab);
    EXPECT_EQ(Focus(), dialog->mMusicSlider.get());
    app.PressKey(ravix::kKeyHome);
    EXPECT_EQ(app.GetMusicLevel(), 0.0);
    app.PressKey(ravix::kKeyEscape);
    EXPECT_EQ(app.FindDialog(OptionsDialog::kDialogId), nullptr);
    EXPECT_EQ(app.GetMusicLevel(), music);
    EXPECT_EQ(Focus(), MenuButton(TitleScreen::kOptions));

    app.PressKey(ravix::kKeyEnter);
    app.PressKey(ravix::kKeyTab);
    app.PressKey(ravix::kKeyTab);
    app.PressKey(ravix::kKeyEnd);
    app.PressKey(ravix::kKeyEnter); // OK from the slider
    EXPECT_EQ(app.FindDialog(OptionsDialog::kDialogId), nullptr);
    EXPECT_EQ(app.GetMusicLevel(), 1.0);
}

TEST_F(KeyboardPlayTest, EscapeClosesTheScoresAndTheShortcutsWork) {
    FlowApp& app = StartAtMainMenu();
    app.PressKey(ravix::kKeyDown);
    app.PressKey(ravix::kKeyEnter);
    EXPECT_EQ(Focus()->mWidth, app.mScreenWidth); // the scores screen
    app.PressKey(ravix::kKeyEscape);
    EXPECT_EQ(Focus(), MenuButton(TitleScreen::kScores));

    app.PressKey('M');
    EXPECT_TRUE(app.IsMuted());
    EXPECT_TRUE(app.IsSilenced());
    app.PressKey('M');
    EXPECT_FALSE(app.IsSilenced());
    const bool windowed = app.mWantWindowed;
    app.PressKey(ravix::kKeyF1 + 10); // F11, as Alt+Enter
    EXPECT_NE(app.mWantWindowed, windowed);
    app.PressKey(ravix::kKeyF1 + 10);
    EXPECT_EQ(app.mWantWindowed, windowed);

    app.PressKey(ravix::kKeyUp);
    app.PressKey(ravix::kKeyEnter);
    app.PressKey(ravix::kKeyEnter);
    ASSERT_NE(app.mBoard, nullptr);
    app.PressKey(ravix::kKeyEnter); // the help picture closes
    app.PressKey(ravix::kKeyEnter); // a card turns
    EXPECT_FALSE(std::filesystem::exists(SaveFolder() + "autosave"));
    app.PressCtrlKey('Q');
    EXPECT_TRUE(app.mShuttingDown);
    EXPECT_TRUE(std::filesystem::exists(SaveFolder() + "autosave"));
}

TEST_F(KeyboardPlayTest, TheMutedSettingOutlivesTheProgram) {
    FlowApp& first = StartAtMainMenu();
    first.PressKey('M');
    first.PressCtrlKey('Q');
    ASSERT_TRUE(first.mShuttingDown);
    mApp.reset();
    FlowApp& second = StartAtMainMenu();
    EXPECT_TRUE(second.IsMuted());
    EXPECT_TRUE(second.IsSilenced());
}
