#pragma once

#include "app/RavixAppBase.h"
#include "crash/CrashSubmission.h"
#include "net/HTTPTransfer.h"

#include <memory>
#include <string>

namespace ravix {

class CrashReporterScreen;
class EditWidget;
class Widget;

// What the crash handler handed over to the reporter process.
struct CrashReporterSetup {
    std::string mReportPath;
    CrashSubmission mSubmission;     // the host, product, version, title, report, attachment
    bool mSubmissionEnabled = false; // a report server is configured
    bool mApplicationExisted = false;
    bool mUseClipboard = false;
};

// Reads the setup from the environment (see CrashHandler.h), crash.txt and the attachment. The
// report server comes from TARNWICK_REPORT_HOST; submission is enabled only when it is set.
// Files too large to be a report or an attachment are left out.
CrashReporterSetup ReadCrashReporterSetup();

// The crash reporter: this program started again by the crash handler. It shows the report in
// the "Fatal Error!" window, copies it to the clipboard and, when submission is enabled, sends
// it with the user's comment. Without a display it prints where the report is and ends.
// Returns the process's exit code.
int RunCrashReporter(int argc, char** argv);

// The reporter's window: 400 x 300, one page at a time. The fault page shows the report with
// "Send Report" (when submission is enabled) and "Close Now"; "Send Report" leads to the comment
// page ("Error Details"), sending shows "Submitting Report" / "Please Wait" while the request
// travels, and a server that cannot be reached leads to "Connection Failed" with Retry and
// Cancel. A finished submission or "Close Now" ends the program.
class CrashReporterApp : public RavixAppBase {
public:
    enum ControlId {
        kSendReport = 1,
        kCloseNow,
        kSendComment,
        kCancelComment,
        kRetry,
        kCancelRetry,
        kHeadingText,
        kReportText,
        kCommentText,
    };
    enum class Page { Fault, Details, Submitting, ConnectionFailed };

    CrashReporterApp(std::unique_ptr<Platform> platform, CrashReporterSetup setup);
    ~CrashReporterApp() override;

    void OnInitialized() override;
    void OnButtonClick(int id) override;
    void AdvanceUpdate() override;

    [[nodiscard]] Page CurrentPage() const { return mPage; }
    // The control with the id when it is shown on the current page, else null.
    [[nodiscard]] Widget* FindShownControl(int id);
    [[nodiscard]] EditWidget& CommentBox();
    [[nodiscard]] HTTPTransfer& Transfer() { return mTransfer; }
    [[nodiscard]] const CrashSubmission& Submission() const { return mSetup.mSubmission; }

private:
    void ShowPage(Page page);
    void Send();

    CrashReporterSetup mSetup;
    HTTPTransfer mTransfer;
    std::unique_ptr<CrashReporterScreen> mScreen;
    Page mPage = Page::Fault;
};

} // namespace ravix
