#include "base/textInput.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

#include "base/cp932.h"

namespace kelvra {
namespace {

// The Unicode text of a file with a byte-order mark, as CP932; false without a mark.
bool fromUnicode(std::string_view bytes, std::string* cp932) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        *cp932 = utf8ToCp932(bytes.substr(3));
        return true;
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        *cp932 = utf16ToCp932(bytes.substr(2), bytes[0] == '\xFE');
        return true;
    }
    return false;
}

// CR not followed by LF ends a line: it becomes LF. CP932 never uses 0x0D
// inside a character, so no character is split.
void lineEndsFromCr(FileBytes* text) {
    char* p = text->data();
    char* end = p + text->size();
    while (p < end && (p = static_cast<char*>(std::memchr(p, '\r', std::size_t(end - p))))) {
        if (p + 1 == end || p[1] != '\n') *p = '\n';
        ++p;
    }
}

FileRead prepared(FileRead read) {
    if (read.ok() && !prepareText(&read.bytes)) {
        read.result = ReadResult::NoMemory;
        read.error = ENOMEM;
        read.bytes = FileBytes();
    }
    return read;
}

}  // namespace

bool prepareText(FileBytes* text) {
    try {
        std::string converted;
        if (fromUnicode(text->view(), &converted) && !text->assign(converted)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    lineEndsFromCr(text);
    return true;
}

FileRead readTextFile(const std::string& path) { return prepared(readWholeFile(path)); }

FileRead readTextInput(int fd) { return prepared(readAll(fd)); }

}  // namespace kelvra
