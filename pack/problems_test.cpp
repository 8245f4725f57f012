#include "pack/problems.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pack/command_line.h"

namespace scrpack {
namespace {

TEST(ProblemLine, ReasonFollowsThePhrasesFirstClause) {
  struct Case {
    std::string subject;
    const char* phrase;
    std::string reason;
    std::string line;
  };
  const Case cases[] = {
      {"Cat.jpg", kCannotBeRead, "Permission denied",
       "Cat.jpg: cannot be read (Permission denied); packed with size 0"},
      {"Cat.jpg", kCannotBeRead, "",
       "Cat.jpg: cannot be read; packed with size 0"},
      {"velkoscr", kPackCannotBeWritten, "Is a directory",
       "velkoscr: cannot be written (Is a directory)"},
      // A ';' in the subject is the name's own, not the phrase's.
      {"a;b", kReadFailed, "Input/output error",
       "a;b: read failed (Input/output error); zero bytes packed in place of "
       "the unread ones"},
      {"(empty line)", kEmptyName, "", "(empty line): packed with size 0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(problemLine(c.subject, c.phrase, c.reason), c.line);
  }
}

TEST(CommandLine, HelpAndVersionOnlyAsTheFirstArgument) {
  struct Case {
    std::vector<const char*> argv;
    Command command;
  };
  const Case cases[] = {
      {{"scrpack"}, Command::kPack},
      {{"scrpack", "--help"}, Command::kHelp},
      {{"scrpack", "-h"}, Command::kHelp},
      {{"scrpack", "/?"}, Command::kHelp},
      {{"scrpack", "--version"}, Command::kVersion},
      {{"scrpack", "C:\\dropped.jpg", "--help"}, Command::kPack},
      {{"scrpack", "--HELP"}, Command::kPack},
      {{"scrpack", "-help"}, Command::kPack},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(commandOf(static_cast<int>(c.argv.size()), c.argv.data()),
              c.command)
        << c.argv.back();
  }
  EXPECT_EQ(versionText().rfind("scrpack ", 0), 0u);
  EXPECT_EQ(usageText().find("LIST"), std::string::npos);
}

}  // namespace
}  // namespace scrpack
