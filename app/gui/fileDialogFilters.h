// The toolkit's file dialog matches a filter's patterns exactly, so that
// "*.csv" hides DATA.CSV. This gives every filter of a dialog the program's
// own matching as well (base/fileFilter.h), where letters match in either case.
#pragma once

#include <vector>

#include "base/fileFilter.h"

class wxFileDialog;

namespace kelvra {

// `filters` are the ones the dialog was made with, in the same order.
void matchFiltersInAnyCase(wxFileDialog& dialog, const std::vector<FileFilter>& filters);

}  // namespace kelvra
