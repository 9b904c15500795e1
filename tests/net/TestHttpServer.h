#pragma once

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace httptest {

// A tiny HTTP server on 127.0.0.1 at an ephemeral port, serving connections one after another on
// a thread of its own. Each connection's request is read in full (headers, then as many body
// bytes as its Content-Length says), kept byte for byte, and answered with the scripted response.
class TestHttpServer {
public:
    enum class Mode {
        kClose, // send the response, then close the connection
        kStall, // send the response, then keep the connection open until the client closes it
        kHold,  // wait for Release, then send the response and close
    };

    explicit TestHttpServer(std::string response, Mode mode = Mode::kClose)
        : mResponse(std::move(response)), mMode(mode) {
        mListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (mListener < 0 || bind(mListener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(mListener, 8) != 0 ||
            getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("test server: cannot listen on 127.0.0.1");
        mPort = ntohs(address.sin_port);
        mThread = std::thread([this] { Serve(); });
    }

    ~TestHttpServer() {
        Notify([this] { mStopping = true; });
        mThread.join();
        close(mListener);
    }

    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int Port() const { return mPort; }
    // "127.0.0.1:" and the port, as a transfer's server.
    std::string Address() const { return "127.0.0.1:" + std::to_string(mPort); }

    // Lets a held response go.
    void Release() {
        Notify([this] { mReleased = true; });
    }

    // Wait (with a generous limit) until `count` requests have arrived in full, or until `count`
    // responses have been sent. False when the limit passed first.
    bool WaitForRequests(std::size_t count) {
        return WaitFor([&] { return mRequests.size() >= count; });
    }
    bool WaitForResponses(std::size_t count) {
        return WaitFor([&] { return mResponses >= count; });
    }

    // The bytes of the index-th request, exactly as received.
    std::string Request(std::size_t index = 0) const {
        std::lock_guard lock(mLock);
        return index < mRequests.size() ? mRequests[index] : std::string();
    }
    std::size_t ConnectionCount() const { return mConnections; }

    // A port on 127.0.0.1 where nothing listens (bound once, then released).
    static int UnusedPort() {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(fd, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        close(fd);
        return ntohs(address.sin_port);
    }

private:
    template <typename Condition>
    bool WaitFor(Condition done) {
        std::unique_lock lock(mLock);
        return mChanged.wait_for(lock, std::chrono::seconds(30), done);
    }

    // Changes the shared state under the lock and wakes every waiter.
    template <typename Change>
    void Notify(Change change) {
        std::lock_guard lock(mLock);
        change();
        mChanged.notify_all();
    }

    // Waits for the socket to become ready; false when the server stops first.
    bool WaitReady(int fd, short events) {
        while (!mStopping) {
            pollfd entry{fd, events, 0};
            if (poll(&entry, 1, 20) > 0)
                return true;
        }
        return false;
    }

    void Serve() {
        while (WaitReady(mListener, POLLIN)) {
            const int fd = accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0)
                continue;
            ++mConnections;
            ServeConnection(fd);
            close(fd);
        }
    }

    void ServeConnection(int fd) {
        const std::string request = ReadRequest(fd);
        Notify([&] { mRequests.push_back(request); });
        if (mMode == Mode::kHold)
            WaitFor([this] { return mReleased || mStopping; });
        for (std::size_t sent = 0; sent < mResponse.size() && WaitReady(fd, POLLOUT);) {
            const ssize_t count =
                send(fd, mResponse.data() + sent, mResponse.size() - sent, MSG_NOSIGNAL);
            if (count < 0 && errno != EAGAIN && errno != EINTR)
                break; // the client has gone
            sent += count > 0 ? static_cast<std::size_t>(count) : 0;
        }
        Notify([this] { ++mResponses; });
        if (mMode == Mode::kStall) {
            char ignored[256];
            while (WaitReady(fd, POLLIN) && recv(fd, ignored, sizeof ignored, 0) != 0) {
            }
        }
    }

    // The headers up to the empty line and the body its Content-Length announces, or whatever
    // arrived before the client closed.
    std::string ReadRequest(int fd) {
        std::string request;
        char piece[4096];
        while (!IsComplete(request) && WaitReady(fd, POLLIN)) {
            const ssize_t count = recv(fd, piece, sizeof piece, 0);
            if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
                break;
            if (count > 0)
                request.append(piece, static_cast<std::size_t>(count));
        }
        return request;
    }

    static bool IsComplete(const std::string& request) {
        const std::size_t headerEnd = request.find("\r\n\r\n");
        if (headerEnd == std::string::npos)
            return false;
        std::string headers = request.substr(0, headerEnd);
        std::transform(headers.begin(), headers.end(), headers.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::size_t field = headers.find("\r\ncontent-length:");
        const std::size_t length =
            field == std::string::npos ? 0 : std::stoul(headers.substr(field + 17));
        return request.size() >= headerEnd + 4 + length;
    }

    const std::string mResponse;
    const Mode mMode;
    int mListener = -1;
    int mPort = 0;
    std::thread mThread;
    std::atomic<bool> mStopping = false;
    std::atomic<std::size_t> mConnections = 0;
    std::atomic<std::size_t> mResponses = 0;
    mutable std::mutex mLock; // guards the requests and the release; waiters wait on it
    std::condition_variable mChanged;
    std::vector<std::string> mRequests;
    bool mReleased = false;
};

} // namespace httptest
