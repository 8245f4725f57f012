#include "pack/file_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/temp_dir.h"

namespace scrpack {
namespace {

using platform::OpenMode;
using test::TempDir;

TEST(FileStream, ClosedStreamIsInert) {
  TempDir dir;
  FileStream stream;
  stream.open((dir.path() / "no" / "such" / "dir" / "f").string(),
              OpenMode::kUpdate);
  EXPECT_FALSE(stream.isOpen());
  EXPECT_EQ(stream.length(), 0);
  unsigned char buffer[4] = {1, 2, 3, 4};
  EXPECT_FALSE(stream.readExact(buffer, 4));
  EXPECT_EQ(buffer[0], 1) << "a closed stream delivers nothing";
  stream.write("x", 1);
  stream.seek(10);
  stream.close();
  EXPECT_FALSE(dir.exists("no"));
}

TEST(FileStream, UpdateModeCreatesButNeverShortens) {
  TempDir dir;
  const std::string path = (dir.path() / "f").string();
  {
    FileStream stream;
    stream.open(path, OpenMode::kUpdate);
    ASSERT_TRUE(stream.isOpen());
    stream.write("0123456789", 10);
  }
  EXPECT_EQ(dir.read("f"), "0123456789");
  {
    FileStream stream;
    stream.open(path, OpenMode::kUpdate);
    EXPECT_EQ(stream.length(), 10);
    stream.seek(2);
    stream.write("ab", 2);
  }
  EXPECT_EQ(dir.read("f"), "01ab456789");
}

TEST(FileStream, DirectoryIsNoFile) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub");
  for (OpenMode mode : {OpenMode::kRead, OpenMode::kUpdate}) {
    FileStream stream;
    stream.open((dir.path() / "sub").string(), mode);
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(stream.length(), 0);
  }
}

TEST(FileStream, BytesPastTheEndReadAsZero) {
  TempDir dir;
  dir.write("f", "abc");
  FileStream stream;
  stream.open((dir.path() / "f").string(), OpenMode::kRead);
  std::string buffer(6, 'z');
  EXPECT_TRUE(stream.readExact(&buffer[0], buffer.size()));
  EXPECT_EQ(buffer, std::string("abc\0\0\0", 6));
}

TEST(FileStream, BufferedWritesAndReadsAgreeAcrossLargeBlocks) {
  // Mixed small and large writes, a seek back over buffered bytes, and a
  // read of what was just written.
  TempDir dir;
  std::string expected;
  FileStream stream;
  stream.open((dir.path() / "f").string(), OpenMode::kUpdate);
  const std::vector<size_t> sizes = {1, 47, 300000, 5, 131072, 131071, 2};
  char fill = 'a';
  for (size_t size : sizes) {
    const std::string chunk(size, fill++);
    stream.write(chunk.data(), chunk.size());
    expected += chunk;
  }
  EXPECT_EQ(stream.length(), static_cast<int64_t>(expected.size()));
  stream.seek(40);
  stream.write("XY", 2);
  expected.replace(40, 2, "XY");
  stream.seek(30);
  std::string back(20, '\0');
  stream.readExact(&back[0], back.size());
  EXPECT_EQ(back, expected.substr(30, 20));
  stream.close();
  EXPECT_EQ(dir.read("f"), expected);
}

TEST(FileStream, CopyToAppendsAfterBufferedBytesAndZeroFillsPastTheEnd) {
  TempDir dir;
  const std::string source(200000, 's');
  dir.write("source", source);
  FileStream input;
  input.open((dir.path() / "source").string(), OpenMode::kUpdate);
  FileStream output;
  output.open((dir.path() / "pack").string(), OpenMode::kUpdate);
  output.write("head", 4);  // still buffered when the copy starts
  input.seek(10);
  input.copyTo(output, 100);
  input.copyTo(output, 200000);  // runs 110 bytes past the end
  EXPECT_EQ(output.length(), 4 + 200000 + 100);
  output.write("tail", 4);
  output.close();
  const std::string expected = "head" + source.substr(10, 100) +
                               source.substr(110) + std::string(110, '\0') +
                               "tail";
  EXPECT_EQ(dir.read("pack"), expected);
}

}  // namespace
}  // namespace scrpack
