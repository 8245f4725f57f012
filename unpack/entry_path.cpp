#include "unpack/entry_path.h"

#include <cstring>

namespace scrpack {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Device names that Windows opens as devices in any directory, with or
// without an extension.
bool isWindowsDevice(const std::string& component) {
  std::string base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  static const char* const kDevices[] = {"CON", "PRN",    "AUX",
                                         "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  return base.size() == 4 &&
         (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// Why |component| cannot be a file name under |rules|, or null.
const char* componentRefusal(const std::string& component, PathRules rules) {
  if (component == "..") return "has a \"..\" component";
  if (component.find('\0') != std::string::npos) return "holds a zero byte";
  if (rules == PathRules::kPosix) return nullptr;
  for (unsigned char b : component) {
    if (b < 0x20 || std::strchr("<>:\"|?*", b) != nullptr) {
      return "holds a byte that Windows does not allow in file names";
    }
  }
  if (component.back() == '.' || component.back() == ' ') {
    return "has a component that ends in a dot or a blank, which Windows "
           "drops";
  }
  if (isWindowsDevice(component)) return "names a Windows device";
  return nullptr;
}

EntryPath refused(const char* why) {
  EntryPath path;
  path.refusal = why;
  return path;
}

}  // namespace

EntryPath entryPath(const std::string& name, PathRules rules) {
  if (name.empty()) return refused("is empty");
  if (isSeparator(name[0])) return refused("is an absolute path");
  const char first = static_cast<char>(name[0] | 0x20);  // ASCII lower
  if (name.size() >= 2 && first >= 'a' && first <= 'z' && name[1] == ':') {
    return refused("starts with a drive letter");
  }
  if (isSeparator(name.back())) return refused("ends in a separator");
  EntryPath path;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !isSeparator(name[end])) ++end;
    const std::string component = name.substr(start, end - start);
    if (!component.empty() && component != ".") {
      if (const char* why = componentRefusal(component, rules)) {
        return refused(why);
      }
      path.components.push_back(component);
    }
    start = end + 1;
  }
  if (path.components.empty()) return refused("names no file");
  return path;
}

std::string joinedPath(const EntryPath& path) {
  std::string joined;
  for (const std::string& component : path.components) {
    if (!joined.empty()) joined += '/';
    joined += component;
  }
  return joined;
}

}  // namespace scrpack
