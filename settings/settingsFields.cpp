// The conversions of the field table (settings/settingsFields.h): a field to
// its text and back, and the int and colour views the dialog's direct copies
// use. Also the compile-time checks that every row fits the member it names.
#include "settings/settingsFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/numberText.h"

namespace kelvra {
namespace {

template <class M>
struct MemberType;
template <class T>
struct MemberType<T GraphSettings::*> {
    using type = T;
};

// Calls f with the field's element of s (a const element when s is const).
template <class Record, class F>
decltype(auto) withField(const FieldAccess& a, Record& s, F&& f) {
    return std::visit(
        [&](auto member) -> decltype(auto) {
            auto& m = s.*member;
            if constexpr (std::is_array_v<std::remove_reference_t<decltype(m)>>) return f(m[a.index]);
            else return f(m);
        },
        a.member);
}

// The field's element when it is a T, else null.
template <class T, class Record>
auto* elementAs(const FieldAccess& a, Record& s) {
    using Pointer = std::conditional_t<std::is_const_v<Record>, const T*, T*>;
    return withField(a, s, [](auto& element) -> Pointer {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(element)>, T>) return &element;
        else return nullptr;
    });
}

template <class T>
constexpr bool isIntLike = std::is_same_v<T, int> || std::is_enum_v<T>;

// An int or enum field as it is stored.
int storedInt(const FieldAccess& a, const GraphSettings& s) {
    return withField(a, s, [](const auto& element) {
        if constexpr (isIntLike<std::remove_cvref_t<decltype(element)>>) return int(element);
        else return 0;
    });
}

void storeInt(const FieldAccess& a, GraphSettings& s, int value) {
    withField(a, s, [value](auto& element) {
        using T = std::remove_cvref_t<decltype(element)>;
        if constexpr (isIntLike<T>) element = T(value);   // the enums have a fixed int type: any int is a value
    });
}

int inRange(const FieldRow& row, int value) { return value < row.lo || value > row.hi ? row.fallback : value; }

bool isBlankPiece(std::string_view piece) { return piece.find_first_not_of(" \t\r\v\f") == std::string_view::npos; }

// "r, g, b": up to three comma-separated components, each clamped to 0..1
// (what is not at least 0 becomes 0). A component the text does not give
// (missing, or only blanks) keeps its value.
void readColour(std::string_view text, Rgb* colour) {
    double* parts[3] = {&colour->r, &colour->g, &colour->b};
    for (double* part : parts) {
        std::size_t comma = text.find(',');
        std::string_view piece = text.substr(0, comma);
        if (!isBlankPiece(piece)) {
            double v = textToDouble(piece);
            *part = v > 1.0 ? 1.0 : v >= 0.0 ? v : 0.0;
        }
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
}

std::string colourText(const Rgb& c) {
    std::string out;
    appendFixed(out, c.r, 6);
    out += ", ";
    appendFixed(out, c.g, 6);
    out += ", ";
    appendFixed(out, c.b, 6);
    return out;
}

// A text field is one line wherever it is shown or written: a line break in
// it would end the settings line early.
std::string oneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// ---- compile-time checks of the table ---------------------------------------------------

template <class T>
constexpr bool kindHolds(ValueKind kind) {
    switch (kind) {
        case ValueKind::Integer: return isIntLike<T>;
        case ValueKind::ShownAngleX: return std::is_same_v<T, int>;
        case ValueKind::WholeNumber:
        case ValueKind::LevelIndex:
        case ValueKind::Number: return std::is_same_v<T, double>;
        case ValueKind::Text: return std::is_same_v<T, std::string>;
        case ValueKind::Colour: return std::is_same_v<T, Rgb>;
    }
    return false;
}

constexpr bool isChecked(ValueKind kind) {
    return kind == ValueKind::Integer || kind == ValueKind::ShownAngleX || kind == ValueKind::WholeNumber ||
           kind == ValueKind::LevelIndex;
}

constexpr bool isFormatted(ValueKind kind) { return kind == ValueKind::LevelIndex || kind == ValueKind::Number; }

// Each row's kind can be held by its member, its element lies inside the
// array, a checked kind has its fallback in its range, a formatted one a
// formatValue kind, and only a double is read back unchecked by the dialog.
consteval bool rowsFitTheirMembers() {
    for (const FieldRow& row : kSettingsFields) {
        bool fits = std::visit(
            [&row](auto member) {
                using T = typename MemberType<decltype(member)>::type;
                using E = std::remove_all_extents_t<T>;
                const int extent = std::is_array_v<T> ? int(std::extent_v<T>) : 1;
                return kindHolds<E>(row.kind) && row.field.index >= 0 && row.field.index < extent &&
                       (row.dialog != DialogCopy::TextUnchecked || std::is_same_v<E, double>);
            },
            row.field.member);
        if (!fits) return false;
        if (isChecked(row.kind) && !(row.lo <= row.fallback && row.fallback <= row.hi)) return false;
        if (isFormatted(row.kind) != (row.formatKind >= 0 && row.formatKind < 6)) return false;
    }
    return true;
}
static_assert(rowsFitTheirMembers(), "a row of the field table does not fit its member");

const FieldAccess kLevelColourOne{&GraphSettings::legendColors, 1};


// The whole text as a number, blanks around it allowed; nothing for anything else.
template <class T>
std::optional<T> wholeTextAs(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>)
        if (!std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

// ---- strict checks ----------------------------------------------------------------------

std::string fieldKindText(const FieldRow& row) {
    switch (row.kind) {
        case ValueKind::Integer:
        case ValueKind::ShownAngleX:
        case ValueKind::WholeNumber:
        case ValueKind::LevelIndex: return "integer " + std::to_string(row.lo) + ".." + std::to_string(row.hi);
        case ValueKind::Number: return "number";
        case ValueKind::Text: return "text";
        case ValueKind::Colour: return "colour R, G, B (0..1 each)";
    }
    return {};
}

std::string fieldTextProblem(const FieldRow& row, std::string_view text) {
    switch (row.kind) {
        case ValueKind::Integer:
        case ValueKind::ShownAngleX:
        case ValueKind::WholeNumber:
        case ValueKind::LevelIndex: {
            std::optional<long long> v = wholeTextAs<long long>(text);
            // The level index is written through a number format ("3.000").
            if (!v && row.kind == ValueKind::LevelIndex) {
                std::optional<double> d = wholeTextAs<double>(text);
                if (d && *d == std::trunc(*d) && std::fabs(*d) < 1e9) v = (long long)*d;
            }
            if (!v) return "not a whole number";
            if (*v < row.lo || *v > row.hi) return "out of range " + std::to_string(row.lo) + ".." + std::to_string(row.hi);
            return {};
        }
        case ValueKind::Number: return wholeTextAs<double>(text) ? "" : "not a number";
        case ValueKind::Text:
            return text.find_first_of("\r\n") == std::string_view::npos ? "" : "a line break in a text";
        case ValueKind::Colour: {
            int parts = 0;
            for (std::size_t start = 0; start <= text.size(); ++parts) {
                std::size_t comma = std::min(text.find(',', start), text.size());
                std::optional<double> v = wholeTextAs<double>(text.substr(start, comma - start));
                if (!v || *v < 0.0 || *v > 1.0) return "not three numbers from 0 to 1, separated by commas";
                start = comma + 1;
            }
            return parts == 3 ? "" : "not three numbers from 0 to 1, separated by commas";
        }
    }
    return {};
}


// ---- conversions ------------------------------------------------------------------------

std::string fieldText(const FieldRow& row, const GraphSettings& s) {
    switch (row.kind) {
        case ValueKind::Integer:
        case ValueKind::ShownAngleX:
        case ValueKind::WholeNumber: return std::to_string(fieldInt(row, s));
        case ValueKind::LevelIndex:
        case ValueKind::Number: return formatValue(s, *elementAs<double>(row.field, s), row.formatKind).text;
        case ValueKind::Text: return oneLine(*elementAs<std::string>(row.field, s));
        case ValueKind::Colour: return colourText(fieldColour(row, s));
    }
    return {};
}

void setFieldFromText(const FieldRow& row, GraphSettings& s, std::string_view text, TextOf rule) {
    if (rule == TextOf::Dialog && row.dialog == DialogCopy::TextUnchecked) {
        *elementAs<double>(row.field, s) = textToDouble(text);
        return;
    }
    switch (row.kind) {
        case ValueKind::Integer:
        case ValueKind::ShownAngleX:
        case ValueKind::WholeNumber: setFieldInt(row, s, inRange(row, textToInt(text))); return;
        // Written through a number format ("3.000", "1.100e+01"): the whole
        // part of the number is the index, so every format reads back.
        case ValueKind::LevelIndex: setFieldInt(row, s, inRange(row, truncatedInt(textToDouble(text)))); return;
        case ValueKind::Number: *elementAs<double>(row.field, s) = textToDouble(text); return;
        case ValueKind::Text: elementAs<std::string>(row.field, s)->assign(text); return;
        case ValueKind::Colour: {
            Rgb c = fieldColour(row, s);
            readColour(text, &c);
            setFieldColour(row, s, c);
            return;
        }
    }
}

int fieldInt(const FieldRow& row, const GraphSettings& s) {
    switch (row.kind) {
        case ValueKind::Integer: return storedInt(row.field, s);
        case ValueKind::ShownAngleX: return shownAngleX(storedInt(row.field, s));
        case ValueKind::WholeNumber:
        case ValueKind::LevelIndex:
        case ValueKind::Number: return truncatedInt(*elementAs<double>(row.field, s));
        case ValueKind::Text:
        case ValueKind::Colour: break;
    }
    return 0;
}

void setFieldInt(const FieldRow& row, GraphSettings& s, int value) {
    switch (row.kind) {
        case ValueKind::Integer: storeInt(row.field, s, value); return;
        case ValueKind::ShownAngleX: storeInt(row.field, s, internalAngleX(value)); return;
        case ValueKind::WholeNumber:
        case ValueKind::LevelIndex:
        case ValueKind::Number: *elementAs<double>(row.field, s) = value; return;
        case ValueKind::Text:
        case ValueKind::Colour: return;
    }
}

Rgb fieldColour(const FieldRow& row, const GraphSettings& s) {
    const Rgb* c = elementAs<Rgb>(row.field, s);
    return c ? *c : Rgb{};
}

void setFieldColour(const FieldRow& row, GraphSettings& s, const Rgb& colour) {
    Rgb* c = elementAs<Rgb>(row.field, s);
    if (!c) return;
    *c = colour;
    if (row.field == kLevelColourOne) s.legendColors[0] = s.legendColors[1];
}

}  // namespace kelvra
