// The game's data as the build makes it: every group of the real manifest loads through the
// real resource manager, from the data folder and from main.pak alone, every id binds, and the
// pictures have the geometry the game's drawing and the levels rely on.
#include "app/AppTestSupport.h"
#include "audio/ALDevice.h"
#include "audio/ALSoundManager.h"
#include "files/PakFormat.h"
#include "files/PakInterface.h"
#include "files/PakTestSupport.h"
#include "game/GameResources.h"
#include "game/LevelsFile.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using ravix::ResourceManager;

const fs::path kDataFolder = TARNWICK_DATA_DIR;

// Puts a file layer of its own (with main.pak mounted) in the process-wide slot, so that the
// archive is read alone and nothing stays mounted for other tests.
class ScopedPakLayer {
public:
    explicit ScopedPakLayer(const std::string& archive) : mSaved(ravix::gPakInterfaceSlot) {
        mMounted = mLayer.MountArchive(archive);
        ravix::gPakInterfaceSlot = &mLayer;
    }
    ~ScopedPakLayer() { ravix::gPakInterfaceSlot = mSaved; }
    ScopedPakLayer(const ScopedPakLayer&) = delete;
    ScopedPakLayer& operator=(const ScopedPakLayer&) = delete;

    bool Mounted() const { return mMounted; }
    ravix::PakInterface& Layer() { return mLayer; }

private:
    ravix::PakInterfaceBase* mSaved;
    ravix::PakInterface mLayer;
    bool mMounted = false;
};

// A headless application whose sounds are decoded into a loopback device nobody hears.
class DataApp : public ravix::testing::HeadlessApp {
public:
    DataApp() {
        mSounds = std::make_unique<ravix::ALSoundManager>(ravix::ALDevice::OpenLoopback(44100), "");
    }
    ResourceManager& Resources() { return *mResources; }
};

// Reads the manifest and loads and binds the three groups in the program's order; returns the
// first failure's text, empty when everything loaded.
std::string LoadAndBindEverything(ResourceManager& resources) {
    if (!resources.ParseManifest("properties/resources.xml"))
        return resources.ErrorText();
    const struct {
        const char* group;
        bool (*bind)(ResourceManager&);
    } groups[] = {{"Init", tarnwick::ExtractInitResources},
                  {"TitleScreen", tarnwick::ExtractTitleScreenResources},
                  {"Game", tarnwick::ExtractGameResources}};
    for (const auto& g : groups)
        if (!resources.LoadResourceGroup(g.group) || !g.bind(resources))
            return std::string(g.group) + ": " + resources.ErrorText();
    return "";
}

struct ImageGeometry {
    const char* id;
    int width;
    int height;
    int columns;
    int rows;
};

// Every picture's size and cells as the game's drawing places them.
const ImageGeometry kImages[] = {
    {"IMAGE_LOGO", 800, 600, 1, 1},           {"IMAGE_MENU_PLAY", 260, 100, 1, 2},
    {"IMAGE_MENU_SCORES", 260, 100, 1, 2},    {"IMAGE_MENU_EXIT", 260, 100, 1, 2},
    {"IMAGE_MENU_BEGINNER", 260, 100, 1, 2},  {"IMAGE_MENU_EASY", 260, 100, 1, 2},
    {"IMAGE_MENU_NORMAL", 260, 100, 1, 2},    {"IMAGE_MENU_HARD", 260, 100, 1, 2},
    {"IMAGE_MENU_RESUME", 260, 100, 1, 2},    {"IMAGE_MENU_NEW", 260, 100, 1, 2},
    {"IMAGE_MENU_OPTIONS", 260, 100, 1, 2},   {"IMAGE_MENU_LOGO", 200, 80, 1, 2},
    {"IMAGE_MENU_LOGO2", 200, 40, 1, 1},      {"IMAGE_TILES", 192, 256, 3, 4},
    {"IMAGE_TILES_SEL", 192, 256, 3, 4},      {"IMAGE_TILES_HINT", 192, 256, 3, 4},
    {"IMAGE_SYMBOLS", 512, 64, 8, 1},
    {"IMAGE_UNKNOWN", 64, 64, 1, 1},          {"IMAGE_BKG", 800, 600, 1, 1},
    {"IMAGE_HELP", 800, 600, 1, 1},           {"IMAGE_PAUSE", 800, 600, 1, 1},
    {"IMAGE_MENU_BTN", 120, 64, 1, 2},        {"IMAGE_HELP_BTN", 40, 80, 1, 2},
    {"IMAGE_OPTIONS_BTN", 40, 80, 1, 2},      {"IMAGE_MIN_BTN", 16, 32, 1, 2},
    {"IMAGE_CLOSE_BTN", 16, 32, 1, 2},        {"IMAGE_SCORES_BKG", 800, 600, 1, 1},
    {"IMAGE_DIALOG_OPTIONS", 400, 330, 1, 1}, {"IMAGE_BTN_OK", 84, 72, 1, 2},
    {"IMAGE_BTN_CANCEL", 84, 72, 1, 2},       {"IMAGE_CHECKBOX", 48, 24, 2, 1},
    {"IMAGE_SLIDER_TRACK", 200, 24, 1, 1},    {"IMAGE_SLIDER_THUMB", 20, 28, 1, 1},
};

void ExpectImageGeometry(ResourceManager& resources) {
    for (const ImageGeometry& expected : kImages) {
        std::shared_ptr<ravix::MemoryImage> image = resources.LookupImage(expected.id);
        ASSERT_TRUE(image) << expected.id;
        EXPECT_EQ(image->GetWidth(), expected.width) << expected.id;
        EXPECT_EQ(image->GetHeight(), expected.height) << expected.id;
        EXPECT_EQ(image->mCellColumns, expected.columns) << expected.id;
        EXPECT_EQ(image->mCellRows, expected.rows) << expected.id;
        // Two-look buttons are cut in half and cells must divide the picture exactly.
        EXPECT_EQ(image->GetWidth() % image->mCellColumns, 0) << expected.id;
        EXPECT_EQ(image->GetHeight() % image->mCellRows, 0) << expected.id;
        if (expected.rows == 2) {
            EXPECT_EQ(image->GetHeight() % 2, 0) << expected.id;
        }
    }
    EXPECT_EQ(resources.LookupImage("IMAGE_CHECKBOX")->GetWidth() % 2, 0);
}

// The options dialog's controls lie inside its picture.
void ExpectOptionsControlsFit(ResourceManager& resources) {
    const auto dialog = resources.LookupImage("IMAGE_DIALOG_OPTIONS");
    const auto track = resources.LookupImage("IMAGE_SLIDER_TRACK");
    const auto thumb = resources.LookupImage("IMAGE_SLIDER_THUMB");
    const auto ok = resources.LookupImage("IMAGE_BTN_OK");
    const auto cancel = resources.LookupImage("IMAGE_BTN_CANCEL");
    const auto checkbox = resources.LookupImage("IMAGE_CHECKBOX");
    const struct {
        const char* control;
        int right;
        int bottom;
    } controls[] = {
        {"music slider", 167 + track->GetWidth() - 2, 79 + thumb->GetHeight()},
        {"effects slider", 167 + track->GetWidth() - 2, 159 + thumb->GetHeight()},
        {"OK", 113 + ok->GetWidth(), 270 + ok->GetHeight() / 2},
        {"cancel", 203 + cancel->GetWidth(), 270 + cancel->GetHeight() / 2},
        {"full screen", 121 + checkbox->GetWidth() / 2, 213 + checkbox->GetHeight()},
    };
    for (const auto& c : controls) {
        EXPECT_LE(c.right, dialog->GetWidth()) << c.control;
        EXPECT_LE(c.bottom, dialog->GetHeight()) << c.control;
    }
    // The cancel button lies right of OK without overlapping it.
    EXPECT_LE(113 + ok->GetWidth(), 203);
}

// Every level's values have cells in the card pictures.
void ExpectLevelsFitThePictures(ResourceManager& resources) {
    tarnwick::LevelsFile levels;
    std::string error;
    ASSERT_TRUE(
        tarnwick::ReadLevelsFile((kDataFolder / "Properties/Levels.txt").string(), levels, error))
        << error;
    const auto tiles = resources.LookupImage("IMAGE_TILES");
    const auto symbols = resources.LookupImage("IMAGE_SYMBOLS");
    EXPECT_EQ(tiles->mCellColumns, 3); // a tile's cell is colour + 3 x shape
    const tarnwick::LevelPictureCells cells{tiles->mCellColumns, tiles->mCellRows,
                                            symbols->mCellColumns * symbols->mCellRows};
    EXPECT_EQ(tarnwick::CheckLevels(levels, cells), std::vector<std::string>());
    EXPECT_GE(levels.mLevels.size(), 8u);
}

// The score and the clock change every second: digits of one width keep them from jittering,
// and every printable character has a glyph.
void ExpectFontsDrawText(ResourceManager& resources) {
    for (const char* id : {"FONT_DEFAULT", "FONT_SMALL", "FONT_MICRO"}) {
        ravix::Font* font = resources.LookupFont(id);
        ASSERT_NE(font, nullptr) << id;
        EXPECT_GT(font->GetAscent(), 0) << id;
        EXPECT_GE(font->GetHeight(), font->GetAscent()) << id;
        for (char c = '0'; c <= '9'; ++c)
            EXPECT_EQ(font->CharWidth(c), font->CharWidth('0')) << id << " " << c;
        for (char c = ' '; c <= '~'; ++c)
            EXPECT_GT(font->CharWidth(c), 0) << id << " " << c;
    }
}

void ExpectGameData(ResourceManager& resources) {
    ExpectImageGeometry(resources);
    ExpectOptionsControlsFit(resources);
    ExpectLevelsFitThePictures(resources);
    ExpectFontsDrawText(resources);
    for (const char* id :
         {"SOUND_BTN", "SOUND_CLICK", "SOUND_SCORE", "SOUND_ERROR", "SOUND_GAME_END"})
        EXPECT_GE(resources.LookupSound(id), 0) << id;
}

TEST(GameDataTest, EveryGroupLoadsFromTheDataFolder) {
    ASSERT_NE(ravix::ALDevice::OpenLoopback(44100), nullptr) << "sounds need a loopback device";
    paktest::ScopedWorkingDirectory cwd(kDataFolder);
    ScopedPakLayer nothingMounted(""); // loose files only, even if another test mounted a pak
    DataApp app;
    ASSERT_EQ(LoadAndBindEverything(app.Resources()), "");
    ExpectGameData(app.Resources());
    EXPECT_TRUE(fs::is_regular_file("Music/Music.ogg"));
    EXPECT_TRUE(fs::is_regular_file("about.html"));
}

TEST(GameDataTest, EveryGroupLoadsFromMainPakAlone) {
    ASSERT_NE(ravix::ALDevice::OpenLoopback(44100), nullptr) << "sounds need a loopback device";
    paktest::TempFolder folder;
    fs::copy_file(kDataFolder / "main.pak", folder.Path() / "main.pak");
    paktest::ScopedWorkingDirectory cwd(folder.Path());
    ScopedPakLayer pak("main.pak");
    ASSERT_TRUE(pak.Mounted());
    DataApp app;
    ASSERT_EQ(LoadAndBindEverything(app.Resources()), "");
    ExpectGameData(app.Resources());
    // The music is streamed through the file layer too; the levels and the information page
    // are ordinary files beside the archive.
    EXPECT_NE(pak.Layer().FindEntry("Music/Music.ogg"), nullptr);
    EXPECT_EQ(pak.Layer().FindEntry("Properties/Levels.txt"), nullptr);
}

// The archive holds exactly the loose files the file layer reads, byte for byte.
TEST(GameDataTest, MainPakHoldsTheLooseFiles) {
    ScopedPakLayer pak((kDataFolder / "main.pak").string());
    ASSERT_TRUE(pak.Mounted());
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kDataFolder)) {
        const std::string name = fs::relative(entry.path(), kDataFolder).generic_string();
        if (!entry.is_regular_file() || name == "main.pak" || name == "about.html" ||
            name == "Properties/Levels.txt")
            continue;
        ravix::PakFile* file = pak.Layer().OpenFile(name.c_str(), "rb");
        ASSERT_NE(file, nullptr) << name;
        const std::string disk = paktest::ReadFile(entry.path());
        std::string archived(disk.size() + 1, '\0');
        archived.resize(pak.Layer().ReadBytes(archived.data(), 1, archived.size(), file));
        pak.Layer().CloseFile(file);
        EXPECT_TRUE(pak.Layer().FindEntry(name) != nullptr) << name << " is read from disk";
        EXPECT_EQ(archived, disk) << name;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

} // namespace
