#pragma once

#include <string>

namespace ravix {

// The crash handler. InstallCrashHandler sets handlers for SIGSEGV, SIGBUS, SIGFPE, SIGILL and
// SIGABRT (remembering the previous ones) that run on an alternate signal stack, so that a stack
// overflow is reported too; the calling thread (the main thread) gets its alternate stack here,
// every thread the framework starts makes its own (ThreadSignalStack).
//
// On a fault the handler builds the report (exception, module, logical address, stack trace,
// registers, system lines, the application's session text) into fixed buffers and writes it to
// "crash.txt" in the application's data folder (the working directory before the application
// has published one). Then, with an application (CrashHost), it hides the window and silences
// the sound, writes the demo being recorded and asks the application for its attachment. It
// starts the reporter process (this program again, in the mode chosen by kCrashReportVariable),
// which shows the report, copies it to the clipboard and may send it; waits for it; prints one
// line naming crash.txt on stderr and ends the process with the fault's signal.
void InstallCrashHandler();
// Restores the handlers (and the main thread's alternate stack) that were there before.
void RemoveCrashHandler();

// The version texts of the window system and the sound library for the report's system lines,
// captured before any fault because the libraries cannot be asked from a signal handler.
void SetCrashReportLibraries(const std::string& windowSystem, const std::string& sound);

// What the handler needs of the running application, prepared ahead because a signal handler
// cannot build it: the folder of crash.txt (ending in "/"), the session text, and for the
// reporter the product, version and extra form fields (EncodeReportFields).
struct CrashContext {
    std::string mReportFolder;
    std::string mSession;
    std::string mProduct;
    std::string mVersion;
    std::string mReportFields;
};
// What the handler asks of the running application once crash.txt is written, where a signal
// handler's limits no longer bind it (under the watchdog).
class CrashHost {
public:
    virtual ~CrashHost() = default;

    // A recorded run being replayed: its report stays off the clipboard.
    virtual bool IsReplayingDemo() const = 0;
    // Music off, the window hidden.
    virtual void HideAndSilence() = 0;
    // When recording, ends the demo and writes it; returns its path, or "" when nothing was
    // recorded.
    virtual std::string SaveDemoForCrashReport() = 0;
    // A file the report sends instead of the demo; left empty for none.
    virtual void GetCrashAttachment(std::string& path) = 0;
    // Recording and playback end: nothing more is written to or read from the demo.
    virtual void StopDemo() = 0;
};
// How the handler finds the running application (null while there is none). The application
// sets it; without it the handler writes the report and starts the reporter only.
void SetCrashHostSource(CrashHost* (*source)());

// Replaces the published context (any thread; ignored once a fault is being handled).
void PublishCrashContext(const CrashContext& context);

// A real processor fault: a write through a null pointer. For trying the whole crash path.
[[noreturn]] void RaiseTestFault();

// The environment the reporter process is started with. The report file's variable chooses the
// reporter mode; the others are set only when there is something to say.
inline constexpr const char* kCrashReportVariable = "TARNWICK_CRASH_REPORT";
inline constexpr const char* kCrashTitleVariable = "TARNWICK_CRASH_TITLE";
inline constexpr const char* kCrashAttachmentVariable = "TARNWICK_CRASH_ATTACHMENT";
inline constexpr const char* kCrashProductVariable = "TARNWICK_CRASH_PRODUCT";
inline constexpr const char* kCrashVersionVariable = "TARNWICK_CRASH_VERSION";
inline constexpr const char* kCrashFieldsVariable = "TARNWICK_CRASH_FIELDS";
// "1" when the report may go to the clipboard (an application existed, no demo was playing).
inline constexpr const char* kCrashClipboardVariable = "TARNWICK_CRASH_CLIPBOARD";
// Read at install: "0" means no reporter process is started (tests, unattended runs).
inline constexpr const char* kCrashReporterSwitchVariable = "TARNWICK_CRASH_REPORTER";

} // namespace ravix
