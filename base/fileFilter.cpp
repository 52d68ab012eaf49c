// File dialog filters (see fileFilter.h).
#include "base/fileFilter.h"

#include "base/cp932.h"

namespace kelvra {
namespace {

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// One pattern against the whole name. '*' is taken greedily with one point to
// come back to, which is enough for patterns without classes: the time stays
// linear in the pattern times the name.
bool matchesPattern(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0;
    std::size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            ++n;
            while (n < name.size() && isContinuationByte(name[n])) ++n;   // one character, not one byte
        } else if (p < pattern.size() && foldCase(pattern[p]) == foldCase(name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            // The '*' takes one character more, and the rest is tried again.
            do ++resumeAt;
            while (resumeAt < name.size() && isContinuationByte(name[resumeAt]));
            p = starAt + 1;
            n = resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

FileFilter allFilesFilter() { return {sj("すべてのﾌｧｲﾙ (*)"), "*"}; }

bool fileNameMatches(std::string_view patterns, std::string_view name) {
    while (true) {
        std::size_t end = patterns.find(';');
        std::string_view pattern = trimmed(patterns.substr(0, end));
        if (!pattern.empty() && matchesPattern(pattern, name)) return true;
        if (end == std::string_view::npos) return false;
        patterns.remove_prefix(end + 1);
    }
}

}  // namespace kelvra
