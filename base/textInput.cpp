#include "base/textInput.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

#include "base/cp932.h"

namespace kelvra {
namespace {

constexpr std::size_t kUtf8Window = 64 * 1024;

// The encoding a byte-order mark names; CP932 without one.
TextEncoding markedEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return TextEncoding::Utf8Bom;
    if (bytes.starts_with("\xFF\xFE")) return TextEncoding::Utf16Le;
    if (bytes.starts_with("\xFE\xFF")) return TextEncoding::Utf16Be;
    return TextEncoding::Cp932;
}

// Offset of the first byte at or after `from` that is not ASCII, or `size`.
std::size_t firstNonAscii(const char* text, std::size_t from, std::size_t size) {
    std::size_t i = from;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    while (i < size && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    return i;
}

// UTF-8 from `from` on, converted to CP932 at the start of `text`; returns the
// new size. ASCII is moved as it is, each run of other bytes goes through
// utf8ToCp932, which never makes a run longer (so the output never overtakes
// the input) and replaces a broken sequence as a whole conversion would.
std::size_t utf8InPlace(char* text, std::size_t from, std::size_t size) {
    std::size_t in = from, out = 0;
    while (in < size) {
        std::size_t ascii = firstNonAscii(text, in, size);
        if (out != in) std::memmove(text + out, text + in, ascii - in);
        out += ascii - in;
        in = ascii;
        if (in == size) break;
        std::size_t run = in;
        while (in < size && static_cast<unsigned char>(text[in]) >= 0x80) ++in;
        std::string converted = utf8ToCp932(std::string_view(text + run, in - run));
        std::memcpy(text + out, converted.data(), converted.size());
        out += converted.size();
    }
    return out;
}

// The same for UTF-16: an ASCII unit becomes its byte, each run of other
// units (surrogate pairs, and a last odd byte, included) goes through
// utf16ToCp932, at most two bytes for the two or more each unit took.
std::size_t utf16InPlace(char* text, std::size_t from, std::size_t size, bool bigEndian) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    auto asciiAt = [&](std::size_t i) {
        unsigned char low = bytes[i + (bigEndian ? 1 : 0)], high = bytes[i + (bigEndian ? 0 : 1)];
        return high == 0 && low < 0x80;
    };
    std::size_t in = from, out = 0;
    while (in < size) {
        if (in + 1 < size && asciiAt(in)) {
            text[out++] = char(bytes[in + (bigEndian ? 1 : 0)]);
            in += 2;
            continue;
        }
        std::size_t run = in;
        while (in + 1 < size && !asciiAt(in)) in += 2;
        if (in + 1 == size) in = size;   // the odd last byte ends the run
        std::string converted = utf16ToCp932(std::string_view(text + run, in - run), bigEndian);
        std::memcpy(text + out, converted.data(), converted.size());
        out += converted.size();
    }
    return out;
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

// Runs a conversion that may run out of memory (its runs are std::strings).
template <class Conversion>
bool converted(Conversion conversion) {
    try {
        conversion();
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

FileRead prepared(FileRead read) {
    if (read.ok() && !prepareText(&read.bytes, &read.encoding)) {
        read.result = ReadResult::NoMemory;
        read.error = ENOMEM;
        read.bytes = FileBytes();
    }
    return read;
}

}  // namespace

bool decodeText(FileBytes* text, TextEncoding encoding) {
    const std::string_view bytes = text->view();
    bool ok = converted([&] {
        switch (encoding) {
            case TextEncoding::Cp932:
            case TextEncoding::Count:
                break;
            case TextEncoding::Utf8:
            case TextEncoding::Utf8Bom:
                text->truncate(utf8InPlace(text->data(), bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0, bytes.size()));
                break;
            case TextEncoding::Utf16Le:
            case TextEncoding::Utf16Be: {
                bool big = encoding == TextEncoding::Utf16Be;
                bool marked = bytes.starts_with(big ? "\xFE\xFF" : "\xFF\xFE");
                text->truncate(utf16InPlace(text->data(), marked ? 2 : 0, bytes.size(), big));
                break;
            }
        }
    });
    if (!ok) return false;
    lineEndsFromCr(text);
    return true;
}

bool prepareText(FileBytes* text, TextEncoding* found) {
    TextEncoding encoding = markedEncoding(text->view());
    if (found) *found = encoding;
    return decodeText(text, encoding);
}

bool looksLikeUtf8(std::string_view text) {
    std::size_t first = firstNonAscii(text.data(), 0, text.size());
    if (first == text.size()) return false;
    std::string_view window = text.substr(first, kUtf8Window);
    if (isValidUtf8(window)) return true;
    if (first + window.size() == text.size()) return false;
    // The window may end inside a character: leave out a last one that is cut.
    for (std::size_t cut = 1; cut <= 3 && cut < window.size(); ++cut)
        if (isValidUtf8(window.substr(0, window.size() - cut))) return true;
    return false;
}

bool takeUnmarkedUtf8(FileRead* file) {
    if (!file->ok() || file->encoding != TextEncoding::Cp932 || !looksLikeUtf8(file->bytes.view())) return true;
    FileBytes& bytes = file->bytes;
    if (!converted([&] { bytes.truncate(utf8InPlace(bytes.data(), 0, bytes.size())); })) return false;
    file->encoding = TextEncoding::Utf8;
    return true;
}

FileRead readTextFile(const std::string& path) { return prepared(readWholeFile(path)); }

FileRead readTextInput(int fd) { return prepared(readAll(fd)); }

FileRead readTextFileAs(const std::string& path, TextEncoding encoding) {
    FileRead read = readWholeFile(path);
    if (!read.ok()) return read;
    read.encoding = encoding;
    if (!decodeText(&read.bytes, encoding)) {
        read.result = ReadResult::NoMemory;
        read.error = ENOMEM;
        read.bytes = FileBytes();
    }
    return read;
}

}  // namespace kelvra
