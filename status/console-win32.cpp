// The Windows console.
//
// The surface is the visible window of the console screen buffer: as many
// columns as the buffer is wide, as many rows as the window is high, row 0
// at the window's top. Geometry, cursor and colour attribute are read from
// the console at the start of every print and the cursor is written back at
// its end, so other output between prints is taken as it stands. Pieces go
// into the cells with WriteConsoleOutputA, which leaves the console's own
// cursor alone; the console shows the bytes in its own code page. A console
// call that fails leaves that part of the console as it was, and the print
// goes on: there is no one to tell.
//
// Keys come from the console's input events, without echo. The console's
// close, log-off and shutdown notices become close requests; they arrive on
// a thread of the system's, which only counts them.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "status/console.h"
#include "status/key_ring.h"

namespace scrpack {
namespace {

// WriteConsoleOutputA fails for large buffers; pieces go in slices.
constexpr int kMaxCellsPerWrite = 4096;
constexpr DWORD kMaxInputEvents = 128;

// Counted by the console control handler, drained by takeKeys().
std::atomic<int> g_closeNotices{0};

BOOL WINAPI onConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      ++g_closeNotices;
      // The system ends the process once this handler returns. Waiting
      // here lets the run see the close request, finish and write out its
      // files; the system still ends it when its grace time is up.
      ::Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;  // Ctrl+C and Ctrl+Break end the process as usual
  }
}

class Win32Surface final : public TextSurface {
 public:
  Win32Surface(HANDLE out, const CONSOLE_SCREEN_BUFFER_INFO& info)
      : out_(out), info_(info) {}

  // Reads the console's geometry, cursor and colour attribute; false when
  // |out_| is not a console.
  bool refresh() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!::GetConsoleScreenBufferInfo(out_, &info)) return false;
    info_ = info;
    return true;
  }

  int columns() const override { return std::max<int>(1, info_.dwSize.X); }
  int rows() const override {
    return std::max<int>(1, info_.srWindow.Bottom - info_.srWindow.Top + 1);
  }

  void beginPrint() override {
    refresh();
    windowTop_ = info_.srWindow.Top;
    windowMoved_ = false;
    // A cursor outside the window (the user scrolled away) brings the
    // window to it, as the console does for its own output.
    const int row = info_.dwCursorPosition.Y;
    if (row < windowTop_) {
      moveWindowTo(row);
    } else if (row > windowTop_ + rows() - 1) {
      moveWindowTo(row - (rows() - 1));
    }
    cursor_.column = std::min<int>(info_.dwCursorPosition.X, columns() - 1);
    cursor_.row = row - windowTop_;
  }

  void writePiece(const unsigned char* bytes, int count) override {
    CHAR_INFO cells[kMaxCellsPerWrite];
    int done = 0;
    while (done < count) {
      const int n = std::min(count - done, kMaxCellsPerWrite);
      for (int i = 0; i < n; ++i) {
        cells[i].Char.AsciiChar = static_cast<CHAR>(bytes[done + i]);
        cells[i].Attributes = info_.wAttributes;
      }
      const SHORT left = static_cast<SHORT>(cursor_.column + done);
      const SHORT top = static_cast<SHORT>(windowTop_ + cursor_.row);
      SMALL_RECT region = {left, top, static_cast<SHORT>(left + n - 1), top};
      if (!::WriteConsoleOutputA(out_, cells, {static_cast<SHORT>(n), 1},
                                 {0, 0}, &region)) {
        return;
      }
      done += n;
    }
  }

  // The window first moves down over buffer rows below it; rows still
  // missing come from moving the whole buffer up.
  void scrollUp(int count) override {
    const int bufferRows = info_.dwSize.Y;
    const int below = bufferRows - (windowTop_ + rows());
    const int move = std::max(0, std::min(count, below));
    if (move > 0) moveWindowTo(windowTop_ + move);
    const int rest = std::min(count - move, bufferRows);
    if (rest <= 0) return;
    const CHAR_INFO blank = {{' '}, info_.wAttributes};
    if (rest < bufferRows) {
      // The rows that stay, moved to the top; what moves off is lost.
      const SMALL_RECT staying = {0, static_cast<SHORT>(rest),
                                  static_cast<SHORT>(info_.dwSize.X - 1),
                                  static_cast<SHORT>(bufferRows - 1)};
      ::ScrollConsoleScreenBufferA(out_, &staying, nullptr, {0, 0}, &blank);
    }
    const COORD firstFreed = {0, static_cast<SHORT>(bufferRows - rest)};
    const DWORD cells =
        static_cast<DWORD>(info_.dwSize.X) * static_cast<DWORD>(rest);
    DWORD written = 0;
    ::FillConsoleOutputCharacterA(out_, ' ', cells, firstFreed, &written);
    ::FillConsoleOutputAttribute(out_, info_.wAttributes, cells, firstFreed,
                                 &written);
  }

  void endPrint() override {
    const COORD cursor = {static_cast<SHORT>(cursor_.column),
                          static_cast<SHORT>(windowTop_ + cursor_.row)};
    ::SetConsoleCursorPosition(out_, cursor);
    if (windowMoved_) {
      const SMALL_RECT window = {
          info_.srWindow.Left, static_cast<SHORT>(windowTop_),
          info_.srWindow.Right, static_cast<SHORT>(windowTop_ + rows() - 1)};
      ::SetConsoleWindowInfo(out_, TRUE, &window);
    }
  }

 private:
  void moveWindowTo(int top) {
    const int highest = std::max(0, info_.dwSize.Y - rows());
    windowTop_ = std::max(0, std::min(top, highest));
    windowMoved_ = true;
  }

  const HANDLE out_;
  CONSOLE_SCREEN_BUFFER_INFO info_;
  // The window's top row in buffer coordinates during a print.
  int windowTop_ = 0;
  bool windowMoved_ = false;
};

bool isModifierKey(WORD virtualKey) {
  switch (virtualKey) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
      return true;
    default:
      return false;
  }
}

// A key press with a character gives the character's byte; one without a
// character its scan code above a low byte of 0xFF. Shift, Ctrl, Alt and
// the lock keys alone give no key.
void addKeyCodes(const KEY_EVENT_RECORD& key, std::vector<uint32_t>* codes) {
  if (!key.bKeyDown || isModifierKey(key.wVirtualKeyCode)) return;
  const unsigned char character =
      static_cast<unsigned char>(key.uChar.AsciiChar);
  const uint32_t code =
      character != 0
          ? character
          : (static_cast<uint32_t>(key.wVirtualScanCode & 0xFF) << 8) |
                kNoCharacterLowByte;
  const int repeat = std::max<int>(1, key.wRepeatCount);
  for (int i = 0; i < repeat; ++i) codes->push_back(code);
}

class Win32Console final : public Console {
 public:
  Win32Console()
      : out_(::GetStdHandle(STD_OUTPUT_HANDLE)),
        in_(::GetStdHandle(STD_INPUT_HANDLE)) {
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    surface_ = std::make_unique<Win32Surface>(out_, info);
    // Standard output stays what it is for the whole run.
    isConsole_ = surface_->refresh();
  }

  ~Win32Console() override { ::SetConsoleCtrlHandler(onConsoleControl, FALSE); }

  TextSurface* surface() override {
    return isConsole_ ? surface_.get() : nullptr;
  }

  void writeRaw(const unsigned char* bytes, size_t size) override {
    while (size > 0) {
      DWORD written = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1 << 30));
      if (!::WriteFile(out_, bytes, want, &written, nullptr) || written == 0) {
        return;
      }
      bytes += written;
      size -= written;
    }
  }

  void takeKeys(std::vector<uint32_t>* codes) override {
    INPUT_RECORD events[kMaxInputEvents];
    for (;;) {
      DWORD waiting = 0;
      if (!::PeekConsoleInputA(in_, events, kMaxInputEvents, &waiting) ||
          waiting == 0) {
        break;
      }
      DWORD taken = 0;
      if (!::ReadConsoleInputA(in_, events, waiting, &taken) || taken == 0) {
        break;
      }
      for (DWORD i = 0; i < taken; ++i) {
        if (events[i].EventType == KEY_EVENT) {
          addKeyCodes(events[i].Event.KeyEvent, codes);
        }
      }
    }
    for (int n = g_closeNotices.exchange(0); n > 0; --n) {
      codes->push_back(kCloseRequest);
    }
  }

 private:
  const HANDLE out_;
  const HANDLE in_;
  std::unique_ptr<Win32Surface> surface_;
  bool isConsole_ = false;  // false: standard output is a file or a pipe
};

}  // namespace

std::unique_ptr<Console> Console::Create() {
  return std::make_unique<Win32Console>();
}

}  // namespace scrpack
