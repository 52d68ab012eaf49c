// Picking in the desktop program, driven as a user would: pick mode from its
// command, real clicks (wx's input simulator, which goes through XTEST) at the
// pixel where the camera shows a point, the "選択ﾃﾞｰﾀ" window's text and
// place, the marker as the screen shows it, its buttons clicked, and the
// copied text read back from the clipboard by another program (xclip).
//
// With KELVRA_GUI_SHOTS set to a folder, the screen is saved there as PNG
// after each pick, for looking at.
#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "app/gui/commands.h"
#include "app/gui/guiText.h"
#include "app/gui/mainFrame.h"
#include "app/gui/selectedDataDlg.h"
#include "base/cp932.h"
#include "support/camera.h"
#include "support/testFiles.h"
// Last: it brings in Xlib.
#include "guiTestSupport.h"

namespace kelvra {
namespace {

using test::pumpUntil;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

const test::Pixel kCyan{0, 204, 204};

// Format 1: the X of each column, then per row its Y and the Z values.
std::string gridFile(const std::vector<double>& xs, const std::vector<double>& ys,
                     const std::function<double(double, double)>& z) {
    std::string text = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    for (double x : xs) text += "," + std::to_string(x);
    text += "\r\n";
    for (double y : ys) {
        text += std::to_string(y);
        for (double x : xs) text += "," + std::to_string(z(x, y));
        text += "\r\n";
    }
    return text;
}

// A hill over 8 x 6 points, coarse enough that a pick box holds one point.
std::string surfaceFile() {
    return gridFile({0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 2, 3, 4, 5},
                    [](double x, double y) { return 2 + 1.5 * std::sin(x * 0.6) * std::cos((y - 2) * 0.5); });
}

class PickWindow : public ::testing::Test {
protected:
    void TearDown() override {
        if (frame) {
            frame->Destroy();
            test::pumpFor(50);
        }
    }
    // The main window on `data`, in pick mode.
    void openInPickMode(const std::string& data) {
        frame = new CMainFrame(data);
        frame->hooks.message = [this](const std::string& m) { messages.push_back(cp932ToUtf8(m)); };
        frame->SetPosition(wxPoint(0, 0));
        frame->Show();
        ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->startupFinished(); }));
        ASSERT_TRUE(view().data.dataLoaded);
        ASSERT_TRUE(frame->isCommandEnabled(IdModePick));
        ASSERT_TRUE(frame->runCommand(IdModePick));
        ASSERT_TRUE(pumpUntil([&] { return frame->GetToolBar()->GetToolState(wxIdOf(IdModePick)); }, 3000));
        EXPECT_FALSE(frame->GetToolBar()->GetToolState(wxIdOf(IdModeRotate)));
        test::pumpFor(100);
    }
    CKelvraView& view() { return frame->view(); }
    CSelectedDataDlg& window() { return *frame->canvas()->selectedDataWindow(); }
    wxString shownText() { return window().textBox()->GetValue(); }
    PixelSize client() { return frame->canvas()->clientSize(); }
    test::ClientPoint pointOf(std::size_t p) {
        const PointRecord v = view().data.pointAt(p);
        return test::clientPointOf(view(), client(), v);
    }
    wxPoint screenOf(test::ClientPoint p) { return frame->canvas()->ClientToScreen(wxPoint(p.px(), p.py())); }

    // A left click at a client point; waits until the view has had it.
    void click(test::ClientPoint p) {
        wxUIActionSimulator sim;
        sim.MouseMove(screenOf(p));
        test::pumpFor(50);
        sim.MouseClick();
        test::pumpFor(200);
    }
    // Clicks point p and waits for its line to show at the end of the window's text.
    void pick(std::size_t p, const std::string& lastLine) {
        click(pointOf(p));
        ASSERT_TRUE(pumpUntil([&] { return window().IsShown() && shownText().EndsWith(ui(lastLine.c_str())); }, 3000))
            << "point " << p << " shows: " << shownText();
        test::pumpFor(100);   // the repaint with the marker
    }
    // Cyan pixels the screen shows within `reach` of a client point.
    int cyanAround(test::ClientPoint p, int reach = 9) {
        PixelSize size = client();
        std::vector<test::Pixel> shown = test::windowPicture(*frame->canvas(), size);
        int n = 0;
        for (int y = std::max(0, p.py() - reach); y <= std::min(size.height - 1, p.py() + reach); ++y)
            for (int x = std::max(0, p.px() - reach); x <= std::min(size.width - 1, p.px() + reach); ++x)
                n += shown[std::size_t(y) * size.width + x] == kCyan;
        return n;
    }
    int cyanAnywhere() {
        int n = 0;
        for (const test::Pixel& p : test::windowPicture(*frame->canvas(), client())) n += p == kCyan;
        return n;
    }
    // Moves the selected-data window off the view, as a user would drag it aside.
    void moveWindowAside() {
        window().Move(820, 40);
        ASSERT_TRUE(pumpUntil([&] { return window().GetScreenPosition() == wxPoint(820, 40); }, 3000));
        test::pumpFor(200);   // the view repaints what the window covered
    }
    void clickButton(wxButton* button) {
        wxUIActionSimulator sim;
        sim.MouseMove(button->GetScreenRect().GetPosition() + button->GetSize() / 2);
        test::pumpFor(50);
        sim.MouseClick();
        test::pumpFor(200);
    }
    // What another program pastes: the clipboard's UTF-8 text, read by xclip
    // while this program serves it.
    std::string pastedText() {
        std::string out = dir.file("pasted.txt");
        std::remove(out.c_str());
        test::Process xclip =
            test::startProgram({"/bin/sh", "-c", "xclip -o -selection clipboard -t UTF8_STRING > '" + out + "'"});
        test::ProgramGuard guard{xclip};
        EXPECT_TRUE(pumpUntil([&] { return test::waitForExit(xclip, 0); }, 5000));
        return test::readFile(out);
    }
    void screenshot(const std::string& name) {
        const char* folder = std::getenv("KELVRA_GUI_SHOTS");
        if (!folder) return;
        test::pumpFor(300);
        // xwd -root shows a top-level window that overlaps another one as
        // black on this server; import reads what is on the screen.
        std::string command = "import -window root '" + std::string(folder) + "/" + name + ".png'";
        if (std::system(command.c_str()) != 0) ADD_FAILURE() << "screenshot failed: " << command;
    }

    CMainFrame* frame = nullptr;
    std::vector<std::string> messages;
    test::ScratchDir dir;
};

// A surface: first the window opens at the view's corner with the point's
// line, then it stays where the user put it; a second pick comes after a
// blank line; a click on empty space changes nothing; a turn hides the marker
// and keeps the text; the buttons copy and clear.
TEST_F(PickWindow, PicksOnASurfaceCollectInTheWindowUntilCleared) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = dir.file("surface.csv");
    test::writeFile(data, surfaceFile());
    openInPickMode(data);
    ASSERT_EQ(view().settings.graphType, 0);   // the colour contour fill
    ASSERT_EQ(view().settings.displayMode, Display3D);
    const int columns = view().data.columnCount;
    const std::size_t first = std::size_t(1) * columns + 6;   // in front, right of the middle
    const std::size_t second = std::size_t(3) * columns + 3;
    auto line = [&](std::size_t p) {
        const PointRecord v = view().data.pointAt(p);
        return "X = " + formatValue(view().settings, v[0], 0).text + "  Y = " + formatValue(view().settings, v[1], 1).text +
               "  Z = " + formatValue(view().settings, v[2], 2).text;
    };
    EXPECT_FALSE(window().IsShown());
    int cyanBefore = cyanAround(pointOf(first));

    pick(first, line(first));
    EXPECT_EQ(shownText(), ui(line(first).c_str()));
    EXPECT_EQ(window().GetTitle(), ui("選択ﾃﾞｰﾀ"));
    EXPECT_EQ(window().GetScreenPosition(), frame->canvas()->ClientToScreen(wxPoint(0, 0)));
    EXPECT_TRUE(window().textBox()->IsEditable() == false);
    EXPECT_GT(cyanAround(pointOf(first)), cyanBefore + 10);
    screenshot("pick-surface-first");

    moveWindowAside();
    screenshot("pick-surface");
    pick(second, line(second));
    EXPECT_EQ(shownText(), ui((line(first) + "\n\n" + line(second)).c_str()));
    EXPECT_EQ(window().GetScreenPosition(), wxPoint(820, 40));
    EXPECT_EQ(window().textBox()->GetInsertionPoint(), window().textBox()->GetLastPosition());
    int marked = cyanAround(pointOf(second));
    EXPECT_GT(marked, 10);
    EXPECT_LE(cyanAround(pointOf(first)), cyanBefore);   // one marker: the old one went

    // Empty space, far from the graph: nothing changes.
    click({double(client().width - 6), double(client().height - 6)});
    EXPECT_EQ(shownText(), ui((line(first) + "\n\n" + line(second)).c_str()));
    EXPECT_EQ(cyanAround(pointOf(second)), marked);
    EXPECT_TRUE(messages.empty());

    // The copy button: the text with a line break at its end, CR LF as the window holds it.
    clickButton(window().copyButton());
    const std::string copied = line(first) + "\r\n\r\n" + line(second) + "\r\n";
    EXPECT_EQ(pastedText(), copied);

    // Turning the graph hides the marker; the text stays.
    ASSERT_TRUE(frame->runCommand(IdModeRotate));
    wxUIActionSimulator sim;
    sim.MouseMove(screenOf({300, 200}));
    test::pumpFor(50);
    sim.MouseDown();
    for (int x = 300; x <= 340; x += 10) {
        sim.MouseMove(screenOf({double(x), 200}));
        test::pumpFor(20);
    }
    sim.MouseUp();
    ASSERT_TRUE(pumpUntil([&] { return !view().state.pickMarkersShown && !view().state.dragging; }, 3000));
    test::pumpFor(200);
    EXPECT_LE(cyanAnywhere(), cyanBefore * 4);
    EXPECT_TRUE(window().IsShown());
    EXPECT_EQ(view().state.selectedText.text, line(first) + "\r\n\r\n" + line(second));

    // "削除" empties the window; copying nothing leaves the clipboard as it was.
    clickButton(window().clearButton());
    EXPECT_TRUE(shownText().empty());
    EXPECT_TRUE(view().state.selectedText.text.empty());
    clickButton(window().copyButton());
    EXPECT_EQ(pastedText(), copied);
    // After a clear the next pick starts the text afresh, without a blank line.
    ASSERT_TRUE(frame->runCommand(IdModePick));
    pick(second, line(second));
    EXPECT_EQ(shownText(), ui(line(second).c_str()));

    // More lines than the window shows: it keeps the last one in sight.
    for (int i = 0; i < 6; ++i) pick(first, line(first));
    wxTextCtrl* box = window().textBox();
    ASSERT_TRUE(pumpUntil([&] {
        wxPoint last = box->PositionToCoords(box->GetLastPosition()), top = box->PositionToCoords(0);
        return top.y < 0 && last.y >= 0 && last.y < box->GetClientSize().y;
    }, 3000)) << "the last line is not in sight";
    screenshot("pick-surface-many");
    EXPECT_TRUE(messages.empty());
}

// The 2-D display with X reversed and Y logarithmic, set by a dropped settings
// file: every point is found where the screen shows it.
TEST_F(PickWindow, TwoDimensionalPicksOnAReversedAndALogAxis) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = dir.file("grid.csv"), look = dir.file("look.txt");
    test::writeFile(data, gridFile({0, 1, 2, 3, 4, 5}, {1, 10, 100, 1000},
                                   [](double x, double y) { return x + std::log10(y); }));
    openInPickMode(data);
    {
        CKelvraView& v = view();
        GraphSettings kept = v.settings;
        v.settings.displayMode = Display2D;
        v.settings.graphType = 14;   // 点(ｶﾗｰ)
        v.settings.scaleReverse[0] = 1;
        v.settings.scaleLog[1] = 1;
        test::writeFile(look, v.settingsText());
        v.settings = kept;
    }
    frame->canvas()->dropFiles({look});
    ASSERT_EQ(view().settings.displayMode, Display2D);
    ASSERT_EQ(view().settings.scaleLog[1], 1);
    ASSERT_EQ(view().settings.scaleReverse[0], 1);
    ASSERT_EQ(view().state.interactionMode, ModePick);
    std::string expected;
    for (int r = 0; r < 4; ++r) {
        // Columns 0, 5, 4, 3; the first at the lower right, clear of where
        // the window first opens, which is then moved aside.
        const std::size_t p = std::size_t(r) * 6 + (r * 5) % 6;
        const PointRecord v = view().data.pointAt(p);
        std::string line = "X = " + formatValue(view().settings, v[0], 0).text + "  Y = " + formatValue(view().settings, v[1], 1).text +
                           "  Z = " + formatValue(view().settings, v[2], 2).text;
        expected += (expected.empty() ? "" : "\n\n") + line;
        pick(p, line);
        if (r == 0) moveWindowAside();
        EXPECT_GT(cyanAround(pointOf(p)), 10) << "point " << p;
    }
    screenshot("pick-2d");
    EXPECT_EQ(shownText(), ui(expected.c_str()));
    // The reversed X axis runs right to left on the screen.
    EXPECT_GT(pointOf(0).x, pointOf(5).x);
    EXPECT_TRUE(messages.empty());
}

// Bars over scattered points, and vectors: the data and vector lines.
TEST_F(PickWindow, BarsAndVectorsShowTheirDataAndVectorLines) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string bars = dir.file("bars.csv"), arrows = dir.file("arrows.csv"), look = dir.file("bars.txt");
    // Format 3 points with a data value; rows of unequal length make them scattered.
    test::writeFile(bars, test::cp932("ﾃﾞｰﾀ形式,3\r\nKelvra ver.1.52\r\n\r\n") +
                              "1,1,2,10\r\n4,1,5,20\r\n2,3,8,30\r\n5,4,3,40\r\n1,4,6,50\r\n3,4,4,60\r\n");
    openInPickMode(bars);
    ASSERT_EQ(view().data.dataKind, Scattered);
    {
        CKelvraView& v = view();
        GraphSettings kept = v.settings;
        v.settings.graphType = 3;   // 棒ｸﾞﾗﾌ
        test::writeFile(look, v.settingsText());
        v.settings = kept;
    }
    frame->canvas()->dropFiles({look});
    ASSERT_EQ(view().settings.graphType, 3);
    pick(1, "DATA = 20.00");   // in front, clear of where the window opens
    moveWindowAside();
    pick(2, "DATA = 30.00");
    EXPECT_EQ(shownText(), ui("X = 4.000  Y = 1.000  Z = 5.000\nDATA = 20.00\n\nX = 2.000  Y = 3.000  Z = 8.000\nDATA = 30.00"));
    EXPECT_GT(cyanAround(pointOf(2)), 10);
    screenshot("pick-bars");
    frame->Destroy();
    frame = nullptr;
    test::pumpFor(100);

    // Format 5: a vector per point, on a coarse lattice so that no arrow
    // reaches another point's pick box.
    std::string lattice = test::cp932("ﾃﾞｰﾀ形式,5\r\nKelvra ver.1.52\r\n\r\n");
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            lattice += std::to_string(x * 2) + "," + std::to_string(y * 2) + "," + std::to_string((x + y) % 3) + "," +
                       std::to_string(0.5 + 0.1 * x) + "," + std::to_string(0.3 * (y - 1)) + ",0.25\r\n";
    test::writeFile(arrows, lattice);
    openInPickMode(arrows);
    ASSERT_EQ(view().data.dataKind, Vectors);
    const std::size_t p = 4;   // at the front corner, clear of where the window opens
    const PointRecord v = view().data.pointAt(p);
    std::string vectorLine = "Vx = " + formatValue(view().settings, v[3], 3).text + "  Vy = " + formatValue(view().settings, v[4], 3).text +
                             "  Vz = " + formatValue(view().settings, v[5], 3).text;
    pick(p, vectorLine);
    EXPECT_EQ(shownText(), ui(("X = " + formatValue(view().settings, v[0], 0).text + "  Y = " + formatValue(view().settings, v[1], 1).text +
                               "  Z = " + formatValue(view().settings, v[2], 2).text + "\n" + vectorLine).c_str()));
    moveWindowAside();
    EXPECT_GT(cyanAround(pointOf(p)), 10);
    screenshot("pick-vectors");
}

}  // namespace
}  // namespace kelvra
