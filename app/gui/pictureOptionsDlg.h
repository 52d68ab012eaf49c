// CPictureOptionsDlg: asked after the name in File/画像の保存: the picture's
// 倍率 (1x to 4x, or A4's width at 300 or 600 dpi; each with the pixel size it
// gives for the window) and a transparent background. The choice is kept for
// the next save of the session.
#pragma once

#include <wx/dialog.h>

#include "base/viewHost.h"

class wxCheckBox;
class wxChoice;

namespace kelvra {

struct PictureSaveChoice {
    int scale = 0;              // position in kPictureScaleChoices
    bool transparent = false;
};

class CPictureOptionsDlg : public wxDialog {
public:
    CPictureOptionsDlg(wxWindow* parent, PixelSize client, const PictureSaveChoice& choice);
    PictureSaveChoice choice() const;

    wxChoice* scaleList() const { return scale_; }
    wxCheckBox* transparentBox() const { return transparent_; }

private:
    wxChoice* scale_ = nullptr;
    wxCheckBox* transparent_ = nullptr;
};

}  // namespace kelvra
