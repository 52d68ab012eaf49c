// The import dialog in the main window: File/Open of a spreadsheet's export
// shows what was detected and a preview; a change of a choice changes the
// preview at once; OK loads the file as the choices read it, and the window
// shows the same picture as for the program's own file of the same grid. F5
// reads it again without asking.
#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/stattext.h>

#include <cstdlib>

#include "app/gui/commands.h"
#include "app/gui/guiText.h"
#include "app/gui/importDlg.h"
#include "mainWindowFixture.h"

namespace kelvra {
namespace {

using test::pumpUntil;
using ImportWindow = test::MainWindow;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

constexpr int kSeparator = 1;   // the dialog's second choice
constexpr int kComma = 0, kSemicolon = 1;

// Runs `script` on the import dialog once File/Open has shown it, and closes
// it if the script left it open, so that a failed check cannot hang the test.
template <class Script>
bool withImportDialog(CMainFrame& frame, Script script) {
    bool seen = false;
    wxTheApp->CallAfter([&seen, script] {
        CImportDlg* dialog = nullptr;
        pumpUntil([&] {
            for (wxWindow* w : wxTopLevelWindows)
                if (auto* d = dynamic_cast<CImportDlg*>(w); d && d->IsShownOnScreen()) dialog = d;
            return dialog != nullptr;
        }, 5000);
        if (!dialog) return;
        seen = true;
        script(*dialog);
        if (dialog->IsModal()) dialog->pressCancel();
    });
    frame.runCommand(IdFileOpen);
    return seen;
}

void screenshot(const std::string& name) {
    const char* folder = std::getenv("KELVRA_GUI_SHOTS");
    if (!folder) return;
    test::pumpFor(300);
    std::string command = "import -window root '" + std::string(folder) + "/" + name + ".png'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "screenshot failed: " << command;
}

TEST_F(ImportWindow, TheImportDialogShowsThePreviewOfEachChoiceAndOkLoadsWhatItShows) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    const PixelSize client = frame->canvas()->clientSize();
    // The picture of the program's own file of the grid, for comparison.
    answers = {test::sourcePath("tests/data/import/reference.csv")};
    frame->runCommand(IdFileOpen);
    ASSERT_TRUE(frame->view().data.dataLoaded);
    test::pumpFor(200);
    const std::vector<test::Pixel> reference = test::windowPicture(*frame->canvas(), client);

    answers = {test::sourcePath("tests/data/import/lo-grid-semicolon.csv")};
    const bool seen = withImportDialog(*frame, [&](CImportDlg& dialog) {
        EXPECT_EQ(dialog.choiceControl(kSeparator)->GetSelection(), kSemicolon) << "detected";
        EXPECT_EQ(dialog.previewGrid()->GetNumberCols(), 12);   // Y and 11 X values
        EXPECT_EQ(dialog.previewGrid()->GetColLabelValue(2), "0.5");
        EXPECT_EQ(dialog.previewGrid()->GetCellValue(0, 2), "24.35");
        screenshot("import-detected");

        // Commas: nothing separates the cells; OK is not possible.
        dialog.select(kSeparator, kComma);
        EXPECT_NE(dialog.summaryLine()->GetLabel().Find(ui("区切り文字が見つかりません")), wxNOT_FOUND)
            << dialog.summaryLine()->GetLabel();
        EXPECT_FALSE(dialog.FindWindow(wxID_OK)->IsEnabled());
        screenshot("import-comma");

        dialog.select(kSeparator, kSemicolon);
        EXPECT_EQ(dialog.previewGrid()->GetNumberCols(), 12);
        EXPECT_TRUE(dialog.FindWindow(wxID_OK)->IsEnabled());
        dialog.pressOk();
    });
    ASSERT_TRUE(seen) << "the import dialog did not show";
    const GraphData& d = frame->view().data;
    EXPECT_EQ(d.columnCount, 11);
    EXPECT_EQ(d.rowCount, 9);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_NE(pane(0).Find(ui("取り込み: UTF-8、ｾﾐｺﾛﾝ区切り")), wxNOT_FOUND) << pane(0);
    test::pumpFor(200);
    std::vector<test::Pixel> shown = test::windowPicture(*frame->canvas(), client);
    int differing = 0;
    for (std::size_t i = 0; i < shown.size() && i < reference.size(); ++i) differing += !(shown[i] == reference[i]);
    EXPECT_EQ(differing, 0) << "the imported grid draws as the program's own file of it";

    // F5 reads it again as it was read, without asking.
    EXPECT_TRUE(frame->runCommand(IdFileReload));
    EXPECT_EQ(frame->view().data.columnCount, 11);
    EXPECT_EQ(frame->view().data.rowCount, 9);
}

}  // namespace
}  // namespace kelvra
