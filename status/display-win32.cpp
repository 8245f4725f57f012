// The status window on Windows, through USER and GDI.
//
// The window thread creates the window, so its messages come to that thread
// only, inside pumpMessages(), with the frame lock held. The picture is kept
// as a top-down 32-bit DIB, the frame buffer's own layout.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "status/display.h"
#include "status/frame.h"
#include "status/win32_keys.h"
#include "status/window_rules.h"

namespace scrpack {
namespace {

const char kClassName[] = "ScrpackStatusWindow";
const DWORD kWindowedStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// The full-screen modes tried in turn: 640 x 480 first, then taller ones
// with the picture centred; each at 32, then 24 bits per pixel.
struct Mode {
  int width, height;
};
const Mode kFullScreenModes[] = {
    {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
const int kFullScreenDepths[] = {32, 24};

class Win32Display final : public DisplayMethod {
 public:
  ~Win32Display() override {
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
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message,
                                          WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool switchDisplayMode(int* screenWidth, int* screenHeight);
  void putRows(HDC dc, int first, int count);
  void rememberPlace();

  HINSTANCE instance_ = nullptr;
  bool registered_ = false;
  HWND window_ = nullptr;
  DisplayEvents* events_ = nullptr;  // set while pumpMessages() runs
  bool quit_ = false;

  std::vector<uint32_t> copy_;  // the picture, rows from the top down
  int width_ = 0;
  int height_ = 0;
  int pictureX_ = 0;
  int pictureY_ = 0;
  int outerWidth_ = 0;
  int outerHeight_ = 0;
  DisplayForm form_ = DisplayForm::kWindowed;
  bool modeChanged_ = false;

  bool havePlace_ = false;  // the windowed place before full screen
  WindowPlace place_;
  std::string monitor_;  // the device nearest to the window; empty: primary
  POINT monitorOrigin_ = {0, 0};

  bool saverKept_ = false;
  BOOL saverActive_ = FALSE;
};

bool Win32Display::connect() {
  instance_ = ::GetModuleHandleA(nullptr);
  havePlace_ = false;
  monitor_.clear();
  monitorOrigin_ = POINT{0, 0};
  quit_ = false;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon =
      ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor =
      ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground =
      static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  if (::RegisterClassA(&windowClass) != 0) {
    registered_ = true;
  } else if (::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  return true;
}

void Win32Display::suspendScreenSaver() {
  saverKept_ = ::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0,
                                       &saverActive_, 0) != FALSE;
  // A last argument of 0: the change is not stored in the user's profile.
  ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
}

void Win32Display::resumeScreenSaver() {
  if (!saverKept_) return;
  saverKept_ = false;
  ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE,
                          static_cast<UINT>(saverActive_), nullptr, 0);
}

bool Win32Display::switchDisplayMode(int* screenWidth, int* screenHeight) {
  const char* device = monitor_.empty() ? nullptr : monitor_.c_str();
  for (const Mode& mode : kFullScreenModes) {
    if (mode.width < width_ || mode.height < height_) continue;
    for (int depth : kFullScreenDepths) {
      DEVMODEA settings = {};
      settings.dmSize = sizeof settings;
      settings.dmPelsWidth = static_cast<DWORD>(mode.width);
      settings.dmPelsHeight = static_cast<DWORD>(mode.height);
      settings.dmBitsPerPel = static_cast<DWORD>(depth);
      settings.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
      if (::ChangeDisplaySettingsExA(device, &settings, nullptr, CDS_FULLSCREEN,
                                     nullptr) == DISP_CHANGE_SUCCESSFUL) {
        *screenWidth = mode.width;
        *screenHeight = mode.height;
        return true;
      }
    }
  }
  return false;
}

bool Win32Display::open(DisplayForm form, const std::string& title, int width,
                        int height) {
  if (window_) return false;
  width_ = width;
  height_ = height;
  form_ = form;
  copy_.assign(static_cast<size_t>(width) * height, kOpaqueBlack);
  DWORD style;
  int x, y;
  if (form == DisplayForm::kWindowed) {
    style = kWindowedStyle;
    RECT outer = {0, 0, width, height};
    if (!::AdjustWindowRect(&outer, style, FALSE)) return false;
    outerWidth_ = outer.right - outer.left;
    outerHeight_ = outer.bottom - outer.top;
    if (!havePlace_) {
      place_ = centredPlace(::GetSystemMetrics(SM_CXSCREEN),
                            ::GetSystemMetrics(SM_CYSCREEN), width, height);
      havePlace_ = true;
    }
    x = place_.x;
    y = place_.y;
    pictureX_ = pictureY_ = 0;
  } else {
    style = WS_POPUP;
    int screenWidth = 0, screenHeight = 0;
    if (!switchDisplayMode(&screenWidth, &screenHeight)) return false;
    modeChanged_ = true;
    outerWidth_ = screenWidth;
    outerHeight_ = screenHeight;
    x = monitorOrigin_.x;
    y = monitorOrigin_.y;
    const WindowPlace centre =
        centredPlace(screenWidth, screenHeight, width, height);
    pictureX_ = centre.x;
    pictureY_ = centre.y;
  }
  window_ = ::CreateWindowExA(0, kClassName, title.c_str(), style | WS_VISIBLE,
                              x, y, outerWidth_, outerHeight_, nullptr, nullptr,
                              instance_, this);
  if (!window_) return false;
  ::SetForegroundWindow(window_);
  ::SetFocus(window_);
  ::UpdateWindow(window_);
  return true;
}

void Win32Display::putRows(HDC dc, int first, int count) {
  // Each band is a top-down DIB of its own, so no scan-line arithmetic.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -count;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, pictureX_, pictureY_ + first,
                      static_cast<DWORD>(width_), static_cast<DWORD>(count), 0,
                      0, 0, static_cast<UINT>(count),
                      copy_.data() + static_cast<size_t>(first) * width_, &info,
                      DIB_RGB_COLORS);
}

void Win32Display::present(const Frame& frame) {
  if (!window_) return;
  HDC dc = nullptr;
  frame.forEachChangedBand([&](int first, int count) {
    for (int y = first; y < first + count; ++y) {
      // 0xAARRGGBB words are the DIB's blue, green, red, reserved bytes.
      std::memcpy(copy_.data() + static_cast<size_t>(y) * width_, frame.row(y),
                  static_cast<size_t>(width_) * sizeof(uint32_t));
    }
    if (!dc) dc = ::GetDC(window_);
    if (dc) putRows(dc, first, count);
  });
  if (dc) ::ReleaseDC(window_, dc);
}

bool Win32Display::pumpMessages(DisplayEvents& events) {
  events_ = &events;
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_ = true;
      break;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  events_ = nullptr;
  return !quit_;
}

LRESULT CALLBACK Win32Display::windowProcedure(HWND window, UINT message,
                                               WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTA* create =
        reinterpret_cast<const CREATESTRUCTA*>(lParam);
    Win32Display* created = static_cast<Win32Display*>(create->lpCreateParams);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(created));
    created->window_ = window;
  }
  Win32Display* self = reinterpret_cast<Win32Display*>(
      ::GetWindowLongPtrA(window, GWLP_USERDATA));
  // The first WM_GETMINMAXINFO comes before WM_NCCREATE; the last messages
  // come while close() destroys the window.
  if (!self || self->window_ != window) {
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

LRESULT Win32Display::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      // Fixed: the smallest and the largest size are the window's own.
      MINMAXINFO* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = POINT{outerWidth_, outerHeight_};
      limits->ptMaxTrackSize = POINT{outerWidth_, outerHeight_};
      return 0;
    }
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      if (handleKeyMessage(message, wParam, lParam, events_)) return 0;
      break;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MAXIMIZE:
          if (events_) events_->fullScreenSwitchRequested();
          return 0;
        case SC_CLOSE:
          if (events_) events_->closeRequested();
          return 0;
        default:
          break;
      }
      break;
    case WM_CLOSE:  // never destroyed but by close()
      if (events_) events_->closeRequested();
      return 0;
    case WM_ACTIVATE:
      if (events_) {
        events_->focusChanged(LOWORD(wParam) != WA_INACTIVE &&
                              HIWORD(wParam) == 0);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (events_) events_->focusChanged(message == WM_SETFOCUS);
      return 0;
    case WM_SIZE:
      if (events_ && wParam == SIZE_MINIMIZED) events_->focusChanged(false);
      return 0;
    case WM_DISPLAYCHANGE:
      if (events_) events_->pictureLost();
      ::InvalidateRect(window_, nullptr, TRUE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window_, &paint);
      if (dc) {
        putRows(dc, 0, height_);
        ::EndPaint(window_, &paint);
      }
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, wParam, lParam);
}

// Where the windowed form stands, and the display nearest to it, for the
// switch to full screen and back.
void Win32Display::rememberPlace() {
  RECT outer;
  if (::GetWindowRect(window_, &outer)) {
    place_.x = outer.left;
    place_.y = outer.top;
  }
  MONITORINFOEXA info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = ::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
  if (monitor && ::GetMonitorInfoA(monitor, &info)) {
    monitor_ = info.szDevice;
    monitorOrigin_ = POINT{info.rcMonitor.left, info.rcMonitor.top};
  }
}

void Win32Display::close() {
  if (window_) {
    if (form_ == DisplayForm::kWindowed) rememberPlace();
    HWND window = window_;
    window_ = nullptr;
    ::DestroyWindow(window);
  }
  if (modeChanged_) {
    modeChanged_ = false;
    const char* device = monitor_.empty() ? nullptr : monitor_.c_str();
    ::ChangeDisplaySettingsExA(device, nullptr, nullptr, 0, nullptr);
  }
}

void Win32Display::disconnect() {
  if (registered_) {
    ::UnregisterClassA(kClassName, instance_);
    registered_ = false;
  }
}

}  // namespace

std::vector<std::unique_ptr<DisplayMethod>> DisplayMethod::CreateAll() {
  std::vector<std::unique_ptr<DisplayMethod>> methods;
  methods.push_back(std::make_unique<Win32Display>());
  return methods;
}

}  // namespace scrpack
