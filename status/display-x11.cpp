// The status window on X11, through Xlib.
//
// Only the window thread calls Xlib. A display that fails or goes away must
// not end the process: Xlib's I/O error exit is replaced, the method then
// counts as lost, and from there on no request is sent.
#include <X11/cursorfont.h>
#include <stdlib.h>

#include <atomic>

#include "status/display.h"
#include "status/frame.h"
#include "status/key_rules.h"
#include "status/window_rules.h"
#include "status/x11_library.h"
#include "status/x11_picture.h"
#include "status/x11_queries.h"

namespace scrpack {
namespace {

// Counts protocol errors; open() checks that its own requests caused none.
std::atomic<unsigned long> protocolErrors{0};

int countProtocolError(Display*, XErrorEvent*) {
  ++protocolErrors;
  return 0;
}

// Quiet: the run reports nothing. The exit handler below decides the rest.
int quietIoError(Display*) { return 0; }

// The _MOTIF_WM_HINTS record: move, minimise, maximise and close; a
// border, title, system menu and both buttons, but no resize handles.
struct MotifHints {
  unsigned long flags = 1 | 2;  // functions and decorations given
  unsigned long functions = 4 | 8 | 16 | 32;
  unsigned long decorations = 2 | 8 | 16 | 32 | 64;
  long inputMode = 0;
  unsigned long status = 0;
};

class X11Display final : public DisplayMethod {
 public:
  ~X11Display() override {
    close();
    disconnect();
  }

  bool reachable() const override;
  bool connect() override;
  void suspendScreenSaver() override;
  void resumeScreenSaver() override;
  bool open(DisplayForm form, const std::string& title, int width,
            int height) override;
  void present(const Frame& frame) override;
  void show() override;
  bool pumpMessages(DisplayEvents& events) override;
  void close() override;
  void disconnect() override;

 private:
  enum AtomIndex {
    kWmProtocols,
    kWmDeleteWindow,
    kNetWmName,
    kUtf8String,
    kNetFrameExtents,
    kMotifWmHints,
    kNetWmState,
    kNetWmStateMaxVert,
    kNetWmStateMaxHorz,
    kAtomCount
  };

  static void onIoErrorExit(Display*, void* self) {
    static_cast<X11Display*>(self)->lost_ = true;
  }

  bool usable() const { return display_ != nullptr && !lost_; }
  void describeWindow(const std::string& title, DisplayForm form);
  void putWholePicture();
  void handleEvent(XEvent& event, DisplayEvents& events);
  void handleKey(XKeyEvent key, DisplayEvents& events);
  void rememberPlace();

  Display* display_ = nullptr;
  bool lost_ = false;
  Atom atoms_[kAtomCount] = {};

  Window window_ = 0;
  GC gc_ = nullptr;
  Cursor cursor_ = 0;
  X11Picture picture_;
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

// Without DISPLAY, Xlib has no server to open; finding that out costs
// nothing, whereas loading Xlib to be told so does.
bool X11Display::reachable() const {
  const char* name = ::getenv("DISPLAY");
  return name != nullptr && name[0] != '\0';
}

bool X11Display::connect() {
  if (display_) return !lost_;
  if (!loadX11Library()) return false;
  XInitThreads();
  XSetErrorHandler(countProtocolError);
  XSetIOErrorHandler(quietIoError);
  lost_ = false;
  havePlace_ = false;
  display_ = XOpenDisplay(nullptr);
  if (!display_) return false;
  XSetIOErrorExitHandler(display_, onIoErrorExit, this);
  const char* names[kAtomCount] = {"WM_PROTOCOLS",
                                   "WM_DELETE_WINDOW",
                                   "_NET_WM_NAME",
                                   "UTF8_STRING",
                                   "_NET_FRAME_EXTENTS",
                                   "_MOTIF_WM_HINTS",
                                   "_NET_WM_STATE",
                                   "_NET_WM_STATE_MAXIMIZED_VERT",
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
  XSetScreenSaver(display_, 0, saverInterval_, saverBlanking_, saverExposures_);
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

bool X11Display::open(DisplayForm form, const std::string& title, int width,
                      int height) {
  if (!usable() || window_) return false;
  const unsigned long errorsBefore = protocolErrors;
  const int screen = DefaultScreen(display_);
  Visual* visual = DefaultVisual(display_, screen);
  if (visual->c_class != TrueColor) return false;
  const ScreenRect monitor = primaryMonitor(display_);
  width_ = width;
  height_ = height;
  form_ = form;

  ScreenRect outer;
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
    const WindowPlace centre =
        centredPlace(monitor.width, monitor.height, width, height);
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
  if (!gc_ ||
      !picture_.prepare(display_, visual, DefaultDepth(display_, screen), width,
                        height)) {
    return false;
  }
  focusPending_ = true;
  XMapRaised(display_, window_);
  XSync(display_, False);
  return !lost_ && protocolErrors == errorsBefore;
}

void X11Display::describeWindow(const std::string& title, DisplayForm form) {
  XStoreName(display_, window_, title.c_str());
  XChangeProperty(display_, window_, atoms_[kNetWmName], atoms_[kUtf8String], 8,
                  PropModeReplace,
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
    if (form == DisplayForm::kWindowed)
      XSetWMNormalHints(display_, window_, size);
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

void X11Display::present(const Frame& frame) {
  if (usable() && window_) picture_.convertChangedRows(frame);
}

void X11Display::show() {
  if (!usable() || !window_) return;
  if (picture_.putConvertedRows(display_, window_, gc_, pictureX_, pictureY_)) {
    XFlush(display_);
  }
}

void X11Display::putWholePicture() {
  picture_.putRows(display_, window_, gc_, pictureX_, pictureY_, 0, height_);
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
      if (event.xexpose.count == 0) putWholePicture();  // the last of a series
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
          static_cast<Atom>(event.xclient.data.l[0]) ==
              atoms_[kWmDeleteWindow]) {
        events.closeRequested();
      }
      break;
    case PropertyNotify:
      // A window manager that maximises anyway: make the full-screen switch.
      if (event.xproperty.atom == atoms_[kNetWmState] &&
          form_ == DisplayForm::kWindowed &&
          hasState(display_, window_, atoms_[kNetWmState],
                   atoms_[kNetWmStateMaxVert], atoms_[kNetWmStateMaxHorz])) {
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

// The outer top-left corner of the windowed form: the client area's place
// less the frame the window manager put around it.
void X11Display::rememberPlace() {
  int x = 0, y = 0, left = 0, top = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0,
                             0, &x, &y, &child)) {
    return;
  }
  frameExtents(display_, window_, atoms_[kNetFrameExtents], &left, &top);
  if (lost_) return;
  place_.x = x - left;
  place_.y = y - top;
}

void X11Display::close() {
  if (!display_) return;
  if (window_ && usable() && form_ == DisplayForm::kWindowed) rememberPlace();
  picture_.release();
  // A lost display sends nothing, but the GC's memory on our side is still
  // ours to free.
  if (gc_) XFreeGC(display_, gc_);
  if (usable()) {
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
  methods.push_back(std::make_unique<X11Display>());
  return methods;
}

}  // namespace scrpack
