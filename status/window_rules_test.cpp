#include "status/window_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace scrpack {
namespace {

TEST(WindowTitle, FileNameWithoutItsLastExtension) {
  struct Case {
    const char* path;
    const char* title;
  };
  const Case cases[] = {
      {"/usr/local/bin/scrpack", "scrpack"},
      {"/opt/tools/scr.pack.v2.exe", "scr.pack.v2"},  // only the last dot
      {"C:\\Games\\Velko\\SCRPACK.EXE", "SCRPACK"},
      {"C:\\Games\\v1.2\\scrpack", "scrpack"},  // a dot in a directory only
      {"/home/a.b/", ""},
      {"scrpack.exe", "scrpack"},  // no separator at all
      {"/tmp/.hidden", ""},        // cut before the last dot, even the first
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(windowTitle(c.path), c.title) << c.path;
  }
}

TEST(WindowTitle, PathIsReadWithRoomFor127Characters) {
  // The name starts at character 120; only 7 of its characters are read.
  const std::string directory = "/" + std::string(118, 'd') + "/";
  ASSERT_EQ(directory.size(), 120u);
  EXPECT_EQ(windowTitle(directory + "scrpack.exe"), "scrpack");
  EXPECT_EQ(windowTitle(directory + "abcdefghij.exe"), "abcdefg");
  EXPECT_EQ(windowTitle(directory + "abc.defghij"), "abc");
  // A cut inside the directory leaves a piece of the directory's name.
  const std::string deep = "/" + std::string(200, 'x') + "/scrpack";
  EXPECT_EQ(windowTitle(deep), std::string(126, 'x'));
}

TEST(CentredPlace, HalvedDifferenceRoundedDown) {
  struct Case {
    int displayWidth, displayHeight, x, y;
  };
  const Case cases[] = {
      {1024, 768, 192, 144},  {1920, 1080, 640, 300}, {641, 481, 0, 0},
      {640, 480, 0, 0},       {639, 479, -1, -1},  // down, not towards zero
      {320, 200, -160, -140}, {321, 201, -160, -140},
  };
  for (const Case& c : cases) {
    const WindowPlace place =
        centredPlace(c.displayWidth, c.displayHeight, 640, 480);
    EXPECT_EQ(place.x, c.x) << c.displayWidth;
    EXPECT_EQ(place.y, c.y) << c.displayHeight;
  }
}

TEST(WindowArguments, PositiveSizeAndAKnownDepth) {
  for (int depth = -1; depth <= 40; ++depth) {
    const bool known = depth == 1 || depth == 2 || depth == 4 || depth == 8 ||
                       depth == 15 || depth == 16 || depth == 24 || depth == 32;
    EXPECT_EQ(windowArgumentsValid(640, 480, depth), known) << depth;
  }
  EXPECT_FALSE(windowArgumentsValid(0, 480, 32));
  EXPECT_FALSE(windowArgumentsValid(640, 0, 32));
  EXPECT_FALSE(windowArgumentsValid(-640, 480, 32));
  EXPECT_TRUE(windowArgumentsValid(1, 1, 32));
}

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
