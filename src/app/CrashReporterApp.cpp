#include "app/CrashReporterApp.h"

#include "crash/CrashHandler.h"
#include "files/WholeFile.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "platform/DesktopPlatform.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravix {

namespace {

// A report is a few kilobytes; an attachment is a demo recording.
constexpr std::size_t kMaxReportBytes = 1 << 20;
constexpr std::size_t kMaxAttachmentBytes = 64 << 20;

const Color kButtonFace(240, 240, 240);
const Color kWindowText(0, 0, 0);

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The whole file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<std::string> ReadFileUpTo(const std::string& path, std::size_t maxBytes) {
    std::string contents;
    if (ReadWholeFile(path, maxBytes, contents) != WholeFileResult::kRead) {
        return std::nullopt;
    }
    return contents;
}

// A result that means the server could not be reached; the user may try again.
bool IsUnreachable(int outcome) {
    return outcome == HTTPTransfer::kSocketError || outcome == HTTPTransfer::kHostNotFound ||
           outcome == HTTPTransfer::kConnectFailed || outcome == HTTPTransfer::kSendFailed;
}

} // namespace

// The window's content: the controls of every page, of which the current page's are shown, on
// the system's button-face colour, and the page's heading and message.
class CrashReporterScreen : public Widget {
public:
    CrashReporterScreen(CrashReporterApp& app, const CrashReporterSetup& setup)
        : mHeadingFont("Arial", 9, true), mReportFont("Courier New", 8),
          mSendDisabled(!setup.mApplicationExisted) {
        Resize(0, 0, app.mScreenWidth, app.mScreenHeight);
        mHeading = AddText(CrashReporterApp::kHeadingText, Rect(8, 8, 384, 84), &mHeadingFont);
        mHeading->SetText("An unexpected error has occured!");
        mReport = AddText(CrashReporterApp::kReportText, Rect(8, 92, 384, 168), &mReportFont);
        mReport->SetText(setup.mSubmission.mReport);
        mComment = AddText(CrashReporterApp::kCommentText, Rect(8, 76, 384, 184), nullptr);
        mComment->SetReadOnly(false);
        mComment->SetMaxChars(static_cast<int>(kMaxReportComment));

        const int y = 268;
        const int height = 24;
        if (setup.mSubmissionEnabled) {
            AddButton(app, CrashReporterApp::kSendReport, "Send Report", Rect(8, y, 188, height));
            AddButton(app, CrashReporterApp::kCloseNow, "Close Now", Rect(204, y, 188, height));
        } else {
            AddButton(app, CrashReporterApp::kCloseNow, "Close Now", Rect(8, y, 384, height));
        }
        AddButton(app, CrashReporterApp::kSendComment, "Send", Rect(8, y, 188, height));
        AddButton(app, CrashReporterApp::kCancelComment, "Cancel", Rect(204, y, 188, height));
        AddButton(app, CrashReporterApp::kRetry, "Retry", Rect(8, y, 188, height));
        AddButton(app, CrashReporterApp::kCancelRetry, "Cancel", Rect(204, y, 188, height));
    }

    ~CrashReporterScreen() override {
        for (auto& [id, control] : mControls) {
            DetachChild(control.get());
        }
    }
    CrashReporterScreen(const CrashReporterScreen&) = delete;
    CrashReporterScreen& operator=(const CrashReporterScreen&) = delete;

    // Shows the controls of a page (by id), a heading in bold and a message under it.
    void ShowPage(const std::vector<int>& shown, std::string heading, std::string message) {
        for (auto& [id, control] : mControls) {
            bool visible = std::find(shown.begin(), shown.end(), id) != shown.end();
            control->SetVisible(visible);
            control->SetDisabled(!visible ||
                                 (id == CrashReporterApp::kSendReport && mSendDisabled));
        }
        mPageHeading = std::move(heading);
        mPageMessage = std::move(message);
        Invalidate();
    }

    Widget* FindShown(int id) {
        auto found = mControls.find(id);
        return found != mControls.end() && found->second->mVisible ? found->second.get() : nullptr;
    }

    EditWidget& Comment() { return *mComment; }

    void Draw(Graphics& g) override {
        g.SetColor(kButtonFace);
        g.FillRect(0, 0, mWidth, mHeight);
        g.SetColor(kWindowText);
        g.SetFont(&mHeadingFont);
        if (!mPageHeading.empty()) {
            g.DrawString(mPageHeading, 8, 24);
        }
        if (!mPageMessage.empty()) {
            g.DrawWrappedText(Rect(8, 36, 384, 36), mPageMessage);
        }
    }

private:
    EditWidget* AddText(int id, const Rect& rect, const Font* font) {
        auto edit = std::make_unique<EditWidget>(id, nullptr);
        if (font != nullptr) {
            edit->SetFont(font);
        }
        edit->SetMultiLine(true);
        edit->SetReadOnly(true);
        edit->Resize(rect);
        EditWidget* raw = edit.get();
        InsertChild(raw);
        mControls[id] = std::move(edit);
        return raw;
    }

    ButtonWidget* AddButton(CrashReporterApp& app, int id, const char* label, const Rect& rect) {
        auto button = std::make_unique<ButtonWidget>(id, &app);
        button->Resize(rect);
        button->mLabel = label;
        ButtonWidget* raw = button.get();
        InsertChild(raw);
        mControls[id] = std::move(button);
        return raw;
    }

    SysFont mHeadingFont;
    SysFont mReportFont;
    std::map<int, std::unique_ptr<Widget>> mControls;
    EditWidget* mHeading = nullptr;
    EditWidget* mReport = nullptr;
    EditWidget* mComment = nullptr;
    bool mSendDisabled; // without an application there is nothing to send with
    std::string mPageHeading;
    std::string mPageMessage;
};

CrashReporterSetup ReadCrashReporterSetup() {
    CrashReporterSetup setup;
    setup.mReportPath = Environment(kCrashReportVariable);
    CrashSubmission& submission = setup.mSubmission;
    submission.mHost = Environment("TARNWICK_REPORT_HOST");
    submission.mExtraFields = DecodeReportFields(Environment(kCrashFieldsVariable));
    submission.mProduct = Environment(kCrashProductVariable);
    submission.mVersion = Environment(kCrashVersionVariable);
    submission.mTitle = Environment(kCrashTitleVariable);
    submission.mReport = ReadFileUpTo(setup.mReportPath, kMaxReportBytes).value_or("");
    const std::string attachment = Environment(kCrashAttachmentVariable);
    if (!attachment.empty()) {
        submission.mAttachment = ReadFileUpTo(attachment, kMaxAttachmentBytes);
    }
    setup.mSubmissionEnabled = !submission.mHost.empty();
    setup.mApplicationExisted = std::getenv(kCrashProductVariable) != nullptr;
    setup.mUseClipboard = Environment(kCrashClipboardVariable) == "1";
    return setup;
}

CrashReporterApp::CrashReporterApp(std::unique_ptr<Platform> platform, CrashReporterSetup setup)
    : RavixAppBase(std::move(platform)), mSetup(std::move(setup)) {
    mProductName = mSetup.mSubmission.mProduct.empty() ? "Product" : mSetup.mSubmission.mProduct;
    mWindowCaption = "Fatal Error!";
    mScreenWidth = 400;
    mScreenHeight = 300;
    mWindowX = 64;
    mWindowY = 64;
    // The crashed copy still holds the product's instance lock while it waits for us.
    mSingleInstance = false;
    mSilent = true;
    mAutoStartLoader = false;
}

CrashReporterApp::~CrashReporterApp() {
    if (mScreen) {
        mWidgets->DetachChild(mScreen.get());
    }
}

void CrashReporterApp::OnInitialized() {
    mScreen = std::make_unique<CrashReporterScreen>(*this, mSetup);
    mWidgets->InsertChild(mScreen.get());
    ShowPage(Page::Fault);
    if (mSetup.mUseClipboard) {
        GetPlatform().SetClipboardText(mSetup.mSubmission.mReport);
    }
}

Widget* CrashReporterApp::FindShownControl(int id) {
    return mScreen ? mScreen->FindShown(id) : nullptr;
}

EditWidget& CrashReporterApp::CommentBox() {
    return mScreen->Comment();
}

void CrashReporterApp::ShowPage(Page page) {
    mPage = page;
    switch (page) {
    case Page::Fault:
        mScreen->ShowPage({kHeadingText, kReportText, kSendReport, kCloseNow}, "", "");
        break;
    case Page::Details:
        mScreen->ShowPage({kCommentText, kSendComment, kCancelComment}, "Error Details",
                          "Please help out by providing as much information as you can about "
                          "this crash.");
        mWidgets->FocusWidget(&mScreen->Comment());
        break;
    case Page::Submitting:
        mScreen->ShowPage({}, "Submitting Report", "Please Wait");
        break;
    case Page::ConnectionFailed:
        mScreen->ShowPage({kRetry, kCancelRetry}, "Connection Failed",
                          "Failed to connect to server.");
        break;
    }
}

void CrashReporterApp::Send() {
    ShowPage(Page::Submitting);
    mTransfer.SetServer(mSetup.mSubmission.mHost);
    mTransfer.Transmit(BuildCrashReportRequest(mSetup.mSubmission));
}

void CrashReporterApp::OnButtonClick(int id) {
    switch (id) {
    case kSendReport:
        ShowPage(Page::Details);
        break;
    case kSendComment:
        mSetup.mSubmission.mComment = CommentBox().GetText().substr(0, kMaxReportComment);
        Send();
        break;
    case kRetry:
        Send();
        break;
    case kCancelComment:
    case kCancelRetry:
        ShowPage(Page::Fault);
        break;
    case kCloseNow:
        BeginShutdown();
        break;
    default:
        RavixAppBase::OnButtonClick(id);
        break;
    }
}

void CrashReporterApp::AdvanceUpdate() {
    RavixAppBase::AdvanceUpdate();
    if (mPage != Page::Submitting) {
        return;
    }
    const int outcome = mTransfer.Outcome();
    if (outcome == HTTPTransfer::kInProgress) {
        return;
    }
    if (IsUnreachable(outcome)) {
        ShowPage(Page::ConnectionFailed);
    } else {
        BeginShutdown();
    }
}

int RunCrashReporter(int argc, char** argv) {
    CrashReporterSetup setup = ReadCrashReporterSetup();
    // SDL's dummy and offscreen drivers show nothing: a window there would wait for a click
    // that never comes, and the crashed program with it.
    const std::string driver = Environment("SDL_VIDEODRIVER");
    const bool invisible = driver == "dummy" || driver == "offscreen";
    std::string error;
    std::unique_ptr<Platform> platform =
        invisible ? nullptr : OpenDesktopPlatform(argc, argv, error);
    if (platform == nullptr) {
        std::fprintf(stderr, "%s: no display to show the crash report; it is in %s\n",
                     program_invocation_short_name, setup.mReportPath.c_str());
        return 0;
    }
    auto app = std::make_unique<CrashReporterApp>(std::move(platform), std::move(setup));
    gApplication = app.get();
    app->Initialize();
    app->Run();
    app.reset();
    gApplication = nullptr;
    return 0;
}

} // namespace ravix
