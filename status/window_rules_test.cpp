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

}  // namespace
}  // namespace scrpack
