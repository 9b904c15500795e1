#include "net/HTTPTransfer.h"

#include "base/AsciiText.h"
#include "base/ThreadSignalStack.h"
#include "net/TransferOutcomeLog.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <memory>
#include <utility>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace ravix {

namespace {

// Every readiness wait lasts this long before the abort flag is looked at again.
constexpr int kWaitStepMs = 100;
// A connection that is not established after this many steps (10 s) has failed.
constexpr int kConnectWaitSteps = 100;
constexpr std::size_t kReceivePiece = 256;

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Takes the next line ending in "\n" (without it and without a "\r" before it) off the front of
// `rest`. False, with `rest` untouched, when no complete line is left.
bool TakeLine(std::string_view& rest, std::string_view& line) {
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos)
        return false;
    line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    rest.remove_prefix(end + 1);
    return true;
}

// Appends the data of a chunked body to `body`. Stops at the last chunk (size 0), and also where
// the body is cut short or malformed, keeping what was decoded up to there. A chunk size larger
// than what is left is never trusted beyond the data that arrived.
void DecodeChunked(std::string_view rest, std::string& body) {
    std::string_view line;
    while (TakeLine(rest, line)) {
        line = TrimBlanks(line);
        std::size_t size = 0;
        std::size_t digits = 0;
        bool beyondData = false; // the size exceeds what is left; its exact value does not matter
        for (; digits < line.size() && HexDigitValue(line[digits]) >= 0; ++digits) {
            if (beyondData)
                continue;
            size = size * 16 + static_cast<std::size_t>(HexDigitValue(line[digits]));
            beyondData = size > rest.size();
        }
        const std::string_view after = TrimBlanks(line.substr(digits));
        if (digits == 0 || (!after.empty() && after.front() != ';'))
            return; // not a chunk size line
        if (size == 0)
            return; // the last chunk; trailers are not needed
        const std::size_t available = beyondData ? rest.size() : size;
        body.append(rest.substr(0, available));
        rest.remove_prefix(available);
        if (beyondData || !TakeLine(rest, line) || !line.empty())
            return; // cut short, or the data is not followed by its line end
    }
}

// A decimal length; false for anything else. Values too large for size_t saturate.
bool ParseLength(std::string_view text, std::size_t& length) {
    if (text.empty())
        return false;
    length = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        const std::size_t digit = static_cast<std::size_t>(c - '0');
        length = length > (SIZE_MAX - digit) / 10 ? SIZE_MAX : length * 10 + digit;
    }
    return true;
}

int ParsePort(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return 0;
    return port;
}

// Names under "invalid" never resolve, so they are refused without asking the resolver (which
// may otherwise wait for a name server that cannot be reached).
bool IsReservedInvalidName(std::string_view host) {
    constexpr std::string_view kSuffix = ".invalid";
    while (!host.empty() && host.back() == '.')
        host.remove_suffix(1);
    return EqualsIgnoringCase(host, "invalid") ||
           (host.size() > kSuffix.size() && EndsWithIgnoringCase(host, kSuffix));
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

bool IsTransient(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

HTTPTransfer::~HTTPTransfer() {
    mAborted = true;
    StopWorker();
}

HTTPTransfer& HTTPTransfer::Shared() {
    static HTTPTransfer instance;
    return instance;
}

void HTTPTransfer::ResetTransfer() {
    StopWorker();
    mTransferNumber = TakeTransferNumber();
    mProtocol.clear();
    mHost.clear();
    mPort = 80;
    mPath.clear();
    mRequest.clear();
    SetOutcome(kIdle, {});
}

void HTTPTransfer::BeginTransfer(const std::string& url) {
    ResetTransfer();
    mTransferNumber = TakeTransferNumber();
    SplitUrl(url);
    SetOutcome(kInProgress, {});
}

void HTTPTransfer::Transmit(const std::string& request) {
    BeginTransfer(mServer);
    mRequest = request;
    if (mOutcomeLog && mOutcomeLog->IsReplayingTransfers())
        return;
    mWorker = std::thread(&HTTPTransfer::RunTransfer, this);
}

void HTTPTransfer::CancelTransfer() {
    mAborted = true;
    mAbortRequested = true;
}

int HTTPTransfer::Outcome() {
    SyncWithOutcomeLog();
    std::lock_guard lock(mOutcomeLock);
    return mResult;
}

std::string HTTPTransfer::ResponseText() {
    SyncWithOutcomeLog();
    std::lock_guard lock(mOutcomeLock);
    return mContent;
}

int HTTPTransfer::ParseResponse(std::string_view raw, std::string& body) {
    body.clear();
    constexpr std::string_view kVersionPrefix = "HTTP/1.";
    constexpr std::size_t kStatusAt = 9;
    if (raw.substr(0, kVersionPrefix.size()) != kVersionPrefix || raw.size() < kStatusAt + 3)
        return kHttpError;
    const std::string_view status = raw.substr(kStatusAt, 3);
    const int result = status == "200" ? kDone : status == "404" ? kNotFound : kHttpError;

    std::string_view rest = raw;
    std::string_view line;
    if (!TakeLine(rest, line))
        return result; // only a status line
    bool chunked = false;
    bool hasLength = false;
    std::size_t length = 0;
    for (;;) {
        if (!TakeLine(rest, line))
            return result; // the headers never ended: there is no body
        if (line.empty())
            break;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = TrimBlanks(line.substr(0, colon));
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (EqualsIgnoringCase(name, "Transfer-Encoding"))
            chunked = chunked || !EqualsIgnoringCase(value, "identity");
        else if (EqualsIgnoringCase(name, "Content-Length"))
            hasLength = ParseLength(value, length) || hasLength;
    }

    if (chunked)
        DecodeChunked(rest, body);
    else if (hasLength)
        body.assign(rest.substr(0, length)); // a shorter body gives what arrived
    else
        body.assign(rest);
    return result;
}

std::uint32_t HTTPTransfer::TakeTransferNumber() {
    return sLastTransferNumber.fetch_add(1) + 1;
}

void HTTPTransfer::RestartNumbering() {
    sLastTransferNumber = 0;
}

void HTTPTransfer::SplitUrl(const std::string& url) {
    std::string_view rest = url;
    // A protocol ends at the "//" that begins the URL's first "/".
    const std::size_t slashes = rest.find("//");
    if (slashes != std::string_view::npos && slashes == rest.find('/')) {
        mProtocol = rest.substr(0, slashes);
        rest.remove_prefix(slashes + 2);
    }
    const std::size_t pathStart = rest.find('/');
    const std::string_view hostPart = rest.substr(0, pathStart);
    mPath = pathStart == std::string_view::npos ? "/" : rest.substr(pathStart);
    const std::size_t colon = hostPart.find(':');
    mHost = hostPart.substr(0, colon);
    mPort = colon == std::string_view::npos ? 80 : ParsePort(hostPart.substr(colon + 1));
}

void HTTPTransfer::SyncWithOutcomeLog() {
    if (!mOutcomeLog)
        return;
    std::lock_guard lock(mOutcomeLock);
    if (mOutcomeLog->IsReplayingTransfers()) {
        int result = 0;
        std::string content;
        if (mOutcomeLog->ReplayTransferOutcome(mTransferNumber, result, content)) {
            mResult = result;
            mContent = std::move(content);
        }
        return;
    }
    if (!mOutcomeLog->IsRecordingTransfers())
        return;
    static const std::string kNoContent;
    const std::string& content = mResult == kInProgress ? kNoContent : mContent;
    // A new transfer number counts as a change, so every transfer leaves its own outcome.
    if (mHasRecorded && mRecordedNumber == mTransferNumber && mRecordedResult == mResult &&
        mRecordedContent == content)
        return;
    mOutcomeLog->RecordTransferOutcome(mTransferNumber, mResult, content);
    mHasRecorded = true;
    mRecordedNumber = mTransferNumber;
    mRecordedResult = mResult;
    mRecordedContent = content;
}

void HTTPTransfer::StopWorker() {
    if (mWorker.joinable()) {
        mAbortRequested = true;
        mWorker.join();
    }
    mAbortRequested = false;
    mAborted = false;
}

void HTTPTransfer::SetOutcome(int result, std::string content) {
    std::lock_guard lock(mOutcomeLock);
    mResult = result;
    mContent = std::move(content);
}

void HTTPTransfer::RunTransfer() {
    ThreadSignalStack signalStack; // so that the crash handler can report a stack overflow
    int fd = -1;
    int result = Connect(fd);
    std::string raw;
    if (result == kDone)
        result = SendRequest(fd);
    if (result == kDone)
        result = ReceiveResponse(fd, raw);
    if (fd >= 0)
        close(fd);

    std::string body;
    if (mAborted || mAbortRequested)
        result = kAborted;
    else if (result == kDone)
        result = ParseResponse(raw, body);
    SetOutcome(result, std::move(body));
}

int HTTPTransfer::Connect(int& fdOut) {
    if (mHost.empty() || IsReservedInvalidName(mHost))
        return kHostNotFound;
    if (mPort == 0)
        return kConnectFailed;
    // A dotted address is taken as it stands; only names go to the resolver.
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(mPort);
    if (getaddrinfo(mHost.c_str(), port.c_str(), &hints, &found) != 0 || !found)
        return kHostNotFound;
    const AddressList addresses(found);

    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int fd = socket(address->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return kSocketError;
        bool connected = ::connect(fd, address->ai_addr, address->ai_addrlen) == 0;
        if (!connected && errno == EINPROGRESS) {
            const Wait wait = WaitUntilReady(fd, POLLOUT, kConnectWaitSteps);
            if (wait == Wait::kAborted || wait == Wait::kFailed) {
                close(fd);
                return wait == Wait::kAborted ? kAborted : kSocketError;
            }
            int error = 0;
            socklen_t size = sizeof error;
            connected = wait == Wait::kReady &&
                        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        if (connected) {
            fdOut = fd;
            return kDone;
        }
        close(fd);
    }
    return kConnectFailed;
}

int HTTPTransfer::SendRequest(int fd) {
    std::size_t sent = 0;
    while (sent < mRequest.size()) {
        const Wait wait = WaitUntilReady(fd, POLLOUT, 0);
        if (wait != Wait::kReady)
            return wait == Wait::kAborted ? kAborted : kSocketError;
        // No SIGPIPE when the server has gone: the failed send reports it.
        const ssize_t count =
            send(fd, mRequest.data() + sent, mRequest.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && IsTransient(errno))
            continue;
        if (count <= 0)
            return kSendFailed;
        sent += static_cast<std::size_t>(count);
    }
    return kDone;
}

int HTTPTransfer::ReceiveResponse(int fd, std::string& raw) {
    char piece[kReceivePiece];
    for (;;) {
        const Wait wait = WaitUntilReady(fd, POLLIN, 0);
        if (wait != Wait::kReady)
            return wait == Wait::kAborted ? kAborted : kSocketError;
        const ssize_t count = recv(fd, piece, sizeof piece, 0);
        if (count < 0 && IsTransient(errno))
            continue;
        if (count <= 0)
            return kDone; // closed by the peer, or broken: the response is what arrived
        if (raw.size() + static_cast<std::size_t>(count) > kMaxResponseBytes)
            return kHttpError;
        raw.append(piece, static_cast<std::size_t>(count));
    }
}

HTTPTransfer::Wait HTTPTransfer::WaitUntilReady(int fd, short events, int maxSteps) {
    for (int step = 0; maxSteps == 0 || step < maxSteps; ++step) {
        if (mAbortRequested)
            return Wait::kAborted;
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, kWaitStepMs);
        if (ready < 0 && errno != EINTR)
            return Wait::kFailed;
        if (ready > 0)
            return Wait::kReady; // errors and hang-ups too: the next call reports them
    }
    return Wait::kTimedOut;
}

} // namespace ravix
