#include "unpack/name_text.h"

#include <cstdio>

namespace scrpack {
namespace {

bool printable(unsigned char b) { return b >= 0x20 && b <= 0x7E; }

std::string hexEscape(const char* format, unsigned char b) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, format, b);
  return buffer;
}

}  // namespace

std::string shownName(const std::string& name) {
  bool plain = !name.empty() && name.front() != ' ' && name.back() != ' ' &&
               name.find('"') == std::string::npos;
  for (unsigned char b : name) plain = plain && printable(b);
  if (plain) return name;
  std::string out = "\"";
  for (unsigned char b : name) {
    switch (b) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (printable(b)) {
          out += static_cast<char>(b);
        } else {
          out += hexEscape("\\x%02X", b);
        }
    }
  }
  return out + "\"";
}

std::string jsonString(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char b : bytes) {
    if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b < 0x20 || b == 0x7F) {
      out += hexEscape("\\u%04X", b);
    } else if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out + "\"";
}

}  // namespace scrpack
