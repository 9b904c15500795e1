#include "app/RavixAppBase.h"

#include "app/Version.h"
#include "audio/SoundInstance.h"
#include "base/Verify.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "net/HTTPTransfer.h"
#include "resources/ResourceManager.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <unistd.h>

namespace ravix {

RavixAppBase* gApplication = nullptr;

namespace {

// Screen-saver errors truncate the log the first time in the process and append afterwards.
bool gScreenSaverLogStarted = false;

std::string ProgramFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

// Brackets a system box: the scheduler's backlog and the key state are dropped afterwards.
class ModalPopupScope {
public:
    explicit ModalPopupScope(RavixAppBase& app) : mApp(app) { mApp.BeginModalPopup(); }
    ~ModalPopupScope() { mApp.EndModalPopup(); }
    ModalPopupScope(const ModalPopupScope&) = delete;
    ModalPopupScope& operator=(const ModalPopupScope&) = delete;

private:
    RavixAppBase& mApp;
};

} // namespace

RavixAppBase::RavixAppBase(std::unique_ptr<Platform> platform) : mPlatform(std::move(platform)) {
    RAVIX_VERIFY(mPlatform != nullptr, "the application needs a platform");
    // A fault reaches the process-wide application, whichever that is by then.
    SetCrashHostSource([]() -> CrashHost* { return gApplication; });
    if (gApplication == nullptr) {
        gApplication = this;
        // The program's web transfers keep their outcomes in this application's demo stream.
        HTTPTransfer::Shared().SetOutcomeLog(this);
    }
    mWidgets = std::make_unique<WidgetManager>(this);
    mResources = std::make_unique<ResourceManager>(this);
    mVersionText = ProductVersionText();
    mStartFolder = ProgramFolder();
    mStartTick = Now();
    mConstructionTick = mStartTick;
    mMainThreadNumber = gettid();
    mScheduler = FrameScheduler(mStartTick);
    SetString("DIALOG_BUTTON_OK", "OK");
    SetString("DIALOG_BUTTON_CANCEL", "CANCEL");
    SetString("UPDATE_CHECK_TITLE", "Update Check");
    SetString("UPDATE_CHECK_BODY",
              "Checking if there are any updates available for this product ...");
    SetString("UP_TO_DATE_TITLE", "Up to Date");
    SetString("UP_TO_DATE_BODY", "There are no updates available for this product at this time.");
    SetString("NEW_VERSION_TITLE", "New Version");
    SetString("NEW_VERSION_BODY", "There is an update available for this product.  Would you "
                                  "like to visit the web site to download it?");
    mDemo.SetPath(mDemo.Prefix() + ".dmo");
}

RavixAppBase::~RavixAppBase() {
    // After QuitProcess the process is gone as far as the program is concerned: nothing more is
    // shut down or written (a test platform returns from its exit by throwing).
    if (!mProcessEnded) {
        RavixAppBase::BeginShutdown();
        WriteDemoFile();
    }
    JoinThreads();
    RemoveAllDialogs();
    mPassDepth = 0;
    SweepDeferredDeletes();
    // The owned objects go while the platform and gApplication, which widgets leaving the tree
    // may still reach, are there.
    mWidgets.reset();
    mResources.reset();
    mDisplay.reset();
    // An image that outlives its application must not reach the registry when it goes.
    mImages.ForEach([](MemoryImage* image) { image->mRegistry = nullptr; });
    if (gApplication == this) {
        gApplication = nullptr;
    }
    if (HTTPTransfer::Shared().OutcomeLog() == this) {
        HTTPTransfer::Shared().SetOutcomeLog(nullptr);
    }
}

void RavixAppBase::SetString(const std::string& id, const std::string& text) {
    mStrings[id] = text;
}

std::string RavixAppBase::GetString(const std::string& id, const std::string& defaultText) const {
    auto found = mStrings.find(id);
    return found == mStrings.end() ? defaultText : found->second;
}

void RavixAppBase::SetMusicLevel(double level) {
    mMusicLevel = level;
    ApplyMusicVolume();
}

void RavixAppBase::SetEffectsLevel(double level) {
    mEffectsLevel = level;
    ApplyEffectsVolume();
}

void RavixAppBase::Silence(bool automatic) {
    ++mSilenceDepth;
    if (automatic) {
        ++mAutoSilenceDepth;
    }
    ApplyMusicVolume();
    ApplyEffectsVolume();
}

void RavixAppBase::Unsilence(bool automatic) {
    if (mSilenceDepth <= 0) {
        return;
    }
    --mSilenceDepth;
    if (automatic && mAutoSilenceDepth > 0) {
        --mAutoSilenceDepth;
    }
    ApplyMusicVolume();
    ApplyEffectsVolume();
}

void RavixAppBase::ApplyMusicVolume() {
    if (mMusic) {
        mMusic->SetMusicVolume(IsSilenced() ? 0.0 : mMusicLevel);
    }
}

void RavixAppBase::ApplyEffectsVolume() {
    if (mSounds) {
        mSounds->SetEffectsVolume(IsSilenced() ? 0.0 : mEffectsLevel);
    }
}

void RavixAppBase::PlayEffectPanned(int id, int pan) {
    SoundInstance* channel = mSounds ? mSounds->CreateChannel(id) : nullptr;
    if (!channel) {
        return;
    }
    channel->SetBalance(pan);
    channel->Launch(false, true); // released by the sound manager once it has finished
}

void RavixAppBase::PlayEffect(int id) {
    PlayEffectPanned(id, 0);
}

double RavixAppBase::GetMasterLevel() {
    return mSounds ? mSounds->GetSystemVolume() : 0.0;
}

void RavixAppBase::SetMasterLevel(double level) {
    mEffectsLevel = level;
    if (mSounds) {
        mSounds->SetSystemVolume(level);
    }
}

double RavixAppBase::GetLoadingProgress() {
    if (mLoadingComplete) {
        return 1.0;
    }
    int total = mLoadingTasksTotal;
    if (!mLoadingThreadStarted || total <= 0) {
        return 0.0;
    }
    return std::min(1.0, static_cast<double>(mLoadingTasksDone) / total);
}

void RavixAppBase::BeginModalPopup() {
    // Full screen, the display switches to the system's drawing surface here.
    mPopupShowing = true;
}

void RavixAppBase::EndModalPopup() {
    mPopupShowing = false;
    ResetTiming();
    ClearKeyState();
    if (mWidgets->mPhysicalButtons != 0 || mWidgets->mHeldButtons != 0) {
        mPlatform->CaptureMouse(false);
    }
}

int RavixAppBase::ShowMessageBox(const std::string& text, const std::string& caption, int flags) {
    if (mScreenSaverMode) {
        LogScreenSaverError(text);
        return kMessageBoxResultOk;
    }
    if (std::this_thread::get_id() != mMainThreadId) {
        // The box, its modal bracket and the timing it resets belong to the main thread.
        std::lock_guard lock(mQueuedBoxesMutex);
        mQueuedBoxes.push_back({text, caption, flags});
        mHaveQueuedBoxes = true;
        return kMessageBoxResultOk;
    }
    if (CanShowMessageDialog(flags)) {
        return ShowMessageDialog(text, caption, flags);
    }
    return ShowSystemMessageBox(text, caption, flags);
}

int RavixAppBase::ShowSystemMessageBox(const std::string& text, const std::string& caption,
                                       int flags) {
    if (mScreenSaverMode) {
        LogScreenSaverError(text);
        return kMessageBoxResultOk;
    }
    ModalPopupScope popup(*this);
    return mPlatform->ShowMessageBox(text, caption, flags);
}

void RavixAppBase::ShowQueuedMessageBoxes() {
    if (!mHaveQueuedBoxes.exchange(false)) {
        return;
    }
    std::vector<QueuedMessageBox> boxes;
    {
        std::lock_guard lock(mQueuedBoxesMutex);
        boxes.swap(mQueuedBoxes);
    }
    for (const QueuedMessageBox& box : boxes) {
        ShowMessageBox(box.mText, box.mCaption, box.mFlags);
    }
}

void RavixAppBase::ShowFatalError(const std::string& text) {
    if (mScreenSaverMode) {
        LogScreenSaverError(text);
        return;
    }
    ModalPopupScope popup(*this);
    if (!mShuttingDown) {
        mPlatform->ShowMessageBox(text, GetString("FATAL_ERROR", "FATAL ERROR"),
                                  kMessageBoxOk | kMessageBoxIconError);
    }
}

// The log lies in the per-user data folder (the working folder before that is known): the working
// folder is the game's data folder, which the program only reads.
void RavixAppBase::LogScreenSaverError(const std::string& text) {
    const std::string path = mDataFolder + "ScrError.txt";
    // The player's own file, as everything in the data folder (0600).
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | (gScreenSaverLogStarted ? O_APPEND : O_TRUNC);
    const int fd = open(path.c_str(), flags, 0600);
    gScreenSaverLogStarted = true;
    std::FILE* log = fd < 0 ? nullptr : fdopen(fd, "a");
    if (log == nullptr) {
        if (fd >= 0) {
            close(fd);
        }
        return;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char timeOfDay[16];
    std::strftime(timeOfDay, sizeof timeOfDay, "%H:%M:%S", &local);
    std::fprintf(log, "%s %s %u\n", text.c_str(), timeOfDay, static_cast<unsigned>(Now()));
    std::fclose(log);
}

void RavixAppBase::OnWebPageFailed(const std::string&) {
    mWebPagePending = false;
}

void RavixAppBase::OnWebPageOpened(const std::string&) {
    mWebPagePending = false;
    if (mWebPageQuitAfter) {
        BeginShutdown();
    }
}

bool RavixAppBase::OpenWebPage(const std::string& url, bool quitAfter) {
    if (mWebPagePending && mWebPageUrl == url) {
        return true;
    }
    mWebPageQuitAfter = quitAfter;
    mWebPageUrl = url;
    mWebPageTime = Now();
    mWebPagePending = true;
    if (!mPlatform->OpenUrl(url)) {
        OnWebPageFailed(url);
        return false;
    }
    return true;
}

void RavixAppBase::SetCursorNumber(int number) {
    mCursorNumber = number;
    ApplyCursorShape();
}

void RavixAppBase::SetCustomCursors(bool on) {
    mCustomCursors = on;
    ApplyCursorShape();
}

void RavixAppBase::ClearKeyState() {
    mWidgets->ClearKeyState();
    mCtrlDown = false;
    mAltDown = false;
}

bool RavixAppBase::IsAltCharHandled(int character) {
    return character == '\r' || character == 'r' || character == 'R';
}

void RavixAppBase::OnAlreadyRunning() {
    if (mSingleInstance) {
        mPlatform->NotifyRunningInstance(mProductName, 0);
        QuitProcess(0);
    }
}

void RavixAppBase::BeginShutdown() {
    if (std::this_thread::get_id() != mMainThreadId) {
        mShutdownRequested = true; // performed on the main thread by RunFrame
        return;
    }
    if (mShuttingDown.exchange(true)) {
        return;
    }
    mLeaveLoop = true;
    OnShutdownBegins();
    if (mDemo.IsPlaying()) {
        // The levels the playback mute toggle kept (settings writes do not reach the store
        // during playback).
        SetMusicLevel(mKeptMusicLevel);
        SetEffectsLevel(mKeptEffectsLevel);
    }
    while (mCursorThreadRunning) {
        mPlatform->Sleep(10);
    }
    if (mCursorThread.joinable()) {
        mCursorThread.join();
    }
    if (mMusic) {
        mMusic->StopAllSongs();
    }
    // The desktop's display mode was never changed, so only the window goes.
    mPlatform->StartTimer(0);
    mPlatform->HideMainWindow();
    if (mSettingsRead) {
        WriteSettings();
    }
}

void RavixAppBase::QuitProcess(int code) {
    // The desktop display mode is never changed on this platform, so nothing to restore.
    mProcessEnded = true;
    mPlatform->EndProcess(code);
    std::abort(); // EndProcess does not return
}

} // namespace ravix
