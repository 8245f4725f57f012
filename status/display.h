// A way of putting the status window on the screen: a window system's
// window with a copy of the picture in the display's own pixel format, and
// the messages the window receives.
//
// Every call of one display method comes from one thread at a time, the
// window thread of the status window, from connect() to disconnect(); all
// window-system resources a method creates live and die on that thread.
#ifndef SCRPACK_STATUS_DISPLAY_H_
#define SCRPACK_STATUS_DISPLAY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scrpack {

class Frame;

enum class DisplayForm { kWindowed, kFullScreen };

// What a display method reports while it handles the window's messages,
// on the window thread, with the frame lock held.
class DisplayEvents {
 public:
  // A key code for the key buffer (a typed character or a key without one).
  virtual void keyEntered(uint32_t code) = 0;
  // The close button, or Close in the system menu.
  virtual void closeRequested() = 0;
  // The window gained or lost the keyboard focus; minimising loses it.
  virtual void focusChanged(bool focused) = 0;
  // The display's settings changed or the window came back from being
  // hidden: every row must be put again.
  virtual void pictureLost() = 0;
  // Alt+Enter or the maximise button. The switch itself is made by the
  // caller of pumpMessages() once it has returned.
  virtual void fullScreenSwitchRequested() = 0;

 protected:
  ~DisplayEvents() = default;
};

class DisplayMethod {
 public:
  // The platform's display methods, the preferred one first.
  static std::vector<std::unique_ptr<DisplayMethod>> CreateAll();
  virtual ~DisplayMethod() = default;

  // Whether a window system may be there to reach, found out without
  // loading or starting anything; false only when connect() would surely
  // fail, and the attempt is then not made at all.
  virtual bool reachable() const { return true; }
  // Reaches the window system; false when there is none to reach.
  virtual bool connect() = 0;
  // Reads the screen-saver setting, keeps it, and switches the screen
  // saver off without storing the change.
  virtual void suspendScreenSaver() = 0;
  // Restores the setting that suspendScreenSaver() kept.
  virtual void resumeScreenSaver() = 0;

  // Creates the window for a picture of |width| x |height|: visible at
  // once, in front, black. Windowed, it stands at the centred placement of
  // the primary display the first time after connect() and where it was
  // before a switch to full screen afterwards. False when it cannot; what
  // was made is then released by close().
  virtual bool open(DisplayForm form, const std::string& title, int width,
                    int height) = 0;
  // Converts the rows of |frame| whose changed marks are set into the
  // method's own copy of the picture and puts them on the screen, or leaves
  // the putting to show(). The marks are the caller's to clear.
  virtual void present(const Frame& frame) = 0;
  // Puts on the screen what present() converted and left. Called once the
  // frame lock is released: it reads only the method's own copy, and the
  // packing run need not wait while the window system takes the picture.
  virtual void show() {}
  // Handles every waiting message of the window, reporting to |events|;
  // repaint requests are served from the method's copy. False once the
  // window system has gone away for good.
  virtual bool pumpMessages(DisplayEvents& events) = 0;
  // Destroys the window and what belongs to it, restoring the display mode
  // if full screen changed it. Harmless when nothing is open.
  virtual void close() = 0;
  // Lets go of the window system. Harmless when not connected.
  virtual void disconnect() = 0;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_DISPLAY_H_
