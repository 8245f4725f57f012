#include "status/key_ring.h"

#include <gtest/gtest.h>

namespace scrpack {
namespace {

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

}  // namespace
}  // namespace scrpack
