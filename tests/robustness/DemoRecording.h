#pragma once

#include "game/FlickeringButtonWidget.h"
#include "game/GameFlowSupport.h"
#include "game/TitleScreen.h"

#include <string>

namespace tarnwick::testing {

// Centres of the title screen's first two menu rows, of a point on the board away from its
// buttons and of the board's menu button.
constexpr int kMenuX = 400;
constexpr int kFirstRowY = 215;
constexpr int kSecondRowY = 273;
constexpr int kThirdRowY = 331;
constexpr int kBoardY = 300;
constexpr int kBoardMenuY = 550;

// From the main menu: play, a new game when a saved one is offered, then the difficulty in the
// given row, past the help picture a beginner board shows.
inline void StartGame(FlowApp& app, int difficultyY) {
    app.Click(kMenuX, kFirstRowY);
    ASSERT_NE(app.mTitleScreen, nullptr);
    if (app.mTitleScreen->GetButton(TitleScreen::kNew) != nullptr &&
        app.mTitleScreen->GetButton(TitleScreen::kNew)->mVisible) {
        app.Click(kMenuX, kThirdRowY);
    }
    app.Click(kMenuX, difficultyY);
    ASSERT_NE(app.mBoard, nullptr);
    if (app.mBoard->Model().IsHelpShown()) {
        app.Click(kMenuX, kBoardY);
    }
}

// Records into demoPath a short session on the data folder: a beginner game won (the top scores
// written, the saved game deleted), the next level started with one scoring triple, then the
// window closed (the game saved).
inline void RecordShortGame(const std::string& dataFolder, const std::string& demoPath) {
    FlowApp app({"tarnwick", "-record", "-demofile=" + demoPath});
    app.Headless().AdvanceClock(123456);
    app.Start(dataFolder);
    ASSERT_TRUE(app.RunUntil([&] { return app.IsLoadingComplete(); }));
    app.RunFor(20);
    StartGame(app, kFirstRowY);
    ASSERT_TRUE(SolveBoard(app));
    app.RunFor(300);
    app.Click(kMenuX, kBoardY);
    ASSERT_NE(app.mBoard, nullptr);
    PickTriple(app, *FindScoringTriple(*app.mBoard));
    app.RunFor(300);
    app.Post(ravix::MessageKind::Close);
    app.RunFor(20);
}

// Records into demoPath games played through one after another until minutes of game time have
// passed: each first level won (beginner and easy in turn), then back to the title with the
// board's menu button. Returns the number of games won.
inline int RecordManyGames(const std::string& dataFolder, const std::string& demoPath,
                           int minutes) {
    FlowApp app({"tarnwick", "-record", "-demofile=" + demoPath});
    app.Headless().AdvanceClock(654321);
    app.Start(dataFolder);
    EXPECT_TRUE(app.RunUntil([&] { return app.IsLoadingComplete(); }));
    app.RunFor(20);
    const int64_t end = app.Now() + int64_t{minutes} * 60 * 1000;
    int won = 0;
    while (app.Now() < end) {
        StartGame(app, won % 2 == 0 ? kFirstRowY : kSecondRowY);
        if (app.mBoard == nullptr || !SolveBoard(app)) {
            ADD_FAILURE() << "game " << won << " could not be won";
            break;
        }
        ++won;
        app.RunFor(500);
        // On a won board the first click may start the next level; the menu button then
        // leaves that one.
        for (int click = 0; click < 2 && app.mBoard != nullptr; ++click) {
            app.Click(kMenuX, kBoardMenuY);
        }
        if (app.mBoard != nullptr) {
            ADD_FAILURE() << "the menu button did not leave game " << won;
            break;
        }
        app.RunFor(200);
    }
    app.Post(ravix::MessageKind::Close);
    app.RunFor(20);
    return won;
}

} // namespace tarnwick::testing
