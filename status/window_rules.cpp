#include "status/window_rules.h"

namespace scrpack {
namespace {

int floorHalf(int value) { return value >= 0 ? value / 2 : -((1 - value) / 2); }

}  // namespace

std::string windowTitle(const std::string& programPath) {
  const std::string path = programPath.substr(0, kTitlePathChars);
  const size_t separator = path.find_last_of("/\\");
  std::string name =
      separator == std::string::npos ? path : path.substr(separator + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

WindowPlace centredPlace(int displayWidth, int displayHeight, int clientWidth,
                         int clientHeight) {
  WindowPlace place;
  place.x = floorHalf(displayWidth - clientWidth);
  place.y = floorHalf(displayHeight - clientHeight);
  return place;
}

bool windowArgumentsValid(int32_t width, int32_t height, int32_t bitsPerPixel) {
  if (width <= 0 || height <= 0) return false;
  switch (bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

}  // namespace scrpack
