#include "net/HTTPTransfer.h"
#include "net/TransferOutcomeLog.h"

#include "TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

using httptest::TestHttpServer;
using ravix::HTTPTransfer;

namespace {

const std::string kRequest = "GET /check HTTP/1.1\r\nHost: test\r\nConnection: close\r\n\r\n";
const std::string kHelloResponse = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";

// Polls until the transfer has ended, with a generous limit.
int AwaitOutcome(HTTPTransfer& transfer) {
    for (int poll = 0; poll < 60000; ++poll) {
        const int result = transfer.Outcome();
        if (result != HTTPTransfer::kInProgress)
            return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return transfer.Outcome();
}

struct LoggedOutcome {
    std::uint32_t mNumber;
    int mResult;
    std::string mContent;
    bool operator==(const LoggedOutcome&) const = default;
};

void PrintTo(const LoggedOutcome& outcome, std::ostream* out) {
    *out << "{" << outcome.mNumber << ", " << outcome.mResult << ", \"" << outcome.mContent
         << "\"}";
}

class FakeOutcomeLog : public ravix::TransferOutcomeLog {
public:
    bool IsRecordingTransfers() const override { return mRecording; }
    bool IsReplayingTransfers() const override { return !mRecording; }
    void RecordTransferOutcome(uint32_t number, int result, const std::string& content) override {
        mRecorded.push_back({number, result, content});
    }
    bool ReplayTransferOutcome(uint32_t number, int& result, std::string& content) override {
        if (mToReplay.empty() || mToReplay.front().mNumber != number)
            return false;
        result = mToReplay.front().mResult;
        content = mToReplay.front().mContent;
        mToReplay.pop_front();
        return true;
    }

    bool mRecording = true;
    std::vector<LoggedOutcome> mRecorded;
    std::deque<LoggedOutcome> mToReplay;
};

} // namespace

TEST(HTTPTransfer, ResponsesAreParsedByStatusAndHeaders) {
    struct Case {
        std::string mRaw;
        int mResult;
        std::string mBody;
    };
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    const Case cases[] = {
        {ok + "Content-Length: 5\r\n\r\nhelloEXTRA", HTTPTransfer::kDone, "hello"},
        {ok + "Content-Length: 99\r\n\r\nhel", HTTPTransfer::kDone, "hel"},
        {ok + "Content-Length: 99999999999999999999999999\r\n\r\nhel", HTTPTransfer::kDone, "hel"},
        {ok + "Content-Length: -1\r\n\r\nto the end", HTTPTransfer::kDone, "to the end"},
        {ok + "Server: x\r\n\r\nto the end", HTTPTransfer::kDone, "to the end"},
        {"HTTP/1.0 200 OK\nCONTENT-LENGTH:2\n\nhiX", HTTPTransfer::kDone, "hi"},
        {ok + "Content-Length: 3", HTTPTransfer::kDone, ""}, // the headers never ended
        {"HTTP/1.1 200", HTTPTransfer::kDone, ""},
        {chunked + "5\r\nhello\r\n0\r\n\r\n", HTTPTransfer::kDone, "hello"},
        {ok +
             "transfer-encoding: gzip\r\nContent-Length: 1\r\n\r\n3;x=y\r\nabc\r\n2\r\nde\r\n0\r\n",
         HTTPTransfer::kDone, "abcde"},
        {ok + "Transfer-Encoding: identity\r\nContent-Length: 2\r\n\r\n2\r\n", HTTPTransfer::kDone,
         "2\r"},
        // Chunked bodies cut short or malformed keep what was decoded up to there.
        {chunked + "3\r\nabc\r\n5\r\nhel", HTTPTransfer::kDone, "abchel"},
        {chunked + "FFFFFFFFFFFFFFFFFFFFFFFFFFFF\r\nabc", HTTPTransfer::kDone, "abc"},
        {chunked + "3\r\nabcX\r\n2\r\nde\r\n0\r\n", HTTPTransfer::kDone, "abc"},
        {chunked + "zz\r\nabc\r\n", HTTPTransfer::kDone, ""},
        {chunked + "3x\r\nabc\r\n", HTTPTransfer::kDone, ""},
        {chunked + "3\r\nab", HTTPTransfer::kDone, "ab"},
        {chunked + "3", HTTPTransfer::kDone, ""},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", HTTPTransfer::kNotFound,
         "gone"},
        {"HTTP/1.1 500 Oops\r\n\r\nfailed", HTTPTransfer::kHttpError, "failed"},
        {"HTTP/1.1 20", HTTPTransfer::kHttpError, ""},
        {"HTTP/2 200 OK\r\n\r\nbody", HTTPTransfer::kHttpError, ""},
        {"", HTTPTransfer::kHttpError, ""},
    };
    for (const Case& c : cases) {
        std::string body = "stale";
        EXPECT_EQ(HTTPTransfer::ParseResponse(c.mRaw, body), c.mResult) << c.mRaw;
        EXPECT_EQ(body, c.mBody) << c.mRaw;
    }
}

TEST(HTTPTransfer, UrlsSplitIntoProtocolHostPortAndPath) {
    struct Case {
        std::string mUrl, mProtocol, mHost;
        int mPort;
        std::string mPath;
    };
    const Case cases[] = {
        {"example.org:8080/x", "", "example.org", 8080, "/x"},
        {"example.org", "", "example.org", 80, "/"},
        {"http://example.org/a/b?c=1", "http:", "example.org", 80, "/a/b?c=1"},
        {"http://127.0.0.1:8080", "http:", "127.0.0.1", 8080, "/"},
        {"host/a//b", "", "host", 80, "/a//b"},
        {"host:http/x", "", "host", 0, "/x"},
        {"host:65536", "", "host", 0, "/"},
    };
    HTTPTransfer transfer;
    for (const Case& c : cases) {
        const std::uint32_t before = transfer.TransferNumber();
        transfer.BeginTransfer(c.mUrl);
        EXPECT_EQ(transfer.Protocol(), c.mProtocol) << c.mUrl;
        EXPECT_EQ(transfer.Host(), c.mHost) << c.mUrl;
        EXPECT_EQ(transfer.Port(), c.mPort) << c.mUrl;
        EXPECT_EQ(transfer.Path(), c.mPath) << c.mUrl;
        EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kInProgress);
        EXPECT_NE(transfer.TransferNumber(), before);
    }
    transfer.ResetTransfer();
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kIdle);
    EXPECT_EQ(transfer.Host(), "");
    EXPECT_EQ(transfer.Path(), "");
}

TEST(HTTPTransfer, SendsTheWholeRequestAndReceivesTheBody) {
    TestHttpServer server(kHelloResponse);
    HTTPTransfer transfer;
    transfer.SetServer(server.Address());
    // Larger than a socket's send buffer, so that it goes out in several pieces.
    const std::string body(3 << 20, 'b');
    const std::string request =
        "POST /report HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
        body;
    transfer.Transmit(request);
    EXPECT_EQ(transfer.Host(), "127.0.0.1");
    EXPECT_EQ(transfer.Port(), server.Port());
    ASSERT_EQ(AwaitOutcome(transfer), HTTPTransfer::kDone);
    EXPECT_EQ(transfer.ResponseText(), "hello");
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_TRUE(server.Request() == request); // not EXPECT_EQ: no 3 MiB failure message

    transfer.Transmit(kRequest); // the instance serves one transfer after another
    EXPECT_EQ(AwaitOutcome(transfer), HTTPTransfer::kDone);
    ASSERT_TRUE(server.WaitForRequests(2));
    EXPECT_EQ(server.Request(1), kRequest);
}

TEST(HTTPTransfer, ServerAnswersGiveTheirResults) {
    struct Case {
        std::string mResponse;
        int mResult;
        std::string mContent;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nmaple\r\n0\r\n\r\n",
         HTTPTransfer::kDone, "maple"},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", HTTPTransfer::kNotFound,
         "gone"},
        {"HTTP/1.1 500 Internal Server Error\r\n\r\n", HTTPTransfer::kHttpError, ""},
        {"HTTP/1.1 200 OK\r\n\r\n" + std::string(HTTPTransfer::kMaxResponseBytes, 'x'),
         HTTPTransfer::kHttpError, ""},
    };
    for (const Case& c : cases) {
        TestHttpServer server(c.mResponse);
        HTTPTransfer transfer;
        transfer.SetServer(server.Address());
        transfer.Transmit(kRequest);
        EXPECT_EQ(AwaitOutcome(transfer), c.mResult) << c.mResponse.substr(0, 40);
        EXPECT_EQ(transfer.ResponseText(), c.mContent);
    }
}

TEST(HTTPTransfer, UnreachableServersFail) {
    struct Case {
        std::string mServer;
        int mResult;
    };
    const Case cases[] = {
        {"127.0.0.1:" + std::to_string(TestHttpServer::UnusedPort()), HTTPTransfer::kConnectFailed},
        {"127.0.0.1:0", HTTPTransfer::kConnectFailed},
        {"reports.tarnwick.invalid", HTTPTransfer::kHostNotFound},
        {"REPORTS.INVALID.:8080", HTTPTransfer::kHostNotFound},
        {"", HTTPTransfer::kHostNotFound},
    };
    for (const Case& c : cases) {
        HTTPTransfer transfer;
        transfer.SetServer(c.mServer);
        transfer.Transmit(kRequest);
        EXPECT_EQ(AwaitOutcome(transfer), c.mResult) << c.mServer;
        EXPECT_EQ(transfer.ResponseText(), "");
    }
}

TEST(HTTPTransfer, AbortWhileReceivingEndsTheTransfer) {
    const std::string partial = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial";
    TestHttpServer server(partial, TestHttpServer::Mode::kStall);
    {
        HTTPTransfer transfer;
        transfer.SetServer(server.Address());
        transfer.Transmit(kRequest);
        ASSERT_TRUE(server.WaitForResponses(1));
        EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kInProgress);
        transfer.CancelTransfer();
        EXPECT_EQ(AwaitOutcome(transfer), HTTPTransfer::kAborted);
        EXPECT_EQ(transfer.ResponseText(), "");

        // A reset stops a stalled transfer and waits for it.
        transfer.Transmit(kRequest);
        ASSERT_TRUE(server.WaitForResponses(2));
        transfer.ResetTransfer();
        EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kIdle);

        transfer.Transmit(kRequest);
        ASSERT_TRUE(server.WaitForResponses(3));
    } // the destructor stops the third one
    EXPECT_EQ(server.ConnectionCount(), 3u);
}

TEST(HTTPTransfer, ReplayTakesOutcomesFromTheLogWithoutConnecting) {
    TestHttpServer server(kHelloResponse);
    FakeOutcomeLog log;
    log.mRecording = false;
    HTTPTransfer transfer;
    transfer.SetServer(server.Address());
    transfer.SetOutcomeLog(&log);

    transfer.Transmit(kRequest);
    const std::uint32_t number = transfer.TransferNumber();
    log.mToReplay = {{number + 1, HTTPTransfer::kDone, "for a later transfer"}};
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kInProgress);
    EXPECT_EQ(log.mToReplay.size(), 1u); // left where it was

    log.mToReplay = {{number, HTTPTransfer::kNotFound, "recorded"}};
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kNotFound);
    EXPECT_EQ(transfer.ResponseText(), "recorded");
    EXPECT_TRUE(log.mToReplay.empty());
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST(HTTPTransfer, RecordingWritesEachChangeOnce) {
    TestHttpServer server(kHelloResponse, TestHttpServer::Mode::kHold);
    FakeOutcomeLog log;
    HTTPTransfer transfer;
    transfer.SetServer(server.Address());
    transfer.SetOutcomeLog(&log);

    transfer.Transmit(kRequest);
    const std::uint32_t number = transfer.TransferNumber();
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kInProgress);
    EXPECT_EQ(transfer.ResponseText(), "");
    server.Release();
    ASSERT_EQ(AwaitOutcome(transfer), HTTPTransfer::kDone);
    EXPECT_EQ(transfer.ResponseText(), "hello");
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kDone);

    transfer.ResetTransfer();
    const std::uint32_t idleNumber = transfer.TransferNumber();
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kIdle);
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kIdle);

    const std::vector<LoggedOutcome> expected = {
        {number, HTTPTransfer::kInProgress, ""},
        {number, HTTPTransfer::kDone, "hello"},
        {idleNumber, HTTPTransfer::kIdle, ""},
    };
    EXPECT_EQ(log.mRecorded, expected);
}
