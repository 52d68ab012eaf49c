#!/usr/bin/env bash
# Draws every shipped example in every display mode, graph type and floor
# projection, writes their settings and data files back, and (with -g) the
# benchmark grids, all into one folder; run it with two builds and compare the
# folders to show that a change left every picture and file byte for byte:
#
#   scripts/picture-matrix.sh -r old/kelvra-render -o out/matrix-old
#   scripts/picture-matrix.sh -r build/kelvra-render -o out/matrix-new
#   diff -r out/matrix-old out/matrix-new && echo identical
#
#   -r  kelvra-render to use (default build/kelvra-render)
#   -o  output folder (default out/matrix; emptied first)
#   -f  picture extension (default bmp: raw pixels, no encoder in the way)
#   -g  also the benchmark grids of out/bench (kelvra-make-grids) named here,
#       for example -g "grid-f1-300x300.csv grid-f1-1000x1000.csv"
set -euo pipefail
cd "$(dirname "$0")/.."
render=build/kelvra-render
out=out/matrix
ext=bmp
grids=""
while getopts "r:o:f:g:h" opt; do
    case "$opt" in
        r) render="$OPTARG" ;;
        o) out="$OPTARG" ;;
        f) ext="$OPTARG" ;;
        g) grids="$OPTARG" ;;
        *) sed -n '2,16p' "$0"; exit 2 ;;
    esac
done
render="$(realpath "$render")"
rm -rf "$out"
mkdir -p "$out/settings"
# A settings file that names only the graph choice leaves every other field as it is.
choice() {   # type mode floor -> settings file path
    local f="$out/settings/t$1-m$2-f$3.txt"
    printf '[グラフの設定]\r\n 種類       = %s\r\n 表示方法   = %s\r\n XY等高線   = %s\r\n' "$1" "$2" "$3" |
        iconv -f UTF-8 -t CP932 >"$f"
    echo "$f"
}
draw() {   # data name settings...
    local data="$1" name="$2"
    shift 2
    local args=()
    for s in "$@"; do args+=(-s "$s"); done
    "$render" "$data" "${args[@]}" -o "$out/$name.$ext" --size 400x300 >/dev/null 2>&1 || true
}
for data in examples/*.csv; do
    base="$(basename "$data" .csv)"
    draw "$data" "$base-default"
    "$render" "$data" --write-settings "$out/$base-settings.txt" --write-data "$out/$base-data.csv" \
        >/dev/null 2>&1 || true
    for mode in 0 1 2 3; do
        for type in $(seq 0 19); do
            draw "$data" "$base-t$type-m$mode" "$(choice "$type" "$mode" 0)"
        done
    done
    for floor in 1 2 3 4 5 6; do
        draw "$data" "$base-floor$floor" "$(choice 0 0 "$floor")"
    done
done
draw examples/surface.csv surface-with-settings examples/surface-settings.txt
"$render" examples/surface.csv -s examples/surface-settings.txt --write-settings "$out/surface-applied.txt" \
    --write-data "$out/surface-applied.csv" >/dev/null 2>&1 || true
# Data files that carry their settings read back, as File/Open reads them.
for saved in "$out"/*-data.csv "$out/surface-applied.csv"; do
    draw "$saved" "reopened-$(basename "$saved" .csv)"
done
for g in $grids; do
    "$render" "out/bench/$g" -s bench/peers/kelvra-bench-settings.txt -o "$out/bench-$g.$ext" \
        --size 800x600 >/dev/null 2>&1 || true
done
rm -rf "$out/settings"
echo "$(ls "$out" | wc -l) files in $out"
