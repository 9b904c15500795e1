#pragma once

#include "app/AppTestSupport.h"
#include "base/Random.h"
#include "game/Board.h"
#include "game/Card.h"
#include "game/GameApp.h"
#include "game/GameResources.h"
#include "graphics/MemoryImage.h"
#include "platform/headless/HeadlessPlatform.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace tarnwick::testing {

// Sound ids the fixture gives the game's sound variables.
enum FixtureSound { kClick = 1, kScore, kError, kButton, kGameEnd };

// Tiny pictures in the game's resource variables: tiles of 3 x 4 cells and symbols of 8 x 1
// cells of cell x cell pixels, the card back, and small stand-ins for the rest. Cleared again
// when the fixture goes.
class FixturePictures {
public:
    explicit FixturePictures(int cell = 60) {
        IMAGE_TILES = Make(3 * cell, 4 * cell, 3, 4, 0xFF0000FF);
        IMAGE_TILES_SEL = Make(3 * cell, 4 * cell, 3, 4, 0xFF00FF00);
        IMAGE_TILES_HINT = Make(3 * cell, 4 * cell, 3, 4, 0xFF00FFFF);
        IMAGE_SYMBOLS = Make(8 * cell, cell, 8, 1, 0xFFFF0000);
        IMAGE_UNKNOWN = Make(cell, cell, 1, 1, 0xFF808080);
        IMAGE_BKG = Make(8, 6, 1, 1, 0xFF000000);
        IMAGE_HELP = Make(8, 6, 1, 1, 0xFFFFFFFF);
        IMAGE_PAUSE = Make(8, 6, 1, 1, 0xFFFFFFFF);
        IMAGE_MENU_BTN = Make(120, 64, 1, 2, 0xFF404040);
        IMAGE_HELP_BTN = Make(40, 80, 1, 2, 0xFF404040);
        IMAGE_OPTIONS_BTN = Make(40, 80, 1, 2, 0xFF404040);
        IMAGE_MIN_BTN = Make(16, 32, 1, 2, 0xFF404040);
        IMAGE_CLOSE_BTN = Make(16, 32, 1, 2, 0xFF404040);
        SOUND_CLICK = kClick;
        SOUND_SCORE = kScore;
        SOUND_ERROR = kError;
        SOUND_BTN = kButton;
        SOUND_GAME_END = kGameEnd;
    }
    ~FixturePictures() {
        for (ravix::Image** image :
             {&IMAGE_TILES, &IMAGE_TILES_SEL, &IMAGE_TILES_HINT, &IMAGE_SYMBOLS, &IMAGE_UNKNOWN,
              &IMAGE_BKG, &IMAGE_HELP, &IMAGE_PAUSE, &IMAGE_MENU_BTN, &IMAGE_HELP_BTN,
              &IMAGE_OPTIONS_BTN, &IMAGE_MIN_BTN, &IMAGE_CLOSE_BTN}) {
            *image = nullptr;
        }
    }
    FixturePictures(const FixturePictures&) = delete;
    FixturePictures& operator=(const FixturePictures&) = delete;

private:
    ravix::Image* Make(int width, int height, int columns, int rows, uint32_t color) {
        auto image = std::make_unique<ravix::MemoryImage>();
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, color);
        image->SetPixels(pixels.data(), width, height, true);
        image->mCellColumns = columns;
        image->mCellRows = rows;
        mImages.push_back(std::move(image));
        return mImages.back().get();
    }

    std::vector<std::unique_ptr<ravix::MemoryImage>> mImages;
};

// The game's application on the headless platform, without Initialize; it keeps the sound ids
// the game plays instead of playing them.
class RecordingGameApp : public GameApp {
public:
    RecordingGameApp() : GameApp(std::make_unique<ravix::HeadlessPlatform>()) { mSilent = true; }
    void PlayEffect(int id) override { mSounds.push_back(id); }

    std::vector<int> mSounds;
};

// A test working folder (levels file under Properties/), a data folder for the saved game and
// the top scores, the fixture pictures and the application. Boards are dealt with seed 1 unless
// a test seeds again.
class GameTest : public ::testing::Test {
protected:
    GameTest() {
        mOldFolder = std::filesystem::current_path();
        std::filesystem::create_directories(mHome.Path() + "/work/Properties");
        std::filesystem::current_path(mHome.Path() + "/work");
        ravix::RavixAppBase::mDataFolder = mHome.Data() + "/";
        ravix::gRandom.Seed(1);
    }
    ~GameTest() override {
        mApp.reset();
        ravix::RavixAppBase::mDataFolder.clear();
        std::filesystem::current_path(mOldFolder);
    }

    void WriteLevels(const std::string& text) {
        ravix::testing::WriteTextFile(mHome.Path() + "/work/Properties/Levels.txt", text);
    }
    RecordingGameApp& App() {
        if (!mApp) {
            mApp = std::make_unique<RecordingGameApp>();
            ravix::RavixAppBase::mDataFolder = mHome.Data() + "/";
        }
        return *mApp;
    }
    // A board in the mode, shown and focused as the title screen would start it.
    Board& StartBoard(PlayMode mode) {
        App().CreateBoard(mode);
        return *App().mBoard;
    }
    void RunUpdates(int count) {
        for (int i = 0; i < count; ++i) {
            App().mWidgets->RunUpdate();
        }
    }
    // Moves the mouse onto the card, lets an update find it under the mouse, and clicks.
    void ClickCard(Board& board, const Card& card) {
        board.MouseMove(static_cast<int>(card.mX), static_cast<int>(card.mY));
        RunUpdates(1);
        board.MouseUp(static_cast<int>(card.mX), static_cast<int>(card.mY), 0, 1);
    }

    ravix::testing::TempHome mHome;
    std::filesystem::path mOldFolder;
    FixturePictures mPictures;
    std::unique_ptr<RecordingGameApp> mApp;
};

// Twelve cells, twelve combinations: 2 colours x 2 shapes x 3 symbols on a 4 x 3 grid.
inline constexpr const char* kSmallLevels = "1\n"
                                            "#level 0 #rows 3 #cols 4 #colors 2 0 1 "
                                            "#shapes 2 0 1 #symbols 3 0 1 2\n"
                                            "#level 1 #rows 3 #cols 4 #colors 2 1 2 "
                                            "#shapes 2 2 3 #symbols 3 5 6 7\n";

} // namespace tarnwick::testing
