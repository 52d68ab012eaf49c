#!/usr/bin/env bash
# Takes the screenshots of windows that the user manual shows
# (doc/manual/screens/), run by hand after a change to the windows:
#
#   scripts/manual-screens.sh          then look at them and commit the ones that changed
#
# Starts its own Xvfb, opens build/kelvra on examples/surface.csv with
# examples/surface-settings.txt (through a launch file that leaves it open),
# and writes, reduced to a few colours so they stay small: the main window,
# the toolbar, the settings dialog at its first page and at "ｽｹｰﾙ①", and the
# "選択ﾃﾞｰﾀ" window after three picks. The clicks go to places in the
# window's layout at its start size (the pick button, the dialog's tab, the
# graph): look at every picture before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="$root/doc/manual/screens"
work="$(mktemp -d)"
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -noreset -nolisten tcp >"$work/xvfb.txt" 2>&1 &
xvfb=$!
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; kill "$xvfb"; rm -rf "$work"' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

printf '[Kelvra]\r\nData_File_Name=%s\r\nSetting_File_Name=%s\r\nSoft_On=YES\r\n' \
  "$root/examples/surface.csv" "$root/examples/surface-settings.txt" >"$work/launch.txt"
(cd "$work" && HOME="$work" GSETTINGS_BACKEND=memory exec "$root/build/kelvra" launch.txt) >"$work/kelvra.txt" 2>&1 &
pid=$!
# The id of the program's top-level window whose title is $1 (xdotool cannot match Japanese titles).
window() { xwininfo -root -tree | awk -v name="\"$1\"" 'index($0, name) {print $1; exit}'; }
shot() {   # WINDOW NAME COLOURS [CROP]
  import -window "$1" "$work/raw.png"
  convert "$work/raw.png" ${4:+-crop "$4" +repage} +dither -colors "$3" "PNG8:$out/$2.png"
  echo "$out/$2.png: $(identify -format '%wx%h' "$out/$2.png"), $(stat -c %s "$out/$2.png") bytes"
}
for _ in $(seq 100); do [ -n "$(window 'surface.csv - Kelvra ver.1.52')" ] && break; sleep 0.1; done
sleep 2   # the splash goes by itself
main="$(window 'surface.csv - Kelvra ver.1.52')"
shot "$main" main-window 128
shot "$main" toolbar 64 660x38+0+27

xdotool mousemove 400 300 && sleep 0.2 && xdotool key alt+s && sleep 0.5 && xdotool key Return && sleep 2
dialog="$(window '設定')"
shot "$dialog" dialog-graph 64
xdotool mousemove 548 27 click 1 && sleep 1   # the tab "ｽｹｰﾙ①"
shot "$dialog" dialog-scales1 64
xdotool mousemove 772 547 click 1 && sleep 1   # "ｷｬﾝｾﾙ"

xdotool mousemove 475 46 click 1 && sleep 0.5   # the toolbar's "数値ﾃﾞｰﾀ"
picks=""
for point in "420 260" "440 300" "460 330" "380 280"; do   # until one hits a point
  xdotool mousemove $point click 1 && sleep 1
  picks="$(window '選択ﾃﾞｰﾀ')"
  [ -n "$picks" ] && break
done
[ -n "$picks" ] || { echo "manual-screens: no pick hit a point" >&2; exit 1; }
xdotool windowmove "$picks" 790 100 && sleep 0.5   # off the graph
for point in "445 290" "300 330"; do xdotool mousemove $point click 1; sleep 1; done
shot "$picks" selected-data 64
