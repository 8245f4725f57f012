#include "status/key_rules.h"

#include <gtest/gtest.h>

#include "status/key_ring.h"

namespace scrpack {
namespace {

KeyStroke stroke(WindowKey key, uint32_t character = kNoCharacter,
                 bool alt = false) {
  KeyStroke s;
  s.key = key;
  s.character = character;
  s.altHeld = alt;
  return s;
}

TEST(ReactToKey, WhatEachKeyEnters) {
  struct Case {
    const char* what;
    KeyStroke press;
    KeyReaction reaction;
    uint32_t code;
  };
  const Case cases[] = {
      {"a", stroke(WindowKey::kCharacter, 'a'), KeyReaction::kEnter, 'a'},
      {"Shift+A", stroke(WindowKey::kCharacter, 'A'), KeyReaction::kEnter, 'A'},
      {"Ctrl+C", stroke(WindowKey::kCharacter, 0x03), KeyReaction::kEnter,
       0x03},
      {"Ctrl+Space", stroke(WindowKey::kCharacter, 0x00), KeyReaction::kEnter,
       0x00},
      {"Space", stroke(WindowKey::kCharacter, ' '), KeyReaction::kEnter, ' '},
      {"Esc", stroke(WindowKey::kCharacter, 0x1B), KeyReaction::kEnter, 0x1B},
      {"Backspace", stroke(WindowKey::kCharacter, 0x08), KeyReaction::kEnter,
       0x08},
      {"Tab", stroke(WindowKey::kCharacter, 0x09), KeyReaction::kEnter, 0x09},
      {"Enter", stroke(WindowKey::kEnter, '\r'), KeyReaction::kEnter, 0x0D},
      {"Enter, no character given", stroke(WindowKey::kEnter),
       KeyReaction::kEnter, 0x0D},
      {"e acute", stroke(WindowKey::kCharacter, 0xE9), KeyReaction::kEnter,
       0x82},
      {"sharp s", stroke(WindowKey::kCharacter, 0xDF), KeyReaction::kEnter,
       0xE1},
      {"euro sign", stroke(WindowKey::kCharacter, 0x20AC), KeyReaction::kEnter,
       '?'},
      {"F1", stroke(WindowKey::kF1), KeyReaction::kEnter, 0x3BFF},
      {"F9", stroke(WindowKey::kF9), KeyReaction::kEnter, 0x43FF},
      {"F11", stroke(WindowKey::kF11), KeyReaction::kEnter, 0x85FF},
      {"F12", stroke(WindowKey::kF12), KeyReaction::kEnter, 0x86FF},
      {"F4", stroke(WindowKey::kF4), KeyReaction::kEnter, 0x3EFF},
      {"Up", stroke(WindowKey::kUp), KeyReaction::kEnter, 0x48FF},
      {"Down", stroke(WindowKey::kDown), KeyReaction::kEnter, 0x50FF},
      {"Left", stroke(WindowKey::kLeft), KeyReaction::kEnter, 0x4BFF},
      {"Right", stroke(WindowKey::kRight), KeyReaction::kEnter, 0x4DFF},
      {"Home", stroke(WindowKey::kHome), KeyReaction::kEnter, 0x47FF},
      {"End", stroke(WindowKey::kEnd), KeyReaction::kEnter, 0x4FFF},
      {"Page Up", stroke(WindowKey::kPageUp), KeyReaction::kEnter, 0x49FF},
      {"Page Down", stroke(WindowKey::kPageDown), KeyReaction::kEnter, 0x51FF},
      {"Insert", stroke(WindowKey::kInsert), KeyReaction::kEnter, 0x52FF},
      // Delete types DEL on some systems; it still is a key without one.
      {"Delete", stroke(WindowKey::kDelete, 0x7F), KeyReaction::kEnter, 0x53FF},
      {"Shift alone", stroke(WindowKey::kModifier), KeyReaction::kIgnore, 0},
      {"a key that types nothing", stroke(WindowKey::kCharacter),
       KeyReaction::kIgnore, 0},
      {"Alt alone", stroke(WindowKey::kAlt), KeyReaction::kSwallow, 0},
      {"Alt alone, Alt held", stroke(WindowKey::kAlt, kNoCharacter, true),
       KeyReaction::kSwallow, 0},
      {"F10", stroke(WindowKey::kF10), KeyReaction::kSwallow, 0},
      {"Alt+F10", stroke(WindowKey::kF10, kNoCharacter, true),
       KeyReaction::kSwallow, 0},
      {"Alt+F4", stroke(WindowKey::kF4, kNoCharacter, true),
       KeyReaction::kSwallow, 0},
      {"Alt+Enter", stroke(WindowKey::kEnter, '\r', true),
       KeyReaction::kSwitchFullScreen, 0},
      {"Alt+a", stroke(WindowKey::kCharacter, 'a', true), KeyReaction::kPassOn,
       0},
      {"Alt+F5", stroke(WindowKey::kF5, kNoCharacter, true),
       KeyReaction::kPassOn, 0},
      {"Alt+Shift", stroke(WindowKey::kModifier, kNoCharacter, true),
       KeyReaction::kPassOn, 0},
  };
  for (const Case& c : cases) {
    const KeyOutcome outcome = reactToKey(c.press);
    EXPECT_EQ(outcome.reaction, c.reaction) << c.what;
    if (c.reaction == KeyReaction::kEnter) {
      EXPECT_EQ(outcome.code, c.code) << c.what;
    }
  }
}

}  // namespace
}  // namespace scrpack
