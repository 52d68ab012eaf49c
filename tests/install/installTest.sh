#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR as a package would (prefix /usr)
# and checks what landed there: the file list against installed-files.txt,
# the desktop entry and the AppStream metainfo with Debian's validators, the
# manual pages rendered without a warning, the user manual's links and
# messages, the installed kelvra-render drawing an installed example, from a
# data file and from the launch file, the file types a desktop gives the
# examples, and the thumbnailer.
#   tests/install/installTest.sh BUILD_DIR
set -euo pipefail
build="$(cd "${1:?usage: installTest.sh BUILD_DIR}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
dest="$(mktemp -d /tmp/kelvra-install.XXXXXX)"
trap 'rm -rf "$dest"' EXIT
fail() { echo "installTest: $*" >&2; exit 1; }

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

# Exactly the files the package is to hold.
diff -u "$here/installed-files.txt" <(cd "$dest" && find . -type f -o -type l | sed 's|^\.||' | LC_ALL=C sort) ||
  fail "the installed files differ from tests/install/installed-files.txt (- expected, + installed)"

desktop-file-validate "$dest/usr/share/applications/kelvra.desktop" || fail "desktop entry"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$dest"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "metainfo: $(appstreamcli validate --no-net "$dest"/usr/share/metainfo/*.metainfo.xml)"
fi

for page in "$dest"/usr/share/man/man1/*.1.gz; do
  warnings="$(zcat "$page" | LC_ALL=C.UTF-8 groff -Tutf8 -ww -man -z 2>&1)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  lexgrog "$page" >/dev/null || fail "$(basename "$page"): no NAME line that whatis can read"
done

render="$dest/usr/bin/kelvra-render"
examples="$dest/usr/share/doc/kelvra/examples"
grep -q "Kelvra ver.1.52" <<<"$("$render" --version)" || fail "kelvra-render --version"
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }
"$render" "$examples/surface.csv" -o "$dest/surface.png" --size 320x240 || fail "kelvra-render on surface.csv"
is_png "$dest/surface.png" || fail "surface.csv gave no PNG"
# The launch file names its files beside it and works from any folder; the
# picture goes to the current folder.
mkdir "$dest/elsewhere"
(cd "$dest/elsewhere" && "$render" "$examples/surface-launch.txt") || fail "kelvra-render on surface-launch.txt"
is_png "$dest/elsewhere/surface.png" || fail "surface-launch.txt gave no PNG"
rm -r "$dest/elsewhere"

"$here/../manual/checkManual.pl" "$dest/usr/share/doc/kelvra/manual" "$here/../.." >/dev/null || fail "the user manual"

# ---- what a desktop makes of the files ---------------------------------------------
# A desktop of its own: the system's types with the package's added (as the
# package's trigger does), its desktop entry, and a spreadsheet program that
# the user chose for CSV files. GNOME's way of asking (gio) is what the file
# managers use.
desktop="$dest/desktop"
mkdir -p "$desktop/share/mime/packages" "$desktop/share/applications" "$desktop/config" "$desktop/home"
cp /usr/share/mime/packages/*.xml "$dest/usr/share/mime/packages/kelvra.xml" "$desktop/share/mime/packages/"
update-mime-database "$desktop/share/mime" >/dev/null 2>&1
cp "$dest/usr/share/applications/kelvra.desktop" "$desktop/share/applications/"
printf '[Desktop Entry]\nType=Application\nName=Sheet\nExec=true %%f\nMimeType=text/csv;\n' \
  >"$desktop/share/applications/sheet.desktop"
printf '[Default Applications]\ntext/csv=sheet.desktop\n' >"$desktop/config/mimeapps.list"
update-desktop-database "$desktop/share/applications"
on_desktop() {   # the staged programs on the PATH: a desktop offers only programs that are there
  env PATH="$dest/usr/bin:$PATH" XDG_DATA_DIRS="$desktop/share" XDG_DATA_HOME="$desktop/home" XDG_CONFIG_HOME="$desktop/config" \
      XDG_CONFIG_DIRS="$desktop/config" XDG_CURRENT_DESKTOP=GNOME "$@"
}
type_of() { on_desktop xdg-mime query filetype "$1"; }
printf 'name,value\r\na,1\r\n' >"$dest/sheet.csv"
(printf '\xef\xbb\xbf'; iconv -f CP932 -t UTF-8 "$examples/stepped.csv") >"$dest/utf8.csv"
(printf '\xff\xfe'; iconv -f CP932 -t UTF-16LE "$examples/points-data.csv") >"$dest/utf16.csv"
for file in "$examples"/*.csv "$dest/utf8.csv" "$dest/utf16.csv"; do
  [ "$(type_of "$file")" = text/x-kelvra-data ] || fail "$file is $(type_of "$file"), not text/x-kelvra-data"
done
[ "$(type_of "$dest/sheet.csv")" = text/csv ] || fail "a spreadsheet's CSV is $(type_of "$dest/sheet.csv")"
[ "$(type_of "$examples/surface-settings.txt")" = text/x-kelvra-settings ] ||
  fail "the example settings file is $(type_of "$examples/surface-settings.txt")"
[ "$(type_of "$examples/surface-launch.txt")" = text/x-kelvra-launch ] ||
  fail "the example launch file is $(type_of "$examples/surface-launch.txt")"
# Kelvra opens its data and launch files (a settings file given to the
# program would be read as data: it is dropped on the window or opened from
# the menu instead), and is offered for CSV without taking it from the
# user's choice.
for type in text/x-kelvra-data text/x-kelvra-launch; do
  [ "$(on_desktop xdg-mime query default "$type")" = kelvra.desktop ] || fail "Kelvra does not open $type"
done
[ "$(on_desktop xdg-mime query default text/csv)" = sheet.desktop ] || fail "Kelvra took CSV files from the user's choice"
# Captured first: under pipefail, grep -q closing the pipe early fails gio with SIGPIPE.
offered="$(on_desktop gio mime text/csv 2>&1)"; grep -q kelvra.desktop <<<"$offered" || fail "Kelvra is not offered for CSV files: $offered"
for type in data settings launch; do
  for size in 16x16 32x32 48x48 64x64 128x128; do
    [ -s "$dest/usr/share/icons/hicolor/$size/mimetypes/text-x-kelvra-$type.png" ] || fail "no $size icon for $type files"
  done
done

# The thumbnailer as a file manager runs it: the entry's command with the
# size, the input and an output name without an extension.
entry="$dest/usr/share/thumbnailers/kelvra.thumbnailer"
grep -qx 'MimeType=text/x-kelvra-data;' "$entry" || fail "the thumbnailer is not for Kelvra data"
exec_line="$(sed -n 's/^Exec=//p' "$entry")"
thumbnail() {   # SIZE INPUT OUTPUT: the entry's command, run from the staged install
  local command="${exec_line//%s/$1}"
  command="${command//%i/$2}"
  command="${command//%o/$3}"
  # shellcheck disable=SC2086
  (set -- $command && "$dest$1" "${@:2}")
}
thumbnail 256 "$examples/surface.csv" "$dest/thumb" || fail "the thumbnailer on surface.csv"
is_png "$dest/thumb" || fail "the thumbnail is not a PNG"
[ "$(identify -format %wx%h "$dest/thumb")" = 256x256 ] || fail "the thumbnail is $(identify -format %wx%h "$dest/thumb")"
truncate -s 9M "$dest/huge.csv"
if thumbnail 128 "$dest/huge.csv" "$dest/huge-thumb" 2>/dev/null || [ -e "$dest/huge-thumb" ]; then
  fail "a file over the size limit got a thumbnail"
fi
# A drawing that does not end (a FIFO nobody writes, which kelvra-render waits
# on for longer than the thumbnailer's limit) is stopped: no thumbnail.
mkfifo "$dest/stuck.csv"
if thumbnail 128 "$dest/stuck.csv" "$dest/stuck-thumb" 2>/dev/null || [ -e "$dest/stuck-thumb" ]; then
  fail "a drawing past the time limit gave a thumbnail"
fi
echo "installTest: $(wc -l <"$here/installed-files.txt") files installed and checked"
