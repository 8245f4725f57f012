// A small JSON reader for checking the tools' JSON output in tests: the
// whole grammar, strings decoded from UTF-8 into code points, and code
// points up to U+00FF given back as single bytes (the tools write bytes
// 0x80-0xFF that way). Anything malformed makes parse() fail.
#ifndef SCRPACK_TESTS_JSON_VALUE_H_
#define SCRPACK_TESTS_JSON_VALUE_H_

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace scrpack {
namespace test {

struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;  // a string's code points, each at most U+00FF
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> fields;

  const JsonValue& operator[](const std::string& key) const {
    static const JsonValue kMissing;
    const auto it = fields.find(key);
    return it == fields.end() ? kMissing : it->second;
  }
};

class JsonParser {
 public:
  // True when |text| is one JSON value with nothing but blanks around it.
  static bool parse(const std::string& text, JsonValue* out) {
    JsonParser parser(text);
    return parser.value(out) && (parser.blanks(), parser.at_ == text.size());
  }

 private:
  explicit JsonParser(const std::string& text) : s_(text) {}

  void blanks() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\n' ||
                               s_[at_] == '\r' || s_[at_] == '\t')) {
      ++at_;
    }
  }
  bool take(char c) {
    blanks();
    if (at_ < s_.size() && s_[at_] == c) return ++at_, true;
    return false;
  }
  bool word(const char* w, JsonValue* out, JsonValue::Type type, bool b) {
    const std::string ws(w);
    if (s_.compare(at_, ws.size(), ws) != 0) return false;
    at_ += ws.size();
    out->type = type;
    out->boolean = b;
    return true;
  }

  bool value(JsonValue* out) {
    blanks();
    if (at_ >= s_.size()) return false;
    const char c = s_[at_];
    if (c == '{') return object(out);
    if (c == '[') return array(out);
    if (c == '"')
      return out->type = JsonValue::Type::kString, string(&out->text);
    if (c == 't') return word("true", out, JsonValue::Type::kBool, true);
    if (c == 'f') return word("false", out, JsonValue::Type::kBool, false);
    if (c == 'n') return word("null", out, JsonValue::Type::kNull, false);
    const char* begin = s_.c_str() + at_;
    char* end = nullptr;
    out->number = std::strtod(begin, &end);
    if (end == begin || !(c == '-' || (c >= '0' && c <= '9'))) return false;
    at_ += static_cast<size_t>(end - begin);
    out->type = JsonValue::Type::kNumber;
    return true;
  }

  bool object(JsonValue* out) {
    out->type = JsonValue::Type::kObject;
    ++at_;
    if (take('}')) return true;
    do {
      std::string key;
      blanks();
      if (at_ >= s_.size() || s_[at_] != '"' || !string(&key) || !take(':') ||
          !value(&out->fields[key])) {
        return false;
      }
    } while (take(','));
    return take('}');
  }

  bool array(JsonValue* out) {
    out->type = JsonValue::Type::kArray;
    ++at_;
    if (take(']')) return true;
    do {
      out->items.emplace_back();
      if (!value(&out->items.back())) return false;
    } while (take(','));
    return take(']');
  }

  bool string(std::string* out) {
    ++at_;
    while (at_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[at_++]);
      uint32_t code = c;
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c == '\\') {
        if (at_ >= s_.size()) return false;
        const char e = s_[at_++];
        const char* simple = "\"\"\\\\//b\bf\fn\nr\rt\t";
        code = 0x110000;
        for (const char* p = simple; *p; p += 2) {
          if (*p == e) code = static_cast<unsigned char>(p[1]);
        }
        if (e == 'u') {
          if (at_ + 4 > s_.size()) return false;
          code = static_cast<uint32_t>(
              std::strtoul(s_.substr(at_, 4).c_str(), nullptr, 16));
          at_ += 4;
        }
      } else if (c >= 0x80) {
        // Two-byte UTF-8 only: the tools write nothing above U+00FF.
        if ((c & 0xE0) != 0xC0 || at_ >= s_.size()) return false;
        const unsigned char next = static_cast<unsigned char>(s_[at_++]);
        if ((next & 0xC0) != 0x80) return false;
        code = ((c & 0x1Fu) << 6) | (next & 0x3Fu);
      }
      if (code > 0xFF) return false;
      out->push_back(static_cast<char>(code));
    }
    return false;
  }

  const std::string& s_;
  size_t at_ = 0;
};

}  // namespace test
}  // namespace scrpack

#endif  // SCRPACK_TESTS_JSON_VALUE_H_
