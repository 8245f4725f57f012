#include "status/batched_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "tests/eventually.h"

namespace scrpack {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using test::eventually;

// Records every write; fails the test if two writes overlap.
class Sink {
 public:
  BatchedOutput::WriteFunction function() {
    return [this](const unsigned char* bytes, size_t size) {
      EXPECT_FALSE(inWrite_.exchange(true)) << "two writes at once";
      {
        std::lock_guard<std::mutex> guard(mutex_);
        writes_.emplace_back(reinterpret_cast<const char*>(bytes), size);
      }
      inWrite_ = false;
    };
  }
  std::vector<std::string> writes() {
    std::lock_guard<std::mutex> guard(mutex_);
    return writes_;
  }
  std::string all() {
    std::string out;
    for (const std::string& w : writes()) out += w;
    return out;
  }

 private:
  std::atomic<bool> inWrite_{false};
  std::mutex mutex_;
  std::vector<std::string> writes_;
};

void append(BatchedOutput& output, const std::string& bytes) {
  output.append(reinterpret_cast<const unsigned char*>(bytes.data()),
                bytes.size());
}

TEST(BatchedOutput, BytesLeaveUnchangedInFullBatches) {
  struct Case {
    const char* what;
    std::vector<std::string> pieces;
  };
  const std::string every = [] {
    std::string s;
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;
  }();
  const Case cases[] = {
      {"status lines", {"Cat.JPG", "\r\n", "", "\r\n", "dog.jpg", "\r\n"}},
      {"every byte value", {every, every, std::string(3, '\0')}},
      {"a piece larger than a batch", {"ab", std::string(100, 'x'), "cd"}},
      {"pieces that end a batch exactly", {std::string(16, 'a'), "b"}},
  };
  for (const Case& c : cases) {
    Sink sink;
    std::string expected;
    {
      BatchedOutput output(sink.function(), /*batchBytes=*/16, hours(1));
      for (const std::string& piece : c.pieces) {
        append(output, piece);
        expected += piece;
      }
      for (const std::string& w : sink.writes())
        EXPECT_GE(w.size(), 16u) << c.what << ": only full batches so far";
    }
    EXPECT_EQ(sink.all(), expected) << c.what << ": the rest at the end";
  }
}

TEST(BatchedOutput, HoldsSmallWritesUntilFlushed) {
  Sink sink;
  BatchedOutput output(sink.function(), kBatchBytes, hours(1));
  append(output, "one\r\n");
  append(output, "two\r\n");
  EXPECT_TRUE(sink.writes().empty());
  output.flush();
  EXPECT_EQ(sink.writes(), std::vector<std::string>{"one\r\ntwo\r\n"});
  output.flush();
  EXPECT_EQ(sink.writes().size(), 1u) << "nothing held, nothing written";
}

TEST(BatchedOutput, HeldBytesGoOutAfterTheDelayWithoutFurtherCalls) {
  Sink sink;
  BatchedOutput output(sink.function(), kBatchBytes, milliseconds(20));
  append(output, "first\r\n");
  EXPECT_TRUE(eventually([&] { return sink.writes().size() == 1; }));
  append(output, "second\r\n");
  EXPECT_TRUE(eventually([&] { return sink.writes().size() == 2; }));
  EXPECT_EQ(sink.writes(),
            (std::vector<std::string>{"first\r\n", "second\r\n"}));
}

TEST(BatchedOutput, OrderHoldsWhileTheThreadAndTheCallerBothWrite) {
  Sink sink;
  std::string expected;
  {
    BatchedOutput output(sink.function(), /*batchBytes=*/64, milliseconds(0));
    for (int i = 0; i < 20000; ++i) {
      const std::string line = "line " + std::to_string(i) + "\r\n";
      append(output, line);
      expected += line;
    }
  }
  EXPECT_EQ(sink.all(), expected);
}

}  // namespace
}  // namespace scrpack
