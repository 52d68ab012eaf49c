#!/usr/bin/env bash
# Makes the import test corpus the way users make such files: LibreOffice Calc
# (headless, 7.4) exporting one spreadsheet in each encoding and separator,
# with an English and a German profile (decimal point and decimal comma), and
# Python's csv module in its dialects. Every grid file holds the same 11 x 9
# grid as reference.csv, the program's own layout. Run it from anywhere; it
# writes beside itself. Needs libreoffice-calc-nogui and python3.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

python3 - "$here" <<'PY'
import csv, math, sys
here = sys.argv[1]
xs = [i * 0.5 for i in range(11)]
ys = [float(j) for j in range(9)]
def z(x, y): return round(math.sin(0.9 * x) * math.cos(0.4 * y) * 10 + 20, 3)
def num(v, comma=False):
    t = repr(v) if v != int(v) else str(int(v))
    return t.replace('.', ',') if comma else t
# The spreadsheet's source, as a German user types it: semicolons, decimal commas.
with open('grid-de.csv', 'w', encoding='utf-8') as f:
    f.write('Y＼X;' + ';'.join(num(x, True) for x in xs) + '\n')
    for y in ys: f.write(num(y, True) + ';' + ';'.join(num(z(x, y), True) for x in xs) + '\n')
# A grid with holes: an empty cell, #N/A, "-" and a word.
holes = {(2, 4): '', (6, 2): '#N/A', (10, 8): '-', (0, 0): 'n.a.'}
with open('holes-de.csv', 'w', encoding='utf-8') as f:
    f.write(';' + ';'.join(num(x, True) for x in xs) + '\n')
    for j, y in enumerate(ys):
        f.write(num(y, True) + ';' + ';'.join(holes.get((i, j), num(z(x, y), True)) for i, x in enumerate(xs)) + '\n')
# X, Y, Z in columns under Japanese names.
with open('xyz-de.csv', 'w', encoding='utf-8') as f:
    f.write('距離;幅;高さ\n')
    for y in ys:
        for x in xs: f.write(f'{num(x, True)};{num(y, True)};{num(z(x, y), True)}\n')

# The program's own layout of the same grid, the reference.
with open(f'{here}/reference.csv', 'w', encoding='cp932', newline='') as f:
    f.write('ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n')
    f.write(',' + ','.join(num(x) for x in xs) + '\r\n')
    for y in ys: f.write(num(y) + ',' + ','.join(num(z(x, y)) for x in xs) + '\r\n')

def grid_rows(comma=False, corner=''):
    yield [corner] + [num(x, comma) for x in xs]
    for y in ys: yield [num(y, comma)] + [num(z(x, y), comma) for x in xs]
# Python's csv module, each dialect as a script writes it.
with open(f'{here}/py-excel-grid.csv', 'w', newline='') as f:
    csv.writer(f).writerows(grid_rows())
with open(f'{here}/py-quoteall-grid.csv', 'w', newline='') as f:
    csv.writer(f, quoting=csv.QUOTE_ALL).writerows(grid_rows())
with open(f'{here}/py-utf16be-grid.txt', 'w', newline='', encoding='utf-16-be') as f:
    f.write('\ufeff')
    csv.writer(f, dialect='excel-tab').writerows(grid_rows(corner='y\\x'))
with open(f'{here}/py-excel-tab-xyzv.tsv', 'w', newline='') as f:
    w = csv.writer(f, dialect='excel-tab')
    w.writerow(['x', 'y', 'z', 'value'])
    for y in ys:
        for x in xs: w.writerow([num(x), num(y), num(z(x, y)), num(x + y)])
with open(f'{here}/py-unix-vectors.csv', 'w', newline='') as f:
    w = csv.writer(f, dialect='unix')
    w.writerow(['x', 'y', 'z', 'u', 'v', 'w'])
    for i in range(5): w.writerow([i, i % 2, 0, 1, 0.5 * i, 'NaN' if i == 3 else 0])
with open(f'{here}/py-vectorsv-bom.csv', 'w', newline='', encoding='utf-8-sig') as f:
    w = csv.writer(f, delimiter=';')
    for i in range(5): w.writerow([num(float(i), True), '1', '0', '1', num(0.5 * i, True), '0', num(1.5 * i, True)])
# The program's three header lines, written with semicolons and decimal commas.
with open(f'{here}/py-program-lines.csv', 'w', newline='', encoding='cp932') as f:
    w = csv.writer(f, delimiter=';')
    w.writerow(['ﾃﾞｰﾀ形式', '2'])
    w.writerow(['Kelvra ver.1.52', ''])
    w.writerow(['', ''])
    for y in ys[:3]:
        for x in xs: w.writerow([num(x, True), num(y, True), num(z(x, y), True)])
# Columns lined up with runs of spaces, as numpy.savetxt or a Fortran program writes them.
with open(f'{here}/savetxt-xyz.txt', 'w') as f:
    for y in ys[:2]:
        for x in xs: f.write(f'{x:10.4f} {y:10.4f} {z(x, y):12.5e}\n')
# What cannot be read: one column of numbers, two columns, and text that is no data.
with open(f'{here}/one-column.txt', 'w') as f: f.write('\n'.join(str(v) for v in [1.5, 2.5, 3.5]) + '\n')
with open(f'{here}/two-columns.csv', 'w') as f: f.write('x,y\n1,2\n3,4\n5,6\n')
with open(f'{here}/prose.txt', 'w', encoding='utf-8') as f:
    f.write('測定の記録\n今日は雨でした。\n装置は午後に止めました。\n')
# A settings file as an editor on Linux saves it: UTF-8 without a mark.
with open(f'{here}/settings-utf8.txt', 'w', encoding='utf-8', newline='') as f:
    f.write('[グラフの設定]\r\n 種類       = 3\r\n[表示の設定]\r\n 倍率       = 150\r\n[スケールの設定]\r\n X軸:ﾗﾍﾞﾙ   = 距離\r\n')
PY

# LibreOffice Calc: the spreadsheet as an English (decimal point) and a German
# (decimal comma) user has it, each saved in the encodings and separators of
# its CSV and text export. Filter options: separator, quote, character set
# (76 UTF-8, 60 Windows-932, 65535 Unicode), first line, -, language.
profile() {   # home locale
    mkdir -p "$1/.config/libreoffice/4/user"
    cat >"$1/.config/libreoffice/4/user/registrymodifications.xcu" <<XCU
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>$2</value></prop></item>
</oor:items>
XCU
}
profile "$work/en" en-US
profile "$work/de" de-DE
export_as() {   # profile source separator charset name
    local out="$work/out-$5"
    HOME="$work/$1" soffice --headless --infilter="CSV:59,34,76,1,,1031" \
        --convert-to "csv:Text - txt - csv (StarCalc):$3,34,$4,1,,0,false,true,true" --outdir "$out" "$2" >/dev/null 2>&1
    mv "$out/$(basename "${2%.*}").csv" "$here/$5"
}
export_as en grid-de.csv 44 76 lo-grid-utf8.csv
export_as en grid-de.csv 59 76 lo-grid-semicolon.csv
export_as de grid-de.csv 59 76 lo-grid-semicolon-de.csv
export_as de grid-de.csv 44 76 lo-grid-comma-de.csv
export_as en grid-de.csv 9 65535 lo-grid-unicode.txt
export_as de grid-de.csv 9 65535 lo-grid-unicode-de.txt
export_as en grid-de.csv 44 60 lo-grid-cp932.csv
export_as en grid-de.csv 32 76 lo-grid-space.txt
export_as en holes-de.csv 44 76 lo-holes.csv
export_as en xyz-de.csv 9 76 lo-xyz-names.txt
ls -l "$here"
