// Turning a large graph in the main window: a drag over a 1000 x 1000 grid
// repaints more often with the reduced graph than with KELVRA_FULL_DETAIL set,
// and the window comes back to the full picture when the pointer rests with
// the button held, when the button comes up, when a held arrow key comes up,
// and when the wheel rests.
#include <wx/uiaction.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "app/gui/mainFrame.h"
#include "base/cp932.h"
#include "support/testFiles.h"
// Last: it brings in Xlib.
#include "guiTestSupport.h"

namespace kelvra {
namespace {

using test::pumpUntil;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

// A smooth n x n surface in format 1 (whole numbers keep the file small).
std::string surfaceFile(int n) {
    std::string text = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    text.reserve(std::size_t(n) * n * 5);
    for (int c = 0; c < n; ++c) text += "," + std::to_string(c);
    text += "\r\n";
    for (int r = 0; r < n; ++r) {
        text += std::to_string(r);
        for (int c = 0; c < n; ++c) {
            text += ',';
            text += std::to_string(int(400 * std::sin(c / 90.0) * std::cos(r / 130.0)));
        }
        text += "\r\n";
    }
    return text;
}

class LargeGraphWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data_ = new test::ScratchDir;
        test::writeFile(data_->file("surface.csv"), surfaceFile(1000));
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }
    void TearDown() override {
        unsetenv("KELVRA_FULL_DETAIL");
        if (frame) {
            frame->Destroy();
            test::pumpFor(50);
        }
    }
    // Opens the window on the surface; `fullDetail` sets the switch first.
    void open(bool fullDetail) {
        if (fullDetail) setenv("KELVRA_FULL_DETAIL", "1", 1);
        frame = new CMainFrame(data_->file("surface.csv"));
        frame->hooks.message = [](const std::string& m) { ADD_FAILURE() << cp932ToUtf8(m); };
        frame->SetPosition(wxPoint(0, 0));
        frame->Show();
        ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->startupFinished(); }, 120000));
        ASSERT_EQ(frame->view().data.columnCount, 1000);
        // The first full frame, whose time decides.
        ASSERT_TRUE(pumpUntil([&] { return frame->view().lists.reduced.frames > 0 && frame->view().lists.reduced.fullFrameSeconds > 0; },
                              60000));
        sim.MouseMove(frame->canvas()->ClientToScreen(wxPoint(200, 200)));
        frame->canvas()->SetFocus();
        test::pumpFor(100);
    }
    const ReducedGraph& reduced() { return frame->view().lists.reduced; }

    // Turns the graph by 30 moves of 6 pixels with the button down, the event
    // loop running 30 ms after each; repaints per second of the drag.
    double dragRepaintRate() {
        sim.MouseDown();
        test::pumpFor(30);
        const int before = reduced().frames;
        auto start = std::chrono::steady_clock::now();
        for (int i = 1; i <= 30; ++i) {
            sim.MouseMove(frame->canvas()->ClientToScreen(wxPoint(200 + 6 * i, 200)));
            test::pumpFor(30);
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return (reduced().frames - before) / seconds;
    }

    CMainFrame* frame = nullptr;
    wxUIActionSimulator sim;
    static inline test::ScratchDir* data_ = nullptr;
};

TEST_F(LargeGraphWindow, DragRepaintsMoreOftenWithTheReducedGraphAndEndsOnTheFullPicture) {
    GUI_TEST_REQUIRE_DISPLAY();
    double fullRate = 0.0;
    {
        open(/*fullDetail=*/true);
        EXPECT_FALSE(frame->view().lists.reduced.allowed);
        fullRate = dragRepaintRate();
        sim.MouseUp();
        test::pumpFor(100);
        EXPECT_EQ(reduced().reducedFrames, 0);
        frame->Destroy();
        frame = nullptr;
        test::pumpFor(100);
        unsetenv("KELVRA_FULL_DETAIL");
    }

    open(/*fullDetail=*/false);
    ASSERT_GT(reduced().fullFrameSeconds, kFrameBudgetSeconds) << "the full graph draws within the budget here";
    const double reducedRate = dragRepaintRate();
    EXPECT_GT(reduced().reducedFrames, 0);
    EXPECT_TRUE(reduced().lastFrameReduced);
    EXPECT_GT(reducedRate, fullRate) << "reduced " << reducedRate << " repaints/s, full " << fullRate;

    // Resting with the button held: the full picture after the settle time.
    ASSERT_TRUE(pumpUntil([&] { return !reduced().lastFrameReduced; }, 20000));
    EXPECT_TRUE(frame->view().state.dragging);
    // Moving on shows the reduced graph again; the button-up the full one.
    sim.MouseMove(frame->canvas()->ClientToScreen(wxPoint(420, 230)));
    ASSERT_TRUE(pumpUntil([&] { return reduced().lastFrameReduced; }, 20000));
    const int frames = reduced().frames;
    sim.MouseUp();
    ASSERT_TRUE(pumpUntil([&] { return reduced().frames > frames && !reduced().lastFrameReduced; }, 20000));
    EXPECT_FALSE(frame->view().state.dragging);
    EXPECT_EQ(frame->view().settings.viewAngleZ, (330 + 220) % 360);

    // A held arrow key: reduced while it is down, full once it comes up.
    const int reducedBefore = reduced().reducedFrames;
    sim.KeyDown(WXK_RIGHT);
    ASSERT_TRUE(pumpUntil([&] { return reduced().reducedFrames > reducedBefore; }, 20000));
    sim.KeyUp(WXK_RIGHT);
    ASSERT_TRUE(pumpUntil([&] { return !reduced().moving && !reduced().lastFrameReduced; }, 20000));
    // The key-up itself ends the movement, before any settle time can pass.
    wxKeyEvent down(wxEVT_KEY_DOWN), up(wxEVT_KEY_UP);
    down.m_keyCode = up.m_keyCode = WXK_RIGHT;
    frame->canvas()->ProcessWindowEvent(down);
    EXPECT_TRUE(reduced().moving);
    frame->canvas()->ProcessWindowEvent(up);
    EXPECT_FALSE(reduced().moving);

    // A turning wheel: reduced while it turns, full once it rests.
    const int beforeWheel = reduced().reducedFrames;
    const wxPoint over = frame->canvas()->ClientToScreen(wxPoint(300, 200));
    ASSERT_TRUE(test::turnWheel(over.x, over.y, 10, 60));
    // On a busy machine the notches may arrive together, and the frame after them.
    EXPECT_TRUE(pumpUntil([&] { return reduced().reducedFrames > beforeWheel; }, 5000));
    EXPECT_EQ(frame->view().settings.viewZoom, 110);
    ASSERT_TRUE(pumpUntil([&] { return !reduced().moving && !reduced().lastFrameReduced; }, 20000));
}

}  // namespace
}  // namespace kelvra
