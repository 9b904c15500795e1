#include "app/RavixAppBase.h"

#include "app/StartupCleanup.h"
#include "audio/ALDevice.h"
#include "audio/ALMusicInterface.h"
#include "audio/ALSoundManager.h"
#include "base/Random.h"
#include "base/Rect.h"
#include "files/PakInterface.h"
#include "files/PrivateFolder.h"
#include "net/HTTPTransfer.h"
#include "platform/XdgFolders.h"
#include "widgets/WidgetManager.h"

#include <filesystem>
#include <unistd.h>

namespace ravix {

void RavixAppBase::Initialize() {
    mMainThreadId = std::this_thread::get_id();
    mMainThreadNumber = gettid();
    if (mShuttingDown) {
        return;
    }
    // The window and sound back-ends report a missing display or audio system themselves.
    OnInitializeBegins();
    ReadSettings();
    MakeDataFolder();
    RefreshCrashContext(); // a crash from here on reports to the data folder
    if (!mCommandLineRead) {
        ReadCommandLine();
    }
    if (mScreenSaverMode) {
        mSingleInstance = false;
    }
    if (!KeepWorkingFolder(mStartFolder)) {
        std::error_code ignored;
        std::filesystem::current_path(mStartFolder, ignored);
    }
    MountMainArchive();
    if (!mPlatform->AcquireInstanceLock(mProductName)) {
        OnAlreadyRunning();
    } else {
        RemoveTemporaryFilesOfKilledRuns(mDataFolder, SettingsStore::FilePathForKey(mRegistryKey));
    }
    mStartTick = Now();
    if (mDemo.IsPlaying()) {
        std::string message;
        if (!ReadDemoHeader(message)) {
            mDemo.SetMode(DemoSession::Mode::Off);
            ShowFatalError(message);
            QuitProcess(0);
        }
    }
    // Seeded from the start tick, which a demo stores and its playback restores above, so that
    // a replay draws the same numbers.
    gRandom.Seed(static_cast<uint32_t>(mStartTick));
    // Web transfers are numbered from the start of the run for the same reason.
    if (mDemo.GetMode() != DemoSession::Mode::Off) {
        HTTPTransfer::RestartNumbering();
    }
    // The window layer creates the hidden window and the built-in cursors here.
    OnWindowClassesReady();
    Rect screen(0, 0, mScreenWidth, mScreenHeight);
    mWidgets->Resize(screen, screen);
    // A window that does not fit the desktop's work area starts full screen.
    const Rect work = mPlatform->GetDesktopInfo().mWorkArea;
    if (mWantWindowed && (mScreenWidth >= work.mWidth || mScreenHeight >= work.mHeight)) {
        mWantWindowed = false;
        mFullScreenForced = true;
    }
    CreateMainWindow();
    if (mDemo.IsPlaying()) {
        ReadDemoDisplayRecord();
    }
    if (!mSounds) {
        // Without audio hardware the device is missing and sound is silent: the game still runs.
        mAudioDevice = mSilent ? nullptr : ALDevice::OpenDefault();
        mSounds =
            std::make_unique<ALSoundManager>(mAudioDevice, mDataFolder, [this] { return Now(); });
    }
    SetEffectsLevel(mEffectsLevel);
    mMusic = CreateMusicInterface();
    SetMusicLevel(mMusicLevel);
    if (mScreenSaverMode) {
        SetCursorNumber(11);
    }
    OnInitialized();
    mInitialized = true;
    RefreshCrashContext();
}

std::unique_ptr<MusicInterface> RavixAppBase::CreateMusicInterface() {
    if (mSilent || !mAudioDevice) {
        return std::make_unique<MusicInterface>();
    }
    return std::make_unique<ALMusicInterface>(mAudioDevice);
}

void RavixAppBase::MountMainArchive() {
    std::string error;
    std::error_code ignored;
    // A missing archive is no error; one that is there but cannot be read is a damaged
    // installation, which would otherwise show up later as some other file not found.
    if (!gPakInterface->MountArchive("main.pak", error) &&
        std::filesystem::exists("main.pak", ignored)) {
        ShowFatalError("The archive main.pak in " + std::filesystem::current_path(ignored).string() +
                       " cannot be read: " + error);
        QuitProcess(1);
    }
}

void RavixAppBase::MakeDataFolder() {
    std::filesystem::path folder = XdgDataHome();
    for (const std::string& part : {mMakerName, mProductName}) {
        if (part.empty()) {
            continue;
        }
        folder /= part;
        // Best effort: a folder that cannot be made shows up later as files that cannot be
        // written. It is the player's own, also when an earlier version made it wider.
        (void)MakePrivateFolder(folder.string());
        std::error_code ignored;
        std::filesystem::permissions(
            folder, std::filesystem::perms::group_all | std::filesystem::perms::others_all,
            std::filesystem::perm_options::remove, ignored);
    }
    mDataFolder = folder.string() + "/";
    mDemo.SetPath(MakeDemoPathAbsolute(mDemo.Path()));
}

void RavixAppBase::Run() {
    if (mShuttingDown) {
        return;
    }
    StartCursorThread();
    if (mAutoStartLoader) {
        StartLoadingThread();
    }
    mPlatform->ShowMainWindow(true);
    int64_t runStart = Now();
    mInMainLoop = true;
    ResetTiming();
    mLastTimerTick = runStart;
    mScheduler.RestartStallCheck(runStart);
    RunMainLoop();
    SweepDeferredDeletes();
    mInMainLoop = false;
    WaitForLoadingThread();
    PrintStatistics(runStart);
    OnRunEnded();
    WriteSettings();
}

void RavixAppBase::PrintStatistics(int64_t runStart) {
    const RunStatistics& stats = mStatistics;
    char line[128];
    auto print = [&](const char* format, auto value) {
        std::snprintf(line, sizeof line, format, value);
        mPlatform->DebugOutput(line);
    };
    print("Seconds       = %g", static_cast<double>(Now() - runStart) / 1000.0);
    print("Sleep Count   = %d", stats.mSleepCount);
    print("Sleep Time    = %lld", static_cast<long long>(stats.mSleepTime));
    print("Update Count  = %d", stats.mUpdateCount);
    print("Draw Count    = %d", stats.mDrawCount);
    print("Draw Time     = %lld", static_cast<long long>(stats.mDrawTime));
    print("Present Time  = %lld", static_cast<long long>(stats.mPresentTime));
    int64_t frameTime = stats.mDrawTime + stats.mPresentTime;
    if (frameTime > 0) {
        print("Avg FPS       = %g", stats.mDrawCount * 1000.0 / static_cast<double>(frameTime));
    }
}

} // namespace ravix
