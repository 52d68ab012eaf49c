// The image save's 倍率 and background (see pictureOptionsDlg.h).
#include "app/gui/pictureOptionsDlg.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <iterator>
#include <string>

#include "app/gui/guiText.h"
#include "output/picture.h"

namespace kelvra {

CPictureOptionsDlg::CPictureOptionsDlg(wxWindow* parent, PixelSize client, const PictureSaveChoice& choice)
    : wxDialog(parent, wxID_ANY, ui("画像の保存")) {
    wxArrayString labels;
    for (const PictureScaleChoice& c : kPictureScaleChoices) {
        const PixelSize size = pictureSize(chosenPicture(client, c, false));
        labels.Add(ui((std::string(c.label) + " (" + std::to_string(size.width) + " × " + std::to_string(size.height) + ")").c_str()));
    }
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, ui("倍率")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    scale_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, labels);
    const int chosen = choice.scale >= 0 && choice.scale < int(std::size(kPictureScaleChoices)) ? choice.scale : 0;
    scale_->SetSelection(chosen);
    row->Add(scale_, 1);
    sizer->Add(row, 0, wxEXPAND | wxALL, 10);
    transparent_ = new wxCheckBox(this, wxID_ANY, ui("背景を透明にする (PNG、SVG、PDF、EPS)"));
    transparent_->SetValue(choice.transparent);
    sizer->Add(transparent_, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(new wxStaticText(this, wxID_ANY,
                                ui("文字、線、点、余白も同じ倍率で大きくなります。\nSVG、PDF、EPS では図形が多いときの画像の解像度です。")),
               0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

PictureSaveChoice CPictureOptionsDlg::choice() const {
    return {scale_->GetSelection() < 0 ? 0 : scale_->GetSelection(), transparent_->GetValue()};
}

}  // namespace kelvra
