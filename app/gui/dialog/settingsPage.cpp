// One settings page: layout from the tables, events into the dialog rules
// (see settingsPage.h).
#include "app/gui/dialog/settingsPage.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "app/gui/guiText.h"
#include "render/fonts.h"
#include "render/levels.h"

namespace kelvra {
namespace {

// How a control's width follows its text: an edit, a list or a swatch is as
// wide as its place (a list's place is made for its longest entry); a label
// is never cut; a check box or radio button is as wide as its text, so that
// its focus frame hugs it.
enum class Width { Place, AtLeastText, Text };

Width widthRule(Widget w) {
    switch (w) {
        case Widget::Check:
        case Widget::Radio: return Width::Text;
        case Widget::Button: return Width::AtLeastText;
        case Widget::Edit:
        case Widget::IntEdit:
        case Widget::List:
        case Widget::Swatch: break;
    }
    return Width::Place;
}

// A control takes at least the height the toolkit's theme needs for it, a
// text just its own, keeping the middle of its place; and the width its rule
// says.
wxRect fitted(wxWindow* window, wxRect place, Width rule) {
    wxSize best = window->GetBestSize();
    if (rule == Width::Text || (rule == Width::AtLeastText && best.x > place.width)) place.width = best.x;
    // A text (a label, a check box's) stands in the middle of its place.
    if (best.y > place.height || rule != Width::Place) {
        place.y -= (best.y - place.height) / 2;
        place.height = best.y;
    }
    return place;
}

}  // namespace

// The font page's sample: a line in the face the page shows, at its size,
// as the picture draws a text of that role at 100 %.
class CFontSample : public wxWindow {
public:
    CFontSample(wxWindow* parent, const wxRect& place)
        : wxWindow(parent, wxID_ANY, place.GetPosition(), place.GetSize(), wxBORDER_NONE) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, &CFontSample::onPaint, this);
    }
    void show(int face, int size) {
        if (face == face_ && size == size_) return;
        face_ = face;
        size_ = size;
        Refresh();
    }

private:
    void onPaint(wxPaintEvent&) {
        wxPaintDC dc(this);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        if (face_ < 0 || size_ <= 0) return;
        const FaceSubstitute& substitute = faceSubstitute(face_);
        // The size is the text's cell height in pixels; kept inside the box.
        const int height = std::min(size_, GetClientSize().y - 4);
        wxFont font(wxFontInfo(wxSize(0, height)).FaceName(substitute.family).Bold(substitute.bold));
        dc.SetFont(font);
        dc.SetTextForeground(*wxBLACK);
        const wxString sample = ui("AaBbYy 0123 漢字かなｶﾅ");
        const wxSize text = dc.GetTextExtent(sample);
        dc.DrawText(sample, std::max(4, (GetClientSize().x - text.x) / 2), (GetClientSize().y - text.y) / 2);
    }
    int face_ = -1, size_ = 0;
};

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

std::string bandDifferenceText(const GraphSettings& s) {
    const BandDifferences d = legendBandDifferences(s);
    std::string label = "隣り合う" + std::to_string(d.levels) + "色の最小色差 (CIEDE2000、＊は10未満):\n";
    const char* names[] = {"通常", "2型色覚", "1型色覚"};
    static_assert(std::size(names) == std::size_t(Vision::Count));
    for (int v = 0; v < int(Vision::Count); ++v) {
        char figure[32];
        std::snprintf(figure, sizeof figure, "%.1f", d.smallest[v]);
        label += std::string(v ? "   " : "") + names[v] + " " + figure + (d.smallest[v] < kDistinctBands ? "＊" : "");
    }
    return label;
}

// ---- layout -----------------------------------------------------------------------------

wxRect CSettingsPage::pixels(const DuRect& r) const {
    // Dialog units of the dialog's font, as the toolkit converts them for a
    // dialog resource.
    return wxRect(ConvertDialogToPixels(wxPoint(r.x, r.y)), ConvertDialogToPixels(wxSize(r.w, r.h)));
}

void CSettingsPage::build() {
    SetMinSize(ConvertDialogToPixels(wxSize(kPageWidthDu, kPageHeightDu)));
    // Group boxes first: what is made later lies over them.
    for (const ControlGroup& group : kControlGroups) {
        if (group.page != page_ || !group.framed) continue;
        wxRect box = pixels(group.box);
        new wxStaticBox(this, wxID_ANY, group.title ? ui(group.title) : wxString(), box.GetPosition(), box.GetSize());
    }
    for (std::size_t g = 0; g < kControlGroups.size(); ++g) {
        const ControlGroup& group = kControlGroups[g];
        if (group.page != page_) continue;
        auto text = [&](const char* utf8, const DuRect& place, int style) {
            wxRect r = pixels(place);
            auto* label = new wxStaticText(this, wxID_ANY, ui(utf8), r.GetPosition(), r.GetSize(), style);
            label->SetSize(fitted(label, r, Width::AtLeastText));
        };
        // Grid headings over the middle of their column, row names level with their row.
        for (const DialogControl& c : kDialogControls) {
            if (c.group != int(g) || group.headings.empty()) continue;
            if (c.row == 0 && std::size_t(c.column) < group.headings.size()) {
                const wxRect column = pixels(c.at), line = pixels({0, group.headingY, 0, 10});
                auto* heading = new wxStaticText(this, wxID_ANY, ui(group.headings[std::size_t(c.column)]));
                const wxSize best = heading->GetBestSize();
                heading->SetSize(column.x + (column.width - best.x) / 2, line.y, best.x, std::max(line.height, best.y));
            }
            if (c.column == 0 && std::size_t(c.row) < group.rowNames.size())
                text(group.rowNames[std::size_t(c.row)],
                     {group.rowNameX, short(c.at.y + (c.at.h - 10) / 2), short(c.at.x - group.rowNameX - 2), 10}, 0);
        }
        for (std::size_t line = 0; line < group.notes.size(); ++line)
            text(group.notes[line],
                 {group.notesAt.x, short(group.notesAt.y + group.notesAt.h * short(line)), group.notesAt.w, 10}, 0);
        if (group.bandDifferences) {
            const wxRect r = pixels({group.notesAt.x, group.notesAt.y, group.notesAt.w, short(2 * group.notesAt.h)});
            bandDifferences_ = new wxStaticText(this, wxID_ANY, "", r.GetPosition(), r.GetSize());
        }
        if (group.fontSample) {
            wxRect inner = pixels({short(group.box.x + 6), short(group.box.y + 6), short(group.box.w - 12),
                                   short(group.box.h - 12)});
            sample_ = new CFontSample(this, inner);
        }
    }
    // The controls in table order, which is the keyboard's; each after its label.
    for (std::size_t i = 0; i < kDialogControls.size(); ++i) {
        const DialogControl& c = kDialogControls[i];
        if (c.page != page_) continue;
        if (c.labelW > 0) {
            wxRect r = pixels({c.labelX, short(c.at.y + (c.at.h - 10) / 2), c.labelW, 10});
            auto* label = new wxStaticText(this, wxID_ANY, ui(c.label), r.GetPosition(), r.GetSize());
            label->SetSize(fitted(label, r, Width::AtLeastText));
        }
        wxWindow* window = makeControl(int(i));
        window->SetSize(fitted(window, pixels(c.at), widthRule(c.widget)));
        controls_.push_back({int(i), window});
    }
}

wxWindow* CSettingsPage::makeControl(int index) {
    const DialogControl& c = kDialogControls[std::size_t(index)];
    const bool firstRadio = c.widget == Widget::Radio &&
                            (index == 0 || kDialogControls[std::size_t(index - 1)].widget != Widget::Radio ||
                             kDialogControls[std::size_t(index - 1)].group != c.group);
    switch (c.widget) {
        case Widget::Edit:
        case Widget::IntEdit: return new wxTextCtrl(this, c.id, wxString());
        case Widget::Check: return new wxCheckBox(this, c.id, ui(c.label));
        case Widget::Radio:
            return new wxRadioButton(this, c.id, ui(c.label), wxDefaultPosition, wxDefaultSize,
                                     firstRadio ? wxRB_GROUP : 0);
        case Widget::List: return new wxChoice(this, c.id);
        case Widget::Swatch: return new CColourSwatch(this, c.id, pixels(c.at).GetSize());
        case Widget::Button: return new wxButton(this, c.id, ui(c.label));
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
    if (relayout) Refresh();
    if (sample_) showFontSample();
    if (bandDifferences_) bandDifferences_->SetLabel(wxString::FromUTF8(bandDifferenceText(state_.page)));
    refreshing_ = false;
}

void CSettingsPage::showFontSample() {
    int face = -1, size = 0;
    for (const Placed& placed : controls_) {
        const DialogControl& c = kDialogControls[std::size_t(placed.index)];
        if (!c.followsFontRole) continue;
        if (c.widget == Widget::List) face = listSelection(state_, placed.index);
        if (c.widget == Widget::IntEdit) size = std::atoi(state_.texts[std::size_t(placed.index)].c_str());
    }
    sample_->show(face, size);
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
    if (sample_) showFontSample();
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
