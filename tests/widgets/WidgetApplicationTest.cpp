// What widgets ask of the application object: the hand cursor and deferred deletion.

#include "widgets/WidgetManager.h"

#include "RecordingWidget.h"
#include "app/AppTestSupport.h"

#include <gtest/gtest.h>

namespace ravix {
namespace {

using test::Log;
using test::RecordingWidget;

TEST(WidgetApplicationTest, HandCursorAndDeletionGoThroughTheApplication) {
    Log log;
    testing::TestApp app;
    WidgetManager manager(&app);
    manager.Resize(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100));
    auto* hand = new RecordingWidget("H", log, {0, 0, 10, 10});
    hand->mShowHandCursor = true;
    manager.InsertChild(hand);

    manager.MouseMove(5, 5);
    EXPECT_EQ(app.GetCursorNumber(), 1);
    manager.MouseMove(50, 50);
    EXPECT_EQ(app.GetCursorNumber(), 0);

    // Emptying a container during a pass must not delete a widget the pass may still reach.
    manager.DetachAllChildren(true, false);
    EXPECT_EQ(app.DeferredDeleteCount(), 1);
    EXPECT_EQ(log.back(), "H:Leave");
}

} // namespace
} // namespace ravix
