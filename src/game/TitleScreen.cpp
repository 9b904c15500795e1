#include "game/TitleScreen.h"

#include "game/FlickeringButtonWidget.h"
#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/OptionsDialog.h"
#include "game/SaveFiles.h"
#include "game/StackedButtonLooks.h"
#include "game/TopScoresScreen.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/WidgetManager.h"

#include <filesystem>

namespace tarnwick {

namespace {

// The menu buttons are centred on this x.
constexpr int kMenuCentreX = 400;

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

} // namespace

TitleScreen::TitleScreen(GameApp* app) : mApp(app) {}

TitleScreen::~TitleScreen() {
    for (FlickeringButtonWidget* button : Buttons()) {
        delete button;
    }
}

std::array<FlickeringButtonWidget*, 11> TitleScreen::Buttons() const {
    return {mPlayButton,   mScoresButton, mExitButton,   mBeginnerButton,
            mEasyButton,   mNormalButton, mHardButton,   mLogoButton,
            mResumeButton, mNewButton,    mOptionsButton};
}

FlickeringButtonWidget* TitleScreen::MakeMenuButton(ravix::WidgetManager* manager,
                                                    ravix::Image* image, int id, int centreY) {
    auto* button = new FlickeringButtonWidget(id, this);
    const ravix::Rect look = SetStackedLooks(*button, image, StackedLook::NormalOnTop);
    if (image != nullptr) {
        button->Resize(kMenuCentreX - look.mWidth / 2, centreY - look.mHeight / 2, look.mWidth,
                       look.mHeight);
    }
    manager->InsertChild(button);
    button->SetVisible(false);
    return button;
}

void TitleScreen::OnAttached(ravix::WidgetManager* manager) {
    Widget::OnAttached(manager);
    mPlayButton = MakeMenuButton(manager, IMAGE_MENU_PLAY, kPlay, 215);
    mScoresButton = MakeMenuButton(manager, IMAGE_MENU_SCORES, kScores, 273);
    mExitButton = MakeMenuButton(manager, IMAGE_MENU_EXIT, kExit, 447);
    mBeginnerButton = MakeMenuButton(manager, IMAGE_MENU_BEGINNER, kBeginner, 215);
    mEasyButton = MakeMenuButton(manager, IMAGE_MENU_EASY, kEasy, 273);
    mNormalButton = MakeMenuButton(manager, IMAGE_MENU_NORMAL, kNormal, 331);
    mHardButton = MakeMenuButton(manager, IMAGE_MENU_HARD, kHard, 389);
    mLogoButton = MakeMenuButton(manager, IMAGE_MENU_LOGO, kLogo, 528);
    mResumeButton = MakeMenuButton(manager, IMAGE_MENU_RESUME, kResume, 273);
    mNewButton = MakeMenuButton(manager, IMAGE_MENU_NEW, kNew, 331);
    mOptionsButton = MakeMenuButton(manager, IMAGE_MENU_OPTIONS, kOptions, 331);
}

void TitleScreen::OnDetached(ravix::WidgetManager* manager) {
    Widget::OnDetached(manager);
    for (FlickeringButtonWidget* button : Buttons()) {
        if (button != nullptr && button->GetParent() != nullptr) {
            button->GetParent()->DetachChild(button);
        }
    }
}

void TitleScreen::Update() {
    Widget::Update();
    if (mLogoButton != nullptr) {
        mLogoButton->mFlicker = mMenuShown;
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

void TitleScreen::ShowButtons(std::initializer_list<FlickeringButtonWidget*> buttons,
                              bool visible) {
    for (FlickeringButtonWidget* button : buttons) {
        if (button != nullptr) {
            button->SetVisible(visible);
        }
    }
}

void TitleScreen::ShowMainMenu() {
    mMenuShown = true;
    ShowButtons({mPlayButton, mScoresButton, mExitButton, mOptionsButton, mLogoButton}, true);
}

void TitleScreen::ShowDifficultyMenu() {
    DeleteSavedGame();
    ShowButtons({mPlayButton, mScoresButton, mExitButton, mOptionsButton}, false);
    ShowButtons({mBeginnerButton, mEasyButton, mNormalButton, mHardButton}, true);
    ShowButtons({mResumeButton, mNewButton}, false);
}

void TitleScreen::ShowResumeMenu() {
    ShowButtons({mPlayButton, mScoresButton, mExitButton, mOptionsButton}, false);
    ShowButtons({mResumeButton, mNewButton}, true);
}

void TitleScreen::ShowTopScores() {
    auto* scores = new TopScoresScreen(mApp);
    scores->CreateLink();
    scores->Resize(0, 0, mWidth, mHeight);
    mApp->mWidgets->InsertChild(scores);
    mApp->mWidgets->FocusWidget(scores);
}

void TitleScreen::OpenAboutPage() {
    std::error_code error;
    const std::filesystem::path page = std::filesystem::absolute("about.html", error);
    if (!error) {
        mApp->OpenWebPage("file://" + EncodeUrlPath(page.lexically_normal().string()), false);
    }
}

void TitleScreen::StartBoard(int mode) {
    if (GetParent() != nullptr) {
        GetParent()->DetachChild(this);
    }
    mApp->DeferDelete(this);
    mApp->CreateBoard(mode);
}

void TitleScreen::OnButtonClick(int id) {
    mApp->PlayEffect(SOUND_BTN);
    switch (id) {
    case kBeginner:
    case kEasy:
    case kNormal:
    case kHard:
    case kResume:
        StartBoard(id);
        return;
    case kPlay: {
        // The saved game is a file outside the run: a replay sees what the recording saw.
        bool saved = SavedGameExists();
        mApp->SyncDemoBool(saved);
        saved ? ShowResumeMenu() : ShowDifficultyMenu();
        return;
    }
    case kScores:
        ShowTopScores();
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
