// Text files from outside, as every reader of the program takes them: data
// files, settings files, launch files and dropped files all come through here.
//
// The file is read whole (base/fileIo.h). A file that begins with a UTF-8 or
// UTF-16 byte-order mark (what spreadsheets write for "CSV UTF-8" and
// "Unicode text") is converted to CP932 in memory, without its mark;
// characters with no CP932 form become "?". Then every lone CR (older
// spreadsheet exports end their lines so) becomes a line end, so the readers
// see CP932 lines ended by LF or CR LF only. A file without a mark is taken
// as CP932 byte for byte: CP932 text can never begin with one.
//
// Data and settings files also take a file without a mark as UTF-8 when its
// text beyond ASCII is valid UTF-8 (takeUnmarkedUtf8): what editors on Linux
// and spreadsheets' "CSV UTF-8" without a mark write. CP932 text beyond ASCII
// is practically never valid UTF-8 (the program's own files begin with
// "ﾃﾞｰﾀ形式", which is not). Launch files keep their bytes: the paths in them
// are handed to the file system as they are written.
//
// The conversions work in place (CP932 is never longer than what it was
// converted from) and copy plain ASCII straight through, so that a large file
// of numbers costs hardly more than reading it.
#pragma once

#include <string>
#include <string_view>

#include "base/fileIo.h"

namespace kelvra {

FileRead readTextFile(const std::string& path);
// The same for an open descriptor (standard input); fd stays open.
FileRead readTextInput(int fd);

// The conversion alone, on bytes already read: the encoding a mark names (or
// CP932), reported in *found. False when memory ran out.
bool prepareText(FileBytes* text, TextEncoding* found = nullptr);

// A text without a mark (file->encoding CP932) that is UTF-8 is converted:
// the first non-ASCII byte and up to 64 KiB after it decide. False when
// memory ran out (the text is then of no use).
bool takeUnmarkedUtf8(FileRead* file);
// True when text has bytes beyond ASCII and those of its first 64 KiB from
// the first of them are valid UTF-8 (a character cut at that end counts).
bool looksLikeUtf8(std::string_view text);

// Converts raw bytes (mark included, if any) from the given encoding to
// CP932, lone CRs made line ends. False when memory ran out (the text is
// then of no use).
bool decodeText(FileBytes* text, TextEncoding encoding);
// A file read as the given encoding whatever it looks like (a user's choice).
FileRead readTextFileAs(const std::string& path, TextEncoding encoding);

}  // namespace kelvra
