#include "status/key_rules.h"

#include "status/cp437.h"
#include "status/key_ring.h"

namespace scrpack {
namespace {

// What a typed character without a code page 437 value enters, as the
// system's own conversion to a narrow code page would give it.
constexpr uint32_t kUnknownCharacter = '?';

// The PC BIOS scan code of a key without a character, or 0.
uint32_t scanCode(WindowKey key) {
  switch (key) {
    case WindowKey::kF1:
      return 0x3B;
    case WindowKey::kF2:
      return 0x3C;
    case WindowKey::kF3:
      return 0x3D;
    case WindowKey::kF4:
      return 0x3E;
    case WindowKey::kF5:
      return 0x3F;
    case WindowKey::kF6:
      return 0x40;
    case WindowKey::kF7:
      return 0x41;
    case WindowKey::kF8:
      return 0x42;
    case WindowKey::kF9:
      return 0x43;
    case WindowKey::kF10:
      return 0x44;
    case WindowKey::kF11:
      return 0x85;
    case WindowKey::kF12:
      return 0x86;
    case WindowKey::kHome:
      return 0x47;
    case WindowKey::kUp:
      return 0x48;
    case WindowKey::kPageUp:
      return 0x49;
    case WindowKey::kLeft:
      return 0x4B;
    case WindowKey::kRight:
      return 0x4D;
    case WindowKey::kEnd:
      return 0x4F;
    case WindowKey::kDown:
      return 0x50;
    case WindowKey::kPageDown:
      return 0x51;
    case WindowKey::kInsert:
      return 0x52;
    case WindowKey::kDelete:
      return 0x53;
    default:
      return 0;
  }
}

}  // namespace

KeyOutcome reactToKey(const KeyStroke& press) {
  KeyOutcome outcome;
  if (press.key == WindowKey::kAlt || press.key == WindowKey::kF10 ||
      (press.altHeld && press.key == WindowKey::kF4)) {
    outcome.reaction = KeyReaction::kSwallow;
    return outcome;
  }
  if (press.altHeld) {
    outcome.reaction = press.key == WindowKey::kEnter
                           ? KeyReaction::kSwitchFullScreen
                           : KeyReaction::kPassOn;
    return outcome;
  }
  if (press.key == WindowKey::kModifier) return outcome;
  if (const uint32_t scan = scanCode(press.key)) {
    outcome.reaction = KeyReaction::kEnter;
    outcome.code = (scan << 8) | kNoCharacterLowByte;
    return outcome;
  }
  const uint32_t character =
      press.key == WindowKey::kEnter ? uint32_t{'\r'} : press.character;
  if (character == kNoCharacter) return outcome;
  const int cp437 = unicodeToCp437(character);
  outcome.reaction = KeyReaction::kEnter;
  outcome.code = cp437 >= 0 ? static_cast<uint32_t>(cp437) : kUnknownCharacter;
  return outcome;
}

}  // namespace scrpack
