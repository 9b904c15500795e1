#include "game/Board.h"

#include "game/Card.h"
#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/OptionsDialog.h"
#include "game/Renderer.h"
#include "game/StackedButtonLooks.h"
#include "graphics/Image.h"
#include "platform/KeyCodes.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

namespace tarnwick {

Board::Board(GameApp* app, int mode) : mApp(app), mMode(mode) {
    Init();
}

Board::~Board() = default;

void Board::Init() {
    mPaused = false;
    mRenderer = std::make_unique<Renderer>();
    mLevel = std::make_unique<Level>(mRenderer.get());
    mLevel->Load(mLevelIndex);
    if (mApp != nullptr && mApp->mWidgets != nullptr) {
        mMouseX = mApp->mWidgets->mPointerX;
        mMouseY = mApp->mWidgets->mPointerY;
    }
    mCardScale = 1.0f;
    mAllSolved = false;
    mGameEnded = false;
    mResultDelay = 0;
    mBonusTimer = 0;
    mBonusX = 0;
    mBonusY = 0;
    mScore = kStartScore;
    mPendingScore = 0;
    mTicks = 0;
    if (!LoadGame()) {
        // Resuming without a saved game plays as hard does; the saved mode stays one of the
        // four difficulties.
        if (mMode == kResumeMode) {
            mMode = 3;
        }
        Deal();
    }
}

void Board::Clear() {
    mCards.clear();
    mLevel.reset();
    mRenderer.reset();
}

void Board::NextGame() {
    if (mMode == 0) {
        mMode = 1;
    }
    mLevelIndex += 1;
    if (mLevelIndex > mLevel->GetMaxLevel()) {
        mLevelIndex = 0;
    }
    Clear();
    Init();
}

std::unique_ptr<ravix::ButtonWidget> Board::MakeButton(int id, ravix::Image* image, int centreX,
                                                       int centreY) {
    auto button = std::make_unique<ravix::ButtonWidget>(id, this);
    // The board's buttons show their over look in the upper half.
    const ravix::Rect look = SetStackedLooks(*button, image, StackedLook::OverOnTop);
    button->Resize(centreX - look.mWidth / 2, centreY - look.mHeight / 2, look.mWidth, look.mHeight);
    return button;
}

std::array<std::unique_ptr<ravix::ButtonWidget>*, 5> Board::Buttons() {
    return {&mMenuButton, &mHelpButton, &mOptionsButton, &mMinimizeButton, &mCloseButton};
}

void Board::OnAttached(ravix::WidgetManager* manager) {
    ravix::Widget::OnAttached(manager);
    if (mMenuButton == nullptr) {
        mMenuButton = MakeButton(kMenuButton, IMAGE_MENU_BTN, 400, 550);
        mHelpButton = MakeButton(kHelpButton, IMAGE_HELP_BTN, 710, 520);
        mOptionsButton = MakeButton(kOptionsButton, IMAGE_OPTIONS_BTN, 80, 530);
        mMinimizeButton = MakeButton(kMinimizeButton, IMAGE_MIN_BTN, 768, 16);
        mCloseButton = MakeButton(kCloseButton, IMAGE_CLOSE_BTN, 784, 16);
    }
    for (auto* button : Buttons()) {
        if ((*button)->GetParent() == nullptr) {
            manager->InsertChild(button->get());
        }
    }
}

void Board::OnDetached(ravix::WidgetManager* manager) {
    ravix::Widget::OnDetached(manager);
    for (auto* button : Buttons()) {
        if (*button != nullptr && (*button)->GetParent() == manager) {
            manager->DetachChild(button->get());
        }
    }
}

void Board::KeyUp(int key) {
    if (key == ravix::kKeyPause || key == ravix::kKeyEscape) {
        mPaused = true;
    }
}

void Board::MouseMove(int x, int y) {
    mMouseX = x;
    mMouseY = y;
}

void Board::OnButtonClick(int id) {
    mPaused = false;
    mApp->PlayEffect(SOUND_BTN);
    switch (id) {
    case kHelpButton:
        mShowHelp = !mShowHelp;
        break;
    case kMenuButton:
        if (mShowHelp) {
            mShowHelp = false;
            break;
        }
        // A won game has ended: its saved game is deleted and its score recorded, so it is not
        // saved again for a resume that would only record it a second time.
        if (!mGameEnded) {
            SaveGame();
        }
        ReturnToTitle();
        break;
    case kOptionsButton:
        OpenOptionsDialog(mApp, mWidth);
        break;
    case kMinimizeButton:
        mApp->MinimizeWindow();
        break;
    case kCloseButton:
        mApp->BeginShutdown();
        break;
    default:
        break;
    }
}

void Board::ReturnToTitle() {
    if (GetParent() != nullptr) {
        GetParent()->DetachChild(this); // OnDetached takes the buttons down too
    }
    for (auto* button : Buttons()) {
        if (*button != nullptr) {
            mApp->DeferDelete(button->release());
        }
    }
    mApp->DeferDelete(this);
    mApp->ShowTitleScreen();
}

void Board::LeaveEmptyLevel() {
    const int level = mLevelIndex;
    ReturnToTitle();
    mApp->ShowDialog(kNoCardsDialogId, true, "No Cards",
                     "Level " + std::to_string(level) + " of " + Level::kLevelsFile +
                         " has no cards to deal.",
                     "OK", ravix::Dialog::kFooterButton);
}

} // namespace tarnwick
