// The keyboard messages of the Win32 status window, by the window's key
// rules: typed characters and keys without one enter their codes, the Alt
// rules swallow or pass on, Alt+Enter asks for the full-screen switch.
// Used only by the Win32 display method, on the window thread.
#ifndef SCRPACK_STATUS_WIN32_KEYS_H_
#define SCRPACK_STATUS_WIN32_KEYS_H_

#include <windows.h>

namespace scrpack {

class DisplayEvents;

// Handles WM_CHAR, WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP and WM_SYSCHAR,
// reporting to |events| when it is not null. False when the message must
// go on to the system's default handling.
bool handleKeyMessage(UINT message, WPARAM wParam, LPARAM lParam,
                      DisplayEvents* events);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_WIN32_KEYS_H_
