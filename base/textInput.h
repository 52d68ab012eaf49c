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
#pragma once

#include <string>

#include "base/fileIo.h"

namespace kelvra {

FileRead readTextFile(const std::string& path);
// The same for an open descriptor (standard input); fd stays open.
FileRead readTextInput(int fd);

// The conversion alone, on bytes already read. False when memory ran out.
bool prepareText(FileBytes* text);

}  // namespace kelvra
