#!/usr/bin/env bash
# The packages as a user gets them: the .deb read back with dpkg-deb (its
# control fields, declared dependencies and files) and, as root, offered to
# apt-get; the Windows zip listed.
#
# usage: package_test.sh BUILD_DIR VERSION deb|zip
set -u
build=$(cd "$1" && pwd)
version=$2
kind=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

(cd "$build" && cpack -B "$work" >"$work/cpack.log" 2>&1)
made=$?
check "cpack makes the package" test $made = 0
[[ $made != 0 ]] && cat "$work/cpack.log"

case $kind in
deb)
  deb=$work/scrpack_${version}_amd64.deb
  check "the .deb is named after the version" test -f "$deb"
  field() { dpkg-deb -f "$deb" "$1"; }
  check "package name" test "$(field Package)" = scrpack
  check "package version" test "$(field Version)" = "$version"
  check "architecture" test "$(field Architecture)" = amd64
  check "maintainer" test -n "$(field Maintainer)"
  check "description" test -n "$(field Description)"
  depends=$(field Depends)
  check "declares the C library" grep -q 'libc6' <<<"$depends"
  # Xlib is loaded at run time, only when there is a display.
  check "recommends the X11 libraries" \
    grep -q 'libx11-6, libxrandr2' <<<"$(field Recommends)"
  dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
  for file in ./usr/bin/scrpack ./usr/bin/scrunpack \
      ./usr/share/man/man1/scrpack.1 ./usr/share/man/man1/scrunpack.1 \
      ./usr/include/scrpack/reader/pack_reader.h \
      ./usr/lib/libscrpack_reader.a ./usr/lib/cmake/scrpack/scrpackConfig.cmake; do
    check "the .deb holds $file" grep -qx -- "$file" "$work/files"
  done
  # Whether apt-get would install it here, with what it depends on; it
  # needs root to read the package lists.
  if [[ $(id -u) == 0 ]]; then
    check "apt-get would install it" \
      apt-get install --simulate -qq "$deb" >"$work/apt.log" 2>&1
  fi
  ;;
zip)
  zip=$work/scrpack-$version-win64.zip
  check "the zip is named after the version" test -f "$zip"
  python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
    "$zip" >"$work/files" 2>/dev/null
  for file in scrpack.exe scrunpack.exe README.txt; do
    check "the zip holds $file" grep -qx "scrpack-$version-win64/$file" "$work/files"
  done
  check "the zip holds nothing else" test "$(wc -l <"$work/files")" = 3
  ;;
esac

finish_checks
