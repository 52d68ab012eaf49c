// The settings dialog frame (see settingsDlg.h).
#include "app/gui/dialog/settingsDlg.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/sizer.h>

#include "app/gui/guiText.h"
#include "render/fonts.h"

namespace kelvra {
namespace {

constexpr int kNotebookId = 1180;
constexpr int kDialogFace = 0;   // ＭＳ Ｐゴシック in the face table
constexpr int kMarginDu = 7;     // around the tab control and the buttons

bool isEnterOrEscape(int key) { return key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE; }

}  // namespace

CSettingsDlg::CSettingsDlg(wxWindow* parent, SettingsDialogState& state, const DialogServices& services)
    : wxDialog(parent, wxID_ANY, ui("設定")), state_(state), services_(services) {
    // The dialog's font: the face of the program's dialogs at the desktop's
    // size. Its dialog units size every page (settingsPage.h).
    wxFont font = GetFont();
    font.SetFaceName(faceSubstitute(kDialogFace).family);
    SetFont(font);

    // The toolkit scrolls a tab strip wider than the pages: the dialog keeps
    // the pages' width and the eleven tabs scroll.
    notebook_ = new wxNotebook(this, kNotebookId);
    for (int p = 0; p < SettingsPageCount; ++p) {
        auto* page = new CSettingsPage(notebook_, SettingsPage(p), state_, services_);
        pages_.push_back(page);
        notebook_->AddPage(page, ui(kSettingsPageLabels[p]));
    }
    notebook_->SetSelection(std::size_t(state_.currentPage));

    const int margin = ConvertDialogToPixels(wxSize(kMarginDu, 0)).x;
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_OK, "OK"));
    buttons->Add(new wxButton(this, wxID_CANCEL, ui("ｷｬﾝｾﾙ")), 0, wxLEFT, margin);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(notebook_, 1, wxEXPAND | wxALL, margin);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, margin);
    SetSizerAndFit(sizer);
    CentreOnParent();

    Bind(wxEVT_BUTTON, &CSettingsDlg::onOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &CSettingsDlg::onCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CSettingsDlg::onClose, this);
    Bind(wxEVT_CHAR_HOOK, &CSettingsDlg::onCharHook, this);
}

CSettingsPage* CSettingsDlg::page(int index) const { return pages_.at(std::size_t(index)); }

int CSettingsDlg::currentPage() const { return notebook_->GetSelection(); }

void CSettingsDlg::showPage(int index) { notebook_->ChangeSelection(std::size_t(index)); }

void CSettingsDlg::pressButton(int id) {
    wxWindow* button = FindWindow(id);
    if (!button) return;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

void CSettingsDlg::onOk(wxCommandEvent&) {
    state_.currentPage = currentPage();
    EndModal(wxID_OK);
}

void CSettingsDlg::onCancel(wxCommandEvent&) { EndModal(wxID_CANCEL); }

void CSettingsDlg::onClose(wxCloseEvent&) { EndModal(wxID_CANCEL); }

// The dialog closes by its buttons and its close box only: Enter does not
// press OK and Escape does not cancel, wherever the focus is.
void CSettingsDlg::onCharHook(wxKeyEvent& event) {
    if (isEnterOrEscape(event.GetKeyCode())) return;
    event.Skip();
}

bool runSettingsDialog(wxWindow* parent, GraphSettings& record, const GraphData& data, const DialogServices& services) {
    SettingsDialogState state = openSettingsDialog(record, data);
    CSettingsDlg dialog(parent, state, services);
    if (dialog.ShowModal() != wxID_OK) return false;
    applySettingsDialog(state, record);
    return true;
}

}  // namespace kelvra
