#include "platform/InstanceLock.h"

#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ravix {

namespace {

constexpr size_t kCodeSize = 4;          // a notify code is a little-endian 32-bit int
constexpr size_t kMaxPendingSenders = 8; // more half-sent codes than this are dropped

// The product name as one file name: path separators and control characters become "_". The
// user id keeps the names of different users apart where the folder is the shared /tmp.
std::string FileStem(const std::string& productName) {
    std::string stem;
    for (char c : productName) {
        stem += c == '/' || static_cast<unsigned char>(c) < 0x20 ? '_' : c;
    }
    return stem;
}

std::string UserSuffix() {
    return "-" + std::to_string(getuid());
}

bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

std::string InstanceLock::LockPath(const std::string& productName) {
    return XdgRuntimeDir() + "/" + FileStem(productName) + "Mutex" + UserSuffix() + ".lock";
}

std::string InstanceLock::SocketPath(const std::string& productName) {
    return XdgRuntimeDir() + "/Notify" + FileStem(productName) + UserSuffix() + ".sock";
}

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    for (Sender& sender : mSenders) {
        close(sender.mSocket);
    }
    mSenders.clear();
    if (mListener >= 0) {
        close(mListener);
        unlink(mSocketPath.c_str());
        mListener = -1;
    }
    if (mLockFile >= 0) {
        close(mLockFile); // drops the lock
        mLockFile = -1;
    }
}

bool InstanceLock::Acquire(const std::string& productName) {
    Release();
    std::string path = LockPath(productName);
    // Never follow a link planted in a shared folder; the file is the user's own.
    int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) {
        return true;
    }
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
        close(file);
        return errno != EWOULDBLOCK;
    }
    mLockFile = file;
    Listen(productName);
    return true;
}

void InstanceLock::Listen(const std::string& productName) {
    sockaddr_un address;
    std::string path = SocketPath(productName);
    if (!MakeSocketAddress(path, address)) {
        return;
    }
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        return;
    }
    // A socket left behind by a copy that crashed is stale: this process holds the lock now.
    unlink(path.c_str());
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0) {
        close(listener);
        return;
    }
    mListener = listener;
    mSocketPath = path;
}

bool InstanceLock::Notify(const std::string& productName, int code) {
    sockaddr_un address;
    if (!MakeSocketAddress(SocketPath(productName), address)) {
        return false;
    }
    int sender = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sender < 0) {
        return false;
    }
    auto bits = static_cast<uint32_t>(code);
    const char message[kCodeSize] = {static_cast<char>(bits), static_cast<char>(bits >> 8),
                                     static_cast<char>(bits >> 16), static_cast<char>(bits >> 24)};
    bool sent = connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                send(sender, message, kCodeSize, MSG_NOSIGNAL) == static_cast<ssize_t>(kCodeSize);
    close(sender);
    return sent;
}

std::optional<int> InstanceLock::PollNotify() {
    if (mListener < 0) {
        return std::nullopt;
    }
    while (true) {
        int accepted = accept4(mListener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (accepted < 0) {
            break;
        }
        if (mSenders.size() >= kMaxPendingSenders) {
            close(mSenders.front().mSocket);
            mSenders.erase(mSenders.begin());
        }
        mSenders.push_back({accepted, {}});
    }
    for (size_t i = 0; i < mSenders.size();) {
        Sender& sender = mSenders[i];
        char buffer[kCodeSize];
        ssize_t count = recv(sender.mSocket, buffer, kCodeSize - sender.mReceived.size(), 0);
        if (count > 0) {
            sender.mReceived.append(buffer, static_cast<size_t>(count));
        }
        bool complete = sender.mReceived.size() == kCodeSize;
        bool gone = count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        if (!complete && !gone) {
            ++i;
            continue;
        }
        std::string received = std::move(sender.mReceived);
        close(sender.mSocket);
        mSenders.erase(mSenders.begin() + static_cast<std::ptrdiff_t>(i));
        if (complete) {
            auto byte = [&](size_t k) {
                return static_cast<uint32_t>(static_cast<uint8_t>(received[k]));
            };
            return static_cast<int>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
        }
    }
    return std::nullopt;
}

} // namespace ravix
