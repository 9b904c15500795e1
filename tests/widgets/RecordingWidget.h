#pragma once

#include "graphics/Graphics.h"
#include "widgets/Widget.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ravix::test {

using Log = std::vector<std::string>;

// A widget that appends one line per call it receives to a shared log ("name:Call args"), fills
// its rectangle with mFill when drawn, and runs mOnUpdate / mOnDraw after logging, so that tests
// can make it change the tree in the middle of a pass.
class RecordingWidget : public Widget {
public:
    RecordingWidget(std::string name, Log& log, Rect rect = {}, int stackOrder = 0)
        : mName(std::move(name)), mLog(log) {
        mStackOrder = stackOrder;
        Resize(rect);
    }
    ~RecordingWidget() override { Record("Deleted"); }

    void Update() override {
        Widget::Update();
        Record("Update");
        if (mOnUpdate) {
            mOnUpdate();
        }
    }
    void Draw(Graphics& g) override {
        Record("Draw");
        g.SetColor(mFill);
        g.FillRect(0, 0, mWidth, mHeight);
        if (mOnDraw) {
            mOnDraw(g);
        }
    }
    void DrawOnTop(Graphics&, int priority) override { Record("DrawOnTop " + Str(priority)); }
    void OnFocusGained() override {
        Widget::OnFocusGained();
        Record("FocusGained");
    }
    void OnFocusLost() override {
        Widget::OnFocusLost();
        Record("FocusLost");
    }
    void CharTyped(char c) override { Record("Char " + Str(c)); }
    void KeyDown(int key) override {
        Record("KeyDown " + Str(key));
        Widget::KeyDown(key);
    }
    void KeyUp(int key) override { Record("KeyUp " + Str(key)); }
    void PointerEntered() override { Record("Enter"); }
    void PointerLeft() override { Record("Leave"); }
    void MouseMove(int x, int y) override { Record("Move " + Str(x) + "," + Str(y)); }
    void MouseDown(int x, int y, int button, int clicks) override {
        Record("Down " + Str(x) + "," + Str(y) + " b" + Str(button) + " c" + Str(clicks));
    }
    void MouseUp(int x, int y, int button, int clicks) override {
        Record("Up " + Str(x) + "," + Str(y) + " b" + Str(button) + " c" + Str(clicks));
    }
    void MouseDrag(int x, int y) override { Record("Drag " + Str(x) + "," + Str(y)); }
    void MouseWheel(int delta) override { Record("Wheel " + Str(delta)); }

    std::string mName;
    Color mFill = kOpaqueWhite;
    std::function<void()> mOnUpdate;
    std::function<void(Graphics&)> mOnDraw;

private:
    static std::string Str(int v) { return std::to_string(v); }
    void Record(const std::string& call) { mLog.push_back(mName + ":" + call); }

    Log& mLog;
};

} // namespace ravix::test
