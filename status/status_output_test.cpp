#include "status/status_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake_console.h"

namespace scrpack {
namespace {

using test::FakeConsole;
using test::RecordingSurface;

class FakeWindow : public WindowBackEnd {
 public:
  explicit FakeWindow(int result) : result_(result) {}
  int open(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {
    ++opens;
    return result_;
  }
  TextSurface& text() override { return surface; }
  bool keyTest() override {
    ++keyTests;
    return keyDown;
  }
  void close() override { ++closes; }

  int result_;
  int opens = 0;
  int closes = 0;
  int keyTests = 0;
  bool keyDown = false;
  RecordingSurface surface;
};

struct Rig {
  FakeConsole* console;
  FakeWindow* window;
  std::vector<int32_t> sleeps;
  std::unique_ptr<StatusOutput> output;

  Rig(bool terminal, int windowResult) {
    auto fakeConsole = std::make_unique<FakeConsole>(terminal);
    console = fakeConsole.get();
    auto fakeWindow = std::make_unique<FakeWindow>(windowResult);
    window = fakeWindow.get();
    auto sleep = [this](int32_t ms) { sleeps.push_back(ms); };
    output = std::make_unique<StatusOutput>(
        std::move(fakeWindow),
        std::make_unique<ConsoleBackEnd>(std::move(fakeConsole), nullptr),
        sleep);
  }
};

TEST(StatusOutput, RedirectedConsoleGetsEachLineAndCrLfUnchanged) {
  Rig rig(/*terminal=*/false, /*windowResult=*/1);
  EXPECT_EQ(rig.output->open(640, 480, 32, 1, 0, 0), 1);
  rig.output->printLine("Cat.JPG\t\b\x07");
  rig.output->printLine("");
  rig.output->print(reinterpret_cast<const unsigned char*>("held"), 4);
  rig.output->pause(0);
  EXPECT_EQ(rig.console->raw, "Cat.JPG\t\b\x07\r\n\r\nheld")
      << "every pause, even one of no time, shows what is held";
}

TEST(StatusOutput, TerminalConsoleFollowsTheTextRules) {
  Rig rig(/*terminal=*/true, /*windowResult=*/1);
  rig.output->open(640, 480, 32, 1, 0, 0);
  rig.output->printLine("ab\tq");
  rig.output->printLine("next");
  EXPECT_EQ(rig.console->surface_.pieces,
            (std::vector<std::string>{"(0,0)ab      q", "(0,1)next"}));
  EXPECT_EQ(rig.console->lines, "[2][4]")
      << "each line's two prints between its bounds, for one write";
}

TEST(StatusOutput, OpenWindowTakesThePrintsAndTheKeyTestsUntilClose) {
  Rig rig(/*terminal=*/false, /*windowResult=*/0);
  // Left over from an earlier use.
  rig.window->surface.place(TextCursor{0, 7, /*pendingWrap=*/true});
  EXPECT_EQ(rig.output->open(640, 480, 32, 1, 0, 0), 0);
  rig.output->printLine("name");
  EXPECT_EQ(rig.window->surface.pieces, std::vector<std::string>{"(0,0)name"});
  EXPECT_TRUE(rig.console->raw.empty());
  EXPECT_TRUE(rig.console->lines.empty());

  rig.window->keyDown = true;
  rig.output->pause(1500);
  EXPECT_EQ(rig.window->keyTests, 1);
  EXPECT_TRUE(rig.sleeps.empty());

  rig.output->close();
  EXPECT_EQ(rig.window->closes, 1);
  rig.output->printLine("after");
  rig.output->pause(0);
  EXPECT_EQ(rig.console->raw, "after\r\n") << "back on the console";
  rig.output->close();
  EXPECT_EQ(rig.window->closes, 1) << "closing twice closes once";
}

TEST(StatusOutput, ConsoleKeysEndThePauseAtItsFirstTest) {
  Rig rig(/*terminal=*/false, /*windowResult=*/1);
  rig.output->open(640, 480, 32, 1, 0, 0);
  rig.console->waiting = {'x'};  // typed during the packing
  rig.output->pause(1500);
  EXPECT_TRUE(rig.sleeps.empty());

  rig.output->pause(1500);  // no key: the whole pause
  int32_t total = 0;
  for (int32_t ms : rig.sleeps) total += ms;
  EXPECT_EQ(total, 1500);
}

}  // namespace
}  // namespace scrpack
