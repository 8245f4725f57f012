// The IBM PC character set (code page 437) against Unicode, for showing
// status bytes on a Unicode terminal and for turning typed characters into
// the codes that the key ring holds.
#ifndef SCRPACK_STATUS_CP437_H_
#define SCRPACK_STATUS_CP437_H_

#include <cstdint>
#include <string>

namespace scrpack {

// The character that the PC shows for |byte|; 0x00 shows as a space.
uint32_t cp437ToUnicode(unsigned char byte);

// The code page 437 byte for |codePoint|, or -1 when the set has none.
// ASCII control characters map to themselves.
int unicodeToCp437(uint32_t codePoint);

// Appends the UTF-8 encoding of |codePoint| to |out|.
void appendUtf8(uint32_t codePoint, std::string* out);

}  // namespace scrpack

#endif  // SCRPACK_STATUS_CP437_H_
