// CColourSwatch: a framed box painted with one colour, which sends a button
// event with its id when clicked, or when Space or Return is pressed while it
// has the keyboard focus (which it shows by a dotted frame inside its own);
// and the colour dialog the swatches open.
//
// The dialog comes in two forms: the graph details page opens the basic one
// with the toolkit's own custom colours, the legend colour page the full one
// with sixteen custom colours of its own, black at first, kept from one use
// to the next for the run of the program. (GTK's colour dialog has one form;
// there the difference is only whose custom colours its palette shows.)
#pragma once

#include <wx/window.h>

#include <functional>
#include <optional>

#include "settings/dialogRules.h"

namespace kelvra {

enum class ColourDialogForm { Basic, Full };

struct ColourRequest {
    Rgb colour;               // the colour the dialog starts at
    ColourDialogForm form;
};

// Asks the user for a colour: the chosen one, or nothing after a cancel.
using ColourChooser = std::function<std::optional<Rgb>(const ColourRequest&)>;

// The toolkit's colour dialog over `owner`. The colour goes in and comes back
// as bytes (colourBytes, colourOfBytes).
std::optional<Rgb> chooseColourWithDialog(wxWindow* owner, const ColourRequest& request);

class CColourSwatch : public wxWindow {
public:
    CColourSwatch(wxWindow* parent, int id, const wxSize& size);
    // Repaints when the painted bytes change.
    void setColour(const Rgb& colour);
    ColourBytes painted() const { return bytes_; }

    // A Tab stop: reached from the keyboard like a button.
    bool AcceptsFocus() const override { return IsShown() && IsEnabled(); }
    bool AcceptsFocusFromKeyboard() const override { return AcceptsFocus(); }

private:
    void onPaint(wxPaintEvent& event);
    void onClick(wxMouseEvent& event);
    void onKey(wxKeyEvent& event);
    void press();
    ColourBytes bytes_;
};

}  // namespace kelvra
