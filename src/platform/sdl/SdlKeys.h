#pragma once

#include <SDL.h>

namespace ravix {

// The virtual-key code of an SDL key: letters by their upper-case ASCII code, digits by theirs,
// Tab 9, Enter 13, Shift 16, Ctrl 17, Alt 18, Pause 19, Escape 27, F1-F12 112-123 and so on.
// Letters that the keyboard layout does not give as Latin letters are taken from the key's
// position. 0 for keys without a code.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

} // namespace ravix
