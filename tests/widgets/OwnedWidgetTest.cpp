#include "RecordingWidget.h"

#include "widgets/OwnedWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace ravix {
namespace {

using test::Log;
using test::RecordingWidget;

// A host that keeps the widgets handed to deferred deletion until Sweep.
class SweepingHost : public WidgetHost {
public:
    ~SweepingHost() override { Sweep(); }
    void Sweep() {
        for (Widget* w : mDeferred) {
            delete w;
        }
        mDeferred.clear();
    }
    void SetCursorNumber(int) override {}
    void DeferDeleteWidget(Widget* w) override { mDeferred.push_back(w); }
    std::string GetString(const std::string&, const std::string& text) const override {
        return text;
    }
    std::string GetClipboardText() override { return {}; }
    void SetClipboardText(const std::string&) override {}
    DialogListener* GetDialogListener() override { return nullptr; }
    bool RunPass(bool&) override { return false; }
    bool DismissDialog(int) override { return false; }

    std::vector<Widget*> mDeferred;
};

bool Deleted(const Log& log) {
    return std::count(log.begin(), log.end(), "w:Deleted") == 1;
}

TEST(OwnedWidget, TheWidgetLeavesItsParentBeforeItIsDeleted) {
    const struct {
        const char* mName;
        std::function<void(std::optional<OwnedWidget<RecordingWidget>>&, Log&)> mEnd;
    } cases[] = {
        {"handle destroyed", [](auto& handle, Log&) { handle.reset(); }},
        {"reset", [](auto& handle, Log&) { handle->reset(); }},
        {"assigned another",
         [](auto& handle, Log& log) {
             *handle = OwnedWidget(std::make_unique<RecordingWidget>("other", log));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        Log log;
        WidgetManager manager;
        std::optional<OwnedWidget<RecordingWidget>> handle;
        handle.emplace(std::make_unique<RecordingWidget>("w", log));
        manager.InsertChild(handle->get());
        ASSERT_EQ(manager.GetChildren().size(), 1u);
        c.mEnd(handle, log);
        EXPECT_TRUE(Deleted(log));
        EXPECT_TRUE(manager.GetChildren().empty()); // no dangling child left behind
    }
}

TEST(OwnedWidget, DeleteAfterPassLeavesTheWidgetToTheHostUntilItsSweep) {
    Log log;
    SweepingHost host;
    WidgetManager manager(&host);
    OwnedWidget<RecordingWidget> handle(std::make_unique<RecordingWidget>("w", log));
    manager.InsertChild(handle.get());
    RecordingWidget* widget = handle.get();

    handle.DeleteAfterPass(&host);
    EXPECT_EQ(handle, nullptr);
    EXPECT_FALSE(manager.HasChild(widget));
    EXPECT_FALSE(Deleted(log)); // the pass may still reach it
    host.Sweep();
    EXPECT_TRUE(Deleted(log));

    // Without a host nothing can wait: the widget goes at once.
    OwnedWidget<RecordingWidget> alone(std::make_unique<RecordingWidget>("w", log));
    log.clear();
    alone.DeleteAfterPass(nullptr);
    EXPECT_TRUE(Deleted(log));
}

} // namespace
} // namespace ravix
