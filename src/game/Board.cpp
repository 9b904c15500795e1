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

#include <optional>
#include <utility>

namespace tarnwick {

CardPictureCells Board::CurrentCardPictures() {
    CardPictureCells cells;
    if (IMAGE_TILES != nullptr) {
        cells.mCellWidth = static_cast<float>(IMAGE_TILES->GetCellWidth());
        cells.mCellHeight = static_cast<float>(IMAGE_TILES->GetCellHeight());
    }
    // A saved game is only taken when both pictures are there to show its faces.
    if (IMAGE_TILES != nullptr && IMAGE_SYMBOLS != nullptr) {
        cells.mTileColumns = IMAGE_TILES->mCellColumns;
        cells.mTileRows = IMAGE_TILES->mCellRows;
        cells.mSymbolCells = IMAGE_SYMBOLS->mCellColumns * IMAGE_SYMBOLS->mCellRows;
    }
    return cells;
}

namespace {

// The cursor's step for an arrow key; none for other keys.
std::optional<std::pair<int, int>> ArrowStep(int key) {
    switch (key) {
    case ravix::kKeyLeft:
        return std::pair{-1, 0};
    case ravix::kKeyRight:
        return std::pair{1, 0};
    case ravix::kKeyUp:
        return std::pair{0, -1};
    case ravix::kKeyDown:
        return std::pair{0, 1};
    default:
        return std::nullopt;
    }
}

bool IsConfirmKey(int key) {
    return key == ravix::kKeyEnter || key == ravix::kKeySpace;
}

} // namespace

Board::Board(GameApp* app, PlayMode mode)
    : mApp(app), mRenderer(std::make_unique<Renderer>()),
      mModel(std::make_unique<BoardModel>(mRenderer.get(), mode, CurrentCardPictures())) {
    // Tab goes from the cards to the buttons and back; hovering the cards gives them the keys.
    mAcceptsFocus = true;
    mFocusOnHover = true;
    TakePointerPosition();
    ResetCursor();
}

Board::~Board() = default;

void Board::TakePointerPosition() {
    if (mApp != nullptr && mApp->mWidgets != nullptr) {
        mMouseX = mApp->mWidgets->mPointerX;
        mMouseY = mApp->mWidgets->mPointerY;
    }
    mRealMouseX = mMouseX;
    mRealMouseY = mMouseY;
}

void Board::ResetCursor() {
    mCursor.Reset(mModel->GetLevel().GetCols(), static_cast<int>(mModel->Cards().size()));
    const bool keyboardLast =
        mApp != nullptr && mApp->mWidgets != nullptr && mApp->mWidgets->mFocusRingShown;
    if (keyboardLast) {
        PointAtCursor();
    } else {
        mCursor.Hide();
    }
}

void Board::PointAtCursor() {
    const int index = mCursor.CardIndex();
    if (index < 0 || static_cast<size_t>(index) >= mModel->Cards().size()) {
        return;
    }
    const Card& card = *mModel->Cards()[static_cast<size_t>(index)];
    mMouseX = static_cast<int>(card.mX);
    mMouseY = static_cast<int>(card.mY);
}

bool Board::HasGameFocus() const {
    if (mFocused) {
        return true;
    }
    for (const auto* button :
         {&mMenuButton, &mHelpButton, &mOptionsButton, &mMinimizeButton, &mCloseButton}) {
        if (*button && (*button)->mFocused) {
            return true;
        }
    }
    return false;
}

void Board::ShowBonus(int points, int x, int y) {
    mBonusTimer = kBonusFrames;
    mBonusValue = points;
    mBonusX = x;
    mBonusY = y;
}

ravix::OwnedWidget<ravix::ButtonWidget> Board::MakeButton(int id, ravix::Image* image, int centreX,
                                                          int centreY) {
    ravix::OwnedWidget<ravix::ButtonWidget> button(std::make_unique<ravix::ButtonWidget>(id, this));
    // The board's buttons show their over look in the upper half.
    const ravix::Rect look = SetStackedLooks(*button, image, StackedLook::OverOnTop);
    button->Resize(centreX - look.mWidth / 2, centreY - look.mHeight / 2, look.mWidth,
                   look.mHeight);
    // Keys the button does not use (arrows, Escape) are the board's.
    button->mKeyFallback = this;
    return button;
}

std::array<ravix::OwnedWidget<ravix::ButtonWidget>*, 5> Board::Buttons() {
    return {&mMenuButton, &mHelpButton, &mOptionsButton, &mMinimizeButton, &mCloseButton};
}

void Board::OnAttached(ravix::WidgetManager* manager) {
    ravix::Widget::OnAttached(manager);
    if (!mMenuButton) {
        mMenuButton = MakeButton(kMenuButton, IMAGE_MENU_BTN, 400, 550);
        mHelpButton = MakeButton(kHelpButton, IMAGE_HELP_BTN, 710, 520);
        mOptionsButton = MakeButton(kOptionsButton, IMAGE_OPTIONS_BTN, 80, 530);
        mMinimizeButton = MakeButton(kMinimizeButton, IMAGE_MIN_BTN, 768, 16);
        mCloseButton = MakeButton(kCloseButton, IMAGE_CLOSE_BTN, 784, 16);
        // Tab visits the cards (the board), then menu, help, options, minimise and close.
        int order = 0;
        for (auto* button : Buttons()) {
            (*button)->mTabOrder = ++order;
        }
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
        if (*button && (*button)->GetParent() == manager) {
            manager->DetachChild(button->get());
        }
    }
}

void Board::Update() {
    ravix::Widget::Update();
    Invalidate();
    if (mModel->Cards().empty() && mManager != nullptr) {
        LeaveEmptyLevel();
        return;
    }
    if (!HasGameFocus() || mModel->IsPaused()) {
        return; // the game is frozen: no timer runs
    }
    const bool fullScreen = !mApp->mWantWindowed;
    if (mMinimizeButton) {
        mMinimizeButton->SetVisible(fullScreen);
        mCloseButton->SetVisible(fullScreen);
    }
    if (mModel->Update(mMouseX, mMouseY)) {
        mApp->PlayEffect(SOUND_GAME_END);
        ReportSaveFailure();
    }
}

void Board::ReportSaveFailure() {
    if (std::optional<SaveFailure> failure = mModel->TakeSaveFailure()) {
        mApp->ReportSaveFailure(*failure);
    }
}

void Board::KeyDown(int key) {
    const bool confirm = IsConfirmKey(key);
    if (mModel->IsPaused() || mModel->IsHelpShown()) {
        if (confirm || key == ravix::kKeyEscape) {
            mReleaseToIgnore = key;
            HandleClick(BoardModel::MouseButton::Left);
        }
        return;
    }
    if (mModel->IsAllSolved()) {
        if (confirm) {
            HandleClick(BoardModel::MouseButton::Left);
        }
        return;
    }
    if (const auto step = ArrowStep(key)) {
        if (mManager != nullptr) {
            mManager->FocusWidget(this); // from a button back to the cards
        }
        mCursor.Move(step->first, step->second);
        PointAtCursor();
        return;
    }
    if (confirm) {
        mCursor.Show();
        PointAtCursor();
        mModel->PointAt(mMouseX, mMouseY);
        HandleClick(BoardModel::MouseButton::Left);
        return;
    }
    ravix::Widget::KeyDown(key);
}

void Board::KeyUp(int key) {
    if (std::exchange(mReleaseToIgnore, 0) == key) {
        return;
    }
    if (key == ravix::kKeyPause || key == ravix::kKeyEscape) {
        mModel->Pause();
    }
}

void Board::MouseMove(int x, int y) {
    if (x != mRealMouseX || y != mRealMouseY) {
        mCursor.Hide();
    }
    mRealMouseX = x;
    mRealMouseY = y;
    if (!mCursor.IsShown()) {
        mMouseX = x;
        mMouseY = y;
    }
}

void Board::MouseUp(int /*x*/, int /*y*/, int button, int /*clicks*/) {
    if (mCursor.IsShown()) {
        // The mouse clicks where it is, not where the cursor stands.
        mCursor.Hide();
        mMouseX = mRealMouseX;
        mMouseY = mRealMouseY;
        mModel->PointAt(mMouseX, mMouseY);
    }
    HandleClick(button == kButtonLeft ? BoardModel::MouseButton::Left
                                      : BoardModel::MouseButton::Other);
}

void Board::HandleClick(BoardModel::MouseButton button) {
    const BoardModel::ClickResult result = mModel->Click(button);
    switch (result.mAction) {
    case BoardModel::ClickAction::NextGame:
        mApp->PlayEffect(SOUND_BTN);
        TakePointerPosition();
        ResetCursor();
        break;
    case BoardModel::ClickAction::HelpClosed:
        mApp->PlayEffect(SOUND_BTN);
        break;
    case BoardModel::ClickAction::Picked:
        PlayPickSounds(result.mPick);
        if (result.mPick.mShowBonus) {
            ShowBonus(result.mPick.mPoints, result.mPick.mBonusX, result.mPick.mBonusY);
        }
        break;
    case BoardModel::ClickAction::Resumed:
    case BoardModel::ClickAction::Ignored:
        break;
    }
}

void Board::PlayPickSounds(const BoardModel::PickResult& pick) {
    for (int i = 0; i < pick.mTurned; ++i) {
        mApp->PlayEffect(SOUND_CLICK);
    }
    if (pick.mJudgement == BoardModel::Judgement::Scored) {
        mApp->PlayEffect(SOUND_SCORE);
    } else if (pick.mJudgement == BoardModel::Judgement::Failed) {
        mApp->PlayEffect(SOUND_ERROR);
    }
}

void Board::OnButtonClick(int id) {
    mModel->Resume();
    mApp->PlayEffect(SOUND_BTN);
    switch (id) {
    case kHelpButton:
        mModel->ToggleHelp();
        break;
    case kMenuButton:
        if (mModel->IsHelpShown()) {
            mModel->CloseHelp();
            break;
        }
        (void)mModel->SaveOnLeaving();
        ReportSaveFailure();
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
    ravix::DetachFromParent(*this); // OnDetached takes the buttons down too
    mApp->ShowTitleScreen();        // hands this board, and its buttons with it, to deletion
}

void Board::LeaveEmptyLevel() {
    const int level = mModel->LevelIndex();
    ReturnToTitle();
    mApp->ShowDialog(kNoCardsDialogId, true, "No Cards",
                     "Level " + std::to_string(level) + " of " + Level::kLevelsFile +
                         " has no cards to deal.",
                     "OK", ravix::Dialog::kFooterButton);
}

} // namespace tarnwick
