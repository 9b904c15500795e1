// The single-instance lock and its notify channel between two copies of a product (two locks in
// one process stand in for two processes: flock locks belong to the open file).

#include "platform/InstanceLock.h"
#include "app/AppTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ravix::InstanceLock;

namespace {

// Polls until a code arrives; a sent code is in the socket before Notify returns, so a few
// polls (accept, then read) are all it takes.
std::optional<int> ReceiveCode(InstanceLock& lock) {
    for (int poll = 0; poll < 10; ++poll) {
        if (std::optional<int> code = lock.PollNotify()) {
            return code;
        }
    }
    return std::nullopt;
}

} // namespace

TEST(InstanceLock, ASecondCopyIsRefusedAndReachesTheFirst) {
    ravix::testing::TempHome home;
    home.Set("XDG_RUNTIME_DIR", home.Path());
    InstanceLock first;
    ASSERT_TRUE(first.Acquire("Tarn/wick"));
    EXPECT_EQ(InstanceLock::LockPath("Tarn/wick").rfind(home.Path() + "/Tarn_wickMutex-", 0), 0u);

    InstanceLock second;
    EXPECT_FALSE(second.Acquire("Tarn/wick"));
    EXPECT_TRUE(second.Acquire("Another product"));
    EXPECT_FALSE(first.PollNotify());
    EXPECT_TRUE(InstanceLock::Notify("Tarn/wick", 0));
    EXPECT_TRUE(InstanceLock::Notify("Tarn/wick", -7));
    EXPECT_EQ(ReceiveCode(first), 0);
    EXPECT_EQ(ReceiveCode(first), -7);
    EXPECT_FALSE(first.PollNotify());

    // Once the first copy is gone the next one takes over, and nobody listens in between.
    first.Release();
    EXPECT_FALSE(InstanceLock::Notify("Tarn/wick", 1));
    InstanceLock third;
    EXPECT_TRUE(third.Acquire("Tarn/wick"));
    EXPECT_TRUE(InstanceLock::Notify("Tarn/wick", 5));
    EXPECT_EQ(ReceiveCode(third), 5);
}

TEST(InstanceLock, ASocketLeftByACrashedCopyIsReplaced) {
    ravix::testing::TempHome home;
    home.Set("XDG_RUNTIME_DIR", home.Path());
    std::ofstream(InstanceLock::SocketPath("Tarnwick")) << "stale";
    InstanceLock lock;
    ASSERT_TRUE(lock.Acquire("Tarnwick"));
    EXPECT_TRUE(std::filesystem::is_socket(InstanceLock::SocketPath("Tarnwick")));
    EXPECT_TRUE(InstanceLock::Notify("Tarnwick", 3));
    EXPECT_EQ(ReceiveCode(lock), 3);
}
