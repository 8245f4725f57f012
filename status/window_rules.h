// The status window's fixed rules that need no window system: the title
// taken from the program's path, the centred placement, which arguments
// can open a window, and what a key press does. The display methods of
// every platform share them.
#ifndef SCRPACK_STATUS_WINDOW_RULES_H_
#define SCRPACK_STATUS_WINDOW_RULES_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace scrpack {

// The program's path is read with room for this many characters.
constexpr size_t kTitlePathChars = 127;

// The file name of |programPath| (cut to kTitlePathChars first): the text
// after its last separator, cut before its last dot; a name without a dot
// is used whole. Both '/' and '\\' separate.
std::string windowTitle(const std::string& programPath);

struct WindowPlace {
  int x = 0;
  int y = 0;
};

// The outer top-left corner that centres a client area of |clientWidth| x
// |clientHeight| on a display of |displayWidth| x |displayHeight|: each
// halved difference rounded down, also when it is negative.
WindowPlace centredPlace(int displayWidth, int displayHeight, int clientWidth,
                         int clientHeight);

// Whether StatusWindow::open may try at all: a positive size and one of
// the colour depths 1, 2, 4, 8, 15, 16, 24 and 32.
bool windowArgumentsValid(int32_t width, int32_t height, int32_t bitsPerPixel);

// Keys that matter by what they are rather than by the character they
// type. Display methods map their own key identifiers to these.
enum class WindowKey {
  kCharacter,  // any other key; it types KeyStroke::character, if anything
  kModifier,   // Shift, Ctrl, Caps Lock and the like, alone
  kAlt,
  kEnter,
  kF1,
  kF2,
  kF3,
  kF4,
  kF5,
  kF6,
  kF7,
  kF8,
  kF9,
  kF10,
  kF11,
  kF12,
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kInsert,
  kDelete,
};

// The character of a key that types none.
constexpr uint32_t kNoCharacter = 0xFFFFFFFFu;

struct KeyStroke {
  WindowKey key = WindowKey::kCharacter;
  // The Unicode character the key types (NUL included), or kNoCharacter.
  uint32_t character = kNoCharacter;
  bool altHeld = false;
};

enum class KeyReaction {
  kIgnore,            // nothing is entered; the press may go on as usual
  kEnter,             // KeyOutcome::code is entered into the key buffer
  kSwallow,           // nothing is entered and the system must not see it
  kPassOn,            // nothing is entered; the system's handling gets it
  kSwitchFullScreen,  // Alt+Enter
};

struct KeyOutcome {
  KeyReaction reaction = KeyReaction::kIgnore;
  uint32_t code = 0;
};

// Typed characters enter their code page 437 value, or '?' when that code
// page lacks them; keys without a character enter a code whose low byte is
// 0xFF and whose high byte is the PC BIOS scan code of the key. Alt alone,
// F10 and Alt+F4 are swallowed; Alt with any other key but Enter passes on.
KeyOutcome reactToKey(const KeyStroke& press);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_WINDOW_RULES_H_
