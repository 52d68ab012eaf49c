// The picture handed on, driven in-process as a user does it: Ctrl+C and the
// clipboard read back by another program (xclip), a copy that cannot be made
// leaving the clipboard alone, Ctrl+P through the GTK print dialog to a PDF
// file turned into pixels (pdftoppm), the page set-up's choice reaching the
// next print, and the print preview window opened from the menu and closed.
#include <dlfcn.h>
#include <gtk/gtk.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/printdlg.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/gtk/print.h>

#include <climits>
#include <cmath>
#include <fstream>

#include "app/gui/commands.h"
#include "app/gui/guiText.h"
#include "app/gui/mainFrame.h"
#include "app/gui/pictureOptionsDlg.h"
#include "base/cp932.h"
#include "render/framebufferTarget.h"
#include "support/testFiles.h"
// Last: it brings in Xlib.
#include "guiTestSupport.h"

namespace kelvra {
namespace {

using test::Pixel;
using test::pumpUntil;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

// An image read back from a file, rows from the top.
struct Page {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;
    Pixel at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// A binary PPM (P6) as pdftoppm writes it.
Page readPpm(const std::string& path) {
    Page page;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> page.width >> page.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || page.width <= 0 || page.height <= 0) return {};
    std::vector<unsigned char> bytes(std::size_t(page.width) * page.height * 3);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in) return {};
    for (std::size_t i = 0; i < bytes.size(); i += 3) page.pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
    return page;
}

// A copy of a file in $KELVRA_SCREENSHOTS (a folder), for looking at; nothing
// when that is not set.
void keepForLooking(const std::string& path, const std::string& name) {
    if (const char* folder = std::getenv("KELVRA_SCREENSHOTS"))
        test::writeFile(std::string(folder) + "/" + name, test::readFile(path));
}

// Runs a command line through the shell while the event loop answers what
// it asks of this process (the clipboard's owner is this process); its exit status.
int runWhilePumping(const std::string& command, int timeoutMs = 20000) {
    test::Process p = test::startProgram({"/bin/sh", "-c", command});
    test::ProgramGuard guard{p};
    pumpUntil([&] { return test::waitForExit(p, 0); }, timeoutMs);
    return p.ended ? p.exitCode : -1;
}

// GTK's own print settings, which wx does not reach: where "Print to File"
// writes. Looked up at run time, since the program links GTK only through wx.
void setGtkPrintSetting(wxPrintData& data, const char* key, const std::string& value) {
    using Set = void (*)(GtkPrintSettings*, const char*, const char*);
    auto set = reinterpret_cast<Set>(dlsym(RTLD_DEFAULT, "gtk_print_settings_set"));
    ASSERT_TRUE(set);
    auto* native = dynamic_cast<wxGtkPrintNativeData*>(data.GetNativeData());
    ASSERT_TRUE(native);
    set(native->GetPrintConfig(), key, value.c_str());
}

// Answers the GTK print dialog with Return, which prints to the printer it has
// selected. The dialog runs its own loop inside the command, so this polls from
// a timer, which that loop also runs.
class PrintDialogAnswer : public wxTimer {
public:
    PrintDialogAnswer() { Start(100); }
    void Notify() override {
        ::Window dialog = test::findWindowTitled(getpid(), "Print");
        if (!dialog) dialog = test::findWindowTitled(getpid(), "印刷");   // GTK in Japanese
        if (!dialog) return;
        if (!seen_) {
            seen_ = true;   // let it map and take its first layout
            return;
        }
        Stop();
        ::Window child;
        int x = 0, y = 0;
        XTranslateCoordinates(test::xDisplay(), dialog, DefaultRootWindow(test::xDisplay()), 100, 100, &x, &y, &child);
        wxUIActionSimulator sim;
        sim.MouseMove(x, y);   // the keyboard follows the pointer
        wxMilliSleep(100);
        sim.Char(WXK_RETURN);
        answered = true;
    }
    bool answered = false;

private:
    bool seen_ = false;
};

// Stands in for the page set-up dialog: makes the choice a user would make in
// it (the orientation) and confirms it, without showing the dialog.
class PageSetupAnswer : public wxModalDialogHook {
public:
    explicit PageSetupAnswer(wxPrintOrientation orientation) : orientation_(orientation) { Register(); }
    ~PageSetupAnswer() override { Unregister(); }
    int Enter(wxDialog* dialog) override {
        auto* setup = dynamic_cast<wxPageSetupDialogBase*>(dialog);
        if (!setup) return wxID_NONE;
        ++shown;
        setup->GetPageSetupDialogData().GetPrintData().SetOrientation(orientation_);
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
    int shown = 0;

private:
    wxPrintOrientation orientation_;
};

class PictureOutput : public ::testing::Test {
protected:
    void TearDown() override {
        if (!frame) return;
        frame->view().state.pickMarkersShown = false;
        frame->Destroy();
        test::pumpFor(50);
    }
    // The example surface in a main window of the given outer size.
    void open(wxSize size = wxSize(775, 550)) {
        frame = new CMainFrame(std::string(KELVRA_SOURCE_DIR) + "/examples/surface.csv");
        frame->hooks.message = [this](const std::string& m) { messages.push_back(cp932ToUtf8(m)); };
        frame->SetPosition(wxPoint(0, 0));
        frame->SetSize(size);
        frame->Show();
        ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->startupFinished(); }));
        ASSERT_TRUE(frame->view().data.dataLoaded);
        test::pumpFor(200);
    }
    // Keys as the user types them with the pointer over the view.
    void typeInView(int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator sim;
        sim.MouseMove(frame->canvas()->ClientToScreen(wxPoint(60, 60)));
        frame->canvas()->SetFocus();
        test::pumpFor(100);
        sim.Char(key, modifiers);
    }
    std::vector<Pixel> shown() { return test::windowPicture(*frame->canvas(), frame->canvas()->clientSize()); }
    // Pixels of what the window shows now that match nothing near them in an
    // earlier look at it.
    int unmatchedOnScreen(const std::vector<Pixel>& before) {
        const PixelSize client = frame->canvas()->clientSize();
        const std::vector<Pixel> now = shown();
        return test::compareWithShown(before, client, [&](int x, int y) { return now[std::size_t(y) * client.width + x]; })
            .unmatched;
    }

    // Ctrl+P, the print dialog answered, the page written as a PDF and turned
    // into pixels at `dpi`.
    Page printPage(int dpi) {
        std::string pdf = dir.file("page.pdf"), pixels = dir.file("page");
        wxPrintData& data = frame->printing().printData();
        data.SetPrinterName("Print to File");
        data.SetPaperId(wxPAPER_A4);
        setGtkPrintSetting(data, "output-uri", "file://" + pdf);
        setGtkPrintSetting(data, "output-file-format", "pdf");
        PrintDialogAnswer answer;
        typeInView('p', wxMOD_CONTROL);
        if (!pumpUntil([&] { return answer.answered && wxFileExists(pdf); }, 30000)) {
            ADD_FAILURE() << "no page printed (dialog answered: " << answer.answered << ")";
            return {};
        }
        test::pumpFor(300);   // the print ends and the window repaints
        std::string command = "pdftoppm -r " + std::to_string(dpi) + " -singlefile " + pdf + " " + pixels;
        if (runWhilePumping(command) != 0) {
            ADD_FAILURE() << command;
            return {};
        }
        keepForLooking(pdf, ::testing::UnitTest::GetInstance()->current_test_info()->name() + std::string(".pdf"));
        return readPpm(pixels + ".ppm");
    }

    CMainFrame* frame = nullptr;
    std::vector<std::string> messages;
    test::ScratchDir dir;
};

// ---- clipboard ----

// The copy is the window's picture at its size, as another program reads it,
// without the pick marker the window shows; the window keeps its picture.
TEST_F(PictureOutput, CopyPutsTheWindowsPictureOnTheClipboardWithoutPickMarkers) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    const PixelSize client = frame->canvas()->clientSize();
    const std::vector<Pixel> withoutMarker = shown();

    ASSERT_TRUE(frame->canvas()->makeCurrent());
    test::compileSquarePickMarker(0.05);
    frame->view().state.pickMarkersShown = true;
    frame->canvas()->Refresh(false);
    const Pixel black{0, 0, 0};
    ASSERT_TRUE(pumpUntil([&] { return test::windowPixel(*frame->canvas(), client.width / 2, client.height / 2) == black; }));
    const std::vector<Pixel> withMarker = shown();

    typeInView('c', wxMOD_CONTROL);
    test::pumpFor(300);
    std::string png = dir.file("clip.png");
    ASSERT_EQ(runWhilePumping("xclip -selection clipboard -t image/png -o > " + png), 0);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage copied(pathText(png), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(copied.IsOk());
    ASSERT_EQ(std::pair(copied.GetWidth(), copied.GetHeight()), std::pair(client.width, client.height));
    test::ShownComparison c = test::compareWithShown(withoutMarker, client, [&](int x, int y) {
        return Pixel{copied.GetRed(x, y), copied.GetGreen(x, y), copied.GetBlue(x, y)};
    });
    EXPECT_LE(c.differing, 20);
    EXPECT_EQ(c.unmatched, 0) << "the copy differs from the window at" << c.firstUnmatched;
    EXPECT_GT(c.coloured, client.width * client.height / 20);

    // The window draws on with its own lists, marker included.
    test::pumpFor(300);
    EXPECT_EQ(unmatchedOnScreen(withMarker), 0);
    EXPECT_TRUE(messages.empty());
}

// A view wider than any picture the driver can draw gives no picture: the
// copy then says nothing and leaves what the clipboard held; at an ordinary
// size again, the copy works.
// File/画像の保存: after the name, the 倍率 and background dialog; 2x with a
// transparent background gives a PNG twice the window's size with alpha,
// and the dialog shows the last choice the next time.
TEST_F(PictureOutput, ImageSaveAsksForTheScaleAndTheBackground) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    const std::string path = dir.file("saved.png");
    frame->hooks.fileName = [&](const FileDialogRequest&) -> std::optional<std::string> { return path; };
    int seen = 0, ticks = 0;
    PictureSaveChoice shownChoice;
    wxUIActionSimulator sim;
    // As a user answers: the pointer over the list, Down to the next entry,
    // a click on the check box, a click on OK; a step a tick, once the dialog
    // has painted.
    wxTimer answer;
    answer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        CPictureOptionsDlg* options = nullptr;
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* d = dynamic_cast<CPictureOptionsDlg*>(w); d && d->IsShown() && d->IsModal()) options = d;
        if (!options) return;
        const auto centre = [](wxWindow* w) { return w->GetScreenRect().GetPosition() + w->GetSize() / 2; };
        switch (ticks++) {
            case 8:
                ++seen;
                shownChoice = options->choice();
                test::saveScreenshot(options->GetScreenRect(), "picture-options.png");
                sim.MouseMove(centre(options->scaleList()));
                options->scaleList()->SetFocus();
                break;
            case 10: sim.Char(WXK_DOWN); break;   // 2倍
            case 12:
                sim.MouseMove(centre(options->transparentBox()));
                sim.MouseClick();
                break;
            case 16:
                test::saveScreenshot(options->GetScreenRect(), "picture-options-chosen.png");
                sim.MouseMove(centre(options->FindWindow(wxID_OK)));
                sim.MouseClick();
                answer.Stop();
                break;
        }
    });
    answer.Start(50);
    ASSERT_TRUE(frame->runCommand(IdFileSaveImage));
    ASSERT_TRUE(pumpUntil([&] { return wxFileExists(path); }, 10000));
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(shownChoice.scale, 0);
    EXPECT_FALSE(shownChoice.transparent);
    const PixelSize client = frame->canvas()->clientSize();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage saved(wxString(path), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(saved.IsOk());
    EXPECT_EQ(saved.GetWidth(), 2 * client.width);
    EXPECT_EQ(saved.GetHeight(), 2 * client.height);
    ASSERT_TRUE(saved.HasAlpha());
    EXPECT_EQ(saved.GetAlpha(2, 2), 0);   // the corner is background
    EXPECT_TRUE(messages.empty());

    // The next save starts from that choice; a cancel writes nothing.
    wxTimer cancel;
    cancel.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* options = dynamic_cast<CPictureOptionsDlg*>(w); options && options->IsModal()) {
                cancel.Stop();
                shownChoice = options->choice();
                options->EndModal(wxID_CANCEL);
            }
    });
    cancel.Start(50);
    std::remove(path.c_str());
    ASSERT_TRUE(frame->runCommand(IdFileSaveImage));
    test::pumpFor(300);
    EXPECT_EQ(shownChoice.scale, 1);
    EXPECT_TRUE(shownChoice.transparent);
    EXPECT_FALSE(wxFileExists(path));
}

TEST_F(PictureOutput, ACopyThatCannotBeMadeLeavesTheClipboardAsItWas) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    {
        wxClipboardLocker locker;
        ASSERT_TRUE(!!locker);
        ASSERT_TRUE(wxTheClipboard->SetData(new wxTextDataObject("held before")));
    }
    ASSERT_TRUE(frame->canvas()->makeCurrent());
    const int tooWide = FramebufferTarget::maxSide() + 16;
    frame->SetSize(wxSize(tooWide, 200));
    ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->clientSize().width > FramebufferTarget::maxSide(); }, 3000))
        << frame->canvas()->clientSize().width;
    ASSERT_TRUE(frame->runCommand(IdEditCopy));
    std::string text = dir.file("clip.txt");
    ASSERT_EQ(runWhilePumping("xclip -selection clipboard -t UTF8_STRING -o > " + text), 0);
    EXPECT_EQ(test::readFile(text), "held before");
    EXPECT_TRUE(messages.empty());

    frame->SetSize(wxSize(500, 400));
    ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->clientSize().height > 100; }, 3000));
    test::pumpFor(200);
    typeInView('c', wxMOD_CONTROL);
    test::pumpFor(300);
    std::string png = dir.file("clip.png");
    ASSERT_EQ(runWhilePumping("xclip -selection clipboard -t image/png -o > " + png), 0);
    PixelSize copied = test::pngSize(test::readFile(png)), client = frame->canvas()->clientSize();
    EXPECT_EQ(std::pair(copied.width, copied.height), std::pair(client.width, client.height));
}

// ---- printing ----

// The window's picture on a printed page, scaled by `scale` and placed at
// `offset` (page pixels): how many blocks of the page differ from the
// picture, and where the first ones are. Blocks are compared by their
// average colour, so that the PDF renderer's smoothing does not count.
struct PageMatch {
    int blocks = 0, differing = 0;
    std::string where;
};

PageMatch matchPage(const Page& page, const std::vector<Pixel>& picture, PixelSize size, double scale, wxPoint offset) {
    constexpr int kBlock = 12;
    const int printedWidth = int(size.width * scale), printedHeight = int(size.height * scale);
    PageMatch m;
    for (int by = 0; by + kBlock <= printedHeight && offset.y + by + kBlock <= page.height; by += kBlock)
        for (int bx = 0; bx + kBlock <= printedWidth && offset.x + bx + kBlock <= page.width; bx += kBlock) {
            double pageSum[3] = {}, pictureSum[3] = {};
            int pageCount = 0, pictureCount = 0;
            for (int y = by; y < by + kBlock; ++y)
                for (int x = bx; x < bx + kBlock; ++x, ++pageCount) {
                    Pixel p = page.at(offset.x + x, offset.y + y);
                    pageSum[0] += p.r, pageSum[1] += p.g, pageSum[2] += p.b;
                }
            for (int y = int(by / scale); y < int((by + kBlock) / scale); ++y)
                for (int x = int(bx / scale); x < int((bx + kBlock) / scale); ++x, ++pictureCount) {
                    Pixel p = picture[std::size_t(y) * size.width + x];
                    pictureSum[0] += p.r, pictureSum[1] += p.g, pictureSum[2] += p.b;
                }
            ++m.blocks;
            bool near = true;
            for (int k = 0; k < 3; ++k) near = near && std::abs(pageSum[k] / pageCount - pictureSum[k] / pictureCount) < 20;
            if (!near && m.differing++ < 5) m.where += " (" + std::to_string(bx) + ", " + std::to_string(by) + ")";
        }
    return m;
}

// The margins GTK gives A4 paper when no printer says otherwise, in inches
// as the page is turned: the paper's bottom margin (0.56 inch) is a
// landscape page's left one.
struct PageMarginsInches {
    double left, top, right, bottom;
};
PageMarginsInches a4Margins(bool landscape) {
    GtkPaperSize* a4 = gtk_paper_size_new(GTK_PAPER_NAME_A4);
    const double left = gtk_paper_size_get_default_left_margin(a4, GTK_UNIT_INCH);
    const double top = gtk_paper_size_get_default_top_margin(a4, GTK_UNIT_INCH);
    const double right = gtk_paper_size_get_default_right_margin(a4, GTK_UNIT_INCH);
    const double bottom = gtk_paper_size_get_default_bottom_margin(a4, GTK_UNIT_INCH);
    gtk_paper_size_free(a4);
    return landscape ? PageMarginsInches{bottom, left, top, right} : PageMarginsInches{left, top, right, bottom};
}

// The printed page holds the window's picture inside the printable area
// (the page less its margins at `dpi`): filling its width or its height with
// the picture's proportions, centred in it, and nothing else on the page.
void expectPageShowsPicture(const Page& page, const std::vector<Pixel>& picture, PixelSize size, int dpi,
                            PageMarginsInches margins) {
    ASSERT_GT(page.width, 0);
    const double left = margins.left * dpi, top = margins.top * dpi;
    const double across = page.width - left - margins.right * dpi, down = page.height - top - margins.bottom * dpi;
    const double scale = std::min(across / size.width, down / size.height);
    const int printedWidth = int(size.width * scale), printedHeight = int(size.height * scale);
    const wxPoint centred(int(std::lround(left + (across - printedWidth) / 2)), int(std::lround(top + (down - printedHeight) / 2)));
    // Where the picture is: looked for a few pixels around the middle.
    wxPoint offset;
    PageMatch best;
    best.differing = INT_MAX;
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
            PageMatch m = matchPage(page, picture, size, scale, centred + wxPoint(dx, dy));
            if (m.differing < best.differing) best = m, offset = centred + wxPoint(dx, dy);
        }
    EXPECT_GT(best.blocks, 300);
    EXPECT_LE(best.differing, best.blocks / 100) << "at " << offset.x << ", " << offset.y << ", of " << best.blocks
                                                << " blocks these differ:" << best.where;
    EXPECT_LE(std::abs(offset.x - centred.x) + std::abs(offset.y - centred.y), 2)
        << "at " << offset.x << ", " << offset.y << " instead of " << centred.x << ", " << centred.y;
    // Inside the margins, and nothing printed beside the picture.
    EXPECT_GE(offset.x, left - 1);
    EXPECT_GE(offset.y, top - 1);
    EXPECT_LE(offset.x + printedWidth, left + across + 1);
    EXPECT_LE(offset.y + printedHeight, top + down + 1);
    const Pixel white{255, 255, 255};
    int marked = 0;
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            bool inside = x >= offset.x - 2 && x <= offset.x + printedWidth + 2 && y >= offset.y - 2 &&
                          y <= offset.y + printedHeight + 2;
            if (!inside && !test::near(page.at(x, y), white, 8)) ++marked;
        }
    EXPECT_EQ(marked, 0);
}

TEST_F(PictureOutput, CtrlPPrintsAWideViewAcrossTheWidthOfAPortraitPage) {
    GUI_TEST_REQUIRE_DISPLAY();
    open(wxSize(900, 420));
    const PixelSize client = frame->canvas()->clientSize();
    ASSERT_GT(client.width, 2 * client.height);
    const std::vector<Pixel> picture = shown();
    Page page = printPage(72);
    ASSERT_GT(page.width, 0);
    EXPECT_LT(page.width, page.height);   // A4 portrait, 595 x 842 points
    expectPageShowsPicture(page, picture, client, 72, a4Margins(false));
    // The print ended by rebuilding the window's lists; the window still shows its picture.
    EXPECT_EQ(unmatchedOnScreen(picture), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(PictureOutput, ALandscapePageChosenInPageSetupPrintsATallViewAcrossItsHeight) {
    GUI_TEST_REQUIRE_DISPLAY();
    open(wxSize(560, 900));
    const PixelSize client = frame->canvas()->clientSize();
    ASSERT_GT(client.height, client.width);
    {
        PageSetupAnswer answer(wxLANDSCAPE);
        // File menu, "ﾌﾟﾘﾝﾀの設定(&R)".
        typeInView('f', wxMOD_ALT);
        test::pumpFor(300);
        wxUIActionSimulator().Char('r');
        ASSERT_TRUE(pumpUntil([&] { return answer.shown == 1; }, 3000)) << "the page set-up dialog was not asked for";
    }
    const std::vector<Pixel> picture = shown();
    Page page = printPage(72);
    ASSERT_GT(page.width, 0);
    EXPECT_GT(page.width, page.height);
    expectPageShowsPicture(page, picture, client, 72, a4Margins(true));
}

// ---- print preview ----

wxPreviewFrame* previewWindow() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* preview = dynamic_cast<wxPreviewFrame*>(w)) return preview;
    return nullptr;
}

TEST_F(PictureOutput, PrintPreviewShowsThePageOverTheWindowAndCloses) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    frame->printing().printData().SetPaperId(wxPAPER_A4);
    // File menu, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)".
    typeInView('f', wxMOD_ALT);
    test::pumpFor(300);
    wxUIActionSimulator().Char('v');
    ASSERT_TRUE(pumpUntil([] { return previewWindow() && previewWindow()->IsShown(); }, 5000));
    wxPreviewFrame* preview = previewWindow();
    EXPECT_FALSE(frame->IsEnabled());   // the preview stands over the main window until closed
    EXPECT_EQ(preview->GetTitle(), frame->GetTitle());
    test::pumpFor(1500);   // the page is rendered at idle time

    // The page: a white sheet on the preview's background, the margins marked
    // by a grey dotted frame, and the graph's colours inside it.
    wxRect area = preview->GetClientRect();
    area.SetPosition(preview->ClientToScreen(area.GetPosition()));
    XImage* image = XGetImage(test::xDisplay(), DefaultRootWindow(test::xDisplay()), area.x, area.y,
                              unsigned(area.width), unsigned(area.height), AllPlanes, ZPixmap);
    ASSERT_TRUE(image);
    int white = 0, saturated = 0, frameDots = 0;
    wxRect marks, graph;
    auto pixelAt = [&](int x, int y) {
        unsigned long v = XGetPixel(image, x, y);
        return Pixel{int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)};
    };
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            Pixel p = pixelAt(x, y);
            white += p.r > 250 && p.g > 250 && p.b > 250;
            if (std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 150) {
                ++saturated;
                graph.Union(wxRect(x, y, 1, 1));
            }
        }
    // Above the picture, which stands in the middle of the page: the frame's
    // top and its sides, grey on the white page.
    for (int y = 0; y < graph.y - 40; ++y)
        for (int x = 0; x < area.width; ++x) {
            Pixel p = pixelAt(x, y);
            if (p.r == p.g && p.g == p.b && p.r >= 100 && p.r <= 230) {
                ++frameDots;
                marks.Union(wxRect(x, y, 1, 1));
            }
        }
    XDestroyImage(image);
    test::saveScreenshot(area, "preview.png");
    EXPECT_GT(white, area.width * area.height / 10) << "no page";
    EXPECT_GT(saturated, 500) << "no graph on the page";
    EXPECT_GT(frameDots, 100) << "no margins shown";
    EXPECT_LT(marks.GetLeft(), graph.GetLeft()) << "the graph reaches into the margins";
    EXPECT_GT(marks.GetRight(), graph.GetRight()) << "the graph reaches into the margins";

    // Escape closes it, as the preview's Close button does.
    wxUIActionSimulator sim;
    sim.MouseMove(preview->ClientToScreen(wxPoint(area.width / 2, area.height / 2)));
    test::pumpFor(100);
    sim.Char(WXK_ESCAPE);
    ASSERT_TRUE(pumpUntil([] { return previewWindow() == nullptr; }, 5000));
    EXPECT_TRUE(frame->IsEnabled());
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kelvra
