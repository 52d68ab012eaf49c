#!/usr/bin/env bash
# Builds the Debian package from the install rules (cpack -G DEB) twice and
# checks that both builds give the same bytes, runs lintian on it (no error,
# no warning), shows what it holds and depends on, installs it with apt-get as
# a user would, runs the installed programs on an installed example, asks the
# desktop for the file types and a thumbnail, opens Help/目次 on a virtual
# display, and removes the package again, checking that nothing it installed
# is left behind. Installing needs root; CI runs as root. The build folder must
# be built already (scripts/build.sh); both package builds use it as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${KELVRA_BUILD_DIR:-build}"
fail() { echo "package-test: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run as root: the test installs and removes the package"
if dpkg-query -W -f='${Status}' kelvra 2>/dev/null | grep -q "install ok installed"; then
  fail "a kelvra package is installed already; the test leaves it alone"
fi

# lintian is needed here only, so it is installed here (as root, as CI runs this).
export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -y -qq -o DPkg::Lock::Timeout=600)
if ! command -v lintian >/dev/null; then
  apt-get update -qq
  "${apt[@]}" install --no-install-recommends lintian >/dev/null
fi
for tool in xvfb-run xdotool xdg-mime identify; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/setup.sh"
done

build_package() {
  rm -f "$dir"/kelvra_*.deb "$dir"/kelvra-dbgsym_*.ddeb
  (cd "$dir" && cpack -G DEB >/dev/null)
}
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
build_package
mkdir "$scratch/first"
cp "$dir"/kelvra_*.deb "$dir"/kelvra-dbgsym_*.ddeb "$scratch/first/"
sleep 1   # a time of the build that got into the package would now differ
build_package
deb="$(cd "$dir" && pwd)/$(cd "$dir" && ls kelvra_*.deb)"
dbgsym="$(cd "$dir" && pwd)/$(cd "$dir" && ls kelvra-dbgsym_*.ddeb)"
for package in "$deb" "$dbgsym"; do
  cmp "$scratch/first/$(basename "$package")" "$package" || fail "two builds of $(basename "$package") differ"
done
echo "package-test: $(basename "$deb") and $(basename "$dbgsym"), the same bytes from two builds"
dpkg-deb -f "$deb" Package Version Architecture Section Depends | sed 's/^/  /'

# Errors and warnings fail; the notes of the informational tags are shown.
lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" "$dbgsym" ||
  fail "lintian found errors or warnings"

files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\.||' | LC_ALL=C sort)"
diff -u tests/install/installed-files.txt <(echo "$files") ||
  fail "the package's files differ from tests/install/installed-files.txt (- expected, + packaged)"

"${apt[@]}" install "$deb" >/dev/null
removed=no
remove() { [ "$removed" = yes ] || "${apt[@]}" remove --purge kelvra >/dev/null; removed=yes; }
trap remove EXIT

trap 'remove; rm -rf "$scratch"' EXIT
grep -q "Kelvra ver.1.52" <<<"$(kelvra-render --version)" || fail "the installed kelvra-render --version"
kelvra-render /usr/share/doc/kelvra/examples/surface.csv -o "$scratch/surface.png" || fail "the installed kelvra-render"
[ "$(head -c 4 "$scratch/surface.png" | od -An -tx1 | tr -d ' \n')" = 89504e47 ] || fail "no PNG from the example"
[ -x /usr/bin/kelvra ] || fail "no /usr/bin/kelvra"
[ "$(man -w kelvra-render)" = /usr/share/man/man1/kelvra-render.1.gz ] || fail "man kelvra-render"

# The file types, as a GNOME desktop's file manager asks for them, and the
# thumbnailer entry's command as written, at a file manager's size.
examples=/usr/share/doc/kelvra/examples
type_of() { XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$1"; }
[ "$(type_of $examples/surface.csv)" = text/x-kelvra-data ] || fail "surface.csv is $(type_of $examples/surface.csv)"
[ "$(type_of $examples/surface-settings.txt)" = text/x-kelvra-settings ] ||
  fail "surface-settings.txt is $(type_of $examples/surface-settings.txt)"
command="$(sed -n 's/^Exec=//p' /usr/share/thumbnailers/kelvra.thumbnailer)"
command="${command//%s/128}"
command="${command//%i/$examples/surface.csv}"
command="${command//%o/$scratch/thumbnail}"
$command || fail "the thumbnailer: $command"
[ "$(identify -format %m:%wx%h "$scratch/thumbnail")" = PNG:128x128 ] || fail "the thumbnail is not a 128 x 128 PNG"
# The installed launch file works in its own folder (a copy, where it may write).
cp -r $examples "$scratch/examples"
(cd "$scratch/examples" && kelvra-render surface-launch.txt) || fail "the installed launch file"
[ -s "$scratch/examples/surface.png" ] || fail "the installed launch file wrote no picture"
xvfb-run -a -s "-screen 0 1280x1024x24" tests/install/helpContentsTest.sh / || fail "Help/目次 of the installed program"

remove
left=""
while read -r f; do [ -e "$f" ] && left="$left $f"; done <<<"$files"
[ -z "$left" ] || fail "left behind after removal:$left"
[ ! -e /usr/share/doc/kelvra ] || fail "/usr/share/doc/kelvra left behind"
! dpkg-query -W kelvra >/dev/null 2>&1 || fail "dpkg still knows the package"
echo "package-test: installed, ran and removed; $(echo "$files" | wc -l) files"
