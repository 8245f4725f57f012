// Names from a pack as text: for a terminal, where no byte of a name may
// act as a control, and for JSON, where every name must come back as the
// same bytes.
#ifndef SCRPACK_UNPACK_NAME_TEXT_H_
#define SCRPACK_UNPACK_NAME_TEXT_H_

#include <string>

namespace scrpack {

// The name as it is when it is printable ASCII and has no blank at either
// end; otherwise in double quotes, with \\, \", \t, \n, \r and \xHH
// escapes for every byte outside 0x20-0x7E. An empty name shows as "".
std::string shownName(const std::string& name);

// A JSON string literal, quotes included, holding one character per byte:
// bytes 0x80-0xFF become U+0080-U+00FF (in UTF-8), control bytes \u00XX.
std::string jsonString(const std::string& bytes);

}  // namespace scrpack

#endif  // SCRPACK_UNPACK_NAME_TEXT_H_
