#include "AppTestSupport.h"

#include <gtest/gtest.h>

using namespace ravix;
using ravix::testing::TestApp;

namespace {

using Log = std::vector<std::string>;

// Notes its deletion; may hand another object to deferred deletion as it goes.
struct Tracked {
    Tracked(Log& log, std::string name, Tracked* handOver = nullptr)
        : mLog(log), mName(std::move(name)), mHandOver(handOver) {}
    ~Tracked() {
        mLog.push_back(mName);
        gApplication->DeferDelete(mHandOver);
    }
    Log& mLog;
    std::string mName;
    Tracked* mHandOver;
};

} // namespace

TEST(DeferDelete, ObjectsLiveUntilTheSweepAtTheirOwnPassDepth) {
    TestApp app;
    Log log;
    Log afterNestedLoop;
    int step = 0;
    app.mOnUpdate = [&] {
        if (step == 0) {
            step = 1;
            app.DeferDelete(new Tracked(log, "outer"));
            // A modal loop inside the update, as a dialog runs one: its passes are nested.
            app.RunUntilUpdate();
            app.RunUntilUpdate();
            afterNestedLoop = log;
        } else if (step == 1) {
            step = 2;
            app.DeferDelete(new Tracked(log, "inner"));
        }
    };
    app.RunFor(10);
    EXPECT_EQ(afterNestedLoop, Log{"inner"});
    EXPECT_EQ(log, (Log{"inner", "outer"}));
    EXPECT_EQ(app.DeferredDeleteCount(), 0);
}

TEST(DeferDelete, HandOversDuringTheSweepAndDuplicatesAreSafe) {
    Log log;
    {
        TestApp app;
        int queued = 0;
        app.mOnUpdate = [&] {
            if (queued == 0) {
                auto* first = new Tracked(log, "first", new Tracked(log, "second"));
                app.DeferDelete(first);
                app.DeferDelete(first);
                app.DeferDelete<Tracked>(nullptr);
                queued = app.DeferredDeleteCount();
            }
        };
        app.DeferDelete(new Tracked(log, "outside any pass"));
        app.RunFor(10);
        EXPECT_EQ(queued, 2);
        EXPECT_EQ(log, (Log{"first", "second"}));
    }
    // Handed over outside the main loop's passes: deleted when the loop (here the app) ends.
    EXPECT_EQ(log.back(), "outside any pass");
}
