#include "platform/sdl/X11WindowHints.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace ravix {

void ClearRootTransientHint(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    const ::Window xWindow = info.info.x11.window;
    XInternAtom(display, "_MOTIF_WM_HINTS", False);
    ::Window owner = 0;
    XWindowAttributes attributes{};
    if (XGetTransientForHint(display, xWindow, &owner) != 0 &&
        XGetWindowAttributes(display, xWindow, &attributes) != 0 && owner == attributes.root) {
        XDeleteProperty(display, xWindow, XA_WM_TRANSIENT_FOR);
        XSync(display, False); // processed before anyone else asks for the window's properties
    }
#else
    (void)window;
#endif
}

} // namespace ravix
