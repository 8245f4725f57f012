#include "unpack/name_text.h"

#include <gtest/gtest.h>

#include <string>

namespace scrpack {
namespace {

TEST(NameText, ShownNamesNeverCarryControlOrHighBytes) {
  struct Case {
    std::string name;
    const char* shown;
  };
  const Case cases[] = {
      {"cat.jpg", "cat.jpg"},
      {"pics/a b.jpg", "pics/a b.jpg"},
      {"pics\\a.jpg", "pics\\a.jpg"},
      {"", "\"\""},
      {" lead.jpg", "\" lead.jpg\""},
      {"say\"hi\"", "\"say\\\"hi\\\"\""},
      {"a\x1B[2Jb", "\"a\\x1B[2Jb\""},
      {"tab\there\r\n", "\"tab\\there\\r\\n\""},
      {std::string("ab\0cd", 5), "\"ab\\x00cd\""},
      {"caf\xC3\xA9\x7F", "\"caf\\xC3\\xA9\\x7F\""},
      {"\\\xFF", "\"\\\\\\xFF\""},
  };
  for (const Case& c : cases) EXPECT_EQ(shownName(c.name), c.shown);
}

TEST(NameText, JsonKeepsEveryByteAsOneCharacter) {
  struct Case {
    std::string bytes;
    const char* json;
  };
  const Case cases[] = {
      {"cat.jpg", "\"cat.jpg\""},
      {"", "\"\""},
      {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
      {std::string("\0\x01\x1F\x7F", 4), "\"\\u0000\\u0001\\u001F\\u007F\""},
      {"\x80\xE9\xFF", "\"\xC2\x80\xC3\xA9\xC3\xBF\""},
  };
  for (const Case& c : cases) EXPECT_EQ(jsonString(c.bytes), c.json);
}

}  // namespace
}  // namespace scrpack
