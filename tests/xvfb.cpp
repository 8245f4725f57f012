#include "tests/xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace scrpack {
namespace test {

const char kNoServerDisplay[] = ":50000";

Xvfb::Xvfb(int width, int height) {
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) return;
  pid_ = ::fork();
  if (pid_ == 0) {
    // The server writes its display number to |ready| once it listens.
    ::fcntl(ready[1], F_SETFD, 0);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    const std::string fd = std::to_string(ready[1]);
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x24";
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0",
             screen.c_str(), "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  std::string number;
  pollfd waiting = {ready[0], POLLIN, 0};
  char c;
  while (pid_ > 0 && ::poll(&waiting, 1, 10000) == 1 &&
         ::read(ready[0], &c, 1) == 1 && c != '\n') {
    number.push_back(c);
  }
  ::close(ready[0]);
  if (!number.empty()) name_ = ":" + number;
}

Xvfb::~Xvfb() { kill(); }

void Xvfb::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

namespace {

int quietIoError(Display*) { return 0; }
void stayAlive(Display*, void*) {}

}  // namespace

XClient::XClient(const std::string& displayName) {
  display_ = XOpenDisplay(displayName.c_str());
  // Tests kill the server under their own connection too.
  XSetIOErrorHandler(quietIoError);
  if (display_) XSetIOErrorExitHandler(display_, stayAlive, nullptr);
}

XClient::~XClient() {
  if (display_) XCloseDisplay(display_);
}

XID XClient::findWindow(const std::string& title) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent,
                  &children, &count)) {
    return 0;
  }
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display_, children[i], &name) && name) {
      if (title == name) found = children[i];
      XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

XID XClient::topWindow() {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent,
                  &children, &count)) {
    return 0;
  }
  // Children come bottom first.
  const Window top = count > 0 ? children[count - 1] : 0;
  if (children) XFree(children);
  return top;
}

XID XClient::focus() {
  Window window = 0;
  int revert = 0;
  XGetInputFocus(display_, &window, &revert);
  return window;
}

bool XClient::viewable(XID window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) &&
         attributes.map_state == IsViewable;
}

bool XClient::geometry(XID window, int* x, int* y, int* width, int* height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return false;
  *x = attributes.x;
  *y = attributes.y;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

bool XClient::overrideRedirect(XID window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) &&
         attributes.override_redirect;
}

std::vector<uint32_t> XClient::grab(int x, int y, int width, int height) {
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y,
                            static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(static_cast<size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      pixels.push_back(static_cast<uint32_t>(XGetPixel(image, column, row)) &
                       0xFFFFFFu);
    }
  }
  XDestroyImage(image);
  return pixels;
}

void XClient::sendDeleteWindow(XID window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] =
      static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XFlush(display_);
}

std::string XClient::utf8Name(XID window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(display_, window,
                         XInternAtom(display_, "_NET_WM_NAME", False), 0, 1024,
                         False, XInternAtom(display_, "UTF8_STRING", False),
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    name.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return name;
}

bool XClient::sizeHints(XID window, int* minW, int* minH, int* maxW, int* maxH,
                        bool* userPosition) {
  XSizeHints hints;
  long supplied = 0;
  if (!XGetWMNormalHints(display_, window, &hints, &supplied)) return false;
  *minW = hints.flags & PMinSize ? hints.min_width : -1;
  *minH = hints.flags & PMinSize ? hints.min_height : -1;
  *maxW = hints.flags & PMaxSize ? hints.max_width : -1;
  *maxH = hints.flags & PMaxSize ? hints.max_height : -1;
  *userPosition = (hints.flags & USPosition) != 0;
  return true;
}

std::vector<std::string> XClient::protocols(XID window) {
  std::vector<std::string> names;
  Atom* atoms = nullptr;
  int count = 0;
  if (XGetWMProtocols(display_, window, &atoms, &count) && atoms) {
    for (int i = 0; i < count; ++i) {
      char* name = XGetAtomName(display_, atoms[i]);
      if (name) {
        names.push_back(name);
        XFree(name);
      }
    }
    XFree(atoms);
  }
  return names;
}

bool XClient::bindKeysym(unsigned long keysym) {
  int first = 0, last = 0;
  XDisplayKeycodes(display_, &first, &last);
  int perCode = 0;
  KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(first),
                                    last - first + 1, &perCode);
  if (!map) return false;
  int unused = 0;
  for (int code = last; code >= first && unused == 0; --code) {
    bool empty = true;
    for (int i = 0; i < perCode; ++i) {
      empty = empty && map[(code - first) * perCode + i] == NoSymbol;
    }
    if (empty) unused = code;
  }
  XFree(map);
  if (unused == 0) return false;
  KeySym symbol = keysym;
  XChangeKeyboardMapping(display_, unused, 1, &symbol, 1);
  XSync(display_, False);
  return true;
}

bool xdotool(const std::string& displayName, const std::string& arguments) {
  const std::string command =
      "DISPLAY=" + displayName + " xdotool " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

}  // namespace test
}  // namespace scrpack
