#include "tests/eventually.h"

#include <chrono>
#include <thread>

namespace scrpack {
namespace test {

bool eventually(const std::function<bool()>& condition, double seconds) {
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

}  // namespace test
}  // namespace scrpack
