#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR as a package would (prefix /usr)
# and checks what landed there: the file list against installed-files.txt,
# the desktop entry and the AppStream metainfo with Debian's validators, the
# manual pages rendered without a warning, and the installed kelvra-render
# drawing an installed example, from a data file and from the launch file.
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
"$render" --version | grep -q "Kelvra ver.1.52" || fail "kelvra-render --version"
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }
"$render" "$examples/surface.csv" -o "$dest/surface.png" --size 320x240 || fail "kelvra-render on surface.csv"
is_png "$dest/surface.png" || fail "surface.csv gave no PNG"
# The launch file names its files beside it and works from any folder; the
# picture goes to the current folder.
mkdir "$dest/elsewhere"
(cd "$dest/elsewhere" && "$render" "$examples/surface-launch.txt") || fail "kelvra-render on surface-launch.txt"
is_png "$dest/elsewhere/surface.png" || fail "surface-launch.txt gave no PNG"
rm -r "$dest/elsewhere"
echo "installTest: $(wc -l <"$here/installed-files.txt") files installed and checked"
