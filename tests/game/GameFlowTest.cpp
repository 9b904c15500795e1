// The whole game on the headless platform with its data: start and loading, the title menus,
// boards played through, leaving and resuming, the top scores, the options dialog and pausing.

#include "GameFlowSupport.h"

#include "game/FlickeringButtonWidget.h"
#include "game/OptionsDialog.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "game/TopScoresScreen.h"
#include "widgets/Dialog.h"
#include "widgets/Checkbox.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <functional>
#include <sstream>

using namespace tarnwick;
using namespace tarnwick::testing;
using ravix::testing::TempHome;

namespace {

// Centres of the menu buttons (the title screen's rows) and of the board's menu button.
constexpr int kMenuX = 400;
constexpr int kFirstRowY = 215;
constexpr int kSecondRowY = 273;
constexpr int kThirdRowY = 331;
constexpr int kLogoY = 528;
constexpr int kBoardMenuY = 550;

class GameFlowTest : public FlowTest {
protected:
    // From the main menu without a saved game: play, then the difficulty's button.
    Board& StartBoard(int difficultyY) {
        FlowApp& app = StartAtMainMenu();
        app.Click(kMenuX, kFirstRowY);
        app.Click(kMenuX, difficultyY);
        EXPECT_NE(app.mBoard, nullptr);
        return *app.mBoard;
    }

    static bool Shown(const FlickeringButtonWidget* button) {
        return button != nullptr && button->mVisible;
    }
};

} // namespace

TEST_F(GameFlowTest, ABeginnerGamePlayedFromTheTitleToTheNextLevel) {
    mApp = std::make_unique<FlowApp>();
    FlowApp& app = *mApp;
    app.Start(mData.Path());
    // While "Game" loads only the title picture shows.
    ASSERT_NE(app.mTitleScreen, nullptr);
    EXPECT_FALSE(Shown(app.mTitleScreen->GetButton(TitleScreen::kPlay)));
    EXPECT_FALSE(Shown(app.mTitleScreen->GetButton(TitleScreen::kLogo)));
    ASSERT_TRUE(app.RunUntil([&] { return app.IsLoadingComplete(); }));
    TitleScreen* title = app.mTitleScreen.get();
    for (const FlickeringButtonWidget* button :
         {title->GetButton(TitleScreen::kPlay), title->GetButton(TitleScreen::kScores),
          title->GetButton(TitleScreen::kExit), title->GetButton(TitleScreen::kOptions),
          title->GetButton(TitleScreen::kLogo)}) {
        EXPECT_TRUE(Shown(button)) << button->mId;
    }
    EXPECT_FALSE(Shown(title->GetButton(TitleScreen::kBeginner)));
    app.RunFor(50);
    EXPECT_TRUE(title->GetButton(TitleScreen::kLogo)->mFlicker);

    // The logo opens the data folder's information page.
    app.Click(kMenuX, kLogoY);
    const std::vector<std::string> urls = app.Headless().OpenedUrls();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0],
              "file://" + (std::filesystem::canonical(mData.Path()) / "about.html").string());

    // Without a saved game, play leads to the difficulties.
    app.Click(kMenuX, kFirstRowY);
    EXPECT_TRUE(Shown(title->GetButton(TitleScreen::kBeginner)));
    EXPECT_TRUE(Shown(title->GetButton(TitleScreen::kHard)));
    EXPECT_FALSE(Shown(title->GetButton(TitleScreen::kPlay)));
    EXPECT_FALSE(Shown(title->GetButton(TitleScreen::kResume)));
    app.RunFor(20);
    EXPECT_TRUE(title->GetButton(TitleScreen::kLogo)->mFlicker);

    app.Click(kMenuX, kFirstRowY);
    ASSERT_NE(app.mBoard, nullptr);
    EXPECT_EQ(app.mTitleScreen, nullptr);
    Board& board = *app.mBoard;
    EXPECT_EQ(board.Model().Mode(), PlayMode::Beginner);
    EXPECT_EQ(board.Model().LevelIndex(), 0);
    EXPECT_TRUE(board.Model().IsHelpShown());
    app.Click(kMenuX, 300);
    EXPECT_FALSE(board.Model().IsHelpShown());

    ASSERT_TRUE(SolveBoard(app));
    app.RunFor(100);
    EXPECT_TRUE(board.Model().IsGameEnded());
    const int finalScore = board.Model().Score() + board.Model().PendingScore();
    const int seconds = board.Model().Ticks() / 100;
    EXPECT_GT(finalScore, 100);
    // The first won game sets all three records.
    for (const TopScore& record : ReadTopScores()) {
        EXPECT_EQ(record.mScore, finalScore);
        EXPECT_EQ(record.mTime, seconds);
    }
    EXPECT_TRUE(std::filesystem::exists(SaveFolder() + "topscores"));
    EXPECT_FALSE(SavedGameFileExists());
    // The clock stops with the last card.
    const int ticks = board.Model().Ticks();
    app.RunFor(500);
    EXPECT_EQ(board.Model().Ticks(), ticks);

    // A click starts the next level, no longer as a beginner.
    app.Click(kMenuX, 300);
    EXPECT_EQ(app.mBoard, &board);
    EXPECT_EQ(board.Model().LevelIndex(), 1);
    EXPECT_EQ(board.Model().Mode(), PlayMode::Easy);
    EXPECT_FALSE(board.Model().IsAllSolved());
    EXPECT_FALSE(board.Model().IsHelpShown());
    EXPECT_EQ(board.Model().Score(), 100);
}

TEST_F(GameFlowTest, LeavingWithTheMenuButtonAndResumingRestoresTheSameGame) {
    StartBoard(kSecondRowY);
    FlowApp& app = *mApp;
    ASSERT_EQ(app.mBoard->Model().Mode(), PlayMode::Easy);
    const std::optional<std::array<size_t, 3>> triple = FindScoringTriple(*app.mBoard);
    ASSERT_TRUE(triple.has_value());
    PickTriple(app, *triple);
    // Paused, the game stands still while the menu button is reached.
    app.PressKey(ravix::kKeyEscape);
    ASSERT_TRUE(app.mBoard->Model().IsPaused());
    const SavedGame left = app.mBoard->Model().State();
    EXPECT_GT(left.mTicks, 0);
    app.Click(kMenuX, kBoardMenuY);
    ASSERT_EQ(app.mBoard, nullptr);
    ASSERT_NE(app.mTitleScreen, nullptr);
    EXPECT_TRUE(SavedGameFileExists());
    // Back at the title the main menu shows at once.
    EXPECT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kPlay)));

    app.Click(kMenuX, kFirstRowY);
    EXPECT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kResume)));
    EXPECT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kNew)));
    EXPECT_FALSE(Shown(app.mTitleScreen->GetButton(TitleScreen::kBeginner)));
    app.Post(ravix::MessageKind::MouseMove, 0, kMenuX, kSecondRowY);
    app.RunFor(20);
    app.Post(ravix::MessageKind::LeftDown, 0, kMenuX, kSecondRowY);
    app.Post(ravix::MessageKind::LeftUp, 0, kMenuX, kSecondRowY);
    ASSERT_TRUE(app.RunUntil([&] { return app.mBoard != nullptr; }));
    EXPECT_EQ(app.mBoard->Model().State(), left);
    // Resuming keeps the saved game until the game is won or a new one is chosen.
    EXPECT_TRUE(SavedGameFileExists());

    // New from the resume menu discards it.
    app.RunFor(20);
    app.Click(kMenuX, kBoardMenuY);
    app.Click(kMenuX, kFirstRowY);
    app.Click(kMenuX, kThirdRowY);
    EXPECT_FALSE(SavedGameFileExists());
    EXPECT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kBeginner)));
}

TEST_F(GameFlowTest, LeavingAWonGameKeepsTheProgressForResume) {
    for (const bool closeProgram : {false, true}) {
        SCOPED_TRACE(closeProgram ? "closing the program" : "the menu button");
        StartBoard(kFirstRowY);
        mApp->Click(kMenuX, 300); // the help picture
        ASSERT_TRUE(SolveBoard(*mApp));
        mApp->RunFor(100);
        ASSERT_TRUE(mApp->mBoard->Model().IsGameEnded());
        if (closeProgram) {
            mApp->Post(ravix::MessageKind::Close);
            mApp->RunFor(20);
            StartAtMainMenu();
        } else {
            mApp->Click(kMenuX, kBoardMenuY);
        }
        FlowApp& app = *mApp;
        app.Click(kMenuX, kFirstRowY);
        ASSERT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kResume)));
        app.Click(kMenuX, kSecondRowY);
        ASSERT_TRUE(app.RunUntil([&] { return app.mBoard != nullptr; }));
        EXPECT_EQ(app.mBoard->Model().LevelIndex(), 1);
        EXPECT_EQ(app.mBoard->Model().Mode(), PlayMode::Easy);
        EXPECT_EQ(app.mBoard->Model().Score(), BoardModel::kStartScore);
        EXPECT_FALSE(app.mBoard->Model().IsAllSolved());
        mApp.reset();
        DeleteSavedGame();
    }
}

TEST_F(GameFlowTest, AFolderThatTakesNoSaveWarnsOnceAndTheGameGoesOn) {
    StartBoard(kSecondRowY);
    FlowApp& app = *mApp;
    // A file where the save folder belongs: nothing can be written there.
    std::filesystem::remove_all(SaveFolder());
    ravix::testing::WriteTextFile(SaveFolder().substr(0, SaveFolder().size() - 1), "in the way");
    app.Click(kMenuX, kBoardMenuY);
    ASSERT_NE(app.mTitleScreen, nullptr);
    const auto boxes = app.Headless().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].mText.find("Tarnwick could not save your game in\n" + SaveFolder() + ": "),
              0u)
        << boxes[0].mText;
    EXPECT_EQ(boxes[0].mFlags & 0xF0, ravix::kMessageBoxIconWarning);

    // The game goes on: a won game cannot record its scores either, and says nothing more.
    app.Click(kMenuX, kFirstRowY);
    app.Click(kMenuX, kSecondRowY);
    ASSERT_NE(app.mBoard, nullptr);
    ASSERT_TRUE(SolveBoard(app));
    app.RunFor(100);
    EXPECT_TRUE(app.mBoard->Model().IsGameEnded());
    app.Click(kMenuX, kBoardMenuY);
    EXPECT_EQ(app.Headless().MessageBoxes().size(), 1u);
}

// The text with its line `index` (from 0) replaced by what change makes of it.
std::string WithLineChanged(const std::string& text, size_t index,
                            const std::function<std::string(const std::string&)>& change) {
    std::istringstream in(text);
    std::string out;
    std::string line;
    for (size_t i = 0; std::getline(in, line); ++i) {
        out += (i == index ? change(line) : line) + "\n";
    }
    return out;
}

std::function<std::string(const std::string&)> Becomes(const std::string& line) {
    return [line](const std::string&) { return line; };
}

TEST_F(GameFlowTest, ASavedGameTheGameCannotUseIsSetAsideWithOneMessage) {
    // A real saved game to spoil: an easy game left at once.
    StartBoard(kSecondRowY);
    mApp->Click(kMenuX, kBoardMenuY);
    const std::string good = ravix::testing::ReadTextFile(SavedGamePath());
    mApp.reset();
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"garbage", "this is no saved game\n"},
        {"a score no game reaches", WithLineChanged(good, 0, Becomes("100000000 0"))},
        {"pending points no game reaches", WithLineChanged(good, 0, Becomes("100 -100000100"))},
        {"a clock beyond 1000 hours", WithLineChanged(good, 1, Becomes("360000001"))},
        // The first card's face kept, its place (the last two values) off the board.
        {"a card moved off the board", WithLineChanged(good, 6, [](const std::string& card) {
             std::string face = card;
             for (int value = 0; value < 2; ++value) {
                 face.erase(face.rfind(' '));
             }
             return face + " 5 900";
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        ravix::testing::WriteTextFile(SavedGamePath(), c.mText);
        FlowApp& app = StartAtMainMenu();
        app.Click(kMenuX, kFirstRowY);
        EXPECT_FALSE(Shown(app.mTitleScreen->GetButton(TitleScreen::kResume)));
        EXPECT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kBeginner)));
        EXPECT_FALSE(SavedGameFileExists());
        EXPECT_EQ(ravix::testing::ReadTextFile(SavedGamePath() + ".bad"), c.mText);
        const auto boxes = app.Headless().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].mText.find("could not be read"), std::string::npos) << boxes[0].mText;
        EXPECT_NE(boxes[0].mText.find(SavedGamePath() + ".bad"), std::string::npos);
        mApp.reset();
    }
}

TEST_F(GameFlowTest, ClosingTheProgramSavesAGameInProgress) {
    StartBoard(kThirdRowY);
    FlowApp& app = *mApp;
    app.RunFor(300);
    app.Post(ravix::MessageKind::Close);
    app.RunFor(20);
    ASSERT_TRUE(SavedGameFileExists());
    const std::string saved = ravix::testing::ReadTextFile(SaveFolder() + "autosave");
    // Mode 2 and level 0 after the score and the clock.
    EXPECT_NE(saved.find("\n2\n0\n"), std::string::npos) << saved;
}

TEST_F(GameFlowTest, TheTopScoresLieOverTheMenuUntilAClick) {
    FlowApp& app = StartAtMainMenu();
    app.Click(kMenuX, kSecondRowY);
    auto scoresScreen = [&]() -> TopScoresScreen* {
        for (ravix::Widget* widget : app.mWidgets->GetChildren()) {
            if (auto* scores = dynamic_cast<TopScoresScreen*>(widget)) {
                return scores;
            }
        }
        return nullptr;
    };
    ASSERT_NE(scoresScreen(), nullptr);
    // Before any game was won every box says so.
    EXPECT_EQ(scoresScreen()->mLine1, "No games yet");
    EXPECT_EQ(scoresScreen()->mLine3, "No games yet");
    EXPECT_FALSE(scoresScreen()->mReturnLink->mVisible);
    app.Click(700, 50);
    EXPECT_EQ(scoresScreen(), nullptr);
    EXPECT_TRUE(Shown(app.mTitleScreen->GetButton(TitleScreen::kPlay)));
}

TEST_F(GameFlowTest, TheOptionsDialogsCancelRestoresTheVolumes) {
    FlowApp& app = StartAtMainMenu();
    const double music = app.GetMusicLevel();
    const double effects = app.GetEffectsLevel();
    app.Click(kMenuX, kThirdRowY);
    ASSERT_NE(app.FindDialog(6), nullptr);
    // The sliders lie at (367, 219) and (367, 299); a click near their left ends turns the
    // volumes down at once.
    app.Click(372, 230);
    app.Click(372, 310);
    EXPECT_LT(app.GetMusicLevel(), 0.1);
    EXPECT_LT(app.GetEffectsLevel(), 0.1);
    app.Click(200 + 203 + 42, 140 + 270 + 18);
    EXPECT_EQ(app.FindDialog(6), nullptr);
    EXPECT_DOUBLE_EQ(app.GetMusicLevel(), music);
    EXPECT_DOUBLE_EQ(app.GetEffectsLevel(), effects);
}

TEST_F(GameFlowTest, EscapePausesTheBoardAndFreezesItsClock) {
    Board& board = StartBoard(kSecondRowY);
    FlowApp& app = *mApp;
    app.RunFor(500);
    app.PressKey(ravix::kKeyEscape);
    ASSERT_TRUE(board.Model().IsPaused());
    const int ticks = board.Model().Ticks();
    app.RunFor(1000);
    EXPECT_EQ(board.Model().Ticks(), ticks);
    // The next click only resumes.
    app.Click(kMenuX, 40);
    EXPECT_FALSE(board.Model().IsPaused());
    app.RunFor(500);
    EXPECT_GT(board.Model().Ticks(), ticks + 40);
}

TEST_F(GameFlowTest, AStartWithoutGameDataNamesTheFolderAndHowToNameAnother) {
    const std::string empty = mHome.Path() + "/empty";
    std::filesystem::create_directories(empty);
    for (const std::string& folder : {mHome.Path() + "/nonexistent", empty}) {
        SCOPED_TRACE(folder);
        FlowApp app;
        EXPECT_THROW(app.Start(folder), ravix::HeadlessProcessExit);
        EXPECT_EQ(app.Headless().ExitCode(), 1);
        const auto boxes = app.Headless().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].mText.find("No game data in " + folder + ": "), 0u) << boxes[0].mText;
        EXPECT_NE(boxes[0].mText.find("-changedir=DIR"), std::string::npos) << boxes[0].mText;
        std::filesystem::current_path(mOldFolder);
    }
}

TEST_F(GameFlowTest, ALevelsFileThatCannotBePlayedEndsTheStartNamingLevelAndProblem) {
    struct Case {
        const char* mName;
        const char* mLevels; // null: no file
        const char* mProblem;
    };
    const Case cases[] = {
        {"no file", nullptr, "Properties/Levels.txt: cannot be read"},
        {"missing level", "2 #level 0 #cols 4 #rows 3 #colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2",
         "levels 1 to 2 are missing"},
        {"count below 1", "0 #level 0 #cols 4 #rows 3 #colors 0 #shapes 2 0 1 #symbols 3 0 1 2",
         "level 0: \"#colors\" count"},
        {"grid larger than its deck",
         "0 #level 0 #cols 5 #rows 3 #colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2",
         "level 0: the grid has 15"},
    };
    for (const Case& c : cases) {
        const std::string folder = mHome.Path() + "/levels-" + std::to_string(&c - cases);
        std::filesystem::copy(mData.Path(), folder, std::filesystem::copy_options::recursive);
        std::filesystem::remove(folder + "/Properties/Levels.txt");
        if (c.mLevels != nullptr) {
            ravix::testing::WriteTextFile(folder + "/Properties/Levels.txt", c.mLevels);
        }
        FlowApp app;
        EXPECT_THROW(app.Start(folder), ravix::HeadlessProcessExit) << c.mName;
        EXPECT_NE(app.Headless().ExitCode(), 0) << c.mName;
        const auto boxes = app.Headless().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.mName;
        EXPECT_NE(boxes[0].mText.find("Properties/Levels.txt"), std::string::npos) << boxes[0].mText;
        EXPECT_NE(boxes[0].mText.find(c.mProblem), std::string::npos) << boxes[0].mText;
        std::filesystem::current_path(mOldFolder);
    }
}

TEST_F(GameFlowTest, UncheckingFullScreenWhenItIsForcedExplainsAndKeepsTheBoxChecked) {
    FlowApp& app = StartAtMainMenu();
    app.mWantWindowed = false;
    app.mFullScreenForced = true;
    app.Click(kMenuX, kThirdRowY);
    auto* options = dynamic_cast<OptionsDialog*>(app.FindDialog(OptionsDialog::kDialogId));
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->mFullScreenCheckbox->IsOn());
    // The box lies at (321, 353) and is 24 x 24.
    app.Click(333, 365);
    ravix::Dialog* message = app.FindDialog(5);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->mTitleText, "No Windowed Mode");
    EXPECT_TRUE(options->mFullScreenCheckbox->IsOn());
}

TEST(FlickeringButtonWidget, TheGlowFollowsTheSineOfThePhase) {
    const struct {
        double mPhase;
        int mAlpha;
    } cases[] = {{0.0, 127}, {1.5707963267948966, 255}, {-1.5707963267948966, 0}, {3.0, 145}};
    for (const auto& c : cases) {
        EXPECT_EQ(FlickeringButtonWidget::GlowAlpha(c.mPhase), c.mAlpha) << c.mPhase;
    }
}
