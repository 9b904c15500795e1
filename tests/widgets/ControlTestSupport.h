#pragma once

// Shared pieces of the control tests: a listener that logs every report, pictures of images
// drawn with a colour legend, and a widget manager the size of the game's screen.

#include "RecordingWidget.h"
#include "graphics/MemoryImage.h"
#include "widgets/ButtonListener.h"
#include "widgets/CheckboxListener.h"
#include "widgets/DialogListener.h"
#include "widgets/SliderListener.h"
#include "widgets/WidgetManager.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace ravix::test {

// Logs every report of every control: "down 3 c1", "down 3", "click 3", "held 3", "hover 3",
// "unhover 3", "move 3 x,y", "check 3 on", "slider 3 0.50", "dialog-down 9 1000",
// "dialog-click 9 1000".
class RecordingListener : public ButtonListener,
                          public CheckboxListener,
                          public SliderListener,
                          public DialogListener {
public:
    void OnButtonDown(int id, int clicks) override {
        Add("down " + Str(id) + " c" + Str(clicks));
        ButtonListener::OnButtonDown(id, clicks);
    }
    void OnButtonDown(int id) override { Add("down " + Str(id)); }
    void OnButtonClick(int id) override { Add("click " + Str(id)); }
    void OnButtonHeld(int id) override { Add("held " + Str(id)); }
    void OnButtonHover(int id) override { Add("hover " + Str(id)); }
    void OnButtonUnhover(int id) override { Add("unhover " + Str(id)); }
    void OnButtonPointerMove(int id, int x, int y) override {
        Add("move " + Str(id) + " " + Str(x) + "," + Str(y));
    }
    void OnCheckChanged(int id, bool checked) override {
        Add("check " + Str(id) + (checked ? " on" : " off"));
    }
    void OnSliderMoved(int id, double value) override {
        char text[48];
        std::snprintf(text, sizeof text, "slider %d %.2f", id, value);
        Add(text);
    }
    void OnDialogButtonDown(int dialogId, int buttonId) override {
        Add("dialog-down " + Str(dialogId) + " " + Str(buttonId));
    }
    void OnDialogButtonClick(int dialogId, int buttonId) override {
        Add("dialog-click " + Str(dialogId) + " " + Str(buttonId));
    }

    // The reports so far, cleared.
    Log Take() { return std::exchange(mLog, {}); }

    Log mLog;

private:
    static std::string Str(int v) { return std::to_string(v); }
    void Add(const std::string& line) { mLog.push_back(line); }
};

using Legend = std::map<uint32_t, char>;

// The image as one string per row, each pixel by its legend character, '?' when not in it.
inline std::vector<std::string> Picture(MemoryImage& image, const Legend& legend) {
    const uint32_t* bits = image.GetPixels();
    std::vector<std::string> rows;
    for (int y = 0; y < image.mHeight; ++y) {
        std::string row;
        for (int x = 0; x < image.mWidth; ++x) {
            auto found = legend.find(bits[static_cast<size_t>(y) * image.mWidth + x]);
            row += found == legend.end() ? '?' : found->second;
        }
        rows.push_back(row);
    }
    return rows;
}

// An image of one row of pixels.
inline std::unique_ptr<MemoryImage> MakeRow(const std::vector<uint32_t>& pixels) {
    auto image = std::make_unique<MemoryImage>();
    image->SetPixels(pixels.data(), static_cast<int>(pixels.size()), 1, true);
    return image;
}

// A screen of opaque black flagged opaque, as the application's screen is: opaque images land
// on it unchanged.
inline std::unique_ptr<MemoryImage> MakeScreen(int width, int height) {
    auto screen = std::make_unique<MemoryImage>();
    screen->Create(width, height);
    screen->FixTransparencyFlags(false, false);
    screen->FillRect(Rect(0, 0, width, height), kOpaqueBlack, DrawMode::Normal);
    return screen;
}

// A widget manager covering an 800 x 600 screen, with mouse helpers in screen coordinates.
class ScreenManager : public WidgetManager {
public:
    ScreenManager() { Resize(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)); }

    void Press(int x, int y) { MouseDown(x, y, 1); }
    void Release(int x, int y) { MouseUp(x, y, 1); }
    void Click(int x, int y) {
        MouseMove(x, y);
        Press(x, y);
        Release(x, y);
    }
};

} // namespace ravix::test
