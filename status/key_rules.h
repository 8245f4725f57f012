// What a key press in the status window does: which code it enters into
// the key buffer, if any, and which keys the window keeps from the system.
// The display methods of every platform map their own key identifiers to
// WindowKey and share these rules.
#ifndef SCRPACK_STATUS_KEY_RULES_H_
#define SCRPACK_STATUS_KEY_RULES_H_

#include <cstdint>

namespace scrpack {

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

#endif  // SCRPACK_STATUS_KEY_RULES_H_
