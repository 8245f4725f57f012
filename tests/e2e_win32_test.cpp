// The tool on Windows file system rules that Linux has no counterpart for:
// the read-only attribute, files held open by another process without
// sharing, and the reserved device names. The other process here is this
// test, which holds its handles while the tool runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/process.h"
#include "tests/temp_dir.h"

namespace scrpack {
namespace test {
namespace {

namespace fs = std::filesystem;

const std::string kFinal = "Jpeg files are packed to velkoscr\r\n";

// A handle held open for the length of a test.
class HeldFile {
 public:
  HeldFile(const fs::path& path, DWORD access, DWORD share)
      : handle_(::CreateFileW(path.wstring().c_str(), access, share, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldFile() {
    if (held()) ::CloseHandle(handle_);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

uint32_t fieldAt(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) {
    v = (v << 8) |
        static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  }
  return v;
}

struct Slot {
  std::string name;  // the stored name without its zero padding
  uint32_t offset;
  uint32_t size;
};

Slot slotAt(const std::string& pack, int k) {
  const std::string raw = pack.substr(48 * static_cast<size_t>(k), 40);
  return {raw.substr(0, raw.find('\0')), fieldAt(pack, 48 * k + 40),
          fieldAt(pack, 48 * k + 44)};
}

class WindowsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("data/flist", "a\r\n");
    dir_.write("data/a", "aaa");
  }
  void TearDown() override {
    // Lets TempDir remove what the test made read-only.
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      makeWorldWritable(entry.path());
    }
  }
  std::string run(int exitCode = 0) {
    const ToolRun result = runTool(dir_.path());
    EXPECT_EQ(result.exitCode, exitCode);
    return result.output;
  }
  fs::path at(const std::string& relative) const {
    return dir_.path() / relative;
  }

  TempDir dir_;
};

// Whether the read-only attribute keeps this process from writing |path|;
// wine run as root opens such files for writing all the same.
bool readOnlyBinds(const fs::path& path) {
  HeldFile writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  return !writer.held();
}

TEST_F(WindowsRun, ReadOnlyOldPackStaysAsItWas) {
  dir_.write("velkoscr", "old pack");
  makeReadOnly(at("velkoscr"));
  if (!readOnlyBinds(at("velkoscr")))
    GTEST_SKIP() << "read-only does not bind here";
  EXPECT_EQ(run(1), "velkoscr: cannot be written (" +
                        systemReason(0, ERROR_ACCESS_DENIED) + ")\r\n" +
                        "a\r\na\r\n" + kFinal);
  EXPECT_EQ(dir_.read("velkoscr"), "old pack");
}

TEST_F(WindowsRun, ReadOnlyInputIsPackedAsAnyOther) {
  makeReadOnly(at("data/a"));
  if (!readOnlyBinds(at("data/a")))
    GTEST_SKIP() << "read-only does not bind here";
  run();
  const std::string pack = dir_.read("velkoscr");
  ASSERT_EQ(pack.size(), 1539u);
  EXPECT_EQ(slotAt(pack, 1).size, 3u);
  EXPECT_EQ(pack.substr(1536), "aaa");
}

// Open elsewhere for reading and writing but not for deleting: the old
// pack can be neither deleted nor replaced, so it is overwritten in place
// and cut to the new length.
TEST_F(WindowsRun, UndeletableButWritableOldPackIsOverwrittenInPlace) {
  dir_.write("velkoscr", std::string(5000, '\xEE'));
  HeldFile other(at("velkoscr"), GENERIC_READ,
                 FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_TRUE(other.held());
  EXPECT_EQ(run(), "a\r\na\r\n" + kFinal);
  const std::string pack = dir_.read("velkoscr");
  ASSERT_EQ(pack.size(), 1539u) << "no old bytes after the data";
  EXPECT_EQ(slotAt(pack, 1).name, "a");
  EXPECT_EQ(pack.substr(1536, 3), "aaa");
}

// A pack that another process holds open, with leave to delete it: the new
// pack goes through a temporary file and takes the old one's place, or,
// where the system refuses that while the file is open (wine does), is
// copied over it. Either way no old byte and no temporary file remain.
TEST_F(WindowsRun, OldPackHeldWithLeaveToDeleteIsReplaced) {
  dir_.write("velkoscr", std::string(5000, '\xEE'));
  {
    HeldFile other(at("velkoscr"), GENERIC_READ,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(other.held());
    EXPECT_EQ(run(), "a\r\na\r\n" + kFinal);
  }
  const std::string pack = dir_.read("velkoscr");
  ASSERT_EQ(pack.size(), 1539u);
  EXPECT_EQ(pack.substr(1536), "aaa");
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2u) << "data and velkoscr, no temporary file";
}

// Held without any sharing: neither deleted, nor opened, nor written.
TEST_F(WindowsRun, LockedOldPackStaysAsItWas) {
  dir_.write("velkoscr", "old pack");
  {
    HeldFile other(at("velkoscr"), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(other.held());
    EXPECT_EQ(run(1), "velkoscr: cannot be written (" +
                          systemReason(0, ERROR_SHARING_VIOLATION) +
                          ")\r\na\r\na\r\n" + kFinal);
  }
  EXPECT_EQ(dir_.read("velkoscr"), "old pack");
}

TEST_F(WindowsRun, LockedInputCountsAsEmpty) {
  dir_.write("data/flist", "locked\r\na\r\n");
  dir_.write("data/locked", "LLLL");
  HeldFile other(at("data/locked"), GENERIC_READ, 0);
  ASSERT_TRUE(other.held());
  EXPECT_EQ(run(1), "locked\r\nlocked: cannot be read (" +
                        systemReason(0, ERROR_SHARING_VIOLATION) +
                        "); packed with size 0\r\na\r\nlocked\r\na\r\n" +
                        kFinal);
  const std::string pack = dir_.read("velkoscr");
  ASSERT_EQ(pack.size(), 1539u);
  EXPECT_EQ(slotAt(pack, 1).size, 0u);
  EXPECT_EQ(slotAt(pack, 2).offset, 1536u);
  EXPECT_EQ(pack.substr(1536), "aaa");
}

// Device names are no files, in any directory and with any extension;
// nothing is read from them and nothing is created for them.
TEST_F(WindowsRun, DeviceNamesCountAsEmpty) {
  dir_.write("data/flist", "NUL\r\ncon\r\nAUX.jpg\r\nCOM1\r\na\r\n");
  const std::string output = run(1);
  EXPECT_EQ(output.substr(output.size() - kFinal.size()), kFinal);
  // Each gets its problem line; the system's words for it vary.
  for (const char* device : {"NUL", "con", "AUX.jpg", "COM1"}) {
    const std::string said = std::string("\r\n") + device + ": cannot be read";
    const size_t at = output.find(said);
    ASSERT_NE(at, std::string::npos) << device;
    const size_t end = output.find("\r\n", at + 2);
    const std::string phrase = "; packed with size 0";
    EXPECT_EQ(output.substr(end - phrase.size(), phrase.size()), phrase)
        << device;
  }
  const std::string pack = dir_.read("velkoscr");
  ASSERT_EQ(pack.size(), 1539u);
  const std::vector<std::string> devices = {"NUL", "con", "AUX.jpg", "COM1"};
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(slotAt(pack, k).size, 0u) << devices[k - 1];
    EXPECT_EQ(slotAt(pack, k).offset, 1536u) << devices[k - 1];
  }
  EXPECT_EQ(slotAt(pack, 5).name, "a");
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(at("data"))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2u) << "only flist and a";
}

}  // namespace
}  // namespace test
}  // namespace scrpack
