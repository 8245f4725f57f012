#!/usr/bin/env bash
# The Linux and the Windows build make the same pack from the same inputs:
# both run in copies of one working directory, and their velkoscr files and
# redirected outputs must be equal byte for byte.
#
# usage: same_pack_test.sh path/to/scrpack path/to/scrpack.exe WINE_COMMAND...
# WINE_COMMAND is how to start a Windows program, e.g. "env WINEPREFIX=... wine".
set -u
linux_binary=$(readlink -f "$1")
windows_binary=$(readlink -f "$2")
shift 2
wine_command=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/checks.sh"

long_name=An_Upper_Case_Name_Longer_Than_39_Bytes_In_All.JPG
mkdir -p "$work/linux/data/pics/Deep"
{
  printf 'Cat.JPG\r\n'                 # upper case, CR LF
  printf 'pics/Dog.jpg\n'              # a slash into a subdirectory, LF
  printf 'pics/Deep/Bird.Jpg\r\r\n'    # two levels; CR CR LF ends the line too
  printf 'gone.jpg\r\n'                # missing: created empty
  printf 'nodir/x.jpg\r\n'             # missing, through a missing directory
  printf '%s\r\n' "$long_name"         # long name, cut to 39 bytes
  printf 'ab\0cd\r\n'                  # zero byte: the path ends at it
  printf '\r\n'                        # empty name: the data directory
  printf 'Cat.JPG\r\n'                 # listed twice
  printf 'big.bin\n'                   # larger than any buffer
  printf 'last.jpg\0\0'                # zero bytes before the end
  printf '\x1a'                        # end of the list; the rest is unread
  printf 'after.jpg\r\n'
} > "$work/linux/data/flist"
# Contents in which a text mode would show: CR LF, lone LF, 0x1A, zeros.
printf 'C\r\nA\nT\x1a\0\0\xff\r' > "$work/linux/data/Cat.JPG"
printf '\x1a\x1a\r\n' > "$work/linux/data/pics/Dog.jpg"
printf 'bird\r\n\r\n' > "$work/linux/data/pics/Deep/Bird.Jpg"
printf 'long' > "$work/linux/data/$long_name"
printf 'AB\0' > "$work/linux/data/ab"
head -c 300001 /dev/urandom > "$work/linux/data/big.bin"
printf '' > "$work/linux/data/last.jpg"
printf 'never packed' > "$work/linux/data/after.jpg"
printf 'old pack, to be deleted' > "$work/linux/velkoscr"
cp -a "$work/linux" "$work/windows"

# The missing, empty and duplicate names give problem lines: exit status 1.
(cd "$work/linux" && env -u DISPLAY "$linux_binary" > "$work/linux.out" < /dev/null)
check "Linux exit status 1" test $? = 1
(cd "$work/windows" && "${wine_command[@]}" "$windows_binary" > "$work/windows.out" < /dev/null)
check "Windows exit status 1" test $? = 1
check "problem lines" grep -qF 'gone.jpg: not found; packed with size 0' "$work/linux.out"

echo "pack sizes: Linux $(stat -c %s "$work/linux/velkoscr"), Windows $(stat -c %s "$work/windows/velkoscr")"
check "the same pack" cmp "$work/linux/velkoscr" "$work/windows/velkoscr"
check "the same output" cmp "$work/linux.out" "$work/windows.out"
size() { stat -c %s "$work/linux/data/$1"; }
contents=$((2 * $(size Cat.JPG) + $(size pics/Dog.jpg) + $(size pics/Deep/Bird.Jpg) +
            $(size "$long_name") + $(size ab) + $(size big.bin)))
check "the pack holds every listed file's contents" \
  test "$(stat -c %s "$work/linux/velkoscr")" = $((1536 + contents))
check "missing files created empty on both" \
  test -f "$work/linux/data/gone.jpg" -a ! -s "$work/linux/data/gone.jpg" \
       -a -f "$work/windows/data/gone.jpg" -a ! -s "$work/windows/data/gone.jpg"
check "no directory made on either" test ! -e "$work/linux/data/nodir" -a ! -e "$work/windows/data/nodir"

finish_checks
