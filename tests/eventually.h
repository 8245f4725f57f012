// Waiting for another thread or process to catch up, without a fixed sleep:
// a test that waits in vain fails instead of hanging.
#ifndef SCRPACK_TESTS_EVENTUALLY_H_
#define SCRPACK_TESTS_EVENTUALLY_H_

#include <functional>

namespace scrpack {
namespace test {

// Polls |condition| every millisecond for up to |seconds|; its last answer.
bool eventually(const std::function<bool()>& condition, double seconds = 5);

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_EVENTUALLY_H_
