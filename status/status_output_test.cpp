#include "status/status_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scrpack {
namespace {

// Records what reaches the surface as "(column,row)text" pieces.
class RecordingSurface : public TextSurface {
 public:
  int columns() const override { return 80; }
  int rows() const override { return 60; }
  void beginPrint() override { ++prints; }
  void writePiece(const unsigned char* bytes, int count) override {
    pieces.push_back("(" + std::to_string(cursor_.column) + "," +
                     std::to_string(cursor_.row) + ")" +
                     std::string(reinterpret_cast<const char*>(bytes), count));
  }
  void scrollUp(int) override {}
  void endPrint() override {}

  int prints = 0;
  std::vector<std::string> pieces;
};

class FakeConsole : public Console {
 public:
  explicit FakeConsole(bool terminal) : terminal_(terminal) {}
  TextSurface* surface() override { return terminal_ ? &surface_ : nullptr; }
  void writeRaw(const unsigned char* bytes, size_t size) override {
    raw.append(reinterpret_cast<const char*>(bytes), size);
    ++rawWrites;
  }
  void takeKeys(std::vector<uint32_t>* codes) override {
    codes->insert(codes->end(), waiting.begin(), waiting.end());
    waiting.clear();
  }

  bool terminal_;
  RecordingSurface surface_;
  std::string raw;
  int rawWrites = 0;
  std::vector<uint32_t> waiting;
};

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
  EXPECT_EQ(rig.console->raw, "Cat.JPG\t\b\x07\r\n\r\n");
  EXPECT_EQ(rig.console->rawWrites, 2) << "one write per completed line";
  rig.output->print(reinterpret_cast<const unsigned char*>("held"), 4);
  EXPECT_EQ(rig.console->raw.size(), 14u) << "waits for the end of its line";
  rig.output->pause(0);
  EXPECT_EQ(rig.console->raw.size(), 14u);
  rig.output->pause(1500);
  EXPECT_EQ(rig.console->raw, "Cat.JPG\t\b\x07\r\n\r\nheld")
      << "the pause shows what is held";
}

TEST(StatusOutput, TerminalConsoleFollowsTheTextRules) {
  Rig rig(/*terminal=*/true, /*windowResult=*/1);
  rig.output->open(640, 480, 32, 1, 0, 0);
  rig.output->printLine("ab\tq");
  rig.output->printLine("next");
  EXPECT_EQ(rig.console->surface_.pieces,
            (std::vector<std::string>{"(0,0)ab      q", "(0,1)next"}));
}

TEST(StatusOutput, OpenWindowTakesThePrintsAndTheKeyTestsUntilClose) {
  Rig rig(/*terminal=*/false, /*windowResult=*/0);
  rig.window->surface.cursor().row = 7;  // left over from an earlier use
  rig.window->surface.pendingWrap() = true;
  EXPECT_EQ(rig.output->open(640, 480, 32, 1, 0, 0), 0);
  rig.output->printLine("name");
  EXPECT_EQ(rig.window->surface.pieces, std::vector<std::string>{"(0,0)name"});
  EXPECT_TRUE(rig.console->raw.empty());

  rig.window->keyDown = true;
  rig.output->pause(1500);
  EXPECT_EQ(rig.window->keyTests, 1);
  EXPECT_TRUE(rig.sleeps.empty());

  rig.output->close();
  EXPECT_EQ(rig.window->closes, 1);
  rig.output->printLine("after");
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

TEST(KeyRing, HoldsFifteenOfSixteenAndDropsTheOldest) {
  KeyRing<16> ring;
  EXPECT_FALSE(ring.testAndClear());
  for (uint32_t code = 1; code <= 20; ++code) ring.enter(code);
  ASSERT_EQ(ring.size(), 15u);
  EXPECT_EQ(ring.at(0), 6u);
  EXPECT_EQ(ring.at(14), 20u);
  EXPECT_TRUE(ring.testAndClear());
  EXPECT_FALSE(ring.testAndClear()) << "the test clears the mark";
  EXPECT_EQ(ring.size(), 15u) << "codes stay after a test";
}

TEST(ConsoleBackEnd, CloseNoticesAndKeysGoIntoTheRing) {
  auto console = std::make_unique<FakeConsole>(false);
  FakeConsole* raw = console.get();
  ConsoleBackEnd backEnd(std::move(console), nullptr);
  EXPECT_FALSE(backEnd.keyTest());
  raw->waiting = {'a', kCloseRequest};
  EXPECT_TRUE(backEnd.keyTest());
  ASSERT_EQ(backEnd.keys().size(), 2u);
  EXPECT_EQ(backEnd.keys().at(1), kCloseRequest);
  for (int i = 0; i < 600; ++i) raw->waiting.push_back(i);
  EXPECT_TRUE(backEnd.keyTest());
  EXPECT_EQ(backEnd.keys().size(), 511u);
  EXPECT_EQ(backEnd.keys().at(510), 599u);
}

}  // namespace
}  // namespace scrpack
