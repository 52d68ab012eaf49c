// Every writer of the program goes through the safe writer: a save that fails
// half-way (a write error injected after n bytes, as a full disk would give)
// reports the failure and leaves the previous file byte for byte, with no
// temporary file beside it; with the fault gone the same save succeeds.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "core/fileIo.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
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

}  // namespace
}  // namespace kelvra
