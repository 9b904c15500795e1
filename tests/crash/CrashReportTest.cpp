#include "crash/CrashReport.h"
#include "crash/CrashSubmission.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

using namespace ravix;

namespace {

std::string Text(void (*build)(ReportText&)) {
    char buffer[1024];
    ReportText text(buffer, sizeof buffer);
    build(text);
    return std::string(text.View());
}

} // namespace

TEST(CrashReport, SignalsMapOntoNamedFaultCodes) {
    struct Case {
        int mSignal;
        int mCode;
        bool mOverflow;
        uint32_t mFault;
        const char* mName; // null: the "Unknown exception" form
    };
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, 0xC0000005, "Access Violation"},
        {SIGSEGV, SEGV_ACCERR, true, 0xC00000FD, "Stack Overflow"},
        {SIGFPE, FPE_INTDIV, false, 0xC0000094, "Integer Divide by Zero"},
        {SIGFPE, FPE_INTOVF, false, 0xC0000095, "Integer Overflow"},
        {SIGFPE, FPE_FLTDIV, false, 0xC000008E, "Divide by Zero"},
        {SIGFPE, FPE_FLTINV, false, 0xC0000090, "Float Invalid Operation"},
        {SIGFPE, FPE_FLTUND, false, 0xC0000093, "Float Underflow"},
        {SIGILL, ILL_ILLOPC, false, 0xC000001D, "Illegal Instruction"},
        {SIGILL, ILL_PRVOPC, false, 0xC0000096, "Privileged Instruction"},
        {SIGBUS, BUS_ADRERR, false, 0xC0000006, "In Page Error"},
        {SIGBUS, BUS_ADRALN, false, 0x80000002, "Data Type Misalignment"},
        // Not processor faults: an abort, and a fault signal sent with kill.
        {SIGABRT, SI_TKILL, false, SIGABRT, nullptr},
        {SIGSEGV, SI_USER, false, SIGSEGV, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mFault);
        uint32_t code = FaultCodeForSignal(c.mSignal, c.mCode, c.mOverflow);
        EXPECT_EQ(code, c.mFault);
        const char* name = FaultName(code);
        if (c.mName == nullptr) {
            EXPECT_EQ(name, nullptr);
        } else {
            ASSERT_NE(name, nullptr);
            EXPECT_STREQ(name, c.mName);
        }
    }
}

TEST(CrashReport, LinesHaveTheirExactShapes) {
    struct Case {
        void (*mBuild)(ReportText&);
        const char* mExpected;
    };
    const Case cases[] = {
        {[](ReportText& t) { AppendExceptionLine(t, 0xC0000005, 0x55D0DEADBEEF, 0x1A2B); },
         "Exception: Access Violation (code 0xc0000005) at address 000055D0DEADBEEF in thread "
         "1A2B\r\n"},
        {[](ReportText& t) { AppendExceptionLine(t, 6, 0x1000, 7); },
         "Unknown exception: (code 0x6) at address 0000000000001000 in thread 7\r\n"},
        {[](ReportText& t) { AppendLogicalAddress(t, 2, 0x3A2F); }, "0002:00003A2F"},
        {[](ReportText& t) { AppendLogicalAddress(t, 1, 0x123456789); }, "0001:123456789"},
        {[](ReportText& t) { AppendStackFrame(t, 0x7F00, "ravix::Run()", 0x2C, 2, 0x100, "/m"); },
         "0000000000007F00 ravix::Run()+2C\r\n"},
        {[](ReportText& t) { AppendStackFrame(t, 0x7F00, nullptr, 0, 2, 0x100, "/lib/m.so"); },
         "0000000000007F00 0002:00000100 /lib/m.so\r\n"},
        {[](ReportText& t) {
             t.AppendDecimal(7, 2).Append(" ").AppendHex(0, 4).AppendLowerHex(255);
         },
         "07 0000ff"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.mBuild), c.mExpected);
    }
}

TEST(CrashReport, RegistersTakeFourLinesOfNamesThenSegmentsAndFlags) {
    ReportRegisters r;
    r.mRax = 1;
    r.mRdi = 0xFFFFFFFFFFFFFFFF;
    r.mR8 = 8;
    r.mR15 = 15;
    r.mRip = 0x401000;
    r.mRsp = 0x7FFC0000;
    r.mRbp = 0x10;
    r.mCs = 0x33;
    r.mFs = 0;
    r.mGs = 0x2B;
    r.mFlags = 0x10246;
    char buffer[1024];
    ReportText text(buffer, sizeof buffer);
    AppendRegisters(text, r);
    EXPECT_EQ(text.View(), "RAX:0000000000000001 RBX:0000000000000000 RCX:0000000000000000 "
                           "RDX:0000000000000000 RSI:0000000000000000 RDI:FFFFFFFFFFFFFFFF\r\n"
                           "R8:0000000000000008 R9:0000000000000000 R10:0000000000000000 "
                           "R11:0000000000000000\r\n"
                           "R12:0000000000000000 R13:0000000000000000 R14:0000000000000000 "
                           "R15:000000000000000F\r\n"
                           "RIP:0000000000401000 RSP:000000007FFC0000  RBP:0000000000000010\r\n"
                           "CS:0033 FS:0000 GS:002B\r\n"
                           "Flags:00010246\r\n"
                           "\r\n");
}

TEST(CrashReport, TextThatDoesNotFitIsCutAndStaysTerminated) {
    char buffer[8];
    ReportText text(buffer, sizeof buffer);
    text.Append("abcd").AppendHex(0x12345678, 8);
    EXPECT_EQ(text.View(), "abcd123");
    EXPECT_STREQ(text.CString(), "abcd123");
}

TEST(CrashSubmission, RequestHasTheExactFormBytes) {
    CrashSubmission submission;
    submission.mHost = "reports.example:8080";
    submission.mExtraFields = {{"level", "3"}};
    submission.mProduct = "Tarnwick";
    submission.mVersion = "1.0";
    submission.mComment = "it broke";
    submission.mTitle = "Exception at 0002:00001234";
    submission.mReport = "Exception: X\r\n";
    submission.mAttachment = std::string("DM\0\x01", 4);
    const std::string body = "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"level\"\r\n"
                             "\r\n"
                             "3\r\n"
                             "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"prod\"\r\n"
                             "\r\n"
                             "Tarnwick\r\n"
                             "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"version\"\r\n"
                             "\r\n"
                             "1.0\r\n"
                             "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"usertext\"\r\n"
                             "\r\n"
                             "it broke\r\n"
                             "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"errortitle\"\r\n"
                             "\r\n"
                             "Exception at 0002:00001234\r\n"
                             "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"errortext\"\r\n"
                             "\r\n"
                             "Exception: X\r\n\r\n"
                             "-----------------------------7d3e1f30eec\r\n"
                             "Content-Disposition: form-data; name=\"demofile\"; "
                             "filename=\"dravik.dmo\"\r\n"
                             "Content-Type: application/octet-stream\r\n"
                             "\r\n" +
                             std::string("DM\0\x01", 4) +
                             "\r\n"
                             "-----------------------------7d3e1f30eec--\r\n";
    ASSERT_EQ(body.size(), 831u);
    EXPECT_EQ(
        BuildCrashReportRequest(submission),
        "POST /vorlax_error.php HTTP/1.1\r\n"
        "Content-Type: multipart/form-data; boundary=---------------------------7d3e1f30eec\r\n"
        "User-Agent: Mozilla/4.0 (compatible; dravik)\r\n"
        "Host: reports.example:8080\r\n"
        "Content-Length: 831\r\n"
        "Connection: close\r\n"
        "\r\n" +
            body);

    // Without an attachment there is no demofile part.
    submission.mAttachment.reset();
    EXPECT_EQ(BuildCrashReportRequest(submission).find("demofile"), std::string::npos);
}

TEST(CrashSubmission, ReportFieldsSurviveTheEnvironmentLine) {
    const std::map<std::string, std::string> fields = {
        {"a&b=c", "x=1&y=%2\r\n\xFF"}, {"empty", ""}, {"plain name", "plain value"}};
    const std::string line = EncodeReportFields(fields);
    EXPECT_EQ(line.find_first_of("\r\n\xFF"), std::string::npos);
    const ReportFields decoded = DecodeReportFields(line);
    EXPECT_EQ(decoded, ReportFields(fields.begin(), fields.end()));

    // Anything decodes: broken escapes stay, a pair without "=" has no value, no name no field.
    EXPECT_EQ(DecodeReportFields("a=%4&b&=lost&&c=%41%"),
              (ReportFields{{"a", "%4"}, {"b", ""}, {"c", "A%"}}));
}
