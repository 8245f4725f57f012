#!/usr/bin/env bash
# The tool on a real terminal: scrpack runs in a tmux pane, capture-pane
# reads the screen back, and send-keys types during the run.
#
# usage: terminal_test.sh path/to/scrpack
set -u
binary=$(readlink -f "$1")
work=$(mktemp -d)
socket=
trap 'tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/checks.sh"

# Starts the tool in a fresh pane of 60 x 12 cells and waits until it has
# ended; the pane stays so its screen can be read. Sets $seconds.
run_in_pane() {  # run_in_pane KEY_DELAY (empty: no key) [RESIZE_DELAY COLUMNS]
  local key_delay=$1
  rm -f "$work/done" "$work/velkoscr"
  [[ -n $socket ]] && tmux -L "$socket" kill-server 2>/dev/null
  socket="scrpack-test-$$-$RANDOM"
  tmux -L "$socket" -f /dev/null new-session -d -x 60 -y 12 \
    "cd '$work' && clear && start=\$(date +%s%N) && env -u DISPLAY LC_ALL=C.UTF-8 '$binary'; \
     echo \"\$? \$(( (\$(date +%s%N) - start) / 1000000 ))\" > done; sleep 60"
  if [[ -n $key_delay ]]; then
    sleep "$key_delay"
    tmux -L "$socket" send-keys x
  fi
  if [[ -n ${2:-} ]]; then
    sleep "$2"
    tmux -L "$socket" resize-window -x "$3"
  fi
  for _ in $(seq 200); do
    [[ -s $work/done ]] && break
    sleep 0.05
  done
  status=none millis=0
  [[ -s $work/done ]] && read -r status millis < "$work/done"
  screen=$(tmux -L "$socket" capture-pane -p)
}

mkdir -p "$work/data"
# Each name holds a BEL, whose 250 ms tone paces the run: 8 prints with a
# bell take 2 s before the final pause begins. One name holds an escape
# sequence that would clear the screen if it reached the terminal raw.
printf 'one\a.jpg\r\ntw\to\a\r\n\033[2J\a\r\nabc\bX\a\r\n' > "$work/data/flist"
printf 'A' > "$work/data/one"$'\a'".jpg"
# The other names exist too (empty), so that no problem line is printed.
touch "$work/data/"$'tw\to\a' "$work/data/"$'\033[2J\a' "$work/data/"$'abc\bX\a'

run_in_pane ""
echo "$screen" | sed 's/^/  | /'
check "exit status 0" test "$status" = 0
check "no key: the whole pause" test "$millis" -ge 3400
row_of() { grep -nF -- "$1" <<< "$screen" | head -1 | cut -d: -f1; }
check "names shown as glyphs" grep -qF 'one.jpg' <<< "$screen"
check "tab stop" grep -qE '^tw      o$' <<< "$screen"
check "escape shown, not obeyed" grep -qF '←[2J' <<< "$screen"
check "backspace overwrites" grep -qE '^abX$' <<< "$screen"
check "final line" grep -qF 'Jpeg files are packed to velkoscr' <<< "$screen"
check "lines in order" test "$(row_of 'Jpeg files')" -gt "$(row_of 'abX')"
check "pack written" test "$(stat -c %s "$work/velkoscr")" = 1537

run_in_pane 0.5
check "key during packing: exit status 0" test "$status" = 0
check "key during packing ends the pause at once" test "$millis" -lt 3000
check "key during packing: pack written" test "$(stat -c %s "$work/velkoscr")" = 1537

# A name that fills the bottom row exactly: no scroll once it is written
# (the pending wrap), then its CR LF scrolls twice, so an empty row follows
# it and the next line stands on the bottom row.
full=$(printf 'w%.0s' $(seq 60))
{ for i in $(seq 11); do printf 'l%d\r\n' "$i"; done
  printf '%s\r\nafter\r\n' "$full"; } > "$work/data/flist"
# Every listed file exists, so no problem line moves the rows.
for name in $(seq -f 'l%g' 11) "$full" after; do : > "$work/data/$name"; done
run_in_pane ""
check "full bottom row: exit status 0" test "$status" = 0
mapfile -t rows <<< "$screen"
check "full bottom row: the name, one empty row, the next line" \
  test "${rows[7]}|${rows[8]}|${rows[9]}|${rows[10]}" = \
       "$full||after|Jpeg files are packed to velkoscr"

# A wider terminal during the run: later lines use the new width. The bells
# pace the first lines, so the resize comes before the long name.
wide=$(printf 'z%.0s' $(seq 70))
printf 'a\a\r\nb\a\r\nc\a\r\nd\a\r\n%s\r\n' "$wide" > "$work/data/flist"
for name in a b c d; do : > "$work/data/$name"$'\a'; done
: > "$work/data/$wide"
run_in_pane "" 0.4 80
check "resized: exit status 0" test "$status" = 0
check "resized: the long name on one row of the wider terminal" \
  grep -qx "$wide" <<< "$screen"

# A hang-up or termination request is the console's close notice: it ends
# the pause like a key, and the run still ends normally with status 0.
for signal in HUP TERM; do
  rm -rf "$work/quiet" && mkdir -p "$work/quiet/data"
  : > "$work/quiet/data/flist"
  start=$(now_ms)
  (cd "$work/quiet" && exec env -u DISPLAY "$binary" > out < /dev/null) &
  pid=$!
  sleep 0.5
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  elapsed=$(( $(now_ms) - start ))
  check "SIG$signal: exit status 0" test "$status" = 0
  check "SIG$signal ends the pause early" test "$elapsed" -lt 1200
  check "SIG$signal: the final line was written" \
    grep -q 'Jpeg files are packed to velkoscr' "$work/quiet/out"
  check "SIG$signal: the pack was written" \
    test "$(stat -c %s "$work/quiet/velkoscr")" = 1536
done

# Every signal that ends the run puts the terminal back as it found it. An
# interrupt, a termination request or a hang-up during the packing ends the
# run at once with 128 + the signal, keeps the old pack and leaves no
# temporary file; the others end the process by their default action. The
# names ring the bell, so the packing lasts seconds; the signal comes as
# soon as the first name shows.
rm -rf "$work/signal" && mkdir -p "$work/signal/data"
for i in $(seq 1 20); do printf 'n%02d\a\r\n' "$i"; done > "$work/signal/data/flist"
for signal in INT TERM HUP QUIT ABRT USR1 ALRM; do
  rm -f "$work/signal/"{before,after,status,pid}
  printf 'old pack' > "$work/signal/velkoscr"
  [[ -n $socket ]] && tmux -L "$socket" kill-server 2>/dev/null
  socket="scrpack-signal-$$-$RANDOM"
  tmux -L "$socket" -f /dev/null new-session -d -x 60 -y 12 \
    "cd '$work/signal' && clear && stty -g > before && \
     (echo \$BASHPID > pid; exec env -u DISPLAY LC_ALL=C.UTF-8 '$binary'); \
     echo \$? > status; stty -g > after; sleep 60"
  for _ in $(seq 200); do
    [[ -s $work/signal/pid ]] && tmux -L "$socket" capture-pane -p | grep -q n01 && break
    sleep 0.05
  done
  kill -s "$signal" "$(cat "$work/signal/pid")"
  for _ in $(seq 200); do
    [[ -s $work/signal/after ]] && break
    sleep 0.05
  done
  number=$(kill -l "$signal")
  check "SIG$signal: exit status 128 + $number" \
    test "$(cat "$work/signal/status" 2>/dev/null)" = $((128 + number))
  check "SIG$signal: the terminal as before" \
    cmp -s "$work/signal/before" "$work/signal/after"
  check "SIG$signal: the old pack kept" \
    test "$(cat "$work/signal/velkoscr")" = "old pack"
  if [[ $signal == INT || $signal == TERM || $signal == HUP ]]; then
    check "SIG$signal: no temporary file left" \
      test -z "$(ls "$work/signal" | grep '^velkoscr\.')"
  fi
done

finish_checks
