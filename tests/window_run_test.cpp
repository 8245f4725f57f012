// The tool as a process with a display: a private X server, keys typed and
// the close button pressed while it packs, and the length of its final
// pause measured from the outside.
//
// The list holds many names (each makes the tool create a file) and ends
// with one large file; the pack takes its place, whole, only at the end of
// the packing, and the pause is the time from then to the process's exit.
// Every missing name, and every name from the 32nd on, gets a problem line,
// so the runs end with status 1.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "status/frame.h"
#include "status/status_text.h"
#include "tests/process.h"
#include "tests/temp_dir.h"
#include "tests/xvfb.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kNames = 10000;
constexpr size_t kBigSize = 8 << 20;
constexpr size_t kPackSize = 1536 + kBigSize;
const char kTitle[] = "scrpack";
const char kFinal[] = "Jpeg files are packed to velkoscr";

std::vector<std::string> listedNames() {
  std::vector<std::string> names;
  for (int i = 1; i <= kNames; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "n%04d", i);
    names.push_back(name);
  }
  names.push_back("big");
  return names;
}

constexpr int kExitWithProblems = 1;

// The directory pass's lines: each name with its problem lines.
std::vector<std::string> directoryPassLines() {
  std::vector<std::string> lines;
  int k = 0;
  for (const std::string& name : listedNames()) {
    lines.push_back(name);
    if (name != "big")
      lines.push_back(name + ": not found; packed with size 0");
    if (++k >= 32) {
      lines.push_back(name +
                      ": no directory slot left; packed without an entry");
    }
  }
  return lines;
}

std::string bigContents() {
  std::string bytes(kBigSize, '\0');
  uint32_t state = 12345;
  for (char& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<char>(state >> 24);
  }
  return bytes;
}

class WindowedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.started()) << "Xvfb did not start";
    std::string list;
    for (const std::string& name : listedNames()) list += name + "\r\n";
    dir_.write("data/flist", list);
    dir_.write("data/big", bigContents());
  }

  void TearDown() override {
    if (run_.valid()) run_.wait();
  }

  void start(const std::vector<std::string>& environment) {
    ToolOptions options;
    options.environment = environment;
    start_ = Clock::now();
    run_ = std::async(std::launch::async, [this, options] {
      return runTool(dir_.path(), options);
    });
  }
  void startOnServer() { start({"DISPLAY=" + server_.name()}); }

  double now() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
  }

  XID waitForWindow(XClient& client) {
    XID window = 0;
    EXPECT_TRUE(eventually(
        [&] { return (window = client.findWindow(kTitle)) != 0; }, 20));
    // Keys typed now go to the window.
    EXPECT_TRUE(eventually([&] { return client.focus() == window; }));
    return window;
  }

  // When the last file's bytes reached the pack: the end of the packing,
  // up to the pack's last buffer, which is written out at the very end.
  double waitUntilPacked() {
    const fs::path pack = dir_.path() / "velkoscr";
    EXPECT_TRUE(eventually(
        [&] {
          std::error_code error;
          const auto size = fs::file_size(pack, error);
          return !error && size + (256 << 10) >= kPackSize;
        },
        60));
    return now();
  }

  double finish(ToolRun* result) {
    *result = run_.get();
    return now();
  }

  void expectWholePack() {
    const std::string pack = dir_.read("velkoscr");
    ASSERT_EQ(pack.size(), kPackSize);
    EXPECT_TRUE(pack.substr(1536) == bigContents());
    EXPECT_EQ(pack.substr(48, 6), std::string("n0001\0", 6));
  }

  Xvfb server_;
  TempDir dir_;
  Clock::time_point start_;
  std::future<ToolRun> run_;
};

TEST_F(WindowedRun, KeyDuringPackingEndsThePauseAtOnce) {
  XClient client(server_.name());
  startOnServer();
  waitForWindow(client);
  ASSERT_TRUE(xdotool(server_.name(), "key space"));
  const double keyAt = now();
  const double packedAt = waitUntilPacked();
  ToolRun result;
  const double exitAt = finish(&result);
  EXPECT_LT(keyAt, packedAt) << "the packing was over before the key came";
  EXPECT_LT(exitAt - packedAt, 1.2) << "the pause was not cut short";
  EXPECT_EQ(result.exitCode, kExitWithProblems);
  EXPECT_EQ(result.output, "")
      << "the window shows the status, not the console";
  expectWholePack();
}

TEST_F(WindowedRun, NoKeyGivesTheWholePauseWithEveryLineShown) {
  XClient client(server_.name());
  startOnServer();
  waitForWindow(client);
  const double packedAt = waitUntilPacked();
  // During the pause: the window shows the grid as the text grid drew it.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::vector<uint32_t> shown = client.grab(192, 144, 640, 480);
  ToolRun result;
  const double exitAt = finish(&result);
  EXPECT_GE(exitAt - packedAt, 1.45);
  EXPECT_EQ(result.exitCode, kExitWithProblems);
  expectWholePack();

  Frame frame(640, 480);
  StatusText text(frame);
  const auto printLine = [&](const std::string& line) {
    printText(text, reinterpret_cast<const unsigned char*>(line.data()),
              line.size(), [] {});
    printText(text, reinterpret_cast<const unsigned char*>("\r\n"), 2, [] {});
  };
  for (const std::string& line : directoryPassLines()) printLine(line);
  for (const std::string& name : listedNames()) printLine(name);
  printLine(kFinal);
  text.paint();
  std::vector<uint32_t> expected = frame.picture();
  for (uint32_t& p : expected) p &= 0xFFFFFFu;
  EXPECT_TRUE(shown == expected) << "the window does not show the last lines";
}

TEST_F(WindowedRun, AltF4F10ShiftAndAltLeaveThePauseWhole) {
  XClient client(server_.name());
  startOnServer();
  const XID window = waitForWindow(client);
  ASSERT_TRUE(
      xdotool(server_.name(), "key --delay 10 alt+F4 F10 Shift_L Alt_L"));
  const double keysAt = now();
  const double packedAt = waitUntilPacked();
  EXPECT_TRUE(client.viewable(window)) << "Alt+F4 closed the window";
  ToolRun result;
  const double exitAt = finish(&result);
  EXPECT_LT(keysAt, packedAt) << "the packing was over before the keys came";
  EXPECT_GE(exitAt - packedAt, 1.45);
  EXPECT_EQ(result.exitCode, kExitWithProblems);
}

TEST_F(WindowedRun, CloseButtonEndsThePauseAndTheWindowStaysToTheEnd) {
  XClient client(server_.name());
  startOnServer();
  const XID window = waitForWindow(client);
  client.sendDeleteWindow(window);
  const double closeAt = now();
  // A few refresh cycles: the tool has taken the request, and the window
  // must outlast it while the packing goes on.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_TRUE(client.viewable(window)) << "closed by the close button";
  const double packedAt = waitUntilPacked();
  ToolRun result;
  const double exitAt = finish(&result);
  EXPECT_LT(closeAt, packedAt)
      << "the packing was over before the close button";
  EXPECT_LT(exitAt - packedAt, 1.2);
  EXPECT_EQ(result.exitCode, kExitWithProblems);
  expectWholePack();
  EXPECT_EQ(client.findWindow(kTitle), 0u)
      << "the window is gone after the run";
}

TEST_F(WindowedRun, ServerKilledMidRunStillGivesTheWholePack) {
  XClient client(server_.name());
  startOnServer();
  waitForWindow(client);
  server_.kill();
  ToolRun result;
  finish(&result);
  EXPECT_EQ(result.exitCode, kExitWithProblems);
  EXPECT_EQ(result.output, "");
  expectWholePack();
}

TEST_F(WindowedRun, NoDisplayKeepsTheConsoleOutput) {
  std::string lines;
  for (const std::string& line : directoryPassLines()) lines += line + "\r\n";
  for (const std::string& name : listedNames()) lines += name + "\r\n";
  lines += std::string(kFinal) + "\r\n";
  const std::vector<std::vector<std::string>> environments = {
      {}, {std::string("DISPLAY=") + kNoServerDisplay}};
  for (const std::vector<std::string>& environment : environments) {
    fs::remove(dir_.path() / "velkoscr");
    for (const std::string& name : listedNames()) {
      if (name != "big") fs::remove(dir_.path() / "data" / name);
    }
    start(environment);
    ToolRun result;
    finish(&result);
    EXPECT_EQ(result.exitCode, kExitWithProblems);
    EXPECT_TRUE(result.output == lines)
        << (environment.empty() ? "no DISPLAY" : environment[0]);
    expectWholePack();
  }
}

}  // namespace
}  // namespace test
}  // namespace scrpack
