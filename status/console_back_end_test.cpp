#include "status/console_back_end.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "tests/fake_console.h"

namespace scrpack {
namespace {

using test::FakeConsole;

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
