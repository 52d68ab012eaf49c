// The picture handed on, driven in-process as a user does it: Ctrl+C and the
// clipboard read back by another program (xclip), a copy that cannot be made
// leaving the clipboard alone, Ctrl+P through the GTK print dialog to a PDF
// file turned into pixels (pdftoppm), the page set-up's choice reaching the
// next print, and the print preview window opened from the menu and closed.
#include <dlfcn.h>
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

// The printed page holds the window's picture, filling the page's width (or
// height) from its edge, with its proportions, and nothing else. Along the
// other side the framework may move the page's origin off the paper's corner
// (GTK does by the difference of two margins on a landscape page); the
// picture is looked for there, and must lie on the page whole.
void expectPageShowsPicture(const Page& page, const std::vector<Pixel>& picture, PixelSize size, bool fillsWidth) {
    ASSERT_GT(page.width, 0);
    const double scale = fillsWidth ? double(page.width) / size.width : double(page.height) / size.height;
    const int printedWidth = int(size.width * scale), printedHeight = int(size.height * scale);
    wxPoint offset;
    PageMatch best;
    best.differing = INT_MAX;
    for (int shift = 0; shift <= 60; ++shift) {
        wxPoint at = fillsWidth ? wxPoint(0, shift) : wxPoint(shift, 0);
        PageMatch m = matchPage(page, picture, size, scale, at);
        if (m.differing < best.differing) best = m, offset = at;
    }
    EXPECT_GT(best.blocks, 300);
    EXPECT_LE(best.differing, best.blocks / 100) << "at " << offset.x << ", " << offset.y << ", of " << best.blocks
                                                << " blocks these differ:" << best.where;
    EXPECT_LE(offset.x + printedWidth, page.width + 1);
    EXPECT_LE(offset.y + printedHeight, page.height + 1);
    // Nothing printed beside the picture.
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
    expectPageShowsPicture(page, picture, client, /*fillsWidth=*/true);
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
    expectPageShowsPicture(page, picture, client, /*fillsWidth=*/false);
}

// ---- print preview ----

// What the screen shows in `area`, as a PNG in $KELVRA_SCREENSHOTS (a folder),
// for looking at; nothing when that is not set.
void saveScreenshot(const wxRect& area, const std::string& name) {
    const char* folder = std::getenv("KELVRA_SCREENSHOTS");
    if (!folder) return;
    std::vector<Pixel> pixels;
    XImage* image = XGetImage(test::xDisplay(), DefaultRootWindow(test::xDisplay()), area.x, area.y,
                              unsigned(area.width), unsigned(area.height), AllPlanes, ZPixmap);
    if (!image) return;
    wxImage png(area.width, area.height);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            unsigned long v = XGetPixel(image, x, y);
            png.SetRGB(x, y, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        }
    XDestroyImage(image);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    png.SaveFile(wxString::FromUTF8(std::string(folder) + "/" + name), wxBITMAP_TYPE_PNG);
}

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

    // The page: a white sheet on the preview's background, the graph's
    // colours at its top, nothing at its bottom.
    wxRect area = preview->GetClientRect();
    area.SetPosition(preview->ClientToScreen(area.GetPosition()));
    XImage* image = XGetImage(test::xDisplay(), DefaultRootWindow(test::xDisplay()), area.x, area.y,
                              unsigned(area.width), unsigned(area.height), AllPlanes, ZPixmap);
    ASSERT_TRUE(image);
    int white = 0, saturated = 0;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            unsigned long v = XGetPixel(image, x, y);
            int r = int((v >> 16) & 0xFF), g = int((v >> 8) & 0xFF), b = int(v & 0xFF);
            white += r > 250 && g > 250 && b > 250;
            saturated += std::max({r, g, b}) - std::min({r, g, b}) > 150;
        }
    XDestroyImage(image);
    saveScreenshot(area, "preview.png");
    EXPECT_GT(white, area.width * area.height / 10) << "no page";
    EXPECT_GT(saturated, 500) << "no graph on the page";

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
