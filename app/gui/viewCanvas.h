// CViewCanvas: the view window. A wxGLCanvas with one compatibility-profile
// GL context that the core draws into, and the wx side of ViewHost: message
// boxes, caption, status panes, frame size, the load progress window and the
// file dialogs. It owns the view (CKelvraView) and turns mouse, key, size,
// paint and drop events into calls of the core.
//
// The context becomes current on the first paint (GLX refuses before the
// window is shown) and stays current for the life of the window; pictures to
// save (and copy and print) are drawn by the core's renderPicture into a
// framebuffer object of that same context.
//
// KELVRA_FULL_DETAIL set (to anything but 0) in the environment keeps the
// full graph on the screen while the user turns or moves it, however slowly
// it draws (see render/reducedGraph.h).
#pragma once

#include <wx/glcanvas.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "view/kelvraView.h"
#include "base/viewHost.h"
#include "app/gui/dialog/colourSwatch.h"
#include "app/gui/pictureOptionsDlg.h"

class wxFrame;

namespace kelvra {

class CLiveReload;
class CLoadProgressDlg;
class CSelectedDataDlg;

// Replacements for what needs a person or ends the process, for tests that
// drive the window in-process. An empty function means the real thing.
struct GuiHooks {
    std::function<void(const std::string& cp932)> message;                         // message box
    std::function<std::optional<std::string>(const FileDialogRequest&)> fileName;    // file dialog
    std::function<void(int status)> endProcess;                                    // after Soft_On=NO
    ColourChooser colour;                                                          // colour dialog
    // The image save's 倍率 and background dialog, given the last choice; nothing for Cancel.
    std::function<std::optional<PictureSaveChoice>(const PictureSaveChoice& last)> pictureChoice;
};

class CViewCanvas : public wxGLCanvas, public ViewHost {
public:
    // `startupArgument` is the one command-line argument, or empty when the
    // program was started with none (or with more than one).
    CViewCanvas(wxFrame* frame, std::string startupArgument, GuiHooks& hooks);
    ~CViewCanvas() override;

    CKelvraView& view() { return view_; }
    const CKelvraView& view() const { return view_; }

    // Makes the context current (creating the fixed GL state the first time);
    // false while the window is not yet shown.
    bool makeCurrent();
    // True once the first paint has shown a picture and the start-up argument ran.
    bool startupFinished() const { return startupFinished_; }

    // Runs a core operation that may draw or build lists: the context is made
    // current first and the window repainted afterwards.
    void runWithContext(const std::function<void()>& operation);

    // Runs `draw` (an off-screen picture) in the window's context with the
    // window's own paints held off, then repaints the window. False, without
    // running it, while the window has no context yet.
    bool drawOffScreen(const std::function<void()>& draw);
    // A picture drawn off-screen in the window's context (the core's
    // renderPicture); nothing while the window has no context yet.
    std::optional<ImageBuffer> drawPicture(const PictureRequest& request);
    // File/Save image: asks for a name, then for the 倍率 and the background
    // (app/gui/pictureOptionsDlg.h), then writes the picture of the client size.
    void saveImageCommand();
    // Draws the picture `request` asks for off-screen and writes it to `path`.
    bool savePicture(const std::string& path, const PictureRequest& request);
    // Edit/Copy: the picture at the client size on the clipboard as a bitmap,
    // then the graph lists rebuilt. A failure leaves the clipboard as it was
    // and says nothing.
    void copyPictureCommand();
    // A file drop: the first file only, a settings file or a data file.
    void dropFiles(const std::vector<std::string>& paths);
    // After a copy or a print: the graph lists are rebuilt in the window's
    // context and the window repainted.
    void rebuildGraphLists();
    // The selected-data window, created hidden with the view window.
    CSelectedDataDlg* selectedDataWindow() const { return selectedData_; }
    // File > 自動再読み込み.
    CLiveReload& liveReload() { return *live_; }
    const CLiveReload& liveReload() const { return *live_; }
    // The window is doing work of its own (a load, an off-screen picture):
    // nothing else may load now.
    bool working() const { return paintBlocked_ > 0 || progress_ != nullptr; }
    // Draws the current picture into the window now, without waiting for
    // the toolkit's paint; false while painting is held off.
    bool paintNow() { return drawNow(); }
    // When the pointer last moved the drag in progress.
    std::chrono::steady_clock::time_point lastDragMotion() const { return lastDragMotion_; }

    // Called after a data file was dropped or named on the command line and
    // loaded (the frame puts it in the recent-file list).
    std::function<void()> dataFileUsed;
    // Called after each frame reached the window (benchmarks time it).
    std::function<void()> framePainted;

    // ---- ViewHost ----
    void showMessage(const std::string& text) override;
    void showMessageWithReason(const std::string& text, const std::string& reason) override;
    void showFileMessage(const std::string& text, const std::string& path, int error) override;
    void invalidate() override;
    void settleAfter(int milliseconds) override;
    void setCaption(const std::string& text) override;
    void setStatusPane(int paneId, const std::string& text) override;
    void showStatusMessage(const std::string& text) override;
    void resizeFrame(int width, int height) override;
    PixelSize frameSize() const override;
    PixelSize clientSize() const override;
    void showLoadProgress(bool visible, const std::string& title, std::uint64_t fileBytes) override;
    bool setLoadProgress(int percent) override;
    void hideLoadProgress() override;
    std::optional<std::string> askFileName(const FileDialogRequest& request) override;
    void showSelectedData() override;
    // The import dialog; while a launch file runs, the choices as they are.
    bool askImport(const std::string& path, ImportForm& form) override;

private:
    std::optional<std::string> showFileDialog(const FileDialogRequest& request);
    void onPaint(wxPaintEvent& event);
    void onSize(wxSizeEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onCaptureLost(wxMouseCaptureLostEvent& event);
    void onKeyDown(wxKeyEvent& event);
    void onKeyUp(wxKeyEvent& event);
    void onMouseWheel(wxMouseEvent& event);
    void applyPendingWheel();
    void onRightDown(wxMouseEvent& event);
    void onDropFiles(wxDropFilesEvent& event);
    void runStartup();
    void applyPendingMotion();
    void endDrag();
    // Draws the current picture into the window now; false while painting is
    // held off (see paintBlocked_) or there is no context yet.
    bool drawNow();
    // After a modal dialog: the view is drawn again at once, before the work
    // that follows (a load, an off-screen picture) holds painting off and
    // leaves the dialog's last picture over the graph.
    void repairAfterDialog() { drawNow(); }

    wxFrame* frame_;
    GuiHooks& hooks_;
    std::unique_ptr<wxGLContext> context_;
    bool glReady_ = false;
    CKelvraView view_;
    std::string startupArgument_;
    bool startupScheduled_ = false;
    bool startupFinished_ = false;
    PictureSaveChoice pictureChoice_;   // the last 倍率 and background of the image save
    // While a launch file runs nobody may be there to close a message box:
    // messages go to stderr instead.
    bool unattended_ = false;
    // The latest pointer position of the drag not yet applied. Motion that
    // comes in while a slow frame draws is applied once, at its last position:
    // every drag rule works on the offset from the button-down point.
    std::optional<wxPoint> pendingMotion_;
    bool motionScheduled_ = false;
    // Wheel rotation not yet a whole notch (smooth wheels and touchpads send
    // parts of one), and whole notches not yet applied: like motion, a burst
    // of them is applied at once.
    int wheelRotation_ = 0;
    int pendingNotches_ = 0;
    // Paints are skipped while a picture is being drawn off-screen or a load
    // is under way; the picture of the moment would be half made.
    int paintBlocked_ = 0;
    CLoadProgressDlg* progress_ = nullptr;
    CSelectedDataDlg* selectedData_ = nullptr;   // owned by the frame, as its child
    std::unique_ptr<CLiveReload> live_;
    std::chrono::steady_clock::time_point lastDragMotion_{};
    // Runs out when a drag or a held key has not changed the view for a
    // while: the view is then drawn in full detail again.
    wxTimer settleTimer_;
    wxTimer startupWait_;   // the start-up argument waits for the splash to go
};

}  // namespace kelvra
