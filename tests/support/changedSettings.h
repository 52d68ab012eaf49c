// A settings record with every field of the field table changed, for tests
// of what copies the record (the settings file, the settings dialog).
#pragma once

#include <string>

#include "settings/settingsFields.h"
#include "support/testFiles.h"

namespace kelvra::test {

// Every row of the field table set to a value other than the fresh one that
// its rule brings back exactly: integers one step away (or, toLimits, at the
// far end of their range, which also turns the number formats to exponents
// with 12 digits), whole numbers moved by 12, texts and colours of their own.
inline GraphSettings everyFieldChanged(bool toLimits) {
    GraphSettings s;
    for (int n = 0; n < kSettingsFieldCount; ++n) {
        const FieldRow& row = kSettingsFields[n];
        const int v = fieldInt(row, s);
        switch (row.kind) {
            case ValueKind::Integer:
            case ValueKind::ShownAngleX:
            case ValueKind::WholeNumber:
            case ValueKind::LevelIndex:
                if (toLimits) setFieldInt(row, s, v == row.hi ? row.lo : row.hi);
                else setFieldInt(row, s, v < row.hi ? v + 1 : v - 1);
                break;
            case ValueKind::Number: setFieldInt(row, s, v - 12); break;
            case ValueKind::Text: setFieldFromText(row, s, cp932("文字ｶﾅ ") + std::to_string(n)); break;
            case ValueKind::Colour: setFieldColour(row, s, {0.25, n / 200.0, toLimits ? 1.0 : 0.0}); break;
        }
    }
    return s;
}

}  // namespace kelvra::test
