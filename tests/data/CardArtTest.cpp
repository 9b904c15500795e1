// The card pictures as a player sees them. The three card colours stay apart face up and when a
// peeking card is drawn faintly over the board (the card's own peek alpha), with normal vision,
// protanopia and deuteranopia and in greyscale; every symbol lies inside every shape with a
// band of the shape's colour around it; a hinted card looks unlike a picked one and keeps the
// card's colours.
#include "data/ColourDifference.h"
#include "game/Card.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using datatest::Rgb;
using datatest::Vision;

const fs::path kImages = fs::path(TARNWICK_DATA_DIR) / "images";
constexpr int kCell = 64;
constexpr int kColours = 3;
constexpr int kShapes = 4;
constexpr int kSymbols = 8;
const char* const kColourNames[kColours] = {"blue", "orange", "lime"};
const char* const kShapeNames[kShapes] = {"circle", "square", "triangle", "diamond"};

std::unique_ptr<ravix::MemoryImage> LoadPicture(const std::string& name) {
    auto image = std::make_unique<ravix::MemoryImage>();
    if (!ravix::ImageLib::LoadImageInto(*image, (kImages / (name + ".png")).string(), false))
        return nullptr;
    return image;
}

uint32_t Pixel(ravix::MemoryImage& image, int x, int y) {
    return image.GetPixels()[y * image.GetWidth() + x];
}

int Channel(uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

// Pixels of one 64 x 64 cell, row by row.
class Mask {
public:
    bool At(int x, int y) const {
        return x >= 0 && y >= 0 && x < kCell && y < kCell && mBits[y * kCell + x];
    }
    void Set(int x, int y, bool on) { mBits[y * kCell + x] = on; }

    // Keeps the pixels whose whole 3 x 3 neighbourhood lies in the mask, steps times.
    Mask Eroded(int steps) const {
        Mask out = *this;
        for (int step = 0; step < steps; ++step) {
            Mask next;
            for (int y = 0; y < kCell; ++y)
                for (int x = 0; x < kCell; ++x)
                    next.Set(x, y, out.AllAround(x, y));
            out = next;
        }
        return out;
    }
    Mask Inverted() const {
        Mask out;
        for (int i = 0; i < kCell * kCell; ++i)
            out.mBits[i] = !mBits[i];
        return out;
    }

private:
    bool AllAround(int x, int y) const {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (!At(x + dx, y + dy))
                    return false;
        return true;
    }

    std::vector<bool> mBits = std::vector<bool>(kCell * kCell, false);
};

// Where a shape lies in its row of the tile picture: the pixels in which the row's three colours
// differ (outside the shape all three show the same card face).
Mask ShapeMask(ravix::MemoryImage& tiles, int shape) {
    Mask mask;
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            bool differs = false;
            for (int a = 0; a < kColours; ++a) {
                for (int b = a + 1; b < kColours; ++b) {
                    const uint32_t pa = Pixel(tiles, a * kCell + x, shape * kCell + y);
                    const uint32_t pb = Pixel(tiles, b * kCell + x, shape * kCell + y);
                    for (int shift : {0, 8, 16})
                        differs |= std::abs(Channel(pa, shift) - Channel(pb, shift)) > 24;
                }
            }
            mask.Set(x, y, differs);
        }
    }
    return mask;
}

// The mean colour of the masked pixels of the cell whose top-left corner is (left, top), each
// pixel weighted by its alpha.
Rgb MeanColour(ravix::MemoryImage& image, int left, int top, const Mask& mask) {
    double sum[3] = {0, 0, 0};
    double weight = 0;
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            if (!mask.At(x, y))
                continue;
            const uint32_t p = Pixel(image, left + x, top + y);
            const int alpha = Channel(p, 24);
            sum[0] += Channel(p, 16) * alpha;
            sum[1] += Channel(p, 8) * alpha;
            sum[2] += Channel(p, 0) * alpha;
            weight += alpha;
        }
    }
    if (weight == 0)
        return {};
    return {sum[0] / weight, sum[1] / weight, sum[2] / weight};
}

// The card picture as a peeking card shows it: each cell drawn with the card's peek alpha over
// the board picture at a card's place (top-left corner boardX, boardY).
std::unique_ptr<ravix::MemoryImage> Dimmed(ravix::MemoryImage& tiles, ravix::MemoryImage& board,
                                           int boardX, int boardY) {
    auto canvas = std::make_unique<ravix::MemoryImage>();
    canvas->Create(tiles.GetWidth(), tiles.GetHeight());
    for (int y = 0; y < tiles.GetHeight(); ++y)
        for (int x = 0; x < tiles.GetWidth(); ++x)
            canvas->GetPixels()[y * tiles.GetWidth() + x] =
                Pixel(board, boardX + x % kCell, boardY + y % kCell);
    canvas->PixelsChanged();
    ravix::Graphics g(canvas.get());
    g.SetTintImages(true);
    g.SetColor(ravix::Color(255, 255, 255, tarnwick::Card::kPeekAlpha));
    g.DrawImage(&tiles, 0, 0);
    return canvas;
}

// The colours of one row of a card picture and the card face around them.
struct RowColours {
    Rgb mColour[kColours];
    Rgb mFace;
};

// The fill of each shape (its pixels 3 px inside the edge, clear of the outline) and the face
// (3 px clear of the shape), sampled in the picture as drawn, with the masks of the face-up
// tiles.
std::vector<RowColours> SampleRows(ravix::MemoryImage& drawn, ravix::MemoryImage& tiles) {
    std::vector<RowColours> rows;
    // The face is sampled where the circle leaves it widest; the card's rim stays out.
    Mask faceArea = ShapeMask(tiles, 0).Inverted().Eroded(3);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x)
            if (std::min({x, y, kCell - 1 - x, kCell - 1 - y}) < 7)
                faceArea.Set(x, y, false);
    for (int shape = 0; shape < kShapes; ++shape) {
        const Mask fill = ShapeMask(tiles, shape).Eroded(3);
        RowColours row;
        for (int colour = 0; colour < kColours; ++colour)
            row.mColour[colour] = MeanColour(drawn, colour * kCell, shape * kCell, fill);
        row.mFace = MeanColour(drawn, 0, 0, faceArea);
        rows.push_back(row);
    }
    return rows;
}

// The smallest differences between the three colours of every row, and between each colour and
// the face.
struct Separation {
    double mDifference[3] = {1e9, 1e9, 1e9}; // CIEDE2000 per vision
    double mContrast = 1e9;                   // greyscale contrast ratio between colours
    double mFaceContrast = 1e9;               // greyscale contrast ratio colour / face
    std::string mClosest[3];
};

void Measure(const std::vector<RowColours>& rows, Separation& s) {
    const Vision visions[3] = {Vision::Normal, Vision::Protanopia, Vision::Deuteranopia};
    for (size_t shape = 0; shape < rows.size(); ++shape) {
        const RowColours& row = rows[shape];
        for (int a = 0; a < kColours; ++a) {
            s.mFaceContrast =
                std::min(s.mFaceContrast, datatest::ContrastRatio(row.mColour[a], row.mFace));
            for (int b = a + 1; b < kColours; ++b) {
                for (int v = 0; v < 3; ++v) {
                    const double d = datatest::Difference(row.mColour[a], row.mColour[b], visions[v]);
                    if (d < s.mDifference[v]) {
                        s.mDifference[v] = d;
                        s.mClosest[v] = std::string(kColourNames[a]) + "/" + kColourNames[b] +
                                        " " + kShapeNames[shape];
                    }
                }
                s.mContrast =
                    std::min(s.mContrast, datatest::ContrastRatio(row.mColour[a], row.mColour[b]));
            }
        }
    }
}

struct Thresholds {
    const char* mState;
    double mDifference; // CIEDE2000 between any two colours, every vision
    double mContrast;   // greyscale contrast ratio between any two colours
    double mFaceContrast;
};

void ExpectSeparated(const Separation& s, const Thresholds& t) {
    const char* const visionNames[3] = {"normal vision", "protanopia", "deuteranopia"};
    for (int v = 0; v < 3; ++v) {
        EXPECT_GE(s.mDifference[v], t.mDifference)
            << t.mState << ", " << visionNames[v] << ": " << s.mClosest[v];
        ::testing::Test::RecordProperty(std::string(t.mState) + " CIEDE2000 " + visionNames[v],
                                        std::to_string(s.mDifference[v]));
    }
    EXPECT_GE(s.mContrast, t.mContrast) << t.mState << ", greyscale between colours";
    EXPECT_GE(s.mFaceContrast, t.mFaceContrast) << t.mState << ", greyscale against the face";
    ::testing::Test::RecordProperty(std::string(t.mState) + " grey contrast",
                                    std::to_string(s.mContrast));
    ::testing::Test::RecordProperty(std::string(t.mState) + " grey contrast to face",
                                    std::to_string(s.mFaceContrast));
}

class CardArt : public ::testing::Test {
protected:
    void SetUp() override {
        mTiles = LoadPicture("tiles");
        mSelected = LoadPicture("tiles_selected");
        mHint = LoadPicture("tiles_hint");
        mSymbols = LoadPicture("symbols");
        mBoard = LoadPicture("board");
        ASSERT_TRUE(mTiles && mSelected && mHint && mSymbols && mBoard);
    }

    std::unique_ptr<ravix::MemoryImage> mTiles, mSelected, mHint, mSymbols, mBoard;
};

} // namespace

// Published CIEDE2000 pairs (Sharma, Wu and Dalal 2005) and sRGB reference colours: the measure
// the card checks rest on is computed right.
TEST(ColourDifference, MatchesPublishedValues) {
    const struct {
        datatest::Lab mFirst, mSecond;
        double mDifference;
    } pairs[] = {
        {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
        {{50, 0, 0}, {50, -1, 2}, 2.3669},
        {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
        {{50, 2.5, 0}, {61, -5, 29}, 22.8977},
        {{50, 2.5, 0}, {56, -27, -3}, 31.9030},
        {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    };
    for (const auto& p : pairs) {
        EXPECT_NEAR(datatest::Ciede2000(p.mFirst, p.mSecond), p.mDifference, 1e-4);
        EXPECT_NEAR(datatest::Ciede2000(p.mSecond, p.mFirst), p.mDifference, 1e-4);
    }
    const datatest::Lab red = datatest::ToLab({255, 0, 0});
    EXPECT_NEAR(red.mL, 53.24, 0.01);
    EXPECT_NEAR(red.mA, 80.09, 0.01);
    EXPECT_NEAR(red.mB, 67.20, 0.01);
    EXPECT_NEAR(datatest::ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    // Red and green that differ plainly for normal vision nearly meet for the red-green blind,
    // while blue and yellow stay apart.
    const Rgb rust{200, 90, 40}, olive{110, 140, 40};
    EXPECT_GT(datatest::Difference(rust, olive, Vision::Normal), 40);
    EXPECT_LT(datatest::Difference(rust, olive, Vision::Protanopia), 12);
    EXPECT_LT(datatest::Difference(rust, olive, Vision::Deuteranopia), 4);
    EXPECT_GT(datatest::Difference({30, 60, 200}, {230, 220, 40}, Vision::Deuteranopia), 40);
}

// Face up (plain and picked) and peeking, the colours keep apart. Thresholds: CIEDE2000 of at
// least 18 face up and 12 peeking between any two colours, for normal vision and the simulated
// protanopia and deuteranopia; in greyscale a contrast ratio of at least 2.0 (face up) and 1.25
// (peeking) between colours and 1.35 (face up) and 1.15 (peeking) between a colour and the card
// face. The peeking cards are measured over the board at the corner and in the middle of the
// largest grid.
TEST_F(CardArt, ColoursStayApartFaceUpAndPeeking) {
    Separation faceUp;
    Measure(SampleRows(*mTiles, *mTiles), faceUp);
    Measure(SampleRows(*mSelected, *mSelected), faceUp);
    ExpectSeparated(faceUp, {"face up", 18, 2.0, 1.35});

    Separation peeking;
    for (const auto& [x, y] : {std::pair{112, 113}, std::pair{368, 241}}) {
        const auto dimmed = Dimmed(*mTiles, *mBoard, x, y);
        Measure(SampleRows(*dimmed, *mTiles), peeking);
    }
    ExpectSeparated(peeking, {"peeking", 12, 1.25, 1.15});
}

// Every symbol's visible pixels (alpha 128 and more) lie at least 2 px inside every shape, so
// that the shape's colour shows all around the symbol.
TEST_F(CardArt, EverySymbolLiesInsideEveryShape) {
    std::vector<Mask> inside;
    for (int shape = 0; shape < kShapes; ++shape)
        inside.push_back(ShapeMask(*mTiles, shape).Eroded(2));
    std::ostringstream outside;
    for (int symbol = 0; symbol < kSymbols; ++symbol) {
        for (int shape = 0; shape < kShapes; ++shape) {
            int count = 0;
            for (int y = 0; y < kCell; ++y)
                for (int x = 0; x < kCell; ++x)
                    if (Channel(Pixel(*mSymbols, symbol * kCell + x, y), 24) >= 128 &&
                        !inside[shape].At(x, y))
                        ++count;
            if (count > 0)
                outside << " symbol " << symbol << " over the " << kShapeNames[shape] << ": "
                        << count << " px;";
        }
    }
    EXPECT_EQ(outside.str(), "");
}

// The hint's frame is cool where the picked card's is gold, on every cell, and the hinted card
// keeps the colours of the plain card.
TEST_F(CardArt, HintedCardLooksUnlikeAPickedOne) {
    Mask rim;
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x)
            rim.Set(x, y, std::min({x, y, kCell - 1 - x, kCell - 1 - y}) <= 4);
    for (int shape = 0; shape < kShapes; ++shape) {
        const Mask fill = ShapeMask(*mTiles, shape).Eroded(3);
        for (int colour = 0; colour < kColours; ++colour) {
            const int left = colour * kCell;
            const int top = shape * kCell;
            const Rgb hint = MeanColour(*mHint, left, top, rim);
            const Rgb picked = MeanColour(*mSelected, left, top, rim);
            const std::string where = std::string(kColourNames[colour]) + " " + kShapeNames[shape];
            EXPECT_GT(hint.mBlue, hint.mRed + 40) << where;
            EXPECT_GT(picked.mRed, picked.mBlue + 40) << where;
            for (Vision v : {Vision::Normal, Vision::Protanopia, Vision::Deuteranopia})
                EXPECT_GE(datatest::Difference(hint, picked, v), 25) << where;
            EXPECT_LT(datatest::Difference(MeanColour(*mHint, left, top, fill),
                                           MeanColour(*mTiles, left, top, fill), Vision::Normal),
                      1.0)
                << where;
        }
    }
}
