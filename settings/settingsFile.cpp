// The settings file: the whole settings record as CP932 text of section headers
// ("[表示の設定]") and key lines (" 倍率       = 100"). One table, kKeys below,
// drives both directions: its rows are the writer's lines in file order (with
// their padding) and the reader's keys (matched by their beginning) with kind,
// valid range and fallback. The writer makes the text in memory, the data file
// writer appends it to saved data, and the file itself is replaced only when
// complete. The reader serves the menu command, launch files, dropped files and
// the settings section at the end of a data file.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "core/appInfo.h"
#include "core/cp932.h"
#include "core/fileIo.h"
#include "core/phaseTimes.h"
#include "core/textInput.h"
#include "core/kelvraView.h"
#include "core/numberText.h"
#include "settings/settingsTables.h"

namespace kelvra {
namespace {

// ---- the key table -------------------------------------------------------------

enum Section {
    SecGraph,
    SecView,
    SecLines,
    SecFonts,
    SecAxis,
    SecLegend,
    SecTitle,
    SecScales,
    SecSections,
    SecWindow,
    SecLevelColors,
    SecColors,
    SectionCount,
};

struct SectionInfo {
    const char* header;     // UTF-8; matched against the start of the current header line
    bool blankLineBefore;   // the writer puts an empty line before the header
};

const SectionInfo kSections[SectionCount] = {
    {"[グラフの設定]", true},     {"[表示の設定]", true},       {"[線，点の設定]", true},
    {"[フォントの設定]", true},   {"[軸の設定]", true},         {"[凡例の設定]", true},
    {"[グラフタイトル]", true},   {"[スケールの設定]", true},
    {"[断面表示の設定]", false},  // the scale section already ends with an empty line
    {"[ウィンドウサイズ]", true}, {"[ｶﾗｰ凡例色の設定]", true},  {"[色の設定]", true},
};

// How a key's value is read: I integer (range-checked, fallback outside the
// range), N number (unchecked), S string, C colour.
enum class Kind { I, N, S, C };

// How the value is written after the label.
enum class Out {
    Int,          // "%d"
    Truncated,    // a double written with "%d", truncated toward zero
    Formatted,    // formatValue with the row's value kind
    ShownAngleX,  // viewAngleX as the angle the user sees
    Text,         // the string as it is
    Colour,       // "%.6f, %.6f, %.6f"
};

using FieldRef = std::variant<int*, double*, std::string*, Rgb*>;
using Accessor = FieldRef (*)(GraphSettings&);

struct KeyRow {
    Section section;
    std::string key;      // CP932: the reader takes a line that begins with it
    std::string label;    // CP932: what the writer puts before the value, "= " included
    Kind kind;
    Out out;
    Accessor field;
    int lo = 0, hi = 0, fallback = 0;   // kind I only
    int formatKind = 0;                 // Out::Formatted: formatValue kind
    // Kind I written through a number format ("3.000", "1.000e+01"): the whole
    // part of the number is the value, so the exponent form reads back too.
    bool wholePartOfNumber = false;
    bool blankLineAfter = false;
};

// Rows are made once, on first use, from UTF-8 texts; the loops below produce
// the blocks the file repeats (fonts, four scales, two sections, 20 colours).
// Lambdas without captures become the accessors; FIELD(expr) names a field of
// the record s.
#define FIELD(expr) [](GraphSettings& s) -> FieldRef { return &(expr); }

struct TableBuilder {
    std::vector<KeyRow> rows;
    Section section = SecGraph;

    KeyRow& add(const std::string& keyUtf8, const std::string& labelUtf8, Kind kind, Out out, Accessor field) {
        KeyRow row{section, utf8ToCp932(keyUtf8), utf8ToCp932(labelUtf8), kind, out, field};
        rows.push_back(row);
        return rows.back();
    }
    // An integer key written as "label%d", valid lo..hi, else fallback.
    KeyRow& integer(const std::string& key, const std::string& label, Accessor field, int lo, int hi, int fallback,
                    Out out = Out::Int) {
        KeyRow& r = add(key, label, Kind::I, out, field);
        r.lo = lo;
        r.hi = hi;
        r.fallback = fallback;
        return r;
    }
};

std::vector<KeyRow> makeKeyTable() {
    TableBuilder t;
    t.section = SecGraph;
    t.integer(" 種類", " 種類       = ", FIELD(s.graphType), 0, 1000, 0);
    t.integer(" 表示方法", " 表示方法   = ", FIELD(s.displayMode), 0, 3, 1);
    t.integer(" XY等高線", " XY等高線   = ", FIELD(s.xyContourMode), 0, 6, 0);

    t.section = SecView;
    t.integer(" 位置:X軸", " 位置:X軸   = ", FIELD(s.viewPosX), -999, 999, 0);
    t.integer(" 位置:Y軸", " 位置:Y軸   = ", FIELD(s.viewPosY), -999, 999, 0);
    t.integer(" 倍率", " 倍率       = ", FIELD(s.viewZoom), 10, 999, 100);
    t.integer(" 角度:X軸", " 角度:X軸   = ", FIELD(s.viewAngleX), 0, 359, 30, Out::ShownAngleX);
    t.integer(" 角度:Z軸", " 角度:Z軸   = ", FIELD(s.viewAngleZ), 0, 359, 330);

    t.section = SecLines;
    t.integer(" X軸の間隔", " X軸の間隔     = ", FIELD(s.wireIntervalX), 0, 150000, 1);
    t.integer(" Y軸の間隔", " Y軸の間隔     = ", FIELD(s.wireIntervalY), 0, 150000, 1);
    t.integer(" 線の太さ:X軸", " 線の太さ:X軸  = ", FIELD(s.wireWidthX), 1, 100, 1);
    t.integer(" 線の太さ:Y軸", " 線の太さ:Y軸  = ", FIELD(s.wireWidthY), 1, 100, 1);
    t.integer(" 点の大きさ", " 点の大きさ    = ", FIELD(s.pointSize), 1, 100, 5);
    t.integer(" 矢印の大きさ", " 矢印の大きさ  = ", FIELD(s.vectorSize), 1, 10000, 100);
    t.integer(" 等高線2の太さ", " 等高線2の太さ = ", FIELD(s.contour2Width), 1, 100, 1);
    t.add(" 棒ｸﾞﾗﾌの大きさ：X", " 棒ｸﾞﾗﾌの大きさ：X方向 = ", Kind::N, Out::Formatted, FIELD(s.barSizeX)).formatKind = 0;
    t.add(" 棒ｸﾞﾗﾌの大きさ：Y", " 棒ｸﾞﾗﾌの大きさ：Y方向 = ", Kind::N, Out::Formatted, FIELD(s.barSizeY)).formatKind = 1;

    t.section = SecFonts;
    static const Accessor kFace[kTextRoleCount] = {
        FIELD(s.fontFace[0]), FIELD(s.fontFace[1]), FIELD(s.fontFace[2]), FIELD(s.fontFace[3]),
        FIELD(s.fontFace[4]), FIELD(s.fontFace[5]), FIELD(s.fontFace[6])};
    static const Accessor kSize[kTextRoleCount] = {
        FIELD(s.fontSize[0]), FIELD(s.fontSize[1]), FIELD(s.fontSize[2]), FIELD(s.fontSize[3]),
        FIELD(s.fontSize[4]), FIELD(s.fontSize[5]), FIELD(s.fontSize[6])};
    for (int k = 0; k < kTextRoleCount; ++k) {
        std::string word = std::string(" ") + kTextRoles[k].settingsWord;
        t.integer(word + "：ﾌｫﾝﾄ", word + "：ﾌｫﾝﾄ = ", kFace[k], 0, kFontFaceCount - 1, 4);
        t.integer(word + "：ｻｲｽﾞ", word + "：ｻｲｽﾞ = ", kSize[k], 1, 200, 12);
    }

    t.section = SecAxis;
    t.integer(" 軸の表示", " 軸の表示   = ", FIELD(s.axisShow), 0, 1, 1);
    t.integer(" 位置:縦", " 位置:縦    = ", FIELD(s.axisPosV), -999, 999, -100, Out::Truncated);
    t.integer(" 位置:横", " 位置:横    = ", FIELD(s.axisPosH), -999, 999, -300, Out::Truncated);
    t.add(" ﾗﾍﾞﾙ：X軸", " ﾗﾍﾞﾙ：X軸  = ", Kind::S, Out::Text, FIELD(s.axisLabelX));
    t.add(" ﾗﾍﾞﾙ：Y軸", " ﾗﾍﾞﾙ：Y軸  = ", Kind::S, Out::Text, FIELD(s.axisLabelY));
    t.add(" ﾗﾍﾞﾙ：Z軸", " ﾗﾍﾞﾙ：Z軸  = ", Kind::S, Out::Text, FIELD(s.axisLabelZ));
    // The four blanks keep " 大きさ    " apart from " 大きさ固定".
    t.integer(" 大きさ    ", " 大きさ     = ", FIELD(s.axisSize), 10, 999, 100);
    t.integer(" 大きさ固定", " 大きさ固定 = ", FIELD(s.axisSizeFixed), 0, 1, 1);
    t.integer(" 位置の種類", " 位置の種類 = ", FIELD(s.axisFixLowerLeft), 0, 1, 1);

    t.section = SecLegend;
    t.integer(" 凡例の表示", " 凡例の表示 = ", FIELD(s.legendShow), 0, 1, 1);
    t.integer(" 位置:縦", " 位置:縦    = ", FIELD(s.legendPosV), -999, 999, -140, Out::Truncated);
    t.integer(" 位置:横", " 位置:横    = ", FIELD(s.legendPosH), -999, 999, 260, Out::Truncated);
    t.integer(" 高さ", " 高さ       = ", FIELD(s.legendHeight), 10, 999, 350);
    t.integer(" 幅", " 幅         = ", FIELD(s.legendWidth), 1, 999, 20);
    t.integer(" 表示の種類", " 表示の種類 = ", FIELD(s.legendStyle), 0, 1, 0);
    t.integer(" 大きさ    ", " 大きさ     = ", FIELD(s.legendSize), 10, 999, 100);
    t.integer(" 大きさ固定", " 大きさ固定 = ", FIELD(s.legendSizeFixed), 0, 1, 1);
    t.integer(" 位置の種類", " 位置の種類 = ", FIELD(s.legendFixRight), 0, 1, 1);
    t.integer(" 凡例色ﾃﾞｰﾀ", " 凡例色ﾃﾞｰﾀ = ", FIELD(s.legendColorSource), 0, 3, 3);

    t.section = SecTitle;
    t.add(" タイトル", " タイトル  = ", Kind::S, Out::Text, FIELD(s.titleText));
    t.integer(" 位置:縦", " 位置:縦   = ", FIELD(s.titlePosV), -999, 999, 180);
    t.integer(" 位置:横", " 位置:横   = ", FIELD(s.titlePosH), -999, 999, -50);

    t.section = SecScales;
    t.integer(" ｽｹｰﾙの表示", " ｽｹｰﾙの表示 = ", FIELD(s.scaleShow), 0, 1, 1);
    struct AxisFields {
        const char* word;   // axis word with its leading blank
        const char* pad;    // padding after the item name
        Accessor min, max, step, percent, label, unit, format, digits, automatic, log, showValues, reverse, ticks;
    };
    static const AxisFields kAxes[4] = {
        {" X軸", "   ", FIELD(s.scaleMin[0]), FIELD(s.scaleMax[0]), FIELD(s.scaleStep[0]),
         FIELD(s.scaleSizePercent[0]), FIELD(s.scaleLabel[0]), FIELD(s.scaleUnit[0]), FIELD(s.scaleFormat[0]),
         FIELD(s.scaleDigits[0]), FIELD(s.scaleAuto[0]), FIELD(s.scaleLog[0]), FIELD(s.scaleShowValues[0]),
         FIELD(s.scaleReverse[0]), FIELD(s.scaleTicks[0])},
        {" Y軸", "   ", FIELD(s.scaleMin[1]), FIELD(s.scaleMax[1]), FIELD(s.scaleStep[1]),
         FIELD(s.scaleSizePercent[1]), FIELD(s.scaleLabel[1]), FIELD(s.scaleUnit[1]), FIELD(s.scaleFormat[1]),
         FIELD(s.scaleDigits[1]), FIELD(s.scaleAuto[1]), FIELD(s.scaleLog[1]), FIELD(s.scaleShowValues[1]),
         FIELD(s.scaleReverse[1]), FIELD(s.scaleTicks[1])},
        {" Z軸", "   ", FIELD(s.scaleMin[2]), FIELD(s.scaleMax[2]), FIELD(s.scaleStep[2]),
         FIELD(s.scaleSizePercent[2]), FIELD(s.scaleLabel[2]), FIELD(s.scaleUnit[2]), FIELD(s.scaleFormat[2]),
         FIELD(s.scaleDigits[2]), FIELD(s.scaleAuto[2]), FIELD(s.scaleLog[2]), FIELD(s.scaleShowValues[2]),
         FIELD(s.scaleReverse[2]), FIELD(s.scaleTicks[2])},
        // The legend has no size, label or ticks; its reversal is legendReverse.
        {" 凡例", "  ", FIELD(s.scaleMin[3]), FIELD(s.scaleMax[3]), FIELD(s.scaleStep[3]), nullptr, nullptr,
         FIELD(s.scaleUnit[3]), FIELD(s.scaleFormat[3]), FIELD(s.scaleDigits[3]), FIELD(s.scaleAuto[3]),
         FIELD(s.scaleLog[3]), FIELD(s.scaleShowValues[3]), FIELD(s.legendReverse), nullptr},
    };
    for (int a = 0; a < 4; ++a) {
        const AxisFields& f = kAxes[a];
        std::string w = f.word, p = f.pad;
        auto key = [&](const char* item) { return w + ":" + item; };
        auto label = [&](const char* item) { return w + ":" + item + p + "= "; };
        t.add(key("最小"), label("最小"), Kind::N, Out::Formatted, f.min).formatKind = a;
        t.add(key("最大"), label("最大"), Kind::N, Out::Formatted, f.max).formatKind = a;
        if (a < 3) t.add(key("間隔"), label("間隔"), Kind::N, Out::Formatted, f.step).formatKind = a;
        else {
            KeyRow& levels = t.integer(key("間隔"), label("間隔"), f.step, 0, kLevelCountChoices - 1, 3, Out::Formatted);
            levels.formatKind = a;
            levels.wholePartOfNumber = true;
        }
        if (a < 3) t.integer(key("倍率"), label("倍率"), f.percent, 1, 1000, 100, Out::Truncated);
        if (a < 3) t.add(key("ﾗﾍﾞﾙ"), label("ﾗﾍﾞﾙ"), Kind::S, Out::Text, f.label);
        t.add(key("単位"), label("単位"), Kind::S, Out::Text, f.unit);
        t.integer(key("形式"), label("形式"), f.format, 0, 3, 0);
        t.integer(key("桁数"), label("桁数"), f.digits, 0, 12, 3);
        t.integer(key("自動"), label("自動"), f.automatic, 0, 1, 0);
        t.integer(key("対数"), label("対数"), f.log, 0, 1, 0);
        t.integer(key("値表示"), w + ":値表示 = ", f.showValues, 0, 1, 0);
        t.integer(key("反転"), label("反転"), f.reverse, 0, 1, 0);
        if (a < 3) t.integer(key("目盛表示"), w + ":目盛表示 = ", f.ticks, 0, 2, 0);
        t.rows.back().blankLineAfter = true;   // each scale block ends with an empty line
    }
    t.integer(" ｽｹｰﾙの種類", " ｽｹｰﾙの種類 = ", FIELD(s.scaleSameStep), 0, 1, 0).blankLineAfter = true;

    t.section = SecSections;
    struct SectionFields {
        const char* word;
        Accessor pos, label, unit, format, digits;
    };
    static const SectionFields kSectionRows[2] = {
        {" X軸", FIELD(s.sectionPos[0]), FIELD(s.sectionLabel[0]), FIELD(s.sectionUnit[0]),
         FIELD(s.sectionFormat[0]), FIELD(s.sectionDigits[0])},
        {" Y軸", FIELD(s.sectionPos[1]), FIELD(s.sectionLabel[1]), FIELD(s.sectionUnit[1]),
         FIELD(s.sectionFormat[1]), FIELD(s.sectionDigits[1])},
    };
    for (int i = 0; i < 2; ++i) {
        const SectionFields& f = kSectionRows[i];
        std::string w = f.word;
        t.add(w + ":位置", w + ":位置  = ", Kind::N, Out::Formatted, f.pos).formatKind = 4 + i;
        t.add(w + ":ﾗﾍﾞﾙ", w + ":ﾗﾍﾞﾙ  = ", Kind::S, Out::Text, f.label);
        t.add(w + ":単位", w + ":単位  = ", Kind::S, Out::Text, f.unit);
        t.integer(w + ":形式", w + ":形式  = ", f.format, 0, 3, 0);
        t.integer(w + ":桁数", w + ":桁数  = ", f.digits, 0, 12, 3).blankLineAfter = true;
    }
    t.integer(" 線の太さ", " 線の太さ  = ", FIELD(s.sectionLineWidth), 1, 100, 2);

    t.section = SecWindow;
    t.integer(" X方向ｻｲｽﾞ", " X方向ｻｲｽﾞ  = ", FIELD(s.windowWidth), 10, 3000, 775);
    t.integer(" Y方向ｻｲｽﾞ", " Y方向ｻｲｽﾞ  = ", FIELD(s.windowHeight), 10, 3000, 550);

    // Entry 0 of the level colours is a copy of entry 1 and is not written.
    t.section = SecLevelColors;
    static const Accessor kLevel[21] = {
        FIELD(s.legendColors[0]),  FIELD(s.legendColors[1]),  FIELD(s.legendColors[2]),
        FIELD(s.legendColors[3]),  FIELD(s.legendColors[4]),  FIELD(s.legendColors[5]),
        FIELD(s.legendColors[6]),  FIELD(s.legendColors[7]),  FIELD(s.legendColors[8]),
        FIELD(s.legendColors[9]),  FIELD(s.legendColors[10]), FIELD(s.legendColors[11]),
        FIELD(s.legendColors[12]), FIELD(s.legendColors[13]), FIELD(s.legendColors[14]),
        FIELD(s.legendColors[15]), FIELD(s.legendColors[16]), FIELD(s.legendColors[17]),
        FIELD(s.legendColors[18]), FIELD(s.legendColors[19]), FIELD(s.legendColors[20])};
    for (int i = 1; i < kLegendColorCount; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, " 色%02d", i);
        t.add(key, std::string(key) + " = ", Kind::C, Out::Colour, kLevel[i]);
    }

    t.section = SecColors;
    t.add(" ﾜｲﾔｰの色:X軸", " ﾜｲﾔｰの色:X軸 = ", Kind::C, Out::Colour, FIELD(s.wireColorX));
    t.add(" ﾜｲﾔｰの色:Y軸", " ﾜｲﾔｰの色:Y軸 = ", Kind::C, Out::Colour, FIELD(s.wireColorY));
    t.add(" 等高線2の色", " 等高線2の色  = ", Kind::C, Out::Colour, FIELD(s.contour2Color));
    return t.rows;
}

#undef FIELD

const std::vector<KeyRow>& keyTable() {
    static const std::vector<KeyRow> table = makeKeyTable();
    return table;
}

const std::string& sectionHeader(int section) { return sj(kSections[section].header); }

constexpr const char* kEol = "\r\n";

// ---- writing ---------------------------------------------------------------------

// A string value ends at the line break, so a line break inside it would
// split the line; it is written as a blank.
void appendText(std::string& out, const std::string& value) {
    for (char c : value) out += (c == '\r' || c == '\n') ? ' ' : c;
}

// A double as "%d" writes it after truncation toward zero, saturating at the
// int limits instead of overflowing (NaN gives 0).
int truncatedInt(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::isnan(v) ? 0 : v < 0 ? -2147483647 - 1 : 2147483647;
    return int(v);
}

void appendValue(std::string& out, const KeyRow& row, const CKelvraView& view) {
    // The accessors serve both directions; the writer only reads through them.
    FieldRef ref = row.field(const_cast<CKelvraView&>(view).settings());
    switch (row.out) {
        case Out::Int: out += std::to_string(*std::get<int*>(ref)); break;
        case Out::Truncated: out += std::to_string(truncatedInt(*std::get<double*>(ref))); break;
        case Out::Formatted: out += view.formatValue(*std::get<double*>(ref), row.formatKind).text; break;
        case Out::ShownAngleX: out += std::to_string(shownAngleX(*std::get<int*>(ref))); break;
        case Out::Text: appendText(out, *std::get<std::string*>(ref)); break;
        case Out::Colour: {
            const Rgb& c = *std::get<Rgb*>(ref);
            appendFixed(out, c.r, 6);
            out += ", ";
            appendFixed(out, c.g, 6);
            out += ", ";
            appendFixed(out, c.b, 6);
            break;
        }
    }
}

// ---- reading ---------------------------------------------------------------------

// The value text of a key line: what follows the last "=" (numbers, colours)
// up to the line break. A key line without "=" has no value.
bool valueAfterLastEquals(std::string_view line, std::string_view* value) {
    std::size_t eq = line.rfind('=');
    if (eq == std::string_view::npos) return false;
    std::string_view v = line.substr(eq + 1);
    *value = v.substr(0, v.find('\n'));
    return true;
}

// A string value: after the first "=" and the one blank that follows it, up to
// the line break (CR LF or LF; a string never holds the CR).
bool stringValue(std::string_view line, std::string* value) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    std::string_view v = line.substr(eq + 1);
    if (!v.empty() && v[0] == ' ') v.remove_prefix(1);
    v = v.substr(0, v.find('\n'));
    if (!v.empty() && v.back() == '\r') v.remove_suffix(1);
    v = v.substr(0, v.find('\0'));
    value->assign(v);
    return true;
}

bool isBlankPiece(std::string_view piece) {
    return piece.find_first_not_of(" \t\r\v\f") == std::string_view::npos;
}

// A colour: up to three comma-separated components, R, G, B in that order,
// each clamped to 0..1 (what is not at least 0 becomes 0). A component the
// line does not give (missing, or only blanks) keeps its value.
void readColour(std::string_view value, Rgb* colour) {
    double* parts[3] = {&colour->r, &colour->g, &colour->b};
    for (int i = 0; i < 3; ++i) {
        std::size_t comma = value.find(',');
        std::string_view piece = value.substr(0, comma);
        if (!isBlankPiece(piece)) {
            double v = textToDouble(piece);
            *parts[i] = v > 1.0 ? 1.0 : v >= 0.0 ? v : 0.0;
        }
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
}

void applyRow(const KeyRow& row, std::string_view line, GraphSettings& s) {
    FieldRef ref = row.field(s);
    if (row.kind == Kind::S) {
        stringValue(line, std::get<std::string*>(ref));
        return;
    }
    std::string_view value;
    if (!valueAfterLastEquals(line, &value)) return;
    switch (row.kind) {
        case Kind::I: {
            int v = row.wholePartOfNumber ? truncatedInt(textToDouble(value)) : textToInt(value);
            if (v < row.lo || v > row.hi) v = row.fallback;
            if (row.out == Out::ShownAngleX) v = internalAngleX(v);
            if (int** i = std::get_if<int*>(&ref)) **i = v;
            else *std::get<double*>(ref) = v;   // positions, sizes, the level-count index
            break;
        }
        case Kind::N: *std::get<double*>(ref) = textToDouble(value); break;
        case Kind::C: {
            Rgb* c = std::get<Rgb*>(ref);
            readColour(value, c);
            if (c == &s.legendColors[1]) s.legendColors[0] = s.legendColors[1];
            break;
        }
        case Kind::S: break;
    }
}

// The section the current header line opens, or -1: the first whose header
// the line begins with (text after "]" does not matter).
int sectionOf(std::string_view headerLine) {
    if (headerLine.empty()) return -1;
    for (int i = 0; i < SectionCount; ++i)
        if (headerLine.starts_with(sectionHeader(i))) return i;
    return -1;
}

const KeyRow* keyOf(int section, std::string_view line) {
    for (const KeyRow& row : keyTable())
        if (row.section == section && line.starts_with(row.key)) return &row;
    return nullptr;
}

}  // namespace

// ---- the view's operations ---------------------------------------------------------

std::string CKelvraView::settingsText() const {
    std::string out;
    out.reserve(8192);
    out += kAppTitle;
    out += " " + sj("設定ファイル") + kEol;
    int section = -1;
    for (const KeyRow& row : keyTable()) {
        if (row.section != section) {
            section = row.section;
            if (kSections[section].blankLineBefore) out += kEol;
            out += sectionHeader(section) + kEol;
        }
        out += row.label;
        appendValue(out, row, *this);
        out += kEol;
        if (row.blankLineAfter) out += kEol;
    }
    return out;
}

int CKelvraView::saveSettingsFile(const std::string& path) {
    if (!writeFileSafely(path, settingsText())) {
        host().showMessageWithReason(sj("設定ﾌｧｲﾙの保存が出来ません"), systemReason(errno));
        return 1;
    }
    return 0;
}

int CKelvraView::loadSettingsFile(const std::string& path, int lineBufferSize) {
    FileRead file = readTextFile(path);
    switch (file.result) {
        case ReadResult::Ok: break;
        case ReadResult::CannotOpen:
            host().showMessageWithReason(sj("ﾌｧｲﾙを開くことが出来ません。"), systemReason(file.error));
            return 0;
        case ReadResult::NoMemory:
            host().showMessageWithReason(sj("メモリー不足です"), systemReason(file.error));
            return 0;
    }
    return applySettingsText(file.bytes.view(), lineBufferSize);
}

int CKelvraView::applySettingsText(std::string_view text, int lineBufferSize) {
    PhaseScope phase(Phase::Load);
    // The file is read in lines of at most lineBufferSize - 1 bytes; a longer
    // line arrives in pieces, each of which counts as a line of its own.
    if (lineBufferSize < 1) {
        host().showMessage(sj("メモリー不足です"));
        return 0;
    }
    const std::size_t pieceMax = std::size_t(std::max(lineBufferSize - 1, 1));
    std::string_view headerLine;   // the current section, line break included
    int section = -1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Only the piece's own bytes are searched: a file without line breaks
        // costs one pass, not one pass per piece.
        std::string_view line = text.substr(pos, pieceMax);
        std::size_t lineBreak = line.find('\n');
        if (lineBreak != std::string_view::npos) line = line.substr(0, lineBreak + 1);
        pos += line.size();
        if (line[0] == '[') {
            headerLine = line;
            section = sectionOf(headerLine);
            continue;
        }
        if (section < 0) continue;   // before any header, or in a section of no interest
        if (const KeyRow* row = keyOf(section, line)) applyRow(*row, line, settings());
    }

    fitGraphChoiceToData();
    host().resizeFrame(windowWidth, windowHeight);
    showPosition();
    showZoom();
    showAngles();
    layoutAnchoredOverlays();
    recomputeScales(true);
    rebuildPicture();
    return 1;
}

namespace {

FileDialogRequest settingsDialog(const CKelvraView& view, bool save) {
    FileDialogRequest request;
    request.save = save;
    request.title = sj(save ? "設定ﾌｧｲﾙの保存" : "設定ﾌｧｲﾙを開く");
    request.filters = {{sj("設定ﾌｧｲﾙ(*.txt)"), "*.txt"}, {"All Files (*.*)", "*.*"}};
    if (view.dataLoaded) request.initialFolder = folderOf(view.dataFilePath);
    request.confirmOverwrite = save;
    return request;
}

}  // namespace

int CKelvraView::chooseAndLoadSettingsFile() {
    std::optional<std::string> path = host().askFileName(settingsDialog(*this, false));
    if (!path) return 0;
    return loadSettingsFile(*path, 2500);
}

int CKelvraView::chooseAndSaveSettingsFile() {
    std::optional<std::string> path = host().askFileName(settingsDialog(*this, true));
    if (!path) return 0;   // cancelled: nothing failed
    return saveSettingsFile(*path);
}

}  // namespace kelvra
