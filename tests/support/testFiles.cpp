#include "support/testFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/cp932.h"

namespace kelvra::test {

ScratchDir::ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "kelvra";
    for (char& c : name)
        if (c == '/') c = '_';
    std::filesystem::path base = std::filesystem::temp_directory_path() / "kelvra-tests";
    std::filesystem::create_directories(base);
    std::string pattern = (base / (name + ".XXXXXX")).string();
    char* made = mkdtemp(pattern.data());
    path_ = made ? made : pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    // Undo read-only folders a test made, so the removal can finish.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

int openAndWrite(const std::string& path, const std::string& bytes, bool append) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0644);
    EXPECT_GE(fd, 0) << path;
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size())) << path;
    return fd;
}

void writeInPlace(const std::string& path, const std::string& bytes, bool append) {
    ::close(openAndWrite(path, bytes, append));
}

void renameOver(const std::string& path, const std::string& bytes) {
    writeFile(path + ".new", bytes);
    EXPECT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0) << path;
}

std::string sourcePath(const std::string& relative) {
    return std::string(KELVRA_SOURCE_DIR) + "/" + relative;
}

void expectTrueAsUnprivilegedChild(const std::function<bool()>& check) {
    auto child = [&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        _exit(check() ? 0 : 1);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}

std::string cp932(const std::string& utf8) { return utf8ToCp932(utf8); }

std::string encodedText(const std::string& ascii, const std::string& encoding) {
    if (encoding == "utf-8") return "\xEF\xBB\xBF" + ascii;
    if (encoding != "utf-16") return ascii;
    std::string wide = "\xFF\xFE";
    for (char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

}  // namespace kelvra::test
