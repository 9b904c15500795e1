#include "game/OptionsDialog.h"

#include "game/GameApp.h"
#include "game/GameResources.h"

namespace tarnwick {

OptionsDialog::OptionsDialog(GameApp* app)
    : Dialog(IMAGE_DIALOG_OPTIONS, kDialogId, true, "", "", "", kNoButtons), mApp(app) {}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::OnAttached(ravix::WidgetManager* manager) { Dialog::OnAttached(manager); }

void OptionsDialog::OnDetached(ravix::WidgetManager* manager) { Dialog::OnDetached(manager); }

void OptionsDialog::Resize(int x, int y, int width, int height) {
    Dialog::Resize(x, y, width, height);
}

void OptionsDialog::OnSliderMoved(int /*id*/, double /*value*/) {}

void OptionsDialog::OnCheckChanged(int /*id*/, bool /*checked*/) {}

void OptionsDialog::OnButtonClick(int id) { Dialog::OnButtonClick(id); }

void OpenOptionsDialog(GameApp* /*app*/, int /*ownerWidth*/) {}

} // namespace tarnwick
