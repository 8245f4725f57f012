#include "status/win32_keys.h"

#include <cstdint>

#include "status/display.h"
#include "status/key_rules.h"

namespace scrpack {
namespace {

WindowKey windowKeyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return WindowKey::kAlt;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
      return WindowKey::kModifier;
    case VK_RETURN:
      return WindowKey::kEnter;
    case VK_F1:
      return WindowKey::kF1;
    case VK_F2:
      return WindowKey::kF2;
    case VK_F3:
      return WindowKey::kF3;
    case VK_F4:
      return WindowKey::kF4;
    case VK_F5:
      return WindowKey::kF5;
    case VK_F6:
      return WindowKey::kF6;
    case VK_F7:
      return WindowKey::kF7;
    case VK_F8:
      return WindowKey::kF8;
    case VK_F9:
      return WindowKey::kF9;
    case VK_F10:
      return WindowKey::kF10;
    case VK_F11:
      return WindowKey::kF11;
    case VK_F12:
      return WindowKey::kF12;
    case VK_UP:
      return WindowKey::kUp;
    case VK_DOWN:
      return WindowKey::kDown;
    case VK_LEFT:
      return WindowKey::kLeft;
    case VK_RIGHT:
      return WindowKey::kRight;
    case VK_HOME:
      return WindowKey::kHome;
    case VK_END:
      return WindowKey::kEnd;
    case VK_PRIOR:
      return WindowKey::kPageUp;
    case VK_NEXT:
      return WindowKey::kPageDown;
    case VK_INSERT:
      return WindowKey::kInsert;
    case VK_DELETE:
      return WindowKey::kDelete;
    default:
      return WindowKey::kCharacter;
  }
}

// Keys whose key-down message enters a code; all others type characters,
// which WM_CHAR brings, or nothing.
bool hasKeyCode(WindowKey key) {
  return key != WindowKey::kCharacter && key != WindowKey::kModifier &&
         key != WindowKey::kAlt && key != WindowKey::kEnter;
}

// WM_CHAR of an ANSI window carries a byte of the thread's code page.
uint32_t unicodeOf(WPARAM ansiCharacter) {
  const char byte = static_cast<char>(ansiCharacter & 0xFF);
  wchar_t wide = 0;
  if (::MultiByteToWideChar(CP_THREAD_ACP, 0, &byte, 1, &wide, 1) != 1) {
    return '?';
  }
  return static_cast<uint32_t>(wide);
}

int repeatCount(LPARAM lParam) {
  const int count = static_cast<int>(lParam & 0xFFFF);
  return count > 0 ? count : 1;
}

}  // namespace

bool handleKeyMessage(UINT message, WPARAM wParam, LPARAM lParam,
                      DisplayEvents* events) {
  KeyStroke press;
  if (message == WM_CHAR) {
    press.character = unicodeOf(wParam);
  } else {
    press.key = windowKeyOf(wParam);
    press.altHeld = (lParam & (1 << 29)) != 0;  // the context code
  }
  if (message == WM_KEYDOWN && !hasKeyCode(press.key)) return false;
  if (message == WM_SYSKEYUP) {
    // The release of Alt or F10 would open the system menu.
    return press.key == WindowKey::kAlt || press.key == WindowKey::kF10;
  }
  if (message == WM_SYSCHAR) {
    // The character of Alt+Enter is swallowed with its key; others pass on.
    return wParam == '\r';
  }
  const KeyOutcome outcome = reactToKey(press);
  switch (outcome.reaction) {
    case KeyReaction::kEnter:
      if (events) {
        for (int i = repeatCount(lParam); i > 0; --i)
          events->keyEntered(outcome.code);
      }
      return true;
    case KeyReaction::kSwitchFullScreen:
      if (events) events->fullScreenSwitchRequested();
      return true;
    case KeyReaction::kSwallow:
      return true;
    case KeyReaction::kPassOn:
    case KeyReaction::kIgnore:
      break;
  }
  return false;
}

}  // namespace scrpack
