// Printing: the picture on one page, printed through wx's printing framework
// (the GTK print dialog and print system on this platform) or shown in its
// print preview window, and the printer and page settings those share.
//
// The page is drawn afresh for every print and every preview rendering: the
// picture at the window's client size without pick markers, fitted to the
// printable area that the page set-up reports with its proportions kept, and
// centred in it (output/pageFit.h). A print takes the printer's margins for
// the paper from GTK's print context; the preview has no printer yet, takes
// the paper's own margins and marks them with a dotted frame. After each
// print the source's printEnded runs, where the window rebuilds its graph
// lists.
#pragma once

#include <wx/cmndata.h>
#include <wx/prntbase.h>

#include <functional>
#include <optional>
#include <string>

#include "output/imageFiles.h"

class wxFrame;

namespace kelvra {

// What a printed page is made from.
struct PrintSource {
    std::function<std::optional<ImageBuffer>()> picture;   // nothing when it cannot be drawn
    std::function<void()> printEnded;                      // after the last page of a print or preview
    std::function<wxString()> documentName;               // the print job's name
    std::function<void(const std::string& cp932)> showMessage;   // the program's message box
};

// One page with the picture; printPage is OnPrintPage.
class CPicturePrintout : public wxPrintout {
public:
    // `printData`: the print settings the page is laid out by (without
    // them, on the whole paper).
    explicit CPicturePrintout(PrintSource source, const wxPrintData* printData = nullptr);

    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
    bool OnPrintPage(int page) override;
    void OnEndPrinting() override;

private:
    PrintSource source_;
    const wxPrintData* printData_;
};

// The File menu's print, print preview and printer set-up commands. The
// settings chosen in the print dialog or the page set-up dialog stay for the
// next print and preview while the program runs.
class CPrintCommands {
public:
    CPrintCommands(wxFrame* frame, PrintSource source);

    // The print dialog, then the page on the printer (or file) chosen there.
    void print();
    // A preview window showing the page, over the main window until it is closed.
    void preview();
    // The page set-up dialog: paper, orientation and the printer they are for.
    void pageSetup();

    wxPrintData& printData() { return dialogData_.GetPrintData(); }

private:
    wxFrame* frame_;
    PrintSource source_;
    wxPrintDialogData dialogData_;
};

}  // namespace kelvra
