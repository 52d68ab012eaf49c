// The printed page, print preview and page set-up (see printing.h).
#include "app/gui/printing.h"

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/frame.h>
#include <wx/print.h>
#include <wx/printdlg.h>

#include "base/cp932.h"
#include "app/gui/pictureImage.h"
#include "output/pageFit.h"

namespace kelvra {

CPicturePrintout::CPicturePrintout(PrintSource source)
    : wxPrintout(source.documentName ? source.documentName() : wxString()), source_(std::move(source)) {}

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

    // The printable area as the framework gives it, in printer pixels.
    int pageWidth = 0, pageHeight = 0, ppiX = 0, ppiY = 0;
    GetPageSizePixels(&pageWidth, &pageHeight);
    GetPPIPrinter(&ppiX, &ppiY);
    PixelSize printed = fitToPrintableArea({picture->width, picture->height}, {pageWidth, pageHeight}, {ppiX, ppiY});
    int dcWidth = 0, dcHeight = 0;
    dc->GetSize(&dcWidth, &dcHeight);
    if (printed.width <= 0 || dcWidth <= 0 || dcHeight <= 0) return false;

    // One picture pixel becomes printed / picture printer pixels; a preview's
    // device is the page at the preview's zoom, not at the printer's pixels.
    const double toDeviceX = double(dcWidth) / pageWidth, toDeviceY = double(dcHeight) / pageHeight;
    dc->SetDeviceOrigin(0, 0);
    dc->SetUserScale(toDeviceX * printed.width / picture->width, toDeviceY * printed.height / picture->height);
    dc->DrawBitmap(bitmap, 0, 0);
    dc->SetUserScale(1.0, 1.0);
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
    CPicturePrintout printout(source_);
    // A failed or cancelled print is reported (or not) by the framework.
    if (printer.Print(frame_, &printout, /*prompt=*/true)) dialogData_ = printer.GetPrintDialogData();
}

void CPrintCommands::preview() {
    // The preview owns both printouts: one it shows, one for its print button.
    auto* preview = new wxPrintPreview(new CPicturePrintout(source_), new CPicturePrintout(source_), &dialogData_);
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
