// The application with its widget manager, screen image and registered images: a whole headless
// run with widgets updating and drawing, and what the application does over its image set.

#include "AppTestSupport.h"

#include "graphics/MemoryImage.h"
#include "widgets/Dialog.h"
#include "widgets/RecordingWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace ravix;
using ravix::testing::HeadlessApp;
using ravix::testing::Message;
using ravix::testing::TempHome;

namespace {

// The game's screen size.
class ScreenApp : public HeadlessApp {
public:
    ScreenApp() {
        mScreenWidth = 800;
        mScreenHeight = 600;
    }
};

int CountOf(const test::Log& log, const std::string& line) {
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

uint32_t PixelAt(const PresentedFrame& frame, int x, int y) {
    return frame.mBits[static_cast<size_t>(y) * frame.GetWidth() + x];
}

// The ticker's colour after n updates.
Color TickerColor(int n) {
    return Color(0, n % 256, 255);
}

} // namespace

TEST(AppWidgets, RunsWidgetsHeadlessAndKeepsSettingsBetweenTwoRuns) {
    TempHome home;
    test::Log log;
    // Declared before the applications: each run must leave them out of its tree.
    test::RecordingWidget box("Box", log, {100, 50, 40, 30});
    box.mFill = Color(200, 30, 60);
    test::RecordingWidget ticker("Ticker", log, {0, 0, 10, 10});
    int tickerUpdates = 0;
    {
        ScreenApp app;
        app.Headless().SetKeptFrameCount(2);
        app.Headless().ScriptMessage(2000, Message(MessageKind::Close));
        app.mWidgets->InsertChild(&box);
        app.mWidgets->InsertChild(&ticker);
        ticker.mOnUpdate = [&] {
            ticker.mFill = TickerColor(++tickerUpdates);
            ticker.Invalidate();
            if (tickerUpdates == 150) {
                app.SetMusicLevel(0.25);
            }
        };
        app.Initialize();
        EXPECT_EQ(app.mWidgets->GetRect(), Rect(0, 0, 800, 600));
        app.Run();

        // 100 updates a second until the close at 2 s; each one is drawn and presented. The box
        // never changes, so it is drawn only once.
        EXPECT_TRUE(app.IsClosing());
        EXPECT_EQ(app.UpdateCount(), 199);
        EXPECT_EQ(tickerUpdates, 199);
        EXPECT_EQ(CountOf(log, "Ticker:Draw"), 199);
        EXPECT_EQ(CountOf(log, "Box:Draw"), 1);
        EXPECT_EQ(app.Headless().PresentCount(), app.Statistics().mDrawCount);

        const auto& frames = app.Headless().PresentedFrames();
        ASSERT_EQ(frames.size(), 2u);
        for (int n = 0; n < 2; ++n) {
            const PresentedFrame& frame = *frames[n];
            ASSERT_EQ(frame.GetWidth(), 800);
            ASSERT_EQ(frame.GetHeight(), 600);
            SCOPED_TRACE(n);
            EXPECT_EQ(PixelAt(frame, 5, 5), TickerColor(198 + n).ToPacked());
            EXPECT_EQ(PixelAt(frame, 9, 9), TickerColor(198 + n).ToPacked());
            EXPECT_EQ(PixelAt(frame, 10, 10), 0xFF000000u);
            EXPECT_EQ(PixelAt(frame, 100, 50), 0xFFC81E3Cu);
            EXPECT_EQ(PixelAt(frame, 139, 79), 0xFFC81E3Cu);
            EXPECT_EQ(PixelAt(frame, 140, 79), 0xFF000000u);
            EXPECT_EQ(PixelAt(frame, 799, 599), 0xFF000000u);
        }
        EXPECT_EQ(app.Images().Size(), 1u); // the screen
        ticker.mOnUpdate = nullptr;
    }
    EXPECT_EQ(box.GetManager(), nullptr);
    EXPECT_EQ(ticker.GetManager(), nullptr);
    EXPECT_EQ(gApplication, nullptr);

    {
        ScreenApp app;
        app.Headless().ScriptMessage(100, Message(MessageKind::Close));
        app.mWidgets->InsertChild(&box);
        app.Initialize();
        EXPECT_EQ(app.mMusicLevel, 0.25);
        app.Run();
        // The new screen starts black: the box is drawn into it again.
        ASSERT_EQ(app.Headless().PresentedFrames().size(), 1u);
        const PresentedFrame& frame = *app.Headless().PresentedFrames().back();
        EXPECT_EQ(PixelAt(frame, 120, 60), 0xFFC81E3Cu);
        EXPECT_EQ(PixelAt(frame, 5, 5), 0xFF000000u);
    }
    EXPECT_EQ(box.GetManager(), nullptr);
}

TEST(AppWidgets, ColourChangesAndModalBoxesReachTheWidgetTree) {
    TempHome home;
    test::Log log;
    class ColourWidget : public test::RecordingWidget {
    public:
        using RecordingWidget::RecordingWidget;
        void SystemColorsChanged() override { ++mColourChanges; }
        int mColourChanges = 0;
    } widget("W", log, {0, 0, 10, 10});
    ScreenApp app;
    app.mWidgets->InsertChild(&widget);
    app.Initialize();
    app.RunFor(50);
    ASSERT_EQ(CountOf(log, "W:Draw"), 1);

    app.Headless().PostMessage(Message(MessageKind::SysColorChange));
    app.RunFor(20);
    EXPECT_EQ(widget.mColourChanges, 1);
    EXPECT_EQ(CountOf(log, "W:Draw"), 2);

    // A key held while a system box is up never sees its key-up: the box forgets it. (Three
    // choices are more than a dialog in the window offers, so the system box shows.)
    app.mWidgets->KeyDown('A');
    ASSERT_TRUE(app.mWidgets->IsKeyDown('A'));
    app.ShowMessageBox("text", "caption", kMessageBoxYesNoCancel);
    EXPECT_EQ(app.Headless().MessageBoxes().size(), 1u);
    EXPECT_FALSE(app.mWidgets->IsKeyDown('A'));
    app.mWidgets->DetachChild(&widget);
}

TEST(AppWidgets, ImagesMadeWithTheApplicationAreVisitedUntilTheyGo) {
    auto app = std::make_unique<HeadlessApp>();
    auto makeImage = [&](RavixAppBase* owner) {
        auto image = std::make_unique<MemoryImage>(owner != nullptr ? &owner->Images() : nullptr);
        const uint32_t pixels[] = {0xFF000000, 0x80FFFFFF, 0x00000000, 0xFF102030};
        image->SetPixels(pixels, 2, 2, true);
        image->GetNativeAlphaData(image->GetDisplay());
        image->GetRLAlphaData();
        return image;
    };
    auto registered = makeImage(app.get());
    auto unregistered = makeImage(nullptr);
    EXPECT_EQ(app->Images().Size(), 1u);

    app->DropAllNativeCaches();
    EXPECT_EQ(registered->mNativeAlphaData, nullptr);
    EXPECT_NE(registered->mRLAlphaData, nullptr);
    app->DropAllSpareBuffers();
    EXPECT_EQ(registered->mRLAlphaData, nullptr);
    EXPECT_NE(unregistered->mNativeAlphaData, nullptr);
    EXPECT_NE(unregistered->mRLAlphaData, nullptr);
    registered->mPalettePreferred = true;
    app->ReinitializeImages();
    EXPECT_TRUE(registered->HasPaletteForm());
    EXPECT_FALSE(unregistered->HasPaletteForm());

    // The loading thread makes and drops images while the main thread does too.
    constexpr int kPerThread = 200;
    std::vector<std::unique_ptr<MemoryImage>> loaded;
    std::vector<std::unique_ptr<MemoryImage>> mainThread;
    std::thread loader([&] {
        for (int i = 0; i < kPerThread; ++i) {
            loaded.push_back(std::make_unique<MemoryImage>(&app->Images()));
            loaded.push_back(std::make_unique<MemoryImage>(*loaded.back())); // copies register
            loaded.pop_back();
        }
    });
    for (int i = 0; i < kPerThread; ++i) {
        mainThread.push_back(std::make_unique<MemoryImage>(&app->Images()));
    }
    loader.join();
    EXPECT_EQ(app->Images().Size(), 1u + 2 * kPerThread);
    loaded.clear();
    mainThread.clear();
    EXPECT_EQ(app->Images().Size(), 1u);

    // An image that outlives its application lets go of it instead of reaching a dead registry.
    app.reset();
    EXPECT_EQ(registered->mRegistry, nullptr);
    registered.reset();
}

TEST(AppWidgets, RegisteringUnderAnIdInUseDismissesTheOldDialog) {
    HeadlessApp app;
    auto makeDialog = [&app](int id) {
        auto* dialog = new Dialog(&app, nullptr, id, false, "", "", "", Dialog::kNoButtons);
        dialog->Resize(10, 20, 100, 50);
        return dialog;
    };
    Dialog* replaced = makeDialog(7);
    Dialog* other = makeDialog(8);
    Dialog* replacement = makeDialog(7);

    app.RegisterDialog(replaced);
    app.RegisterDialog(other);
    app.RegisterDialog(replacement);
    EXPECT_EQ(app.FindDialog(7), replacement);
    EXPECT_EQ(app.CountDialogs(), 2);
    // The replaced dialog left the tree unanswered and waits for deletion after the pass.
    EXPECT_EQ(replaced->mResult, 0);
    EXPECT_FALSE(app.mWidgets->HasChild(replaced));
    EXPECT_EQ(app.DeferredDeleteCount(), 1);
    // A dialog with a size keeps it.
    EXPECT_EQ(replacement->GetRect(), Rect(10, 20, 100, 50));

    // Without either flag the dialog stays in the tree and belongs to the caller again.
    EXPECT_TRUE(app.DismissDialog(7, false, false));
    EXPECT_FALSE(app.DismissDialog(7, false, false));
    EXPECT_TRUE(app.mWidgets->HasChild(replacement));
    EXPECT_EQ(app.FindDialog(8), other);
    EXPECT_EQ(app.CountDialogs(), 1);
    delete replacement;
    EXPECT_FALSE(app.mWidgets->HasChild(replacement));
    // The application deletes the dialogs it still keeps when it goes.
}
