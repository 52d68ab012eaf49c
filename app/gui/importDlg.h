// CImportDlg: "ﾃﾞｰﾀの取り込み", shown before a data file that is not in the
// program's own layout loads. One drop-down list per choice of the import
// (encoding, separator, decimal mark, header, layout) with the detected
// option selected, a grid of the first rows as the selected options read
// them, one line of what they read (or why they read nothing), OK and
// Cancel. Every change of a choice shows its reading at once; OK is
// possible only while the choices read something. The form (base/viewHost.h)
// comes from the view and gets the choices back on OK.
#pragma once

#include <wx/dialog.h>

#include <vector>

#include "base/viewHost.h"

class wxChoice;
class wxStaticText;
class wxGrid;

namespace kelvra {

class CImportDlg : public wxDialog {
public:
    CImportDlg(wxWindow* parent, const std::string& fileTitle, ImportForm& form);

    // What the dialog holds, for the tests that drive it.
    wxChoice* choiceControl(int index) const { return choices_[std::size_t(index)]; }
    wxGrid* previewGrid() const { return grid_; }
    wxStaticText* summaryLine() const { return summary_; }
    // Selects option `option` of choice `index`, as the user would.
    void select(int index, int option);
    void pressOk() { pressButton(wxID_OK); }
    void pressCancel() { pressButton(wxID_CANCEL); }

private:
    void pressButton(int id);
    void showPreview();
    void onOk(wxCommandEvent& event);

    ImportForm& form_;
    std::vector<wxChoice*> choices_;
    wxGrid* grid_ = nullptr;
    wxStaticText* summary_ = nullptr;
};

}  // namespace kelvra
