// A demo session against a scripted host: what one session records, another replays at the
// recorded updates, handing outcomes back to the operations that wrote them.

#include "demo/DemoSession.h"
#include "platform/PlatformMessage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace ravix;

namespace {

// The application as the session sees it: an update counter and the replayed input it gets.
class ScriptedHost : public DemoHost {
public:
    int DemoUpdateCount() const override { return mUpdate; }
    bool IsDemoClosing() const override { return mClosing; }
    bool IsDemoShuttingDown() const override { return false; }
    void PerformDemoEvent(const DemoEvent& event) override { mPerformed.push_back(event); }

    int mUpdate = 0;
    bool mClosing = false;
    std::vector<DemoEvent> mPerformed;
};

class DemoSessionTest : public ::testing::Test {
protected:
    DemoSessionTest()
        : mPath((std::filesystem::temp_directory_path() /
                 ("demo-session-" + std::to_string(getpid()) + ".dmo"))
                    .string()) {}
    ~DemoSessionTest() override { std::filesystem::remove(mPath); }

    // Records, in one session: a pointer move and a key at update 2, a relative move at 3, at 5
    // a synced clock, a settings read and write and a transfer outcome, the loading point at 6.
    void Record() {
        ScriptedHost host;
        DemoSession session(host);
        session.SetMode(DemoSession::Mode::Recording);
        session.SetPath(mPath);
        host.mUpdate = 2;
        session.RecordPointerMove(std::nullopt, {100, 200});
        PlatformMessage key;
        key.mKind = MessageKind::KeyDown;
        key.mCode = 65;
        session.RecordDemoMessage(key);
        host.mUpdate = 3;
        session.RecordPointerMove(Point{100, 200}, {104, 197});
        host.mUpdate = 5;
        std::string clock = "12:00";
        session.SyncDemoString(clock);
        session.RecordSettingRead(true, 4, {7, 8, 9});
        session.RecordSettingWrite(false);
        session.RecordTransferOutcome(9, 0, "body");
        host.mUpdate = 6;
        session.RecordDemoEvent({.mCommand = kDemoLoadingComplete});
        host.mUpdate = 8;
        ASSERT_TRUE(session.WriteDemoFile(4321, "1.0 test"));
    }

    // A session replaying the recording to the host, its header read.
    DemoSession Replay(ScriptedHost& host) {
        DemoSession session(host);
        session.SetMode(DemoSession::Mode::Playing);
        session.SetPath(mPath);
        int64_t startTick = 0;
        std::string message;
        EXPECT_TRUE(session.ReadDemoHeader("1.0 test", startTick, message)) << message;
        EXPECT_EQ(startTick, 4321);
        return session;
    }

    std::string mPath;
};

} // namespace

TEST_F(DemoSessionTest, ARecordedSessionReplaysItsInputAndOutcomesAtTheRecordedUpdates) {
    Record();
    ScriptedHost host;
    DemoSession session = Replay(host);
    EXPECT_EQ(session.RecordedLength(), 8u);

    host.mUpdate = 1;
    session.PlayDemoEvents();
    EXPECT_TRUE(host.mPerformed.empty()); // nothing is due before update 2
    host.mUpdate = 3;
    session.PlayDemoEvents();
    ASSERT_EQ(host.mPerformed.size(), 3u);
    EXPECT_EQ(host.mPerformed[0],
              (DemoEvent{.mUpdate = 2, .mCommand = kDemoAbsoluteMove, .mX = 100, .mY = 200}));
    EXPECT_EQ(host.mPerformed[1], (DemoEvent{.mUpdate = 2, .mCommand = kDemoKeyDown, .mCode = 65}));
    EXPECT_EQ(host.mPerformed[2],
              (DemoEvent{.mUpdate = 3, .mCommand = kDemoRelativeMove, .mX = 4, .mY = -3}));

    // At update 5 the operations take their own outcomes, in the recorded order.
    host.mUpdate = 5;
    std::string clock = "live clock";
    session.SyncDemoString(clock);
    EXPECT_EQ(clock, "12:00");
    bool read = false;
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(session.ReplaySettingRead(100, read, type, bytes));
    EXPECT_TRUE(read);
    EXPECT_EQ(type, 4u);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{7, 8, 9}));
    bool written = true;
    ASSERT_TRUE(session.ReplaySettingWrite(written));
    EXPECT_FALSE(written);
    int result = -1;
    std::string content;
    EXPECT_FALSE(session.ReplayTransferOutcome(10, result, content)); // another transfer's
    ASSERT_TRUE(session.ReplayTransferOutcome(9, result, content));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(content, "body");

    // The loading point is the session's own: noted, not performed.
    host.mUpdate = 6;
    EXPECT_FALSE(session.RecordedLoadDone());
    session.PlayDemoEvents();
    EXPECT_TRUE(session.RecordedLoadDone());
    EXPECT_EQ(host.mPerformed.size(), 3u);
    EXPECT_EQ(session.PeekDemoEvent(), nullptr);
}

TEST_F(DemoSessionTest, APlaybackBoxOrAPauseHoldsTheReplay) {
    Record();
    ScriptedHost host;
    DemoSession session = Replay(host);
    host.mUpdate = 3;

    session.SetBoxOpen(true);
    EXPECT_FALSE(session.ReplacesLiveInput());
    EXPECT_TRUE(session.IsHeld());
    session.PlayDemoEvents();
    EXPECT_TRUE(host.mPerformed.empty());

    session.SetBoxOpen(false);
    session.Controls().mPaused = true;
    EXPECT_TRUE(session.ReplacesLiveInput());
    EXPECT_TRUE(session.IsHeld());
    session.Controls().mPaused = false;
    EXPECT_FALSE(session.IsHeld());
    session.PlayDemoEvents();
    EXPECT_EQ(host.mPerformed.size(), 3u);
}

// Outside recording the record operations write nothing; outside playback (or once the program
// is closing) the replay operations leave live values alone.
TEST_F(DemoSessionTest, OutsideItsModeTheSessionStaysOutOfTheWay) {
    ScriptedHost host;
    DemoSession off(host);
    off.SetPath(mPath);
    off.RecordDemoEvent({.mCommand = kDemoKeyDown, .mCode = 1});
    off.RecordSettingWrite(true);
    EXPECT_TRUE(off.WriteDemoFile(1, "1.0 test"));
    EXPECT_FALSE(std::filesystem::exists(mPath));
    std::string clock = "live";
    off.SyncDemoString(clock);
    EXPECT_EQ(clock, "live");
    bool read = false;
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(off.ReplaySettingRead(100, read, type, bytes));
    bool written = false;
    EXPECT_FALSE(off.ReplaySettingWrite(written));

    Record();
    DemoSession closing = Replay(host);
    host.mUpdate = 5;
    host.mClosing = true;
    clock = "live";
    closing.SyncDemoString(clock);
    EXPECT_EQ(clock, "live");
    ASSERT_TRUE(closing.ReplaySettingRead(100, read, type, bytes));
    EXPECT_FALSE(read);
    ASSERT_TRUE(closing.ReplaySettingWrite(written));
    EXPECT_TRUE(written); // a write while closing succeeds without the recording
    int result = -1;
    std::string content;
    EXPECT_FALSE(closing.ReplayTransferOutcome(9, result, content));
}
