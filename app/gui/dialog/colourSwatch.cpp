// Colour swatches and the colour dialog they open (see colourSwatch.h).
#include "app/gui/dialog/colourSwatch.h"

#include <wx/colordlg.h>
#include <wx/dcclient.h>

#include <array>

namespace kelvra {
namespace {

wxColour wxColourOf(const Rgb& colour) {
    ColourBytes b = colourBytes(colour);
    return wxColour(b.r, b.g, b.b);
}

// The full form's own custom colours: black at first, then what the user
// left in them, for as long as the program runs.
std::array<wxColour, wxColourData::NUM_CUSTOM>& fullFormCustomColours() {
    static std::array<wxColour, wxColourData::NUM_CUSTOM> colours = [] {
        std::array<wxColour, wxColourData::NUM_CUSTOM> black;
        black.fill(*wxBLACK);
        return black;
    }();
    return colours;
}

}  // namespace

std::optional<Rgb> chooseColourWithDialog(wxWindow* owner, const ColourRequest& request) {
    wxColourData data;
    data.SetColour(wxColourOf(request.colour));
    bool full = request.form == ColourDialogForm::Full;
    data.SetChooseFull(full);
    if (full)
        for (int i = 0; i < wxColourData::NUM_CUSTOM; ++i) data.SetCustomColour(i, fullFormCustomColours()[i]);
    wxColourDialog dialog(owner, &data);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    const wxColourData& chosen = dialog.GetColourData();
    if (full)
        for (int i = 0; i < wxColourData::NUM_CUSTOM; ++i)
            if (chosen.GetCustomColour(i).IsOk()) fullFormCustomColours()[i] = chosen.GetCustomColour(i);
    wxColour c = chosen.GetColour();
    return colourOfBytes({c.Red(), c.Green(), c.Blue()});
}

CColourSwatch::CColourSwatch(wxWindow* parent, int id, const wxSize& size)
    : wxWindow(parent, id, wxDefaultPosition, size, wxBORDER_SIMPLE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetMinSize(size);
    Bind(wxEVT_PAINT, &CColourSwatch::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CColourSwatch::onClick, this);
    // The key hook comes before the dialog's own, which keeps Return from
    // doing anything else in the settings dialog.
    Bind(wxEVT_CHAR_HOOK, &CColourSwatch::onKey, this);
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        Refresh();
        e.Skip();
    });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        Refresh();
        e.Skip();
    });
}

void CColourSwatch::setColour(const Rgb& colour) {
    ColourBytes b = colourBytes(colour);
    if (b == bytes_) return;
    bytes_ = b;
    Refresh();
}

void CColourSwatch::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    wxColour colour(bytes_.r, bytes_.g, bytes_.b);
    dc.SetBrush(wxBrush(colour));
    dc.SetPen(wxPen(colour));
    wxSize size = GetClientSize();
    dc.DrawRectangle(0, 0, size.x, size.y);
    if (!HasFocus()) return;
    // The focus: a dotted frame a pixel inside, in black or white, whichever
    // stands out from the colour.
    const bool dark = bytes_.r * 299 + bytes_.g * 587 + bytes_.b * 114 < 128000;
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(wxPen(dark ? *wxWHITE : *wxBLACK, 1, wxPENSTYLE_DOT));
    dc.DrawRectangle(1, 1, size.x - 2, size.y - 2);
}

void CColourSwatch::onClick(wxMouseEvent&) {
    SetFocus();
    press();
}

void CColourSwatch::onKey(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_SPACE:
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
        case WXK_NUMPAD_SPACE:
            if (!event.HasAnyModifiers()) {
                press();
                return;
            }
            break;
    }
    event.Skip();
}

void CColourSwatch::press() {
    wxCommandEvent click(wxEVT_BUTTON, GetId());
    click.SetEventObject(this);
    ProcessWindowEvent(click);
}

}  // namespace kelvra
