// Xlib and RandR, loaded at run time by the first attempt to reach an X
// server instead of linked: a run without a display never maps them.
//
// The X11 display code includes this in place of the X11 headers and calls
// the functions under their usual names; each name below stands for the
// function found in the loaded library. Call loadX11Library() first.
#ifndef SCRPACK_STATUS_X11_LIBRARY_H_
#define SCRPACK_STATUS_X11_LIBRARY_H_

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

namespace scrpack {

// Every library function the X11 display code calls.
#define SCRPACK_X11_FUNCTIONS(F) \
  F(XAllocSizeHints)             \
  F(XAllocWMHints)               \
  F(XChangeProperty)             \
  F(XCloseDisplay)               \
  F(XCreateFontCursor)           \
  F(XCreateGC)                   \
  F(XCreateImage)                \
  F(XCreateWindow)               \
  F(XDestroyWindow)              \
  F(XFlush)                      \
  F(XFree)                       \
  F(XFreeCursor)                 \
  F(XFreeGC)                     \
  F(XGetScreenSaver)             \
  F(XGetWindowProperty)          \
  F(XGrabKeyboard)               \
  F(XInitThreads)                \
  F(XInternAtoms)                \
  F(XLookupString)               \
  F(XMapRaised)                  \
  F(XNextEvent)                  \
  F(XOpenDisplay)                \
  F(XPending)                    \
  F(XPutImage)                   \
  F(XRefreshKeyboardMapping)     \
  F(XSetClassHint)               \
  F(XSetErrorHandler)            \
  F(XSetIOErrorExitHandler)      \
  F(XSetIOErrorHandler)          \
  F(XSetInputFocus)              \
  F(XSetScreenSaver)             \
  F(XSetWMHints)                 \
  F(XSetWMNormalHints)           \
  F(XSetWMProtocols)             \
  F(XStoreName)                  \
  F(XSync)                       \
  F(XTranslateCoordinates)
#define SCRPACK_XRANDR_FUNCTIONS(F) \
  F(XRRFreeCrtcInfo)                \
  F(XRRFreeOutputInfo)              \
  F(XRRFreeScreenResources)         \
  F(XRRGetCrtcInfo)                 \
  F(XRRGetOutputInfo)               \
  F(XRRGetOutputPrimary)            \
  F(XRRGetScreenResourcesCurrent)   \
  F(XRRQueryExtension)              \
  F(XRRQueryVersion)

struct X11Functions {
#define SCRPACK_X11_POINTER(name) decltype(&::name) name = nullptr;
  SCRPACK_X11_FUNCTIONS(SCRPACK_X11_POINTER)
  SCRPACK_XRANDR_FUNCTIONS(SCRPACK_X11_POINTER)
#undef SCRPACK_X11_POINTER
};

// Loads both libraries and finds every function, once per process; true
// when all of them are there. Any thread may call it.
bool loadX11Library();

// The functions; all set once loadX11Library() has returned true.
extern X11Functions x11Functions;

}  // namespace scrpack

// The usual names, for the code that includes this header; the loader
// itself needs the functions' own names.
#ifndef SCRPACK_X11_LIBRARY_LOADER
#define XAllocSizeHints ::scrpack::x11Functions.XAllocSizeHints
#define XAllocWMHints ::scrpack::x11Functions.XAllocWMHints
#define XChangeProperty ::scrpack::x11Functions.XChangeProperty
#define XCloseDisplay ::scrpack::x11Functions.XCloseDisplay
#define XCreateFontCursor ::scrpack::x11Functions.XCreateFontCursor
#define XCreateGC ::scrpack::x11Functions.XCreateGC
#define XCreateImage ::scrpack::x11Functions.XCreateImage
#define XCreateWindow ::scrpack::x11Functions.XCreateWindow
#define XDestroyWindow ::scrpack::x11Functions.XDestroyWindow
#define XFlush ::scrpack::x11Functions.XFlush
#define XFree ::scrpack::x11Functions.XFree
#define XFreeCursor ::scrpack::x11Functions.XFreeCursor
#define XFreeGC ::scrpack::x11Functions.XFreeGC
#define XGetScreenSaver ::scrpack::x11Functions.XGetScreenSaver
#define XGetWindowProperty ::scrpack::x11Functions.XGetWindowProperty
#define XGrabKeyboard ::scrpack::x11Functions.XGrabKeyboard
#define XInitThreads ::scrpack::x11Functions.XInitThreads
#define XInternAtoms ::scrpack::x11Functions.XInternAtoms
#define XLookupString ::scrpack::x11Functions.XLookupString
#define XMapRaised ::scrpack::x11Functions.XMapRaised
#define XNextEvent ::scrpack::x11Functions.XNextEvent
#define XOpenDisplay ::scrpack::x11Functions.XOpenDisplay
#define XPending ::scrpack::x11Functions.XPending
#define XPutImage ::scrpack::x11Functions.XPutImage
#define XRefreshKeyboardMapping ::scrpack::x11Functions.XRefreshKeyboardMapping
#define XSetClassHint ::scrpack::x11Functions.XSetClassHint
#define XSetErrorHandler ::scrpack::x11Functions.XSetErrorHandler
#define XSetIOErrorExitHandler ::scrpack::x11Functions.XSetIOErrorExitHandler
#define XSetIOErrorHandler ::scrpack::x11Functions.XSetIOErrorHandler
#define XSetInputFocus ::scrpack::x11Functions.XSetInputFocus
#define XSetScreenSaver ::scrpack::x11Functions.XSetScreenSaver
#define XSetWMHints ::scrpack::x11Functions.XSetWMHints
#define XSetWMNormalHints ::scrpack::x11Functions.XSetWMNormalHints
#define XSetWMProtocols ::scrpack::x11Functions.XSetWMProtocols
#define XStoreName ::scrpack::x11Functions.XStoreName
#define XSync ::scrpack::x11Functions.XSync
#define XTranslateCoordinates ::scrpack::x11Functions.XTranslateCoordinates
#define XRRFreeCrtcInfo ::scrpack::x11Functions.XRRFreeCrtcInfo
#define XRRFreeOutputInfo ::scrpack::x11Functions.XRRFreeOutputInfo
#define XRRFreeScreenResources ::scrpack::x11Functions.XRRFreeScreenResources
#define XRRGetCrtcInfo ::scrpack::x11Functions.XRRGetCrtcInfo
#define XRRGetOutputInfo ::scrpack::x11Functions.XRRGetOutputInfo
#define XRRGetOutputPrimary ::scrpack::x11Functions.XRRGetOutputPrimary
#define XRRGetScreenResourcesCurrent \
  ::scrpack::x11Functions.XRRGetScreenResourcesCurrent
#define XRRQueryExtension ::scrpack::x11Functions.XRRQueryExtension
#define XRRQueryVersion ::scrpack::x11Functions.XRRQueryVersion
#endif  // SCRPACK_X11_LIBRARY_LOADER

#endif  // SCRPACK_STATUS_X11_LIBRARY_H_
