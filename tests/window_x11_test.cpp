// The status window on a real X server (Xvfb), looked at and typed into
// from the outside: its place and properties through a client connection of
// the test's own, keys through xdotool (XTEST), pixels read back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "status/display.h"
#include "status/status_window.h"
#include "tests/xvfb.h"

// Last: Xlib's macros would clash with names above.
#include <X11/Xlib.h>

namespace scrpack {
namespace test {
namespace {

const char kProgramPath[] = "/opt/tools/scr.pack.bin";
const char kTitle[] = "scr.pack";

std::unique_ptr<StatusWindow> makeWindow() {
  return std::make_unique<StatusWindow>(DisplayMethod::CreateAll(),
                                        kProgramPath);
}

// A picture in which neighbouring pixels differ, so that a row or column
// put in the wrong place shows.
uint32_t patternPixel(int x, int y, uint32_t seed) {
  return 0xFF000000u |
         ((x * 0x0301u + y * 0x010503u + seed * 0x1F) & 0xFFFFFFu);
}

void drawPattern(StatusWindow& window, uint32_t seed, int firstRow,
                 int lastRow) {
  Frame& frame = window.frame();
  std::lock_guard<FrameLock> guard(frame.lock());
  for (int y = firstRow; y <= lastRow; ++y) {
    for (int x = 0; x < frame.width(); ++x)
      frame.row(y)[x] = patternPixel(x, y, seed);
  }
  frame.markRows(firstRow, lastRow);
}

std::vector<uint32_t> frameAsScreen(StatusWindow& window) {
  Frame& frame = window.frame();
  std::lock_guard<FrameLock> guard(frame.lock());
  std::vector<uint32_t> pixels = frame.picture();
  for (uint32_t& p : pixels) p &= 0xFFFFFFu;
  return pixels;
}

class X11Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.started()) << "Xvfb did not start";
    ::setenv("DISPLAY", server_.name().c_str(), 1);
    client_ = std::make_unique<XClient>(server_.name());
    ASSERT_NE(client_->display(), nullptr);
  }

  // Opens the window and waits until it has the keyboard.
  void openWindow() {
    window_ = makeWindow();
    ASSERT_EQ(window_->open(640, 480, 32, 1, 0, 0), 0);
    ASSERT_TRUE(eventually(
        [this] { return (xid_ = client_->findWindow(kTitle)) != 0; }));
    ASSERT_TRUE(eventually([this] { return client_->focus() == xid_; }));
  }

  // Types |keys| and waits until the window has entered the marker key
  // typed after them, so that everything before it has been handled.
  std::vector<uint32_t> codesAfterTyping(const std::string& keys) {
    const size_t before = window_->keyCodes().size();
    EXPECT_TRUE(xdotool(server_.name(), "key --delay 5 " + keys + " z"));
    EXPECT_TRUE(eventually([&] {
      const std::vector<uint32_t> codes = window_->keyCodes();
      return !codes.empty() && codes.back() == 'z' &&
             (codes.size() > before || codes.size() == 15);
    }));
    std::vector<uint32_t> codes = window_->keyCodes();
    codes.pop_back();
    return codes;
  }

  bool showsFrameAt(int x, int y) {
    return client_->grab(x, y, 640, 480) == frameAsScreen(*window_);
  }

  Xvfb server_;
  std::unique_ptr<XClient> client_;
  std::unique_ptr<StatusWindow> window_;
  XID xid_ = 0;
};

TEST(X11WindowPlace, CentredOnEveryScreenSizeWithItsProperties) {
  struct Case {
    int width, height, x, y;
  };
  const Case cases[] = {
      {1024, 768, 192, 144}, {801, 601, 80, 60}, {601, 401, -20, -40}};
  for (const Case& c : cases) {
    Xvfb server(c.width, c.height);
    ASSERT_TRUE(server.started());
    ::setenv("DISPLAY", server.name().c_str(), 1);
    XClient client(server.name());
    std::unique_ptr<StatusWindow> window = makeWindow();
    ASSERT_EQ(window->open(640, 480, 32, 1, 0, 0), 0);
    const XID xid = client.findWindow(kTitle);
    ASSERT_NE(xid, 0u) << "no window titled " << kTitle;
    int x, y, width, height;
    ASSERT_TRUE(client.geometry(xid, &x, &y, &width, &height));
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(client.utf8Name(xid), kTitle);
    int minW, minH, maxW, maxH;
    bool userPosition = false;
    ASSERT_TRUE(
        client.sizeHints(xid, &minW, &minH, &maxW, &maxH, &userPosition));
    EXPECT_EQ(minW, 640);
    EXPECT_EQ(maxW, 640);
    EXPECT_EQ(minH, 480);
    EXPECT_EQ(maxH, 480);
    EXPECT_TRUE(userPosition);
    EXPECT_EQ(client.protocols(xid),
              std::vector<std::string>{"WM_DELETE_WINDOW"});
    EXPECT_TRUE(eventually([&] { return client.viewable(xid); }));
    EXPECT_EQ(client.topWindow(), xid);
    window->close();
    EXPECT_TRUE(eventually([&] { return client.findWindow(kTitle) == 0; }))
        << "the window is destroyed at close";
  }
}

TEST_F(X11Window, ShowsTheFrameBlackAtFirstThenChangedRows) {
  openWindow();
  EXPECT_TRUE(eventually([this] {
    return client_->grab(192, 144, 640, 480) ==
           std::vector<uint32_t>(640 * 480, 0);
  }));
  drawPattern(*window_, 1, 0, 479);
  EXPECT_TRUE(eventually([this] { return showsFrameAt(192, 144); }));
  drawPattern(*window_, 2, 100, 107);
  drawPattern(*window_, 3, 479, 479);
  EXPECT_TRUE(eventually([this] { return showsFrameAt(192, 144); }));
}

TEST_F(X11Window, HiddenAndShownAgainShowsWhatWasDrawnMeanwhile) {
  openWindow();
  drawPattern(*window_, 4, 0, 479);
  ASSERT_TRUE(eventually([this] { return showsFrameAt(192, 144); }));
  XUnmapWindow(client_->display(), xid_);
  XSync(client_->display(), False);
  EXPECT_TRUE(eventually([this] { return !window_->active(); }));
  drawPattern(*window_, 5, 200, 300);
  XMapWindow(client_->display(), xid_);
  XSync(client_->display(), False);
  EXPECT_TRUE(eventually([this] { return showsFrameAt(192, 144); }));
}

TEST_F(X11Window, KeysEnterTheirCodes) {
  ASSERT_TRUE(client_->bindKeysym(0x00E9));  // XK_eacute
  openWindow();
  EXPECT_FALSE(window_->keyTest());
  std::vector<uint32_t> expected = {'a',  'A', 0x0D, 0x1B, 0x08,
                                    0x09, ' ', 0x03, 0x82};
  std::vector<uint32_t> codes = codesAfterTyping(
      "a shift+a Return Escape BackSpace Tab space ctrl+c eacute");
  EXPECT_EQ(codes, expected);
  expected = {0x3BFF, 0x43FF, 0x85FF, 0x86FF, 0x48FF, 0x50FF, 0x4BFF,
              0x4DFF, 0x47FF, 0x4FFF, 0x49FF, 0x51FF, 0x52FF, 0x53FF};
  codes = codesAfterTyping(
      "F1 F9 F11 F12 Up Down Left Right Home End Prior Next Insert Delete");
  ASSERT_EQ(codes.size(), 14u);
  EXPECT_EQ(codes, expected);
  EXPECT_TRUE(window_->keyTest());
  EXPECT_FALSE(window_->keyTest());
}

TEST_F(X11Window, AltRulesAndModifiersEnterNothing) {
  openWindow();
  const std::vector<uint32_t> codes = codesAfterTyping(
      "alt+F4 F10 alt+F10 Shift_L Control_L Alt_L Caps_Lock Caps_Lock "
      "alt+a alt+F5");
  EXPECT_TRUE(codes.empty());
  EXPECT_TRUE(client_->viewable(xid_)) << "Alt+F4 leaves the window open";
  EXPECT_FALSE(window_->fullScreen());
}

TEST_F(X11Window, CloseButtonEntersTheCloseRequestAndTheWindowStays) {
  openWindow();
  client_->sendDeleteWindow(xid_);
  EXPECT_TRUE(eventually([this] { return window_->keyTest(); }));
  EXPECT_EQ(window_->keyCodes(), std::vector<uint32_t>{kCloseRequest});
  codesAfterTyping("");  // a full round through the window's messages
  EXPECT_TRUE(client_->viewable(xid_));
  EXPECT_EQ(client_->findWindow(kTitle), xid_);
}

TEST_F(X11Window, AltEnterSwitchesToFullScreenAndBackToTheSamePlace) {
  openWindow();
  drawPattern(*window_, 6, 0, 479);
  XMoveWindow(client_->display(), xid_, 50, 60);  // as the user would
  XSync(client_->display(), False);
  ASSERT_TRUE(eventually([this] { return showsFrameAt(50, 60); }));

  ASSERT_TRUE(xdotool(server_.name(), "key alt+Return"));
  ASSERT_TRUE(eventually([this] { return window_->fullScreen(); }));
  XID full = 0;
  ASSERT_TRUE(eventually([&] {
    return (full = client_->findWindow(kTitle)) != 0 && full != xid_;
  }));
  int x, y, width, height;
  ASSERT_TRUE(client_->geometry(full, &x, &y, &width, &height));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 768);
  EXPECT_TRUE(client_->overrideRedirect(full)) << "no frame";
  EXPECT_TRUE(eventually([this] { return showsFrameAt(192, 144); }))
      << "centred";
  EXPECT_EQ(client_->grab(0, 0, 192, 768), std::vector<uint32_t>(192 * 768, 0));
  EXPECT_EQ(client_->grab(0, 624, 1024, 144),
            std::vector<uint32_t>(1024 * 144, 0));

  ASSERT_TRUE(xdotool(server_.name(), "key alt+Return"));
  ASSERT_TRUE(eventually([this] { return !window_->fullScreen(); }));
  XID back = 0;
  ASSERT_TRUE(eventually([&] {
    return (back = client_->findWindow(kTitle)) != 0 && back != full;
  }));
  ASSERT_TRUE(client_->geometry(back, &x, &y, &width, &height));
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 60);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  EXPECT_TRUE(eventually([this] { return showsFrameAt(50, 60); }));
  EXPECT_TRUE(window_->keyCodes().empty()) << "Alt+Enter enters nothing";
}

TEST_F(X11Window, ScreenSaverIsOffWhileOpenAndRestoredAtClose) {
  Display* display = client_->display();
  XSetScreenSaver(display, 321, 45, DefaultBlanking, DefaultExposures);
  XSync(display, False);
  auto timeout = [display] {
    int value, interval, blanking, exposures;
    XGetScreenSaver(display, &value, &interval, &blanking, &exposures);
    return value;
  };
  openWindow();
  EXPECT_EQ(timeout(), 0);
  window_->close();
  EXPECT_EQ(timeout(), 321);
}

TEST_F(X11Window, ServerGoneLeavesTheProcessAndTheKeyTestAlive) {
  openWindow();
  ASSERT_TRUE(xdotool(server_.name(), "key q"));
  ASSERT_TRUE(eventually([this] { return window_->keyTest(); }));
  client_.reset();
  server_.kill();
  // Xlib's own handling would end this process here.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(window_->keyTest());
  drawPattern(*window_, 7, 0, 479);
  window_->close();
  EXPECT_FALSE(window_->isOpen());
  EXPECT_EQ(window_->keyCodes(), std::vector<uint32_t>{'q'});
}

TEST(X11NoDisplay, OpenGivesOneWithoutADisplayOrWithADeadOne) {
  ::unsetenv("DISPLAY");
  EXPECT_EQ(makeWindow()->open(640, 480, 32, 1, 0, 0), 1);
  ::setenv("DISPLAY", kNoServerDisplay, 1);
  std::unique_ptr<StatusWindow> window = makeWindow();
  EXPECT_EQ(window->open(640, 480, 32, 1, 0, 0), 1);
  EXPECT_FALSE(window->isOpen());
  window->close();
}

}  // namespace
}  // namespace test
}  // namespace scrpack
