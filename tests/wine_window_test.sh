#!/usr/bin/env bash
# scrpack.exe's status window under wine, on a private X server (Xvfb):
# the window opens with the program's name as its title and a 640 x 480
# client area, shows the status lines, closes before the tool ends, and a
# key typed into it ends the final pause.
#
# usage: wine_window_test.sh path/to/scrpack.exe WINE_COMMAND...
# WINE_COMMAND is how to start a Windows program, e.g. "env WINEPREFIX=... wine".
set -u
binary=$(readlink -f "$1")
shift
wine_command=("$@")
work=$(mktemp -d)
xvfb_pid=
trap '[[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/checks.sh"

# The server writes its display number to the pipe once it listens.
mkfifo "$work/ready"
exec {ready}<> "$work/ready"
Xvfb -displayfd "$ready" -screen 0 1024x768x24 -nolisten tcp -noreset \
  >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 -u "$ready" number || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$number"

# The wine command clears DISPLAY first; give it back after that.
last=$((${#wine_command[@]} - 1))
run_command=(env "${wine_command[@]:0:$last}" "DISPLAY=$DISPLAY" "${wine_command[$last]}"
             "$binary")

mkdir -p "$work/data"
# Wine creates files slowly: few names keep the packing short.
for i in $(seq 1 10); do printf 'name%02d.jpg\r\n' "$i"; done > "$work/data/flist"
# All of them exist, so no problem line joins the status lines.
for i in $(seq 1 9); do : > "$work/data/$(printf 'name%02d.jpg' "$i")"; done
head -c 5000 /dev/zero > "$work/data/name10.jpg"

# Starts the tool and waits for its window; sets $window.
start_tool() {
  rm -f "$work/velkoscr" "$work/done"
  (cd "$work" && "${run_command[@]}" > stdout 2>/dev/null
   echo "$? $(now_ms)" > done) &
  window=
  for _ in $(seq 600); do
    window=$(xdotool search --name '^scrpack$' 2>/dev/null | head -1)
    [[ -n $window ]] && break
    [[ -s $work/done ]] && break
    sleep 0.05
  done
}

# Waits until the window is hidden, when the tool closes it; sets
# $closed_ms. Without a window manager wine hides it only after waiting in
# vain for the manager (2 s in wine 8), so times up to here are compared
# between runs rather than taken as they are.
wait_hidden() {
  for _ in $(seq 1000); do
    xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable' || break
    sleep 0.01
  done
  closed_ms=$(now_ms)
}

# Waits for the tool's end; sets $status.
wait_tool() {
  for _ in $(seq 1200); do
    [[ -s $work/done ]] && break
    sleep 0.05
  done
  status=none
  [[ -s $work/done ]] && read -r status _ < "$work/done"
}

# The brightest red value (0 to 255) in a band of the window's client area.
brightest() {  # brightest Y HEIGHT
  import -window "$window" -crop "640x$2+0+$1" +repage \
    -format '%[fx:round(255*maxima.r)]' info: 2>/dev/null
}

pack_ok() { test "$(stat -c %s "$work/velkoscr" 2>/dev/null)" = $((1536 + 5000)); }

# No key: the window with its lines, the whole pause, closed at the end.
start_tool
check "a window titled scrpack opens" test -n "$window"
geometry=$(xwininfo -id "$window" 2>/dev/null)
check "client area 640 wide" grep -q 'Width: 640$' <<< "$geometry"
check "client area 480 high" grep -q 'Height: 480$' <<< "$geometry"
# Two passes of 10 names fill rows 0 to 19; the final line stands in row 20.
final_ms=0
for _ in $(seq 200); do
  [[ $(brightest 160 8) == 255 ]] && final_ms=$(now_ms) && break
  sleep 0.01
done
check "the final line shows in row 20" test "$final_ms" -gt 0
check "the first name shows in row 0" test "$(brightest 0 8)" = 255
# The whole picture, pixel for pixel, against the grid drawn in memory by
# the same text grid and font (SCRPACK_RENDER_GRID, a Windows program too).
if [[ -n ${SCRPACK_RENDER_GRID:-} ]]; then
  import -window "$window" -crop 640x480+0+0 +repage "$work/shown.ppm" 2>/dev/null
  { for pass in 1 2; do sed 's/\r$//' "$work/data/flist"; done
    echo "Jpeg files are packed to velkoscr"; } > "$work/lines"
  (cd "$work" && "${run_command[@]:0:$((${#run_command[@]} - 1))}" \
     "$(readlink -f "$SCRPACK_RENDER_GRID")" lines expected.ppm) >/dev/null 2>&1
  differing=$(compare -metric AE "$work/expected.ppm" "$work/shown.ppm" null: 2>&1)
  echo "pixels differing from the grid drawn in memory: $differing"
  check "the window shows the grid pixel for pixel" test "$differing" = 0
fi
check "row 21 is empty" test "$(brightest 168 8)" = 0
wait_hidden
no_key_ms=$((closed_ms - final_ms))
echo "no key: final line to closing: $no_key_ms ms"
# Both ends are seen by polling, each late by up to a few hundred ms on a
# loaded machine; a key ends the pause at once, far below this.
check "no key: the whole pause" test "$no_key_ms" -ge 1200
wait_tool
check "exit status 0" test "$status" = 0
check "the window is gone at the end" \
  test -z "$(xdotool search --name '^scrpack$' 2>/dev/null)"
check "nothing on the console" test ! -s "$work/stdout"
check "pack written" pack_ok

# A key as soon as the window shows ends the pause at once. Without a
# window manager the window gets the keyboard as a manager would give it.
start_tool
check "the window opens again" test -n "$window"
xdotool windowfocus --sync "$window" key space
key_ms=$(now_ms)
wait_hidden
echo "key during packing: key to closing: $((closed_ms - key_ms)) ms"
# The key came as the window first showed, yet the window closes at least
# a second sooner after it than after the final line without a key.
check "a key ends the pause" test $((no_key_ms - (closed_ms - key_ms))) -ge 1000
wait_tool
check "key: exit status 0" test "$status" = 0
check "key: pack written" pack_ok

finish_checks
