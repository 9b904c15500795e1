#include "AppTestSupport.h"

#include <gtest/gtest.h>

using namespace ravix;
using ravix::testing::Message;
using ravix::testing::TestApp;

namespace {

class RequestRecorder : public TestApp {
public:
    bool FilterKeyDown(int key, bool ctrl, bool alt) override {
        mFiltered.push_back({key, ctrl, alt});
        return key == 'Q';
    }
    void OnCloseRequested() override { ++mCloseRequests; }
    void OnNotifyMessage(int code) override { mNotifyCodes.push_back(code); }

    struct KeyDown {
        int mKey;
        bool mCtrl;
        bool mAlt;
        bool operator==(const KeyDown&) const = default;
    };
    std::vector<KeyDown> mFiltered;
    int mCloseRequests = 0;
    std::vector<int> mNotifyCodes;
};

std::vector<MessageKind> Kinds(const std::vector<PlatformMessage>& messages) {
    std::vector<MessageKind> kinds;
    for (const PlatformMessage& message : messages) {
        kinds.push_back(message.mKind);
    }
    return kinds;
}

} // namespace

TEST(MessageQueue, QueueingRules) {
    RequestRecorder app;
    for (MessageKind kind :
         {MessageKind::Timer, MessageKind::Timer, MessageKind::Timer, MessageKind::SysColorChange,
          MessageKind::Timer, MessageKind::DisplayChange, MessageKind::MouseMove}) {
        app.WindowProc(Message(kind));
    }
    app.WindowProc(Message(MessageKind::KeyDown, 17));
    app.WindowProc(Message(MessageKind::KeyDown, 'Q')); // consumed by the filter
    app.WindowProc(Message(MessageKind::Close));
    app.WindowProc(Message(MessageKind::Close));
    app.WindowProc(Message(MessageKind::LeftDown));
    app.WindowProc(Message(MessageKind::Notify, 0)); // handled at once, never queued

    EXPECT_EQ(app.mFiltered,
              (std::vector<RequestRecorder::KeyDown>{{17, true, false}, {'Q', true, false}}));
    EXPECT_EQ(app.mCloseRequests, 1);
    EXPECT_EQ(app.mNotifyCodes, std::vector<int>{0});

    while (app.ProcessDeferredMessage()) {
    }
    // The close comes last, after the messages queued before it, and ends the loop.
    EXPECT_EQ(Kinds(app.mWindowMessages),
              (std::vector<MessageKind>{MessageKind::Timer, MessageKind::SysColorChange,
                                        MessageKind::Timer, MessageKind::MouseMove,
                                        MessageKind::KeyDown}));
    EXPECT_TRUE(app.IsClosing());
    EXPECT_TRUE(app.mShuttingDown);
    bool updated = true;
    EXPECT_FALSE(app.RunPass(updated));
}

TEST(MessageQueue, OnePassHandlesOneQueuedMessage) {
    TestApp app;
    PlatformMessage move = Message(MessageKind::Move);
    move.mX = 120;
    move.mY = 80;
    app.Headless().PostMessage(move);
    app.Headless().PostMessage(Message(MessageKind::KeyDown, 'A'));
    app.Headless().PostMessage(Message(MessageKind::Char, 'a'));
    bool updated = false;
    app.RunPass(updated);
    EXPECT_EQ(app.mWindowX, 120);
    EXPECT_EQ(app.mWindowY, 80);
    EXPECT_EQ(app.DeferredQueueSize(), 2u);
    app.RunPass(updated);
    EXPECT_EQ(app.mWindowMessages.size(), 1u);
    app.RunFor(10);
    EXPECT_EQ(Kinds(app.mWindowMessages),
              (std::vector<MessageKind>{MessageKind::KeyDown, MessageKind::Char}));
}

TEST(MessageQueue, ModalPopupLetsNothingQueueAndDropsTheBacklog) {
    TestApp app;
    app.RunFor(100);
    app.WindowProc(Message(MessageKind::KeyDown, 18));
    EXPECT_TRUE(app.IsAltDown());
    app.BeginModalPopup();
    app.WindowProc(Message(MessageKind::LeftDown));
    app.Headless().AdvanceClock(3000); // the box stays up for a while
    app.EndModalPopup();
    EXPECT_EQ(app.DeferredQueueSize(), 1u);
    EXPECT_FALSE(app.IsAltDown());
    EXPECT_EQ(app.TimeAccumulator(), 0.0);
}
