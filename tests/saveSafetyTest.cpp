// Every writer of the program goes through the safe writer: a save that fails
// half-way (a write error injected after n bytes, as a full disk would give)
// reports the failure and leaves the previous file byte for byte, with no
// temporary file beside it; with the fault gone the same save succeeds. A save
// keeps what its target is: its mode, owner and group, a link, a hard link, a
// device or a FIFO; what the user may not write is refused.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <future>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "output/imageFiles.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;

struct FaultOff {
    ~FaultOff() { setSafeWriteFaultAfter(-1); }
};

ImageBuffer picture(int width, int height) {
    ImageBuffer image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * std::size_t(height) * 4);
    std::iota(image.pixels.begin(), image.pixels.end(), 0);
    return image;
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    return names;
}

TEST(SaveSafety, AFaultHalfWayKeepsThePreviousFileOfEveryWriter) {
    test::ScratchDir dir;
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    const std::string source = dir.file("grid.csv");
    std::string body = ",1,2,3,4,5,6,7,8\r\n";
    for (int row = 0; row < 400; ++row) body += std::to_string(row) + ",1.5,2.5,3.5,4.5,5.5,6.5,7.5,8.5\r\n";
    test::writeFile(source, test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n") + body);
    ASSERT_TRUE(view.loadDataFile(source, false));

    // Each writer, and whether it reported the failure through the view.
    struct Writer {
        const char* name;
        std::function<bool(const std::string&)> save;
    };
    const ImageBuffer image = picture(61, 47);
    const std::vector<Writer> writers = {
        {"data", [&](const std::string& p) { return view.writeDataFile(p, view.settingsText()) == 0; }},
        {"settings", [&](const std::string& p) { return view.saveSettingsFile(p) == 0; }},
        {"png", [&](const std::string& p) { return writePngFile(p, image); }},
        {"jpeg", [&](const std::string& p) { return writeJpegFile(p, image, 90); }},
        {"bmp", [&](const std::string& p) { return writeBmpFile(p, image); }},
    };
    std::string old(70000, '\0');   // every byte value, longer than some of the new files
    std::iota(old.begin(), old.end(), 0);
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        const std::string target = dir.file(std::string("target-") + w.name);
        test::writeFile(target, old);
        std::string written;
        {
            // The size the full file has, to fail at its start, middle and last byte.
            ASSERT_TRUE(w.save(dir.file("probe")));
            written = test::readFile(dir.file("probe"));
            fs::remove(dir.file("probe"));
        }
        for (long long after : {0LL, 1LL, (long long)written.size() / 2, (long long)written.size() - 1}) {
            FaultOff restore;
            setSafeWriteFaultAfter(after);
            EXPECT_FALSE(w.save(target)) << after;
            setSafeWriteFaultAfter(-1);
            EXPECT_TRUE(test::readFile(target) == old) << after;
            EXPECT_EQ(entries(dir.path()).size(), 2u) << after;   // grid.csv and the target, nothing else
        }
        ASSERT_TRUE(w.save(target));
        EXPECT_TRUE(test::readFile(target) == written || std::string(w.name) == "png");   // PNG carries the time
        fs::remove(target);
    }
    // The view's writers said so each time; the image writers leave that to saveImage.
    EXPECT_EQ(host.messages.size(), 8u);
}

// The temporary file beside the target must fit where the target fits: a name
// of 250 bytes (the file-system limit is 255) saves like any other.
TEST(SaveSafety, ANameNearTheFileSystemLimitSaves) {
    test::ScratchDir dir;
    const std::string target = dir.file(std::string(246, 'n') + ".bmp");
    test::writeFile(target, "old");
    EXPECT_TRUE(writeBmpFile(target, picture(3, 2)));
    EXPECT_EQ(test::readFile(target).substr(0, 2), "BM");
    EXPECT_EQ(entries(dir.path()).size(), 1u);
}

struct stat statOf(const std::string& path, bool followLinks = true) {
    struct stat st{};
    if ((followLinks ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) != 0) st.st_mode = 0;
    return st;
}

// The save's result and errno, with the message's second line as the host prints it.
std::pair<bool, std::string> save(const std::string& path, const std::string& bytes) {
    errno = 0;
    bool ok = writeFileSafely(path, bytes);
    return {ok, ok ? "" : systemReason(errno)};
}

// Each kind of target a save may meet, as root or not: what is written, where,
// and what the target still is afterwards.
TEST(SaveSafety, KeepsWhatTheTargetIs) {
    test::ScratchDir dir;
    auto f = [&](const std::string& name) { return dir.file(name); };
    const std::string text = "new content\r\n", old = "old";
    const bool root = geteuid() == 0;
    auto ok = std::pair<bool, std::string>(true, "");

    // A regular file with a mode (and, as root, an owner) of its own is replaced
    // as a new file that keeps them; a setuid bit is not carried over.
    test::writeFile(f("plain"), old);
    chmod(f("plain").c_str(), 0640);
    if (root) EXPECT_EQ(chown(f("plain").c_str(), 65534, 65534), 0);
    test::writeFile(f("setuid"), old);
    chmod(f("setuid").c_str(), 04755);
    const ino_t plainInode = statOf(f("plain")).st_ino;
    EXPECT_EQ(save(f("plain"), text), ok);
    EXPECT_EQ(save(f("setuid"), text), ok);
    EXPECT_EQ(test::readFile(f("plain")), text);
    EXPECT_NE(statOf(f("plain")).st_ino, plainInode);   // replaced whole, not overwritten
    EXPECT_EQ(statOf(f("plain")).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(f("setuid")).st_mode & 07777, 0755u);
    if (root) EXPECT_EQ(std::pair(statOf(f("plain")).st_uid, statOf(f("plain")).st_gid), std::pair(65534u, 65534u));

    // A hard-linked file is written in place: both names see the new content.
    test::writeFile(f("linked"), old);
    ASSERT_EQ(link(f("linked").c_str(), f("other-name").c_str()), 0);
    EXPECT_EQ(save(f("linked"), text), ok);
    EXPECT_EQ(test::readFile(f("other-name")), text);
    EXPECT_EQ(statOf(f("linked")).st_nlink, 2u);

    // Links stay links: the file they finally name is written, created when the
    // chain dangles (relative links from their own folder); a loop is refused.
    fs::create_directory(f("sub"));
    test::writeFile(f("sub/real"), old);
    fs::create_symlink("sub/real", f("to-real"));
    fs::create_symlink("missing", f("sub/dangling"));
    fs::create_symlink("sub/dangling", f("chain"));
    fs::create_symlink("loop-b", f("loop-a"));
    fs::create_symlink("loop-a", f("loop-b"));
    EXPECT_EQ(save(f("to-real"), text), ok);
    EXPECT_EQ(save(f("chain"), text), ok);
    EXPECT_EQ(save(f("loop-a"), text), std::pair(false, systemReason(ELOOP)));
    EXPECT_EQ(test::readFile(f("sub/real")) + test::readFile(f("sub/missing")), text + text);
    for (const char* link : {"to-real", "chain", "sub/dangling", "loop-a", "loop-b"})
        EXPECT_TRUE(S_ISLNK(statOf(f(link), false).st_mode)) << link;

    // Devices are written through, by name or through a link, as a shell redirect would.
    fs::create_symlink("/dev/null", f("null"));
    EXPECT_EQ(save(f("null"), text), ok);
    EXPECT_EQ(save("/dev/full", text), std::pair(false, systemReason(ENOSPC)));
    EXPECT_TRUE(S_ISLNK(statOf(f("null"), false).st_mode));
    EXPECT_TRUE(S_ISCHR(statOf("/dev/null").st_mode) && S_ISCHR(statOf("/dev/full").st_mode));

    // A FIFO is written through to the program reading it; one nobody reads is
    // waited for a while, then refused.
    ASSERT_EQ(mkfifo(f("fifo").c_str(), 0644), 0);
    auto reader = std::async(std::launch::async, [&] { return readWholeFile(f("fifo")); });
    EXPECT_EQ(save(f("fifo"), text), ok);
    FileRead received = reader.get();
    EXPECT_EQ(std::string(received.bytes.view()), text);
    setFifoWaitMilliseconds(100);
    EXPECT_EQ(save(f("fifo"), text), std::pair(false, systemReason(kErrorNoReader)));
    setFifoWaitMilliseconds(0);
    EXPECT_TRUE(S_ISFIFO(statOf(f("fifo")).st_mode));

    // A folder and a socket cannot take a file's content.
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", f("sock").c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(save(f("sock"), text), std::pair(false, systemReason(ENXIO)));
    EXPECT_EQ(save(f("sub"), text), std::pair(false, systemReason(EISDIR)));
    close(sock);
    EXPECT_TRUE(S_ISSOCK(statOf(f("sock")).st_mode) && S_ISDIR(statOf(f("sub")).st_mode));
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))   // no temporary file left
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// As a user (the tests drop root for this): a file the user may not write is
// refused and stays as it was; a writable file in a folder that allows no new
// file beside it is written in place, and so is one whose owner (another
// user) a new file could not keep.
TEST(SaveSafety, AsAUserAReadOnlyFileIsRefusedAndTheRestWrittenInPlace) {
    test::ScratchDir dir;
    auto f = [&](const std::string& name) { return dir.file(name); };
    const bool root = geteuid() == 0;
    const uid_t user = root ? 65534 : geteuid();
    const gid_t group = root ? 65534 : getegid();
    chmod(dir.path().c_str(), 0777);
    fs::create_directory(f("closed"));
    test::writeFile(f("read-only"), "old");
    test::writeFile(f("closed/mine"), "old");
    test::writeFile(f("theirs"), "old");
    for (const char* name : {"read-only", "closed/mine"}) EXPECT_EQ(chown(f(name).c_str(), user, group), 0);
    chmod(f("read-only").c_str(), 0444);
    chmod(f("theirs").c_str(), 0666);
    chmod(f("closed").c_str(), 0555);
    const ino_t mine = statOf(f("closed/mine")).st_ino;
    test::expectTrueAsUnprivilegedChild([&] {
        bool refused = save(f("read-only"), "new") == std::pair(false, systemReason(EACCES));
        bool inPlace = save(f("closed/mine"), "new").first && (!root || save(f("theirs"), "new").first);
        std::fprintf(stderr, "refused %d, in place %d\n", refused, inPlace);
        return refused && inPlace;
    });
    EXPECT_EQ(test::readFile(f("read-only")), "old");
    EXPECT_EQ(test::readFile(f("closed/mine")), "new");
    EXPECT_EQ(statOf(f("closed/mine")).st_ino, mine);
    if (root) {
        EXPECT_EQ(test::readFile(f("theirs")), "new");
        EXPECT_EQ(statOf(f("theirs")).st_uid, 0u);   // still root's
    }
    EXPECT_EQ(entries(f("closed")).size(), 1u);
}

}  // namespace
}  // namespace kelvra
