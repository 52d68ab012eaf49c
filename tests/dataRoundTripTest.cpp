// Saved data files read back: for every layout, a data set saved with its
// settings and opened again gives the same data (to the seven significant
// digits of "%e") and the same settings; and the files kelvra-render writes
// with --write-settings and --write-data reopen to what it had loaded.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/cp932.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;
using test::readFile;
using test::ScratchDir;
using test::sourcePath;

struct ViewFixture {
    HeadlessHost host;
    CKelvraView view{host};
    ViewFixture() { host.printMessages = false; }
};

// The data set a reader of `format` leaves: grids of 4 columns and 3 rows,
// lists of 5 points (formats 2 and 3 sorted by Y, then X, as read).
void setData(CKelvraView& v, int format) {
    static const int vppOf[8] = {3, 3, 3, 4, 3, 6, 7, 4};
    v.dataFormat = format;
    v.valuesPerPoint = vppOf[format];
    bool grid = format == 1 || format == 4 || format == 2 || format == 3;
    v.dataKind = grid ? Grid : format == 7 ? PointValues : Vectors;
    v.columnCount = grid ? 4 : 0;
    v.rowCount = grid ? 3 : 0;
    v.pointCount = grid ? 12 : 5;
    ASSERT_TRUE(v.pointValues.allocate(std::size_t(v.pointCount) * v.valuesPerPoint));
    for (auto& r : v.valueRange) r.reset();
    for (int p = 0; p < v.pointCount; ++p) {
        double* q = v.point(std::size_t(p));
        if (grid) {
            q[0] = -1.5 + 0.25 * (p % 4);   // exact in binary: a stepped grid reproduces it
            q[1] = 10.0 + 2.0 * (p / 4);
        } else {
            q[0] = 0.1 * p - 0.3;
            q[1] = 1e-3 * (7 - p);
        }
        for (int i = 2; i < v.valuesPerPoint; ++i) q[i] = std::sin(p * 1.7 + i) * std::pow(10.0, i - 3);
        for (int i = 0; i < 3; ++i) {
            ValueRange& r = v.valueRange[i];
            r.min = std::min(r.min, q[i]);
            r.max = std::max(r.max, q[i]);
        }
    }
    if (v.valuesPerPoint >= 4) {
        ValueRange& r = v.valueRange[RangeData];
        for (int p = 0; p < v.pointCount; ++p) {
            double d = v.point(std::size_t(p))[v.valuesPerPoint - 1];
            r.min = std::min(r.min, d);
            r.max = std::max(r.max, d);
        }
    }
    v.dataLoaded = true;
}

// Settings that differ from a fresh record and that a load keeps.
void setLook(CKelvraView& v) {
    v.titleText = cp932("往復の試験 ①");
    v.viewZoom = 140;
    v.viewAngleZ = 200;
    v.windowWidth = 900;
    v.scaleLabel[2] = cp932("高さ");
    v.scaleUnit[3] = cp932("℃");
    v.legendColors[4] = {0.125, 0.25, 0.5};
    v.fontSize[0] = 24;
    v.scaleAuto[0] = 1;
    // What a load does to the record before the file's settings are compared.
    v.layoutAnchoredOverlays();
    v.recomputeScales(true);
}

bool closeEnough(double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(std::abs(a), std::abs(b)) + 1e-300; }

void expectSameData(const CKelvraView& a, const CKelvraView& b, int format) {
    ASSERT_EQ(a.dataFormat, b.dataFormat) << "format " << format;
    ASSERT_EQ(a.valuesPerPoint, b.valuesPerPoint) << "format " << format;
    ASSERT_EQ(a.dataKind, b.dataKind) << "format " << format;
    ASSERT_EQ(a.pointCount == 0 ? a.rowCount * a.columnCount : a.pointCount,
              b.pointCount == 0 ? b.rowCount * b.columnCount : b.pointCount)
        << "format " << format;
    if (a.dataKind == Grid) {
        EXPECT_EQ(a.columnCount, b.columnCount) << "format " << format;
        EXPECT_EQ(a.rowCount, b.rowCount) << "format " << format;
    }
    int points = a.dataKind == Grid ? a.rowCount * a.columnCount : a.pointCount;
    for (int p = 0; p < points; ++p)
        for (int i = 0; i < a.valuesPerPoint; ++i)
            EXPECT_PRED2(closeEnough, a.point(std::size_t(p))[i], b.point(std::size_t(p))[i])
                << "format " << format << " point " << p << " value " << i;
}

TEST(DataRoundTrip, EveryLayoutReopensWithTheSameDataAndSettings) {
    for (int format = 1; format <= 7; ++format) {
        ScratchDir dir;
        ViewFixture saved;
        setData(saved.view, format);
        setLook(saved.view);
        std::string path = dir.file("saved" + std::to_string(format) + ".csv");
        ASSERT_EQ(saved.view.writeDataFile(path, saved.view.settingsText()), 0) << format;

        ViewFixture opened;
        ASSERT_TRUE(opened.view.loadDataFile(path, false)) << format;
        expectSameData(saved.view, opened.view, format);
        EXPECT_EQ(cp932ToUtf8(opened.view.settingsText()), cp932ToUtf8(saved.view.settingsText())) << format;
        EXPECT_EQ(opened.view.dataFileTitle, "saved" + std::to_string(format) + ".csv");

        // And saved again from what was opened, the file is the same.
        std::string again = dir.file("again.csv");
        ASSERT_EQ(opened.view.writeDataFile(again, opened.view.settingsText()), 0) << format;
        EXPECT_EQ(readFile(again), readFile(path)) << format;
    }
}

TEST(DataRoundTrip, UnknownFormatNumberReopensAsAColumnGrid) {
    ScratchDir dir;
    ViewFixture saved;
    setData(saved.view, 1);
    saved.view.dataFormat = 9;
    ASSERT_EQ(saved.view.writeDataFile(dir.file("nine.csv"), saved.view.settingsText()), 0);
    ViewFixture opened;
    ASSERT_TRUE(opened.view.loadDataFile(dir.file("nine.csv"), false));
    expectSameData(saved.view, opened.view, 1);
}

// ---- kelvra-render ----------------------------------------------------------------------

// A path as one shell word.
std::string q(const std::string& path) {
    std::string out = " '";
    out += path;
    out += "'";
    return out;
}

int runRender(const std::string& arguments) {
    std::string command = "'";
    command += KELVRA_RENDER_PATH;
    command += "' " + arguments + " 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(RenderWrites, SettingsAndDataFilesReopenToWhatWasLoaded) {
    ScratchDir dir;
    std::string data = sourcePath("examples/surface.csv");
    std::string settings = sourcePath("examples/surface-settings.txt");
    ASSERT_EQ(runRender(q(data) + " -s" + q(settings) + " --write-settings" + q(dir.file("s.txt")) +
                        " --write-data" + q(dir.file("d.csv"))),
              0);

    // What kelvra-render had: the example and its settings.
    ViewFixture loaded;
    ASSERT_TRUE(loaded.view.loadDataFile(data, false));
    ASSERT_EQ(loaded.view.loadSettingsFile(settings, 2500), 1);
    EXPECT_EQ(loaded.view.graphType, 8);

    ViewFixture fromData;
    ASSERT_TRUE(fromData.view.loadDataFile(dir.file("d.csv"), false));
    expectSameData(loaded.view, fromData.view, 1);
    EXPECT_EQ(cp932ToUtf8(fromData.view.settingsText()), cp932ToUtf8(loaded.view.settingsText()));

    ViewFixture fromSettings;
    ASSERT_TRUE(fromSettings.view.loadDataFile(data, false));
    ASSERT_EQ(fromSettings.view.loadSettingsFile(dir.file("s.txt"), 2500), 1);
    EXPECT_EQ(cp932ToUtf8(fromSettings.view.settingsText()), cp932ToUtf8(loaded.view.settingsText()));
}

TEST(RenderWrites, FailedWriteGivesANonZeroExitStatus) {
    ScratchDir dir;
    std::string data = sourcePath("examples/surface.csv");
    EXPECT_NE(runRender(q(data) + " --write-settings" + q(dir.file("missing/s.txt"))), 0);
    EXPECT_NE(runRender(q(data) + " --write-data" + q(dir.path())), 0);
}

TEST(RenderWrites, LaunchFileRunsAndTheOptionsActAfterIt) {
    ScratchDir dir;
    std::string launch = "[Kelvra]\nData_File_Name=" + sourcePath("examples/surface.csv") +
                         "\nSetting_File_Name=" + sourcePath("examples/surface-settings.txt") + "\nSoft_On=NO\n";
    test::writeFile(dir.file("launch.txt"), launch);
    ASSERT_EQ(runRender(q(dir.file("launch.txt")) + " --write-settings" + q(dir.file("s.txt"))), 0);
    ViewFixture f;
    ASSERT_EQ(f.view.loadSettingsFile(dir.file("s.txt"), 2500), 1);
    EXPECT_EQ(f.view.graphType, 8);
    EXPECT_EQ(f.view.xyContourMode, 5);
}

}  // namespace
}  // namespace kelvra
