// Every writer of the program goes through the safe writer: a save that fails
// half-way (a write error injected after n bytes, as a full disk would give)
// reports the failure and leaves the previous file byte for byte, with no
// temporary file beside it; with the fault gone the same save succeeds. A save
// keeps what its target is: its mode, owner and group, a link, a hard link, a
// device or a FIFO; what the user may not write is refused. What a machine
// does to kelvra-render while it saves (a full disk without fallocate, a kill
// at a known write, a second save of the same file) comes from a preloaded
// shim (support/writeFaultShim.c).
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <functional>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "output/imageFiles.h"
#include "support/renderRun.h"
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

std::set<std::string> entrySet(const std::string& folder) {
    std::vector<std::string> names = entries(folder);
    return {names.begin(), names.end()};
}

// kelvra-render with the write shim preloaded (after the sanitizer runtime,
// when the tests run under one).
test::RenderRun renderWithShim(const std::vector<std::string>& args, const std::string& folder,
                               std::vector<std::string> env) {
    const char* preload = std::getenv("LD_PRELOAD");
    env.push_back("LD_PRELOAD=" + (preload && *preload ? std::string(preload) + " " : "") + KELVRA_WRITE_SHIM_PATH);
    return test::runRender(args, folder, "", env);
}

bool waitUntil(const std::function<bool()>& done, int milliseconds) {
    for (int waited = 0; !done(); waited += 10) {
        if (waited >= milliseconds) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Waits until no process holds the file locked (a save, or what guards it).
bool waitForUnlocked(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    bool free = fd >= 0 && waitUntil([&] { return flock(fd, LOCK_EX | LOCK_NB) == 0; }, 10000);
    if (fd >= 0) close(fd);
    return free;
}

// A settings file whose title makes it longer than the default settings.
std::string longSettings() {
    HeadlessHost host;
    CKelvraView view(host);
    view.settings.titleText = std::string(20000, 't');
    return view.settingsText();
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
        {"data", [&](const std::string& p) { return view.writeDataFile(p, view.settingsText()); }},
        {"settings", [&](const std::string& p) { return view.saveSettingsFile(p); }},
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
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {   // no temporary file or copy left
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        EXPECT_EQ(entry.path().filename().string().find(".kelvra-"), std::string::npos) << entry.path();
    }
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

// A full disk on a file system without fallocate (ext2, NFSv3): an in-place
// save (of a hard-linked file here) runs out of room after it has begun to
// overwrite the old content. The old content is put back from its recovery
// copy, which the full folder could not take and the temporary folder did;
// the save says why, and nothing is left in either folder.
TEST(SaveSafety, AFullDiskWithoutFallocateLeavesTheOldContentOfAnInPlaceSave) {
    test::ScratchDir dir;
    const std::string root = fs::canonical(dir.path()), full = root + "/full", spare = root + "/spare";
    fs::create_directory(full);
    fs::create_directory(spare);
    const std::string old(500, 'o');   // shorter than every file written here
    const std::string cannotSaveData = "ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません", cannotCreate = "ﾌｧｲﾙを作成することが出来ません。";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"csv", "--write-data", cannotSaveData}, {"txt", "--write-settings", "設定ﾌｧｲﾙの保存が出来ません"},
        {"bmp", "-o", cannotCreate}, {"png", "-o", cannotCreate}, {"svg", "-o", cannotCreate},
        {"pdf", "-o", cannotCreate}, {"eps", "-o", cannotCreate},
    };
    for (const auto& [extension, option, message] : cases) {
        SCOPED_TRACE(extension);
        const std::string target = full + "/target." + extension, other = full + "/other-name." + extension;
        test::writeFile(target, old);
        ASSERT_EQ(link(target.c_str(), other.c_str()), 0);
        test::RenderRun r = renderWithShim({test::sourcePath("examples/surface.csv"), "--size", "64x48", option, target},
                                           root, {"KELVRA_SHIM_FULL=" + full + "/", "TMPDIR=" + spare});
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(std::string(": ") + std::strerror(ENOSPC) + ": " + message), std::string::npos) << r.err;
        EXPECT_TRUE(test::readFile(target) == old);
        EXPECT_EQ(entrySet(full), (std::set<std::string>{"target." + extension, "other-name." + extension}));
        EXPECT_TRUE(entries(spare).empty());
        fs::remove(target);
        fs::remove(other);
    }
}

// kelvra-render killed right after it wrote the new settings over the old
// ones of a hard-linked file, before it cut the file to the new size: the
// guardian of the save puts the old content back, removes its copy and lets
// go of the lock. The next save goes through.
TEST(SaveSafety, AKillBetweenWriteAndTruncateLeavesTheOldContent) {
    test::ScratchDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/target";
    fs::create_directory(folder);
    const std::string target = folder + "/settings.txt", old = longSettings();
    test::writeFile(target, old);
    ASSERT_EQ(link(target.c_str(), (folder + "/other-name.txt").c_str()), 0);
    const std::vector<std::string> args = {test::sourcePath("examples/surface.csv"), "--write-settings", target};
    test::RenderRun r = renderWithShim(args, dir.path(), {"KELVRA_SHIM_KILL=" + target});
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, -1) << "not killed: " << r.err;
    ASSERT_TRUE(waitForUnlocked(target));
    EXPECT_TRUE(test::readFile(target) == old);
    EXPECT_EQ(entrySet(folder), (std::set<std::string>{"settings.txt", "other-name.txt"}));

    r = test::runRender(args, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_LT(test::readFile(target).size(), old.size());
    EXPECT_EQ(test::readFile(folder + "/other-name.txt"), test::readFile(target));
}

// A second in-place save of a file waits for the first (which pauses after
// writing, before cutting the file to size), then writes all of its own:
// both succeed and the file is the second one's. A lock that is not let go
// within the wait fails the save with its reason and changes nothing.
TEST(SaveSafety, TwoInPlaceSavesOfOneFileTakeTurns) {
    test::ScratchDir dir;
    const std::string root = fs::canonical(dir.path()), target = root + "/c/settings.txt";
    for (const char* sub : {"a", "b", "c"}) fs::create_directory(root + "/" + sub);
    test::writeFile(target, "old");
    ASSERT_EQ(link(target.c_str(), (root + "/c/other-name.txt").c_str()), 0);
    {
        int holder = open(target.c_str(), O_RDONLY);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
        setLockWaitMilliseconds(100);
        EXPECT_EQ(save(target, "new"), std::pair(false, systemReason(kErrorTargetBusy)));
        setLockWaitMilliseconds(0);
        close(holder);
        EXPECT_EQ(test::readFile(target), "old");
    }

    const std::string surface = test::sourcePath("examples/surface.csv"), longer = root + "/long.txt";
    test::writeFile(longer, longSettings());
    test::RenderRun expected = test::runRender({surface, "--write-settings", root + "/b/expected.txt"}, root + "/b");
    if (expected.noGl()) GTEST_SKIP() << expected.err;
    auto first = std::async(std::launch::async, [&] {
        return renderWithShim({surface, "-s", longer, "--write-settings", target}, root + "/a",
                              {"KELVRA_SHIM_PAUSE=" + target, "KELVRA_SHIM_PAUSE_MS=1500"});
    });
    ASSERT_TRUE(waitUntil([&] { return test::readFile(target) != "old"; }, 20000));
    test::RenderRun second = test::runRender({surface, "--write-settings", target}, root + "/b");
    test::RenderRun firstRun = first.get();
    EXPECT_EQ(firstRun.status, 0) << firstRun.err;
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_TRUE(test::readFile(target) == test::readFile(root + "/b/expected.txt"));
    EXPECT_EQ(entrySet(root + "/c"), (std::set<std::string>{"settings.txt", "other-name.txt"}));
}

// A save killed half-way leaves nothing where the file system has unnamed
// files; where it has none, the named temporary it leaves is removed by the
// next save of the target, as is a recovery copy that an in-place save could
// not remove.
TEST(SaveSafety, ASaveKilledHalfWayLeavesNoTemporaryOrTheNextSaveRemovesIt) {
    test::ScratchDir dir;
    const std::string folder = fs::canonical(dir.path()).string() + "/t", target = folder + "/picture.bmp";
    fs::create_directory(folder);
    test::writeFile(target, "old");
    const std::vector<std::string> args = {test::sourcePath("examples/surface.csv"), "--size", "32x24", "-o", target};
    test::RenderRun r = renderWithShim(args, dir.path(), {"KELVRA_SHIM_KILL=" + folder + "/"});
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, -1) << "not killed: " << r.err;
    EXPECT_EQ(entrySet(folder), std::set<std::string>{"picture.bmp"});

    r = renderWithShim(args, dir.path(), {"KELVRA_SHIM_KILL=" + folder + "/", "KELVRA_SHIM_NO_TMPFILE=1"});
    EXPECT_EQ(r.status, -1) << "not killed: " << r.err;
    EXPECT_EQ(entries(folder).size(), 2u);
    EXPECT_EQ(test::readFile(target), "old");
    r = test::runRender(args, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(entrySet(folder), std::set<std::string>{"picture.bmp"});
    EXPECT_EQ(test::readFile(target).substr(0, 2), "BM");

    const std::string linked = folder + "/linked.txt";
    test::writeFile(linked, "old");
    ASSERT_EQ(link(linked.c_str(), (folder + "/other-name.txt").c_str()), 0);
    test::writeFile(linked + ".kelvra-recovery", "old");
    EXPECT_EQ(save(linked, "new"), std::pair(true, std::string()));
    EXPECT_EQ(entrySet(folder), (std::set<std::string>{"picture.bmp", "linked.txt", "other-name.txt"}));
}

}  // namespace
}  // namespace kelvra
