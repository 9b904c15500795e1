#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ravix {

// Marks the running copy of a product and lets later copies reach it: a lock file (flock) named
// after the product in the user's runtime folder ($XDG_RUNTIME_DIR, else /tmp) and, beside it, a
// UNIX-domain socket that the copy holding the lock listens on. The kernel drops the lock when
// the process ends, however it ends, so a crashed copy never blocks the next one.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the product's lock and starts listening; false when another copy holds it. When
    // the lock file cannot be made at all the program runs without the guard (true).
    [[nodiscard]] bool Acquire(const std::string& productName);
    // Sends the copy that holds the product's lock a code; false when none could be reached.
    static bool Notify(const std::string& productName, int code);
    // The next code a later copy has sent, if one has arrived completely. Never blocks.
    std::optional<int> PollNotify();

    // Stops listening and drops the lock.
    void Release();

    static std::string LockPath(const std::string& productName);
    static std::string SocketPath(const std::string& productName);

private:
    void Listen(const std::string& productName);

    int mLockFile = -1;
    int mListener = -1;
    std::string mSocketPath;
    struct Sender {
        int mSocket = -1;
        std::string mReceived;
    };
    std::vector<Sender> mSenders; // connections whose code has not fully arrived
};

} // namespace ravix
