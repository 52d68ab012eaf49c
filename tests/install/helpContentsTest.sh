#!/usr/bin/env bash
# Help/目次 of an installed Kelvra, as a user reaches it: the installed
# program, started on the display, is given Alt+H and Return, and the
# desktop's browser (a stand-in that writes down the address it is given)
# must be asked for the installed manual's start page.
#   tests/install/helpContentsTest.sh BUILD_DIR   an install staged here (prefix /usr)
#   tests/install/helpContentsTest.sh /           the installed package
# Needs a display (status 77, skipped, without one) and xdotool.
set -euo pipefail
fail() { echo "helpContentsTest: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "helpContentsTest: no display, skipped"; exit 77; }
scratch="$(mktemp -d /tmp/kelvra-help.XXXXXX)"
pid=""
cleanup() { [ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT

if [ "${1:?usage: helpContentsTest.sh BUILD_DIR | /}" = / ]; then
  root=""
else
  root="$scratch/root"
  DESTDIR="$root" cmake --install "$1" --prefix /usr >/dev/null
fi
program="$root/usr/bin/kelvra"
manual="$root/usr/share/doc/kelvra/manual/index.html"
[ -x "$program" ] && [ -f "$manual" ] || fail "no installed program and manual under ${root:-/}"

# A desktop of its own whose only browser is the stand-in.
desktop="$scratch/desktop"
mkdir -p "$desktop/share/applications" "$desktop/config" "$desktop/home"
ln -s /usr/share/mime "$desktop/share/mime"
opened="$scratch/opened.txt"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$opened" >"$scratch/browser"
chmod +x "$scratch/browser"
printf '[Desktop Entry]\nType=Application\nName=Browser\nExec=%s %%u\nMimeType=text/html;\n' "$scratch/browser" \
  >"$desktop/share/applications/stand-in-browser.desktop"
printf '[Default Applications]\ntext/html=stand-in-browser.desktop\n' >"$desktop/config/mimeapps.list"

cd "$scratch"   # no Kelvra.chm here: the manual is the help
XDG_DATA_DIRS="$desktop/share" XDG_DATA_HOME="$desktop/home" XDG_CONFIG_HOME="$desktop/config" \
  XDG_CONFIG_DIRS="$desktop/config" HOME="$desktop/home" GSETTINGS_BACKEND=memory \
  "$program" >"$scratch/stderr.txt" 2>&1 &
pid=$!
window=""
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --pid "$pid" --name 'Kelvra' 2>/dev/null | head -1)" || true
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended: $(cat "$scratch/stderr.txt")"
  sleep 0.1
done
[ -n "$window" ] || fail "no window"
sleep 1.5   # the splash closes at a key, which is then not the menu's: let it go by itself
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))   # the keyboard follows the pointer
sleep 0.2
xdotool key alt+h
sleep 0.5
xdotool key Return
for _ in $(seq 100); do
  [ -s "$opened" ] && break
  sleep 0.1
done
[ -s "$opened" ] || fail "the browser was not asked to open anything"
# The desktop hands a local file to the browser as its path or as a file: address.
expected="$(realpath "$manual")"
got="$(cat "$opened")"
[ "${got#file://}" = "$expected" ] || fail "the browser was asked for $got, not $expected"
echo "helpContentsTest: Help/目次 opened $got"
