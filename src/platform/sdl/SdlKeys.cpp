#include "platform/sdl/SdlKeys.h"

#include "platform/KeyCodes.h"

#include <utility>

namespace ravix {

namespace {

// Keys whose code does not follow from their character.
constexpr std::pair<SDL_Keycode, int> kKeyTable[] = {
    {SDLK_BACKSPACE, kKeyBackspace},
    {SDLK_TAB, kKeyTab},
    {SDLK_CLEAR, 12},
    {SDLK_RETURN, kKeyEnter},
    {SDLK_KP_ENTER, kKeyEnter},
    {SDLK_LSHIFT, kKeyShift},
    {SDLK_RSHIFT, kKeyShift},
    {SDLK_LCTRL, kKeyControl},
    {SDLK_RCTRL, kKeyControl},
    {SDLK_LALT, kKeyAlt},
    {SDLK_RALT, kKeyAlt},
    {SDLK_PAUSE, kKeyPause},
    {SDLK_CAPSLOCK, 20},
    {SDLK_ESCAPE, kKeyEscape},
    {SDLK_SPACE, kKeySpace},
    {SDLK_PAGEUP, kKeyPageUp},
    {SDLK_PAGEDOWN, kKeyPageDown},
    {SDLK_END, kKeyEnd},
    {SDLK_HOME, kKeyHome},
    {SDLK_LEFT, kKeyLeft},
    {SDLK_UP, kKeyUp},
    {SDLK_RIGHT, kKeyRight},
    {SDLK_DOWN, kKeyDown},
    {SDLK_PRINTSCREEN, 44},
    {SDLK_INSERT, 45},
    {SDLK_DELETE, kKeyDelete},
    {SDLK_LGUI, 91},
    {SDLK_RGUI, 92},
    {SDLK_APPLICATION, 93},
    {SDLK_KP_0, 96},
    {SDLK_KP_1, 97},
    {SDLK_KP_2, 98},
    {SDLK_KP_3, 99},
    {SDLK_KP_4, 100},
    {SDLK_KP_5, 101},
    {SDLK_KP_6, 102},
    {SDLK_KP_7, 103},
    {SDLK_KP_8, 104},
    {SDLK_KP_9, 105},
    {SDLK_KP_MULTIPLY, 106},
    {SDLK_KP_PLUS, 107},
    {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, 111},
    {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, 145},
    {SDLK_SEMICOLON, 186},
    {SDLK_EQUALS, 187},
    {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},
    {SDLK_PERIOD, 190},
    {SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219},
    {SDLK_BACKSLASH, 220},
    {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},
};

} // namespace

int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return '0' + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return kKeyF1 + (key - SDLK_F1);
    }
    if (key >= SDLK_F13 && key <= SDLK_F24) {
        return kKeyF1 + 12 + (key - SDLK_F13);
    }
    for (const auto& [sdlKey, code] : kKeyTable) {
        if (sdlKey == key) {
            return code;
        }
    }
    // A layout without Latin letters: the letter keys keep the codes of their positions.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + (scancode - SDL_SCANCODE_1);
    }
    if (scancode == SDL_SCANCODE_0) {
        return '0';
    }
    return 0;
}

} // namespace ravix
