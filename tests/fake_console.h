// A console and a text surface that record what reaches them, for the
// tests of the status output and its console back end.
#ifndef SCRPACK_TESTS_FAKE_CONSOLE_H_
#define SCRPACK_TESTS_FAKE_CONSOLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "status/console.h"
#include "status/text_rules.h"

namespace scrpack {
namespace test {

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
  // Puts the cursor where an earlier print would have left it.
  void place(const TextCursor& cursor) { cursor_ = cursor; }

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
  // Notes a status line's bounds and the prints made on the terminal
  // surface so far: "[" and "<prints>]".
  void beginLine() override { lines += "["; }
  void endLine() override { lines += std::to_string(surface_.prints) + "]"; }
  void takeKeys(std::vector<uint32_t>* codes) override {
    codes->insert(codes->end(), waiting.begin(), waiting.end());
    waiting.clear();
  }

  bool terminal_;
  RecordingSurface surface_;
  std::string raw;
  int rawWrites = 0;
  std::string lines;
  std::vector<uint32_t> waiting;
};

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_FAKE_CONSOLE_H_
