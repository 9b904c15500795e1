#include "game/TitleScreen.h"

#include "game/Board.h"
#include "game/FlickeringButtonWidget.h"
#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/OptionsDialog.h"
#include "game/SaveFiles.h"
#include "game/StackedButtonLooks.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetManager.h"

#include <filesystem>

namespace tarnwick {

namespace {

// The menu buttons are centred on this x.
constexpr int kMenuCentreX = 400;
// The arrow keys move among the menu's choices (the logo is not one of them).
constexpr int kMenuFocusGroup = 1;

// A file path as the path of a file:// URL: every byte outside the unreserved characters and
// "/" percent-encoded, so that spaces and other bytes of a folder name survive.
std::string EncodeUrlPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
                           c == '~' || c == '/';
        if (plain) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

// The menu buttons in the order they are made (and stacked in the widget manager): the id, the
// picture of its normal (top) and highlighted (bottom) looks, and the y of its centre.
struct MenuButton {
    int mId;
    ravix::Image** mImage;
    int mCentreY;
};
const MenuButton kMenuButtons[TitleScreen::kButtonCount] = {
    {TitleScreen::kPlay, &IMAGE_MENU_PLAY, 215},
    {TitleScreen::kScores, &IMAGE_MENU_SCORES, 273},
    {TitleScreen::kExit, &IMAGE_MENU_EXIT, 447},
    {TitleScreen::kBeginner, &IMAGE_MENU_BEGINNER, 215},
    {TitleScreen::kEasy, &IMAGE_MENU_EASY, 273},
    {TitleScreen::kNormal, &IMAGE_MENU_NORMAL, 331},
    {TitleScreen::kHard, &IMAGE_MENU_HARD, 389},
    {TitleScreen::kLogo, &IMAGE_MENU_LOGO, 528},
    {TitleScreen::kResume, &IMAGE_MENU_RESUME, 273},
    {TitleScreen::kNew, &IMAGE_MENU_NEW, 331},
    {TitleScreen::kOptions, &IMAGE_MENU_OPTIONS, 331},
};

// A menu button centred on (kMenuCentreX, centreY), added to the manager and hidden.
ravix::OwnedWidget<FlickeringButtonWidget> MakeMenuButton(ravix::WidgetManager* manager,
                                                          ravix::ButtonListener* listener,
                                                          const MenuButton& recipe) {
    ravix::OwnedWidget<FlickeringButtonWidget> button(
        std::make_unique<FlickeringButtonWidget>(recipe.mId, listener));
    ravix::Image* image = *recipe.mImage;
    const ravix::Rect look = SetStackedLooks(*button, image, StackedLook::NormalOnTop);
    if (image != nullptr) {
        button->Resize(kMenuCentreX - look.mWidth / 2, recipe.mCentreY - look.mHeight / 2,
                       look.mWidth, look.mHeight);
    }
    manager->InsertChild(button.get());
    button->SetVisible(false);
    if (recipe.mId != TitleScreen::kLogo) {
        button->mFocusGroup = kMenuFocusGroup;
    }
    return button;
}

} // namespace

TitleScreen::TitleScreen(GameApp* app) : mApp(app) {}

TitleScreen::~TitleScreen() = default;

FlickeringButtonWidget* TitleScreen::GetButton(int id) const {
    return id >= 0 && id < kButtonCount ? mButtons[static_cast<size_t>(id)].get() : nullptr;
}

void TitleScreen::OnAttached(ravix::WidgetManager* manager) {
    Widget::OnAttached(manager);
    for (const MenuButton& recipe : kMenuButtons) {
        mButtons[static_cast<size_t>(recipe.mId)] = MakeMenuButton(manager, this, recipe);
    }
}

void TitleScreen::OnDetached(ravix::WidgetManager* manager) {
    Widget::OnDetached(manager);
    for (const MenuButton& recipe : kMenuButtons) {
        if (FlickeringButtonWidget* button = GetButton(recipe.mId)) {
            ravix::DetachFromParent(*button);
        }
    }
}

void TitleScreen::Update() {
    Widget::Update();
    if (FlickeringButtonWidget* logo = GetButton(kLogo)) {
        logo->mFlicker = mMenuShown;
    }
    if (mMenuShown) {
        Invalidate();
    }
}

void TitleScreen::Draw(ravix::Graphics& g) {
    if (IMAGE_LOGO != nullptr) {
        g.DrawImage(IMAGE_LOGO, 0, 0);
    }
}

void TitleScreen::ShowButtons(std::initializer_list<int> ids, bool visible) {
    for (int id : ids) {
        if (FlickeringButtonWidget* button = GetButton(id)) {
            button->SetVisible(visible);
        }
    }
}

void TitleScreen::ShowMainMenu() {
    mMenuShown = true;
    ShowButtons({kPlay, kScores, kExit, kOptions, kLogo}, true);
    FocusButton(kPlay);
}

void TitleScreen::FocusButton(int id) {
    if (FlickeringButtonWidget* button = GetButton(id); button != nullptr && mManager != nullptr) {
        mManager->FocusWidget(button);
    }
}

void TitleScreen::ShowDifficultyMenu() {
    DeleteSavedGame();
    ShowButtons({kPlay, kScores, kExit, kOptions}, false);
    ShowButtons({kBeginner, kEasy, kNormal, kHard}, true);
    ShowButtons({kResume, kNew}, false);
    FocusButton(kBeginner);
}

void TitleScreen::PlayFromSavedGame() {
    const BoardModel::SavedGameState state =
        BoardModel::InspectSavedGame(Board::CurrentCardPictures());
    // The saved game is a file outside the run: a replay sees what the recording saw. Setting
    // an unusable one aside takes no input, so it needs no place in the recording.
    bool usable = state == BoardModel::SavedGameState::Usable;
    mApp->SyncDemoBool(usable);
    if (usable) {
        ShowResumeMenu();
        return;
    }
    if (state == BoardModel::SavedGameState::Unusable) {
        SetAsideUnusableSave();
    }
    ShowDifficultyMenu();
}

void TitleScreen::SetAsideUnusableSave() {
    const std::string kept = SetAsideSavedGame();
    const std::string where = kept.empty() ? "It could not be kept." : "It is kept as " + kept + ".";
    // Some system boxes do not wrap: the lines are broken here.
    mApp->ShowSystemMessageBox("Your saved game could not be read, so it was set aside.\n" + where +
                                   "\nChoose a difficulty for a new game.",
                               "Saved Game Not Used",
                               ravix::kMessageBoxOk | ravix::kMessageBoxIconWarning);
}

void TitleScreen::ShowResumeMenu() {
    ShowButtons({kPlay, kScores, kExit, kOptions}, false);
    ShowButtons({kResume, kNew}, true);
    FocusButton(kResume);
}

void TitleScreen::OpenAboutPage() {
    std::error_code error;
    const std::filesystem::path page = std::filesystem::absolute("about.html", error);
    if (!error) {
        mApp->OpenWebPage("file://" + EncodeUrlPath(page.lexically_normal().string()), false);
    }
}

void TitleScreen::OnButtonClick(int id) {
    mApp->PlayEffect(SOUND_BTN);
    switch (id) {
    case kBeginner:
    case kEasy:
    case kNormal:
    case kHard:
    case kResume:
        mApp->CreateBoard(static_cast<PlayMode>(id)); // takes this screen down
        return;
    case kPlay: {
        // The saved game is a file outside the run: a replay sees what the recording saw.
        PlayFromSavedGame();
        return;
    }
    case kScores:
        mApp->ShowTopScores();
        return;
    case kExit:
        mApp->BeginShutdown();
        return;
    case kLogo:
        OpenAboutPage();
        return;
    case kNew:
        ShowDifficultyMenu();
        return;
    case kOptions:
        OpenOptionsDialog(mApp, mWidth);
        return;
    default:
        return;
    }
}

} // namespace tarnwick
