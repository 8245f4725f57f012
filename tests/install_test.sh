#!/usr/bin/env bash
# The project as a user installs it: `cmake --install` into a fresh prefix,
# the installed tools run on the bundled example, their man pages read by
# man with warnings on, and a consumer project built against the installed
# reader library with find_package(scrpack 1), from the README's example.
#
# usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -u
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1
check "cmake --install succeeds" test $? = 0

for file in bin/scrpack bin/scrunpack share/man/man1/scrpack.1 \
    share/man/man1/scrunpack.1 include/scrpack/reader/pack_reader.h \
    lib/libscrpack_reader.a lib/cmake/scrpack/scrpackConfig.cmake \
    lib/cmake/scrpack/scrpackConfigVersion.cmake; do
  check "installs $file" test -f "$prefix/$file"
done
check "scrpack --version" test "$("$prefix/bin/scrpack" --version)" = "scrpack $version"
check "scrunpack --version" \
  test "$("$prefix/bin/scrunpack" --version)" = "scrunpack $version"

# Every page has the sections a user looks for, and man finds nothing to
# warn about in its roff.
for page in scrpack scrunpack; do
  file=$prefix/share/man/man1/$page.1
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$work/$page.txt")
  check "$page.1 renders without warnings" test -z "$warnings"
  [[ -n $warnings ]] && echo "$warnings"
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    check "$page.1 has $section" grep -q "^$section" "$work/$page.txt"
  done
done
check "scrpack.1 has FILES" grep -q '^FILES' "$work/scrpack.txt"
check "scrpack.1 names data/flist and velkoscr" \
  grep -q 'data/flist' "$work/scrpack.txt"
check "scrpack.1 lists the problem lines" \
  grep -q 'no directory slot left; packed without an entry' "$work/scrpack.txt"

# The installed packer on the example, then the consumer on its pack.
cp -r "$source_dir/example" "$work/example"
rm -f "$work/example/velkoscr"
(cd "$work/example" && env -u DISPLAY "$prefix/bin/scrpack" </dev/null >/dev/null)
check "the installed scrpack packs the example" test -s "$work/example/velkoscr"

cmake -S "$source_dir/tests/consumer" -B "$work/consumer" \
  -DCMAKE_PREFIX_PATH="$prefix" \
  -DEXAMPLE_SOURCE="$source_dir/reader/example.cpp" >"$work/consumer.log" 2>&1 &&
  cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1
built=$?
check "a consumer builds with find_package(scrpack 1) and scrpack::reader" \
  test $built = 0
[[ $built != 0 ]] && cat "$work/consumer.log"
output=$(cd "$work/example" && "$work/consumer/read_pack")
sun_bytes=$(stat -c %s "$source_dir/example/data/sun.jpg")
check "the consumer reads a picture from the pack" \
  grep -qx "sun.jpg: $sun_bytes bytes, ready to decode" <<<"$output"

# An older major version is not what the package offers.
cat >"$work/major.cmake" <<EOM
set(CMAKE_PREFIX_PATH "$prefix")
find_package(scrpack 2 QUIET)
if(scrpack_FOUND)
  message(FATAL_ERROR "version 2 accepted")
endif()
EOM
check "find_package(scrpack 2) is refused" cmake -P "$work/major.cmake"

finish_checks
