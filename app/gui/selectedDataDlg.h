// CSelectedDataDlg: the modeless "選択ﾃﾞｰﾀ" window that collects the values of
// successive picks. A read-only multi-line text with a vertical scroll bar,
// and two buttons: "削除" empties it, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ" puts the text on the
// clipboard. The text itself is the view's record (selectedText); the window
// shows it. Created hidden with the view window; closing it only hides it.
#pragma once

#include <wx/dialog.h>

class wxButton;
class wxTextCtrl;

namespace kelvra {

class CKelvraView;

class CSelectedDataDlg : public wxDialog {
public:
    CSelectedDataDlg(wxWindow* parent, CKelvraView& view);

    // Shows the view's text scrolled to its last line. The first time the
    // window is moved to `screenTopLeft`; afterwards it stays where the user
    // left it.
    void showAt(wxPoint screenTopLeft);

    wxTextCtrl* textBox() const { return text_; }
    wxButton* clearButton() const { return clear_; }
    wxButton* copyButton() const { return copy_; }

private:
    void showText();
    void onClear(wxCommandEvent& event);
    void onCopy(wxCommandEvent& event);

    CKelvraView& view_;
    wxTextCtrl* text_ = nullptr;
    wxButton* clear_ = nullptr;
    wxButton* copy_ = nullptr;
    bool positioned_ = false;
};

}  // namespace kelvra
