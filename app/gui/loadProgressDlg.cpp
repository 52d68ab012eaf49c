// The load progress window (see loadProgressDlg.h).
#include "app/gui/loadProgressDlg.h"

#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/sizer.h>

#include <algorithm>

#include "base/appInfo.h"

namespace kelvra {

CLoadProgressDlg::CLoadProgressDlg(wxWindow* view)
    : wxDialog(wxGetTopLevelParent(view), wxID_ANY, kAppTitle, wxDefaultPosition, wxDefaultSize, wxCAPTION) {
    gauge_ = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(240, -1), wxGA_HORIZONTAL | wxGA_SMOOTH);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(gauge_, 0, wxEXPAND | wxALL, 12);
    SetSizerAndFit(sizer);
    wxRect r = view->GetScreenRect();
    Move(r.x + r.width / 2 - 130, r.y + r.height / 2 - 80);
}

void CLoadProgressDlg::showNow() {
    Show();
    repaintNow();
}

void CLoadProgressDlg::setLoadProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == position_) return;
    position_ = percent;
    gauge_->SetValue(percent);
    if (IsShown()) repaintNow();
}

void CLoadProgressDlg::repaintNow() {
    // GTK paints only from its main loop; Update() alone leaves the window
    // blank. Letting the loop run for paint and size events alone keeps user
    // input (and with it any command) queued until the load has finished.
    Update();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
}

}  // namespace kelvra
