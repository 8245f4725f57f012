// Loads one picture from a pack: the example in the README.
#include <cstdio>
#include <vector>

#include "reader/pack_reader.h"

int main() {
  scrpack::PackReader pack;
  const scrpack::PackError error = pack.open("velkoscr");
  if (error != scrpack::PackError::kNone) {
    std::printf("velkoscr: %s\n", scrpack::describePackError(error));
    return 1;
  }
  for (const scrpack::PackItem& item : pack.items())
    std::printf("slot %d: %d bytes\n", item.slot, static_cast<int>(item.size));
  std::vector<unsigned char> jpeg;
  const scrpack::PackItem* sun = pack.find("Sun.jpg");  // as listed
  if (sun && pack.read(*sun, &jpeg) == scrpack::PackError::kNone)
    std::printf("sun.jpg: %zu bytes, ready to decode\n", jpeg.size());
  return 0;
}
