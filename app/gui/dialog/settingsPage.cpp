// One settings page: layout from the tables, events into the dialog rules
// (see settingsPage.h).
#include "app/gui/dialog/settingsPage.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gbsizer.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/gui/guiText.h"

namespace kelvra {
namespace {

constexpr int kSwatchWidth = 60, kSwatchHeight = 9;   // dialog units
constexpr int kLevelSwatchWidth = 90, kLevelSwatchHeight = 7;

// A control that carries its own label (check box, radio button, button)
// or none takes both columns of its form slot.
bool ownsItsLabel(const DialogControl& c) {
    return !c.label || c.widget == Widget::Check || c.widget == Widget::Radio || c.widget == Widget::Button;
}

}  // namespace

CSettingsPage::CSettingsPage(wxWindow* parent, SettingsPage page, SettingsDialogState& state,
                             const DialogServices& services)
    : wxPanel(parent, wxID_ANY), page_(page), state_(state), services_(services) {
    build();
    refresh();
    Bind(wxEVT_TEXT, &CSettingsPage::onText, this);
    Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) {
        onControl(e, [&](int i) { setControlChecked(state_, i, e.IsChecked()); });
    });
    Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent& e) { onControl(e, [&](int i) { chooseRadio(state_, i); }); });
    Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) {
        onControl(e, [&](int i) { chooseListEntry(state_, i, e.GetSelection()); });
    });
    // The ﾃﾞﾌｫﾙﾄ button and the colour swatches.
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
        onControl(e, [&](int i) {
            if (kDialogControls[std::size_t(i)].widget == Widget::Button) pressButton(state_, i);
            else chooseSwatchColour(i);
        });
    });
}

// ---- layout -----------------------------------------------------------------------------

void CSettingsPage::build() {
    const int gap = FromDIP(6);
    auto* groups = new wxGridBagSizer(gap, gap);
    for (std::size_t g = 0; g < kControlGroups.size(); ++g) {
        const ControlGroup& group = kControlGroups[g];
        if (group.page != page_) continue;
        wxWindow* parent = this;
        wxSizer* holder = nullptr;
        if (group.title) {
            auto* box = new wxStaticBoxSizer(wxVERTICAL, this, ui(group.title));
            parent = box->GetStaticBox();
            holder = box;
        } else {
            holder = new wxBoxSizer(wxVERTICAL);
        }
        auto* cells = new wxGridBagSizer(FromDIP(4), FromDIP(6));
        const bool grid = !group.headings.empty();
        for (std::size_t h = 0; h < group.headings.size(); ++h)
            cells->Add(new wxStaticText(parent, wxID_ANY, ui(group.headings[h])), wxGBPosition(0, int(h) + 1),
                       wxDefaultSpan, wxALIGN_CENTER_HORIZONTAL | wxALIGN_BOTTOM);
        for (std::size_t r = 0; r < group.rowNames.size(); ++r)
            cells->Add(new wxStaticText(parent, wxID_ANY, ui(group.rowNames[r])), wxGBPosition(int(r) + 1, 0),
                       wxDefaultSpan, wxALIGN_CENTER_VERTICAL);

        int slot = 0;
        bool radioGroupStarted = false;
        for (std::size_t i = 0; i < kDialogControls.size(); ++i) {
            const DialogControl& c = kDialogControls[i];
            if (c.group != int(g)) continue;
            bool firstRadio = c.widget == Widget::Radio && !radioGroupStarted;
            radioGroupStarted = radioGroupStarted || c.widget == Widget::Radio;
            wxWindow* window = makeControl(parent, int(i), firstRadio);
            controls_.push_back({int(i), window});
            int centred = wxALIGN_CENTER_VERTICAL;
            if (grid) {
                int align = c.widget == Widget::Check ? centred | wxALIGN_CENTER_HORIZONTAL : centred | wxEXPAND;
                cells->Add(window, wxGBPosition(c.row + 1, c.column + 1), wxDefaultSpan, align);
                continue;
            }
            wxGBPosition at(slot / group.columns, slot % group.columns * 2);
            ++slot;
            if (ownsItsLabel(c)) {
                cells->Add(window, at, wxGBSpan(1, 2), centred);
                continue;
            }
            // The label of a second pair stands apart from the pair before it.
            int apart = at.GetCol() > 0 ? wxLEFT : 0;
            cells->Add(new wxStaticText(parent, wxID_ANY, ui(c.label)), at, wxDefaultSpan, centred | apart,
                       FromDIP(10));
            // Edits and lists of a column line up at its width.
            int fill = c.widget == Widget::Swatch ? 0 : wxEXPAND;
            cells->Add(window, wxGBPosition(at.GetRow(), at.GetCol() + 1), wxDefaultSpan, centred | fill);
        }

        wxSizer* content = cells;
        if (!group.notes.empty()) {
            auto* notes = new wxBoxSizer(wxVERTICAL);
            for (const char* line : group.notes) notes->Add(new wxStaticText(parent, wxID_ANY, ui(line)));
            auto* side = new wxBoxSizer(wxHORIZONTAL);
            side->Add(cells, 0, wxALIGN_TOP);
            side->Add(notes, 0, wxLEFT | wxALIGN_TOP, FromDIP(12));
            content = side;
        }
        holder->Add(content, 0, wxALL, FromDIP(group.title ? 4 : 0));
        groups->Add(holder, wxGBPosition(group.pageRow, group.pageColumn), wxGBSpan(group.rowSpan, group.columnSpan),
                    wxEXPAND);
    }
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(groups, 0, wxALL, FromDIP(10));
    SetSizer(outer);
}

wxWindow* CSettingsPage::makeControl(wxWindow* parent, int index, bool firstRadio) {
    const DialogControl& c = kDialogControls[std::size_t(index)];
    auto dialogUnits = [&](int w, int h) { return parent->ConvertDialogToPixels(wxSize(w, h)); };
    wxSize width = c.width > 0 ? wxSize(dialogUnits(c.width, 0).x, -1) : wxDefaultSize;
    switch (c.widget) {
        case Widget::Edit:
        case Widget::IntEdit: return new wxTextCtrl(parent, c.id, wxString(), wxDefaultPosition, width);
        case Widget::Check: return new wxCheckBox(parent, c.id, ui(c.label));
        case Widget::Radio:
            return new wxRadioButton(parent, c.id, ui(c.label), wxDefaultPosition, wxDefaultSize,
                                     firstRadio ? wxRB_GROUP : 0);
        case Widget::List: return new wxChoice(parent, c.id, wxDefaultPosition, width);
        case Widget::Swatch: {
            bool level = page_ == PageLegendColors;
            return new CColourSwatch(parent, c.id,
                                     dialogUnits(level ? kLevelSwatchWidth : kSwatchWidth,
                                                 level ? kLevelSwatchHeight : kSwatchHeight));
        }
        case Widget::Button: return new wxButton(parent, c.id, ui(c.label));
    }
    return nullptr;
}

// ---- showing the state ------------------------------------------------------------------

void CSettingsPage::refresh() {
    refreshing_ = true;
    bool relayout = false;
    for (const Placed& placed : controls_) {
        const DialogControl& c = kDialogControls[std::size_t(placed.index)];
        wxWindow* window = placed.window;
        window->Enable(isControlEnabled(state_, placed.index));
        bool shown = isControlShown(state_, placed.index);
        if (window->IsShown() != shown) {
            window->Show(shown);
            relayout = true;
        }
        switch (c.widget) {
            case Widget::Edit:
            case Widget::IntEdit: {
                auto* edit = static_cast<wxTextCtrl*>(window);
                wxString text = fromCp932(state_.texts[std::size_t(placed.index)]);
                if (edit->GetValue() != text) edit->ChangeValue(text);
                break;
            }
            case Widget::Check: static_cast<wxCheckBox*>(window)->SetValue(isControlChecked(state_, placed.index)); break;
            case Widget::Radio:
                if (isControlChecked(state_, placed.index)) static_cast<wxRadioButton*>(window)->SetValue(true);
                break;
            case Widget::List: {
                auto* list = static_cast<wxChoice*>(window);
                wxArrayString entries;
                for (const std::string& entry : listEntries(state_, placed.index)) entries.Add(wxString::FromUTF8(entry));
                if (list->GetStrings() != entries) list->Set(entries);
                int position = listSelection(state_, placed.index);
                list->SetSelection(position >= 0 ? position : wxNOT_FOUND);
                break;
            }
            case Widget::Swatch: static_cast<CColourSwatch*>(window)->setColour(swatchColour(state_, placed.index)); break;
            case Widget::Button: break;
        }
    }
    if (relayout) Layout();
    refreshing_ = false;
}

// ---- events -----------------------------------------------------------------------------

int CSettingsPage::indexOf(int id) const {
    for (const Placed& placed : controls_)
        if (kDialogControls[std::size_t(placed.index)].id == id) return placed.index;
    return -1;
}

wxWindow* CSettingsPage::control(int id) const {
    for (const Placed& placed : controls_)
        if (kDialogControls[std::size_t(placed.index)].id == id) return placed.window;
    return nullptr;
}

void CSettingsPage::onText(wxCommandEvent& event) {
    int index = indexOf(event.GetId());
    if (refreshing_ || index < 0) return;
    // A text the user has not changed keeps its bytes, even those the
    // toolkit cannot show.
    wxString text = event.GetString();
    if (text == fromCp932(state_.texts[std::size_t(index)])) return;
    IntEditCheck check = editText(state_, index, toCp932(text));
    if (check == IntEditCheck::Ok) return;
    if (services_.message) services_.message(intEditMessage(check, index));
    if (wxWindow* window = control(event.GetId())) window->SetFocus();
}

void CSettingsPage::onControl(wxCommandEvent& event, const std::function<void(int)>& rule) {
    int index = indexOf(event.GetId());
    if (refreshing_ || index < 0) return;
    rule(index);
    refresh();
}

void CSettingsPage::chooseSwatchColour(int index) {
    ColourRequest request{swatchColour(state_, index),
                          page_ == PageLegendColors ? ColourDialogForm::Full : ColourDialogForm::Basic};
    std::optional<Rgb> chosen = services_.chooseColour ? services_.chooseColour(request)
                                                       : chooseColourWithDialog(wxGetTopLevelParent(this), request);
    if (chosen) setSwatchColour(state_, index, *chosen);
}

// ---- what a user does, for tests ----------------------------------------------------------

bool CSettingsPage::reachable(wxWindow* window) const { return window && window->IsEnabled() && window->IsShown(); }

bool CSettingsPage::typeText(int id, const wxString& text) {
    auto* edit = dynamic_cast<wxTextCtrl*>(control(id));
    if (!reachable(edit)) return false;
    edit->SetValue(text);   // sends the text event, as typing does
    return true;
}

bool CSettingsPage::click(int id) {
    wxWindow* window = control(id);
    if (!reachable(window)) return false;
    wxCommandEvent event;
    event.SetId(id);
    event.SetEventObject(window);
    if (auto* check = dynamic_cast<wxCheckBox*>(window)) {
        check->SetValue(!check->GetValue());
        event.SetEventType(wxEVT_CHECKBOX);
        event.SetInt(check->GetValue());
    } else if (auto* radio = dynamic_cast<wxRadioButton*>(window)) {
        radio->SetValue(true);
        event.SetEventType(wxEVT_RADIOBUTTON);
        event.SetInt(1);
    } else {
        event.SetEventType(wxEVT_BUTTON);
    }
    window->ProcessWindowEvent(event);
    return true;
}

bool CSettingsPage::choose(int id, int position) {
    auto* list = dynamic_cast<wxChoice*>(control(id));
    if (!reachable(list) || position < 0 || position >= int(list->GetCount())) return false;
    list->SetSelection(position);
    wxCommandEvent event(wxEVT_CHOICE, id);
    event.SetEventObject(list);
    event.SetInt(position);
    event.SetString(list->GetString(position));
    list->ProcessWindowEvent(event);
    return true;
}

}  // namespace kelvra
