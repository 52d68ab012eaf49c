// The about box (see aboutDlg.h). Laid out by sizers in the dialog font the
// program's dialogs use (the ＭＳ Ｐゴシック face, which is IPAPGothic here).
#include "app/gui/aboutDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <string>

#include "app/gui/appImages.h"
#include "app/gui/guiText.h"
#include "app/gui/helpCommands.h"
#include "app/gui/linkLabel.h"
#include "base/appInfo.h"
#include "render/fonts.h"

namespace kelvra {

namespace {
constexpr int kDialogFace = 0;   // ＭＳ Ｐゴシック in the face table
constexpr int kIconSize = 48;
constexpr int kGap = 12;
}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, ui("ﾊﾞｰｼﾞｮﾝ情報")) {
    wxFont font = GetFont();
    font.SetFaceName(faceSubstitute(kDialogFace).family);
    SetFont(font);

    auto* texts = new wxBoxSizer(wxVERTICAL);
    texts->Add(new wxStaticText(this, wxID_ANY, wxString("Kelvra version ") + kVersion));
    texts->Add(new wxStaticText(this, wxID_ANY, ui("数値データの3次元グラフ表示")), 0, wxTOP, 4);
    // The targets: the page shows its own address, the mail link its address.
    webLink_ = new CLinkLabel(this, wxID_ANY, kProductPage, "");
    mailLink_ = new CLinkLabel(this, wxID_ANY, kAuthorMail, wxString("mailto:") + kAuthorMail);
    texts->Add(webLink_, 0, wxTOP, kGap);
    texts->Add(mailLink_, 0, wxTOP | wxBOTTOM, 4);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, appIconBitmap(kIconSize)), 0, wxALL, kGap);
    row->Add(texts, 1, wxTOP | wxBOTTOM, kGap);
    row->Add(ok, 0, wxALL, kGap);
    SetSizerAndFit(row);
    SetEscapeId(wxID_OK);
    CentreOnParent();
    ok->SetFocus();
}

}  // namespace kelvra
