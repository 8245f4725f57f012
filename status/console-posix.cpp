// The console on a POSIX terminal.
//
// The terminal is driven with cursor positioning only: every piece is put
// at its cell with CUP, and scrolling is a line feed on the bottom row, so
// scrolled lines land in the terminal's scrollback as usual. Every byte is
// shown as its code page 437 glyph and never reaches the terminal as a
// control code, so a name cannot drive the terminal.
//
// Keys are read from standard input without echo and without waiting for
// Enter (VMIN 0, VTIME 0); the saved terminal mode comes back when the
// console is destroyed and on every signal that stops or ends the process.
#include <errno.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "platform/system.h"
#include "status/console.h"
#include "status/cp437.h"
#include "status/key_ring.h"

namespace scrpack {
namespace {

constexpr int kIn = STDIN_FILENO;
constexpr int kOut = STDOUT_FILENO;
constexpr int kCursorReplyWaitMs = 250;

// Every catchable signal whose default ends the process, other than the
// close notices below: each puts the terminal back first.
constexpr int kFatalSignals[] = {SIGINT,  SIGQUIT,   SIGABRT, SIGUSR1,  SIGUSR2,
                                 SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,  SIGXFSZ,
                                 SIGSYS,  SIGTRAP,   SIGBUS,  SIGFPE,   SIGILL,
                                 SIGSEGV, SIGIO,     SIGPWR,  SIGSTKFLT};

// Signal handlers see only these.
struct termios g_savedMode;
std::atomic<bool> g_rawMode{false};
std::atomic<int> g_closeNotices{0};
// Set when the terminal's size may have changed; the size is read again at
// the next print. Set at start, so the first print reads it.
std::atomic<bool> g_resized{true};

void applyRawMode() {
  struct termios raw = g_savedMode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (::tcsetattr(kIn, TCSANOW, &raw) == 0) g_rawMode = true;
}

void restoreMode() {
  if (g_rawMode.exchange(false)) ::tcsetattr(kIn, TCSANOW, &g_savedMode);
}

void onCloseNotice(int) { ++g_closeNotices; }

void onResize(int) { g_resized = true; }

void onFatalSignal(int sig) {
  restoreMode();
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void onStop(int sig) {
  restoreMode();
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void onContinue(int) {
  applyRawMode();
  ::signal(SIGTSTP, onStop);
}

void installHandler(int sig, void (*handler)(int)) {
  struct sigaction action;
  ::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  ::sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(sig, &action, nullptr);
}

bool writeAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void appendCursorMove(int column, int row, std::string* out) {
  *out += "\x1b[";
  *out += std::to_string(row + 1);
  *out += ';';
  *out += std::to_string(column + 1);
  *out += 'H';
}

class TerminalSurface final : public TextSurface {
 public:
  TerminalSurface(bool utf8, bool canQuery, std::string* input)
      : utf8_(utf8), canQuery_(canQuery), input_(input) {}

  int columns() const override { return columns_; }
  int rows() const override { return rows_; }

  void beginPrint() override {
    struct winsize size;
    if (g_resized.exchange(false) && ::ioctl(kOut, TIOCGWINSZ, &size) == 0 &&
        size.ws_col > 0 && size.ws_row > 0) {
      columns_ = size.ws_col;
      rows_ = size.ws_row;
    }
    if (!placed_) {
      placed_ = true;
      locateCursor();
    }
    if (cursor_.column >= columns_) cursor_.column = columns_ - 1;
    if (cursor_.row >= rows_) cursor_.row = rows_ - 1;
  }

  void writePiece(const unsigned char* bytes, int count) override {
    appendCursorMove(cursor_.column, cursor_.row, &out_);
    for (int i = 0; i < count; ++i) {
      if (utf8_) {
        appendUtf8(cp437ToUnicode(bytes[i]), &out_);
      } else {
        const bool plain = bytes[i] >= 0x20 && bytes[i] < 0x7F;
        out_.push_back(plain ? static_cast<char>(bytes[i]) : '?');
      }
    }
  }

  void scrollUp(int count) override {
    if (count > rows_) count = rows_;
    appendCursorMove(0, rows_ - 1, &out_);
    out_.append(static_cast<size_t>(count), '\n');
  }

  void endPrint() override {
    if (held_) {
      // Every piece and scroll starts by placing the cursor itself.
      heldPrint_ = true;
      return;
    }
    appendCursorMove(cursor_.column, cursor_.row, &out_);
    writeAll(kOut, out_.data(), out_.size());
    out_.clear();
  }

  // While held, the prints' output is gathered and goes out in one write
  // when released.
  void hold() { held_ = true; }
  void release() {
    held_ = false;
    if (heldPrint_) {
      heldPrint_ = false;
      endPrint();
    }
  }

 private:
  // Asks the terminal where its cursor is (DSR 6). Keys typed meanwhile
  // are kept for the key test. Without an answer the text starts on the
  // bottom row, below whatever the terminal shows.
  void locateCursor() {
    if (canQuery_ && writeAll(kOut, "\x1b[6n", 4) && readCursorReply()) return;
    writeAll(kOut, "\r\n", 2);
    cursor_.column = 0;
    cursor_.row = rows_ - 1;
  }

  bool readCursorReply() {
    std::string reply;
    int waited = 0;
    while (waited < kCursorReplyWaitMs) {
      struct pollfd p = {kIn, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) {
        waited += 10;
        continue;
      }
      char buffer[64];
      const ssize_t n = ::read(kIn, buffer, sizeof buffer);
      if (n <= 0) {
        waited += 10;
        continue;
      }
      reply.append(buffer, static_cast<size_t>(n));
      int row = 0;
      int column = 0;
      const size_t start = reply.find("\x1b[");
      if (start != std::string::npos &&
          ::sscanf(reply.c_str() + start, "\x1b[%d;%dR", &row, &column) == 2) {
        const size_t end = reply.find('R', start);
        input_->append(reply, 0, start);
        input_->append(reply, end + 1, std::string::npos);
        cursor_.row = row - 1;
        cursor_.column = column - 1;
        return true;
      }
    }
    input_->append(reply);
    return false;
  }

  const bool utf8_;
  const bool canQuery_;
  std::string* const input_;
  int columns_ = 80;
  int rows_ = 24;
  bool placed_ = false;
  bool held_ = false;
  bool heldPrint_ = false;  // a print ended while held
  std::string out_;
};

// Splits terminal input into key codes: a character gives its code page 437
// value, an escape sequence (cursor and function keys) one code with a low
// byte of 0xFF.
void parseKeys(const std::string& in, bool utf8, std::vector<uint32_t>* codes) {
  size_t i = 0;
  while (i < in.size()) {
    const unsigned char b = static_cast<unsigned char>(in[i]);
    if (b == 0x1B && i + 1 < in.size() &&
        (in[i + 1] == '[' || in[i + 1] == 'O')) {
      size_t j = i + 2;
      while (j < in.size() && !(in[j] >= 0x40 && in[j] <= 0x7E)) ++j;
      if (j < in.size()) {
        codes->push_back((static_cast<uint32_t>(in[j]) << 8) |
                         kNoCharacterLowByte);
        i = j + 1;
        continue;
      }
    }
    if (utf8 && b >= 0xC0) {
      const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
      uint32_t codePoint = b & (0x3F >> (length - 1));
      size_t k = 1;
      for (; k < length && i + k < in.size(); ++k) {
        codePoint = (codePoint << 6) | (in[i + k] & 0x3F);
      }
      const int cp = unicodeToCp437(codePoint);
      codes->push_back(cp >= 0
                           ? static_cast<uint32_t>(cp)
                           : ((codePoint & 0xFF) << 8) | kNoCharacterLowByte);
      i += k;
      continue;
    }
    codes->push_back(b);
    ++i;
  }
}

class PosixConsole final : public Console {
 public:
  PosixConsole() {
    const bool keyboard = ::isatty(kIn) && ::tcgetattr(kIn, &g_savedMode) == 0;
    if (keyboard) {
      applyRawMode();
      // Other handlers that end the process put the terminal back too.
      platform::setSignalRestoreHook(restoreMode);
      for (int sig : kFatalSignals) installHandler(sig, onFatalSignal);
      for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) {
        installHandler(sig, onFatalSignal);
      }
      installHandler(SIGTSTP, onStop);
      installHandler(SIGCONT, onContinue);
    }
    installHandler(SIGHUP, onCloseNotice);
    installHandler(SIGTERM, onCloseNotice);
    const char* codeset = ::nl_langinfo(CODESET);
    utf8_ = codeset && ::strcmp(codeset, "UTF-8") == 0;
    keyboard_ = g_rawMode;
    if (::isatty(kOut)) {
      installHandler(SIGWINCH, onResize);
      surface_ = std::make_unique<TerminalSurface>(utf8_, keyboard_, &input_);
    }
  }

  ~PosixConsole() override { restoreMode(); }

  TextSurface* surface() override { return surface_.get(); }
  void beginLine() override {
    if (surface_) surface_->hold();
  }
  void endLine() override {
    if (surface_) surface_->release();
  }

  void writeRaw(const unsigned char* bytes, size_t size) override {
    writeAll(kOut, reinterpret_cast<const char*>(bytes), size);
  }

  void takeKeys(std::vector<uint32_t>* codes) override {
    if (keyboard_) {
      char buffer[256];
      ssize_t n;
      while ((n = ::read(kIn, buffer, sizeof buffer)) > 0) {
        input_.append(buffer, static_cast<size_t>(n));
      }
    }
    parseKeys(input_, utf8_, codes);
    input_.clear();
    for (int n = g_closeNotices.exchange(0); n > 0; --n) {
      codes->push_back(kCloseRequest);
    }
  }

 private:
  bool utf8_ = false;
  bool keyboard_ = false;
  std::string input_;  // read from the terminal, not yet taken as keys
  std::unique_ptr<TerminalSurface> surface_;
};

}  // namespace

std::unique_ptr<Console> Console::Create() {
  return std::make_unique<PosixConsole>();
}

}  // namespace scrpack
