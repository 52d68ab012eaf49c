// File > 自動再読み込み driven as a user would: the toolbar button turns it
// on, another program rewrites the data file (renamed over, then in place)
// and the window shows the new picture and the time in the message pane
// without a key press, keeping the user's look; a file written half, left a
// while and finished is never shown half; a drag is not interrupted; the
// button turns it off again.

#include <cstdio>
#include <regex>

#include <gtk/gtk.h>
#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include "app/gui/commands.h"
#include "app/gui/guiText.h"
#include "app/gui/liveReload.h"
// Last: it brings in Xlib.
#include "mainWindowFixture.h"

namespace kelvra {
namespace {

using test::gridFile;
using test::MainWindow;
using test::pumpUntil;
using test::writeInPlace;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

// A grid like gridFile, Z = (size - 1 - r) * c: the same extent, another picture.
std::string mirroredGrid(int size) {
    std::string text = gridFile(size);
    std::string out = text.substr(0, text.find("\r\n,") + 2);
    for (int c = 0; c < size; ++c) out += "," + std::to_string(c);
    out += "\r\n";
    for (int r = 0; r < size; ++r) {
        out += std::to_string(r);
        for (int c = 0; c < size; ++c) out += "," + std::to_string((size - 1 - r) * c);
        out += "\r\n";
    }
    return out;
}

class LiveReloadWindow : public MainWindow {
protected:
    std::string shownText() { return pane(0).utf8_string(); }
    bool reloadedMessage() { return std::regex_match(shownText(), std::regex("\\d\\d:\\d\\d:\\d\\d 再読み込み")); }
    std::vector<test::Pixel> picture() { return test::windowPicture(*frame->canvas(), frame->canvas()->clientSize()); }
    // Z at the far corner of the grid: tells the two data sets apart.
    double cornerZ() {
        const GraphData& d = frame->view().data;
        return d.gridPointAt(0, d.columnCount - 1)[2];
    }
    // Clicks the toolbar's button of the command, as a user would. wx cannot
    // say where a button is on GTK; GTK's toolbar can.
    void clickTool(int id) {
        wxToolBar* tools = frame->GetToolBar();
        GtkWidget* bar = static_cast<GtkWidget*>(tools->GetHandle());
        while (bar && !GTK_IS_TOOLBAR(bar) && GTK_IS_BIN(bar)) bar = gtk_bin_get_child(GTK_BIN(bar));
        ASSERT_TRUE(bar && GTK_IS_TOOLBAR(bar));
        GtkToolItem* item = gtk_toolbar_get_nth_item(GTK_TOOLBAR(bar), tools->GetToolPos(wxIdOf(id)));
        ASSERT_TRUE(item) << "no button of command " << id;
        GtkAllocation area;
        gtk_widget_get_allocation(GTK_WIDGET(item), &area);
        int x = 0, y = 0;
        ASSERT_TRUE(gtk_widget_translate_coordinates(GTK_WIDGET(item), bar, area.width / 2, area.height / 2, &x, &y));
        wxUIActionSimulator sim;
        sim.MouseMove(tools->ClientToScreen(wxPoint(x, y)));
        test::pumpFor(100);
        sim.MouseClick();
    }
};

TEST_F(LiveReloadWindow, TheButtonTurnsItOnAndRewritesAreShownWithTheTimeAndTheLookKept) {
    GUI_TEST_REQUIRE_DISPLAY();
    const std::string data = openGrid("live.csv", 20);
    wxToolBar* tools = frame->GetToolBar();
    wxMenuItem* item = frame->GetMenuBar()->FindItem(wxIdOf(IdFileAutoReload));
    ASSERT_TRUE(item && item->IsCheckable());
    EXPECT_FALSE(item->IsChecked());   // off at start
    EXPECT_FALSE(tools->GetToolState(wxIdOf(IdFileAutoReload)));

    frame->view().settings.viewAngleZ = 300;   // the user's own look, which a reload keeps
    frame->view().showPanes(ChangeView);
    frame->canvas()->Refresh();
    clickTool(IdFileAutoReload);
    ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->liveReload().on(); }, 3000));
    ASSERT_TRUE(pumpUntil([&] { return tools->GetToolState(wxIdOf(IdFileAutoReload)) && item->IsChecked(); }, 3000));
    test::pumpFor(200);
    const std::vector<test::Pixel> before = picture();
    const double firstCorner = cornerZ();

    // Renamed over by another program: shown, with the time, and nothing asked.
    test::renameOver(data, mirroredGrid(20));
    ASSERT_TRUE(pumpUntil([&] { return cornerZ() != firstCorner && reloadedMessage(); }, 5000)) << shownText();
    ASSERT_TRUE(pumpUntil([&] { return picture() != before; }, 3000)) << "the new data is not on the screen";
    EXPECT_EQ(frame->view().settings.viewAngleZ, 300);

    // Written in place with the first data again: the first picture again.
    writeInPlace(data, gridFile(20));
    ASSERT_TRUE(pumpUntil([&] { return cornerZ() == firstCorner; }, 5000)) << shownText();
    EXPECT_TRUE(pumpUntil([&] { return picture() == before; }, 3000)) << "not the picture of the same data and look";
    test::saveScreenshot(frame->GetScreenRect(), "live-reload.png");

    // Deleted: the picture stays and the pane says so; back under its name: shown.
    ASSERT_EQ(std::remove(data.c_str()), 0);
    ASSERT_TRUE(pumpUntil([&] { return shownText().find("live.csv がありません") != std::string::npos; }, 3000))
        << shownText();
    EXPECT_TRUE(frame->view().data.dataLoaded);
    test::writeFile(data, mirroredGrid(20));
    ASSERT_TRUE(pumpUntil([&] { return cornerZ() != firstCorner && reloadedMessage(); }, 5000)) << shownText();
    EXPECT_TRUE(messages.empty()) << messages.front();

    clickTool(IdFileAutoReload);
    ASSERT_TRUE(pumpUntil([&] { return !frame->canvas()->liveReload().on(); }, 3000));
    writeInPlace(data, gridFile(20));
    test::pumpFor(500);
    EXPECT_NE(cornerZ(), firstCorner) << "a reload while it is off";
}

TEST_F(LiveReloadWindow, AFileWrittenHalfAndFinishedLaterIsNeverShownHalf) {
    GUI_TEST_REQUIRE_DISPLAY();
    const std::string data = openGrid("growing.csv", 30);
    ASSERT_TRUE(frame->runCommand(IdFileAutoReload));
    const double firstCorner = cornerZ();
    const std::string next = mirroredGrid(30);
    // The writer saves the first half and closes the file, stops a while, and
    // then adds the rest.
    writeInPlace(data, next.substr(0, next.size() / 2));
    bool halfShown = false;
    auto watchRows = [&] {
        halfShown = halfShown || frame->view().data.rowCount != 30;
        return false;
    };
    pumpUntil(watchRows, 700);
    EXPECT_EQ(cornerZ(), firstCorner);
    EXPECT_NE(shownText().find("書き込みの終わりを待っています"), std::string::npos) << shownText();
    writeInPlace(data, next.substr(next.size() / 2), /*append=*/true);
    ASSERT_TRUE(pumpUntil([&] {
        watchRows();
        return cornerZ() != firstCorner;
    }, 5000)) << shownText();
    EXPECT_FALSE(halfShown);
    EXPECT_TRUE(reloadedMessage()) << shownText();
}

TEST_F(LiveReloadWindow, ALoadWaitsForTheDragInProgress) {
    GUI_TEST_REQUIRE_DISPLAY();
    const std::string data = openGrid("drag.csv", 20);
    ASSERT_TRUE(frame->runCommand(IdFileAutoReload));
    const double firstCorner = cornerZ();
    wxUIActionSimulator sim;
    sim.MouseMove(pointInView(200, 150));
    test::pumpFor(100);
    sim.MouseDown();
    ASSERT_TRUE(pumpUntil([&] { return frame->view().state.dragging; }, 3000));
    test::writeFile(data, mirroredGrid(20));
    // Moving every 60 ms for a second: no load comes between.
    for (int i = 1; i <= 16; ++i) {
        sim.MouseMove(pointInView(200 + 2 * i, 150));
        test::pumpFor(60);
        EXPECT_EQ(cornerZ(), firstCorner) << "a load in the middle of a drag, " << i * 60 << " ms";
    }
    sim.MouseUp();
    EXPECT_TRUE(pumpUntil([&] { return cornerZ() != firstCorner; }, 3000));
}

}  // namespace
}  // namespace kelvra
