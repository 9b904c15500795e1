// The cost of showing one 800 x 600 frame on the desktop: the display layer hands the screen
// image to the platform, which copies it into its streaming texture, scales it into the window
// and presents it (without waiting for the refresh). Needs a display: run it on a desktop or
// under xvfb-run; SDL_VIDEODRIVER=dummy measures SDL's software path alone.

#include "graphics/DDInterface.h"
#include "platform/DesktopPlatform.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace ravix;

void PresentFrames(benchmark::State& state, bool fullScreen, bool softwareCursor) {
    std::string error;
    std::unique_ptr<Platform> platform = OpenDesktopPlatform(0, nullptr, error);
    if (platform == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    if (!platform->CreateMainWindow({"present benchmark", 800, 600, fullScreen, false}, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    platform->ShowMainWindow(true);
    DDInterface display(nullptr, *platform);
    if (display.Init(800, 600, fullScreen, false) != DDInterface::RESULT_OK) {
        state.SkipWithError(display.mErrorText.c_str());
        return;
    }
    // A frame with some content, so that nothing can take a shortcut over uniform pixels.
    MemoryImage* screen = display.GetScreenImage();
    for (int y = 0; y < 600; y += 20) {
        for (int x = 0; x < 800; x += 20) {
            screen->FillRect(Rect(x, y, 20, 20), Color(x % 256, y % 256, (x + y) % 256),
                             DrawMode::Normal);
        }
    }
    MemoryImage cursor;
    cursor.Create(32, 32);
    cursor.FillRect(Rect(0, 0, 32, 32), Color(255, 255, 255, 200), DrawMode::Normal);
    if (softwareCursor) {
        display.SetCursorImage(&cursor);
        display.SetCursorPos(400, 300);
    }
    PlatformMessage message;
    for (auto _ : state) {
        if (!display.Redraw()) {
            state.SkipWithError("present failed");
            break;
        }
        while (platform->PollMessage(message)) {
        }
    }
    state.SetItemsProcessed(state.iterations());
    display.SetCursorImage(nullptr);
}

void BM_PresentWindowed(benchmark::State& state) {
    PresentFrames(state, false, false);
}
void BM_PresentWindowedWithSoftwareCursor(benchmark::State& state) {
    PresentFrames(state, false, true);
}
void BM_PresentFullScreenScaled(benchmark::State& state) {
    PresentFrames(state, true, false);
}

} // namespace

BENCHMARK(BM_PresentWindowed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentWindowedWithSoftwareCursor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresentFullScreenScaled)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
