#pragma once

#include <string>

namespace ravix {
class Font;
class Image;
class ResourceManager;
} // namespace ravix

// The game's resources, bound by id after their group has loaded. Images and fonts point into
// the resource manager, which keeps them until their group is released; sounds are the sound
// manager's ids for PlayEffect.
namespace tarnwick {

// Group "Init".
extern ravix::Image* IMAGE_LOGO;

// Group "TitleScreen".
extern ravix::Image* IMAGE_MENU_BEGINNER;
extern ravix::Image* IMAGE_MENU_EASY;
extern ravix::Image* IMAGE_MENU_EXIT;
extern ravix::Image* IMAGE_MENU_HARD;
extern ravix::Image* IMAGE_MENU_LOGO;
extern ravix::Image* IMAGE_MENU_LOGO2;
extern ravix::Image* IMAGE_MENU_NEW;
extern ravix::Image* IMAGE_MENU_NORMAL;
extern ravix::Image* IMAGE_MENU_OPTIONS;
extern ravix::Image* IMAGE_MENU_PLAY;
extern ravix::Image* IMAGE_MENU_RESUME;
extern ravix::Image* IMAGE_MENU_SCORES;
extern int SOUND_BTN;
extern int SOUND_CLICK;
extern int SOUND_ERROR;
extern int SOUND_GAME_END;
extern int SOUND_SCORE;

// Group "Game".
extern ravix::Image* IMAGE_BKG;
extern ravix::Image* IMAGE_BTN_CANCEL;
extern ravix::Image* IMAGE_BTN_OK;
extern ravix::Image* IMAGE_CHECKBOX;
extern ravix::Image* IMAGE_CLOSE_BTN;
extern ravix::Image* IMAGE_DIALOG_OPTIONS;
extern ravix::Image* IMAGE_HELP;
extern ravix::Image* IMAGE_HELP_BTN;
extern ravix::Image* IMAGE_MENU_BTN;
extern ravix::Image* IMAGE_MIN_BTN;
extern ravix::Image* IMAGE_OPTIONS_BTN;
extern ravix::Image* IMAGE_PAUSE;
extern ravix::Image* IMAGE_SCORES_BKG;
extern ravix::Image* IMAGE_SLIDER_THUMB;
extern ravix::Image* IMAGE_SLIDER_TRACK;
extern ravix::Image* IMAGE_SYMBOLS;
extern ravix::Image* IMAGE_TILES;
extern ravix::Image* IMAGE_TILES_SEL;
// The look of a hinted card while it blinks, unlike the frame of a picked one.
extern ravix::Image* IMAGE_TILES_HINT;
extern ravix::Image* IMAGE_UNKNOWN;
extern ravix::Font* FONT_DEFAULT;
extern ravix::Font* FONT_MICRO;
extern ravix::Font* FONT_SMALL;

// Each looks up the ids of its group in the order above and returns false at the first that is
// missing (the resource manager records the error text).
[[nodiscard]] bool ExtractInitResources(ravix::ResourceManager& manager);
[[nodiscard]] bool ExtractTitleScreenResources(ravix::ResourceManager& manager);
[[nodiscard]] bool ExtractGameResources(ravix::ResourceManager& manager);

} // namespace tarnwick
