#include "game/GameApp.h"

#include "game/Board.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/LevelsFile.h"
#include "game/TitleScreen.h"
#include "game/TopScoresScreen.h"
#include "resources/ResourceManager.h"
#include "widgets/WidgetManager.h"

namespace tarnwick {

namespace {

constexpr int kMusicSong = 1;
constexpr double kMusicFadeInStep = 0.002;

} // namespace

GameApp::GameApp(std::unique_ptr<ravix::Platform> platform)
    : RavixAppBase(std::move(platform)) {
    mProductName = "Tarnwick";
    mVersionText = "1.0";
    mWindowCaption = mProductName;
    mWindowIconPath = "images/icon.png";
    mRegistryKey = "Brannel\\Tarnwick";
    mScreenWidth = 800;
    mScreenHeight = 600;
    mWantWindowed = true;
    mRefreshPacing = true;
    // The display layer draws in software only: there is no 3D acceleration to ask for.
}

GameApp::~GameApp() {
    TakeDownScreen(mBoard);
    TakeDownScreen(mTitleScreen);
    // A top-scores screen still open when the program ends belongs to no screen.
    std::vector<TopScoresScreen*> scores;
    for (ravix::Widget* widget : mWidgets->GetChildren()) {
        if (auto* screen = dynamic_cast<TopScoresScreen*>(widget)) {
            scores.push_back(screen);
        }
    }
    for (TopScoresScreen* screen : scores) {
        TakeDownScreen(screen);
    }
    mResources->ReleaseGroup("");
}

template <class Screen>
void GameApp::TakeDownScreen(Screen*& screen) {
    if (screen == nullptr) {
        return;
    }
    if (screen->GetParent() != nullptr) {
        screen->GetParent()->DetachChild(screen);
    }
    delete screen;
    screen = nullptr;
}

void GameApp::Initialize() {
    RavixAppBase::Initialize();
    if (mShuttingDown) {
        return;
    }
    if (mEndWithDemo) {
        if (!mPlaying) {
            FailStart("-headless replays a demo: give it with -play -demofile=FILE.");
        }
        // As fast as the machine allows, to the end of the recording.
        mRunToEnd = true;
    }
    CheckLevelsFile();
    LoadResourceManifest();
    if (!mResources->LoadResourceGroup("Init") || !ExtractInitResources(*mResources) ||
        !mResources->LoadResourceGroup("TitleScreen") ||
        !ExtractTitleScreenResources(*mResources)) {
        FailStart(mResources->ErrorText());
    }
    CreateTitleScreen();
    mLoadingTasksTotal = mResources->CountGroupResources("Game");
}

void GameApp::FailStart(const std::string& text) {
    mLoadingFailed = true;
    ShowFatalError(text);
    QuitProcess(1);
}

void GameApp::CheckLevelsFile() {
    LevelsFile levels;
    std::string error;
    std::vector<std::string> problems;
    if (!ReadLevelsFile(Level::kLevelsFile, levels, error)) {
        problems.push_back(error);
    } else {
        problems = CheckLevels(levels, LevelPictureCells{});
    }
    if (problems.empty()) {
        return;
    }
    std::string text = std::string("The levels file ") + Level::kLevelsFile +
                       " cannot be played:";
    for (const std::string& problem : problems) {
        text += "\n" + problem;
    }
    FailStart(text);
}

void GameApp::LoadingThreadBody() {
    mResources->BeginGroupLoad("Game");
    while (mResources->LoadNextResource()) {
        ++mLoadingTasksDone;
        if (mShuttingDown) {
            return;
        }
        if (mTitleScreen != nullptr) {
            mTitleScreen->Invalidate();
        }
    }
    if (mResources->HasFailed() || !ExtractGameResources(*mResources)) {
        // Shown by the main thread when loading completes: message boxes belong to it.
        mLoadingError = mResources->ErrorText();
        mLoadingFailed = true;
    }
}

void GameApp::OnLoadingComplete() {
    if (mLoadingFailed) {
        ShowFatalError(mLoadingError);
        return;
    }
    if (mTitleScreen != nullptr) {
        mTitleScreen->ShowMainMenu();
        mTitleScreen->Invalidate();
    }
    mMusic->LoadSong(kMusicSong, "Music/Music.ogg");
    mMusic->FadeInSong(kMusicSong, 0, kMusicFadeInStep, false);
}

void GameApp::PlayEffect(int id) {
    RavixAppBase::PlayEffect(id);
}

void GameApp::CreateTitleScreen() {
    mTitleScreen = new TitleScreen(this);
    mTitleScreen->Resize(0, 0, mScreenWidth, mScreenHeight);
    mWidgets->InsertChild(mTitleScreen);
}

void GameApp::ShowTitleScreen() {
    mBoard = nullptr;
    CreateTitleScreen();
    mTitleScreen->ShowMainMenu();
    mTitleScreen->Invalidate();
}

void GameApp::CreateBoard(int mode) {
    mTitleScreen = nullptr;
    mBoard = new Board(this, mode);
    mBoard->Resize(0, 0, mScreenWidth, mScreenHeight);
    mWidgets->InsertChild(mBoard);
    mWidgets->FocusWidget(mBoard);
}

void GameApp::HandleCommandLineOption(const std::string& name, const std::string& value) {
    if (name == "-headless") {
        // The program entry chose the headless platform; here the run ends with the demo.
        mEndWithDemo = true;
        return;
    }
    RavixAppBase::HandleCommandLineOption(name, value);
}

void GameApp::OnShutdownBegins() {
    // Closing the program never loses a game in progress: it is saved as the menu button
    // saves it. A won game has no saved game any more.
    if (mBoard != nullptr && !mBoard->IsAllSolved()) {
        mBoard->SaveGame();
    }
}

bool GameApp::RunFrame(bool allowSleep) {
    const bool result = RavixAppBase::RunFrame(allowSleep);
    // The fast-forward clears mRunToEnd once every recorded event has run and the recorded
    // length is reached: a headless replay ends there.
    if (mEndWithDemo && mPlaying && !mRunToEnd && !mShuttingDown) {
        BeginShutdown();
    }
    return result;
}

} // namespace tarnwick
