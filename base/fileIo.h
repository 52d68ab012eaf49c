// Whole-file reads and crash-safe file writes, shared by every reader and
// writer of the program (data files, settings files, launch files, images).
//
// Reading: a file is read to its end into one block of memory. A regular file
// is read in one go at its size; anything else (a pipe, process substitution,
// a character device, a /proc file) grows its block as it reads, up to
// kUnsizedReadLimit, past which the read fails as out of memory. A FIFO in the
// file system is opened without blocking, and a program is waited for to open
// it for writing for at most kFifoWaitMilliseconds; if none does, the FIFO
// counts as a file that cannot be opened.
//
// Writing keeps what the target is:
// - a new file, or a regular file with one name that this process may write,
//   is written to a new file that is given the target's name (renamed over
//   it) only when every byte was written; the new file keeps the old one's
//   mode (never a setuid or setgid bit), owner and group. The new file is
//   unnamed (O_TMPFILE) until then where the file system allows it, so a save
//   killed half-way leaves nothing; elsewhere it is ".NAME.kelvra-XXXXXX"
//   beside the target, and the next save of the target removes one that a
//   killed save left. On any failure the old file is left exactly as it was;
// - a hard-linked file, a file whose owner this process could not give to a
//   new file, and a writable file in a folder that allows no new file beside
//   it, are written in place once the whole content is in memory. The save
//   holds an exclusive lock (flock) on the target throughout, so a second
//   save waits for it (kLockWaitMilliseconds at most, then fails). Before the
//   first byte changes, the old content is copied to a recovery copy,
//   "NAME.kelvra-recovery" beside the target or, where the folder takes no
//   new file, "NAME.DEVICE-INODE.kelvra-recovery" in the temporary folder, and
//   the room on the disk is claimed (fallocate, where the file system has it).
//   A write that fails puts the old content back; a small guardian process,
//   started before the first byte changes, does the same if this process
//   ends before the save is over (killed, crashed). The copy is removed when
//   the save is over; one that a save could not remove is removed by the next
//   save of the target;
// - a device or FIFO is written through, as a shell redirect would;
// - a symbolic link stays a link: the file it finally names is the target
//   (created when the link dangles); a loop of links is refused (ELOOP);
// - a file this process may not write is refused (EACCES), as are a folder
//   (EISDIR, also a name ending in "/", "." or "..") and a socket (ENXIO).
//
// A file name holding a NUL or another control character is refused by every
// read and every write (kErrorControlCharacterInName): the system would take
// a name cut at the NUL for another file.
//
// Every failing call leaves errno saying why; systemReason() turns that into
// the text that messages show beside their own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvra {

enum class ReadResult { Ok, CannotOpen, NoMemory };

// Inputs of unknown size are read up to this many bytes.
inline constexpr std::size_t kUnsizedReadLimit = std::size_t(1) << 30;
// How long a FIFO without a writer (or reader) is waited for.
inline constexpr int kFifoWaitMilliseconds = 10000;
// How long an in-place save waits for another save of the same file.
inline constexpr int kLockWaitMilliseconds = 10000;

// What the program says of a data set without a point (UTF-8 in the source;
// sj() gives the CP932 bytes).
inline constexpr const char kNoGraphDataText[] = "ｸﾞﾗﾌﾃﾞｰﾀがありません。";

// Reasons of the program's own, carried in errno like the system's, for
// failures the system has no words for; systemReason() words them too.
enum : int {
    kErrorControlCharacterInName = 0x10000,   // a file name holding a NUL or another control character
    kErrorNoWriter,                           // no program opened a FIFO for writing in time
    kErrorNoReader,                           // no program opened a FIFO for reading in time
    kErrorTargetBusy,                         // another program held the file locked too long
    kErrorNoData,                             // a data save with no point to write
};

struct FileRead;
FileRead readAll(int fd);

// A file's bytes in one block of memory (malloc'd, so the data reader may use
// it as scratch memory once it has parsed the text).
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    char* data() { return bytes_; }
    const char* begin() const { return bytes_; }
    const char* end() const { return bytes_ + size_; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {bytes_, size_}; }
    // Replaces the content with a copy of `text`; false when memory runs out.
    bool assign(std::string_view text);
    // Keeps the first `size` bytes (a conversion in place made the text shorter).
    void truncate(std::size_t size) {
        if (size < size_) size_ = size;
    }

private:
    friend FileRead readAll(int fd);
    char* bytes_ = nullptr;
    std::size_t size_ = 0;
};

// The encodings a text file can come in (base/textInput.h converts them to CP932).
enum class TextEncoding { Cp932, Utf8, Utf8Bom, Utf16Le, Utf16Be, Count };

// A whole file read into memory, or why it could not be.
struct FileRead {
    ReadResult result = ReadResult::CannotOpen;
    int error = 0;   // errno of the failure
    FileBytes bytes;
    TextEncoding encoding = TextEncoding::Cp932;   // what the bytes were before base/textInput.h made them CP932
    bool ok() const { return result == ReadResult::Ok; }
};

// Opens a path for reading: -1, errno set, when it cannot be opened (a folder
// gives EISDIR; readAll says kErrorNoWriter for a FIFO no program writes to).
int openForReading(const std::string& path);
// Reads fd to its end (fd stays open).
FileRead readAll(int fd);
// openForReading, readAll, close.
FileRead readWholeFile(const std::string& path);

// The system's text for an errno value, or the program's for its own
// reasons, as CP932 for messages ("" for 0).
std::string systemReason(int error);
// True where the system said a file is busy or locked (EBUSY, ETXTBSY, EAGAIN,
// EDEADLK, ENOLCK): only then may a message guess that another program holds it.
bool isBusyOrLocked(int error);

// True when a file name holds a character below the space, DEL, or (in a
// UTF-8 name) a C1 control character: no name a user means.
bool hasControlCharacter(std::string_view name);

// Writes one file safely. Usage: construct, write() any number of times, then
// commit(). Destroying the writer without a successful commit() removes a new
// file and leaves the target untouched. Every call after a failure does
// nothing and returns false; error() then says why.
class SafeFileWriter {
public:
    explicit SafeFileWriter(const std::string& path, bool syncToDisk = true);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool ok() const { return error_ == 0; }
    int error() const { return error_; }
    bool write(std::string_view bytes);
    // Finishes the file (see the header comment for each kind of target).
    // True when the target now holds exactly what was written.
    bool commit();

    // How the target is written, decided when the writer is made.
    enum class Mode { Replace, InPlace, Through };
    Mode mode() const { return mode_; }

private:
    bool fail(int error);
    bool beginInPlace();
    bool commitInPlace();
    void discard();

    std::string target_;
    std::string temp_;      // Replace: the new file's name while it has one ("" while unnamed)
    std::string pending_;   // InPlace: the whole content, written at commit
    Mode mode_ = Mode::Replace;
    int fd_ = -1;
    int error_ = 0;
    bool committed_ = false;
    bool sync_ = true;
    bool readable_ = true;  // InPlace: the old content can be read for its recovery copy
    unsigned long long written_ = 0;
};

// Writes bytes to path with a SafeFileWriter. False, errno set, when anything failed.
bool writeFileSafely(const std::string& path, std::string_view bytes);

// Test seams. setSafeWriteFaultAfter(n >= 0): every SafeFileWriter fails once
// it has been given n bytes, as a full disk would (ENOSPC); -1 (the default)
// turns the fault off. setUnsizedReadLimit, setFifoWaitMilliseconds and
// setLockWaitMilliseconds replace the limits above; 0 restores them.
void setSafeWriteFaultAfter(long long bytes);
void setUnsizedReadLimit(std::size_t bytes);
void setFifoWaitMilliseconds(int milliseconds);
void setLockWaitMilliseconds(int milliseconds);

// Large blocks filled from start to end ask for transparent huge pages: one
// page fault per 2 MB instead of per 4 KB. Only an advice.
void adviseHugePages(void* block, std::size_t bytes);
// Gives the whole pages inside [block, block + bytes) back to the system: a
// large file's text once it is parsed, so that the text and what was parsed
// from it are never both held whole. The pages read as zeros afterwards.
void dropPages(void* block, std::size_t bytes);

// The folder part of a path ("" for a bare name, "/" for the root) and the
// name part. Only '/' separates folders: 0x5C is a trail byte in CP932 names.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
// The name part as the CP932 text that captions and messages show. Names on
// disk are UTF-8 here; a name that is not valid UTF-8 is kept as it is.
// Control characters show as "?".
std::string fileTitleOf(const std::string& path);

}  // namespace kelvra
