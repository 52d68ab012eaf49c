// The import dialog (see importDlg.h).
#include "app/gui/importDlg.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

#include "app/gui/guiText.h"

namespace kelvra {
namespace {

constexpr int kPreviewWidth = 640;    // pixels; the grid scrolls beyond
constexpr int kPreviewHeight = 260;
constexpr int kCellWidth = 72;

}  // namespace

CImportDlg::CImportDlg(wxWindow* parent, const std::string& fileTitle, ImportForm& form)
    : wxDialog(parent, wxID_ANY, ui("ﾃﾞｰﾀの取り込み"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      form_(form) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, wxID_ANY,
                                fromCp932(fileTitle) + ui(" はこのﾌﾟﾛｸﾞﾗﾑの形式ではありません。読み方を選んでください。")),
               0, wxALL, 8);

    auto* fields = new wxFlexGridSizer(2, 4, 8);
    for (const ImportForm::Choice& c : form_.choices) {
        wxArrayString options;
        for (const std::string& o : c.options) options.Add(fromCp932(o));
        auto* choice = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, options);
        choice->SetSelection(c.selected);
        choice->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { showPreview(); });
        fields->Add(new wxStaticText(this, wxID_ANY, fromCp932(c.label)), 0, wxALIGN_CENTER_VERTICAL);
        fields->Add(choice, 0, wxEXPAND);
        choices_.push_back(choice);
    }
    sizer->Add(fields, 0, wxLEFT | wxRIGHT, 8);

    grid_ = new wxGrid(this, wxID_ANY, wxDefaultPosition, wxSize(kPreviewWidth, kPreviewHeight));
    grid_->CreateGrid(0, 0);
    grid_->EnableEditing(false);
    grid_->SetRowLabelSize(wxGRID_AUTOSIZE);
    grid_->SetDefaultColSize(kCellWidth);
    sizer->Add(grid_, 1, wxEXPAND | wxALL, 8);

    summary_ = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    sizer->Add(summary_, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    sizer->Add(CreateSeparatedButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);
    Bind(wxEVT_BUTTON, &CImportDlg::onOk, this, wxID_OK);
    showPreview();
    CentreOnParent();
}

void CImportDlg::showPreview() {
    std::vector<int> selected;
    for (wxChoice* c : choices_) selected.push_back(std::max(c->GetSelection(), 0));
    const ImportForm::Preview preview = form_.preview ? form_.preview(selected) : ImportForm::Preview{};

    grid_->BeginBatch();
    if (grid_->GetNumberRows() > 0) grid_->DeleteRows(0, grid_->GetNumberRows());
    if (grid_->GetNumberCols() > 0) grid_->DeleteCols(0, grid_->GetNumberCols());
    grid_->AppendCols(int(preview.columns.size()));
    grid_->AppendRows(int(preview.rows.size()));
    for (std::size_t c = 0; c < preview.columns.size(); ++c) grid_->SetColLabelValue(int(c), fromCp932(preview.columns[c]));
    for (std::size_t r = 0; r < preview.rows.size(); ++r)
        for (std::size_t c = 0; c < preview.rows[r].size() && c < preview.columns.size(); ++c)
            grid_->SetCellValue(int(r), int(c), fromCp932(preview.rows[r][c]));
    grid_->EndBatch();
    grid_->ForceRefresh();

    summary_->SetLabel(fromCp932(preview.summary));
    summary_->SetToolTip(fromCp932(preview.summary));
    if (wxWindow* ok = FindWindow(wxID_OK)) ok->Enable(preview.readable);
}

void CImportDlg::onOk(wxCommandEvent&) {
    for (std::size_t i = 0; i < choices_.size() && i < form_.choices.size(); ++i)
        form_.choices[i].selected = std::max(choices_[i]->GetSelection(), 0);
    EndModal(wxID_OK);
}

void CImportDlg::select(int index, int option) {
    choices_[std::size_t(index)]->SetSelection(option);
    showPreview();
}

// As a click: nothing when the button is disabled.
void CImportDlg::pressButton(int id) {
    wxWindow* button = FindWindow(id);
    if (!button || !button->IsEnabled()) return;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

}  // namespace kelvra
