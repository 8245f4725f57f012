#include "unpack/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrpack {
namespace {

TEST(Arguments, CommandsOptionsAndOperands) {
  Arguments a = parseArguments({"list"});
  EXPECT_EQ(a.error, "");
  EXPECT_EQ(a.command, Command::kList);
  EXPECT_EQ(a.pack, "velkoscr");
  EXPECT_FALSE(a.json);

  a = parseArguments({"check", "--json", "my.pack", "--list", "work"});
  EXPECT_EQ(a.error, "");
  EXPECT_EQ(a.command, Command::kCheck);
  EXPECT_EQ(a.pack, "my.pack");
  EXPECT_TRUE(a.json);
  EXPECT_TRUE(a.hasListDir);
  EXPECT_EQ(a.listDir, "work");

  a = parseArguments(
      {"extract", "p", "-C", "out", "a.jpg", "--force", "--", "-b.jpg"});
  EXPECT_EQ(a.error, "");
  EXPECT_EQ(a.pack, "p");
  EXPECT_EQ(a.outputDir, "out");
  EXPECT_TRUE(a.force);
  EXPECT_EQ(a.names, (std::vector<std::string>{"a.jpg", "-b.jpg"}));

  EXPECT_EQ(parseArguments({"extract"}).outputDir, ".");
  EXPECT_EQ(parseArguments({"--version"}).command, Command::kVersion);
  EXPECT_EQ(parseArguments({"--help"}).command, Command::kHelp);
  EXPECT_EQ(parseArguments({"check", "-h"}).command, Command::kHelp);
}

TEST(Arguments, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"unpack"},
      {"--json"},
      {"list", "a", "b"},
      {"list", "--force"},
      {"list", "-C", "x"},
      {"check", "--list"},
      {"extract", "-C"},
      {"extract", "--json"},
      {"check", "--bogus"},
  };
  for (const auto& arguments : cases) {
    std::string joined;
    for (const std::string& a : arguments) joined += a + " ";
    EXPECT_NE(parseArguments(arguments).error, "") << joined;
  }
}

}  // namespace
}  // namespace scrpack
