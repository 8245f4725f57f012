#include "status/window_rules.h"

#include "status/cp437.h"
#include "status/key_ring.h"

namespace scrpack {
namespace {

// What a typed character without a code page 437 value enters, as the
// system's own conversion to a narrow code page would give it.
constexpr uint32_t kUnknownCharacter = '?';

int floorHalf(int value) { return value >= 0 ? value / 2 : -((1 - value) / 2); }

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

std::string windowTitle(const std::string& programPath) {
  const std::string path = programPath.substr(0, kTitlePathChars);
  const size_t separator = path.find_last_of("/\\");
  std::string name =
      separator == std::string::npos ? path : path.substr(separator + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

WindowPlace centredPlace(int displayWidth, int displayHeight, int clientWidth,
                         int clientHeight) {
  WindowPlace place;
  place.x = floorHalf(displayWidth - clientWidth);
  place.y = floorHalf(displayHeight - clientHeight);
  return place;
}

bool windowArgumentsValid(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0) return false;
  switch (bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

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
