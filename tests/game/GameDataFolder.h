#pragma once

#include "files/ImageLib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarnwick::testing {

// The game's data folder for the tests that run the whole program: the data the build makes
// when it is there, else a stand-in made in the scratch folder with the real names, manifest
// groups and picture sizes (plain pictures, a system font, a short tone for every sound) and two
// levels: 4 x 3 from 2 colours, 2 shapes and 3 symbols, and 9 x 6 from 3, 3 and 6.
class GameDataFolder {
public:
    explicit GameDataFolder(const std::string& scratch) {
#ifdef TARNWICK_DATA_DIR
        if (std::filesystem::exists(std::string(TARNWICK_DATA_DIR) + "/Properties/Levels.txt")) {
            mFolder = TARNWICK_DATA_DIR;
            mReal = true;
            return;
        }
#endif
        mFolder = scratch + "/data";
        MakeStandIn();
    }

    const std::string& Path() const { return mFolder; }
    bool IsReal() const { return mReal; }

private:
    struct Picture {
        const char* mId;
        const char* mFile;
        int mWidth;
        int mHeight;
        int mColumns;
        int mRows;
        const char* mGroup;
    };

    void MakeStandIn() {
        static constexpr Picture kPictures[] = {
            {"IMAGE_LOGO", "title", 800, 600, 1, 1, "Init"},
            {"IMAGE_MENU_PLAY", "menu_play", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_SCORES", "menu_scores", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_EXIT", "menu_exit", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_BEGINNER", "menu_beginner", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_EASY", "menu_easy", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_NORMAL", "menu_normal", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_HARD", "menu_hard", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_RESUME", "menu_resume", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_NEW", "menu_new", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_OPTIONS", "menu_options", 260, 100, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_LOGO", "menu_logo", 200, 80, 1, 2, "TitleScreen"},
            {"IMAGE_MENU_LOGO2", "menu_logo_glow", 200, 40, 1, 1, "TitleScreen"},
            {"IMAGE_BKG", "board", 800, 600, 1, 1, "Game"},
            {"IMAGE_BTN_CANCEL", "button_cancel", 84, 72, 1, 2, "Game"},
            {"IMAGE_BTN_OK", "button_ok", 84, 72, 1, 2, "Game"},
            {"IMAGE_CHECKBOX", "checkbox", 48, 24, 2, 1, "Game"},
            {"IMAGE_CLOSE_BTN", "button_close", 16, 32, 1, 2, "Game"},
            {"IMAGE_DIALOG_OPTIONS", "options_dialog", 400, 330, 1, 1, "Game"},
            {"IMAGE_HELP", "help", 800, 600, 1, 1, "Game"},
            {"IMAGE_HELP_BTN", "button_help", 40, 80, 1, 2, "Game"},
            {"IMAGE_MENU_BTN", "button_menu", 120, 64, 1, 2, "Game"},
            {"IMAGE_MIN_BTN", "button_minimize", 16, 32, 1, 2, "Game"},
            {"IMAGE_OPTIONS_BTN", "button_options", 40, 80, 1, 2, "Game"},
            {"IMAGE_PAUSE", "pause", 800, 600, 1, 1, "Game"},
            {"IMAGE_SCORES_BKG", "scores", 800, 600, 1, 1, "Game"},
            {"IMAGE_SLIDER_THUMB", "slider_thumb", 20, 28, 1, 1, "Game"},
            {"IMAGE_SLIDER_TRACK", "slider_track", 200, 24, 1, 1, "Game"},
            {"IMAGE_SYMBOLS", "symbols", 512, 64, 8, 1, "Game"},
            {"IMAGE_TILES", "tiles", 192, 256, 3, 4, "Game"},
            {"IMAGE_TILES_SEL", "tiles_selected", 192, 256, 3, 4, "Game"},
            {"IMAGE_TILES_HINT", "tiles_hint", 192, 256, 3, 4, "Game"},
            {"IMAGE_UNKNOWN", "card_back", 64, 64, 1, 1, "Game"},
        };
        static constexpr const char* kSounds[][2] = {
            {"SOUND_BTN", "button"}, {"SOUND_CLICK", "click"}, {"SOUND_SCORE", "score"},
            {"SOUND_ERROR", "error"}, {"SOUND_GAME_END", "game_end"}};
        std::filesystem::create_directories(mFolder + "/images");
        std::filesystem::create_directories(mFolder + "/sounds");
        std::string groups[3];
        auto groupIndex = [](const std::string& group) {
            return group == "Init" ? 0 : group == "TitleScreen" ? 1 : 2;
        };
        uint32_t shade = 0xFF203040;
        for (const Picture& picture : kPictures) {
            std::vector<uint32_t> pixels(static_cast<size_t>(picture.mWidth) * picture.mHeight,
                                         shade);
            shade += 0x00050307;
            const std::string path = "images/" + std::string(picture.mFile) + ".png";
            EXPECT_TRUE(ravix::ImageLib::WritePNG(mFolder + "/" + path, pixels.data(),
                                                  picture.mWidth, picture.mHeight));
            groups[groupIndex(picture.mGroup)] +=
                "<Image id=\"" + std::string(picture.mId) + "\" path=\"" + path + "\" cols=\"" +
                std::to_string(picture.mColumns) + "\" rows=\"" + std::to_string(picture.mRows) +
                "\"/>\n";
        }
        const std::string tone = ReadFile(std::string(TARNWICK_TEST_DIR) + "/audio/fixtures/tone.wav");
        for (const auto& sound : kSounds) {
            const std::string path = "sounds/" + std::string(sound[1]) + ".wav";
            WriteFile(mFolder + "/" + path, tone);
            groups[1] += "<Sound id=\"" + std::string(sound[0]) + "\" path=\"" + path + "\"/>\n";
        }
        for (const auto& [id, size] :
             {std::pair{"FONT_DEFAULT", 24}, std::pair{"FONT_SMALL", 20}, std::pair{"FONT_MICRO", 13}}) {
            groups[2] += "<Font id=\"" + std::string(id) + "\" path=\"!sys:DejaVu Sans\" size=\"" +
                         std::to_string(size) + "\"/>\n";
        }
        WriteFile(mFolder + "/properties/resources.xml",
                  "<ResourceManifest>\n<Resources id=\"Init\">\n" + groups[0] +
                      "</Resources>\n<Resources id=\"TitleScreen\">\n" + groups[1] +
                      "</Resources>\n<Resources id=\"Game\">\n" + groups[2] +
                      "</Resources>\n</ResourceManifest>\n");
        WriteFile(mFolder + "/Properties/Levels.txt",
                  "1\n#level 0 #cols 4 #rows 3 #colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2\n"
                  "#level 1 #cols 9 #rows 6 #colors 3 0 1 2 #shapes 3 0 1 2 "
                  "#symbols 6 0 1 2 3 4 5\n");
        WriteFile(mFolder + "/about.html", "<html><body>Tarnwick</body></html>\n");
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    static void WriteFile(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    std::string mFolder;
    bool mReal = false;
};

} // namespace tarnwick::testing
