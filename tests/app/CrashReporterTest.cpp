#include "AppTestSupport.h"
#include "net/TestHttpServer.h"

#include "app/CrashReporterApp.h"
#include "crash/CrashHandler.h"
#include "widgets/EditWidget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace ravix;
using ravix::testing::TempHome;
using ravix::testing::WriteTextFile;

namespace {

// The reporter's window on the headless platform, keeping the test's working folder.
class TestReporter : public CrashReporterApp {
public:
    explicit TestReporter(CrashReporterSetup setup)
        : CrashReporterApp(std::make_unique<HeadlessPlatform>(), std::move(setup)) {
        gApplication = this;
        Initialize();
    }
    ~TestReporter() override { gApplication = nullptr; }
    bool KeepWorkingFolder(const std::string&) override { return true; }

    // Runs the window while the report is on its way (the transfer's thread is real).
    void RunWhileSubmitting() {
        for (int step = 0; step < 1000 && CurrentPage() == Page::Submitting && !mShuttingDown;
             ++step) {
            const int64_t end = Now() + 10;
            bool updated = false;
            while (Now() <= end && RunPass(updated)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
};

CrashReporterSetup SetupForHost(const std::string& host) {
    CrashReporterSetup setup;
    setup.mSubmission.mHost = host;
    setup.mSubmission.mProduct = "Tarnwick";
    setup.mSubmission.mVersion = "1.0";
    setup.mSubmission.mTitle = "Exception at 0002:00001234";
    setup.mSubmission.mReport = "Exception: Access Violation\r\n";
    setup.mSubmission.mExtraFields = {{"level", "2"}};
    setup.mSubmission.mAttachment = std::string("demo\0bytes", 10);
    setup.mSubmissionEnabled = !host.empty();
    setup.mApplicationExisted = true;
    return setup;
}

Rect Bounds(Widget* widget) {
    return widget == nullptr ? Rect()
                             : Rect(widget->mX, widget->mY, widget->mWidth, widget->mHeight);
}

} // namespace

TEST(CrashReporter, SetupComesFromTheEnvironmentAndTheFiles) {
    TempHome home;
    WriteTextFile(home.Path() + "/crash.txt", "Exception: X\r\n\r\n");
    WriteTextFile(home.Path() + "/demo.dmo", std::string("D\0M", 3));
    home.Set(kCrashReportVariable, home.Path() + "/crash.txt");
    home.Set(kCrashTitleVariable, "Exception at 0001:00000010");
    home.Set(kCrashAttachmentVariable, home.Path() + "/demo.dmo");
    home.Set(kCrashProductVariable, "Tarnwick");
    home.Set(kCrashVersionVariable, "1.0");
    home.Set(kCrashFieldsVariable, EncodeReportFields({{"a", "1&2"}}));
    home.Set(kCrashClipboardVariable, "1");
    home.Set("TARNWICK_REPORT_HOST", "reports.example");
    CrashReporterSetup setup = ReadCrashReporterSetup();
    EXPECT_EQ(setup.mSubmission.mReport, "Exception: X\r\n\r\n");
    EXPECT_EQ(setup.mSubmission.mTitle, "Exception at 0001:00000010");
    EXPECT_EQ(setup.mSubmission.mAttachment, std::string("D\0M", 3));
    EXPECT_EQ(setup.mSubmission.mProduct, "Tarnwick");
    EXPECT_EQ(setup.mSubmission.mVersion, "1.0");
    EXPECT_EQ(setup.mSubmission.mExtraFields, (ReportFields{{"a", "1&2"}}));
    EXPECT_EQ(setup.mSubmission.mHost, "reports.example");
    EXPECT_TRUE(setup.mSubmissionEnabled);
    EXPECT_TRUE(setup.mApplicationExisted);
    EXPECT_TRUE(setup.mUseClipboard);

    // Without a report server there is no submission; a missing attachment is left out.
    home.Set("TARNWICK_REPORT_HOST", "");
    home.Set(kCrashAttachmentVariable, home.Path() + "/missing.dmo");
    setup = ReadCrashReporterSetup();
    EXPECT_FALSE(setup.mSubmissionEnabled);
    EXPECT_FALSE(setup.mSubmission.mAttachment.has_value());
}

TEST(CrashReporter, FaultPageOffersSendingOnlyWithAReportServer) {
    TempHome home;
    {
        TestReporter reporter(SetupForHost(""));
        EXPECT_EQ(reporter.FindShownControl(CrashReporterApp::kSendReport), nullptr);
        EXPECT_EQ(Bounds(reporter.FindShownControl(CrashReporterApp::kCloseNow)),
                  Rect(8, 268, 384, 24));
        auto* report =
            static_cast<EditWidget*>(reporter.FindShownControl(CrashReporterApp::kReportText));
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(report->GetText(), "Exception: Access Violation\n"); // the box keeps LF only
        EXPECT_TRUE(report->IsReadOnly());
        EXPECT_EQ(Bounds(report), Rect(8, 92, 384, 168));
    }
    TestReporter reporter(SetupForHost("reports.example"));
    EXPECT_EQ(Bounds(reporter.FindShownControl(CrashReporterApp::kSendReport)),
              Rect(8, 268, 188, 24));
    EXPECT_EQ(Bounds(reporter.FindShownControl(CrashReporterApp::kCloseNow)),
              Rect(204, 268, 188, 24));
    reporter.OnButtonClick(CrashReporterApp::kCloseNow);
    EXPECT_TRUE(reporter.mShuttingDown);
}

TEST(CrashReporter, ServerReceivesTheExactReportWithTheComment) {
    TempHome home;
    httptest::TestHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    TestReporter reporter(SetupForHost(server.Address()));
    reporter.OnButtonClick(CrashReporterApp::kSendReport);
    EXPECT_EQ(reporter.CurrentPage(), CrashReporterApp::Page::Details);
    reporter.CommentBox().SetText("It crashed when I clicked.");
    reporter.OnButtonClick(CrashReporterApp::kSendComment);
    EXPECT_EQ(reporter.CurrentPage(), CrashReporterApp::Page::Submitting);
    reporter.RunWhileSubmitting();

    ASSERT_TRUE(server.WaitForRequests(1));
    CrashSubmission expected = SetupForHost(server.Address()).mSubmission;
    expected.mComment = "It crashed when I clicked.";
    EXPECT_EQ(server.Request(0), BuildCrashReportRequest(expected));
    EXPECT_TRUE(reporter.mShuttingDown) << "a sent report closes the window";
}

TEST(CrashReporter, UnreachableServerOffersRetryAndCancel) {
    TempHome home;
    const std::string nowhere =
        "127.0.0.1:" + std::to_string(httptest::TestHttpServer::UnusedPort());
    TestReporter reporter(SetupForHost(nowhere));
    reporter.OnButtonClick(CrashReporterApp::kSendReport);
    reporter.OnButtonClick(CrashReporterApp::kSendComment);
    reporter.RunWhileSubmitting();
    ASSERT_EQ(reporter.CurrentPage(), CrashReporterApp::Page::ConnectionFailed);
    EXPECT_NE(reporter.FindShownControl(CrashReporterApp::kRetry), nullptr);

    reporter.OnButtonClick(CrashReporterApp::kRetry);
    EXPECT_EQ(reporter.CurrentPage(), CrashReporterApp::Page::Submitting);
    reporter.RunWhileSubmitting();
    ASSERT_EQ(reporter.CurrentPage(), CrashReporterApp::Page::ConnectionFailed);
    reporter.OnButtonClick(CrashReporterApp::kCancelRetry);
    EXPECT_EQ(reporter.CurrentPage(), CrashReporterApp::Page::Fault);
    EXPECT_FALSE(reporter.mShuttingDown);
}
