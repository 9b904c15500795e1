#include "game/GameApp.h"

#include "app/DataLocation.h"
#include "game/Board.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/LevelsFile.h"
#include "game/OptionsDialog.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "game/TopScoresScreen.h"
#include "platform/KeyCodes.h"
#include "resources/ResourceManager.h"
#include "widgets/WidgetManager.h"

#include <filesystem>

namespace tarnwick {

namespace {

constexpr int kMusicSong = 1;
constexpr double kMusicFadeInStep = 0.002;
// The shortcut keys (virtual-key codes: letters are their capitals).
constexpr int kKeyQ = 'Q';
constexpr int kKeyM = 'M';
constexpr int kKeyF11 = ravix::kKeyF1 + 10;
constexpr const char* kMutedSetting = "Muted";

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
    mBoard.reset();
    mTitleScreen.reset();
    mTopScores.reset();
    mResources->ReleaseGroup("");
}

void GameApp::Initialize() {
    RavixAppBase::Initialize();
    if (mShuttingDown) {
        return;
    }
    if (mEndWithDemo) {
        if (!Demo().IsPlaying()) {
            FailStart("-headless replays a demo: give it with -play -demofile=FILE.");
        }
        // As fast as the machine allows, to the end of the recording.
        Demo().Controls().mRunToEnd = true;
    }
    CheckDataFolder();
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

void GameApp::CheckDataFolder() {
    const std::string folder =
        mStartFolder.empty() ? std::filesystem::current_path().string() : mStartFolder;
    std::error_code error;
    std::string reason;
    if (!std::filesystem::is_directory(folder, error)) {
        reason = "there is no such folder";
    } else if (!ravix::HoldsGameData(folder)) {
        reason = "it holds neither main.pak nor properties/resources.xml";
    } else {
        return;
    }
    FailStart("No game data in " + folder + ": " + reason +
              ".\nName the folder that holds the game's data with -changedir=DIR.");
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
    mTitleScreen.reset(std::make_unique<TitleScreen>(this));
    mTitleScreen->Resize(0, 0, mScreenWidth, mScreenHeight);
    mWidgets->InsertChild(mTitleScreen.get());
}

void GameApp::ShowTitleScreen() {
    mBoard.DeleteAfterPass(this);
    CreateTitleScreen();
    mTitleScreen->ShowMainMenu();
    mTitleScreen->Invalidate();
}

void GameApp::CreateBoard(PlayMode mode) {
    mTitleScreen.DeleteAfterPass(this);
    mBoard.reset(std::make_unique<Board>(this, mode));
    mBoard->Resize(0, 0, mScreenWidth, mScreenHeight);
    mWidgets->InsertChild(mBoard.get());
    mWidgets->FocusWidget(mBoard.get());
}

void GameApp::ShowTopScores() {
    mTopScores.DeleteAfterPass(this);
    mTopScores.reset(std::make_unique<TopScoresScreen>(this));
    mTopScores->CreateLink();
    mTopScores->Resize(0, 0, mScreenWidth, mScreenHeight);
    mWidgets->InsertChild(mTopScores.get());
    mWidgets->FocusWidget(mTopScores.get());
}

void GameApp::CloseTopScores() {
    mTopScores.DeleteAfterPass(this);
    if (mTitleScreen) {
        mTitleScreen->FocusButton(TitleScreen::kScores);
    }
}

void GameApp::ReportSaveFailure(const SaveFailure& failure) {
    if (mSaveFailureReported) {
        return;
    }
    mSaveFailureReported = true;
    // The platform prints a warning box on the standard error stream too. Some system boxes do
    // not wrap: the lines are broken here.
    ShowSystemMessageBox("Tarnwick could not save your game in\n" + failure.mFolder + ": " +
                             failure.mReason +
                             ".\nYou can play on, but what you play now is not kept.",
                         "Game Not Saved", ravix::kMessageBoxOk | ravix::kMessageBoxIconWarning);
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
    // saves it (a won game as the next one).
    if (mBoard && !mBoard->Model().SaveOnLeaving()) {
        ReportSaveFailure(*mBoard->Model().TakeSaveFailure());
    }
}

bool GameApp::OnShortcutKey(int key) {
    const bool ctrl = mWidgets->IsKeyDown(ravix::kKeyControl);
    const bool alt = mWidgets->IsKeyDown(ravix::kKeyAlt);
    if (alt) {
        return false;
    }
    if (ctrl) {
        if (key != kKeyQ) {
            return false;
        }
        BeginShutdown(); // OnShutdownBegins saves a game in progress, as the close button does
        return true;
    }
    switch (key) {
    case kKeyF11:
        ToggleFullScreen();
        return true;
    case kKeyM:
        SetMuted(!mMuted);
        return true;
    case ravix::kKeyF1:
        // The help button's click, on a board that takes input (no dialog over it).
        if (mBoard && mBoard->GetParent() != nullptr && mWidgets->mModalWidget == nullptr) {
            mBoard->OnButtonClick(Board::kHelpButton);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void GameApp::SetMuted(bool muted) {
    if (muted == mMuted) {
        return;
    }
    mMuted = muted;
    muted ? Silence(false) : Unsilence(false);
    if (FindDialog(OptionsDialog::kDialogId) != nullptr) {
        FindDialog(OptionsDialog::kDialogId)->Invalidate(); // it shows the setting
    }
}

void GameApp::ReadSettings() {
    RavixAppBase::ReadSettings();
    bool muted = false;
    if (ReadSettingBool(kMutedSetting, muted)) {
        SetMuted(muted);
    }
}

void GameApp::WriteSettings() {
    RavixAppBase::WriteSettings();
    WriteSettingBool(kMutedSetting, mMuted);
}

bool GameApp::RunFrame(bool allowSleep) {
    const bool result = RavixAppBase::RunFrame(allowSleep);
    // The fast-forward clears the run to the end once every recorded event has run and the
    // recorded length is reached: a headless replay ends there.
    if (mEndWithDemo && Demo().IsPlaying() && !Demo().Controls().mRunToEnd && !mShuttingDown) {
        BeginShutdown();
    }
    return result;
}

} // namespace tarnwick
