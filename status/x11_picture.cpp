#include "status/x11_picture.h"

#include <cstdint>
#include <cstring>

#include "status/frame.h"
#include "status/x11_library.h"

namespace scrpack {
namespace {

bool hostIsLittleEndian() {
  const uint32_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

int lowestBit(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int bitCount(unsigned long mask) {
  int count = 0;
  for (; mask != 0; mask >>= 1) count += static_cast<int>(mask & 1);
  return count;
}

}  // namespace

bool X11Picture::prepare(Display* display, Visual* visual, int depth, int width,
                         int height) {
  release();
  image_ = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap,
                        0, nullptr, static_cast<unsigned>(width),
                        static_cast<unsigned>(height), 32, 0);
  if (!image_) return false;
  width_ = width;
  height_ = height;
  // All zero is black in every TrueColor visual: the copy starts black.
  pixels_.assign(static_cast<size_t>(image_->bytes_per_line) * height, 0);
  image_->data = pixels_.data();  // taken back before XDestroyImage
  // Frame pixels are 0xAARRGGBB words; where the visual has that layout a
  // row is copied as it is, in this machine's byte order.
  directCopy_ = image_->bits_per_pixel == 32 && visual->red_mask == 0xFF0000 &&
                visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
  if (directCopy_)
    image_->byte_order = hostIsLittleEndian() ? LSBFirst : MSBFirst;
  return true;
}

void X11Picture::release() {
  if (!image_) return;
  image_->data = nullptr;  // the pixels belong to pixels_
  XDestroyImage(image_);
  image_ = nullptr;
  pixels_.clear();
  converted_.clear();
}

void X11Picture::convertRow(const Frame& frame, int y) {
  const uint32_t* source = frame.row(y);
  if (directCopy_) {
    std::memcpy(
        pixels_.data() + static_cast<size_t>(y) * image_->bytes_per_line,
        source, static_cast<size_t>(width_) * 4);
    return;
  }
  const unsigned long masks[3] = {image_->red_mask, image_->green_mask,
                                  image_->blue_mask};
  for (int x = 0; x < width_; ++x) {
    unsigned long pixel = 0;
    for (int c = 0; c < 3; ++c) {
      const unsigned long value = (source[x] >> (16 - 8 * c)) & 0xFF;
      const int bits = bitCount(masks[c]);
      const unsigned long scaled =
          bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
      pixel |= (scaled << lowestBit(masks[c])) & masks[c];
    }
    XPutPixel(image_, x, y, pixel);
  }
}

void X11Picture::putRows(Display* display, Window window, GC gc, int x, int y,
                         int first, int count) {
  if (!image_ || count <= 0) return;
  XPutImage(display, window, gc, image_, 0, first, x, y + first,
            static_cast<unsigned>(width_), static_cast<unsigned>(count));
}

void X11Picture::convertChangedRows(const Frame& frame) {
  if (!image_) return;
  frame.forEachChangedBand([&](int first, int count) {
    for (int row = first; row < first + count; ++row) convertRow(frame, row);
    converted_.emplace_back(first, count);
  });
}

bool X11Picture::putConvertedRows(Display* display, Window window, GC gc, int x,
                                  int y) {
  if (!image_ || converted_.empty()) return false;
  // One request per band of changed rows.
  for (const std::pair<int, int>& band : converted_) {
    putRows(display, window, gc, x, y, band.first, band.second);
  }
  converted_.clear();
  return true;
}

}  // namespace scrpack
