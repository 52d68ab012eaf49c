// Small helpers for tests that read and write files: a scratch folder per
// test, whole-file reads and writes, and the paths of the project's own files.
#pragma once

#include <functional>
#include <string>

namespace kelvra::test {

// A fresh empty folder for the running test, removed when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// The two ways programs save over a file. In place: `bytes` written into
// the file (truncated first, or appended to with append), which is left open
// for the caller to close when the save is over...
int openAndWrite(const std::string& path, const std::string& bytes, bool append = false);
// ... or closed at once.
void writeInPlace(const std::string& path, const std::string& bytes, bool append = false);
// A new file beside it renamed over its name.
void renameOver(const std::string& path, const std::string& bytes);
std::string sourcePath(const std::string& relative);   // a file of the source tree
// Runs check() in a child process that has given up root (when the tests run
// as root), so that file permissions apply to it as to a user: a read-only
// folder is then read-only. Expects check() to return true.
void expectTrueAsUnprivilegedChild(const std::function<bool()>& check);

// UTF-8 literal to CP932 bytes (for writing test files as users' tools would).
std::string cp932(const std::string& utf8);
// ASCII text as a program that writes Unicode files gives it: "utf-8" or
// "utf-16" (little-endian), each with its byte-order mark; any other
// encoding leaves the text as it is.
std::string encodedText(const std::string& ascii, const std::string& encoding);

}  // namespace kelvra::test
