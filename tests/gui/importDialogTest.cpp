// The import dialog in the main window: File/Open of a spreadsheet's export
// shows what was detected and a preview; a change of a choice changes the
// preview at once; OK loads the file as the choices read it, and the window
// shows the same picture as for the program's own file of the same grid. F5
// and a dropped file are read without asking again.
#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/stattext.h>

#include <memory>

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

// Runs `open`, and `script` on the import dialog if one shows within a
// second; closes it if the script left it open, so that a failed check cannot
// hang the test. True when the dialog showed.
template <class Script, class Open>
bool withImportDialog(Open open, Script script) {
    struct Watch {
        bool seen = false, done = false;
    };
    auto watch = std::make_shared<Watch>();
    wxTheApp->CallAfter([watch, script] {
        CImportDlg* dialog = nullptr;
        pumpUntil([&] { return (dialog = test::shownWindow<CImportDlg>()) != nullptr; }, 1000);
        watch->done = true;
        if (!dialog) return;
        watch->seen = true;
        script(*dialog);
        if (dialog->IsModal()) dialog->pressCancel();
    });
    open();
    pumpUntil([&] { return watch->done; }, 5000);
    return watch->seen;
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
    const bool seen = withImportDialog([&] { frame->runCommand(IdFileOpen); }, [&](CImportDlg& dialog) {
        EXPECT_EQ(dialog.choiceControl(kSeparator)->GetSelection(), kSemicolon) << "detected";
        EXPECT_EQ(dialog.previewGrid()->GetNumberCols(), 12);   // Y and 11 X values
        EXPECT_EQ(dialog.previewGrid()->GetColLabelValue(2), "0.5");
        EXPECT_EQ(dialog.previewGrid()->GetCellValue(0, 2), "24.35");
        test::saveScreenshot(dialog.GetScreenRect(), "import-detected.png");

        // Commas: nothing separates the cells; OK is not possible.
        dialog.select(kSeparator, kComma);
        EXPECT_NE(dialog.summaryLine()->GetLabel().Find(ui("区切り文字が見つかりません")), wxNOT_FOUND)
            << dialog.summaryLine()->GetLabel();
        EXPECT_FALSE(dialog.FindWindow(wxID_OK)->IsEnabled());
        test::saveScreenshot(dialog.GetScreenRect(), "import-comma.png");

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

    // F5 reads it again as it was read, and a dropped file is read as
    // detected, neither asking again.
    auto noDialog = [](CImportDlg& dialog) { ADD_FAILURE() << "asked again"; };
    EXPECT_FALSE(withImportDialog([&] { EXPECT_TRUE(frame->runCommand(IdFileReload)); }, noDialog));
    EXPECT_EQ(frame->view().data.columnCount, 11);
    EXPECT_EQ(frame->view().data.rowCount, 9);
    const std::string german = test::sourcePath("tests/data/import/lo-grid-semicolon-de.csv");
    EXPECT_FALSE(withImportDialog([&] { frame->canvas()->dropFiles({german}); }, noDialog));
    EXPECT_EQ(frame->view().data.dataFilePath, german);
    EXPECT_DOUBLE_EQ(frame->view().data.pointAt(1)[2], 24.35);
}

}  // namespace
}  // namespace kelvra
