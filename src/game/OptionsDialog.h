#pragma once

#include "widgets/CheckboxListener.h"
#include "widgets/Dialog.h"
#include "widgets/OwnedWidget.h"
#include "widgets/SliderListener.h"

#include <array>

namespace ravix {
class ButtonWidget;
class Checkbox;
class Slider;
} // namespace ravix

namespace tarnwick {

class GameApp;

// The modal options dialog (id 6): music and effects volumes, which change live while the
// sliders move and are restored by cancel, and full screen, applied by OK. Its picture carries
// every label.
class OptionsDialog : public ravix::Dialog,
                      public ravix::SliderListener,
                      public ravix::CheckboxListener {
public:
    static constexpr int kDialogId = 6;
    // Control ids.
    static constexpr int kMusicSlider = 0;
    static constexpr int kEffectsSlider = 1;
    static constexpr int kOk = 2;
    static constexpr int kCancel = 3;
    static constexpr int kFullScreen = 4;
    // The baseline of the muted line, between the check box and the buttons.
    static constexpr int kMutedLineY = 258;

    explicit OptionsDialog(GameApp* app);
    ~OptionsDialog() override;

    void OnAttached(ravix::WidgetManager* manager) override;
    void OnDetached(ravix::WidgetManager* manager) override;
    using ravix::Dialog::Resize;
    void Resize(int x, int y, int width, int height) override;
    // The picture, and a line saying so while the sound is muted.
    void Draw(ravix::Graphics& g) override;
    void OnSliderMoved(int id, double value) override;
    void OnCheckChanged(int id, bool checked) override;
    void OnButtonClick(int id) override;

    GameApp* mApp = nullptr;
    ravix::OwnedWidget<ravix::Slider> mMusicSlider;
    ravix::OwnedWidget<ravix::Slider> mEffectsSlider;
    ravix::OwnedWidget<ravix::ButtonWidget> mOkButton;
    ravix::OwnedWidget<ravix::ButtonWidget> mCancelButton;
    ravix::OwnedWidget<ravix::Checkbox> mFullScreenCheckbox;
    double mOldMusicLevel = 0;
    double mOldEffectsLevel = 0;

private:
    // The five controls, in the order they are added to the manager.
    [[nodiscard]] std::array<ravix::Widget*, 5> Controls() const;
};

// Opens the options dialog over a screen of the given width: sized to its picture, centred,
// top 140, registered as dialog 6. The board and the title screen both open it this way.
void OpenOptionsDialog(GameApp* app, int ownerWidth);

} // namespace tarnwick
