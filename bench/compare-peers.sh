#!/usr/bin/env bash
# Whole-process comparison of kelvra-render against gnuplot and matplotlib on
# the same data file and picture (800x600 PNG: 20-level coloured surface,
# colour bar, axes, floor contour projection), in one run on one machine.
# Runs alternate between the tools (run 1 of every tool, then run 2, ...), so
# a slow spell of the shared machine hits all of them alike. Prints, per size
# and tool, the median wall time and median peak resident memory over N runs,
# and the ratio tool / kelvra (above 1: Kelvra is that many times faster).
#
#   bench/compare-peers.sh [-s "100 300 1000 2000"] [-t "TOOL ..."] [-n N]
#                          [-N N_AT_2000] [-b BUILD_DIR] [-o OUT_DIR]
#
#   -s  grid sizes (N x N format-1 grids made by kelvra-make-grids); above
#       2000 only Kelvra runs (gnuplot needs 1.6 GB at 2000, matplotlib more)
#   -t  tools: kelvra gp-cairo gp-gd gp-cairo-fill mpl-full mpl-default probe
#       (default: all but mpl-full, which needs 8 GB and 2 minutes at 2000)
#   -n  runs per tool and size (default 5); -N runs at sizes above 1000 (3)
#   -b  build folder holding kelvra-render and bench/ (default build)
#   -o  folder for grids, pictures and logs (default out/bench, git-ignored)
#
# The peers come from Debian (gnuplot-nox, python3-matplotlib); the script
# installs them with apt-get when it runs as root and they are missing. The
# tests never need them. "probe" is peers/limits_probe.cpp --once: parse, one
# display list of the surface and its floor, one draw, PNG, no text or scales;
# the floor of what a display-list renderer can do here.
set -u
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(dirname "$HERE")"
SIZES="100 300 1000 2000 4000 10000"
TOOLS="kelvra gp-gd gp-cairo gp-cairo-fill mpl-default probe"
RUNS=5
RUNS_BIG=3
BUILD="$ROOT/build"
OUT="$ROOT/out/bench"
while getopts "s:t:n:N:b:o:h" opt; do
    case "$opt" in
        s) SIZES="$OPTARG" ;;
        t) TOOLS="$OPTARG" ;;
        n) RUNS="$OPTARG" ;;
        N) RUNS_BIG="$OPTARG" ;;
        b) BUILD="$(cd "$OPTARG" && pwd)" ;;
        o) OUT="$OPTARG" ;;
        *) sed -n '2,/^set -u/p' "$0" | sed '$d'; exit 2 ;;
    esac
done
mkdir -p "$OUT/pictures" "$OUT/logs"
PY=/usr/bin/python3

need_peers() {
    local missing=()
    command -v gnuplot >/dev/null 2>&1 || missing+=(gnuplot-nox)
    "$PY" -c "import matplotlib" >/dev/null 2>&1 || missing+=(python3-matplotlib)
    [ "${#missing[@]}" = 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "compare-peers: ${missing[*]} missing; install them (as root: apt-get install ${missing[*]})" >&2
        return 1
    fi
    echo "compare-peers: installing ${missing[*]} for the comparison" >&2
    apt-get install -y -q --no-install-recommends "${missing[@]}" >"$OUT/logs/apt.log" 2>&1 ||
        { apt-get update -q >>"$OUT/logs/apt.log" 2>&1 &&
          apt-get install -y -q --no-install-recommends "${missing[@]}" >>"$OUT/logs/apt.log" 2>&1; } ||
        { echo "compare-peers: apt-get failed, see $OUT/logs/apt.log" >&2; return 1; }
}

# The command of TOOL on DATA writing PNG, into the array CMD.
tool_cmd() {
    local data="$2" png="$3"
    case "$1" in
        kelvra)        CMD=("$BUILD/kelvra-render" "$data" -s "$HERE/peers/kelvra-bench-settings.txt"
                            -o "$png" --size 800x600) ;;
        gp-cairo)      CMD=(gnuplot -c "$HERE/peers/peer_gnuplot.gp" "$data" "$png" pngcairo lines) ;;
        gp-gd)         CMD=(gnuplot -c "$HERE/peers/peer_gnuplot.gp" "$data" "$png" png lines) ;;
        gp-cairo-fill) CMD=(gnuplot -c "$HERE/peers/peer_gnuplot.gp" "$data" "$png" pngcairo fill) ;;
        mpl-full)      CMD=("$PY" "$HERE/peers/peer_mpl.py" "$data" "$png" --res full) ;;
        mpl-default)   CMD=("$PY" "$HERE/peers/peer_mpl.py" "$data" "$png" --res default) ;;
        probe)         CMD=("$OUT/limits_probe" --once "$data" "$png") ;;
        *) echo "compare-peers: unknown tool $1" >&2; return 1 ;;
    esac
}

case " $TOOLS " in *" gp-"*|*" mpl-"*) need_peers || exit 1 ;; esac
[ -x "$BUILD/kelvra-render" ] || { echo "compare-peers: build first (scripts/build.sh)" >&2; exit 1; }
case " $TOOLS " in *" probe "*)
    if [ ! -x "$OUT/limits_probe" ] || [ "$HERE/peers/limits_probe.cpp" -nt "$OUT/limits_probe" ]; then
        g++ -O2 -std=c++17 "$HERE/peers/limits_probe.cpp" -o "$OUT/limits_probe" -lEGL -lOpenGL -lpng \
            -lpthread || exit 1
    fi ;;
esac

median() { sort -g | awk '{a[NR]=$1} END {if (NR==0) {print "nan"; exit}
    if (NR%2) print a[(NR+1)/2]; else printf "%.3f\n", (a[NR/2]+a[NR/2+1])/2}'; }

printf "%-14s %5s %9s %10s %8s %8s  %s\n" tool size "wall(med)" "peak(med)" "B/cell" "x kelvra" runs
for n in $SIZES; do
    data="$OUT/grid-f1-${n}x${n}.csv"
    [ -f "$data" ] || "$BUILD/bench/kelvra-make-grids" --out "$OUT" --format 1 "$n" >/dev/null || exit 1
    runs=$RUNS
    [ "$n" -gt 1000 ] && runs=$RUNS_BIG
    tools=$TOOLS
    [ "$n" -gt 2000 ] && tools=$(printf "%s\n" $TOOLS | grep -x kelvra)
    declare -A walls=() peaks=()
    # One unmeasured run each first (file cache, shader cache), then alternate.
    for ((i = 0; i <= runs; i++)); do
        for tool in $tools; do
            tool_cmd "$tool" "$data" "$OUT/pictures/$tool-$n.png" || exit 1
            tf="$OUT/logs/time.$$"
            t0=$EPOCHREALTIME
            /usr/bin/time -v -o "$tf" "${CMD[@]}" >"$OUT/logs/$tool-$n.log" 2>&1 </dev/null
            rc=$?
            t1=$EPOCHREALTIME
            [ "$rc" = 0 ] || echo "compare-peers: $tool at $n exited $rc (see $OUT/logs/$tool-$n.log)" >&2
            [ "$i" = 0 ] && continue
            walls[$tool]+="$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.3f", b-a}') "
            peaks[$tool]+="$(awk '/Maximum resident/ {print $NF}' "$tf") "
        done
    done
    rm -f "$OUT/logs/time.$$"
    kw=$(printf "%s\n" ${walls[kelvra]:-} | median)
    for tool in $tools; do
        w=$(printf "%s\n" ${walls[$tool]} | median)
        p=$(printf "%s\n" ${peaks[$tool]} | median)
        ratio=$(awk -v a="$w" -v b="$kw" 'BEGIN{if (b == "nan" || b <= 0) print "-"; else printf "%.2f", a/b}')
        printf "%-14s %5s %8.3fs %7.1fMiB %8.0f %8s  %d\n" "$tool" "$n" "$w" "$(awk -v k="$p" 'BEGIN{print k/1024}')" \
            "$(awk -v k="$p" -v n="$n" 'BEGIN{print k*1024/(n*n)}')" "$ratio" "$runs"
    done
    unset walls peaks
done
