#!/usr/bin/env bash
# Monkey test of the desktop program, run by hand (not part of CI or test.sh).
#
#   scripts/monkey.sh [SECONDS] [SEED]      default: 600 seconds, seed 1
#
# Builds kelvra with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (the tree scripts/sanitize.sh uses), starts its own Xvfb, and
# runs the program on each example data file and on a 1000 x 1000 grid in
# turn, SECONDS in all, sending random clicks (toolbar and graph), drags,
# wheel turns, keys, menu commands (F10 and arrows) and right clicks. Any
# dialog that opens (file dialogs, message boxes) is closed with Escape, so a
# file dialog is always cancelled. When the program ends by itself (File/Exit)
# it is started again.
#
# Reported, and a non-zero exit status when any was seen:
#   crashes          the program ended with a signal or a non-zero status
#   sanitizer        reports of ASan, UBSan or LSan from the program (out/monkey/asan.PID)
#   internal checks  failed wx assertions (the program prints them on stderr)
#   GTK criticals    "Gtk-CRITICAL" / "GLib-CRITICAL" lines on stderr
#   hangs            the main thread not back in its event loop within 120 s
# Logs, the program's stderr and a screenshot of the end of each run are in
# out/monkey/.
set -uo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
total="${1:-600}"
RANDOM="${2:-1}"
out="$root/out/monkey"
build="${KELVRA_ASAN_DIR:-build-asan}"
rm -rf "$out"
mkdir -p "$out/work" "$out/data" "$out/home"

scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVRA_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target kelvra kelvra-make-grids >/dev/null || exit 1
# Copies only: a dialog the monkey does not catch in time may save over the file shown.
cp "$root"/examples/*.csv "$out/data/"
"$build/bench/kelvra-make-grids" --out "$out/data" --format 1 1000 >/dev/null || exit 1
files=("$out"/data/*.csv)
export HOME="$out/home"   # the recent-file list and GTK's files stay here
export GSETTINGS_BACKEND=memory   # no dconf daemon to write GTK's file-dialog state to
# A desktop of its own whose one application for pages, links, pictures and
# data files notes what it was given: the help, the about box's link and
# "open with" must not start the machine's browser or spreadsheet, whose
# windows would outlive the run.
desktop="$out/desktop"
mkdir -p "$desktop/share/applications" "$desktop/config" "$desktop/data"
for shared in mime glib-2.0 icons themes; do ln -s "/usr/share/$shared" "$desktop/share/$shared"; done   # GTK's own
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$out/opened.txt" >"$desktop/stand-in"
chmod +x "$desktop/stand-in"
types="text/html;x-scheme-handler/http;x-scheme-handler/https;text/csv;text/plain;image/png;image/jpeg;image/bmp;application/pdf;inode/directory;"
printf '[Desktop Entry]\nType=Application\nName=Stand-in\nExec=%s %%u\nMimeType=%s\n' "$desktop/stand-in" "$types" \
  >"$desktop/share/applications/stand-in.desktop"
{ echo "[Default Applications]"; for t in ${types//;/ }; do echo "$t=stand-in.desktop"; done; } >"$desktop/config/mimeapps.list"
export XDG_DATA_DIRS="$desktop/share" XDG_DATA_HOME="$desktop/data" XDG_CONFIG_HOME="$desktop/config" \
  XDG_CONFIG_DIRS="$desktop/config" BROWSER="$desktop/stand-in"

# ---- the display ----------------------------------------------------------------
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.txt" 2>&1 &
xvfb=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# ---- the program under the sanitizers (as the GUI tests run it) ---------------------
export ASAN_OPTIONS="log_path=$out/asan:detect_leaks=1:allocator_may_return_null=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$out/asan"
asan_runtime="$(${CXX:-c++} -print-file-name=libasan.so)"
mesa_driver="$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -1)"
preload="$asan_runtime${mesa_driver:+ $mesa_driver}"

declare -A sent=()
started=()
runs=0 crashes=0 exits=0 hangs=0 dialogs=0 displayFailures=0
pid="" window=""

send() { sent[$1]=$(( ${sent[$1]:-0} + 1 )); }

start() {
  runs=$((runs + 1))
  (cd "$out/work" && LD_PRELOAD="$preload" exec "$root/$build/kelvra" "$1") >>"$out/stderr-$runs.txt" 2>&1 &
  pid=$!
  started+=("$pid")
  window=""
  for _ in $(seq 600); do   # the 1000 x 1000 grid takes a while under the sanitizers
    window=$(xdotool search --onlyvisible --pid "$pid" --name 'Kelvra' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$window" ] && eval "$(xdotool getwindowgeometry --shell "$window")"
}

# The main thread is back in its event loop (poll or ppoll) twice in a row.
idle() {
  local a b
  a=$(cut -d' ' -f1 "/proc/$pid/syscall" 2>/dev/null) || return 0
  sleep 0.1
  b=$(cut -d' ' -f1 "/proc/$pid/syscall" 2>/dev/null) || return 0
  [[ "$a" =~ ^(7|271)$ && "$b" =~ ^(7|271)$ ]]
}

wait_idle() {
  local limit=$((SECONDS + 120))
  while kill -0 "$pid" 2>/dev/null; do
    idle && return 0
    if [ "$SECONDS" -ge "$limit" ]; then
      hangs=$((hangs + 1))
      echo "hang: run $runs (${file##*/}), main thread in syscall $(cut -d' ' -f1 "/proc/$pid/syscall")" | tee -a "$out/report.txt"
      cat "/proc/$pid/stack" >>"$out/report.txt" 2>/dev/null
      xwd -root -display "$DISPLAY" | convert xwd:- "$out/hang-$runs.png"
      kill -KILL "$pid"
      wait "$pid" 2>/dev/null
      return 1
    fi
    sleep 0.2
  done
}

# Escape on every other visible window of the program (a dialog, a message box).
close_dialogs() {
  local w name
  for w in $(xdotool search --onlyvisible --pid "$pid" --name '.' 2>/dev/null); do
    [ "$w" = "$window" ] && continue
    # Menus and tooltips are override-redirect windows: not dialogs.
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && continue
    name=$(xdotool getwindowname "$w" 2>/dev/null)
    [ -z "$name" ] && continue
    dialogs=$((dialogs + 1))
    echo "dialog: $name" >>"$out/dialogs.txt"
    # What a box captioned with the program's title said (the first few).
    if [ "$name" = "Kelvra ver.1.52" ] && [ "$(ls "$out"/box-*.png 2>/dev/null | wc -l)" -lt 5 ]; then
      xwd -id "$w" -display "$DISPLAY" 2>/dev/null | convert xwd:- "$out/box-$dialogs.png" 2>/dev/null
    fi
    [[ "$name" =~ Debug|Assert ]] && echo "assertion dialog: run $runs: $name" | tee -a "$out/report.txt"
    eval "$(xdotool getwindowgeometry --shell "$w" | sed 's/^/D/')"
    xdotool mousemove $((DX + DWIDTH / 2 > 0 ? DX + DWIDTH / 2 : 0)) $((DY + 10 > 0 ? DY + 10 : 0)) key Escape 2>/dev/null
    sleep 0.3
  done
}

point() {   # a random point in the window (on the screen); toolbar and menu bar one time in four
  px=$((X + RANDOM % WIDTH))
  if [ $((RANDOM % 4)) -eq 0 ]; then py=$((Y + RANDOM % 70)); else py=$((Y + RANDOM % HEIGHT)); fi
  px=$((px < 0 ? 0 : px)) py=$((py < 0 ? 0 : py))
}

keys=(Left Right Up Down Left Right Up Down F5 ctrl+o ctrl+s Escape Return space Tab shift+Tab
      Home End Page_Up Page_Down Delete BackSpace a z 1 ctrl+c ctrl+p shift+Left ctrl+Up F1 F2 F12)

event() {
  # Without a window manager GTK moves the frame itself when a drag starts on
  # an empty part of the toolbar: put it back where the whole of it shows.
  eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
  if [ "$X" -ne 0 ] || [ "$Y" -ne 0 ]; then
    xdotool windowmove "$window" 0 0 2>/dev/null
    X=0 Y=0
  fi
  point
  case $((RANDOM % 20)) in
    0|1|2|3|4|5)    xdotool mousemove "$px" "$py" click 1; send click ;;
    6|7|8|9|10)     local x2=$((X + RANDOM % WIDTH)) y2=$((Y + RANDOM % HEIGHT))
                    x2=$((x2 < 0 ? 0 : x2)) y2=$((y2 < 0 ? 0 : y2))
                    xdotool mousemove "$px" "$py" mousedown 1 mousemove $(((px + x2) / 2)) $(((py + y2) / 2)) \
                      mousemove "$x2" "$y2" mouseup 1; send drag ;;
    11|12|13|14)    xdotool mousemove "$px" "$py" key "${keys[RANDOM % ${#keys[@]}]}"; send key ;;
    15|16)          local moves=$((RANDOM % 5)) downs=$((1 + RANDOM % 8)) k=()
                    for _ in $(seq "$moves"); do k+=(Right); done
                    for _ in $(seq "$downs"); do k+=(Down); done
                    xdotool mousemove "$px" "$py" key F10 "${k[@]}" Return; send menu ;;
    17)             xdotool mousemove "$px" "$py" click 3 sleep 0.2 key Escape; send right-click ;;
    18|19)          xdotool mousemove "$px" "$py" click $((4 + RANDOM % 2)); send wheel ;;
  esac
}

# Ends a run: a crash, an exit of its own, or the end of its time (then killed).
finish() {
  local status
  if kill -0 "$pid" 2>/dev/null; then
    xwd -root -display "$DISPLAY" | convert xwd:- "$out/end-$runs.png"
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null
    return
  fi
  wait "$pid"
  status=$?
  if [ "$status" -eq 0 ]; then
    exits=$((exits + 1))
  elif grep -q 'Unable to initialize GTK' "$out/stderr-$runs.txt"; then
    # The display refused the connection: the machine's doing, not the program's.
    displayFailures=$((displayFailures + 1))
    echo "no display connection: run $runs" | tee -a "$out/report.txt"
    sleep 1
  else
    crashes=$((crashes + 1))
    echo "crash: run $runs (${file##*/}), exit status $status" | tee -a "$out/report.txt"
  fi
}

slot=$((total / ${#files[@]}))
for file in "${files[@]}"; do
  until_time=$((SECONDS + slot))
  start "$file"
  count=0
  while [ "$SECONDS" -lt "$until_time" ]; do
    if ! kill -0 "$pid" 2>/dev/null || [ -z "$window" ]; then
      finish
      [ "$SECONDS" -lt "$until_time" ] && start "$file"
      continue
    fi
    close_dialogs   # one that opened late, before anything else reaches it
    event
    count=$((count + 1))
    sleep 0.0$((RANDOM % 10))
    close_dialogs
    if [ $((count % 25)) -eq 0 ]; then wait_idle || start "$file"; fi
  done
  finish
done
kill "$xvfb" 2>/dev/null

# A report is the program's when its process wrote it (asan.PID). Programs it
# starts (the help's browser through xdg-open, whose shell runs expr and tr)
# inherit the sanitizer through LD_PRELOAD and report their own leaks: those
# are counted apart.
sanitizer=0 others=0 otherPrograms=""
for f in $(find "$out" -maxdepth 1 -name 'asan.*' -size +0); do
  if [[ " ${started[*]} " == *" ${f##*.} "* ]]; then
    sanitizer=$((sanitizer + 1))
  else
    others=$((others + 1))
    otherPrograms+=" $(grep -m1 -oE '\(/[^+)]*' "$f" | tr -d '(' | xargs -r basename)"
  fi
done
otherPrograms=$(echo $otherPrograms | tr ' ' '\n' | sort -u | tr '\n' ' ')
checks=$(cat "$out"/stderr-*.txt "$out/report.txt" 2>/dev/null | grep -cE 'internal check failed|^assertion dialog')
criticals=$(cat "$out"/stderr-*.txt | grep -cE '(Gtk|GLib|GLib-GObject)-CRITICAL')
events=0
for k in "${!sent[@]}"; do events=$((events + sent[$k])); done
{
  echo "monkey: $total s, seed ${2:-1}, ${#files[@]} files, $runs runs ($exits ended by File/Exit, $displayFailures could not connect to the display)"
  echo -n "events: $events ("
  for k in "${!sent[@]}"; do echo -n "$k ${sent[$k]}, "; done
  echo "dialogs closed $dialogs)"
  echo "crashes $crashes, sanitizer reports $sanitizer, internal checks $checks, GTK criticals $criticals, hangs $hangs"
  [ "$others" -gt 0 ] && echo "($others sanitizer reports from programs the program started, not counted: $otherPrograms)"
} | tee -a "$out/report.txt"
[ $((crashes + sanitizer + checks + criticals + hangs)) -eq 0 ]
