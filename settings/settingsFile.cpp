// The settings file: the whole settings record as CP932 text of section headers
// ("[表示の設定]") and key lines (" 倍率       = 100"). What a field is (its
// kind, range, fallback and number format) is the field table's
// (settings/settingsFields.h); the key table here only says where each field
// sits in the file: its section, its key, the padding the writer puts before
// "= ", and the empty lines. The writer and the reader walk the same table and
// convert with the field table's fieldText and setFieldFromText.
//
// Callers: the view's settings operations (view/viewSettings.cpp), which serve
// the menu commands, launch files, dropped files and the settings section at
// the end of a data file; the data file writer appends settingsFileText;
// kelvra-render's --set and --list-settings name the keys by the same table.
#include "settings/settingsFile.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "settings/settingsFields.h"

namespace kelvra {
namespace {

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

constexpr SectionInfo kSections[] = {
    {"[グラフの設定]", true},     {"[表示の設定]", true},       {"[線，点の設定]", true},
    {"[フォントの設定]", true},   {"[軸の設定]", true},         {"[凡例の設定]", true},
    {"[グラフタイトル]", true},   {"[スケールの設定]", true},
    {"[断面表示の設定]", false},  // the scale section already ends with an empty line
    {"[ウィンドウサイズ]", true}, {"[ｶﾗｰ凡例色の設定]", true},  {"[色の設定]", true},
};
static_assert(std::size(kSections) == SectionCount);

// One line of the file. The reader takes a line of the section that begins
// with the key (so " 棒ｸﾞﾗﾌの大きさ：X" also reads the written
// " 棒ｸﾞﾗﾌの大きさ：X方向"); the writer writes key, padding, "= ", the value.
struct KeyLine {
    Section section;
    const char* key;   // UTF-8
    const char* pad;   // UTF-8, between the key and "= "
    int field;         // row of kSettingsFields
    bool blankLineAfter;
};

consteval KeyLine key(Section section, const char* key, const char* pad, FieldAccess field,
                      bool blankLineAfter = false) {
    return {section, key, pad, settingsFieldRow(field), blankLineAfter};
}

using S = GraphSettings;

// In file order. Within a section the first key a line begins with decides;
// the four blanks of " 大きさ    " keep it apart from " 大きさ固定". Entry 0
// of the level colours is not written: it follows " 色01".
constexpr KeyLine kKeyLines[] = {
    // [グラフの設定]
    key(SecGraph, " 種類", "       ", &S::graphType),
    key(SecGraph, " 表示方法", "   ", &S::displayMode),
    key(SecGraph, " XY等高線", "   ", &S::xyContourMode),

    // [表示の設定]
    key(SecView, " 位置:X軸", "   ", &S::viewPosX),
    key(SecView, " 位置:Y軸", "   ", &S::viewPosY),
    key(SecView, " 倍率", "       ", &S::viewZoom),
    key(SecView, " 角度:X軸", "   ", &S::viewAngleX),
    key(SecView, " 角度:Z軸", "   ", &S::viewAngleZ),

    // [線，点の設定]
    key(SecLines, " X軸の間隔", "     ", &S::wireIntervalX),
    key(SecLines, " Y軸の間隔", "     ", &S::wireIntervalY),
    key(SecLines, " 線の太さ:X軸", "  ", &S::wireWidthX),
    key(SecLines, " 線の太さ:Y軸", "  ", &S::wireWidthY),
    key(SecLines, " 点の大きさ", "    ", &S::pointSize),
    key(SecLines, " 矢印の大きさ", "  ", &S::vectorSize),
    key(SecLines, " 等高線2の太さ", " ", &S::contour2Width),
    key(SecLines, " 棒ｸﾞﾗﾌの大きさ：X", "方向 ", &S::barSizeX),
    key(SecLines, " 棒ｸﾞﾗﾌの大きさ：Y", "方向 ", &S::barSizeY),

    // [フォントの設定]
    key(SecFonts, " タイトル：ﾌｫﾝﾄ", " ", {&S::fontFace, 0}),
    key(SecFonts, " タイトル：ｻｲｽﾞ", " ", {&S::fontSize, 0}),
    key(SecFonts, " 軸ラベル：ﾌｫﾝﾄ", " ", {&S::fontFace, 1}),
    key(SecFonts, " 軸ラベル：ｻｲｽﾞ", " ", {&S::fontSize, 1}),
    key(SecFonts, " ｽｹｰﾙ数値：ﾌｫﾝﾄ", " ", {&S::fontFace, 2}),
    key(SecFonts, " ｽｹｰﾙ数値：ｻｲｽﾞ", " ", {&S::fontSize, 2}),
    key(SecFonts, " ｽｹｰﾙﾗﾍﾞﾙ：ﾌｫﾝﾄ", " ", {&S::fontFace, 3}),
    key(SecFonts, " ｽｹｰﾙﾗﾍﾞﾙ：ｻｲｽﾞ", " ", {&S::fontSize, 3}),
    key(SecFonts, " ｽｹｰﾙ単位：ﾌｫﾝﾄ", " ", {&S::fontFace, 4}),
    key(SecFonts, " ｽｹｰﾙ単位：ｻｲｽﾞ", " ", {&S::fontSize, 4}),
    key(SecFonts, " 凡例数値：ﾌｫﾝﾄ", " ", {&S::fontFace, 5}),
    key(SecFonts, " 凡例数値：ｻｲｽﾞ", " ", {&S::fontSize, 5}),
    key(SecFonts, " 凡例単位：ﾌｫﾝﾄ", " ", {&S::fontFace, 6}),
    key(SecFonts, " 凡例単位：ｻｲｽﾞ", " ", {&S::fontSize, 6}),

    // [軸の設定]
    key(SecAxis, " 軸の表示", "   ", &S::axisShow),
    key(SecAxis, " 位置:縦", "    ", &S::axisPosV),
    key(SecAxis, " 位置:横", "    ", &S::axisPosH),
    key(SecAxis, " ﾗﾍﾞﾙ：X軸", "  ", &S::axisLabelX),
    key(SecAxis, " ﾗﾍﾞﾙ：Y軸", "  ", &S::axisLabelY),
    key(SecAxis, " ﾗﾍﾞﾙ：Z軸", "  ", &S::axisLabelZ),
    key(SecAxis, " 大きさ    ", " ", &S::axisSize),
    key(SecAxis, " 大きさ固定", " ", &S::axisSizeFixed),
    key(SecAxis, " 位置の種類", " ", &S::axisFixLowerLeft),

    // [凡例の設定]
    key(SecLegend, " 凡例の表示", " ", &S::legendShow),
    key(SecLegend, " 位置:縦", "    ", &S::legendPosV),
    key(SecLegend, " 位置:横", "    ", &S::legendPosH),
    key(SecLegend, " 高さ", "       ", &S::legendHeight),
    key(SecLegend, " 幅", "         ", &S::legendWidth),
    key(SecLegend, " 表示の種類", " ", &S::legendStyle),
    key(SecLegend, " 大きさ    ", " ", &S::legendSize),
    key(SecLegend, " 大きさ固定", " ", &S::legendSizeFixed),
    key(SecLegend, " 位置の種類", " ", &S::legendFixRight),
    key(SecLegend, " 凡例色ﾃﾞｰﾀ", " ", &S::legendColorSource),

    // [グラフタイトル]
    key(SecTitle, " タイトル", "  ", &S::titleText),
    key(SecTitle, " 位置:縦", "   ", &S::titlePosV),
    key(SecTitle, " 位置:横", "   ", &S::titlePosH),

    // [スケールの設定]
    key(SecScales, " ｽｹｰﾙの表示", " ", &S::scaleShow),
    key(SecScales, " X軸:最小", "   ", {&S::scaleMin, 0}),
    key(SecScales, " X軸:最大", "   ", {&S::scaleMax, 0}),
    key(SecScales, " X軸:間隔", "   ", {&S::scaleStep, 0}),
    key(SecScales, " X軸:倍率", "   ", {&S::scaleSizePercent, 0}),
    key(SecScales, " X軸:ﾗﾍﾞﾙ", "   ", {&S::scaleLabel, 0}),
    key(SecScales, " X軸:単位", "   ", {&S::scaleUnit, 0}),
    key(SecScales, " X軸:形式", "   ", {&S::scaleFormat, 0}),
    key(SecScales, " X軸:桁数", "   ", {&S::scaleDigits, 0}),
    key(SecScales, " X軸:自動", "   ", {&S::scaleAuto, 0}),
    key(SecScales, " X軸:対数", "   ", {&S::scaleLog, 0}),
    key(SecScales, " X軸:値表示", " ", {&S::scaleShowValues, 0}),
    key(SecScales, " X軸:反転", "   ", {&S::scaleReverse, 0}),
    key(SecScales, " X軸:目盛表示", " ", {&S::scaleTicks, 0}, true),
    key(SecScales, " Y軸:最小", "   ", {&S::scaleMin, 1}),
    key(SecScales, " Y軸:最大", "   ", {&S::scaleMax, 1}),
    key(SecScales, " Y軸:間隔", "   ", {&S::scaleStep, 1}),
    key(SecScales, " Y軸:倍率", "   ", {&S::scaleSizePercent, 1}),
    key(SecScales, " Y軸:ﾗﾍﾞﾙ", "   ", {&S::scaleLabel, 1}),
    key(SecScales, " Y軸:単位", "   ", {&S::scaleUnit, 1}),
    key(SecScales, " Y軸:形式", "   ", {&S::scaleFormat, 1}),
    key(SecScales, " Y軸:桁数", "   ", {&S::scaleDigits, 1}),
    key(SecScales, " Y軸:自動", "   ", {&S::scaleAuto, 1}),
    key(SecScales, " Y軸:対数", "   ", {&S::scaleLog, 1}),
    key(SecScales, " Y軸:値表示", " ", {&S::scaleShowValues, 1}),
    key(SecScales, " Y軸:反転", "   ", {&S::scaleReverse, 1}),
    key(SecScales, " Y軸:目盛表示", " ", {&S::scaleTicks, 1}, true),
    key(SecScales, " Z軸:最小", "   ", {&S::scaleMin, 2}),
    key(SecScales, " Z軸:最大", "   ", {&S::scaleMax, 2}),
    key(SecScales, " Z軸:間隔", "   ", {&S::scaleStep, 2}),
    key(SecScales, " Z軸:倍率", "   ", {&S::scaleSizePercent, 2}),
    key(SecScales, " Z軸:ﾗﾍﾞﾙ", "   ", {&S::scaleLabel, 2}),
    key(SecScales, " Z軸:単位", "   ", {&S::scaleUnit, 2}),
    key(SecScales, " Z軸:形式", "   ", {&S::scaleFormat, 2}),
    key(SecScales, " Z軸:桁数", "   ", {&S::scaleDigits, 2}),
    key(SecScales, " Z軸:自動", "   ", {&S::scaleAuto, 2}),
    key(SecScales, " Z軸:対数", "   ", {&S::scaleLog, 2}),
    key(SecScales, " Z軸:値表示", " ", {&S::scaleShowValues, 2}),
    key(SecScales, " Z軸:反転", "   ", {&S::scaleReverse, 2}),
    key(SecScales, " Z軸:目盛表示", " ", {&S::scaleTicks, 2}, true),
    key(SecScales, " 凡例:最小", "  ", {&S::scaleMin, 3}),
    key(SecScales, " 凡例:最大", "  ", {&S::scaleMax, 3}),
    key(SecScales, " 凡例:間隔", "  ", {&S::scaleStep, 3}),
    key(SecScales, " 凡例:単位", "  ", {&S::scaleUnit, 3}),
    key(SecScales, " 凡例:形式", "  ", {&S::scaleFormat, 3}),
    key(SecScales, " 凡例:桁数", "  ", {&S::scaleDigits, 3}),
    key(SecScales, " 凡例:自動", "  ", {&S::scaleAuto, 3}),
    key(SecScales, " 凡例:対数", "  ", {&S::scaleLog, 3}),
    key(SecScales, " 凡例:値表示", " ", {&S::scaleShowValues, 3}),
    key(SecScales, " 凡例:反転", "  ", &S::legendReverse, true),
    key(SecScales, " ｽｹｰﾙの種類", " ", &S::scaleSameStep, true),

    // [断面表示の設定]
    key(SecSections, " X軸:位置", "  ", {&S::sectionPos, 0}),
    key(SecSections, " X軸:ﾗﾍﾞﾙ", "  ", {&S::sectionLabel, 0}),
    key(SecSections, " X軸:単位", "  ", {&S::sectionUnit, 0}),
    key(SecSections, " X軸:形式", "  ", {&S::sectionFormat, 0}),
    key(SecSections, " X軸:桁数", "  ", {&S::sectionDigits, 0}, true),
    key(SecSections, " Y軸:位置", "  ", {&S::sectionPos, 1}),
    key(SecSections, " Y軸:ﾗﾍﾞﾙ", "  ", {&S::sectionLabel, 1}),
    key(SecSections, " Y軸:単位", "  ", {&S::sectionUnit, 1}),
    key(SecSections, " Y軸:形式", "  ", {&S::sectionFormat, 1}),
    key(SecSections, " Y軸:桁数", "  ", {&S::sectionDigits, 1}, true),
    key(SecSections, " 線の太さ", "  ", &S::sectionLineWidth),

    // [ウィンドウサイズ]
    key(SecWindow, " X方向ｻｲｽﾞ", "  ", &S::windowWidth),
    key(SecWindow, " Y方向ｻｲｽﾞ", "  ", &S::windowHeight),

    // [ｶﾗｰ凡例色の設定]
    key(SecLevelColors, " 色01", " ", {&S::legendColors, 1}),
    key(SecLevelColors, " 色02", " ", {&S::legendColors, 2}),
    key(SecLevelColors, " 色03", " ", {&S::legendColors, 3}),
    key(SecLevelColors, " 色04", " ", {&S::legendColors, 4}),
    key(SecLevelColors, " 色05", " ", {&S::legendColors, 5}),
    key(SecLevelColors, " 色06", " ", {&S::legendColors, 6}),
    key(SecLevelColors, " 色07", " ", {&S::legendColors, 7}),
    key(SecLevelColors, " 色08", " ", {&S::legendColors, 8}),
    key(SecLevelColors, " 色09", " ", {&S::legendColors, 9}),
    key(SecLevelColors, " 色10", " ", {&S::legendColors, 10}),
    key(SecLevelColors, " 色11", " ", {&S::legendColors, 11}),
    key(SecLevelColors, " 色12", " ", {&S::legendColors, 12}),
    key(SecLevelColors, " 色13", " ", {&S::legendColors, 13}),
    key(SecLevelColors, " 色14", " ", {&S::legendColors, 14}),
    key(SecLevelColors, " 色15", " ", {&S::legendColors, 15}),
    key(SecLevelColors, " 色16", " ", {&S::legendColors, 16}),
    key(SecLevelColors, " 色17", " ", {&S::legendColors, 17}),
    key(SecLevelColors, " 色18", " ", {&S::legendColors, 18}),
    key(SecLevelColors, " 色19", " ", {&S::legendColors, 19}),
    key(SecLevelColors, " 色20", " ", {&S::legendColors, 20}),

    // [色の設定]
    key(SecColors, " ﾜｲﾔｰの色:X軸", " ", &S::wireColorX),
    key(SecColors, " ﾜｲﾔｰの色:Y軸", " ", &S::wireColorY),
    key(SecColors, " 等高線2の色", "  ", &S::contour2Color),
};

// Every field row is written once, and the sections come in one run each. A
// field with two rows in the field table fails here too: key() finds only
// the first, so the second is never written.
consteval bool everyFieldOnceInOneRunPerSection() {
    int lines[kSettingsFieldCount] = {};
    bool seen[SectionCount] = {};
    int section = -1;
    for (const KeyLine& k : kKeyLines) {
        ++lines[k.field];
        if (k.section == section) continue;
        if (seen[k.section]) return false;
        seen[k.section] = true;
        section = k.section;
    }
    for (int n : lines)
        if (n != 1) return false;
    return true;
}
static_assert(everyFieldOnceInOneRunPerSection(), "the key table must write every field once, a section at a time");

constexpr int kKeyLineCount = int(std::size(kKeyLines));

// A key line's key, and all the writer puts before the value, in CP932;
// converted once.
struct KeyBytes {
    std::string key;
    std::string label;
};

const KeyBytes& keyBytes(int line) {
    static const std::vector<KeyBytes> table = [] {
        std::vector<KeyBytes> t(kKeyLineCount);
        for (int i = 0; i < kKeyLineCount; ++i) {
            t[i].key = utf8ToCp932(kKeyLines[i].key);
            t[i].label = t[i].key + utf8ToCp932(kKeyLines[i].pad) + "= ";
        }
        return t;
    }();
    return table[line];
}

const std::string& sectionHeader(int section) { return sj(kSections[section].header); }

constexpr const char* kEol = "\r\n";

// ---- reading ---------------------------------------------------------------------

// The value text of a key line without its line break. A string is what
// follows the first "=" and the one blank after it (so it may hold "="); every
// other value what follows the last "=". False when the line has no "=".
bool valueOf(std::string_view line, ValueKind kind, std::string_view* value) {
    std::size_t eq = kind == ValueKind::Text ? line.find('=') : line.rfind('=');
    if (eq == std::string_view::npos) return false;
    std::string_view v = line.substr(eq + 1);
    v = v.substr(0, v.find('\n'));
    if (kind != ValueKind::Text) {
        *value = v;
        return true;
    }
    if (!v.empty() && v[0] == ' ') v.remove_prefix(1);
    if (!v.empty() && v.back() == '\r') v.remove_suffix(1);
    *value = v.substr(0, v.find('\0'));
    return true;
}

// The section the current header line opens, or -1: the first whose header
// the line begins with (text after "]" does not matter).
int sectionOf(std::string_view headerLine) {
    for (int i = 0; i < SectionCount; ++i)
        if (headerLine.starts_with(sectionHeader(i))) return i;
    return -1;
}

int keyLineOf(int section, std::string_view line) {
    for (int i = 0; i < kKeyLineCount; ++i)
        if (kKeyLines[i].section == section && line.starts_with(keyBytes(i).key)) return i;
    return -1;
}

}  // namespace

std::string settingsFileText(const GraphSettings& s) {
    std::string out;
    out.reserve(8192);
    out += kAppTitle;
    out += " " + sj("設定ファイル") + kEol;
    int section = -1;
    for (int i = 0; i < kKeyLineCount; ++i) {
        const KeyLine& k = kKeyLines[i];
        if (k.section != section) {
            section = k.section;
            if (kSections[section].blankLineBefore) out += kEol;
            out += sectionHeader(section) + kEol;
        }
        out += keyBytes(i).label;
        out += fieldText(kSettingsFields[k.field], s);
        out += kEol;
        if (k.blankLineAfter) out += kEol;
    }
    return out;
}

const std::vector<SettingsKeyName>& settingsKeyNames() {
    static const std::vector<SettingsKeyName> names = [] {
        std::vector<SettingsKeyName> t;
        for (const KeyLine& k : kKeyLines) {
            std::string header = kSections[k.section].header;
            std::string key = std::string(k.key) + k.pad;
            key.erase(0, key.find_first_not_of(' '));
            key.erase(key.find_last_not_of(' ') + 1);
            t.push_back({header.substr(1, header.size() - 2) + "." + key, k.field});
        }
        return t;
    }();
    return names;
}

std::optional<std::string> settingAssignmentText(std::string_view assignment, std::string* problem) {
    std::size_t eq = assignment.find('=');
    if (eq == std::string_view::npos) {
        *problem = "\"" + std::string(assignment) + "\" is not KEY=VALUE";
        return std::nullopt;
    }
    std::string name(assignment.substr(0, eq));
    const std::string_view value = assignment.substr(eq + 1);
    // "[SECTION]KEY", as the file writes it, is the same key.
    if (name.starts_with('[') && name.find(']') != std::string::npos) name.replace(name.find(']'), 1, ".").erase(0, 1);
    const std::vector<SettingsKeyName>& names = settingsKeyNames();
    auto it = std::find_if(names.begin(), names.end(), [&](const SettingsKeyName& k) { return k.name == name; });
    if (it == names.end()) {
        *problem = "unknown setting \"" + name + "\" (--list-settings shows them all)";
        return std::nullopt;
    }
    const FieldRow& row = kSettingsFields[it->field];
    std::string why = isValidUtf8(value) ? fieldTextProblem(row, value) : "not UTF-8";
    std::string bytes = utf8ToCp932(value);
    // A character without a CP932 form turns into "?".
    if (why.empty() && std::count(bytes.begin(), bytes.end(), '?') != std::count(value.begin(), value.end(), '?'))
        why = "a character that Shift-JIS (CP932) cannot hold";
    if (!why.empty()) {
        *problem = name + "=" + std::string(value) + ": " + why;
        return std::nullopt;
    }
    const int line = int(it - names.begin());
    return sectionHeader(kKeyLines[line].section) + kEol + keyBytes(line).label + bytes + kEol;
}

int readSettingsText(std::string_view text, GraphSettings& s) {
    int section = -1;   // before any header, or in a section of no interest
    int keyLines = 0;
    while (!text.empty()) {
        std::size_t lineBreak = text.find('\n');
        std::size_t length = lineBreak == std::string_view::npos ? text.size() : lineBreak + 1;
        std::string_view line = text.substr(0, length);
        text.remove_prefix(length);
        if (line[0] == '[') {
            section = sectionOf(line);
            continue;
        }
        if (section < 0) continue;
        int k = keyLineOf(section, line);
        if (k < 0) continue;
        ++keyLines;
        const FieldRow& row = kSettingsFields[kKeyLines[k].field];
        std::string_view value;
        if (valueOf(line, row.kind, &value)) setFieldFromText(row, s, value);
    }
    return keyLines;
}

}  // namespace kelvra
