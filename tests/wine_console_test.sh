#!/usr/bin/env bash
# scrpack.exe on a real Windows console: wine runs it in a tmux pane, where
# wine's console host shows the console's screen buffer on the terminal.
# capture-pane reads the screen back and send-keys types during the run.
#
# A console probe (console_probe.cpp) gives the console a screen buffer
# taller than its window, runs the tool in it and reports what the buffer
# holds afterwards.
#
# usage: wine_console_test.sh path/to/scrpack.exe path/to/console_probe.exe
#          WINE_COMMAND...
# WINE_COMMAND is how to start a Windows program, e.g. "env WINEPREFIX=... wine".
set -u
binary=$(readlink -f "$1")
probe=$(readlink -f "$2")
shift 2
wine_command=("$@")
work=$(mktemp -d)
socket=
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/checks.sh"

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Starts the tool in a fresh pane of 60 x 12 cells, by itself or, given
# extra arguments, as the console probe with them. With SEND_KEY set, types
# a key as soon as the first status line shows. Waits until the final line
# shows and the tool has ended; sets $status, $pause_ms (from the final
# line's appearance to the tool's end) and $screen.
run_in_pane() {  # run_in_pane SEND_KEY(yes/no) [PROBE_ARGUMENTS...]
  local send_key=$1 command
  shift
  rm -f "$work/done" "$work/velkoscr"
  [[ -n $socket ]] && tmux -L "$socket" kill-server 2>/dev/null
  socket="scrpack-wine-test-$$-$RANDOM"
  if (($# > 0)); then
    printf -v command '%q ' "${wine_command[@]}" "$probe" "$@"
  else
    printf -v command '%q ' "${wine_command[@]}" "$binary"
  fi
  tmux -L "$socket" -f /dev/null new-session -d -x 60 -y 12 \
    "cd '$work' && clear && $command; \
     echo \"\$? \$(( \$(date +%s%N) / 1000000 ))\" > done; sleep 60"
  local final_seen=0 key_sent=no
  for _ in $(seq 1200); do
    [[ -s $work/done ]] && break
    screen=$(tmux -L "$socket" capture-pane -p)
    if [[ $send_key == yes && $key_sent == no ]] && grep -qF 'one.jpg' <<< "$screen"; then
      tmux -L "$socket" send-keys x
      key_sent=yes
    fi
    if ((final_seen == 0)) && grep -qF 'Jpeg files are packed' <<< "$screen"; then
      final_seen=$(now_ms)
    fi
    sleep 0.02
  done
  status=none pause_ms=-1
  local ended=0
  [[ -s $work/done ]] && read -r status ended < "$work/done"
  ((final_seen > 0)) && pause_ms=$((ended - final_seen))
  screen=$(tmux -L "$socket" capture-pane -p)
}

mkdir -p "$work/data"
# Every name holds a BEL, whose 250 ms tone paces the run: 2 x 5 prints
# with a bell take 2.5 s before the final pause. The byte 0x82 is é in the
# console's code page 437.
printf 'one\a.jpg\r\ntw\to\a\r\nabc\bX\a\r\ncaf\202\a\r\n\a\r\n' > "$work/data/flist"
# Windows refuses control bytes in file names: every entry is empty.
pack_ok() {
  test "$(stat -c %s "$work/velkoscr")" = 1536 &&
    test "$(dd if="$work/velkoscr" bs=1 skip=48 count=8 2>/dev/null)" = $'one\a.jpg'
}

# The n names of the later runs exist, so they get no problem line.
for i in $(seq 1 25); do printf '' > "$work/data/$(printf 'n%02d' "$i")"; done

run_in_pane no
echo "$screen" | sed 's/^/  | /'
echo "final line to exit: $pause_ms ms"
row_of() { grep -nF -- "$1" <<< "$screen" | tail -1 | cut -d: -f1; }
# No such name can be opened, so each gets a problem line.
check "exit status 1" test "$status" = 1
check "problem lines" grep -qE '^abX: cannot be read \(.+\); packed with size 0$' <<< "$screen"
# The final line is seen by polling the pane, late by up to a few hundred
# ms on a loaded machine, so the whole 1500 ms pause measures a little less.
check "no key: the whole pause" test "$pause_ms" -ge 1200
check "the copy pass's names above the final line" \
  grep -qzF $'\none.jpg\ntw      o\nabX\ncafé\n\nJpeg files are packed' <<< "$screen"
check "tab stop" grep -qx 'tw      o' <<< "$screen"
check "backspace overwrites" grep -qx 'abX' <<< "$screen"
check "bytes in the console's code page" grep -qx 'café' <<< "$screen"
check "final line below both passes" test "$(row_of 'Jpeg files')" = 11
check "pack written" pack_ok

# 14 more names scroll the 12 rows; a key comes as soon as the first name
# shows, while the bells still ring.
for i in $(seq 1 14); do printf 'n%02d\r\n' "$i"; done >> "$work/data/flist"
run_in_pane yes
echo "$screen" | sed 's/^/  | /'
echo "final line to exit: $pause_ms ms"
check "key during packing: exit status 1" test "$status" = 1
check "key during packing ends the pause at once" test "$pause_ms" -lt 1000
check "scrolled: the last names right above the final line" \
  grep -qzF $'n13\nn14\nJpeg files are packed to velkoscr\n' <<< "$screen"
check "scrolled: the final line on the second to last row" \
  test "$(row_of 'Jpeg files')" = 11
check "key during packing: pack written" pack_ok

# A buffer of 40 rows under the 12-row window: the window first moves down
# over the buffer; once it reaches the buffer's end the buffer's contents
# move up. 25 names twice and the final line are 51 lines: the buffer
# holds the last 39 of them from line 12 (n13) on, above the cursor's empty
# row, and the window shows its last 12 rows. Text and freed rows take the
# console's colour attribute.
printf 'n%02d\r\n' $(seq 1 25) > "$work/data/flist"
run_in_pane no 40 1E "$(windows_path "$work/report")" "$(windows_path "$binary")"
sed -n '1,2p' "$work/report"
report_row() { grep "^row $1 " "$work/report" | cut -d'|' -f2-; }
check "tall buffer: exit status 0" test "$status" = 0
check "tall buffer: the window moved to the buffer's end" grep -qx 'window 28 39' "$work/report"
check "tall buffer: cursor on the last row" grep -qx 'cursor 0 39' "$work/report"
check "tall buffer: the final line above it" test "$(report_row 38)" = "Jpeg files are packed to velkoscr"
check "tall buffer: the last name above that" test "$(report_row 37)" = "n25"
check "tall buffer: contents moved up by 12 rows" test "$(report_row 0)" = "n13"
check "tall buffer: text in the console's attribute" grep -q '^row 38 1E 1E ' "$work/report"
check "tall buffer: freed rows in the console's attribute" grep -q '^row 39 1E 1E ' "$work/report"

finish_checks
