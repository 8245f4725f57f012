// The X11 status window's own copy of the picture, in the display's pixel
// format, and the putting of its rows into the window. Used only by the
// X11 display method, on the window thread.
#ifndef SCRPACK_STATUS_X11_PICTURE_H_
#define SCRPACK_STATUS_X11_PICTURE_H_

#include <X11/Xlib.h>

#include <utility>
#include <vector>

namespace scrpack {

class Frame;

class X11Picture {
 public:
  X11Picture() = default;
  ~X11Picture() { release(); }
  X11Picture(const X11Picture&) = delete;
  X11Picture& operator=(const X11Picture&) = delete;

  // A black picture of |width| x |height| for |visual| (TrueColor) at
  // |depth|. False when Xlib cannot describe one.
  bool prepare(Display* display, Visual* visual, int depth, int width,
               int height);
  // Frees the image; client-side only, so also safe once the display has
  // gone away.
  void release();
  bool ready() const { return image_ != nullptr; }

  // Converts the rows of |frame| whose marks are set, and keeps them for
  // putConvertedRows().
  void convertChangedRows(const Frame& frame);
  // Puts each band of rows converted since the last call at (x, y + row)
  // of |window|. True when anything was put.
  bool putConvertedRows(Display* display, Window window, GC gc, int x, int y);
  // Puts rows |first| to |first| + |count| - 1 as they are.
  void putRows(Display* display, Window window, GC gc, int x, int y, int first,
               int count);
  int height() const { return height_; }

 private:
  void convertRow(const Frame& frame, int y);

  XImage* image_ = nullptr;
  std::vector<char> pixels_;  // the image's data
  bool directCopy_ = false;   // the frame's own layout and byte order
  // Bands converted and not yet put: first row and count.
  std::vector<std::pair<int, int>> converted_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_X11_PICTURE_H_
