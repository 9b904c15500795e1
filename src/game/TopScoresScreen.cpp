#include "game/TopScoresScreen.h"

#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/SaveFiles.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "platform/KeyCodes.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick {

namespace {

std::string FormatRecord(const TopScore& record) {
    char line[64];
    std::snprintf(line, sizeof line, "score: %d, time: %d sec", record.mScore, record.mTime);
    return line;
}

// The baselines of the three lines, under the headings the background carries.
constexpr int kLineBaselines[] = {240, 350, 460};
// What a record box says before any game was won.
const ravix::Color kExplanationColor(220, 214, 190);
constexpr const char* kNoGamesText = "No games yet";
// Under the first box: what its heading, "Best balance", measures.
constexpr const char* kBalanceText = "balance: the points of a game minus its seconds";
constexpr int kBalanceBaseline = 278;

// No game was won: every record is still the zeros of a missing file.
bool NoGamesWon(const std::array<TopScore, 3>& records) {
    return std::all_of(records.begin(), records.end(),
                       [](const TopScore& record) { return record == TopScore{}; });
}

} // namespace

TopScoresScreen::TopScoresScreen(GameApp* app) : mApp(app) {
    const std::array<TopScore, 3> records = ReadTopScores();
    if (NoGamesWon(records)) {
        mLine1 = mLine2 = mLine3 = kNoGamesText;
        return;
    }
    mLine1 = FormatRecord(records[0]);
    mLine2 = FormatRecord(records[1]);
    mLine3 = FormatRecord(records[2]);
}

TopScoresScreen::~TopScoresScreen() = default;

void TopScoresScreen::CreateLink() {
    mReturnLink.reset(std::make_unique<ravix::HyperlinkWidget>(1, this));
    mReturnLink->mKeyFallback = this; // Escape on the focused link closes the screen too
    mReturnLink->SetFont(FONT_DEFAULT);
    mReturnLink->mLabel = "RETURN TO MAIN MENU";
    mReturnLink->mColor = ravix::Color(128, 64, 0);
    mReturnLink->mHoverColor = ravix::Color(255, 128, 0);
    mReturnLink->mUnderlineThickness = 1;
}

void TopScoresScreen::OnAttached(ravix::WidgetManager* manager) {
    Widget::OnAttached(manager);
    if (!mReturnLink) {
        return;
    }
    const int fontHeight = FONT_DEFAULT != nullptr ? FONT_DEFAULT->GetHeight() : 0;
    const int width =
        FONT_DEFAULT != nullptr ? FONT_DEFAULT->StringWidth(mReturnLink->mLabel) : 0;
    mReturnLink->Resize(mWidth / 2 - width / 2, mHeight - fontHeight - 40, width, fontHeight + 4);
    mReturnLink->mShowHandCursor = true;
    manager->InsertChild(mReturnLink.get());
    // Kept as the screen has always been: the link is there but hidden; any click returns.
    mReturnLink->SetVisible(false);
}

void TopScoresScreen::OnDetached(ravix::WidgetManager* manager) {
    Widget::OnDetached(manager);
    if (mReturnLink) {
        ravix::DetachFromParent(*mReturnLink);
    }
}

void TopScoresScreen::Update() {
    mApp->SetCustomCursors(false);
    Invalidate();
}

void TopScoresScreen::Draw(ravix::Graphics& g) {
    if (IMAGE_SCORES_BKG != nullptr) {
        g.DrawImage(IMAGE_SCORES_BKG, 0, 0);
    }
    if (FONT_DEFAULT == nullptr) {
        return;
    }
    g.SetFont(FONT_DEFAULT);
    g.SetColor(ravix::kOpaqueWhite);
    const std::string* lines[] = {&mLine1, &mLine2, &mLine3};
    for (int i = 0; i < 3; ++i) {
        g.DrawString(*lines[i], 400 - FONT_DEFAULT->StringWidth(*lines[i]) / 2, kLineBaselines[i]);
    }
    if (FONT_MICRO != nullptr) {
        g.SetFont(FONT_MICRO);
        g.SetColor(kExplanationColor);
        g.DrawString(kBalanceText, 400 - FONT_MICRO->StringWidth(kBalanceText) / 2,
                     kBalanceBaseline);
    }
}

void TopScoresScreen::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clicks*/) {
    OnButtonClick(0);
}

void TopScoresScreen::KeyDown(int key) {
    if (key == ravix::kKeyEscape) {
        OnButtonClick(0);
        return;
    }
    ravix::Widget::KeyDown(key);
}

void TopScoresScreen::OnButtonClick(int /*id*/) {
    ravix::DetachFromParent(*this);
    mReturnLink.DeleteAfterPass(mApp);
    mApp->CloseTopScores();
    mApp->PlayEffect(SOUND_BTN);
}

} // namespace tarnwick
