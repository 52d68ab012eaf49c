// The selected-data window (see selectedDataDlg.h).
#include "app/gui/selectedDataDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "app/gui/guiText.h"
#include "base/cp932.h"
#include "view/kelvraView.h"
#include "app/gui/textClipboard.h"

namespace kelvra {

CSelectedDataDlg::CSelectedDataDlg(wxWindow* parent, CKelvraView& view)
    : wxDialog(parent, wxID_ANY, ui("選択ﾃﾞｰﾀ"), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
      view_(view) {
    text_ = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(380, 150),
                           wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL | wxALWAYS_SHOW_SB | wxTE_DONTWRAP);
    clear_ = new wxButton(this, wxID_ANY, ui("削除"));
    copy_ = new wxButton(this, wxID_ANY, ui("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"));
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(clear_, 0, wxRIGHT, 8);
    buttons->Add(copy_, 0);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(text_, 1, wxEXPAND | wxALL, 8);
    sizer->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 8);
    SetSizerAndFit(sizer);
    clear_->Bind(wxEVT_BUTTON, &CSelectedDataDlg::onClear, this);
    copy_->Bind(wxEVT_BUTTON, &CSelectedDataDlg::onCopy, this);
}

void CSelectedDataDlg::showAt(wxPoint screenTopLeft) {
    if (!positioned_) {
        Move(screenTopLeft);
        positioned_ = true;
    }
    showText();
    Show();
}

void CSelectedDataDlg::showText() {
    // The record keeps CR LF line breaks (they go to the clipboard so); the
    // text control takes LF.
    wxString text = fromCp932(view_.state.selectedText.text);
    text.Replace("\r\n", "\n");
    text_->ChangeValue(text);
    text_->SetInsertionPointEnd();
    text_->ShowPosition(text_->GetLastPosition());
}

void CSelectedDataDlg::onClear(wxCommandEvent&) {
    view_.clearSelectedText();
    showText();
}

// A clipboard that cannot be opened keeps what it had, without a message, as
// the picture copy does.
void CSelectedDataDlg::onCopy(wxCommandEvent&) { copySelectedText(view_.state.selectedText.text); }

}  // namespace kelvra
