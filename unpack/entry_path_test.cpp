#include "unpack/entry_path.h"

#include <gtest/gtest.h>

#include <string>

namespace scrpack {
namespace {

TEST(EntryPath, SplitsAtBothSlashes) {
  struct Case {
    std::string name;
    const char* joined;
  };
  const Case cases[] = {
      {"cat.jpg", "cat.jpg"},
      {"pics/cat.jpg", "pics/cat.jpg"},
      {"pics\\sub/cat.jpg", "pics/sub/cat.jpg"},
      {"pics//./cat.jpg", "pics/cat.jpg"},
      {"a..b/..c", "a..b/..c"},
      {"\xE9t\xE9.jpg", "\xE9t\xE9.jpg"},
  };
  for (PathRules rules : {PathRules::kPosix, PathRules::kWindows}) {
    for (const Case& c : cases) {
      const EntryPath path = entryPath(c.name, rules);
      EXPECT_EQ(path.refusal, "") << c.name;
      EXPECT_EQ(joinedPath(path), c.joined);
    }
  }
}

TEST(EntryPath, RefusesNamesThatLeaveTheDirectory) {
  struct Case {
    std::string name;
    bool posixRefuses;
    const char* why;  // part of the reason
  };
  const Case cases[] = {
      {"", true, "empty"},
      {"/etc/passwd", true, "absolute"},
      {"\\windows\\x", true, "absolute"},
      {"C:x.jpg", true, "drive letter"},
      {"c:\\x.jpg", true, "drive letter"},
      {"../x.jpg", true, ".."},
      {"a/../../x.jpg", true, ".."},
      {"a\\..", true, ".."},
      {"dir/", true, "separator"},
      {".", true, "no file"},
      {std::string("ab\0cd", 5), true, "zero byte"},
      {"ab:c.jpg", false, "Windows"},
      {"what?.jpg", false, "Windows"},
      {"tab\there", false, "Windows"},
      {"dot.", false, "dot"},
      {"pics /a", false, "blank"},
      {"con", false, "device"},
      {"sub/Com1.jpg", false, "device"},
      {"lpt9", false, "device"},
  };
  for (const Case& c : cases) {
    const EntryPath windows = entryPath(c.name, PathRules::kWindows);
    EXPECT_NE(windows.refusal.find(c.why), std::string::npos)
        << c.name << ": " << windows.refusal;
    EXPECT_TRUE(windows.components.empty()) << c.name;
    const EntryPath posix = entryPath(c.name, PathRules::kPosix);
    EXPECT_EQ(!posix.refusal.empty(), c.posixRefuses) << c.name;
  }
  EXPECT_EQ(entryPath("com10", PathRules::kWindows).refusal, "");
  EXPECT_EQ(entryPath("console.jpg", PathRules::kWindows).refusal, "");
}

}  // namespace
}  // namespace scrpack
