#include <dlfcn.h>

#define SCRPACK_X11_LIBRARY_LOADER
#include "status/x11_library.h"

namespace scrpack {

X11Functions x11Functions;

namespace {

// Finds the functions of libX11, or of libXrandr, in |library|; false when
// one is missing.
bool findAll(void* library, X11Functions* functions, bool randr) {
  bool all = true;
#define SCRPACK_X11_FIND(name)                                              \
  functions->name =                                                         \
      reinterpret_cast<decltype(functions->name)>(::dlsym(library, #name)); \
  all = all && functions->name != nullptr;
  if (randr) {
    SCRPACK_XRANDR_FUNCTIONS(SCRPACK_X11_FIND)
  } else {
    SCRPACK_X11_FUNCTIONS(SCRPACK_X11_FIND)
  }
#undef SCRPACK_X11_FIND
  return all;
}

bool loadOnce() {
  // Kept loaded to the end of the process: Xlib keeps state of its own
  // (XInitThreads, handlers) that must outlive every display.
  void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return false;
  void* randr = ::dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!randr) return false;
  X11Functions found;
  if (!findAll(x11, &found, false) || !findAll(randr, &found, true)) {
    return false;
  }
  x11Functions = found;
  return true;
}

}  // namespace

bool loadX11Library() {
  static const bool loaded = loadOnce();
  return loaded;
}

}  // namespace scrpack
