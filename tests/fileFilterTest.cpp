// File dialog filters: extensions in any letter case, '*' and '?' as the
// dialogs use them, several patterns to a filter, and the filter of every file.
#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/fileFilter.h"

namespace kelvra {
namespace {

TEST(FileFilter, ExtensionsMatchInAnyCaseAndOnlyAsAWhole) {
    for (const char* name : {"data.csv", "DATA.CSV", "Data.Csv", "a.b.csv", ".csv"}) EXPECT_TRUE(fileNameMatches("*.csv", name)) << name;
    for (const char* name : {"data.csv.bak", "datacsv", "data.cs", "data.txt", "csv", ""})
        EXPECT_FALSE(fileNameMatches("*.csv", name)) << name;
    // Several patterns, blanks around them as labels write them.
    const char* images = "*.png; *.jpg;*.JPEG ;*.bmp";
    for (const char* name : {"a.PNG", "b.jpg", "c.jpeg", "d.Bmp"}) EXPECT_TRUE(fileNameMatches(images, name)) << name;
    EXPECT_FALSE(fileNameMatches(images, "e.gif"));
    EXPECT_FALSE(fileNameMatches(";;", "anything"));
}

TEST(FileFilter, QuestionMarkIsOneCharacterAndNonAsciiMatchesExactly) {
    EXPECT_TRUE(fileNameMatches("data?.csv", "data1.CSV"));
    EXPECT_TRUE(fileNameMatches("data?.csv", "dataé.csv"));    // é is two bytes, one character
    EXPECT_FALSE(fileNameMatches("data?.csv", "data12.csv"));
    EXPECT_TRUE(fileNameMatches("*あ*", "xあy"));
    EXPECT_FALSE(fileNameMatches("*あ*", "xアy"));
    EXPECT_TRUE(fileNameMatches("*a*b*c", "xxaxxbxxbxc"));   // the '*' gives back what the rest needs
}

TEST(FileFilter, TheLastFilterTakesEveryFileWithOrWithoutAnExtension) {
    FileFilter all = allFilesFilter();
    EXPECT_EQ(cp932ToUtf8(all.first), "すべてのﾌｧｲﾙ (*)");
    for (const char* name : {"README", "data.csv", "UPPER.CSV", ".hidden", "名前"}) EXPECT_TRUE(fileNameMatches(all.second, name)) << name;
}

}  // namespace
}  // namespace kelvra
