// Every input the fuzzers ever tripped over (tests/data/fuzz-regressions/, kept
// by fuzz/run.sh) and their seeds (fuzz/corpus/), through each of the three
// readers of outside files: the data file reader (load, then reload with the
// format kept), the settings file reader with its settings written back, and
// the launch-key reader. Each must finish, leave the view usable and not touch
// the file it read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/launch/launch.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> replayInputs() {
    std::vector<std::string> files;
    for (const char* folder : {"tests/data/fuzz-regressions", "fuzz/corpus/data", "fuzz/corpus/settings",
                               "fuzz/corpus/launch"}) {
        fs::path dir = test::sourcePath(folder);
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    return files;
}

TEST(FuzzRegression, EveryKeptInputPassesEveryReader) {
    std::vector<std::string> inputs = replayInputs();
    ASSERT_FALSE(inputs.empty());
    for (const std::string& path : inputs) {
        SCOPED_TRACE(path);
        const std::string before = test::readFile(path);
        HeadlessHost host;
        host.printMessages = false;
        CKelvraView view(host);
        if (view.loadDataFile(path, false)) {
            EXPECT_TRUE(view.loadDataFile(path, true));
        }
        EXPECT_LE(std::size_t(view.data.pointCount), view.data.storedPoints());

        HeadlessHost settingsHost;
        settingsHost.printMessages = false;
        CKelvraView settingsView(settingsHost);
        // Read, or (no line naming a settings key) refused with its message.
        const bool read = settingsView.loadSettingsFile(path);
        EXPECT_EQ(read, settingsHost.messages.empty());
        EXPECT_FALSE(settingsView.settingsText().empty());

        for (const char* key : {"Data_File_Name", "Setting_File_Name", "Image_File_Name", "Soft_On"})
            if (auto value = readLaunchKey(path, key)) (void)launchPathToFileName(*value);
        EXPECT_EQ(test::readFile(path), before);
    }
}

}  // namespace
}  // namespace kelvra
