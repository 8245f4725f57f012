// What the X11 status window asks of the X server and of a key event:
// the primary monitor, properties a window manager sets, and what a key
// press is to the status window. Used only by the X11 display method.
#ifndef SCRPACK_STATUS_X11_QUERIES_H_
#define SCRPACK_STATUS_X11_QUERIES_H_

#include <X11/Xlib.h>

#include <cstdint>

#include "status/key_rules.h"

namespace scrpack {

struct ScreenRect {
  int x, y, width, height;
};

// The primary monitor's place on the screen (RandR 1.3), or the whole
// screen where there is no such thing.
ScreenRect primaryMonitor(Display* display);

// The left and top widths of the frame a window manager put around
// |window| (_NET_FRAME_EXTENTS); 0 without one.
void frameExtents(Display* display, Window window, Atom extentsAtom, int* left,
                  int* top);

// Whether |window|'s _NET_WM_STATE holds one of the two given atoms.
bool hasState(Display* display, Window window, Atom stateAtom, Atom first,
              Atom second);

// What a key is to the status window, by its keysym.
WindowKey windowKeyOf(KeySym symbol);

// The Unicode character a key press types, from XLookupString's result:
// Latin-1 text is Unicode's first 256 code points, and Unicode keysyms
// carry theirs. kNoCharacter when it types none.
uint32_t characterOf(KeySym symbol, const char* typed, int count);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_X11_QUERIES_H_
