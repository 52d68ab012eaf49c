// Whole-file reads and crash-safe file writes, shared by every writer of the
// program (data files, settings files, images).
//
// A save never destroys the file it replaces: the bytes go to a new file beside
// the target (same folder, so the final rename cannot cross file systems), and
// only when every byte was written and the file was closed without error is it
// renamed over the target. On any failure the new file is removed and the old
// one is left exactly as it was.
#pragma once

#include <string>
#include <string_view>

namespace kelvra {

enum class ReadResult { Ok, CannotOpen, NoMemory };

// Reads the whole file into bytes. CannotOpen also covers a file that opens
// but cannot be read (a folder); NoMemory a file too large to hold.
ReadResult readWholeFile(const std::string& path, std::string* bytes);

// Writes one file safely. Usage: construct, write() any number of times, then
// commit(). Destroying the writer without a successful commit() removes the new
// file and leaves the target untouched. Every call after a failure does nothing
// and returns false.
class SafeFileWriter {
public:
    // Creates the new file beside `path`. A target that is a symbolic link is
    // replaced through the link (the file it names is the one replaced).
    explicit SafeFileWriter(const std::string& path, bool syncToDisk = true);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool ok() const { return fd_ >= 0 && !failed_; }
    bool write(std::string_view bytes);
    // Flushes, closes and renames the new file over the target. True when the
    // target now holds exactly what was written.
    bool commit();

private:
    void discard();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
    bool committed_ = false;
    bool sync_ = true;
    unsigned long long written_ = 0;
};

// Writes bytes to path with a SafeFileWriter. False when anything failed.
bool writeFileSafely(const std::string& path, std::string_view bytes);

// Test seam: when set to n >= 0, every SafeFileWriter fails once it has written
// n bytes, as a full disk would (the first n bytes do reach the new file). -1
// (the default) turns the fault off.
void setSafeWriteFaultAfter(long long bytes);

// The folder part of a path ("" for a bare name, "/" for the root) and the
// name part. Only '/' separates folders: 0x5C is a trail byte in CP932 names.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// The name part as the CP932 text that captions and messages show. Names on
// disk are UTF-8 here; a name that is not valid UTF-8 is kept as it is.
std::string fileTitleOf(const std::string& path);

}  // namespace kelvra
