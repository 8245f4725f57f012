// A ring of key codes in which the newest code drops the oldest once the
// ring is full, and the mark that tells whether a key came since the last
// test. The window keeps 16 slots, the console 512.
#ifndef SCRPACK_STATUS_KEY_RING_H_
#define SCRPACK_STATUS_KEY_RING_H_

#include <cstddef>
#include <cstdint>

namespace scrpack {

// Entered for the window's close button and the console's close, log-off
// and shutdown notices: low byte 0xFF, high byte 0x6B (the PC BIOS code of
// Alt+F4). Keys without a character carry a low byte of 0xFF too.
constexpr uint32_t kCloseRequest = 0x6BFF;
constexpr uint32_t kNoCharacterLowByte = 0xFF;

template <size_t kSlots>
class KeyRing {
 public:
  // Stores |code|; when the ring is full the oldest code is dropped, so it
  // holds at most kSlots - 1 codes. Sets the key-entered mark.
  void enter(uint32_t code) {
    codes_[write_] = code;
    write_ = (write_ + 1) % kSlots;
    if (write_ == read_) read_ = (read_ + 1) % kSlots;
    keyEntered_ = true;
  }

  // Reports whether a key was entered since the last test, and clears
  // that. The codes themselves stay.
  bool testAndClear() {
    const bool entered = keyEntered_;
    keyEntered_ = false;
    return entered;
  }

  size_t size() const { return (write_ + kSlots - read_) % kSlots; }
  // The |i|-th oldest code held, for i < size().
  uint32_t at(size_t i) const { return codes_[(read_ + i) % kSlots]; }

 private:
  uint32_t codes_[kSlots] = {};
  size_t write_ = 0;
  size_t read_ = 0;
  bool keyEntered_ = false;
};

}  // namespace scrpack

#endif  // SCRPACK_STATUS_KEY_RING_H_
