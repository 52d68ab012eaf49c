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
}

void CColourSwatch::onClick(wxMouseEvent&) {
    wxCommandEvent click(wxEVT_BUTTON, GetId());
    click.SetEventObject(this);
    ProcessWindowEvent(click);
}

}  // namespace kelvra
