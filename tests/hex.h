// Byte strings written as hexadecimal, as in "61 0D 0A".
#ifndef SCRPACK_TESTS_HEX_H_
#define SCRPACK_TESTS_HEX_H_

#include <cstdio>
#include <sstream>
#include <string>

namespace scrpack {
namespace test {

inline std::string hexBytes(const std::string& hex) {
  std::istringstream in(hex);
  std::string out;
  std::string token;
  while (in >> token) {
    out.push_back(static_cast<char>(std::stoi(token, nullptr, 16)));
  }
  return out;
}

inline std::string toHex(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", b);
    out += buffer;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_HEX_H_
