// Demo recording and playback in a headless application: what a recording holds, the demo file's
// header errors, and replays that give the widgets exactly the calls of the recorded run.

#include "AppTestSupport.h"
#include "net/TestHttpServer.h"

#include "base/Random.h"
#include "demo/DemoFile.h"
#include "net/HTTPTransfer.h"
#include "widgets/Dialog.h"
#include "widgets/EditWidget.h"
#include "widgets/ListWidget.h"
#include "widgets/RecordingWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

using namespace ravix;
using ravix::testing::HeadlessApp;
using ravix::testing::Message;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;
using ravix::testing::WriteTextFile;

namespace {

// The test's product version, written into its demos.
const std::string kVersion = "1.0";

// A run of the application with two recording widgets. The Box draws random numbers, reads a
// setting and synchronises a "clock" and a flag from outside at fixed updates; everything the
// widgets hear goes to the log.
struct DemoRun {
    test::Log mLog;
    test::RecordingWidget mBox{"Box", mLog, {100, 50, 200, 100}};
    test::RecordingWidget mPad{"Pad", mLog, {400, 300, 200, 150}};
    HeadlessApp mApp;

    // mode: "-record" or "-play"; the clock starts at startTime; liveClock is what the
    // outside world says when the Box asks.
    DemoRun(const std::string& mode, int64_t startTime, std::string liveClock) {
        mApp.mVersionText = kVersion;
        mApp.Headless().SetCommandLine({"tarnwick", mode});
        mApp.Headless().AdvanceClock(startTime);
        mApp.mWidgets->InsertChild(&mBox);
        mApp.mWidgets->InsertChild(&mPad);
        mBox.mAcceptsFocus = true;
        mBox.mOnUpdate = [this, clock = std::move(liveClock)] { OnBoxUpdate(clock); };
    }

    void OnBoxUpdate(const std::string& liveClock) {
        const int update = mApp.UpdateCount();
        const std::string at = " @" + std::to_string(update);
        if (update % 40 == 0) {
            mLog.push_back("random " + std::to_string(gRandom.Next()) + at);
        }
        if (update == 120) {
            int level = -1;
            const bool read = mApp.ReadSettingInteger("Level", level);
            mLog.push_back("Level " + std::to_string(read) + " " + std::to_string(level) + at);
        }
        if (update == 130) {
            std::string clock = liveClock;
            mApp.SyncDemoString(clock);
            bool flag = liveClock == "recorded";
            mApp.SyncDemoBool(flag);
            mLog.push_back("clock " + clock + " " + std::to_string(flag) + at);
        }
    }

    // The log without drawing, which follows the clock rather than the input.
    test::Log Calls() const {
        test::Log calls = mLog;
        std::erase_if(calls, [](const std::string& line) { return line.ends_with(":Draw"); });
        return calls;
    }

    void Script(int64_t at, const PlatformMessage& message) {
        mApp.Headless().ScriptMessage(at, message);
    }
};

constexpr int64_t kRecordStart = 777;

// Records a few seconds of scripted input: a drag out of the Box, keys, a right double click,
// the wheel, losing the focus, minimising, the pointer leaving the window and coming back.
// Returns the recorded calls.
test::Log RecordScriptedRun(const std::string& settingsFile) {
    WriteTextFile(settingsFile, "[HKEY_CURRENT_USER\\SOFTWARE\\TestMaker\\TestGame]\n"
                                "\"Level\"=dword:00000007\n");
    DemoRun run("-record", kRecordStart, "recorded");
    const int64_t t = kRecordStart;
    auto mouse = [&](int64_t at, MessageKind kind, int x, int y) {
        run.Script(t + at, Message(kind, 0, x, y));
    };
    mouse(100, MessageKind::MouseMove, 150, 80);
    mouse(150, MessageKind::LeftDown, 150, 80);
    mouse(160, MessageKind::MouseMove, 153, 78);
    mouse(170, MessageKind::MouseMove, 260, 120);
    mouse(180, MessageKind::MouseMove, 330, 200);
    mouse(180, MessageKind::LeftUp, 330, 200);
    run.Script(t + 300, Message(MessageKind::KeyDown, 'A'));
    run.Script(t + 300, Message(MessageKind::Char, 'a'));
    run.Script(t + 310, Message(MessageKind::KeyUp, 'A'));
    mouse(400, MessageKind::RightDown, 450, 350);
    mouse(400, MessageKind::RightUp, 450, 350);
    mouse(410, MessageKind::RightDoubleClick, 450, 350);
    mouse(410, MessageKind::RightUp, 450, 350);
    run.Script(t + 450, Message(MessageKind::MouseWheel, -240));
    run.Script(t + 500, Message(MessageKind::ActivateApp, 0));
    run.Script(t + 600, Message(MessageKind::ActivateApp, 1));
    run.Script(t + 650, Message(MessageKind::Size, kSizeMinimized));
    run.Script(t + 680, Message(MessageKind::Size, kSizeRestored, 640, 480));
    run.mPad.mOnUpdate = [&] {
        if (run.mApp.UpdateCount() == 150) {
            run.mApp.Headless().SetCursorOverMainWindow(false);
            run.mApp.Headless().SetCursorPosition(-5, 40);
        }
    };
    run.Script(t + 1600, Message(MessageKind::Timer));
    mouse(1700, MessageKind::MouseMove, 200, 100);
    run.Script(t + 2500, Message(MessageKind::Close));
    run.mApp.Initialize();
    run.mApp.Run();
    run.mPad.mOnUpdate = nullptr;
    return run.Calls();
}

// A demo file put together field by field.
class DemoBytes {
public:
    DemoBytes& Number(uint32_t value, int bytes = 4) {
        for (int i = 0; i < bytes; ++i) {
            mBytes += static_cast<char>(value >> (8 * i));
        }
        return *this;
    }
    DemoBytes& Text(const std::string& text) {
        Number(static_cast<uint32_t>(text.size()), 2);
        mBytes += text;
        return *this;
    }
    DemoBytes& Raw(const std::string& bytes) {
        mBytes += bytes;
        return *this;
    }
    const std::string& Str() const { return mBytes; }

private:
    std::string mBytes;
};

DemoBytes Header(uint32_t version, const std::string& product = kVersion) {
    return DemoBytes().Number(DemoFile::kMagic).Number(version).Number(4242).Text(product);
}

class DemoTest : public ::testing::Test {
protected:
    TempHome mHome;

    std::string DemoPath() const { return mHome.Data() + "/TestMaker/TestGame/ravixapp.dmo"; }
    std::string SettingsFile() const { return mHome.Config() + "/TestMaker/TestGame"; }
    std::vector<DemoEvent> RecordedEvents() {
        const std::string bytes = ReadTextFile(DemoPath());
        DemoFile file;
        EXPECT_EQ(file.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                  DemoFile::Result::Ok);
        DemoStream stream;
        stream.Assign(file.mEvents.data(), file.mEvents.size());
        std::vector<DemoEvent> events;
        DemoEvent event;
        while (stream.Read(event)) {
            events.push_back(event);
        }
        return events;
    }
};

} // namespace

TEST_F(DemoTest, AReplayGivesEveryWidgetTheRecordedCallsAndNumbers) {
    const test::Log recorded = RecordScriptedRun(SettingsFile());
    ASSERT_TRUE(std::filesystem::exists(DemoPath()));
    // The recorded run saw all of it.
    for (const char* line :
         {"Box:Down 50,30 b0 c1", "Box:Drag 53,28", "Box:Drag 230,150", "Box:Up 230,150 b0 c1",
          "Box:KeyDown 65", "Box:Char 97", "Box:KeyUp 65", "Pad:Down 50,50 b1 c2", "Box:Wheel -2",
          "Box:FocusLost", "Box:Leave", "Level 1 7 @120", "clock recorded 1 @130"}) {
        EXPECT_NE(std::find(recorded.begin(), recorded.end(), line), recorded.end()) << line;
    }

    // Another machine: other settings, another clock at start and outside.
    WriteTextFile(SettingsFile(), "[HKEY_CURRENT_USER\\SOFTWARE\\TestMaker\\TestGame]\n"
                                  "\"Level\"=dword:00000063\n");
    DemoRun replay("-play", 31337, "replayed");
    replay.mApp.Initialize();
    EXPECT_EQ(replay.mApp.StartTick(), kRecordStart);
    replay.mApp.Run();
    EXPECT_EQ(replay.Calls(), recorded);
    EXPECT_TRUE(replay.mApp.IsClosing());
}

TEST_F(DemoTest, PointerMovesAreWrittenRelativeWhenSmallAndNotAtAllWhenRepeated) {
    {
        HeadlessApp app;
        app.Headless().SetCommandLine({"tarnwick", "-record"});
        app.Initialize();
        for (auto [x, y] : {std::pair{10, 10}, {50, 10}, {53, 8}, {53, 8}, {-3, 8}}) {
            app.WindowProc(Message(MessageKind::MouseMove, 0, x, y));
            app.ProcessDeferredMessage();
        }
        app.WindowProc(Message(MessageKind::RightDoubleClick, 0, -3, 8));
        app.ProcessDeferredMessage();
    }
    std::vector<DemoEvent> moves = RecordedEvents();
    std::erase_if(moves, [](const DemoEvent& event) {
        return event.mCommand != kDemoAbsoluteMove && event.mCommand != kDemoRelativeMove &&
               event.mCommand != kDemoMouseButton;
    });
    auto move = [](int command, int x, int y) {
        DemoEvent event;
        event.mCommand = command;
        event.mX = x;
        event.mY = y;
        return event;
    };
    DemoEvent rightDouble;
    rightDouble.mCommand = kDemoMouseButton;
    rightDouble.mFlag = true;
    rightDouble.mCode = -2;
    EXPECT_EQ(moves, (std::vector<DemoEvent>{move(kDemoAbsoluteMove, 10, 10),
                                             move(kDemoAbsoluteMove, 50, 10),
                                             move(kDemoRelativeMove, 3, -2),
                                             move(kDemoAbsoluteMove, -3, 8), rightDouble}));
}

TEST_F(DemoTest, HeaderErrorsStopPlaybackWithTheirMessages) {
    const std::string events = "\x60\x04\x01";
    const struct {
        const char* mName;
        std::string mFile;
        std::string mMessage;
    } cases[] = {
        {"bad magic", DemoBytes().Number(0x42BEEF79).Number(2).Str(), "Invalid demo file."},
        {"cut in the header", Header(2).Str().substr(0, 13), "Invalid demo file."},
        {"other product version", Header(2, "0.9").Number(4).Number(0).Number(5).Raw(events).Str(),
         "This demo file appears to be for '0.9'"},
        {"marker block reaching the demo length",
         Header(2).Number(8).Number(0).Raw("\x01").Number(5).Raw(events).Str(),
         "Invalid demo file."},
        {"fewer markers than announced", Header(2).Number(4).Number(2).Number(5).Raw(events).Str(),
         "Invalid demo file."},
        {"no events", Header(2).Number(4).Number(0).Number(5).Str(), "Invalid demo file."},
        {"no events, version 1", Header(1).Number(5).Str(), "Invalid demo file."},
    };
    for (const auto& c : cases) {
        WriteTextFile(DemoPath(), c.mFile);
        HeadlessApp app;
        app.mVersionText = kVersion;
        app.Headless().SetCommandLine({"tarnwick", "-play"});
        EXPECT_THROW(app.Initialize(), HeadlessProcessExit) << c.mName;
        EXPECT_EQ(app.Headless().ExitCode(), 0) << c.mName;
        ASSERT_EQ(app.Headless().MessageBoxes().size(), 1u) << c.mName;
        EXPECT_EQ(app.Headless().MessageBoxes()[0].mText, c.mMessage) << c.mName;
        EXPECT_FALSE(app.Demo().IsPlaying()) << c.mName;
    }

    HeadlessApp missing;
    missing.Demo().SetPath(mHome.Path() + "/none.dmo");
    std::string message;
    EXPECT_FALSE(missing.ReadDemoHeader(message));
    EXPECT_EQ(message, "Demo file not found: " + mHome.Path() + "/none.dmo");
}

TEST_F(DemoTest, HeadersOfBothVersionsAreRead) {
    HeadlessApp app;
    app.mVersionText = kVersion;
    app.Demo().SetPath(DemoPath());
    std::string message;
    WriteTextFile(DemoPath(), Header(1).Number(300).Raw("\x60\x04\x01").Str());
    ASSERT_TRUE(app.ReadDemoHeader(message)) << message;
    EXPECT_EQ(app.StartTick(), 4242);
    EXPECT_EQ(app.Demo().RecordedLength(), 300u);
    EXPECT_TRUE(app.Demo().Markers().empty());

    const std::string markers =
        DemoBytes().Number(2).Text("boss").Number(120).Text("end").Number(290).Str();
    WriteTextFile(DemoPath(), Header(2)
                                  .Number(static_cast<uint32_t>(markers.size()))
                                  .Raw(markers)
                                  .Number(300)
                                  .Raw("\x60\x04\x01")
                                  .Str());
    ASSERT_TRUE(app.ReadDemoHeader(message)) << message;
    EXPECT_EQ(app.Demo().Markers(), (std::vector<DemoMarker>{{"boss", 120}, {"end", 290}}));
}

TEST_F(DemoTest, JumpingToTheEndFastForwardsWithTheSameCalls) {
    const test::Log recorded = RecordScriptedRun(SettingsFile());
    const int64_t start = 5000;
    DemoRun replay("-play", start, "replayed");
    replay.Script(start + 50, Message(MessageKind::Char, '0'));
    replay.mApp.Initialize();
    replay.mApp.Run();
    EXPECT_EQ(replay.Calls(), recorded);
    // The 2.5 recorded seconds ran without waiting for the clock, and muted.
    EXPECT_LT(replay.mApp.Now() - start, 100);
    EXPECT_EQ(replay.mApp.SilenceDepth(), 0);
}

TEST_F(DemoTest, PauseStopsTheReplayAndSingleStepsRunOneUpdate) {
    const test::Log recorded = RecordScriptedRun(SettingsFile());
    DemoRun replay("-play", 0, "replayed");
    HeadlessApp& app = replay.mApp;
    app.Initialize();
    app.StartLoadingThread(); // Run starts it; the replay waits for it where the recording did
    app.RunFor(300);
    app.Headless().PostMessage(Message(MessageKind::Char, 'P'));
    app.RunFor(20);
    const int paused = app.UpdateCount();
    app.RunFor(1000);
    EXPECT_EQ(app.UpdateCount(), paused);
    app.Headless().PostMessage(Message(MessageKind::Char, 'n'));
    app.RunFor(1000);
    EXPECT_EQ(app.UpdateCount(), paused + 1);
    app.Headless().PostMessage(Message(MessageKind::Char, 'p'));
    app.Run();
    EXPECT_EQ(replay.Calls(), recorded);
}

TEST_F(DemoTest, TransferOutcomesReplayInOrderAndOnlyWhenDue) {
    {
        DemoRun record("-record", 0, "");
        record.mPad.mOnUpdate = [&] {
            if (record.mApp.UpdateCount() == 100) {
                record.mApp.RecordTransferOutcome(5, 0, "body");
                record.mApp.RecordTransferOutcome(6, 2, "dropped");
            }
        };
        record.Script(1500, Message(MessageKind::Close));
        record.mApp.Initialize();
        EXPECT_TRUE(record.mApp.IsRecordingTransfers());
        record.mApp.Run();
        record.mPad.mOnUpdate = nullptr;
    }
    DemoRun replay("-play", 0, "");
    std::vector<std::string> outcomes;
    replay.mPad.mOnUpdate = [&] {
        const int update = replay.mApp.UpdateCount();
        if (update != 99 && update != 100) {
            return;
        }
        for (uint32_t number : {6u, 5u, 6u}) {
            int result = -1;
            std::string content;
            const bool replayed = replay.mApp.ReplayTransferOutcome(number, result, content);
            outcomes.push_back(std::to_string(update) + ": " + std::to_string(number) + " " +
                               (replayed ? std::to_string(result) + " " + content : "-"));
        }
    };
    replay.mApp.Initialize();
    EXPECT_TRUE(replay.mApp.IsReplayingTransfers());
    replay.mApp.Run();
    replay.mPad.mOnUpdate = nullptr;
    EXPECT_EQ(outcomes, (std::vector<std::string>{"99: 6 -", "99: 5 -", "99: 6 -", "100: 6 -",
                                                  "100: 5 0 body", "100: 6 2 "}));
}

// A run that sends a request through the program's shared transfer at update 50 and waits for
// its outcome at update 51, logging every outcome it sees.
void SendRequestDuringRun(DemoRun& run, const std::string& server) {
    run.mPad.mOnUpdate = [&run, server] {
        HTTPTransfer& transfer = HTTPTransfer::Shared();
        const int update = run.mApp.UpdateCount();
        if (update == 50) {
            transfer.SetServer(server);
            transfer.Transmit("GET /score HTTP/1.0\r\n\r\n");
        } else if (update == 51) {
            // A recording waits for the network; a replay finds the outcomes in the demo.
            for (int step = 0; transfer.Outcome() == HTTPTransfer::kInProgress && step < 5000;
                 ++step) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            run.mLog.push_back("outcome " + std::to_string(transfer.Outcome()) + " " +
                               transfer.ResponseText());
        }
    };
}

TEST_F(DemoTest, AReplayedTransferReturnsTheRecordedOutcomeWithoutTheNetwork) {
    httptest::TestHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nmaple");
    test::Log recorded;
    {
        DemoRun record("-record", 0, "");
        SendRequestDuringRun(record, server.Address());
        record.Script(1000, Message(MessageKind::Close));
        record.mApp.Initialize();
        record.mApp.Run();
        record.mPad.mOnUpdate = nullptr;
        recorded = record.Calls();
    }
    EXPECT_NE(std::find(recorded.begin(), recorded.end(), "outcome 0 maple"), recorded.end());
    ASSERT_EQ(server.ConnectionCount(), 1u);

    // Other transfers in between do not matter: the replayed run numbers its own from the start.
    HTTPTransfer other;
    other.BeginTransfer("http://example.invalid/");
    const int closedPort = httptest::TestHttpServer::UnusedPort();
    DemoRun replay("-play", 0, "");
    SendRequestDuringRun(replay, "127.0.0.1:" + std::to_string(closedPort));
    replay.mApp.Initialize();
    replay.mApp.Run();
    replay.mPad.mOnUpdate = nullptr;
    EXPECT_EQ(replay.Calls(), recorded);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST_F(DemoTest, PlaybackBoxesSetTheJumpTargetWhileTheReplayWaits) {
    RecordScriptedRun(SettingsFile());
    DemoFile file;
    ASSERT_EQ(file.Load(DemoPath()), DemoFile::Result::Ok);
    file.mMarkers = {{"early", 5}, {"late", 100}, {"later", 240}};
    WriteTextFile(DemoPath(), file.Serialize());
    const int length = static_cast<int>(file.mDemoLength);

    DemoRun replay("-play", 0, "replayed");
    HeadlessApp& app = replay.mApp;
    ASSERT_TRUE(app.WriteSettingString("DemoJumpTime", "0:01"));
    app.Initialize();
    app.StartLoadingThread();
    app.RunFor(500);
    auto type = [&](const std::string& text) {
        for (char c : text) {
            app.Headless().PostMessage(Message(MessageKind::Char, static_cast<unsigned char>(c)));
        }
        app.RunFor(20);
    };
    auto openBox = [&]() { return dynamic_cast<Dialog*>(app.mWidgets->mModalWidget); };

    type("j");
    ASSERT_NE(openBox(), nullptr);
    EXPECT_EQ(openBox()->mTitleText, "Jump To Time");
    auto* edit = dynamic_cast<EditWidget*>(app.mWidgets->mKeyboardFocus);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetText(), "0:01");
    const int waiting = app.UpdateCount();
    app.RunFor(300);
    EXPECT_EQ(app.UpdateCount(), waiting); // the replay waits for the answer
    type("\b\b\b\b0:2\r");                 // two seconds and Enter: 3 s before the end
    EXPECT_EQ(openBox(), nullptr);
    EXPECT_EQ(app.Demo().Controls().mJumpTarget, length - 300);
    EXPECT_NE(ReadTextFile(SettingsFile()).find("\"DemoJumpTime\"=hex(1):30,3a,32,00"),
              std::string::npos);

    type("L");
    ASSERT_NE(openBox(), nullptr);
    EXPECT_EQ(openBox()->mTitleText, "Marker List");
    auto* list = dynamic_cast<ListWidget*>(app.mWidgets->mKeyboardFocus);
    ASSERT_NE(list, nullptr);
    auto row = [&](const char* name, int update) {
        const int seconds = (length - update) / 100;
        char text[64];
        std::snprintf(text, sizeof text, "%s (00:00:%02d)", name, seconds);
        return std::string(text);
    };
    ASSERT_EQ(list->GetRowCount(), 2); // "early" lies behind
    EXPECT_EQ(list->GetRow(0), row("late", 100));
    EXPECT_EQ(list->GetRow(1), row("later", 240));
    app.Headless().PostMessage(Message(MessageKind::KeyDown, kKeyDown));
    type("\r"); // Enter picks the selected row like a double click
    EXPECT_EQ(openBox(), nullptr);
    EXPECT_EQ(app.Demo().Controls().mJumpTarget, 100);
    // Fast-forwarded there at once: 20 ms hold two updates more.
    EXPECT_GE(app.UpdateCount(), 100);
    EXPECT_LE(app.UpdateCount(), 103);
    app.Run();
    EXPECT_TRUE(app.IsClosing());
}
