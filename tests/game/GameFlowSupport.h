#pragma once

#include "GameDataFolder.h"
#include "app/AppTestSupport.h"
#include "game/Board.h"
#include "game/Card.h"
#include "game/GameApp.h"
#include "game/Level.h"
#include "platform/KeyCodes.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::testing {

// The whole game on the headless platform, driven pass by pass as its main loop would run it,
// with input posted as the window system would deliver it.
class FlowApp : public GameApp {
public:
    explicit FlowApp(std::vector<std::string> commandLine = {"tarnwick"})
        : GameApp(std::make_unique<ravix::HeadlessPlatform>()) {
        mSilent = true;
        Headless().SetCommandLine(std::move(commandLine));
    }
    ~FlowApp() override {
        if (!mShuttingDown) {
            BeginShutdown();
        }
    }

    ravix::HeadlessPlatform& Headless() {
        return static_cast<ravix::HeadlessPlatform&>(GetPlatform());
    }

    // Initialize and what Run does before its loop.
    void Start(const std::string& dataFolder) {
        mStartFolder = dataFolder;
        Initialize();
        StartLoadingThread();
        GetPlatform().ShowMainWindow(true);
        ResetTiming();
    }

    void RunFor(int64_t ms) {
        const int64_t end = Now() + ms;
        bool updated = false;
        while (Now() <= end && RunPass(updated)) {
        }
    }
    // Runs until the condition holds or a minute of game time has passed; false then.
    bool RunUntil(const std::function<bool()>& condition) {
        const int64_t end = Now() + 60000;
        bool updated = false;
        while (!condition()) {
            if (Now() > end || !RunPass(updated)) {
                return false;
            }
        }
        return true;
    }
    void Post(ravix::MessageKind kind, int code = 0, int x = 0, int y = 0) {
        Headless().PostMessage(ravix::testing::Message(kind, code, x, y));
    }
    // Points at (x, y), lets two updates see the pointer there, then clicks.
    void Click(int x, int y) {
        Post(ravix::MessageKind::MouseMove, 0, x, y);
        RunFor(20);
        Post(ravix::MessageKind::LeftDown, 0, x, y);
        Post(ravix::MessageKind::LeftUp, 0, x, y);
        RunFor(20);
    }
    void PressKey(int key) {
        Post(ravix::MessageKind::KeyDown, key);
        Post(ravix::MessageKind::KeyUp, key);
        RunFor(20);
    }
    // The key pressed with Ctrl held.
    void PressCtrlKey(int key) {
        Post(ravix::MessageKind::KeyDown, ravix::kKeyControl);
        PressKey(key);
        Post(ravix::MessageKind::KeyUp, ravix::kKeyControl);
        RunFor(20);
    }
};

// Three cards of the game that score together and are not all solved yet (indices into its
// cards), or none when the game has no such triple left.
inline std::optional<std::array<size_t, 3>> FindScoringTriple(const BoardModel& game) {
    const auto& cards = game.Cards();
    const size_t count = cards.size();
    for (size_t a = 0; a < count; ++a) {
        for (size_t b = a + 1; b < count; ++b) {
            for (size_t c = b + 1; c < count; ++c) {
                const Card& x = *cards[a];
                const Card& y = *cards[b];
                const Card& z = *cards[c];
                if (!(x.mSolved && y.mSolved && z.mSolved) &&
                    BoardModel::ScoreTriple(x, y, z) > 0) {
                    return std::array<size_t, 3>{a, b, c};
                }
            }
        }
    }
    return std::nullopt;
}

inline std::optional<std::array<size_t, 3>> FindScoringTriple(const Board& board) {
    return FindScoringTriple(board.Model());
}

// Picks the three cards by clicking their centres, then waits until the board takes clicks
// again.
inline void PickTriple(FlowApp& app, const std::array<size_t, 3>& triple) {
    for (size_t index : triple) {
        const Card& card = *app.mBoard->Model().Cards()[index];
        app.Click(static_cast<int>(card.mX), static_cast<int>(card.mY));
    }
    app.RunUntil([&] { return app.mBoard->Model().ResultDelay() == 0; });
    app.RunFor(30);
}

// Moves the board's card cursor onto the card with the arrow keys, the presses worked out from
// the cursor's cell and the card's cell in the grid the cards were dealt into.
inline void MoveCursorTo(FlowApp& app, size_t index) {
    const int columns = app.mBoard->Model().GetLevel().GetCols();
    const int row = static_cast<int>(index) / columns;
    const int column = static_cast<int>(index) % columns;
    const CardCursor& cursor = app.mBoard->Cursor();
    for (int dy = row - cursor.Row(); dy != 0; dy += dy > 0 ? -1 : 1) {
        app.PressKey(dy > 0 ? ravix::kKeyDown : ravix::kKeyUp);
    }
    for (int dx = column - cursor.Column(); dx != 0; dx += dx > 0 ? -1 : 1) {
        app.PressKey(dx > 0 ? ravix::kKeyRight : ravix::kKeyLeft);
    }
}

// Picks the three cards with the arrows and Enter, then waits until the board takes picks
// again.
inline void PickTripleByKeys(FlowApp& app, const std::array<size_t, 3>& triple) {
    for (size_t index : triple) {
        MoveCursorTo(app, index);
        app.PressKey(ravix::kKeyEnter);
    }
    app.RunUntil([&] { return app.mBoard->Model().ResultDelay() == 0; });
    app.RunFor(30);
}

using TriplePicker = void (*)(FlowApp&, const std::array<size_t, 3>&);

// Solves the board's game with scoring triples, each picked by the picker (the mouse by
// default); false when it gets stuck.
inline bool SolveBoard(FlowApp& app, TriplePicker pick = PickTriple) {
    for (int guard = 0; guard < 200 && !app.mBoard->Model().IsAllSolved(); ++guard) {
        const std::optional<std::array<size_t, 3>> triple = FindScoringTriple(*app.mBoard);
        if (!triple) {
            return false;
        }
        pick(app, *triple);
    }
    return app.mBoard->Model().IsAllSolved();
}

// Solves the board's game by keys alone; false when it gets stuck.
inline bool SolveBoardByKeys(FlowApp& app) {
    return SolveBoard(app, PickTripleByKeys);
}

// A test of the whole game: a home of its own, the game's data, and the application started
// to its main menu.
class FlowTest : public ::testing::Test {
protected:
    FlowTest() : mOldFolder(std::filesystem::current_path()), mData(mHome.Path()) {}
    ~FlowTest() override {
        mApp.reset();
        std::filesystem::current_path(mOldFolder);
    }

    FlowApp& StartAtMainMenu() {
        mApp = std::make_unique<FlowApp>();
        mApp->Start(mData.Path());
        EXPECT_TRUE(mApp->RunUntil([&] { return mApp->IsLoadingComplete(); }));
        mApp->RunFor(20);
        return *mApp;
    }

    ravix::testing::TempHome mHome;
    std::filesystem::path mOldFolder;
    GameDataFolder mData;
    std::unique_ptr<FlowApp> mApp;
};

} // namespace tarnwick::testing
