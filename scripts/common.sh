# Shared by scripts/demo and scripts/test: installs what the build needs on
# Debian when run as root, and says what to install otherwise.

# ensure_packages PACKAGE...
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
      missing+=("$p")
  done
  ((${#missing[@]} == 0)) && return 0
  if [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null ||
      { echo "apt-get could not install: ${missing[*]}" >&2; return 1; }
  else
    echo "please install these Debian packages first: ${missing[*]}" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

# The packages that building and running the tool needs on Linux.
SCRPACK_BUILD_PACKAGES=(cmake g++ make libx11-dev libxrandr-dev)
# The cross compiler for scrpack.exe (the -posix variant has std::thread).
SCRPACK_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix)
