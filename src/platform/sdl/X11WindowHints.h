#pragma once

struct SDL_Window;

namespace ravix {

// SDL tells the window manager about a window's border with the _MOTIF_WM_HINTS property; when
// the X server does not know that atom yet (no window manager has asked for it, as on a bare
// server) SDL marks the window transient for the root window instead, and window managers, task
// bars and pagers then take the game's window for a dialog of the desktop. Makes the atom, so
// that later windows get the border hint, and removes the mark from this window. Does nothing
// on other window systems.
void ClearRootTransientHint(SDL_Window* window);

} // namespace ravix
