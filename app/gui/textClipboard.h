// The selected-data window's text on the clipboard.
#pragma once

#include <string>

namespace kelvra {

// Puts `cp932Text` with a line break (CR LF) added at its end on the clipboard
// as plain text. The desktop clipboard carries Unicode text, so it goes there
// as UTF-8; what the picks write is ASCII, the same bytes either way. An empty
// text leaves the clipboard as it was (true). False when the clipboard could
// not be opened or would not take the text; it then keeps what it had.
bool copySelectedText(const std::string& cp932Text);

}  // namespace kelvra
