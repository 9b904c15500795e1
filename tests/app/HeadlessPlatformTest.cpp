#include "platform/headless/HeadlessPlatform.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace ravix;

TEST(HeadlessPlatform, OnlyTheCreatingThreadMovesTheClock) {
    HeadlessPlatform platform;
    platform.Sleep(25);
    EXPECT_EQ(platform.TickCount(), 25);

    std::atomic<bool> woke = false;
    int64_t wokeAt = -1;
    std::thread sleeper([&] {
        platform.Sleep(30);
        wokeAt = platform.TickCount();
        woke = true;
    });
    while (!woke) {
        platform.AdvanceClock(10);
        std::this_thread::yield();
    }
    sleeper.join();
    EXPECT_GE(wokeAt, 25 + 30);
}

TEST(HeadlessPlatform, ClockThreadsWakeAtTheirTimesWhileTheClockWaitsForThem) {
    HeadlessPlatform platform;
    std::vector<int64_t> wakeTimes;
    std::atomic<bool> added = false;
    std::thread worker([&] {
        while (!added) {
            std::this_thread::yield();
        }
        for (int task = 0; task < 3; ++task) {
            platform.Sleep(30);
            wakeTimes.push_back(platform.TickCount());
        }
        platform.RemoveClockThread(std::this_thread::get_id());
    });
    platform.AddClockThread(worker.get_id());
    added = true;
    platform.AdvanceClock(100); // returns once the worker has ended
    EXPECT_EQ(wakeTimes, (std::vector<int64_t>{30, 60, 90}));
    EXPECT_EQ(platform.TickCount(), 100);
    worker.join();
}

TEST(HeadlessPlatform, ScriptedMessagesArriveInTimeOrder) {
    HeadlessPlatform platform;
    PlatformMessage message;
    for (auto [time, code] : {std::pair{20, 3}, {10, 1}, {10, 2}}) {
        message.mKind = MessageKind::KeyDown;
        message.mCode = code;
        platform.ScriptMessage(time, message);
    }
    EXPECT_FALSE(platform.PollMessage(message));
    platform.AdvanceClock(15);
    std::vector<int> codes;
    while (platform.PollMessage(message)) {
        codes.push_back(message.mCode);
    }
    EXPECT_EQ(codes, (std::vector<int>{1, 2}));
    EXPECT_EQ(platform.UserIdleTime(), 0);
    platform.AdvanceClock(100);
    EXPECT_EQ(platform.UserIdleTime(), 100);
    EXPECT_EQ(platform.PendingMessageCount(), 1u);
}

TEST(HeadlessPlatform, InstanceLockIsHeldUntilThePlatformGoes) {
    auto first = std::make_unique<HeadlessPlatform>();
    HeadlessPlatform second;
    EXPECT_TRUE(first->AcquireInstanceLock("Game"));
    EXPECT_FALSE(second.AcquireInstanceLock("Game"));
    EXPECT_TRUE(second.AcquireInstanceLock("Other Game"));
    second.NotifyRunningInstance("Game", 7);
    PlatformMessage message;
    ASSERT_TRUE(first->PollMessage(message));
    EXPECT_EQ(message.mKind, MessageKind::Notify);
    EXPECT_EQ(message.mCode, 7);
    first.reset();
    EXPECT_TRUE(second.AcquireInstanceLock("Game"));
}

TEST(HeadlessPlatform, KeepsCopiesOfTheLastPresentedFrames) {
    HeadlessPlatform platform;
    platform.SetKeptFrameCount(2);
    MemoryImage screen;
    screen.Create(2, 1);
    for (uint32_t colour : {0xFF000001u, 0xFF000002u, 0xFF000003u}) {
        screen.GetPixels()[1] = colour;
        screen.PixelsChanged();
        EXPECT_TRUE(platform.PresentScreen(screen.GetPixelView()));
    }
    screen.GetPixels()[1] = 0;
    EXPECT_EQ(platform.PresentCount(), 3);
    const auto& frames = platform.PresentedFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->GetWidth(), 2);
    EXPECT_EQ(frames[0]->GetHeight(), 1);
    EXPECT_EQ(frames[0]->GetPixels()[1], 0xFF000002u);
    EXPECT_EQ(frames[1]->GetPixels()[1], 0xFF000003u);
}
