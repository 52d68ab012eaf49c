// The load progress window (see loadProgressDlg.h).
#include "app/gui/loadProgressDlg.h"

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstdio>

#include "app/gui/guiText.h"
#include "base/appInfo.h"
#include "base/cp932.h"

namespace kelvra {

std::string loadFiguresText(int percent, std::uint64_t fileBytes) {
    const double total = double(fileBytes) / 1e6;
    char text[64];
    std::snprintf(text, sizeof text, "%d %%   %.1f / %.1f MB", percent, total * percent / 100.0, total);
    return text;
}

CLoadProgressDlg::CLoadProgressDlg(wxWindow* view, const std::string& title, std::uint64_t fileBytes)
    : wxDialog(wxGetTopLevelParent(view), wxID_ANY, kAppTitle, wxDefaultPosition, wxDefaultSize, wxCAPTION),
      fileBytes_(fileBytes) {
    auto* name = new wxStaticText(this, wxID_ANY, fromCp932(title), wxDefaultPosition, wxSize(240, -1),
                                  wxST_ELLIPSIZE_MIDDLE);
    gauge_ = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(240, -1), wxGA_HORIZONTAL | wxGA_SMOOTH);
    figures_ = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(loadFiguresText(100, fileBytes)));
    auto* stop = new wxButton(this, wxID_CANCEL, fromCp932(sj("中止")));
    stop->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { stopAsked_ = true; });
    SetEscapeId(wxID_CANCEL);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(name, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    sizer->Add(gauge_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    sizer->Add(figures_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 12);
    sizer->Add(stop, 0, wxALIGN_CENTER_HORIZONTAL | wxALL, 12);
    SetSizerAndFit(sizer);
    showFigures();
    wxRect r = view->GetScreenRect();
    Move(r.x + r.width / 2 - 130, r.y + r.height / 2 - 80);
}

CLoadProgressDlg::~CLoadProgressDlg() = default;

void CLoadProgressDlg::showNow() {
    // Input goes to this window alone until it closes: a menu command or a
    // second load must not run in the middle of this one.
    focusBefore_ = wxWindow::FindFocus();
    othersDisabled_ = std::make_unique<wxWindowDisabler>(this);
    Show();
    repaintNow();
}

void CLoadProgressDlg::hideNow() {
    Hide();
    othersDisabled_.reset();
    if (focusBefore_) focusBefore_->SetFocus();
}

bool CLoadProgressDlg::setLoadProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent != position_) {
        position_ = percent;
        gauge_->SetValue(percent);
        showFigures();
        if (IsShown()) repaintNow();
    }
    return !stopAsked_;
}

void CLoadProgressDlg::showFigures() { figures_->SetLabel(wxString::FromUTF8(loadFiguresText(position_, fileBytes_))); }

void CLoadProgressDlg::repaintNow() {
    // GTK paints only from its main loop; Update() alone leaves the window
    // blank. Paint, size and input events run; the rest (timers, queued
    // calls) waits until the load has finished. The other windows are
    // disabled, so the input can only reach this one.
    Update();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive())
        loop->YieldFor(wxEVT_CATEGORY_UI | wxEVT_CATEGORY_USER_INPUT);
}

}  // namespace kelvra
