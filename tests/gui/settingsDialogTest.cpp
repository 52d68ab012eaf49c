// The settings dialog driven in the main window under a (virtual) display:
// opened from the menu and the right-click menu at its pages, controls set as
// a user sets them, OK, Cancel and the close box, and the record and the
// picture after. The rules behind each control are pinned without a window in
// dialogRulesTest; here they are seen through the widgets.
//
// With KELVRA_SCREENSHOTS set to a folder, the page tests also write a
// screenshot of every page there, at the desktop's font and at a larger one.
#include <gtk/gtk.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <climits>
#include <cstdlib>
#include <functional>

#include "app/gui/commands.h"
#include "app/gui/guiText.h"
#include "app/gui/dialog/settingsDlg.h"
#include "app/gui/dialog/settingsPage.h"
#include "settings/colorMaps.h"
#include "settings/settingsFile.h"
// Last: it brings in Xlib.
#include "mainWindowFixture.h"

namespace kelvra {
namespace {

using test::pumpFor;
using test::pumpUntil;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

void screenshot(const std::string& name) {
    const char* folder = std::getenv("KELVRA_SCREENSHOTS");
    if (!folder) return;
    std::string command = "xwd -root -silent | convert xwd:- '" + std::string(folder) + "/" + name + ".png'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "no screenshot: " << command;
}

// Runs `drive` on the settings dialog once it shows. A timer looks for it,
// since the dialog's modal loop (or a menu's) runs while the command that
// opened it has not returned. The dialog is cancelled after `drive` unless
// `drive` ended it.
class WhenDialogShows : public wxTimer {
public:
    // `settleTicks` ticks of 20 ms pass between the dialog showing and `drive`,
    // for a screenshot: the dialog paints only while its own loop runs.
    explicit WhenDialogShows(std::function<void(CSettingsDlg&)> drive, int settleTicks = 0)
        : drive_(std::move(drive)), settle_(settleTicks) {
        Start(20);
    }
    void Notify() override {
        CSettingsDlg* dialog = test::shownWindow<CSettingsDlg>();
        if (!dialog || settle_-- > 0) return;
        Stop();
        drive_(*dialog);
        driven = true;
        if (dialog->IsModal()) dialog->pressCancel();
    }
    bool driven = false;

private:
    std::function<void(CSettingsDlg&)> drive_;
    int settle_;
};

// Keys typed from a timer: they reach a menu or a dialog whose own loop runs.
class KeysLater : public wxTimer {
public:
    KeysLater(std::vector<int> keys, int delayMs) : keys_(std::move(keys)) { StartOnce(delayMs); }
    void Notify() override {
        wxUIActionSimulator sim;
        for (int key : keys_) {
            sim.Char(key);
            wxMilliSleep(30);
        }
    }

private:
    std::vector<int> keys_;
};

// Sees a menu open, whoever shows it.
class MenuWatch : public wxEventFilter {
public:
    MenuWatch() { wxEvtHandler::AddFilter(this); }
    ~MenuWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_MENU_OPEN) ++opened;
        return Event_Skip;
    }
    int opened = 0;
};

std::vector<std::string> entriesOf(wxWindow* list) {
    std::vector<std::string> entries;
    if (auto* choice = dynamic_cast<wxChoice*>(list))
        for (const wxString& s : choice->GetStrings()) entries.push_back(s.utf8_string());
    return entries;
}

std::string textOf(wxWindow* edit) {
    auto* text = dynamic_cast<wxTextCtrl*>(edit);
    return text ? text->GetValue().utf8_string() : "(not an edit)";
}

int selectionOf(wxWindow* list) {
    auto* choice = dynamic_cast<wxChoice*>(list);
    return choice ? choice->GetSelection() : -2;
}

// A 5 x 5 grid at X, Y = 1..5 with Z = r * c - 10: X and Y above 0, Z below.
std::string offsetGridFile() {
    std::string text = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n,1,2,3,4,5\r\n");
    for (int r = 1; r <= 5; ++r) {
        text += std::to_string(r);
        for (int c = 1; c <= 5; ++c) {
            text += ',';
            text += std::to_string(r * c - 10);
        }
        text += "\r\n";
    }
    return text;
}

std::string scatteredFile() {
    return test::cp932("ﾃﾞｰﾀ形式,2\r\nKelvra ver.1.52\r\n\r\n") + "1,1,5\r\n2,1,6\r\n1,2,7\r\n3,5,1\r\n4,4,2\r\n";
}

std::string vectorFile() {
    return test::cp932("ﾃﾞｰﾀ形式,5\r\nKelvra ver.1.52\r\n\r\n") +
           "0,0,0,1,0,0\r\n1,0,0,0,1,0\r\n0,1,0,0,0,1\r\n1,1,0,1,1,0\r\n1,1,1,0,1,1\r\n";
}

class SettingsDialog : public test::MainWindow {
protected:
    void openWith(const std::string& fileBytes, const std::string& name = "data.csv") {
        std::string path = dir.file(name);
        test::writeFile(path, fileBytes);
        open(path);
        ASSERT_TRUE(frame->view().data.dataLoaded);
    }
    // Runs `command` (by default the menu's ｸﾞﾗﾌの設定) and `drive` in the
    // dialog it opens; false when no dialog opened.
    bool withDialog(const std::function<void(CSettingsDlg&)>& drive, const std::function<void()>& command = {},
                    int settleTicks = 0) {
        WhenDialogShows watch(drive, settleTicks);
        if (command) command();
        else frame->runCommand(IdGraphSettings);
        pumpUntil([&] { return watch.driven && !test::shownWindow<CSettingsDlg>(); }, 3000);
        return watch.driven;
    }
    const GraphSettings& record() { return frame->view().settings; }
};

// ---- opening, OK, cancel ----

TEST_F(SettingsDialog, WithoutDataThereIsNoDialogOnlyItsMessage) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    EXPECT_FALSE(frame->runCommand(IdGraphSettings));   // the menu item is off
    EXPECT_FALSE(withDialog([](CSettingsDlg&) {}, [&] { frame->editSettings(); }));
    EXPECT_EQ(messages, std::vector<std::string>{"ｸﾞﾗﾌﾃﾞｰﾀがありません。"});
}

TEST_F(SettingsDialog, OkRemembersThePageWhileCancelAndTheCloseBoxChangeNothing) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_EQ(dialog.GetTitle(), ui("設定"));
        EXPECT_EQ(dialog.currentPage(), PageGraph);
        dialog.showPage(PageScales2);
        dialog.pressOk();
    }));
    EXPECT_EQ(record().settingsPage, PageScales2);

    GraphSettings before = record();
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_EQ(dialog.currentPage(), PageScales2);
        EXPECT_TRUE(dialog.typeText(PageView, 1188, "250"));
        dialog.showPage(PageAxis);
        dialog.pressCancel();
    }));
    EXPECT_TRUE(record() == before);
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_TRUE(dialog.typeText(PageView, 1188, "250"));
        dialog.showPage(PageAxis);
        dialog.Close();   // the close box
    }));
    EXPECT_TRUE(record() == before);
    EXPECT_TRUE(messages.empty());
}

// What OK stores goes through each field's rule: ranges and fallbacks, the
// number as shown, the X angle as the user sees it; the frame takes the
// window size and keeps its top-left corner.
TEST_F(SettingsDialog, OkStoresByTheFieldRulesAndResizesTheFrame) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    frame->view().settings.scaleFormat[0] = FormatInteger;
    frame->view().settings.scaleMin[0] = -2.25;
    wxPoint corner = frame->GetPosition();
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_EQ(textOf(dialog.page(PageView)->control(1186)), "30");
        EXPECT_EQ(textOf(dialog.page(PageScales1)->control(1059)), "-2");
        EXPECT_TRUE(dialog.typeText(PageView, 1188, "5"));            // zoom below 10
        EXPECT_TRUE(dialog.typeText(PageGraphDetail, 1053, "0"));     // wire width below 1
        EXPECT_TRUE(dialog.typeText(PageView, 1187, "45"));
        EXPECT_TRUE(dialog.typeText(PageView, 1191, "700"));
        EXPECT_TRUE(dialog.typeText(PageView, 1192, "480"));
        EXPECT_TRUE(dialog.typeText(PageTitle, 1136, ui("題 ｸﾞﾗﾌ")));
        dialog.pressOk();
    }));
    const GraphSettings& s = record();
    EXPECT_EQ(s.viewZoom, 100);
    EXPECT_EQ(s.wireWidthX, 1);
    EXPECT_EQ(s.scaleMin[0], -2);
    EXPECT_EQ(s.viewAngleX, 300);
    EXPECT_EQ(s.viewAngleZ, 45);
    EXPECT_EQ(s.titleText, test::cp932("題 ｸﾞﾗﾌ"));
    ASSERT_TRUE(pumpUntil([&] { return frame->GetSize() == wxSize(700, 480); }, 3000)) << frame->GetSize().x;
    EXPECT_EQ(frame->GetPosition(), corner);
    EXPECT_EQ(std::pair(s.windowWidth, s.windowHeight), std::pair(700, 480));
    EXPECT_EQ(pane(3), ui("[角度] X=030(deg),Z=045(deg)"));   // the change sequence ran
    EXPECT_TRUE(messages.empty());
}

// ---- what the pages offer ----

TEST_F(SettingsDialog, GraphPageFollowsTheDisplayKindWithinAndAcrossFamilies) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    frame->view().settings.graphType = 12;
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        CSettingsPage* page = dialog.page(PageGraph);
        EXPECT_EQ(entriesOf(page->control(1075)).size(), 20u);
        EXPECT_EQ(selectionOf(page->control(1075)), 12);
        EXPECT_EQ(entriesOf(page->control(1143)).size(), 7u);
        ASSERT_TRUE(dialog.click(PageGraph, 1182));   // 2-D keeps the type
        EXPECT_EQ(selectionOf(page->control(1075)), 12);
        ASSERT_TRUE(dialog.click(PageGraph, 1183));   // a section starts at type 0
        EXPECT_EQ(entriesOf(page->control(1075)),
                  (std::vector<std::string>{"等高線(ｶﾗｰ)", "等高線(ｶﾗｰ，形状付き)", "ﾜｲﾔｰﾌﾚｰﾑ", "点(ｶﾗｰ)"}));
        EXPECT_EQ(selectionOf(page->control(1075)), 0);
        ASSERT_TRUE(dialog.choose(PageGraph, 1075, 2));
        ASSERT_TRUE(dialog.click(PageGraph, 1184));   // X to Y section keeps it
        EXPECT_EQ(selectionOf(page->control(1075)), 2);
        dialog.pressOk();
    }));
    EXPECT_EQ(record().displayMode, DisplayYSection);
    EXPECT_EQ(record().graphType, 2);
}

TEST_F(SettingsDialog, PointListsOfferTheirOwnTypesAndNoSections) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(scatteredFile());
    ASSERT_EQ(frame->view().data.dataKind, Scattered);
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        CSettingsPage* page = dialog.page(PageGraph);
        EXPECT_EQ(entriesOf(page->control(1075)), (std::vector<std::string>{"点(ｶﾗｰ)", "点(白黒)", "点(黒)", "棒ｸﾞﾗﾌ"}));
        EXPECT_FALSE(page->control(1183)->IsEnabled());
        EXPECT_FALSE(dialog.click(PageGraph, 1184));   // out of reach
        EXPECT_EQ(entriesOf(page->control(1143)), std::vector<std::string>{"XY平面-等高線なし"});
    }));

    openWith(vectorFile(), "vectors.csv");
    ASSERT_EQ(frame->view().data.dataKind, Vectors);
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_EQ(entriesOf(dialog.page(PageGraph)->control(1075)), std::vector<std::string>{"ﾍﾞｸﾄﾙ図(ｶﾗｰ)"});
        EXPECT_EQ(selectionOf(dialog.page(PageGraph)->control(1075)), 0);
    }));
}

// Format 7 draws its points coloured by the data value, and the dialog
// switches them to grey.
TEST_F(SettingsDialog, PointValueDataShowsColouredPointsAndOffersGrey) {
    GUI_TEST_REQUIRE_DISPLAY();
    open(test::sourcePath("examples/point-values.csv"));
    ASSERT_EQ(frame->view().data.dataKind, PointValues);
    PixelSize client = frame->canvas()->clientSize();
    auto colouredPoints = [&] {
        // Saturated pixels left of the legend: points, not the grey box or the black text.
        std::vector<test::Pixel> shown = test::windowPicture(*frame->canvas(), client);
        int n = 0;
        for (int y = 0; y < client.height; ++y)
            for (int x = 0; x < client.width * 3 / 4; ++x) {
                const test::Pixel& p = shown[std::size_t(y) * client.width + x];
                n += std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 100;
            }
        return n;
    };
    ASSERT_TRUE(pumpUntil([&] { return colouredPoints() > 500; }, 3000)) << colouredPoints();
    screenshot("point-values");
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_EQ(entriesOf(dialog.page(PageGraph)->control(1075)), (std::vector<std::string>{"点(ｶﾗｰ)", "点(白黒)"}));
        ASSERT_TRUE(dialog.choose(PageGraph, 1075, 1));
        dialog.pressOk();
    }));
    EXPECT_EQ(record().graphType, 1);
    // Grey points, and the axis indicator's three coloured arrows are all that is left.
    EXPECT_TRUE(pumpUntil([&] { return colouredPoints() < 200; }, 3000)) << colouredPoints();
}

TEST_F(SettingsDialog, ScalePageHidesLogWhereTheMinimumIsNotAboveZeroAndOkStoresNone) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(offsetGridFile());   // X, Y from 1; Z from -9
    frame->view().settings.scaleLog[2] = 1;
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        CSettingsPage* page = dialog.page(PageScales2);
        EXPECT_TRUE(page->control(1249)->IsShown());    // X
        EXPECT_FALSE(page->control(1251)->IsShown());   // Z
        EXPECT_FALSE(page->control(1252)->IsShown());   // legend, which follows Z
        EXPECT_FALSE(dialog.click(PageScales2, 1251));
        EXPECT_TRUE(dialog.click(PageScales2, 1249));
        dialog.pressOk();
    }));
    EXPECT_EQ(record().scaleLog[0], 1);
    EXPECT_EQ(record().scaleLog[2], 0);
}

TEST_F(SettingsDialog, LegendDisplayKindsFollowTheColourSource) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(offsetGridFile());
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        CSettingsPage* page = dialog.page(PageLegend);
        EXPECT_EQ(entriesOf(page->control(1211)), (std::vector<std::string>{"X", "Y", "Z"}));
        EXPECT_EQ(selectionOf(page->control(1211)), 2);
        EXPECT_EQ(entriesOf(page->control(1210)), (std::vector<std::string>{"標準", "絶対値"}));   // Z goes below 0
        ASSERT_TRUE(dialog.choose(PageLegend, 1210, 1));
        ASSERT_TRUE(dialog.choose(PageLegend, 1211, 0));   // X stays above 0
        EXPECT_EQ(entriesOf(page->control(1210)), std::vector<std::string>{"標準"});
        EXPECT_EQ(selectionOf(page->control(1210)), 0);
        ASSERT_TRUE(dialog.choose(PageLegend, 1211, 2));
        EXPECT_EQ(selectionOf(page->control(1210)), 0);
        ASSERT_TRUE(dialog.choose(PageLegend, 1210, 1));
        dialog.pressOk();
    }));
    EXPECT_EQ(record().legendStyle, LegendAbsolute);
    // Opened again, the dialog shows what was stored.
    ASSERT_TRUE(withDialog([](CSettingsDlg& dialog) {
        EXPECT_EQ(selectionOf(dialog.page(PageLegend)->control(1210)), 1);
        dialog.pressOk();
    }));
    EXPECT_EQ(record().legendStyle, LegendAbsolute);
}

// ---- keys, swatches ----

// Real keys in the focused field: emptying the X angle warns at once and
// leaves the focus there; Enter and Escape do nothing; a click on OK closes.
TEST_F(SettingsDialog, IntEditsWarnAsTypedAndEnterAndEscapeDoNothing) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        dialog.Move(0, 0);
        dialog.showPage(PageView);
        pumpFor(200);
        wxWindow* angle = dialog.page(PageView)->control(1186);
        wxUIActionSimulator sim;
        wxRect field = angle->GetScreenRect();
        sim.MouseMove(field.GetRight() - 4, field.GetTop() + field.GetHeight() / 2);
        pumpFor(50);
        sim.MouseClick();
        // Without a window manager the toolkit does not always report the
        // focus a click gives; the click's focus is set outright as well.
        angle->SetFocus();
        pumpFor(100);
        static_cast<wxTextCtrl*>(angle)->SetInsertionPointEnd();
        sim.Char(WXK_BACK);
        sim.Char(WXK_BACK);
        ASSERT_TRUE(pumpUntil([&] { return !messages.empty(); }, 3000)) << "no message for an empty angle";
        EXPECT_EQ(messages, std::vector<std::string>{"整数を入力してください。"});
        EXPECT_EQ(wxWindow::FindFocus(), angle);
        sim.Text("400");
        ASSERT_TRUE(pumpUntil([&] { return messages.size() == 2; }, 3000));
        EXPECT_EQ(messages[1], "0 から 359 までの整数を入力してください。");

        sim.Char(WXK_RETURN);
        sim.Char(WXK_ESCAPE);
        pumpFor(300);
        EXPECT_TRUE(dialog.IsModal()) << "Enter or Escape closed the dialog";
        wxRect ok = dialog.FindWindow(wxID_OK)->GetScreenRect();
        sim.MouseMove(ok.GetLeft() + ok.GetWidth() / 2, ok.GetTop() + ok.GetHeight() / 2);
        sim.MouseClick();
        EXPECT_TRUE(pumpUntil([&] { return !dialog.IsModal(); }, 3000));
    }));
    // Stored as typed, through the shown-angle rule: 400 turns as 40.
    EXPECT_EQ(pane(3), ui("[角度] X=040(deg),Z=330(deg)"));
}

TEST_F(SettingsDialog, SwatchesPaintTheirColourAndAskInTheFormOfTheirPage) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    std::vector<ColourRequest> asked;
    frame->hooks.colour = [&](const ColourRequest& r) -> std::optional<Rgb> {
        asked.push_back(r);
        return Rgb{0.0, 1.0, 0.0};
    };
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        dialog.showPage(PageLegendColors);
        wxWindow* top = dialog.page(PageLegendColors)->control(1255);
        auto shown = [&](wxWindow* w) {
            wxRect r = w->GetScreenRect();
            return test::screenPixel(r.x + r.width / 2, r.y + r.height / 2);
        };
        ASSERT_TRUE(pumpUntil([&] { return shown(top) == test::Pixel{234, 0, 0}; }, 3000)) << shown(top);
        ASSERT_TRUE(dialog.click(PageLegendColors, 1292));   // the bottom row: level colour 1
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].form, ColourDialogForm::Full);
        EXPECT_TRUE(asked[0].colour == (Rgb{0.0, 0.0, 0.82}));
        wxWindow* bottom = dialog.page(PageLegendColors)->control(1292);
        EXPECT_TRUE(pumpUntil([&] { return shown(bottom) == test::Pixel{0, 255, 0}; }, 3000)) << shown(bottom);
        ASSERT_TRUE(dialog.click(PageGraphDetail, 1170));
        EXPECT_EQ(asked.back().form, ColourDialogForm::Basic);
        dialog.pressOk();
    }));
    EXPECT_TRUE(record().legendColors[1] == (Rgb{0.0, 1.0, 0.0}));
    EXPECT_TRUE(record().legendColors[0] == record().legendColors[1]);
    EXPECT_TRUE(record().wireColorX == (Rgb{0.0, 1.0, 0.0}));

    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        ASSERT_TRUE(dialog.click(PageLegendColors, 1256));   // ﾃﾞﾌｫﾙﾄ
        dialog.pressOk();
    }));
    EXPECT_TRUE(record().legendColors[1] == defaultSettings().legendColors[1]);
    EXPECT_TRUE(record().legendColors[0] == defaultSettings().legendColors[1]);
}

// A colour map chosen from the legend colour page's list fills the twenty
// swatches and nothing else; the page tells the smallest difference between
// neighbouring bands, marked where it falls under 10; a settings file saved
// afterwards reopens with the same colours.
TEST_F(SettingsDialog, AColourMapFillsTheSwatchesAndThePageTellsTheBandDifferences) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    const GraphSettings before = record();
    std::string shownBefore, shownAfter;
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        dialog.showPage(PageLegendColors);
        CSettingsPage* page = dialog.page(PageLegendColors);
        EXPECT_EQ(entriesOf(page->control(1300)).size(), colorMaps().size());
        EXPECT_EQ(selectionOf(page->control(1300)), 0);   // the program's own colours
        auto figures = [&] {
            for (wxWindow* child : page->GetChildren())
                if (auto* text = dynamic_cast<wxStaticText*>(child); text && text->GetLabel().Contains("CIEDE2000"))
                    return text->GetLabel().utf8_string();
            return std::string("(none)");
        };
        shownBefore = figures();
        ASSERT_TRUE(dialog.choose(PageLegendColors, 1300, 1));   // viridis
        shownAfter = figures();
        dialog.pressOk();
    }));
    EXPECT_NE(shownBefore, shownAfter);
    EXPECT_EQ(shownAfter, bandDifferenceText(record()));
    EXPECT_NE(shownAfter.find("通常"), std::string::npos) << shownAfter;
    for (int i = 1; i <= 20; ++i) EXPECT_TRUE(record().legendColors[i] == colorMapNamed("viridis")->colors[i - 1]) << i;
    EXPECT_TRUE(record().legendColors[0] == record().legendColors[1]);
    GraphSettings others = record();
    std::copy(std::begin(before.legendColors), std::end(before.legendColors), std::begin(others.legendColors));
    others.settingsPage = before.settingsPage;
    EXPECT_EQ(settingsFileText(others), settingsFileText(before));

    ASSERT_TRUE(frame->view().saveSettingsFile(dir.file("viridis.txt")));
    frame->view().applySettingsText(settingsFileText(defaultSettings()));
    ASSERT_TRUE(frame->view().loadSettingsFile(dir.file("viridis.txt")));
    for (int i = 1; i <= 20; ++i)
        EXPECT_NEAR(record().legendColors[i].g, colorMapNamed("viridis")->colors[i - 1].g, 0.0005) << i;
    // The page opens where it was left, painted before the look.
    ASSERT_TRUE(withDialog(
        [&](CSettingsDlg& dialog) {
            EXPECT_EQ(selectionOf(dialog.page(PageLegendColors)->control(1300)), 1);   // known again after the file
            test::saveScreenshot(dialog.GetScreenRect(), "legend-colours-viridis.png");
        },
        {}, 25));
}

// The toolkit's own colour dialog, opened by a click on a swatch: it starts at
// the swatch's colour and gives back the bytes it showed (Enter chooses),
// while Escape leaves the colour as it was.
TEST_F(SettingsDialog, TheColourDialogStartsAtTheSwatchColour) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    const std::pair<int, Rgb> answers[] = {{WXK_ESCAPE, {0.92, 0.0, 0.0}}, {WXK_RETURN, colourOfBytes({234, 0, 0})}};
    for (const auto& [key, expected] : answers) {
        ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
            dialog.showPage(PageLegendColors);
            pumpFor(100);
            // The pointer over the colour dialog, which lies over the settings dialog's middle.
            wxRect middle = dialog.GetScreenRect();
            wxUIActionSimulator().MouseMove(middle.x + middle.width / 2, middle.y + middle.height / 2);
            KeysLater answer({key}, 1500);
            ASSERT_TRUE(dialog.click(PageLegendColors, 1255));
            dialog.pressOk();
        }));
        EXPECT_TRUE(record().legendColors[20] == expected) << "key " << key << ": " << record().legendColors[20].r;
    }
}

// ---- the picture ----

TEST_F(SettingsDialog, OkWithoutAChangeRedrawsTheSamePicture) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(12));
    pumpFor(200);
    PixelSize client = frame->canvas()->clientSize();
    std::vector<test::Pixel> before = test::windowPicture(*frame->canvas(), client);
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) { dialog.pressOk(); }));
    pumpFor(300);
    std::vector<test::Pixel> after = test::windowPicture(*frame->canvas(), client);
    ASSERT_EQ(after.size(), before.size());
    int differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i) differing += !(after[i] == before[i]);
    EXPECT_EQ(differing, 0);
}

// ---- the right-click menu ----

TEST_F(SettingsDialog, RightClickMenuOpensTheDialogAtEachPageOnceDataIsLoaded) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    wxUIActionSimulator sim;
    auto rightClick = [&] {
        sim.MouseMove(pointInView(200, 150));
        pumpFor(50);
        sim.MouseDown(wxMOUSE_BTN_RIGHT);
        pumpFor(50);
        sim.MouseUp(wxMOUSE_BTN_RIGHT);
    };
    {
        MenuWatch menus;
        KeysLater escape({WXK_ESCAPE}, 600);   // closes a menu that should not be there
        rightClick();
        pumpFor(900);
        EXPECT_EQ(menus.opened, 0) << "a menu opened before any data was loaded";
    }

    std::string data = dir.file("grid.csv");
    test::writeFile(data, test::gridFile(6));
    frame->canvas()->dropFiles({data});
    ASSERT_TRUE(frame->view().data.dataLoaded);
    for (int page = 0; page < SettingsPageCount; ++page) {
        SCOPED_TRACE("item " + std::to_string(page));
        MenuWatch menus;
        std::vector<int> keys(std::size_t(page) + 1, WXK_DOWN);
        keys.push_back(WXK_RETURN);
        KeysLater choose(keys, 400);
        int shownAt = -1;
        ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) { shownAt = dialog.currentPage(); }, rightClick));
        EXPECT_EQ(menus.opened, 1);
        EXPECT_EQ(shownAt, page);
        EXPECT_EQ(record().settingsPage, page);   // the item sets it, cancel keeps it
    }
}

// ---- looks ----

// The desktop's font size times `factor` for the life of the object, as a
// user who chose larger text has it; the dialog follows it.
class DesktopFontScale {
public:
    explicit DesktopFontScale(double factor) {
        GtkSettings* settings = gtk_settings_get_default();
        gchar* name = nullptr;
        g_object_get(settings, "gtk-font-name", &name, nullptr);
        saved_ = name ? name : "Sans 10";
        g_free(name);
        PangoFontDescription* font = pango_font_description_from_string(saved_.c_str());
        pango_font_description_set_size(font, int(pango_font_description_get_size(font) * factor));
        gchar* scaled = pango_font_description_to_string(font);
        g_object_set(settings, "gtk-font-name", scaled, nullptr);
        g_free(scaled);
        pango_font_description_free(font);
        pumpFor(200);
    }
    ~DesktopFontScale() {
        g_object_set(gtk_settings_get_default(), "gtk-font-name", saved_.c_str(), nullptr);
        pumpFor(200);
    }

private:
    std::string saved_;
};

// Every page of the dialog shows whole: each control inside its page and
// level with or larger than what its text needs, lists as wide as their
// longest entry, no control over another, and the controls (their group
// boxes included) covering most of the page. The eleven tabs scroll rather
// than widen the dialog.
void expectPagesShowWhole(CSettingsDlg& dialog, const std::string& shots) {
    dialog.Move(0, 0);
    auto* tabs = dynamic_cast<wxNotebook*>(dialog.FindWindow(1180));
    ASSERT_TRUE(tabs);
    EXPECT_TRUE(gtk_notebook_get_scrollable(GTK_NOTEBOOK(tabs->GetHandle())));
    for (int p = 0; p < SettingsPageCount; ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        dialog.showPage(p);
        pumpFor(300);
        EXPECT_EQ(tabs->GetPageText(std::size_t(p)), ui(kSettingsPageLabels[p]));
        CSettingsPage* page = dialog.page(p);
        const wxRect area(wxPoint(0, 0), page->GetClientSize());
        wxRect covered;
        std::vector<wxWindow*> placed;
        for (wxWindow* w : page->GetChildren()) {
            if (!w->IsShown()) continue;
            const wxRect r = w->GetRect();
            const std::string what = "control " + std::to_string(w->GetId()) + " " + w->GetLabel().utf8_string();
            EXPECT_TRUE(area.Contains(r)) << what;
            covered.Union(r);
            if (dynamic_cast<wxStaticBox*>(w)) continue;   // the others lie on the boxes
            // Nothing is cut: texts and lists get what they ask for; an edit
            // (whose width the table gives) at least a line of its text and
            // its frame. The toolkit asks more for an edit once it is shown
            // than it draws it with, so that is not what counts there.
            if (dynamic_cast<wxTextCtrl*>(w)) {
                EXPECT_GE(r.height, w->GetCharHeight() + 6) << what;
            } else if (!dynamic_cast<CColourSwatch*>(w)) {
                EXPECT_GE(r.width, w->GetBestSize().x) << what;
                EXPECT_GE(r.height, w->GetBestSize().y) << what;
            }
            for (wxWindow* other : placed) EXPECT_FALSE(r.Intersects(other->GetRect())) << what << " covers " << other->GetId();
            placed.push_back(w);
        }
        EXPECT_GE(double(covered.width) * covered.height, 0.6 * area.width * area.height) << "mostly empty";
        test::saveScreenshot(dialog.GetScreenRect(), shots + "page" + std::to_string(p) + ".png");
    }
    // The tab strip is no wider than the pages.
    EXPECT_LE(tabs->GetSize().x, dialog.page(0)->GetSize().x + 16);
}

TEST_F(SettingsDialog, EveryPageShowsWholeAndTheDialogIsNoLargerThanTheMainWindow) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(offsetGridFile());
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        const wxSize size = dialog.GetSize();
        EXPECT_LE(size.x, 775);
        EXPECT_LE(size.y, 550);
        expectPagesShowWhole(dialog, "settings-");
    }));
}

TEST_F(SettingsDialog, EveryPageShowsWholeWithTextHalfAsLargeAgain) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(offsetGridFile());
    wxSize normal;
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) { normal = dialog.GetSize(); }));
    DesktopFontScale larger(1.5);
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        // The pages grow with the font's dialog units.
        EXPECT_GT(dialog.GetSize().x, normal.x * 13 / 10);
        expectPagesShowWhole(dialog, "settings-large-");
    }));
}

// The font page shows a line in the face it shows, at its size: a larger
// size gives taller text.
TEST_F(SettingsDialog, TheFontPageShowsASampleOfItsFaceAtItsSize) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    frame->view().settings.settingsPage = PageFonts;
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        dialog.Move(0, 0);
        pumpFor(200);
        // The sample fills the lower of the page's two boxes.
        wxRect box;
        for (wxWindow* w : dialog.page(PageFonts)->GetChildren())
            if (dynamic_cast<wxStaticBox*>(w)) box = w->GetScreenRect();
        auto textHeight = [&] {
            const wxRect inner = box.Deflate(8);
            XImage* image = XGetImage(test::xDisplay(), DefaultRootWindow(test::xDisplay()), inner.x, inner.y,
                                      unsigned(inner.width), unsigned(inner.height), AllPlanes, ZPixmap);
            if (!image) return -1;
            int top = INT_MAX, bottom = -1;
            for (int y = 0; y < inner.height; ++y)
                for (int x = 0; x < inner.width; ++x)
                    if (((XGetPixel(image, x, y) >> 16) & 0xFF) < 100) top = std::min(top, y), bottom = std::max(bottom, y);
            XDestroyImage(image);
            return bottom - top;
        };
        const int small = textHeight();
        EXPECT_GT(small, 5);
        ASSERT_TRUE(dialog.typeText(PageFonts, 1085, "40"));
        EXPECT_TRUE(pumpUntil([&] { return textHeight() > 2 * small; }, 3000)) << small << " " << textHeight();
    }));
}

// A keyboard user: Tab reaches a colour swatch, which shows it has the
// focus; Space opens the colour dialog, the arrow keys move its colour and
// Return chooses it; OK stores it.
TEST_F(SettingsDialog, ASwatchReachedByTabChangesColourFromTheKeyboardAlone) {
    GUI_TEST_REQUIRE_DISPLAY();
    openWith(test::gridFile(6));
    frame->view().settings.settingsPage = PageLegendColors;
    const Rgb before = record().legendColors[20];
    ASSERT_TRUE(withDialog([&](CSettingsDlg& dialog) {
        dialog.Move(0, 0);
        pumpFor(200);
        // The pointer over the dialog's middle, where the colour dialog will stand.
        wxUIActionSimulator sim;
        const wxRect middle = dialog.GetScreenRect();
        sim.MouseMove(middle.x + middle.width / 2, middle.y + middle.height / 2);
        // The keyboard starts on the tab strip; Tab goes on from there.
        dialog.FindWindow(1180)->SetFocus();
        pumpFor(200);
        CColourSwatch* swatch = nullptr;
        for (int presses = 0; presses < 30 && !swatch; ++presses) {
            sim.Char(WXK_TAB);
            pumpFor(100);
            swatch = dynamic_cast<CColourSwatch*>(wxWindow::FindFocus());
        }
        ASSERT_TRUE(swatch) << "Tab never reached a swatch";
        EXPECT_EQ(swatch->GetId(), 1255);   // the first on the page
        const wxRect r = swatch->GetScreenRect();
        // The focus frame: dots just inside the swatch's own frame, along its left edge.
        auto focusDots = [&] {
            const test::Pixel colour = test::screenPixel(r.x + r.width / 2, r.y + r.height / 2);
            int dots = 0;
            for (int y = r.y + 2; y < r.GetBottom() - 1; ++y)
                for (int x : {r.x + 1, r.x + 2}) dots += test::screenPixel(x, y) != colour;
            return dots;
        };
        EXPECT_TRUE(pumpUntil([&] { return focusDots() >= 2; }, 2000)) << "the swatch does not show the focus";
        test::saveScreenshot(dialog.GetScreenRect(), "settings-swatch-focus.png");
        const test::Pixel shown = test::screenPixel(r.x + r.width / 2, r.y + r.height / 2);
        // The colour dialog's own loop runs once Space opens it: the keys come from a timer.
        std::vector<int> keys(12, WXK_DOWN);
        keys.push_back(WXK_RETURN);
        KeysLater choose(keys, 1200);
        sim.Char(WXK_SPACE);
        EXPECT_TRUE(pumpUntil([&] { return test::screenPixel(r.x + r.width / 2, r.y + r.height / 2) != shown; }, 5000))
            << "the swatch kept its colour";
        dialog.pressOk();
    }));
    EXPECT_FALSE(record().legendColors[20] == before);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kelvra
