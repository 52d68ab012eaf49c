// CLinkLabel: a line of text that behaves as a hyperlink. wx's generic
// hyperlink control already draws the text in a link, visited or hover
// colour, shows the hand cursor over it and reports a click; this adds what
// the program's link labels do beyond that:
//   - the colours of the program's links (blue, a visited purple, the
//     system highlight while the mouse is over the text);
//   - a tooltip showing the target;
//   - underlining that can be switched off;
//   - fitting the control to its text, keeping the edge or the centre its
//     alignment holds in place;
//   - opening the target with the desktop's default application, and then
//     with the web browser, and on failure a beep, "Unable to open
//     hyperlink:" with the reason in the program's message box, and the
//     label drawn unvisited.
// An empty target means the label's text; an empty text shows the target.
#pragma once

#include <wx/hyperlink.h>   // wxHyperlinkCtrlBase, then the generic control

#include <functional>

namespace kelvra {

class CLinkLabel : public wxGenericHyperlinkCtrl {
public:
    // `style`: wxHL_ALIGN_LEFT, wxHL_ALIGN_RIGHT or wxHL_ALIGN_CENTRE, with
    // the other wxHL_ and window styles.
    CLinkLabel(wxWindow* parent, wxWindowID id, const wxString& text, const wxString& target,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               long style = wxHL_ALIGN_LEFT | wxHL_CONTEXTMENU | wxNO_BORDER);

    // The target; the tooltip follows it.
    void SetURL(const wxString& target) override;
    // The text; the control fits itself to it when it is to.
    void SetLabel(const wxString& text) override;
    bool SetFont(const wxFont& font) override;

    void setUnderline(bool underline);
    bool underline() const { return underline_; }
    // On: the control takes its text's size now and after each change of text or font.
    void setFitToText(bool fit);
    bool fitToText() const { return fitToText_; }
    // Resizes the control to its text. A centred label keeps its horizontal
    // centre, a right-aligned one its right edge, any other its left edge;
    // the top stays where it is.
    void fit();

    // What a click does: opens the target; on failure beeps, reports the
    // reason and leaves the label unvisited. True when the target opened.
    bool openTarget();

    // Replaces the message box of a failed click (tests); empty: the box.
    std::function<void(const wxString& message)> reportFailure;

private:
    void onLinkClicked(wxHyperlinkEvent& event);

    bool underline_ = true;
    bool fitToText_ = true;
    bool created_ = false;
};

}  // namespace kelvra
