// Outside text that is not a plain CP932 file on disk. Pipes, FIFOs and
// character devices are read to their end within a limit, and nothing waits
// without end for a FIFO nobody writes to. Text in UTF-8 or UTF-16 with a
// byte-order mark, or with lone CR line ends, reads in every reader (data,
// settings, launch and dropped files) as the CP932 file that says the same.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/launch/launch.h"
#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "base/textInput.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;

// A data file of a 2 x 2 grid with a settings section: a title with
// characters CP932 has and two it has not, and a zoom.
const std::string kSettingsUtf8 = "[グラフタイトル]\r\n タイトル  = 温度①～ é😀\r\n[表示の設定]\r\n 倍率       = 250\r\n";
const std::string kDataUtf8 = "ﾃﾞｰﾀ形式,2\r\nKelvra ver.1.52\r\n\r\n0,0,1\r\n1,0,2\r\n0,1,3\r\n1,1,4\r\n" + kSettingsUtf8;
const std::string kTitle = "温度①～ ??";

std::string iconvTo(const char* encoding, const std::string& utf8) {
    iconv_t cd = iconv_open(encoding, "UTF-8");
    std::string out(utf8.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* o = out.data();
    size_t inLeft = utf8.size(), outLeft = out.size();
    iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string crOnly(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) out += text[i];
    return out;
}

// The same text as spreadsheets and editors write it.
std::vector<std::pair<std::string, std::string>> encodings(const std::string& utf8) {
    return {
        {"CP932", cp932(utf8)},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + utf8},
        {"UTF-16LE with a mark", "\xFF\xFE" + iconvTo("UTF-16LE", utf8)},
        {"UTF-16BE with a mark", "\xFE\xFF" + iconvTo("UTF-16BE", utf8)},
        {"CP932, lone CR line ends", crOnly(cp932(utf8))},
        {"UTF-8 with a mark, lone CR line ends", "\xEF\xBB\xBF" + crOnly(utf8)},
        {"UTF-16LE with a mark, lone CR line ends", "\xFF\xFE" + iconvTo("UTF-16LE", crOnly(utf8))},
    };
}

TEST(InputEncodings, EveryReaderTakesMarkedUnicodeAndLoneCrsAsTheCp932File) {
    test::ScratchDir dir;
    const std::string data = dir.file("データ.csv"), settings = dir.file("settings.txt"), launch = dir.file("launch.txt");
    const std::string launchUtf8 = "[Kelvra]\r\nData_File_Name=" + data + "\r\nSoft_On=NO\r\n";
    const auto dataTexts = encodings(kDataUtf8), settingsTexts = encodings(kSettingsUtf8),
               launchTexts = encodings(launchUtf8);
    for (std::size_t i = 0; i < dataTexts.size(); ++i) {
        SCOPED_TRACE(dataTexts[i].first);
        test::writeFile(data, dataTexts[i].second);
        test::writeFile(settings, settingsTexts[i].second);
        test::writeFile(launch, launchTexts[i].second);
        HeadlessHost host;
        host.printMessages = false;
        CKelvraView view(host), fromSettings(host);
        ASSERT_TRUE(view.loadDataFile(data, false));
        EXPECT_EQ(std::tuple(view.data.dataKind, view.data.rowCount, view.data.columnCount, view.data.pointAt(3)[2]), std::tuple(Grid, 2, 2, 4.0));
        EXPECT_EQ(std::tuple(cp932ToUtf8(view.settings.titleText), view.settings.viewZoom), std::tuple(kTitle, 250));
        ASSERT_TRUE(fromSettings.loadSettingsFile(settings));
        EXPECT_EQ(std::tuple(cp932ToUtf8(fromSettings.settings.titleText), fromSettings.settings.viewZoom), std::tuple(kTitle, 250));
        EXPECT_EQ(classifyDroppedFile(settings), DroppedFileKind::SettingsFile);
        EXPECT_EQ(startupKindOf(readTextFile(launch)), StartupFileKind::LaunchFile);
        auto value = readLaunchKey(launch, "Data_File_Name");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(launchPathToFileName(*value), data);
        EXPECT_EQ(readLaunchKey(launch, "Soft_On"), "NO");
        EXPECT_TRUE(host.messages.empty());
    }
}

// A FIFO whose writer holds it open in silence longer than the wait for a
// writer; then one that no program opens; then an anonymous pipe (what
// process substitution names) whose writer left without a byte, which is an
// empty file at once, not a wait.
TEST(InputKinds, FifosAndPipesAreReadToTheirEndAndAFifoNobodyWritesIsNotWaitedForLong) {
    test::ScratchDir dir;
    setFifoWaitMilliseconds(200);
    const std::string fifo = dir.file("fifo.csv"), text = cp932(kDataUtf8);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    std::thread writer([&] {
        int fd = open(fifo.c_str(), O_WRONLY);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
        close(fd);
    });
    EXPECT_TRUE(view.loadDataFile(fifo, false));
    writer.join();
    EXPECT_EQ(std::tuple(view.data.pointCount, view.settings.viewZoom), std::tuple(4, 250));

    EXPECT_FALSE(view.loadDataFile(fifo, false));
    // Said as what it is: no spreadsheet program holds a FIFO.
    EXPECT_EQ(host.messages, std::vector{cp932("fifo.csv を開くことが出来ません。")});
    EXPECT_EQ(host.reasons, std::vector{cp932("0.2 秒待っても、書き込むﾌﾟﾛｸﾞﾗﾑが開きませんでした")});
    EXPECT_EQ(view.data.pointCount, 4);   // the data before stays

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[1]);
    EXPECT_TRUE(view.loadDataFile("/dev/fd/" + std::to_string(ends[0]), false));
    EXPECT_EQ(view.data.pointCount, 0);
    close(ends[0]);
    setFifoWaitMilliseconds(0);
}

// Inputs of unknown size stop at the limit with the out-of-memory message and
// its reason; a regular file larger than that limit still reads whole.
TEST(InputKinds, EndlessDevicesStopAtTheLimitAndRegularFilesDoNot) {
    test::ScratchDir dir;
    setUnsizedReadLimit(1 << 20);
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    EXPECT_FALSE(view.loadDataFile("/dev/zero", false));
    EXPECT_FALSE(view.loadSettingsFile("/dev/urandom"));
    EXPECT_EQ(readLaunchKey("/dev/zero", ""), std::nullopt);
    EXPECT_EQ(host.messages, std::vector(2, cp932("メモリー不足です")));
    EXPECT_EQ(host.reasons, std::vector(2, systemReason(EFBIG)));

    std::string big = cp932("ﾃﾞｰﾀ形式,2\r\n\r\n\r\n");
    while (big.size() < (3u << 20)) big += "1,2,3\r\n";
    test::writeFile(dir.file("big.csv"), big);
    EXPECT_TRUE(view.loadDataFile(dir.file("big.csv"), false));
    EXPECT_GT(view.data.pointCount, 400000);
    EXPECT_TRUE(view.loadDataFile("/dev/null", false));   // an empty file
    setUnsizedReadLimit(0);
}

}  // namespace
}  // namespace kelvra
