// The printed page, print preview and page set-up (see printing.h).
#include "app/gui/printing.h"

#include <gtk/gtk.h>
#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/frame.h>
#include <wx/gtk/print.h>
#include <wx/print.h>
#include <wx/printdlg.h>

#include <cmath>

#include "base/cp932.h"
#include "app/gui/pictureImage.h"
#include "output/pageFit.h"

namespace kelvra {
namespace {

// A page set-up's margins as the page is turned, in inches. GTK keeps them
// as the paper lies (portrait) and turns the page by its orientation: a
// landscape page's left edge is the paper's bottom edge.
struct TurnedMargins {
    double left = 0, top = 0, right = 0, bottom = 0;
};

TurnedMargins turnedMargins(GtkPageSetup* setup) {
    const double left = gtk_page_setup_get_left_margin(setup, GTK_UNIT_INCH);
    const double top = gtk_page_setup_get_top_margin(setup, GTK_UNIT_INCH);
    const double right = gtk_page_setup_get_right_margin(setup, GTK_UNIT_INCH);
    const double bottom = gtk_page_setup_get_bottom_margin(setup, GTK_UNIT_INCH);
    switch (gtk_page_setup_get_orientation(setup)) {
        case GTK_PAGE_ORIENTATION_LANDSCAPE: return {bottom, left, top, right};
        case GTK_PAGE_ORIENTATION_REVERSE_PORTRAIT: return {right, bottom, left, top};
        case GTK_PAGE_ORIENTATION_REVERSE_LANDSCAPE: return {top, right, bottom, left};
        case GTK_PAGE_ORIENTATION_PORTRAIT: break;
    }
    return {left, top, right, bottom};
}

// Where the printout's (0, 0) lies on the page, in inches. GTK moves the
// origin to the turned page's printable corner, and wx moves it back by the
// margins as the paper lies; on a turned page the two differ.
wxRealPoint drawingOrigin(GtkPageSetup* setup) {
    TurnedMargins turned = turnedMargins(setup);
    return {turned.left - gtk_page_setup_get_left_margin(setup, GTK_UNIT_INCH),
            turned.top - gtk_page_setup_get_top_margin(setup, GTK_UNIT_INCH)};
}

// The page set-up a print uses: the print context's, which holds the
// printer's margins for the paper (the framework hands the context to the
// print settings' native data, which every copy of the settings shares). A
// preview has no printer yet and takes the paper's own margins.
GtkPageSetup* pageSetupOf(const wxPrintData& data, bool preview, GtkPageSetup** owned) {
    *owned = nullptr;
    auto* native = dynamic_cast<wxGtkPrintNativeData*>(data.GetNativeData());
    if (!preview) {
        GtkPrintContext* context = native ? native->GetPrintContext() : nullptr;
        return context ? gtk_print_context_get_page_setup(context) : nullptr;
    }
    wxPrintData copy = data;
    copy.ConvertToNative();
    native = dynamic_cast<wxGtkPrintNativeData*>(copy.GetNativeData());
    if (!native || !native->GetPrintConfig()) return nullptr;
    GtkPrintSettings* settings = native->GetPrintConfig();
    *owned = gtk_page_setup_new();
    gtk_page_setup_set_orientation(*owned, gtk_print_settings_get_orientation(settings));
    if (GtkPaperSize* paper = gtk_print_settings_get_paper_size(settings)) {
        gtk_page_setup_set_paper_size_and_default_margins(*owned, paper);
        gtk_paper_size_free(paper);
    }
    return *owned;
}

}  // namespace

CPicturePrintout::CPicturePrintout(PrintSource source, const wxPrintData* printData)
    : wxPrintout(source.documentName ? source.documentName() : wxString()),
      source_(std::move(source)),
      printData_(printData) {}

void CPicturePrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = *maxPage = *pageFrom = *pageTo = 1;
}

bool CPicturePrintout::OnPrintPage(int) {
    wxDC* dc = GetDC();
    if (!dc || !dc->IsOk() || !source_.picture) return false;
    std::optional<ImageBuffer> picture = source_.picture();
    if (!picture) return false;
    wxImage image = wxImageOf(*picture);
    if (!image.IsOk()) return false;
    wxBitmap bitmap(image);
    if (!bitmap.IsOk()) return false;

    // The paper in printer pixels, and inside it the printable area that the
    // page set-up reports (margins rounded inwards).
    int pageWidth = 0, pageHeight = 0, ppiX = 0, ppiY = 0;
    GetPageSizePixels(&pageWidth, &pageHeight);
    GetPPIPrinter(&ppiX, &ppiY);
    PageMargins margins;
    wxRealPoint origin;
    GtkPageSetup* owned = nullptr;
    GtkPageSetup* setup = printData_ ? pageSetupOf(*printData_, IsPreview(), &owned) : nullptr;
    if (setup) {
        TurnedMargins m = turnedMargins(setup);
        margins = {int(std::ceil(m.left * ppiX)), int(std::ceil(m.top * ppiY)), int(std::ceil(m.right * ppiX)),
                   int(std::ceil(m.bottom * ppiY))};
        if (!IsPreview()) origin = drawingOrigin(setup);
    }
    if (owned) g_object_unref(owned);
    PixelRect at = placeOnPage({picture->width, picture->height}, {pageWidth, pageHeight}, margins, {ppiX, ppiY});
    int dcWidth = 0, dcHeight = 0;
    dc->GetSize(&dcWidth, &dcHeight);
    if (at.width <= 0 || dcWidth <= 0 || dcHeight <= 0) return false;

    // One picture pixel becomes at.width / picture printer pixels; a preview's
    // device is the page at the preview's zoom, not at the printer's pixels.
    const double toDeviceX = double(dcWidth) / pageWidth, toDeviceY = double(dcHeight) / pageHeight;
    dc->SetDeviceOrigin(int(std::lround((at.x - origin.x * ppiX) * toDeviceX)),
                        int(std::lround((at.y - origin.y * ppiY) * toDeviceY)));
    dc->SetUserScale(toDeviceX * at.width / picture->width, toDeviceY * at.height / picture->height);
    dc->DrawBitmap(bitmap, 0, 0);
    dc->SetUserScale(1.0, 1.0);
    dc->SetDeviceOrigin(0, 0);
    if (IsPreview()) {
        // The preview marks the margins with a faint dotted frame; the paper gets none.
        dc->SetPen(wxPen(wxColour(160, 160, 160), 1, wxPENSTYLE_DOT));
        dc->SetBrush(*wxTRANSPARENT_BRUSH);
        dc->DrawRectangle(int(margins.left * toDeviceX), int(margins.top * toDeviceY),
                          int((pageWidth - margins.left - margins.right) * toDeviceX),
                          int((pageHeight - margins.top - margins.bottom) * toDeviceY));
    }
    return true;
}

void CPicturePrintout::OnEndPrinting() {
    if (source_.printEnded) source_.printEnded();
}

CPrintCommands::CPrintCommands(wxFrame* frame, PrintSource source) : frame_(frame), source_(std::move(source)) {
    dialogData_.SetAllPages(true);
}

void CPrintCommands::print() {
    wxPrinter printer(&dialogData_);
    CPicturePrintout printout(source_, &printData());
    // A failed or cancelled print is reported (or not) by the framework.
    if (printer.Print(frame_, &printout, /*prompt=*/true)) dialogData_ = printer.GetPrintDialogData();
}

void CPrintCommands::preview() {
    // The preview owns both printouts: one it shows, one for its print button.
    auto* preview = new wxPrintPreview(new CPicturePrintout(source_, &printData()),
                                       new CPicturePrintout(source_, &printData()), &dialogData_);
    if (!preview->IsOk()) {
        // The framework could not set up the page (no printer to lay it out for).
        delete preview;
        if (source_.showMessage) source_.showMessage(sj("印刷ﾌﾟﾚﾋﾞｭｰを表示できません。"));
        return;
    }
    // In the main window's place, as large as it is.
    auto* window = new wxPreviewFrame(preview, frame_, frame_->GetTitle(), frame_->GetPosition(), frame_->GetSize());
    window->Initialize();
    window->Show();
}

void CPrintCommands::pageSetup() {
    wxPageSetupDialogData setup(dialogData_.GetPrintData());
    wxPageSetupDialog dialog(frame_, &setup);
    if (dialog.ShowModal() != wxID_OK) return;
    dialogData_.SetPrintData(dialog.GetPageSetupDialogData().GetPrintData());
}

}  // namespace kelvra
