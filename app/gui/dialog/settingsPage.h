// CSettingsPage: one page of the settings dialog, laid out from its groups and
// control rows (settings/dialogControls.h): each at the place and size the
// table gives in dialog units, converted with the dialog font's own units as
// the toolkit converts a dialog resource, and no smaller than the toolkit
// needs to show it whole. Every page is this one class: what
// a page does when a control is used (the graph types following the display
// kind, the legend's display kinds following the colour source, the font page
// following the text role, the int edits' checks, ﾃﾞﾌｫﾙﾄ) is a dialog rule
// (settings/dialogRules.h), which the page calls before it shows the state
// again.
#pragma once

#include <wx/panel.h>

class wxStaticText;

#include <functional>
#include <string>
#include <vector>

#include "app/gui/dialog/colourSwatch.h"
#include "settings/dialogRules.h"

namespace kelvra {

class CFontSample;

// What the pages need from outside: the program's message box, and a colour
// dialog (empty for the toolkit's own; tests put their own in).
struct DialogServices {
    std::function<void(const std::string& cp932)> message;
    ColourChooser chooseColour;
};

// The legend colour page's figures (UTF-8, two lines): the smallest CIEDE2000
// difference between neighbouring bands of the levels in use, for normal
// vision, deuteranopia and protanopia, marked with "＊" under 10.
std::string bandDifferenceText(const GraphSettings& s);

class CSettingsPage : public wxPanel {
public:
    CSettingsPage(wxWindow* parent, SettingsPage page, SettingsDialogState& state, const DialogServices& services);

    SettingsPage page() const { return page_; }
    // The control with this id on the page; null for none.
    wxWindow* control(int id) const;
    // Shows the state: texts that differ, checks, list entries and choices,
    // colours, what is enabled and shown.
    void refresh();

    // What a user does to the control with this id, sent as the event the
    // toolkit sends for it. False when there is no such control, or the user
    // could not reach it (disabled or hidden).
    bool typeText(int id, const wxString& text);
    bool click(int id);   // check box, radio button, swatch or button
    bool choose(int id, int position);

private:
    void build();
    wxRect pixels(const DuRect& r) const;
    wxWindow* makeControl(int index);
    void showFontSample();
    int indexOf(int id) const;
    bool reachable(wxWindow* window) const;

    void onText(wxCommandEvent& event);
    // Runs a rule for the control an event came from, then shows the state.
    void onControl(wxCommandEvent& event, const std::function<void(int)>& rule);
    void chooseSwatchColour(int index);

    SettingsPage page_;
    SettingsDialogState& state_;
    const DialogServices& services_;
    struct Placed {
        int index;   // into kDialogControls
        wxWindow* window;
    };
    std::vector<Placed> controls_;
    CFontSample* sample_ = nullptr;   // the font page's
    wxStaticText* bandDifferences_ = nullptr;   // the legend colour page's
    bool refreshing_ = false;
};

}  // namespace kelvra
