#include "game/OptionsDialog.h"

#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/StackedButtonLooks.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"
#include "widgets/WidgetManager.h"

namespace tarnwick {

namespace {

// A dialog button drawn from its image: the top half normal, the bottom half while over it.
ravix::OwnedWidget<ravix::ButtonWidget> MakeImageButton(int id, ravix::ButtonListener* listener,
                                                        ravix::Image* image) {
    ravix::OwnedWidget<ravix::ButtonWidget> button(
        std::make_unique<ravix::ButtonWidget>(id, listener));
    SetStackedLooks(*button, image, StackedLook::NormalOnTop);
    return button;
}

int WidthOf(const ravix::Image* image) {
    return image != nullptr ? image->GetWidth() : 0;
}

int HeightOf(const ravix::Image* image) {
    return image != nullptr ? image->GetHeight() : 0;
}

} // namespace

OptionsDialog::OptionsDialog(GameApp* app)
    : Dialog(app, IMAGE_DIALOG_OPTIONS, kDialogId, true, "", "", "", kNoButtons), mApp(app) {
    mOldMusicLevel = app->GetMusicLevel();
    mOldEffectsLevel = app->GetEffectsLevel();
    mMusicSlider.reset(std::make_unique<ravix::Slider>(IMAGE_SLIDER_TRACK, IMAGE_SLIDER_THUMB,
                                                       kMusicSlider, this));
    mMusicSlider->SetValue(mOldMusicLevel);
    mEffectsSlider.reset(std::make_unique<ravix::Slider>(IMAGE_SLIDER_TRACK, IMAGE_SLIDER_THUMB,
                                                         kEffectsSlider, this));
    mEffectsSlider->SetValue(mOldEffectsLevel);
    mOkButton = MakeImageButton(kOk, this, IMAGE_BTN_OK);
    mCancelButton = MakeImageButton(kCancel, this, IMAGE_BTN_CANCEL);
    mFullScreenCheckbox.reset(
        std::make_unique<ravix::Checkbox>(IMAGE_CHECKBOX, nullptr, kFullScreen, this));
    // Enter is OK and Escape Cancel wherever the focus is; the arrows go between the two.
    mEnterButton = mOkButton.get();
    mEscapeButton = mCancelButton.get();
    for (ravix::Widget* control : Controls()) {
        AdoptKeys(*control, control == mOkButton.get() || control == mCancelButton.get());
    }
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::OnAttached(ravix::WidgetManager* manager) {
    Dialog::OnAttached(manager);
    // The controls are the dialog's siblings, kept just above it as its own buttons are.
    for (ravix::Widget* control : Controls()) {
        control->mStackOrder = mStackOrder;
    }
    manager->InsertChild(mMusicSlider.get());
    manager->InsertChild(mEffectsSlider.get());
    manager->InsertChild(mOkButton.get());
    manager->InsertChild(mCancelButton.get());
    const int width = WidthOf(IMAGE_CHECKBOX);
    const int height = HeightOf(IMAGE_CHECKBOX);
    mFullScreenCheckbox->mOffCell = ravix::Rect(0, 0, width / 2, height);
    mFullScreenCheckbox->mOnCell = ravix::Rect(width / 2, 0, width / 2, height);
    mFullScreenCheckbox->SetOn(!mApp->mWantWindowed, false);
    manager->InsertChild(mFullScreenCheckbox.get());
}

void OptionsDialog::OnDetached(ravix::WidgetManager* manager) {
    Dialog::OnDetached(manager);
    for (ravix::Widget* control : Controls()) {
        ravix::DetachFromParent(*control);
    }
}

std::array<ravix::Widget*, 5> OptionsDialog::Controls() const {
    return {mMusicSlider.get(), mEffectsSlider.get(), mOkButton.get(), mCancelButton.get(),
            mFullScreenCheckbox.get()};
}

void OptionsDialog::Resize(int x, int y, int width, int height) {
    Dialog::Resize(x, y, width, height);
    const int sliderWidth = WidthOf(IMAGE_SLIDER_TRACK) - 2;
    const int sliderHeight = HeightOf(IMAGE_SLIDER_THUMB);
    mMusicSlider->Resize(x + 167, y + 79, sliderWidth, sliderHeight);
    mEffectsSlider->Resize(x + 167, y + 159, sliderWidth, sliderHeight);
    mOkButton->Resize(x + 113, y + 270, WidthOf(IMAGE_BTN_OK), HeightOf(IMAGE_BTN_OK) / 2);
    mCancelButton->Resize(x + 203, y + 270, WidthOf(IMAGE_BTN_CANCEL),
                          HeightOf(IMAGE_BTN_CANCEL) / 2);
    mFullScreenCheckbox->Resize(x + 121, y + 213, WidthOf(IMAGE_CHECKBOX) / 2,
                                HeightOf(IMAGE_CHECKBOX));
}

void OptionsDialog::Draw(ravix::Graphics& g) {
    Dialog::Draw(g);
    if (!mApp->IsMuted() || FONT_MICRO == nullptr) {
        return;
    }
    // The "Muted" setting has no place in the picture: a line under the check box says it.
    const std::string text = "Muted (M to hear the sound again)";
    g.SetFont(FONT_MICRO);
    g.SetColor(ravix::Color(255, 220, 120));
    g.DrawString(text, (mWidth - FONT_MICRO->StringWidth(text)) / 2, kMutedLineY);
}

void OptionsDialog::OnSliderMoved(int id, double value) {
    if (id == kMusicSlider) {
        mApp->SetMusicLevel(value);
    } else if (id == kEffectsSlider) {
        mApp->SetEffectsLevel(value);
        // On release (or a click on the track) the player hears the new level.
        if (!mEffectsSlider->mGrabbed) {
            mApp->PlayEffect(SOUND_CLICK);
        }
    }
}

void OptionsDialog::OnCheckChanged(int id, bool checked) {
    if (id == kFullScreen && !checked && mApp->mFullScreenForced) {
        mApp->ShowDialog(5, true, "No Windowed Mode",
                         "Windowed mode is only available if your desktop is running in\n"
                         "\t\t\t\teither 16 bit or 32 bit color mode, which it is not.",
                         "OK", kFooterButton);
        mFullScreenCheckbox->SetOn(true, true);
    }
    Invalidate();
}

void OptionsDialog::OnButtonClick(int id) {
    if (id == kAcceptId || id == kRejectId) {
        Dialog::OnButtonClick(id);
    }
    mApp->PlayEffect(SOUND_BTN);
    if (id == kOk) {
        mApp->ChangeScreenMode(!mFullScreenCheckbox->IsOn());
        mApp->DismissDialog(this);
    } else if (id == kCancel) {
        mApp->SetMusicLevel(mOldMusicLevel);
        mApp->SetEffectsLevel(mOldEffectsLevel);
        mApp->DismissDialog(this);
    }
}

void OpenOptionsDialog(GameApp* app, int ownerWidth) {
    auto dialog = std::make_unique<OptionsDialog>(app);
    const int width = WidthOf(IMAGE_DIALOG_OPTIONS);
    const int height = HeightOf(IMAGE_DIALOG_OPTIONS);
    dialog->Resize(ownerWidth / 2 - width / 2, 140, width, height);
    // The application owns the dialogs it keeps and deletes this one when it is dismissed.
    app->RegisterDialog(OptionsDialog::kDialogId, dialog.release());
}

} // namespace tarnwick
