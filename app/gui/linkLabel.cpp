// The link label (see linkLabel.h).
#include "app/gui/linkLabel.h"

#include <wx/settings.h>
#include <wx/utils.h>

#include "app/gui/desktopOpen.h"
#include "app/gui/messageBox.h"

namespace kelvra {

CLinkLabel::CLinkLabel(wxWindow* parent, wxWindowID id, const wxString& text, const wxString& target,
                       const wxPoint& pos, const wxSize& size, long style) {
    // Created here rather than through the base constructor, so that the
    // base's SetURL call reaches this class (tooltip). The fit waits until
    // the base has given the control its initial size.
    Create(parent, id, text, target, pos, size, style);
    created_ = true;
    SetNormalColour(wxColour(0, 0, 255));
    SetVisitedColour(wxColour(85, 26, 139));
    SetHoverColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    Bind(wxEVT_HYPERLINK, &CLinkLabel::onLinkClicked, this);
    if (fitToText_) fit();
}

void CLinkLabel::SetURL(const wxString& target) {
    wxGenericHyperlinkCtrl::SetURL(target);
    SetToolTip(target);
}

void CLinkLabel::SetLabel(const wxString& text) {
    wxGenericHyperlinkCtrl::SetLabel(text);
    if (fitToText_ && created_) fit();
    Refresh();
}

bool CLinkLabel::SetFont(const wxFont& font) {
    wxFont shown = font;
    shown.SetUnderlined(underline_);
    bool changed = wxGenericHyperlinkCtrl::SetFont(shown);
    if (fitToText_ && created_) fit();
    Refresh();
    return changed;
}

void CLinkLabel::setUnderline(bool underline) {
    underline_ = underline;
    SetFont(GetFont());
}

void CLinkLabel::setFitToText(bool fit) {
    fitToText_ = fit;
    if (fitToText_) this->fit();
}

void CLinkLabel::fit() {
    wxSize text = GetTextExtent(GetLabel());
    wxRect now = GetRect();
    int x = now.x;
    if (HasFlag(wxHL_ALIGN_CENTRE))
        x = now.x + (now.width - text.x) / 2;
    else if (HasFlag(wxHL_ALIGN_RIGHT))
        x = now.GetRight() + 1 - text.x;
    SetMinSize(text);   // what a sizer gives it, too
    SetSize(x, now.y, text.x, text.y);
}

bool CLinkLabel::openTarget() {
    std::string target = GetURL().utf8_string();
    OpenResult result = openWithDefaultApplication(target);
    // Second try: the web browser, which takes most addresses. When there is
    // none, the first answer is the reason.
    if (!result.ok()) {
        OpenResult browser = openWithWebBrowser(target);
        if (browser.failure != OpenFailure::NoApplication) result = browser;
    }
    if (result.ok()) {
        SetVisited(true);
        Refresh();
        return true;
    }
    SetVisited(false);
    SetForegroundColour(GetNormalColour());
    Refresh();
    wxBell();
    wxString message = "Unable to open hyperlink:\n\n" + wxString::FromUTF8(openFailureText(result));
    if (reportFailure)
        reportFailure(message);
    else
        showMessageBox(wxGetTopLevelParent(this), message);
    return false;
}

// The base control has already drawn the label visited; whether it stays so
// depends on the outcome.
void CLinkLabel::onLinkClicked(wxHyperlinkEvent&) { openTarget(); }

}  // namespace kelvra
