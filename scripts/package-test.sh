#!/usr/bin/env bash
# Builds the Debian package from the install rules (cpack -G DEB), shows what
# it holds and depends on, installs it with apt-get as a user would, runs the
# installed programs on an installed example, and removes it again, checking
# that nothing it installed is left behind. Installing needs root; CI runs as
# root. The build folder must be built already (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${KELVRA_BUILD_DIR:-build}"
fail() { echo "package-test: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run as root: the test installs and removes the package"
if dpkg-query -W -f='${Status}' kelvra 2>/dev/null | grep -q "install ok installed"; then
  fail "a kelvra package is installed already; the test leaves it alone"
fi

rm -f "$dir"/kelvra_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb="$(cd "$dir" && pwd)/$(cd "$dir" && ls kelvra_*.deb)"
echo "package-test: $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Section Depends | sed 's/^/  /'

files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\.||' | LC_ALL=C sort)"
diff -u tests/install/installed-files.txt <(echo "$files") ||
  fail "the package's files differ from tests/install/installed-files.txt (- expected, + packaged)"

export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -y -qq -o DPkg::Lock::Timeout=600)
"${apt[@]}" install "$deb" >/dev/null
removed=no
remove() { [ "$removed" = yes ] || "${apt[@]}" remove --purge kelvra >/dev/null; removed=yes; }
trap remove EXIT

scratch="$(mktemp -d)"
trap 'remove; rm -rf "$scratch"' EXIT
kelvra-render --version | grep -q "Kelvra ver.1.52" || fail "the installed kelvra-render --version"
kelvra-render /usr/share/doc/kelvra/examples/surface.csv -o "$scratch/surface.png" || fail "the installed kelvra-render"
[ "$(head -c 4 "$scratch/surface.png" | od -An -tx1 | tr -d ' \n')" = 89504e47 ] || fail "no PNG from the example"
[ -x /usr/bin/kelvra ] || fail "no /usr/bin/kelvra"
[ "$(man -w kelvra-render)" = /usr/share/man/man1/kelvra-render.1.gz ] || fail "man kelvra-render"

remove
left=""
while read -r f; do [ -e "$f" ] && left="$left $f"; done <<<"$files"
[ -z "$left" ] || fail "left behind after removal:$left"
[ ! -e /usr/share/doc/kelvra ] || fail "/usr/share/doc/kelvra left behind"
! dpkg-query -W kelvra >/dev/null 2>&1 || fail "dpkg still knows the package"
echo "package-test: installed, ran and removed; $(echo "$files" | wc -l) files"
