// CSettingsDlg: the modal settings dialog "設定": a notebook of the eleven
// pages, "OK" and "ｷｬﾝｾﾙ". It edits a working copy of the settings record
// (settings/dialogRules.h); runSettingsDialog writes the copy back on OK
// only. Enter and Escape do nothing inside it; the close box cancels.
#pragma once

#include <wx/dialog.h>

#include <vector>

#include "app/gui/dialog/settingsPage.h"

class wxNotebook;

namespace kelvra {

class CSettingsDlg : public wxDialog {
public:
    CSettingsDlg(wxWindow* parent, SettingsDialogState& state, const DialogServices& services);

    CSettingsPage* page(int index) const;
    int currentPage() const;

    // ---- what a user does, for tests: the events a click or a keystroke sends ----
    void showPage(int index);   // a click on the tab
    bool typeText(int pageIndex, int id, const wxString& text) { return page(pageIndex)->typeText(id, text); }
    bool click(int pageIndex, int id) { return page(pageIndex)->click(id); }
    bool choose(int pageIndex, int id, int position) { return page(pageIndex)->choose(id, position); }
    void pressOk() { pressButton(wxID_OK); }
    void pressCancel() { pressButton(wxID_CANCEL); }

private:
    void pressButton(int id);
    void onOk(wxCommandEvent& event);
    void onCancel(wxCommandEvent& event);
    void onClose(wxCloseEvent& event);
    void onCharHook(wxKeyEvent& event);

    SettingsDialogState& state_;
    DialogServices services_;   // the pages hold it by reference
    wxNotebook* notebook_ = nullptr;
    std::vector<CSettingsPage*> pages_;
};

// Runs the dialog on `record`, opening at its settingsPage. On OK the record
// takes every page's values and the page shown, and the result is true; on
// cancel or close the record is untouched.
bool runSettingsDialog(wxWindow* parent, GraphSettings& record, const GraphData& data, const DialogServices& services);

}  // namespace kelvra
