// A private X server for one test: Xvfb on a free display number, ended
// with the test. Plus the few things the window tests do to it from the
// outside, as a user and a window manager would.
#ifndef SCRPACK_TESTS_XVFB_H_
#define SCRPACK_TESTS_XVFB_H_

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/eventually.h"

// Xlib's types, without its macros in every test.
typedef struct _XDisplay Display;
typedef unsigned long XID;

namespace scrpack {
namespace test {

class Xvfb {
 public:
  // Starts a server with one screen of |width| x |height| at 24 bits and
  // waits until it takes connections.
  explicit Xvfb(int width = 1024, int height = 768);
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  bool started() const { return !name_.empty(); }
  // The display name, e.g. ":3".
  const std::string& name() const { return name_; }
  pid_t pid() const { return pid_; }
  // Ends the server at once, as a crash would.
  void kill();

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// A client connection of the test's own, closed with it.
class XClient {
 public:
  explicit XClient(const std::string& displayName);
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  Display* display() const { return display_; }

  // The top-level window with this WM_NAME, or 0.
  XID findWindow(const std::string& title);
  // The topmost top-level window, or 0.
  XID topWindow();
  // The window with the keyboard focus.
  XID focus();
  bool viewable(XID window);
  // Place and size relative to the root window.
  bool geometry(XID window, int* x, int* y, int* width, int* height);
  bool overrideRedirect(XID window);
  // Pixels of the root window as 0x00RRGGBB, rows from the top.
  std::vector<uint32_t> grab(int x, int y, int width, int height);
  // The close button as a window manager reports it: WM_DELETE_WINDOW.
  void sendDeleteWindow(XID window);
  std::string utf8Name(XID window);
  // WM_NORMAL_HINTS: minimum and maximum size and user-given position.
  bool sizeHints(XID window, int* minW, int* minH, int* maxW, int* maxH,
                 bool* userPosition);
  std::vector<std::string> protocols(XID window);
  // Gives |keysym| a key of its own in the keyboard map, so that xdotool
  // types it without remapping a key for the moment of the press.
  bool bindKeysym(unsigned long keysym);

 private:
  Display* display_ = nullptr;
};

// A display name with no server behind it. A server that has just ended
// is no such name: a test running beside may start the next one there.
// Servers started with -displayfd take the lowest free numbers.
extern const char kNoServerDisplay[];

// Runs xdotool with |arguments| against |displayName|; true on success.
bool xdotool(const std::string& displayName, const std::string& arguments);

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_XVFB_H_
