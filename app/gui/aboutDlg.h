// CAboutDlg: the about box ("ﾊﾞｰｼﾞｮﾝ情報"). The application icon, the
// program's name and version, a line on what it is for, a link to the
// product web page, a mail link to the author, and OK. Modal.
#pragma once

#include <wx/dialog.h>

namespace kelvra {

class CLinkLabel;

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);

    CLinkLabel* webLink() { return webLink_; }
    CLinkLabel* mailLink() { return mailLink_; }

private:
    CLinkLabel* webLink_ = nullptr;
    CLinkLabel* mailLink_ = nullptr;
};

}  // namespace kelvra
