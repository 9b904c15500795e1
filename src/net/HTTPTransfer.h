#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace ravix {

class TransferOutcomeLog;

// Sends one prepared HTTP request to a server over a plain TCP connection on a worker thread and
// collects the response body. The caller polls the result code; every poll also synchronises
// with the transfer outcome log, so a recorded run replays the same outcome without touching
// the network.
//
// The public operations are meant for one controlling thread; the worker only shares the result,
// the content and the abort flags with it.
class HTTPTransfer {
public:
    enum Result : int {
        kDone = 0,
        kIdle = 1,
        kInProgress = 2,
        kNotFound = 3,  // the server answered 404
        kHttpError = 4, // any other status than 200, a malformed or an oversized response
        kAborted = 5,
        kSocketError = 6, // socket creation, or an error while waiting for readiness
        kHostNotFound = 7,
        kConnectFailed = 8,
        kSendFailed = 9,
    };

    // More than this many received bytes end the transfer with kHttpError.
    static constexpr std::size_t kMaxResponseBytes = 16u << 20;

    HTTPTransfer() = default;
    // Aborts a running transfer and waits for its thread to end.
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    // The process-wide instance.
    static HTTPTransfer& Shared();
    // Numbers the next transfers from 1 again, as at process start. A run that is recorded or
    // replayed does this at its start, so that its transfers meet their recorded outcomes.
    static void RestartNumbering();

    // The server that Transmit sends to: a host name or dotted address with an optional ":port".
    void SetServer(const std::string& hostAndPort) { mServer = hostAndPort; }
    const std::string& Server() const { return mServer; }
    // Where outcomes are recorded or replayed from; null for neither. Not owned.
    void SetOutcomeLog(TransferOutcomeLog* log) { mOutcomeLog = log; }
    TransferOutcomeLog* OutcomeLog() const { return mOutcomeLog; }

    // Aborts a running transfer, waits for it, takes a new transfer number and goes idle with
    // the URL parts, the request and the content cleared.
    void ResetTransfer();
    // Resets, takes a new transfer number and splits the URL; the result is kInProgress.
    void BeginTransfer(const std::string& url);
    // Begins a transfer to the configured server and sends the request (request line, headers
    // and body) on a worker thread. While replaying a recording no thread starts: the outcome
    // comes from the recording.
    void Transmit(const std::string& request);
    // Asks the worker to stop; the transfer ends with kAborted.
    void CancelTransfer();

    // The result code and the response body; each poll first synchronises with the outcome log.
    int Outcome();
    std::string ResponseText();

    std::uint32_t TransferNumber() const { return mTransferNumber; }
    const std::string& Protocol() const { return mProtocol; } // the text before "//", if any
    const std::string& Host() const { return mHost; }
    int Port() const { return mPort; } // 0 when the URL's port is not a number in 1..65535
    const std::string& Path() const { return mPath; }

    // Parses a complete response as received: the status decides the result (kDone for 200,
    // kNotFound for 404, kHttpError otherwise or when the status line is malformed), and the
    // body is decoded by its headers. Untrusted input: sizes never reach past what arrived, and
    // a body cut short yields the part that arrived.
    static int ParseResponse(std::string_view raw, std::string& body);

private:
    static std::uint32_t TakeTransferNumber();
    void SplitUrl(const std::string& url);
    void SyncWithOutcomeLog();
    void StopWorker();
    void SetOutcome(int result, std::string content);

    // The worker: connects, sends, receives and parses, leaving a result.
    void RunTransfer();
    int Connect(int& fdOut);
    int SendRequest(int fd);
    int ReceiveResponse(int fd, std::string& raw);
    enum class Wait { kReady, kAborted, kFailed, kTimedOut };
    Wait WaitUntilReady(int fd, short events, int maxSteps);

    static inline std::atomic<std::uint32_t> sLastTransferNumber = 0;

    std::string mServer;
    TransferOutcomeLog* mOutcomeLog = nullptr;

    std::uint32_t mTransferNumber = 0;
    std::string mProtocol;
    std::string mHost;
    int mPort = 80;
    std::string mPath;
    std::string mRequest;

    std::mutex mOutcomeLock; // guards mResult and mContent, which the worker writes
    int mResult = kIdle;
    std::string mContent;

    std::thread mWorker;
    std::atomic<bool> mAbortRequested = false; // the worker stops at its next readiness wait
    std::atomic<bool> mAborted = false;        // the transfer ends with kAborted

    // What the outcome log was last given, so that each change is recorded once.
    bool mHasRecorded = false;
    std::uint32_t mRecordedNumber = 0;
    int mRecordedResult = 0;
    std::string mRecordedContent;
};

} // namespace ravix
