// The status window's fixed rules that need no window system: the title
// taken from the program's path, the centred placement and which arguments
// can open a window. The display methods of every platform share them.
#ifndef SCRPACK_STATUS_WINDOW_RULES_H_
#define SCRPACK_STATUS_WINDOW_RULES_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace scrpack {

// The program's path is read with room for this many characters.
constexpr size_t kTitlePathChars = 127;

// The file name of |programPath| (cut to kTitlePathChars first): the text
// after its last separator, cut before its last dot; a name without a dot
// is used whole. Both '/' and '\\' separate.
std::string windowTitle(const std::string& programPath);

struct WindowPlace {
  int x = 0;
  int y = 0;
};

// The outer top-left corner that centres a client area of |clientWidth| x
// |clientHeight| on a display of |displayWidth| x |displayHeight|: each
// halved difference rounded down, also when it is negative.
WindowPlace centredPlace(int displayWidth, int displayHeight, int clientWidth,
                         int clientHeight);

// Whether StatusWindow::open may try at all: a positive size and one of
// the colour depths 1, 2, 4, 8, 15, 16, 24 and 32.
bool windowArgumentsValid(int32_t width, int32_t height, int32_t bitsPerPixel);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_WINDOW_RULES_H_
