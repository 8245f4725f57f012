#include "unpack/check_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/pack_builder.h"

namespace scrpack {
namespace {

using test::jpegLike;
using test::PackBuilder;

// One expected finding: its kind, its slot and a part of its message.
struct Expected {
  Severity severity;
  int slot;
  const char* part;
};

void expectFindings(const std::vector<Finding>& found,
                    const std::vector<Expected>& expected,
                    const std::string& what) {
  std::string all;
  for (const Finding& f : found) all += "\n  " + f.message;
  ASSERT_EQ(found.size(), expected.size()) << what << all;
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].severity, expected[i].severity) << what << all;
    EXPECT_EQ(found[i].slot, expected[i].slot) << what << all;
    EXPECT_NE(found[i].message.find(expected[i].part), std::string::npos)
        << what << ": " << found[i].message;
  }
}

std::vector<Finding> check(const std::string& bytes) {
  PackReader pack;
  EXPECT_EQ(pack.openBytes(bytes.data(), bytes.size()), PackError::kNone);
  return checkPack(pack);
}

// Two JPEG-like entries back to back, as the packer writes them.
const std::string kA = jpegLike("aa");
const std::string kB = jpegLike("bb");
PackBuilder soundPack() {
  return PackBuilder()
      .slot(1, "a.jpg", 1536, 6)
      .slot(2, "b.jpg", 1542, 6)
      .data(kA + kB);
}

TEST(CheckRules, EachFaultGivesItsFindings) {
  constexpr Severity P = Severity::kProblem;
  constexpr Severity W = Severity::kWarning;
  const std::string sound = soundPack().bytes();
  struct Case {
    const char* what;
    std::string pack;
    std::vector<Expected> expected;
  };
  const Case cases[] = {
      {"sound", sound, {}},
      {"empty pack", PackBuilder().bytes(), {}},
      {"truncated",
       sound.substr(0, sound.size() - 3),
       {{P, 2,
         "past the end of the pack at byte 1545: the pack is truncated"}}},
      {"negative offset",
       PackBuilder().slot(1, "x", -5, 2).bytes(),
       {{P, 1, "negative offset -5"}, {P, 1, "expected 1536"}}},
      {"negative size",
       PackBuilder().slot(1, "x", 1536, -1).bytes(),
       {{P, 1, "negative size -1"}}},
      {"inside the directory",
       PackBuilder().slot(1, "x", 100, 4).bytes(),
       {{P, 1, "inside the directory"}, {P, 1, "expected 1536"}}},
      {"past the limits",
       PackBuilder().slot(1, "x", INT32_MAX, INT32_MAX).bytes(),
       {{P, 1, "truncated"}, {P, 1, "expected 1536"}}},
      {"overlap",
       PackBuilder()
           .slot(1, "a.jpg", 1536, 6)
           .slot(2, "b.jpg", 1538, 6)
           .data("\xFF\xD8\xFF\xD8\xFF\xD9\xFF\xD9")
           .bytes(),
       {{P, 2, "overlaps slot 1 a.jpg in bytes 1538 to 1541"},
        {P, 2, "starts at byte 1538, expected 1542"}}},
      {"gap between entries",
       PackBuilder()
           .slot(1, "a.jpg", 1536, 6)
           .slot(2, "b.jpg", 1545, 6)
           .data(kA + "zzz" + kB)
           .bytes(),
       {{P, 2, "expected 1542 where the entry before it ends"}}},
      {"bytes after the last entry",
       sound + "extra",
       {{P, 0, "5 bytes after the last entry's end at byte 1548"}}},
      {"bytes after an empty directory",
       PackBuilder().data("x").bytes(),
       {{P, 0, "1 bytes after"}}},
      {"duplicate name",
       PackBuilder()
           .slot(1, "a.jpg", 1536, 6)
           .slot(2, "a.jpg", 1542, 6)
           .data(kA + kB)
           .bytes(),
       {{P, 2, "same name as slot 1; a reader finds only slot 1"}}},
      {"name that cannot be found",
       PackBuilder()
           .slot(1, "Cap.jpg", 1536, 0)
           .slot(2, std::string(40, 'x'), 1536, 0)
           .bytes(),
       {{P, 1, "a reader cannot find it by its name"},
        {P, 2, "a reader cannot find it"},
        {W, 1, "empty"},
        {W, 2, "empty"}}},
      {"empty slot before a used one",
       PackBuilder().slot(2, "b.jpg", 1536, 6).data(kB).bytes(),
       {{P, 1, "slot 1 is empty"}}},
      {"empty entry",
       PackBuilder().slot(1, "a.jpg", 1536, 0).bytes(),
       {{W, 1, "empty (size 0)"}}},
      {"not a JPEG",
       PackBuilder().slot(1, "a.txt", 1536, 3).data("abc").bytes(),
       {{W, 1, "no FF D8 at the start, no FF D9 at the end"}}},
      {"one byte",
       PackBuilder().slot(1, "a", 1536, 1).data("\xFF").bytes(),
       {{W, 1, "does not look like a JPEG"}}},
      {"JPEG without its end",
       PackBuilder().slot(1, "a.jpg", 1536, 3).data("\xFF\xD8x").bytes(),
       {{W, 1, "(no FF D9 at the end)"}}},
      {"slot 0 in use",
       PackBuilder().slot(0, "zero", 0, 0).bytes(),
       {{W, 0, "slot 0 is not all zero"}}},
      {"names shown safely",
       PackBuilder().slot(1, "\x1B]0;x\x07", 1536, 0).bytes(),
       {{W, 1, "slot 1 \"\\x1B]0;x\\x07\": empty"}}},
  };
  for (const Case& c : cases) expectFindings(check(c.pack), c.expected, c.what);
}

TEST(CheckRules, ComparesWithWhatThePackerWouldWrite) {
  const std::string bytes = soundPack().bytes();
  PackReader pack;
  ASSERT_EQ(pack.openBytes(bytes.data(), bytes.size()), PackError::kNone);
  const PlannedEntry a{1, "A.jpg", "a.jpg", 1536, 6};
  const PlannedEntry b{2, "b.jpg", "b.jpg", 1542, 6};
  constexpr Severity P = Severity::kProblem;
  struct Case {
    const char* what;
    std::vector<PlannedEntry> plan;
    std::string contentsOfB;
    std::vector<Expected> expected;
  };
  const Case cases[] = {
      {"same", {a, b}, kB, {}},
      {"extra entry", {a}, kB, {{P, 2, "extra entry"}}},
      {"missing entry",
       {a, b, {3, "C.jpg", "c.jpg", 1548, 0}},
       kB,
       {{P, 3, "missing entry for the listed file C.jpg"}}},
      {"other name",
       {a, {2, "d.jpg", "d.jpg", 1542, 6}},
       kB,
       {{P, 2, "different name; the list gives d.jpg"}}},
      {"other size",
       {a, {2, "b.jpg", "b.jpg", 1542, 7}},
       kB,
       {{P, 2, "size 6; the packer would write offset 1542 and size 7"}}},
      {"other contents",
       {a, b},
       jpegLike("BB"),
       {{P, 2, "different contents"}}},
      {"file grew", {a, b}, kB + "x", {{P, 2, "different contents"}}},
      {"file gone", {a, b}, "", {{P, 2, "different contents"}}},
  };
  for (const Case& c : cases) {
    const auto contents = [&c](const PlannedEntry& entry,
                               std::vector<unsigned char>* out) {
      const std::string file = entry.slot == 1 ? kA : c.contentsOfB;
      out->assign(file.begin(), file.end());
      return !file.empty();
    };
    expectFindings(compareWithPlan(pack, c.plan, contents), c.expected, c.what);
  }
}

}  // namespace
}  // namespace scrpack
