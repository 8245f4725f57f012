#include "status/x11_queries.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include "status/x11_library.h"

namespace scrpack {
namespace {

// The 32-bit items of a property of |type|; null when there is none.
// XGetWindowProperty gives them as longs.
unsigned char* longProperty(Display* display, Window window, Atom property,
                            Atom type, long maxItems, unsigned long* count) {
  Atom actualType = None;
  int format = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  *count = 0;
  if (XGetWindowProperty(display, window, property, 0, maxItems, False, type,
                         &actualType, &format, count, &after,
                         &data) != Success ||
      !data) {
    return nullptr;
  }
  if (actualType != type || format != 32) {
    XFree(data);
    *count = 0;
    return nullptr;
  }
  return data;
}

}  // namespace

ScreenRect primaryMonitor(Display* display) {
  const int screen = DefaultScreen(display);
  ScreenRect rect = {0, 0, DisplayWidth(display, screen),
                     DisplayHeight(display, screen)};
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 3)) {
    return rect;
  }
  const Window root = RootWindow(display, screen);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  if (!resources) return rect;
  const RROutput primary = XRRGetOutputPrimary(display, root);
  if (primary != 0) {
    XRROutputInfo* output = XRRGetOutputInfo(display, resources, primary);
    if (output && output->crtc != 0) {
      XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc);
      if (crtc && crtc->width > 0 && crtc->height > 0) {
        rect = {crtc->x, crtc->y, static_cast<int>(crtc->width),
                static_cast<int>(crtc->height)};
      }
      if (crtc) XRRFreeCrtcInfo(crtc);
    }
    if (output) XRRFreeOutputInfo(output);
  }
  XRRFreeScreenResources(resources);
  return rect;
}

void frameExtents(Display* display, Window window, Atom extentsAtom, int* left,
                  int* top) {
  *left = *top = 0;
  unsigned long count = 0;
  unsigned char* data =
      longProperty(display, window, extentsAtom, XA_CARDINAL, 4, &count);
  if (!data) return;
  if (count == 4) {
    const long* extents = reinterpret_cast<const long*>(data);
    *left = static_cast<int>(extents[0]);
    *top = static_cast<int>(extents[2]);
  }
  XFree(data);
}

bool hasState(Display* display, Window window, Atom stateAtom, Atom first,
              Atom second) {
  unsigned long count = 0;
  unsigned char* data =
      longProperty(display, window, stateAtom, XA_ATOM, 64, &count);
  if (!data) return false;
  const Atom* states = reinterpret_cast<const Atom*>(data);
  bool found = false;
  for (unsigned long i = 0; i < count; ++i) {
    found = found || states[i] == first || states[i] == second;
  }
  XFree(data);
  return found;
}

WindowKey windowKeyOf(KeySym symbol) {
  switch (symbol) {
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
      return WindowKey::kAlt;
    case XK_Return:
    case XK_KP_Enter:
      return WindowKey::kEnter;
    case XK_F1:
      return WindowKey::kF1;
    case XK_F2:
      return WindowKey::kF2;
    case XK_F3:
      return WindowKey::kF3;
    case XK_F4:
      return WindowKey::kF4;
    case XK_F5:
      return WindowKey::kF5;
    case XK_F6:
      return WindowKey::kF6;
    case XK_F7:
      return WindowKey::kF7;
    case XK_F8:
      return WindowKey::kF8;
    case XK_F9:
      return WindowKey::kF9;
    case XK_F10:
      return WindowKey::kF10;
    case XK_F11:
      return WindowKey::kF11;
    case XK_F12:
      return WindowKey::kF12;
    case XK_Up:
    case XK_KP_Up:
      return WindowKey::kUp;
    case XK_Down:
    case XK_KP_Down:
      return WindowKey::kDown;
    case XK_Left:
    case XK_KP_Left:
      return WindowKey::kLeft;
    case XK_Right:
    case XK_KP_Right:
      return WindowKey::kRight;
    case XK_Home:
    case XK_KP_Home:
      return WindowKey::kHome;
    case XK_End:
    case XK_KP_End:
      return WindowKey::kEnd;
    case XK_Prior:
    case XK_KP_Prior:
      return WindowKey::kPageUp;
    case XK_Next:
    case XK_KP_Next:
      return WindowKey::kPageDown;
    case XK_Insert:
    case XK_KP_Insert:
      return WindowKey::kInsert;
    case XK_Delete:
    case XK_KP_Delete:
      return WindowKey::kDelete;
    default:
      return IsModifierKey(symbol) ? WindowKey::kModifier
                                   : WindowKey::kCharacter;
  }
}

uint32_t characterOf(KeySym symbol, const char* typed, int count) {
  if (count == 1) return static_cast<unsigned char>(typed[0]);
  if ((symbol & 0xFF000000UL) == 0x01000000UL) {
    return static_cast<uint32_t>(symbol & 0x00FFFFFFUL);
  }
  return kNoCharacter;
}

}  // namespace scrpack
