#include "game/GameResources.h"

#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"
#include "resources/ResourceManagerException.h"

namespace tarnwick {

ravix::Image* IMAGE_LOGO = nullptr;
ravix::Image* IMAGE_MENU_BEGINNER = nullptr;
ravix::Image* IMAGE_MENU_EASY = nullptr;
ravix::Image* IMAGE_MENU_EXIT = nullptr;
ravix::Image* IMAGE_MENU_HARD = nullptr;
ravix::Image* IMAGE_MENU_LOGO = nullptr;
ravix::Image* IMAGE_MENU_LOGO2 = nullptr;
ravix::Image* IMAGE_MENU_NEW = nullptr;
ravix::Image* IMAGE_MENU_NORMAL = nullptr;
ravix::Image* IMAGE_MENU_OPTIONS = nullptr;
ravix::Image* IMAGE_MENU_PLAY = nullptr;
ravix::Image* IMAGE_MENU_RESUME = nullptr;
ravix::Image* IMAGE_MENU_SCORES = nullptr;
int SOUND_BTN = -1;
int SOUND_CLICK = -1;
int SOUND_ERROR = -1;
int SOUND_GAME_END = -1;
int SOUND_SCORE = -1;
ravix::Image* IMAGE_BKG = nullptr;
ravix::Image* IMAGE_BTN_CANCEL = nullptr;
ravix::Image* IMAGE_BTN_OK = nullptr;
ravix::Image* IMAGE_CHECKBOX = nullptr;
ravix::Image* IMAGE_CLOSE_BTN = nullptr;
ravix::Image* IMAGE_DIALOG_OPTIONS = nullptr;
ravix::Image* IMAGE_HELP = nullptr;
ravix::Image* IMAGE_HELP_BTN = nullptr;
ravix::Image* IMAGE_MENU_BTN = nullptr;
ravix::Image* IMAGE_MIN_BTN = nullptr;
ravix::Image* IMAGE_OPTIONS_BTN = nullptr;
ravix::Image* IMAGE_PAUSE = nullptr;
ravix::Image* IMAGE_SCORES_BKG = nullptr;
ravix::Image* IMAGE_SLIDER_THUMB = nullptr;
ravix::Image* IMAGE_SLIDER_TRACK = nullptr;
ravix::Image* IMAGE_SYMBOLS = nullptr;
ravix::Image* IMAGE_TILES = nullptr;
ravix::Image* IMAGE_TILES_SEL = nullptr;
ravix::Image* IMAGE_TILES_HINT = nullptr;
ravix::Image* IMAGE_UNKNOWN = nullptr;
ravix::Font* FONT_DEFAULT = nullptr;
ravix::Font* FONT_MICRO = nullptr;
ravix::Font* FONT_SMALL = nullptr;

namespace {

// A lookup of a missing id records the error and throws; the extractors turn that into false.
template <class Body>
bool Extract(Body body) {
    try {
        body();
        return true;
    } catch (const ravix::ResourceManagerException&) {
        return false;
    }
}

} // namespace

bool ExtractInitResources(ravix::ResourceManager& manager) {
    return Extract([&] {
        IMAGE_LOGO = manager.LookupImage("IMAGE_LOGO").get();
    });
}

bool ExtractTitleScreenResources(ravix::ResourceManager& manager) {
    return Extract([&] {
        IMAGE_MENU_BEGINNER = manager.LookupImage("IMAGE_MENU_BEGINNER").get();
        IMAGE_MENU_EASY = manager.LookupImage("IMAGE_MENU_EASY").get();
        IMAGE_MENU_EXIT = manager.LookupImage("IMAGE_MENU_EXIT").get();
        IMAGE_MENU_HARD = manager.LookupImage("IMAGE_MENU_HARD").get();
        IMAGE_MENU_LOGO = manager.LookupImage("IMAGE_MENU_LOGO").get();
        IMAGE_MENU_LOGO2 = manager.LookupImage("IMAGE_MENU_LOGO2").get();
        IMAGE_MENU_NEW = manager.LookupImage("IMAGE_MENU_NEW").get();
        IMAGE_MENU_NORMAL = manager.LookupImage("IMAGE_MENU_NORMAL").get();
        IMAGE_MENU_OPTIONS = manager.LookupImage("IMAGE_MENU_OPTIONS").get();
        IMAGE_MENU_PLAY = manager.LookupImage("IMAGE_MENU_PLAY").get();
        IMAGE_MENU_RESUME = manager.LookupImage("IMAGE_MENU_RESUME").get();
        IMAGE_MENU_SCORES = manager.LookupImage("IMAGE_MENU_SCORES").get();
        SOUND_BTN = manager.LookupSound("SOUND_BTN");
        SOUND_CLICK = manager.LookupSound("SOUND_CLICK");
        SOUND_ERROR = manager.LookupSound("SOUND_ERROR");
        SOUND_GAME_END = manager.LookupSound("SOUND_GAME_END");
        SOUND_SCORE = manager.LookupSound("SOUND_SCORE");
    });
}

bool ExtractGameResources(ravix::ResourceManager& manager) {
    return Extract([&] {
        IMAGE_BKG = manager.LookupImage("IMAGE_BKG").get();
        IMAGE_BTN_CANCEL = manager.LookupImage("IMAGE_BTN_CANCEL").get();
        IMAGE_BTN_OK = manager.LookupImage("IMAGE_BTN_OK").get();
        IMAGE_CHECKBOX = manager.LookupImage("IMAGE_CHECKBOX").get();
        IMAGE_CLOSE_BTN = manager.LookupImage("IMAGE_CLOSE_BTN").get();
        IMAGE_DIALOG_OPTIONS = manager.LookupImage("IMAGE_DIALOG_OPTIONS").get();
        IMAGE_HELP = manager.LookupImage("IMAGE_HELP").get();
        IMAGE_HELP_BTN = manager.LookupImage("IMAGE_HELP_BTN").get();
        IMAGE_MENU_BTN = manager.LookupImage("IMAGE_MENU_BTN").get();
        IMAGE_MIN_BTN = manager.LookupImage("IMAGE_MIN_BTN").get();
        IMAGE_OPTIONS_BTN = manager.LookupImage("IMAGE_OPTIONS_BTN").get();
        IMAGE_PAUSE = manager.LookupImage("IMAGE_PAUSE").get();
        IMAGE_SCORES_BKG = manager.LookupImage("IMAGE_SCORES_BKG").get();
        IMAGE_SLIDER_THUMB = manager.LookupImage("IMAGE_SLIDER_THUMB").get();
        IMAGE_SLIDER_TRACK = manager.LookupImage("IMAGE_SLIDER_TRACK").get();
        IMAGE_SYMBOLS = manager.LookupImage("IMAGE_SYMBOLS").get();
        IMAGE_TILES = manager.LookupImage("IMAGE_TILES").get();
        IMAGE_TILES_SEL = manager.LookupImage("IMAGE_TILES_SEL").get();
        IMAGE_TILES_HINT = manager.LookupImage("IMAGE_TILES_HINT").get();
        IMAGE_UNKNOWN = manager.LookupImage("IMAGE_UNKNOWN").get();
        FONT_DEFAULT = manager.LookupFont("FONT_DEFAULT");
        FONT_MICRO = manager.LookupFont("FONT_MICRO");
        FONT_SMALL = manager.LookupFont("FONT_SMALL");
    });
}

} // namespace tarnwick
