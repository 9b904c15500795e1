#pragma once

#include "app/FrameScheduler.h"
#include "app/SettingsStore.h"
#include "audio/MusicInterface.h"
#include "audio/SoundManager.h"
#include "base/Point.h"
#include "crash/CrashHandler.h"
#include "demo/DemoSession.h"
#include "graphics/ImageRegistry.h"
#include "net/TransferOutcomeLog.h"
#include "platform/Platform.h"
#include "resources/ResourceHost.h"
#include "widgets/ButtonListener.h"
#include "widgets/DialogListener.h"
#include "widgets/WidgetHost.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace ravix {

class ALDevice;
class DDInterface;
class DemoPlaybackBox;
class Dialog;
class Image;
class MemoryImage;
class ResourceManager;
class WidgetManager;

// The application object: one per process, reached through gApplication. It owns the platform
// and runs the program's life: start-up (Initialize), the main loop with fixed 10 ms logic
// updates decoupled from drawing (Run), the command line, settings, the string table, volumes,
// dialogs, deferred deletion and shutdown. A game derives its own application class from it.
//
// The source is split by concern: RavixAppBase.cpp (construction, strings, volumes, message
// boxes, shutdown), RavixAppInitialize.cpp (Initialize, Run), RavixAppCommandLine.cpp,
// RavixAppSettings.cpp, RavixAppMainLoop.cpp (passes, drawing, threads, deferred deletion, idle
// pause; the frame scheduling itself is the FrameScheduler it owns), RavixAppMessages.cpp
// (window messages and the deferred queue), RavixAppInput.cpp (queued messages turned into the
// widget manager's input calls, developer keys), RavixAppWindow.cpp (the main window, the
// display, screen modes, activity, cursors), RavixAppWidgets.cpp (the widget manager's hooks and
// the registered images), RavixAppDialogs.cpp (dialogs and the message box shown as one),
// RavixAppDemo.cpp (the front of the DemoSession it owns, and replayed input performed on the
// widgets), RavixAppDemoControls.cpp (the playback controls and their boxes) and
// RavixAppCrash.cpp (what the crash handler asks of the application).
//
// It hears the buttons of the dialogs it keeps: a dialog's button 1000 arrives as button id
// dialog id + 2000, button 1001 as dialog id + 3000, through the button listener operations.
// Web transfers leave their outcomes with it (TransferOutcomeLog), in the demo stream.
class RavixAppBase : public ButtonListener,
                     public DialogListener,
                     public TransferOutcomeLog,
                     public CrashHost,
                     private DemoHost,
                     public ResourceHost,
                     public WidgetHost {
public:
    // Run statistics, printed when the run ends.
    struct RunStatistics {
        int mSleepCount = 0;
        int64_t mSleepTime = 0;
        int mUpdateCount = 0;
        int mChangedUpdateCount = 0; // updates after which a widget was dirty
        int mDrawCount = 0;
        int64_t mDrawTime = 0;
        int64_t mPresentTime = 0;
        int mPresentAttempts = 0;
    };

    explicit RavixAppBase(std::unique_ptr<Platform> platform);
    virtual ~RavixAppBase();
    RavixAppBase(const RavixAppBase&) = delete;
    RavixAppBase& operator=(const RavixAppBase&) = delete;

    // Forwards a dialog's buttons as button ids (see the class comment).
    void OnDialogButtonDown(int dialogId, int buttonId) override;
    void OnDialogButtonClick(int dialogId, int buttonId) override;

    // Virtual operations, in the order of the application's slots, after the button listener's.
    virtual bool RunFrame(bool allowSleep);
    virtual void AdvanceUpdate();
    virtual bool TryAdvanceUpdate();
    virtual void AdvanceFraction(float fraction);
    // Makes (or remakes) the main window for the wanted mode and the display in it.
    virtual void CreateMainWindow();
    virtual void ApplyCursorShape();
    // Over every image made with the application: after a display reset, before a display
    // initialisation, and to free memory the images can rebuild.
    virtual void ReinitializeImages();
    virtual void DropAllNativeCaches();
    virtual void DropAllSpareBuffers();
    virtual void OnLoadingComplete() {}
    // The music back-end: silent with mSilent or without an audio device.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface();
    virtual void OnInitialized() {}
    virtual void OnShutdownBegins() {}
    virtual void OnRunEnded() {}
    virtual void LoadingThreadBody() {}
    virtual void WriteSettings();
    virtual void ReadSettings();
    // Demo recording and playback (DemoSession); the operations below are its front.
    DemoSession& Demo() { return mDemo; }
    const DemoSession& Demo() const { return mDemo; }
    // Writes the demo being recorded to its path (at the end of the run, and by the crash
    // handler); nothing when not recording.
    void WriteDemoFile();
    // Ends the demo being recorded with a filler event, so that a replay runs up to the last
    // recorded moment (the crash handler's demo).
    void WriteDemoFillerEvent();
    // For the crash handler: when recording, the filler event and the demo file; returns the
    // demo's path, or "" when nothing was recorded.
    std::string SaveDemoForCrashReport() override;
    // Reads the demo file for playback; on failure the message tells why.
    [[nodiscard]] bool ReadDemoHeader(std::string& message);
    // The demo player: performs the recorded events due at the current update count.
    void PlayDemoEvents();
    // A value from outside the program (a clock, a file) that a replay must see as recorded:
    // recording writes it to the demo, playback replaces it with the recorded one. Call at a
    // point of an update that a replay reaches in the same order.
    void SyncDemoData(Buffer& buffer);
    void SyncDemoString(std::string& text);
    void SyncDemoBool(bool& flag);

    // The outcomes of web transfers, kept in the demo stream.
    bool IsRecordingTransfers() const override { return mDemo.IsRecording(); }
    bool IsReplayingTransfers() const override { return mDemo.IsPlaying(); }
    void RecordTransferOutcome(uint32_t number, int result, const std::string& content) override;
    bool ReplayTransferOutcome(uint32_t number, int& result, std::string& content) override;

    // A new dialog reporting to this application, owned by the caller until registered.
    virtual Dialog* CreateDialogWidget(int id, bool modal, const std::string& header,
                                       const std::string& body, const std::string& footer,
                                       int buttonSet);
    virtual void OnWindowClassesReady() {}
    virtual void BeginModalPopup();
    virtual void EndModalPopup();
    // A question for the user: a modal dialog in the application's window once there is one
    // to show it in, the system's box before that (and for choices a dialog cannot offer).
    // Boxes belong to the main thread: asked for on another thread (a font descriptor's error
    // on the loading thread), the box is shown by the main thread at its next frame or when
    // loading completes, and the call returns OK at once.
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags) override;
    // A box of the system (main thread only), never the in-game dialog: it takes no part in the
    // game's recorded input, so a replay runs the same whether or not the recording met it,
    // and a headless replay prints it instead of waiting for a click.
    int ShowSystemMessageBox(const std::string& text, const std::string& caption, int flags);
    virtual void ShowFatalError(const std::string& text);
    virtual void LogScreenSaverError(const std::string& text);
    virtual void OnWebPageFailed(const std::string& url);
    virtual void OnWebPageOpened(const std::string& url);
    virtual bool OpenWebPage(const std::string& url, bool quitAfter);
    // The crash handler's first call: music off, the window hidden.
    void HideAndSilence() override;
    // The crash report's lines about this run: product, version, time since construction,
    // full screen or not, the main thread's id.
    virtual std::string DescribeSession();
    // Extra form fields sent with a crash report; none by default.
    virtual void AddReportFields(std::map<std::string, std::string>& /*fields*/) {}
    virtual void BeginShutdown();
    virtual void ReadCommandLine();
    virtual void SplitCommandLine(const std::string& text);
    virtual void HandleCommandLineOption(const std::string& name, const std::string& value);
    virtual void OnNotifyMessage(int code);
    virtual void OnAlreadyRunning();
    virtual void Run();
    virtual void Initialize();
    virtual void OnDisplayInitBegins() {}
    virtual void OnDisplayInitEnded() {}
    virtual bool KeepWorkingFolder(const std::string& /*folder*/) { return false; }
    // Plays a loaded sound effect once on a channel of its own, balanced by pan (-10000 left
    // .. 10000 right); nothing when the id is empty or every channel is busy.
    virtual void PlayEffectPanned(int id, int pan);
    virtual void PlayEffect(int id);
    // The sound manager's master volume, 0..1.
    virtual double GetMasterLevel();
    virtual double GetMusicLevel() { return mMusicLevel; }
    virtual double GetEffectsLevel() { return mEffectsLevel; }
    virtual bool IsSilenced() { return mSilenceDepth > 0; }
    virtual void SetMasterLevel(double level);
    virtual void SetMusicLevel(double level);
    virtual void SetEffectsLevel(double level);
    virtual void Silence(bool automatic);
    virtual void Unsilence(bool automatic);
    virtual double GetLoadingProgress();
    // Loads an image file (with its alpha file) into a new image of this application whose file
    // path is the given path; commit settles its transparency flags. Null when nothing loads.
    std::unique_ptr<MemoryImage> LoadDisplayImage(const std::string& path, bool commit) override;
    // The shared-image cache (any thread): the image of (path, variant), loaded with
    // LoadDisplayImage, or empty for a path starting with "!", when no one holds it yet.
    // created tells whether the image was made by this call. Null when the file does not load.
    // An image lives as long as someone holds it; a later call loads it again.
    std::shared_ptr<MemoryImage>
    AcquireSharedImage(const std::string& path, const std::string& variant, bool& created) override;
    // Switches between a window (windowed true) and full screen, remaking the window; without
    // force nothing but the 3D choice changes when the mode stays the same.
    virtual void ChangeScreenMode(bool windowed, bool use3D, bool force);
    virtual void ChangeScreenMode(bool windowed);
    virtual void ReapplyScreenMode();
    // Dismisses any dialog with the id, then creates and registers a new one.
    virtual Dialog* ShowDialog(int id, bool modal, const std::string& header,
                               const std::string& body, const std::string& footer, int buttonSet);
    virtual Dialog* FindDialog(int id);
    virtual void RegisterDialog(Dialog* dialog);
    // Takes ownership of the dialog: sized and placed if it has no size, added to the widget
    // manager, made modal if it is modal. A dialog already under the id is dismissed first.
    virtual void RegisterDialog(int id, Dialog* dialog);
    virtual bool DismissDialog(Dialog* dialog);
    bool DismissDialog(int id) override { return DismissDialog(id, true, true); }
    // False for an unknown id. An unanswered dialog gets the result 0; it leaves the widget
    // manager when either flag is set, ends its modality, and is deleted after the pass when
    // deleteWidget is set.
    virtual bool DismissDialog(int id, bool removeWidget, bool deleteWidget);
    virtual int CountDialogs() { return static_cast<int>(mDialogOrder.size()); }
    virtual void OnModalOpened() {}
    virtual void OnModalClosed() {}
    virtual void OnActivated() {}
    virtual void OnDeactivated() {}
    virtual bool IsAltCharHandled(int character);
    // A key pressed while the developer keys are on; true when it was used.
    virtual bool OnDebugKey(int key);
    virtual bool FilterKeyDown(int /*key*/, bool /*ctrl*/, bool /*alt*/) { return false; }
    // A game's own keys (shortcuts), seen before the widgets, live and in a replay alike; true
    // when the key was used and the widgets must not see it.
    virtual bool OnShortcutKey(int key);
    // What Alt+Enter does: a window or full screen, when that can change.
    void ToggleFullScreen();
    virtual void OnCloseRequested() {}
    // A file the crash report sends instead of the demo recording; none by default.
    void GetCrashAttachment(std::string& /*path*/) override {}
    // What else the crash handler asks: whether a demo is replayed, and ending the demo.
    bool IsReplayingDemo() const override { return mDemo.IsPlaying(); }
    void StopDemo() override;
    virtual bool DrawFrame();
    virtual void PresentFrame();
    virtual void OnInitializeBegins() {}
    virtual void RunMainLoop();
    bool RunPass(bool& updated) override;
    virtual bool RunUntilUpdate();
    virtual bool MayRestore() { return !mWindowDisabled; }

    void StartLoadingThread();
    void StartCursorThread();
    void WaitForLoadingThread();
    // Throws away the scheduler's time backlog (after a modal box, a window drag, a pause).
    void ResetTiming();
    void ClearKeyState();
    // Hands the crash handler what it cannot build in a signal handler: the data folder, the
    // session text, product, version and the extra report fields. Initialize does it, and the
    // main loop again once a second.
    void RefreshCrashContext();
    // Reads "properties/resources.xml" into the resource manager; on failure shows the error
    // text as a fatal error and ends the process.
    bool LoadResourceManifest();
    // Ends the process with the exit code, through the platform.
    [[noreturn]] void QuitProcess(int code);

    // The program's arguments joined into one command line, an argument that holds a space (or
    // nothing) in double quotes, so that SplitCommandLine sees what the user typed.
    static std::string JoinArguments(const std::vector<std::string>& arguments);
    // The (name, value) options of a command line as ReadCommandLine hands them on: the program
    // name skipped, the rest split by SplitCommandLine's rules. The program entry reads the
    // same options before the application exists.
    using CommandLineOption = std::pair<std::string, std::string>;
    static std::vector<CommandLineOption>
    ParseCommandLine(const std::vector<std::string>& arguments);
    static std::vector<CommandLineOption> SplitOptionText(const std::string& text);
    // The command line after the program name ("" when an opening quote is never closed).
    static std::string OptionTextOf(const std::vector<std::string>& arguments);

    // The string table: every user-visible framework text goes through GetString.
    void SetString(const std::string& id, const std::string& text);
    std::string GetString(const std::string& id, const std::string& defaultText) const override;

    // Settings of the key mRegistryKey; a name may start with a sub-key path ("Sub\Name").
    // With an empty registry key every access fails.
    [[nodiscard]] bool ReadSettingRaw(const std::string& name, SettingValue& value,
                                      size_t maxLength = SIZE_MAX);
    [[nodiscard]] bool ReadSettingInteger(const std::string& name, int& value);
    [[nodiscard]] bool ReadSettingBool(const std::string& name, bool& value);
    [[nodiscard]] bool ReadSettingString(const std::string& name, std::string& value);
    bool WriteSettingRaw(const std::string& name, const SettingValue& value);
    bool WriteSettingString(const std::string& name, const std::string& value);
    bool WriteSettingInteger(const std::string& name, int value);
    bool WriteSettingBool(const std::string& name, bool value);
    void EraseSetting(const std::string& name);

    // Cursors: 0 arrow, 1 pointing hand, 2 grabbing hand, ... (see ApplyCursorShape).
    void SetCursorNumber(int number) override;
    void SetCustomCursors(bool on);
    // The software cursor image of a cursor number (non-owning; null: the system cursor).
    void SetCursorImage(int number, Image* image);

    // The display made by CreateMainWindow; null before.
    DDInterface* GetDisplay() { return mDisplay.get(); }
    // Makes the display for the current main window; 0 or the display's failure code.
    int InitDisplay();
    // The display's 3D choice. There is no 3D mode here: turning it on falls back to 2D.
    void Set3D(bool on, bool reinitialise);
    void MinimizeWindow();
    // The frame-rate overlay of the developer keys: off, frames per second, or milliseconds per
    // frame.
    enum class FrameRateOverlay { Off, FramesPerSecond, FrameTime };
    FrameRateOverlay GetFrameRateOverlay() const { return mFrameRateOverlay; }
    // What widgets ask of the application.
    void SetHandCursor(bool on) { SetCursorNumber(on ? 1 : 0); }
    bool HasFocus() const { return mActive && !mIconic; }

    // Hands an object that the current pass may still reach to deferred deletion: it is
    // deleted, through the pointer type given here, by the first sweep at the pass nesting
    // depth it was handed over at or a shallower one. Handing the same object twice is harmless.
    template <class T>
    void DeferDelete(T* object) {
        DeferDeleteErased(object, [](void* erased) { delete static_cast<T*>(erased); });
    }
    int DeferredDeleteCount() const { return static_cast<int>(mDeferredDeletes.size()); }

    // The window procedure: queues a window-system message for the main loop, or handles it at
    // once where it must not wait. ProcessDeferredMessage handles the oldest queued message and
    // tells whether more are waiting.
    void WindowProc(const PlatformMessage& message);
    bool ProcessDeferredMessage();
    size_t DeferredQueueSize() const { return mDeferredQueue.size(); }

    Platform& GetPlatform() { return *mPlatform; }
    // The images made with this application (any thread).
    ImageRegistry& Images() { return mImages; }
    // The sound manager, once the sounds are set up.
    SoundManager* GetSoundManager() override { return mSounds.get(); }
    // The widget host: deferred deletion, the clipboard and the dialog listener.
    void DeferDeleteWidget(Widget* w) override;
    std::string GetClipboardText() override { return mPlatform->GetClipboardText(); }
    void SetClipboardText(const std::string& text) override { mPlatform->SetClipboardText(text); }
    DialogListener* GetDialogListener() override { return this; }
    // The finished frame the widgets draw into and the display presents; made with the display.
    MemoryImage* GetScreenImage();
    int64_t Now() { return mPlatform->TickCount(); }
    const RunStatistics& Statistics() const { return mStatistics; }
    int UpdateCount() const { return mStatistics.mUpdateCount; }
    bool IsLoadingComplete() const { return mLoadingComplete; }
    bool IsInitialized() const { return mInitialized; }
    bool AreSettingsRead() const { return mSettingsRead; }
    bool IsIdlePaused() const { return mIdlePaused; }
    int64_t StartTick() const { return mStartTick; }
    double TimeAccumulator() const { return mScheduler.TimeAccumulator(); }
    // State the application keeps to itself, for those who watch it.
    bool IsClosing() const { return mClosing; }
    int SilenceDepth() const { return mSilenceDepth; }
    bool IsIconic() const { return mIconic; }
    bool IsAltDown() const { return mAltDown; }
    bool IsRefreshPacingBroken() const { return mRefreshPacingBroken; }
    bool WaitsForRefresh() const { return mWaitForRefresh; }
    int GetCursorNumber() const { return mCursorNumber; }
    bool HasCustomCursors() const { return mCustomCursors; }
    // Developer single stepping: one update and draw, then frozen until the next step.
    void StepOnce() { mSingleStep = SingleStep::StepOnce; }
    void EndSingleStep();

    // Identity and window (a game's constructor sets these).
    std::string mMakerName;
    std::string mProductName = "Product";
    std::string mWindowCaption = "RavixApp";
    // A picture of the data set as the window's icon when the window is made; none when empty.
    std::string mWindowIconPath;
    std::string mRegistryKey;
    std::string mStartFolder;
    std::string mVersionText;
    int mScreenWidth = 640;
    int mScreenHeight = 480;
    int mWindowX = -1;
    int mWindowY = -1;

    // Volumes, 0..1.
    double mMusicLevel = 0.85;
    double mEffectsLevel = 0.85;

    // Display mode.
    bool mWantWindowed = true;
    bool mWindowedNow = true;
    bool mFullScreenForced = false;
    bool mFullScreenFailed = false;

    // Timing: game time against real time, refresh pacing.
    double mSpeedFactor = 1.0;
    bool mRefreshPacing = false;
    int mRefreshRate = 100;

    bool mSingleInstance = true;
    bool mSilent = false;
    bool mAutoStartLoader = true;
    bool mScreenSaverMode = false;
    std::atomic<bool> mShuttingDown = false;

    // Window and input state.
    static constexpr int kCursorCount = 13;
    std::optional<SystemCursor> mCursorOverride; // replaces the numbered system cursors
    std::atomic<bool> mCursorDirty = false; // the software cursor changed since the last present
    bool mMouseInWindow = false;
    bool mDebugKeys = false; // developer keys, toggled by Ctrl+Alt+D

    // Loading tasks, kept by the loading thread's body, read by GetLoadingProgress.
    std::atomic<int> mLoadingTasksTotal = 0;
    std::atomic<int> mLoadingTasksDone = 0;

    // The per-machine data folder, ending in "/" once Initialize has made it.
    static inline std::string mDataFolder;

    // The root of the widget tree: screens and dialogs are its children.
    std::unique_ptr<WidgetManager> mWidgets;
    // The resources of the manifest.
    std::unique_ptr<ResourceManager> mResources;
    // Sound effects and music, made by Initialize (a game may make its own sound manager
    // before). Without an audio device both are silent.
    std::unique_ptr<SoundManager> mSounds;
    std::unique_ptr<MusicInterface> mMusic;

protected:
    // Where the widget manager joins the main loop: one fixed update (returns whether a widget
    // is dirty), the fractional update, drawing the dirty widgets into the screen image (returns
    // whether anything was drawn), and marking every widget dirty.
    virtual bool RunWidgetUpdate();
    virtual bool RunWidgetFractionalUpdate(float fraction);
    virtual bool DrawDirtyWidgets();
    virtual void MarkAllWidgetsDirty();
    // The queued messages the window and input layer translates (mouse, keys, wheel, size,
    // activation, timer, colours), taken from the deferred queue one per pass.
    virtual void HandleWindowMessage(const PlatformMessage& message);

    void SweepDeferredDeletes();
    int PassDepth() const { return mPassDepth; }

private:
    enum class SingleStep { Off, StepOnce, Frozen };
    struct DeferredDelete {
        int mDepth;
        void* mObject;
        void (*mDelete)(void*);
    };

    void DeferDeleteErased(void* object, void (*deleter)(void*));
    // Whether the question can be asked in the window: a dialog offers its choices and the
    // window is there to show it (initialised, shown, not shutting down, on the main thread).
    bool CanShowMessageDialog(int flags) const;
    // Asks the question as a modal dialog; returns a MessageBoxResult.
    int ShowMessageDialog(const std::string& text, const std::string& caption, int flags);
    // Takes every dialog out of the widget manager and deletes it.
    void RemoveAllDialogs();
    std::unique_ptr<SettingsStore> OpenSettings(const std::string& name, std::string& subKey,
                                                std::string& valueName) const;
    void MakeDataFolder();
    // Adds main.pak of the working folder to the file layer; an archive that is there but
    // cannot be read ends the start with a message naming it.
    void MountMainArchive();
    // Window and display (RavixAppWindow.cpp).
    void PlaceMainWindow();
    void SyncActivation();
    void UpdateActivity();
    void UpdateScreenSaverPermission();
    void BindScreenImage();
    void UpdatePointerMapping();
    void RecoverLostDisplay();
    void FailDisplay(int result);
    // Input (RavixAppInput.cpp).
    void HandleMouseMessage(const PlatformMessage& message);
    void HandleKeyDown(const PlatformMessage& message);
    void HandleTimer();
    void HandleSize(const PlatformMessage& message);
    void HandleActivation(const PlatformMessage& message);
    void CountFrame();
    void DrawFrameRateOverlay();
    void SaveScreenshot();
    // The position of a mouse message on the logical screen, within what the demo stream holds.
    Point PointerPosition(const PlatformMessage& message) const;
    // Gives the widget manager the pointer position when it changed (recording the move).
    void MovePointer(Point position);
    void SetMinimized(bool minimized);
    void OnActivationChanged();
    // A key pressed: Alt+Enter switches the screen mode, developer keys act, others reach the
    // widgets.
    void DeliverKeyDown(int key, bool altEnter);
    // Demo (RavixAppDemo.cpp, RavixAppDemoControls.cpp): what the demo session asks.
    int DemoUpdateCount() const override { return UpdateCount(); }
    bool IsDemoClosing() const override { return mClosing; }
    bool IsDemoShuttingDown() const override { return mShuttingDown; }
    void PerformDemoEvent(const DemoEvent& event) override;
    void ReadDemoDisplayRecord();
    // Fast-forward to the jump target; true when it took the pass (result: RunFrame's).
    bool RunDemoFastForward(float updatesPerFrame, bool& result);
    bool IsFastForwarding() const;
    void HandlePlaybackControl(int character);
    void TogglePlaybackMute();
    void ShowJumpToTimeBox();
    void ShowMarkerListBox();
    void OpenPlaybackBox(DemoPlaybackBox* box, int height);
    // The answer of a playback box; false for other dialogs.
    bool HandlePlaybackBoxButton(int dialogId, int buttonId);
    void ClosePlaybackBox();
    std::string MakeDemoPathAbsolute(const std::string& path) const;
    void ChooseNumberedDemo(const std::string& value, bool forRecording);
    void ApplyMusicVolume();
    void ApplyEffectsVolume();
    bool RefreshPacingActive() const;
    void RunFurtherUpdates(float updatesPerFrame);
    void StepTimeAccumulator();
    void RunStallDetector();
    void CheckIdlePause();
    std::thread StartClockThread(std::function<void()> body);
    void RunCursorThread();
    void PumpSystemMessages();
    void PrintStatistics(int64_t runStart);
    void MarkLoadingComplete();
    void JoinThreads();

    // Settings and state no subclass or caller reaches (some are shown by the accessors above).
    int mUpdateInterval = 10;  // ms of game time per update
    int mAutoSilenceDepth = 0; // the automatic ones among the nested mute requests
    bool mSilenceWhenInactive = true;
    bool mDesktopModeChanged = false;
    bool mFModMusic = false;
    bool mAllowMaximize = false;
    bool mAllowMonitorPowerDown = true;
    // Nested mute requests (the second depth counts the automatic ones).
    int mSilenceDepth = 0;
    // Refresh pacing found not to hold (the stall detector), and presents that wait for the
    // refresh in a window.
    bool mRefreshPacingBroken = false;
    bool mWaitForRefresh = false;
    // Loop, window and input state.
    bool mIconic = false;
    int mCursorNumber = 0;
    bool mCustomCursors = false;
    bool mAltDown = false;
    bool mClosing = false; // the window was closed (by the user or a replayed close)
    bool mLeaveLoop = false;
    bool mActive = true;
    std::array<Image*, kCursorCount> mCursorImages{};
    bool mCtrlDown = false;
    bool mWindowDisabled = false;
    bool mPopupShowing = false;
    bool mWindowHidden = false;

    std::unique_ptr<Platform> mPlatform;
    ImageRegistry mImages;                 // before every image made with the application
    std::unique_ptr<DDInterface> mDisplay; // after the platform it presents through
    // The shared-image cache: (path, variant) -> the image while someone holds it.
    std::mutex mSharedImagesMutex;
    std::map<std::pair<std::string, std::string>, std::weak_ptr<MemoryImage>> mSharedImages;
    // The audio output the sound manager and the music back-end share; null without one.
    std::shared_ptr<ALDevice> mAudioDevice;
    std::thread::id mMainThreadId = std::this_thread::get_id();
    // Message boxes asked for on other threads, shown by the main thread.
    struct QueuedMessageBox {
        std::string mText;
        std::string mCaption;
        int mFlags = 0;
    };
    std::mutex mQueuedBoxesMutex;
    std::vector<QueuedMessageBox> mQueuedBoxes;
    std::atomic<bool> mHaveQueuedBoxes = false;
    void ShowQueuedMessageBoxes();
    std::unordered_map<std::string, std::string> mStrings;
    bool mCommandLineRead = false;
    bool mSettingsRead = false;
    bool mInitialized = false;
    bool mInMainLoop = false;
    bool mProcessEnded = false;
    int64_t mStartTick = 0;
    int64_t mConstructionTick = 0; // for the running time in DescribeSession
    long mMainThreadNumber = 0;    // the main thread's system id, for DescribeSession
    int64_t mLastCrashContextTick = 0;
    std::atomic<bool> mShutdownRequested = false;

    // Scheduler.
    FrameScheduler mScheduler{0};
    std::atomic<int64_t> mLastPresentTime = 0; // read by the cursor thread
    SingleStep mSingleStep = SingleStep::Off;
    int mPassDepth = 0;
    bool mDrawing = false;
    bool mDisplayLost = false;
    RunStatistics mStatistics;

    // Screen-saver idle pause.
    bool mIdlePaused = false;
    int64_t mLastIdleCheck = 0;
    int64_t mLastScreenSaverRead = 0;
    bool mScreenSaverRead = false;
    bool mScreenSaverEnabled = false;
    int64_t mIdleLimit = 1000;

    // Loading and cursor threads.
    std::thread mLoadingThread;
    std::atomic<bool> mLoadingThreadStarted = false;
    std::atomic<bool> mLoadingThreadFinished = false;
    std::atomic<bool> mLoaderYield = false;
    bool mLoadingComplete = false;
    std::thread mCursorThread;
    std::atomic<bool> mCursorThreadStarted = false;
    std::atomic<bool> mCursorThreadRunning = false;

    std::vector<DeferredDelete> mDeferredDeletes;
    bool mSweeping = false;
    std::deque<PlatformMessage> mDeferredQueue;

    // Dialogs by id, and in the order they were registered.
    std::map<int, Dialog*> mDialogs;
    std::vector<Dialog*> mDialogOrder;

    // A web page opened with OpenWebPage whose outcome is not known yet.
    bool mWebPagePending = false;
    bool mWebPageQuitAfter = false;
    std::string mWebPageUrl;
    int64_t mWebPageTime = 0;

    // Window and input.
    bool mAppFocused = true; // activity as the widget manager was last told it
    int64_t mLastTimerTick = 0;
    int64_t mLastStallTick = 0; // the last gap of 501 ms or more between timer messages
    int64_t mLastInputTime = 0; // of the last mouse or key message
    int64_t mLastDisplayRetry = 0;
    FrameRateOverlay mFrameRateOverlay = FrameRateOverlay::Off;
    int mFramesCounted = 0;
    int64_t mFrameCountStart = 0;
    int mFramesPerSecond = 0;
    // The pointer position the widget manager was last given (logical screen); during playback
    // the recorded position, which the cursor thread shows.
    std::atomic<int> mReplayMouseX = 0;
    std::atomic<int> mReplayMouseY = 0;
    bool mPointerKnown = false; // false at first and after the pointer left the window

    // Demo recording and playback; the fast-forward and the playback controls' state.
    DemoSession mDemo{*this};
    bool mJumpMuted = false; // silenced for a fast-forward
    int64_t mLastFastForwardDraw = -1;
    double mKeptMusicLevel = 0; // the playback mute toggle's kept levels
    double mKeptEffectsLevel = 0;
    // The open "Jump To Time" or "Marker List" box: live input reaches it while the replay
    // waits, and the replayed pointer is put back when it closes.
    DemoPlaybackBox* mPlaybackBox = nullptr;
    std::vector<uint32_t> mListedMarkers; // the update of each row of the marker list
    Point mBoxSavedPointer;
    bool mBoxSavedPointerKnown = false;
    bool mBoxSavedMouseInWindow = false;
};

// The process-wide application object, set by the program entry (the constructor sets it too
// when it is still empty).
extern RavixAppBase* gApplication;

} // namespace ravix
