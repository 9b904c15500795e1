#include "game/Board.h"

#include "game/Card.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/Renderer.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tarnwick {

namespace {

const ravix::Color kWhite(255, 255, 255);
const ravix::Color kBlack(0, 0, 0);
const ravix::Color kClockSecondsColor(0, 255, 0);
const ravix::Color kCursorColor(0, 230, 255);
const ravix::Color kCursorEdgeColor(0, 40, 60);
constexpr const char* kNextGameText = "Click for next game";
// The keys, in two lines drawn below the help picture's panel and the menu button.
constexpr const char* kKeysLines[] = {
    "Arrows move the cursor, Enter or Space turns a card, Tab reaches the buttons",
    "Esc pause, F1 help, F11 full screen, M mute, Ctrl+Q quit"};
constexpr int kKeysBaseline = 578;
constexpr int kKeysLineStep = 14;
constexpr const char* kNewBestText = "New best!";
// The gold of the board's own labels ("TIME", "SCORE").
const ravix::Color kLabelColor(236, 196, 104);
constexpr int kLevelLabelCentreX = 690;
constexpr int kLevelLabelBaseline = 100;
constexpr int kWonTextBaseline = 300;
constexpr int kWonLineSpacing = 36;

int TextWidth(ravix::Font* font, const std::string& text) {
    return font != nullptr ? font->StringWidth(text) : 0;
}

void DrawText(ravix::Graphics& g, ravix::Font* font, const ravix::Color& color,
              const std::string& text, int x, int y) {
    g.SetFont(font);
    g.SetColor(color);
    g.DrawString(text, x, y);
}

} // namespace

void Board::Draw(ravix::Graphics& g) {
    mModel->GetLevel().Draw();
    if (!mModel->IsHelpShown()) {
        for (const auto& card : mModel->Cards()) {
            card->Draw();
        }
    }
    mRenderer->Draw(g);
    g.SetTintImages(false);
    DrawCardCursor(g);
    if (mModel->IsHelpShown()) {
        g.DrawImage(IMAGE_HELP, 0, 0);
        DrawKeysLines(g);
    }
    DrawScoreAndClock(g);
    DrawLevelLabel(g);
    if (mModel->IsAllSolved()) {
        DrawWonLines(g);
    }
    if (mModel->IsPaused() || !HasGameFocus()) {
        g.DrawImage(IMAGE_PAUSE, 0, 0);
    }
}

// A double outline in cyan with a dark edge around the cell under the cursor: unlike the
// picked cards' frame and the hint's blinking, it shows on any card face and any background.
void Board::DrawCardCursor(ravix::Graphics& g) {
    const int index = mCursor.CardIndex();
    if (!mCursor.IsShown() || mModel->IsHelpShown() || mModel->IsAllSolved() || index < 0 ||
        static_cast<size_t>(index) >= mModel->Cards().size() || IMAGE_TILES == nullptr) {
        return;
    }
    const Card& card = *mModel->Cards()[static_cast<size_t>(index)];
    const int width = static_cast<int>(IMAGE_TILES->GetCellWidth() * mModel->CardScale());
    const int height = static_cast<int>(IMAGE_TILES->GetCellHeight() * mModel->CardScale());
    const int left = static_cast<int>(card.mX) - width / 2;
    const int top = static_cast<int>(card.mY) - height / 2;
    g.SetColor(kCursorEdgeColor);
    g.DrawRect(left - 4, top - 4, width + 7, height + 7);
    g.DrawRect(left + 1, top + 1, width - 3, height - 3);
    g.SetColor(kCursorColor);
    for (int inset = -3; inset <= 0; ++inset) {
        g.DrawRect(left + inset, top + inset, width - 1 - 2 * inset, height - 1 - 2 * inset);
    }
}

void Board::DrawKeysLines(ravix::Graphics& g) {
    int y = kKeysBaseline;
    for (const char* line : kKeysLines) {
        const int x = 400 - TextWidth(FONT_MICRO, line) / 2;
        DrawText(g, FONT_MICRO, kBlack, line, x + 1, y + 1);
        DrawText(g, FONT_MICRO, kWhite, line, x, y);
        y += kKeysLineStep;
    }
}

void Board::DrawScoreAndClock(ravix::Graphics& g) {
    const std::string score = std::to_string(mModel->Score());
    DrawText(g, FONT_SMALL, kWhite, score, 400 - TextWidth(FONT_SMALL, score) / 2, 72);

    if (mBonusTimer > 0) {
        --mBonusTimer;
        const std::string sign = mBonusValue > 0 ? "+" : "";
        DrawShadowedText(g, sign + std::to_string(mBonusValue), mBonusX, mBonusY);
        --mBonusY;
    }

    const int ticks = mModel->Ticks();
    const int minutes = ticks / 6000;
    const int seconds = ticks / 100 - minutes * 60;
    const std::string minutesText = std::to_string(minutes);
    DrawText(g, FONT_SMALL, kWhite, minutesText, 86 - TextWidth(FONT_SMALL, minutesText), 76);
    char secondsText[16];
    std::snprintf(secondsText, sizeof secondsText, "%02d", seconds);
    DrawText(g, FONT_MICRO, kClockSecondsColor, secondsText, 95, 73);
}

std::string Board::LevelText(int levelIndex, PlayMode mode) {
    // The fonts hold ASCII only: a plain dash separates level and difficulty.
    return std::to_string(levelIndex + 1) + " - " + ModeName(mode);
}

void Board::DrawLevelLabel(ravix::Graphics& g) {
    // Under the game's name, right of the score: above the largest grid, clear of the buttons.
    const std::string text = "Level " + LevelText(mModel->LevelIndex(), mModel->Mode());
    DrawText(g, FONT_SMALL, kLabelColor, text, kLevelLabelCentreX - TextWidth(FONT_SMALL, text) / 2,
             kLevelLabelBaseline);
}

void Board::DrawWonLines(ravix::Graphics& g) {
    const std::string next =
        "Next: level " + LevelText(mModel->NextLevelIndex(), mModel->NextMode());
    std::vector<std::string> lines = {kNextGameText, next};
    if (mModel->IsNewBest()) {
        lines.push_back(kNewBestText);
    }
    int baseline = kWonTextBaseline;
    for (const std::string& line : lines) {
        DrawShadowedText(g, line, 400 - TextWidth(FONT_DEFAULT, line) / 2, baseline);
        baseline += kWonLineSpacing;
    }
}

void Board::DrawShadowedText(ravix::Graphics& g, const std::string& text, int x, int y) {
    DrawText(g, FONT_DEFAULT, kBlack, text, x + 2, y + 2);
    DrawText(g, FONT_DEFAULT, kWhite, text, x, y);
}

} // namespace tarnwick
