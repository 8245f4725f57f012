// The status window on X11, through Xlib.
//
// Only the window thread calls Xlib. A display that fails or goes away must
// not end the process: Xlib's I/O error exit is replaced, the method then
// counts as lost, and from there on no request is sent.
#include "platform/display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <atomic>
#include <cstring>

#include "status/frame.h"
#include "status/window_rules.h"

namespace scrpack {
namespace platform {
namespace {

// Counts protocol errors; open() checks that its own requests caused none.
std::atomic<unsigned long> protocolErrors{0};

int countProtocolError(Display*, XErrorEvent*) {
  ++protocolErrors;
  return 0;
}

// Quiet: the run reports nothing. The exit handler below decides the rest.
int quietIoError(Display*) { return 0; }

struct Rect {
  int x, y, width, height;
};

// The _MOTIF_WM_HINTS record: move, minimise, maximise and close; a
// border, title, system menu and both buttons, but no resize handles.
struct MotifHints {
  unsigned long flags = 1 | 2;  // functions and decorations given
  unsigned long functions = 4 | 8 | 16 | 32;
  unsigned long decorations = 2 | 8 | 16 | 32 | 64;
  long inputMode = 0;
  unsigned long status = 0;
};

bool hostIsLittleEndian() {
  const uint32_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

int lowestBit(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int bitCount(unsigned long mask) {
  int count = 0;
  for (; mask != 0; mask >>= 1) count += static_cast<int>(mask & 1);
  return count;
}

// What a key is to the status window, by its keysym.
WindowKey windowKeyOf(KeySym symbol) {
  switch (symbol) {
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R:
      return WindowKey::kAlt;
    case XK_Return: case XK_KP_Enter: return WindowKey::kEnter;
    case XK_F1: return WindowKey::kF1;
    case XK_F2: return WindowKey::kF2;
    case XK_F3: return WindowKey::kF3;
    case XK_F4: return WindowKey::kF4;
    case XK_F5: return WindowKey::kF5;
    case XK_F6: return WindowKey::kF6;
    case XK_F7: return WindowKey::kF7;
    case XK_F8: return WindowKey::kF8;
    case XK_F9: return WindowKey::kF9;
    case XK_F10: return WindowKey::kF10;
    case XK_F11: return WindowKey::kF11;
    case XK_F12: return WindowKey::kF12;
    case XK_Up: case XK_KP_Up: return WindowKey::kUp;
    case XK_Down: case XK_KP_Down: return WindowKey::kDown;
    case XK_Left: case XK_KP_Left: return WindowKey::kLeft;
    case XK_Right: case XK_KP_Right: return WindowKey::kRight;
    case XK_Home: case XK_KP_Home: return WindowKey::kHome;
    case XK_End: case XK_KP_End: return WindowKey::kEnd;
    case XK_Prior: case XK_KP_Prior: return WindowKey::kPageUp;
    case XK_Next: case XK_KP_Next: return WindowKey::kPageDown;
    case XK_Insert: case XK_KP_Insert: return WindowKey::kInsert;
    case XK_Delete: case XK_KP_Delete: return WindowKey::kDelete;
    default:
      return IsModifierKey(symbol) ? WindowKey::kModifier
                                   : WindowKey::kCharacter;
  }
}

// The Unicode character a key press types: XLookupString gives Latin-1,
// which is Unicode's first 256 code points; Unicode keysyms carry theirs.
uint32_t characterOf(KeySym symbol, const char* typed, int count) {
  if (count == 1) return static_cast<unsigned char>(typed[0]);
  if ((symbol & 0xFF000000UL) == 0x01000000UL) {
    return static_cast<uint32_t>(symbol & 0x00FFFFFFUL);
  }
  return kNoCharacter;
}

class X11Display : public DisplayMethod {
 public:
  ~X11Display() override {
    close();
    disconnect();
  }

  bool connect() override;
  void suspendScreenSaver() override;
  void resumeScreenSaver() override;
  bool open(DisplayForm form, const std::string& title, int width,
            int height) override;
  void present(const Frame& frame) override;
  bool pumpMessages(DisplayEvents& events) override;
  void close() override;
  void disconnect() override;

 private:
  enum AtomIndex {
    kWmProtocols, kWmDeleteWindow, kNetWmName, kUtf8String, kNetFrameExtents,
    kMotifWmHints, kNetWmState, kNetWmStateMaxVert, kNetWmStateMaxHorz,
    kAtomCount
  };

  static void onIoErrorExit(Display*, void* self) {
    static_cast<X11Display*>(self)->lost_ = true;
  }

  bool usable() const { return display_ != nullptr && !lost_; }
  Rect primaryMonitor();
  void describeWindow(const std::string& title, DisplayForm form);
  bool prepareImage(Visual* visual, int depth);
  void convertRow(const Frame& frame, int y);
  void putRows(int first, int count);
  void handleEvent(XEvent& event, DisplayEvents& events);
  void handleKey(XKeyEvent key, DisplayEvents& events);
  bool maximised();
  void rememberPlace();

  Display* display_ = nullptr;
  bool lost_ = false;
  Atom atoms_[kAtomCount] = {};

  Window window_ = 0;
  GC gc_ = nullptr;
  Cursor cursor_ = 0;
  XImage* image_ = nullptr;
  std::vector<char> copy_;  // the picture in the display's pixel format
  bool directCopy_ = false;
  int width_ = 0;
  int height_ = 0;
  int pictureX_ = 0;  // where the picture stands in the window
  int pictureY_ = 0;
  DisplayForm form_ = DisplayForm::kWindowed;
  bool focusPending_ = false;

  bool havePlace_ = false;  // the windowed place before full screen
  WindowPlace place_;

  bool saverKept_ = false;
  int saverTimeout_ = 0, saverInterval_ = 0, saverBlanking_ = 0,
      saverExposures_ = 0;
};

bool X11Display::connect() {
  if (display_) return !lost_;
  XInitThreads();
  XSetErrorHandler(countProtocolError);
  XSetIOErrorHandler(quietIoError);
  lost_ = false;
  havePlace_ = false;
  display_ = XOpenDisplay(nullptr);
  if (!display_) return false;
  XSetIOErrorExitHandler(display_, onIoErrorExit, this);
  const char* names[kAtomCount] = {
      "WM_PROTOCOLS",      "WM_DELETE_WINDOW", "_NET_WM_NAME",
      "UTF8_STRING",       "_NET_FRAME_EXTENTS", "_MOTIF_WM_HINTS",
      "_NET_WM_STATE",     "_NET_WM_STATE_MAXIMIZED_VERT",
      "_NET_WM_STATE_MAXIMIZED_HORZ"};
  if (!XInternAtoms(display_, const_cast<char**>(names), kAtomCount, False,
                    atoms_)) {
    return false;
  }
  return !lost_;
}

void X11Display::suspendScreenSaver() {
  if (!usable()) return;
  XGetScreenSaver(display_, &saverTimeout_, &saverInterval_, &saverBlanking_,
                  &saverExposures_);
  saverKept_ = !lost_;
  // A timeout of 0 switches the screen saver off.
  XSetScreenSaver(display_, 0, saverInterval_, saverBlanking_,
                  saverExposures_);
  XFlush(display_);
}

void X11Display::resumeScreenSaver() {
  if (!saverKept_) return;
  saverKept_ = false;
  if (!usable()) return;
  XSetScreenSaver(display_, saverTimeout_, saverInterval_, saverBlanking_,
                  saverExposures_);
  XFlush(display_);
}

Rect X11Display::primaryMonitor() {
  const int screen = DefaultScreen(display_);
  Rect rect = {0, 0, DisplayWidth(display_, screen),
               DisplayHeight(display_, screen)};
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display_, &eventBase, &errorBase) ||
      !XRRQueryVersion(display_, &major, &minor) ||
      (major == 1 && minor < 3)) {
    return rect;
  }
  const Window root = RootWindow(display_, screen);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root);
  if (!resources) return rect;
  const RROutput primary = XRRGetOutputPrimary(display_, root);
  if (primary != 0) {
    XRROutputInfo* output = XRRGetOutputInfo(display_, resources, primary);
    if (output && output->crtc != 0) {
      XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources, output->crtc);
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

bool X11Display::open(DisplayForm form, const std::string& title, int width,
                      int height) {
  if (!usable() || window_) return false;
  const unsigned long errorsBefore = protocolErrors;
  const int screen = DefaultScreen(display_);
  Visual* visual = DefaultVisual(display_, screen);
  if (visual->c_class != TrueColor) return false;
  const Rect monitor = primaryMonitor();
  width_ = width;
  height_ = height;
  form_ = form;

  Rect outer;
  if (form == DisplayForm::kWindowed) {
    if (!havePlace_) {
      place_ = centredPlace(monitor.width, monitor.height, width, height);
      place_.x += monitor.x;
      place_.y += monitor.y;
      havePlace_ = true;
    }
    outer = {place_.x, place_.y, width, height};
    pictureX_ = pictureY_ = 0;
  } else {
    // Frameless over the whole primary display, the picture centred on black.
    outer = monitor;
    const WindowPlace centre = centredPlace(monitor.width, monitor.height,
                                            width, height);
    pictureX_ = centre.x;
    pictureY_ = centre.y;
  }

  cursor_ = XCreateFontCursor(display_, XC_left_ptr);
  XSetWindowAttributes attributes;
  attributes.background_pixel = BlackPixel(display_, screen);
  attributes.border_pixel = BlackPixel(display_, screen);
  attributes.cursor = cursor_;
  attributes.override_redirect = form == DisplayForm::kFullScreen;
  attributes.event_mask = KeyPressMask | FocusChangeMask | ExposureMask |
                          StructureNotifyMask | PropertyChangeMask;
  window_ = XCreateWindow(
      display_, RootWindow(display_, screen), outer.x, outer.y,
      static_cast<unsigned>(outer.width), static_cast<unsigned>(outer.height),
      0, CopyFromParent, InputOutput, CopyFromParent,
      CWBackPixel | CWBorderPixel | CWCursor | CWOverrideRedirect | CWEventMask,
      &attributes);
  if (!window_) return false;
  describeWindow(title, form);
  gc_ = XCreateGC(display_, window_, 0, nullptr);
  if (!gc_ || !prepareImage(visual, DefaultDepth(display_, screen))) {
    return false;
  }
  focusPending_ = true;
  XMapRaised(display_, window_);
  XSync(display_, False);
  return !lost_ && protocolErrors == errorsBefore;
}

void X11Display::describeWindow(const std::string& title, DisplayForm form) {
  XStoreName(display_, window_, title.c_str());
  XChangeProperty(display_, window_, atoms_[kNetWmName], atoms_[kUtf8String],
                  8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  XClassHint classHint;
  std::string name = title;
  std::string className = "Scrpack";
  classHint.res_name = &name[0];
  classHint.res_class = &className[0];
  XSetClassHint(display_, window_, &classHint);

  XSizeHints* size = XAllocSizeHints();
  if (size) {
    // The window manager honours the place and cannot resize the window.
    size->flags = USPosition | PPosition | PMinSize | PMaxSize | PWinGravity;
    size->min_width = size->max_width = width_;
    size->min_height = size->max_height = height_;
    size->win_gravity = NorthWestGravity;
    if (form == DisplayForm::kWindowed) XSetWMNormalHints(display_, window_, size);
    XFree(size);
  }
  XWMHints* hints = XAllocWMHints();
  if (hints) {
    hints->flags = InputHint | StateHint;
    hints->input = True;
    hints->initial_state = NormalState;
    XSetWMHints(display_, window_, hints);
    XFree(hints);
  }
  Atom deleteWindow = atoms_[kWmDeleteWindow];
  XSetWMProtocols(display_, window_, &deleteWindow, 1);
  MotifHints motif;
  XChangeProperty(display_, window_, atoms_[kMotifWmHints],
                  atoms_[kMotifWmHints], 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&motif), 5);
}

bool X11Display::prepareImage(Visual* visual, int depth) {
  image_ = XCreateImage(display_, visual, static_cast<unsigned>(depth),
                        ZPixmap, 0, nullptr, static_cast<unsigned>(width_),
                        static_cast<unsigned>(height_), 32, 0);
  if (!image_) return false;
  copy_.assign(static_cast<size_t>(image_->bytes_per_line) * height_, 0);
  image_->data = copy_.data();  // taken back before XDestroyImage
  // Frame pixels are 0xAARRGGBB words; where the visual has the same layout
  // a row is copied as it is, in this machine's byte order.
  directCopy_ = image_->bits_per_pixel == 32 &&
                visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                visual->blue_mask == 0xFF;
  if (directCopy_) image_->byte_order = hostIsLittleEndian() ? LSBFirst : MSBFirst;
  // All zero is black in every TrueColor visual: the copy starts black.
  return true;
}

void X11Display::convertRow(const Frame& frame, int y) {
  const uint32_t* source = frame.pixels.data() + static_cast<size_t>(y) * frame.width;
  if (directCopy_) {
    std::memcpy(copy_.data() + static_cast<size_t>(y) * image_->bytes_per_line,
                source, static_cast<size_t>(width_) * 4);
    return;
  }
  const unsigned long masks[3] = {image_->red_mask, image_->green_mask,
                                  image_->blue_mask};
  for (int x = 0; x < width_; ++x) {
    unsigned long pixel = 0;
    for (int c = 0; c < 3; ++c) {
      const unsigned long value = (source[x] >> (16 - 8 * c)) & 0xFF;
      const int bits = bitCount(masks[c]);
      const unsigned long scaled =
          bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
      pixel |= (scaled << lowestBit(masks[c])) & masks[c];
    }
    XPutPixel(image_, x, y, pixel);
  }
}

void X11Display::putRows(int first, int count) {
  XPutImage(display_, window_, gc_, image_, 0, first, pictureX_,
            pictureY_ + first, static_cast<unsigned>(width_),
            static_cast<unsigned>(count));
}

void X11Display::present(const Frame& frame) {
  if (!usable() || !image_) return;
  bool put = false;
  int y = 0;
  while (y < height_) {
    if (!frame.changedRows[static_cast<size_t>(y)]) {
      ++y;
      continue;
    }
    // One request per band of changed rows.
    const int first = y;
    for (; y < height_ && frame.changedRows[static_cast<size_t>(y)]; ++y) {
      convertRow(frame, y);
    }
    putRows(first, y - first);
    put = true;
  }
  if (put) XFlush(display_);
}

bool X11Display::pumpMessages(DisplayEvents& events) {
  while (usable() && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (!lost_) handleEvent(event, events);
  }
  return !lost_;
}

void X11Display::handleEvent(XEvent& event, DisplayEvents& events) {
  if (event.type == MappingNotify) {
    // Keys were given other symbols (as xdotool does to type any symbol).
    XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  // Events of a window destroyed by a full-screen switch may still come.
  if (!window_ || event.xany.window != window_) return;
  switch (event.type) {
    case KeyPress:
      handleKey(event.xkey, events);
      break;
    case FocusIn:
    case FocusOut:
      if (event.xfocus.detail != NotifyPointer &&
          event.xfocus.detail != NotifyInferior) {
        events.focusChanged(event.type == FocusIn);
      }
      break;
    case Expose:
      if (image_) putRows(0, height_);
      break;
    case MapNotify:
      events.pictureLost();
      if (focusPending_) {
        // Brought to the front: the keyboard comes here at once.
        focusPending_ = false;
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        if (form_ == DisplayForm::kFullScreen) {
          XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync,
                        CurrentTime);
        }
      }
      break;
    case UnmapNotify:
      events.focusChanged(false);  // minimised
      break;
    case ClientMessage:
      if (event.xclient.message_type == atoms_[kWmProtocols] &&
          static_cast<Atom>(event.xclient.data.l[0]) == atoms_[kWmDeleteWindow]) {
        events.closeRequested();
      }
      break;
    case PropertyNotify:
      // A window manager that maximises anyway: make the full-screen switch.
      if (event.xproperty.atom == atoms_[kNetWmState] &&
          form_ == DisplayForm::kWindowed && maximised()) {
        events.fullScreenSwitchRequested();
      }
      break;
    default:
      break;
  }
}

void X11Display::handleKey(XKeyEvent key, DisplayEvents& events) {
  char typed[8];
  KeySym symbol = NoSymbol;
  const int count = XLookupString(&key, typed, sizeof typed, &symbol, nullptr);
  KeyStroke press;
  press.key = windowKeyOf(symbol);
  press.altHeld = (key.state & Mod1Mask) != 0;
  press.character = characterOf(symbol, typed, count);
  const KeyOutcome outcome = reactToKey(press);
  if (outcome.reaction == KeyReaction::kEnter) {
    events.keyEntered(outcome.code);
  } else if (outcome.reaction == KeyReaction::kSwitchFullScreen) {
    events.fullScreenSwitchRequested();
  }
}

bool X11Display::maximised() {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window_, atoms_[kNetWmState], 0, 64, False,
                         XA_ATOM, &type, &format, &count, &after,
                         &data) != Success || !data) {
    return false;
  }
  bool found = false;
  if (type == XA_ATOM && format == 32) {
    const Atom* states = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      found = found || states[i] == atoms_[kNetWmStateMaxVert] ||
              states[i] == atoms_[kNetWmStateMaxHorz];
    }
  }
  XFree(data);
  return found;
}

// The outer top-left corner of the windowed form: the client area's place
// less the frame the window manager put around it.
void X11Display::rememberPlace() {
  int x = 0, y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display_, window_,
                             DefaultRootWindow(display_), 0, 0, &x, &y,
                             &child)) {
    return;
  }
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window_, atoms_[kNetFrameExtents], 0, 4,
                         False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success && data) {
    if (type == XA_CARDINAL && format == 32 && count == 4) {
      const long* extents = reinterpret_cast<const long*>(data);
      x -= static_cast<int>(extents[0]);  // left
      y -= static_cast<int>(extents[2]);  // top
    }
    XFree(data);
  }
  if (lost_) return;
  place_.x = x;
  place_.y = y;
}

void X11Display::close() {
  if (!display_) return;
  if (window_ && usable() && form_ == DisplayForm::kWindowed) rememberPlace();
  if (image_) {
    image_->data = nullptr;  // the pixels belong to copy_
    XDestroyImage(image_);
    image_ = nullptr;
  }
  copy_.clear();
  if (usable()) {
    if (gc_) XFreeGC(display_, gc_);
    if (window_) XDestroyWindow(display_, window_);
    if (cursor_) XFreeCursor(display_, cursor_);
    XSync(display_, False);
  }
  gc_ = nullptr;
  window_ = 0;
  cursor_ = 0;
}

void X11Display::disconnect() {
  if (!display_) return;
  // Closing a connection that failed sends nothing; it frees what is left.
  XCloseDisplay(display_);
  display_ = nullptr;
  lost_ = false;
}

}  // namespace

std::vector<std::unique_ptr<DisplayMethod>> DisplayMethod::CreateAll() {
  std::vector<std::unique_ptr<DisplayMethod>> methods;
  methods.emplace_back(new X11Display);
  return methods;
}

}  // namespace platform
}  // namespace scrpack
