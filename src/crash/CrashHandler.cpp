#include "crash/CrashHandler.h"

#include "base/ThreadSignalStack.h"
#include "crash/CrashReport.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <memory>
#include <mutex>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

extern char** environ;

namespace ravix {

namespace {

constexpr int kHandledSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t kHandledCount = std::size(kHandledSignals);
// A handler that has not finished by then is stuck (a lock held by the faulting code); the
// process is ended with what the report has so far.
constexpr unsigned kWatchdogSeconds = 10;
constexpr int kMaxFrames = 64;
constexpr size_t kPathSize = 4096;

// Copies text into a fixed buffer, cut to fit, always NUL-terminated.
template <size_t N>
void CopyText(char (&target)[N], std::string_view text) {
    size_t length = std::min(text.size(), N - 1);
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

// Installation state.
struct sigaction gPreviousActions[kHandledCount];
bool gInstalled = false;
std::unique_ptr<ThreadSignalStack> gMainThreadStack;
bool gReporterEnabled = true;
char gProgramPath[kPathSize];
char gProgramName[256] = "program";
char gKernelVersion[512];
char gWindowSystemVersion[256];
char gSoundVersion[256];

// The application's context, double-buffered: the publisher fills the slot not in use and then
// switches, so the handler always reads a complete one.
struct PublishedContext {
    char mReportFolder[kPathSize];
    char mSession[4096];
    char mProduct[256];
    char mVersion[128];
    char mReportFields[16384];
};
PublishedContext gContexts[2];
std::atomic<int> gCurrentContext = -1;
std::mutex gPublishMutex;

// State of the fault being handled.
std::atomic<long> gCrashingThread = 0;
std::atomic<long> gFinishingThread = 0;
int gCrashSignal = 0;
const char* gFaultName = "Unknown exception";
char gReportBuffer[128 * 1024];
ReportText gReport(gReportBuffer, sizeof gReportBuffer);
char gTitleBuffer[64];
ReportText gTitle(gTitleBuffer, sizeof gTitleBuffer);
char gReportPath[kPathSize + 32];
bool gReportWriteTried = false;
bool gReportWritten = false;
char gAttachment[kPathSize];
bool gMayUseClipboard = false;

long CurrentThreadId() {
    return syscall(SYS_gettid);
}

// How the handler finds the running application's duties; set once an application exists.
std::atomic<CrashHost* (*)()> gHostSource = nullptr;

CrashHost* CurrentHost() {
    CrashHost* (*source)() = gHostSource.load();
    return source == nullptr ? nullptr : source();
}

const PublishedContext* CurrentContext() {
    int index = gCurrentContext.load();
    return index < 0 ? nullptr : &gContexts[index];
}

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
}

// Where an address lies: the module (shared object or the program) and the number of its
// loadable segment, counted from 1, with the offset from the module's base.
struct ModuleLocation {
    const char* mPath = "";
    unsigned mSection = 0;
    uint64_t mOffset = 0;
};

struct ModuleSearch {
    uintptr_t mAddress;
    ModuleLocation mLocation;
    bool mFound = false;
};

int FindModule(dl_phdr_info* info, size_t, void* data) {
    auto& search = *static_cast<ModuleSearch*>(data);
    uintptr_t base = UINTPTR_MAX;
    unsigned section = 0;
    unsigned containing = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) {
            continue;
        }
        ++section;
        uintptr_t start = info->dlpi_addr + header.p_vaddr;
        base = std::min(base, start & ~uintptr_t{0xFFF});
        if (search.mAddress >= start && search.mAddress < start + header.p_memsz) {
            containing = section;
        }
    }
    if (containing == 0) {
        return 0;
    }
    search.mFound = true;
    search.mLocation.mSection = containing;
    search.mLocation.mOffset = search.mAddress - base;
    // The program itself has no name in the list.
    search.mLocation.mPath = info->dlpi_name[0] != '\0' ? info->dlpi_name : gProgramPath;
    return 1;
}

ModuleLocation LocateModule(uintptr_t address) {
    ModuleSearch search{address, {}, false};
    dl_iterate_phdr(FindModule, &search);
    if (!search.mFound) {
        search.mLocation.mOffset = address;
    }
    return search.mLocation;
}

// The function containing address, demangled into symbol; false when no symbol is known.
bool FindSymbol(uintptr_t address, char (&symbol)[1024], uintptr_t& symbolStart) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(address), &info) == 0 || info.dli_sname == nullptr) {
        return false;
    }
    symbolStart = reinterpret_cast<uintptr_t>(info.dli_saddr);
    // Demangling allocates; the watchdog covers the case where the heap is what broke.
    int status = 0;
    char* demangled = info.dli_sname[0] == '_' && info.dli_sname[1] == 'Z'
                          ? abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status)
                          : nullptr;
    CopyText(symbol, demangled != nullptr ? demangled : info.dli_sname);
    std::free(demangled);
    return true;
}

void AppendStackTrace(uintptr_t faultAddress) {
    void* frames[kMaxFrames];
    int count = backtrace(frames, kMaxFrames);
    // The walk starts in this handler; the faulting frame is the first one of interest.
    int first = 0;
    for (int i = 0; i < count; ++i) {
        if (reinterpret_cast<uintptr_t>(frames[i]) == faultAddress) {
            first = i;
            break;
        }
    }
    for (int i = first; i < count; ++i) {
        uintptr_t address = reinterpret_cast<uintptr_t>(frames[i]);
        // A return address may lie just past the end of its calling function.
        uintptr_t lookup = i == first ? address : address - 1;
        ModuleLocation module = LocateModule(lookup);
        char symbol[1024];
        uintptr_t symbolStart = 0;
        bool known = FindSymbol(lookup, symbol, symbolStart);
        AppendStackFrame(gReport, address, known ? symbol : nullptr, address - symbolStart,
                         module.mSection, address - (lookup - module.mOffset), module.mPath);
    }
    gReport.Append("\r\n");
}

void ReadRegisters(const void* context, ReportRegisters& registers) {
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    const greg_t* g = uc->uc_mcontext.gregs;
    auto value = [&](int index) { return static_cast<uint64_t>(g[index]); };
    registers.mRax = value(REG_RAX);
    registers.mRbx = value(REG_RBX);
    registers.mRcx = value(REG_RCX);
    registers.mRdx = value(REG_RDX);
    registers.mRsi = value(REG_RSI);
    registers.mRdi = value(REG_RDI);
    registers.mR8 = value(REG_R8);
    registers.mR9 = value(REG_R9);
    registers.mR10 = value(REG_R10);
    registers.mR11 = value(REG_R11);
    registers.mR12 = value(REG_R12);
    registers.mR13 = value(REG_R13);
    registers.mR14 = value(REG_R14);
    registers.mR15 = value(REG_R15);
    registers.mRip = value(REG_RIP);
    registers.mRsp = value(REG_RSP);
    registers.mRbp = value(REG_RBP);
    registers.mFlags = static_cast<uint32_t>(value(REG_EFL));
    // Packed as cs, gs, fs, padding.
    uint64_t segments = value(REG_CSGSFS);
    registers.mCs = static_cast<uint16_t>(segments);
    registers.mGs = static_cast<uint16_t>(segments >> 16);
    registers.mFs = static_cast<uint16_t>(segments >> 32);
#elif defined(__aarch64__)
    registers.mRip = uc->uc_mcontext.pc;
    registers.mRsp = uc->uc_mcontext.sp;
    registers.mRbp = uc->uc_mcontext.regs[29];
#else
    (void)uc;
#endif
}

void BuildReport(int signal, const siginfo_t* info, const void* context, long thread) {
    ReportRegisters registers;
    ReadRegisters(context, registers);
    const uintptr_t address = registers.mRip;
    const bool overflow =
        signal == SIGSEGV &&
        IsStackOverflowFault(reinterpret_cast<uintptr_t>(info->si_addr), registers.mRsp);
    const uint32_t code = FaultCodeForSignal(signal, info->si_code, overflow);
    if (const char* name = FaultName(code)) {
        gFaultName = name;
    }
    AppendExceptionLine(gReport, code, address, static_cast<uint64_t>(thread));
    const ModuleLocation module = LocateModule(address);
    gReport.Append("Module: ").Append(module.mPath).Append("\r\n");
    gReport.Append("Logical Address: ");
    AppendLogicalAddress(gReport, module.mSection, module.mOffset);
    gReport.Append("\r\n\r\n");
    gTitle.Append("Exception at ");
    AppendLogicalAddress(gTitle, module.mSection, module.mOffset);

    AppendStackTrace(address);
    AppendRegisters(gReport, registers);
    gReport.Append("Kernel Ver: ").Append(gKernelVersion).Append("\r\n");
    gReport.Append("SDL Ver: ").Append(gWindowSystemVersion).Append("\r\n");
    gReport.Append("OpenAL Ver: ").Append(gSoundVersion).Append("\r\n");
    const PublishedContext* published = CurrentContext();
    if (CurrentHost() != nullptr && published != nullptr && published->mSession[0] != '\0') {
        gReport.Append("\r\n").Append(published->mSession);
    }
}

// crash.txt (the report and a line break) through a temporary file renamed over the old one.
void WriteReportFile() {
    if (gReportWriteTried) {
        return;
    }
    gReportWriteTried = true;
    char temporary[sizeof gReportPath + 16];
    ReportText temporaryPath(temporary, sizeof temporary);
    temporaryPath.Append(gReportPath).Append(".partial");
    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    WriteAll(fd, gReport.View());
    WriteAll(fd, "\r\n");
    bool written = fsync(fd) == 0;
    written = close(fd) == 0 && written;
    gReportWritten = written && rename(temporary, gReportPath) == 0;
    if (!gReportWritten) {
        unlink(temporary);
    }
}

// The application's last duties. None of this is safe in a signal handler (it draws on the
// window system and the heap); it runs after crash.txt is written, under the watchdog.
void RunApplicationSteps() {
    CrashHost* app = CurrentHost();
    if (app == nullptr) {
        return;
    }
    gMayUseClipboard = !app->IsReplayingDemo();
    app->HideAndSilence();
    std::string attachment = app->SaveDemoForCrashReport();
    std::string replacement;
    app->GetCrashAttachment(replacement);
    if (!replacement.empty()) {
        attachment = replacement;
    }
    app->StopDemo();
    CopyText(gAttachment, attachment);
}

void TellUser() {
    char lineBuffer[sizeof gReportPath + 512];
    ReportText line(lineBuffer, sizeof lineBuffer);
    line.Append(gProgramName).Append(": fatal error (").Append(gFaultName).Append("); ");
    if (gReportWritten) {
        line.Append("the crash report is in ").Append(gReportPath).Append("\n");
        WriteAll(STDERR_FILENO, line.View());
    } else {
        line.Append("the crash report could not be written to ").Append(gReportPath);
        line.Append(", here it is:\n");
        WriteAll(STDERR_FILENO, line.View());
        WriteAll(STDERR_FILENO, gReport.View());
    }
}

// Starts this program again in reporter mode and waits until the user has closed it.
void RunReporter() {
    if (!gReporterEnabled || !gReportWritten) {
        return;
    }
    static char reportVariable[sizeof gReportPath + 64];
    static char titleVariable[sizeof gTitleBuffer + 64];
    static char attachmentVariable[sizeof gAttachment + 64];
    static char productVariable[512];
    static char versionVariable[256];
    static char fieldsVariable[sizeof(PublishedContext::mReportFields) + 64];
    static char clipboardVariable[64];
    auto variable = [](char* buffer, size_t size, const char* name, std::string_view value) {
        ReportText(buffer, size).Append(name).Append("=").Append(value);
        return buffer;
    };
    constexpr size_t kMaxEnvironment = 1024;
    static char* environment[kMaxEnvironment];
    size_t count = 0;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (count + 8 < kMaxEnvironment && std::strncmp(*entry, "TARNWICK_CRASH_", 15) != 0) {
            environment[count++] = *entry;
        }
    }
    environment[count++] =
        variable(reportVariable, sizeof reportVariable, kCrashReportVariable, gReportPath);
    environment[count++] =
        variable(titleVariable, sizeof titleVariable, kCrashTitleVariable, gTitle.View());
    if (gAttachment[0] != '\0') {
        environment[count++] = variable(attachmentVariable, sizeof attachmentVariable,
                                        kCrashAttachmentVariable, gAttachment);
    }
    const PublishedContext* published = CurrentHost() != nullptr ? CurrentContext() : nullptr;
    if (published != nullptr) {
        environment[count++] = variable(productVariable, sizeof productVariable,
                                        kCrashProductVariable, published->mProduct);
        environment[count++] = variable(versionVariable, sizeof versionVariable,
                                        kCrashVersionVariable, published->mVersion);
        environment[count++] = variable(fieldsVariable, sizeof fieldsVariable, kCrashFieldsVariable,
                                        published->mReportFields);
    }
    environment[count++] = variable(clipboardVariable, sizeof clipboardVariable,
                                    kCrashClipboardVariable, gMayUseClipboard ? "1" : "0");
    environment[count] = nullptr;
    char* arguments[] = {gProgramPath, nullptr};

    // A bare clone instead of fork: fork runs the program's fork handlers, which take locks
    // the faulting code may hold.
    long child = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
    if (child == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        // The link still leads to the program when its file has been replaced since.
        execve("/proc/self/exe", arguments, environment);
        _exit(127);
    }
    if (child < 0) {
        return;
    }
    int status = 0;
    while (waitpid(static_cast<pid_t>(child), &status, 0) < 0 && errno == EINTR) {
    }
}

// Gives the signal the handler (or SIG_DFL) and lets it through on this thread.
void HandleAndUnblock(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, signal);
    sigprocmask(SIG_UNBLOCK, &signals, nullptr);
}

[[noreturn]] void Die() {
    HandleAndUnblock(gCrashSignal, SIG_DFL);
    raise(gCrashSignal);
    _exit(128 + gCrashSignal);
}

// Ends the process: the report file (if it is not written yet), the line for the user, the
// reporter, the fault's signal. Runs once; a fault inside it ends the process at once.
[[noreturn]] void Finish() {
    long self = CurrentThreadId();
    long none = 0;
    if (!gFinishingThread.compare_exchange_strong(none, self)) {
        if (none == self) {
            Die();
        }
        for (;;) {
            pause();
        }
    }
    alarm(0);
    WriteReportFile();
    TellUser();
    RunReporter();
    Die();
}

void OnWatchdog(int) {
    Finish();
}

void StartWatchdog() {
    HandleAndUnblock(SIGALRM, OnWatchdog);
    alarm(kWatchdogSeconds);
}

void ChooseReportPath() {
    const PublishedContext* published = CurrentContext();
    ReportText path(gReportPath, sizeof gReportPath);
    if (published != nullptr) {
        path.Append(published->mReportFolder);
    }
    path.Append("crash.txt");
}

void OnFault(int signal, siginfo_t* info, void* context) {
    const long thread = CurrentThreadId();
    long expected = 0;
    if (!gCrashingThread.compare_exchange_strong(expected, thread)) {
        if (expected == thread) {
            Finish(); // a fault while handling the first: end with what the report has
        }
        for (;;) {
            pause(); // another thread is reporting its fault and will end the process
        }
    }
    gCrashSignal = signal;
    StartWatchdog();
    ChooseReportPath();
    BuildReport(signal, info, context, thread);
    WriteReportFile();
    RunApplicationSteps();
    Finish();
}

void CaptureKernelVersion() {
    utsname names{};
    if (uname(&names) != 0) {
        return;
    }
    char buffer[sizeof gKernelVersion];
    ReportText text(buffer, sizeof buffer);
    text.Append(names.sysname).Append(" ").Append(names.release).Append(" ");
    text.Append(names.version).Append(" ").Append(names.machine);
    CopyText(gKernelVersion, text.View());
}

void CaptureProgram() {
    ssize_t length = readlink("/proc/self/exe", gProgramPath, sizeof gProgramPath - 1);
    gProgramPath[length > 0 ? length : 0] = '\0';
    const char* name = program_invocation_short_name;
    CopyText(gProgramName, name != nullptr ? name : "program");
}

} // namespace

void InstallCrashHandler() {
    if (gInstalled) {
        return;
    }
    CaptureProgram();
    CaptureKernelVersion();
    const char* reporter = std::getenv(kCrashReporterSwitchVariable);
    gReporterEnabled = reporter == nullptr || std::strcmp(reporter, "0") != 0;
    // The first stack walk loads the unwinder; it must not happen for the first time in the
    // handler.
    void* frames[2];
    backtrace(frames, 2);
    gMainThreadStack = std::make_unique<ThreadSignalStack>();

    struct sigaction action {};
    action.sa_sigaction = OnFault;
    // SA_NODEFER: a fault inside the handler reaches it again (and ends the process) instead
    // of killing it silently.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kHandledCount; ++i) {
        sigaction(kHandledSignals[i], &action, &gPreviousActions[i]);
    }
    gInstalled = true;
}

void RemoveCrashHandler() {
    if (!gInstalled) {
        return;
    }
    for (size_t i = 0; i < kHandledCount; ++i) {
        sigaction(kHandledSignals[i], &gPreviousActions[i], nullptr);
    }
    gMainThreadStack.reset();
    gInstalled = false;
}

void SetCrashReportLibraries(const std::string& windowSystem, const std::string& sound) {
    std::lock_guard lock(gPublishMutex);
    CopyText(gWindowSystemVersion, windowSystem);
    CopyText(gSoundVersion, sound);
}

void SetCrashHostSource(CrashHost* (*source)()) {
    gHostSource = source;
}

void PublishCrashContext(const CrashContext& context) {
    std::lock_guard lock(gPublishMutex);
    if (gCrashingThread != 0) {
        return;
    }
    int next = gCurrentContext.load() == 0 ? 1 : 0;
    PublishedContext& slot = gContexts[next];
    CopyText(slot.mReportFolder, context.mReportFolder);
    CopyText(slot.mSession, context.mSession);
    CopyText(slot.mProduct, context.mProduct);
    CopyText(slot.mVersion, context.mVersion);
    CopyText(slot.mReportFields, context.mReportFields);
    gCurrentContext = next;
}

__attribute__((no_sanitize("address", "undefined"))) void RaiseTestFault() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 0;
    std::abort(); // not reached: the write faults
}

} // namespace ravix
