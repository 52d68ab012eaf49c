// Text at the edge between the core and wx. The core speaks CP932 byte
// strings; wx wants wxString. File names are neither: they are the bytes the
// file system uses, passed through unchanged in both directions.
#pragma once

#include <wx/string.h>

#include <string>

#include "base/cp932.h"

namespace kelvra {

// CP932 bytes from the core (messages, pane texts, captions) for display.
// The tolerant decoder never drops text, unlike wxCSConv on invalid bytes.
inline wxString fromCp932(const std::string& cp932) { return wxString::FromUTF8(cp932ToUtf8(cp932)); }

// What the user typed, as the CP932 bytes the core keeps (characters
// without a CP932 form become '?').
inline std::string toCp932(const wxString& text) { return utf8ToCp932(text.utf8_string()); }

// The program's own literals, written in UTF-8 in the source.
inline wxString ui(const char* utf8) { return wxString::FromUTF8(utf8); }

// A file name from a dialog or a drop, as the bytes the core opens.
inline std::string pathBytes(const wxString& path) {
    wxCharBuffer bytes = path.fn_str();
    return bytes.data() ? std::string(bytes.data()) : std::string();
}

// A file name from the core, for a dialog's initial folder or name.
inline wxString pathText(const std::string& bytes) { return wxString(bytes.c_str(), *wxConvFileName); }

}  // namespace kelvra
