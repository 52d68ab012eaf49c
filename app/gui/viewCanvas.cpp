// The view window: GL context, paint and size, mouse and keys turned into
// navigation calls, drops, the start-up argument, off-screen pictures, and
// the wx side of ViewHost (see viewCanvas.h).
#include "app/gui/viewCanvas.h"

#include <wx/dcclient.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "app/gui/commands.h"
#include "app/gui/desktopProfile.h"
#include "app/gui/fileDialogFilters.h"
#include "app/gui/guiText.h"
#include "app/gui/importDlg.h"
#include "app/gui/liveReload.h"
#include "app/gui/loadProgressDlg.h"
#include "app/gui/messageBox.h"
#include "app/gui/selectedDataDlg.h"
#include "app/gui/splashWindow.h"
#include "app/launch/launch.h"
#include "base/cp932.h"
#include "base/fileFilter.h"
#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "app/gui/pictureClipboard.h"
#include "settings/dialogControls.h"
#include "base/textInput.h"

namespace kelvra {
namespace {

// 24-bit colour, double-buffered, a 32-bit depth buffer where the display has
// one (24 bits otherwise); no multisampling, which Defaults() would ask for.
wxGLAttributes pixelFormat() {
    wxGLAttributes a;
    a.PlatformDefaults().RGBA().DoubleBuffer().Depth(32).EndList();
    if (!wxGLCanvas::IsDisplaySupported(a)) {
        a.Reset();
        a.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
    }
    return a;
}

// Counts a scope during which the window must not paint.
struct PaintBlock {
    explicit PaintBlock(int& counter) : counter_(counter) { ++counter_; }
    ~PaintBlock() { --counter_; }
    int& counter_;
};

// KELVRA_FULL_DETAIL=1 (any value but empty or 0) turns the reduced graph off.
bool fullDetailRequested() {
    const char* value = std::getenv("KELVRA_FULL_DETAIL");
    return value && *value && std::strcmp(value, "0") != 0;
}

std::string withoutExtension(const std::string& name) {
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

CViewCanvas::CViewCanvas(wxFrame* frame, std::string startupArgument, GuiHooks& hooks)
    : wxGLCanvas(frame, pixelFormat(), wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      frame_(frame),
      hooks_(hooks),
      view_(*this),
      startupArgument_(std::move(startupArgument)),
      settleTimer_(this),
      startupWait_(this) {
    view_.lists.reduced.allowed = !fullDetailRequested();
    // A context without attributes is the legacy (compatibility) kind that
    // display lists and selection mode need.
    context_ = std::make_unique<wxGLContext>(this);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    DragAcceptFiles(true);
    selectedData_ = new CSelectedDataDlg(frame, view_);
    live_ = std::make_unique<CLiveReload>(*this);

    Bind(wxEVT_PAINT, &CViewCanvas::onPaint, this);
    Bind(wxEVT_SIZE, &CViewCanvas::onSize, this);
    Bind(wxEVT_LEFT_DOWN, &CViewCanvas::onLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &CViewCanvas::onLeftDown, this);
    Bind(wxEVT_MOTION, &CViewCanvas::onMotion, this);
    Bind(wxEVT_LEFT_UP, &CViewCanvas::onLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CViewCanvas::onCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &CViewCanvas::onKeyDown, this);
    Bind(wxEVT_KEY_UP, &CViewCanvas::onKeyUp, this);
    Bind(wxEVT_MOUSEWHEEL, &CViewCanvas::onMouseWheel, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { view_.viewSettled(); }, settleTimer_.GetId());
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { runStartup(); }, startupWait_.GetId());
    Bind(wxEVT_RIGHT_DOWN, &CViewCanvas::onRightDown, this);
    Bind(wxEVT_DROP_FILES, &CViewCanvas::onDropFiles, this);
    // Another file opened, the data saved under another name: the automatic
    // reload follows the file shown.
    Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
        e.Skip();
        live_->followDataFile();
    });
}

CViewCanvas::~CViewCanvas() {
    live_.reset();
    if (progress_) progress_->Destroy();
    // The lists live in the context; delete them while it is still current.
    if (glReady_ && context_ && context_->SetCurrent(*this)) view_.destroyGlLists();
}

bool CViewCanvas::makeCurrent() {
    if (!context_ || !context_->IsOK() || !IsShownOnScreen()) return false;
    if (!context_->SetCurrent(*this)) return false;
    if (!glReady_) {
        glReady_ = true;
        view_.initGlState();
    }
    return true;
}

void CViewCanvas::runWithContext(const std::function<void()>& operation) {
    if (!makeCurrent()) return;
    operation();
    hideLoadProgress();   // in case a failed load left it up
    Refresh(false);
}

// ---- events ----------------------------------------------------------------------

bool CViewCanvas::drawNow() {
    if (paintBlocked_ > 0 || progress_ || !makeCurrent()) return false;
    PixelSize size = clientSize();
    view_.paint(size.width, size.height);
    SwapBuffers();
    if (framePainted) framePainted();
    return true;
}

void CViewCanvas::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (!drawNow()) return;
    // The start-up argument runs once the first picture is on the screen,
    // from the event loop rather than inside the paint.
    if (!startupScheduled_) {
        startupScheduled_ = true;
        CallAfter(&CViewCanvas::runStartup);
    }
}

void CViewCanvas::onSize(wxSizeEvent& event) {
    event.Skip();
    // The settings keep the frame's outer size; anchored overlays follow it.
    wxSize outer = frame_->GetSize();
    view_.settings.windowWidth = outer.x;
    view_.settings.windowHeight = outer.y;
    view_.layoutAnchoredOverlays();
    Refresh(false);
}

void CViewCanvas::onLeftDown(wxMouseEvent& event) {
    SetFocus();
    pendingMotion_.reset();
    lastDragMotion_ = std::chrono::steady_clock::now();
    if (makeCurrent()) {
        view_.leftButtonDown(event.GetX(), event.GetY());
        // The capture keeps the drag alive when the pointer leaves the window.
        if (view_.state.dragging && !HasCapture()) CaptureMouse();
    }
    event.Skip();
}

void CViewCanvas::onMotion(wxMouseEvent& event) {
    event.Skip();
    if (!view_.state.dragging) return;
    lastDragMotion_ = std::chrono::steady_clock::now();
    // Applied once the events that came in with it have been handled, so a
    // burst of motion costs one update (a section move rebuilds the lists).
    pendingMotion_ = event.GetPosition();
    if (motionScheduled_) return;
    motionScheduled_ = true;
    CallAfter(&CViewCanvas::applyPendingMotion);
}

void CViewCanvas::applyPendingMotion() {
    motionScheduled_ = false;
    if (!pendingMotion_ || !view_.state.dragging || !makeCurrent()) return;
    wxPoint at = *pendingMotion_;
    pendingMotion_.reset();
    view_.mouseMove(at.x, at.y);
}

void CViewCanvas::onLeftUp(wxMouseEvent& event) {
    // The toolkit folds motion that is still queued into the button-up
    // event, so the release position is where the drag ends.
    pendingMotion_ = event.GetPosition();
    endDrag();
    event.Skip();
}

void CViewCanvas::onCaptureLost(wxMouseCaptureLostEvent&) { endDrag(); }

void CViewCanvas::endDrag() {
    if (view_.state.dragging && makeCurrent()) {
        if (pendingMotion_) view_.mouseMove(pendingMotion_->x, pendingMotion_->y);
        view_.leftButtonUp();
    }
    pendingMotion_.reset();
    view_.state.dragging = false;
    if (HasCapture()) ReleaseMouse();
    live_->dragEnded();
}

namespace {

const struct {
    int code;
    ArrowKey key;
} kArrows[] = {
    {WXK_UP, ArrowKey::Up},           {WXK_DOWN, ArrowKey::Down},
    {WXK_LEFT, ArrowKey::Left},       {WXK_RIGHT, ArrowKey::Right},
    {WXK_NUMPAD_UP, ArrowKey::Up},    {WXK_NUMPAD_DOWN, ArrowKey::Down},
    {WXK_NUMPAD_LEFT, ArrowKey::Left}, {WXK_NUMPAD_RIGHT, ArrowKey::Right},
};

}  // namespace

void CViewCanvas::onKeyDown(wxKeyEvent& event) {
    if (!event.HasAnyModifiers()) {
        for (const auto& arrow : kArrows) {
            if (event.GetKeyCode() == arrow.code && makeCurrent()) view_.keyDown(arrow.key);
        }
    }
    // Always passed on: the menu accelerators (Ctrl+O, F5, ...) come after
    // the window's own key handling.
    event.Skip();
}

void CViewCanvas::onKeyUp(wxKeyEvent& event) {
    for (const auto& arrow : kArrows) {
        if (event.GetKeyCode() == arrow.code) view_.keyUp();
    }
    event.Skip();
}

void CViewCanvas::onMouseWheel(wxMouseEvent& event) {
    // The vertical wheel zooms; a drag in progress keeps the view to itself.
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || view_.state.dragging || event.GetWheelDelta() <= 0) {
        event.Skip();
        return;
    }
    wheelRotation_ += event.GetWheelRotation();
    int notches = wheelRotation_ / event.GetWheelDelta();
    if (notches == 0) return;
    wheelRotation_ -= notches * event.GetWheelDelta();
    pendingNotches_ += notches;
    if (pendingNotches_ != notches) return;   // already scheduled
    CallAfter(&CViewCanvas::applyPendingWheel);
}

void CViewCanvas::applyPendingWheel() {
    int notches = pendingNotches_;
    pendingNotches_ = 0;
    if (notches != 0 && !view_.state.dragging && makeCurrent()) view_.wheelZoom(notches);
}

// The right-click menu, once data is loaded: one item per settings page. Its
// commands reach the frame, which opens the dialog at the page.
void CViewCanvas::onRightDown(wxMouseEvent& event) {
    event.Skip();
    if (!view_.data.dataLoaded) return;
    wxMenu menu;
    for (int page = 0; page < SettingsPageCount; ++page)
        menu.Append(wxIdOf(IdPopupFirstPage + page), ui(kSettingsPageLabels[page]));
    PopupMenu(&menu, event.GetPosition());
}

void CViewCanvas::onDropFiles(wxDropFilesEvent& event) {
    std::vector<std::string> paths;
    for (int i = 0; i < event.GetNumberOfFiles(); ++i) paths.push_back(pathBytes(event.GetFiles()[i]));
    dropFiles(paths);
    event.Skip();
}

// ---- commands --------------------------------------------------------------------

void CViewCanvas::runStartup() {
    if (view_.state.startupDone) return;
    if (!makeCurrent()) {
        startupScheduled_ = false;   // the next paint tries again
        return;
    }
    if (startupArgument_.empty()) {
        view_.state.startupDone = true;
        startupFinished_ = true;
        return;
    }
    // The splash keeps its time whatever the first load does: a long load
    // and list build hold the event loop, and the splash's timer with it, so
    // a data file waits for the splash to go (at most its 750 ms); a calling
    // program's launch file does not wait, and the splash goes at once.
    if (CSplashWindow* splash = CSplashWindow::shown()) {
        if (peekStartupKind(startupArgument_) == StartupFileKind::LaunchFile) {
            splash->closeNow();
        } else {
            startupWait_.StartOnce(splash->remainingMilliseconds() + 20);
            return;
        }
    }
    LaunchResult result;
    // A data file named alone is the user's, for the recent-file list; a
    // launch file's data file is the calling program's.
    bool unattendedRun = false;
    {
        PaintBlock block(paintBlocked_);
        FileRead argument = readTextFile(startupArgument_);
        unattended_ = startupKindOf(argument) == StartupFileKind::LaunchFile;
        unattendedRun = unattended_;
        result = runStartupArgument(view_, startupArgument_, std::move(argument));
        unattended_ = false;
    }
    // Nothing was done and the window stays: the user is told in a box.
    if (result.noKnownKey) showMessage(launchWithoutKeysMessage());
    hideLoadProgress();   // in case a failed load left it up
    startupFinished_ = true;
    Refresh(false);
    if (!unattendedRun && !result.dataLoadFailed && view_.data.dataLoaded && dataFileUsed) dataFileUsed();
    if (result.endProgram) {
        // A caller that waits for the program learns from the status whether
        // every file it named was read and written.
        int status = result.succeeded() ? 0 : 1;
        if (hooks_.endProcess) {
            hooks_.endProcess(status);
            return;
        }
        // Ends at once, as the caller of a launch file expects: nothing more
        // is shown or asked. The image file was closed before this point.
        std::fflush(nullptr);
        std::_Exit(status);
    }
}

void CViewCanvas::saveImageCommand() {
    PixelSize size = clientSize();
    FileDialogRequest request;
    request.kind = FileDialogKind::ImageSave;
    request.save = true;
    request.title = sj("画像の保存");
    request.filters = {{sj("画像ﾌｧｲﾙ (*.png; *.jpg; *.jpeg; *.bmp)"), "*.png;*.jpg;*.jpeg;*.bmp"},
                       {sj("SVGﾌｧｲﾙ (*.svg)"), "*.svg"},
                       {sj("PDFﾌｧｲﾙ (*.pdf)"), "*.pdf"},
                       {sj("EPSﾌｧｲﾙ (*.eps)"), "*.eps"},
                       allFilesFilter()};
    request.initialName = withoutExtension(view_.data.dataFileTitle) + ".png";
    if (view_.data.dataLoaded) request.initialFolder = folderOf(view_.data.dataFilePath);
    request.confirmOverwrite = true;
    std::optional<std::string> path = askFileName(request);
    if (!path) return;
    std::optional<PictureSaveChoice> choice;
    if (hooks_.pictureChoice) {
        choice = hooks_.pictureChoice(pictureChoice_);
    } else {
        CPictureOptionsDlg options(wxGetTopLevelParent(this), size, pictureChoice_);
        if (options.ShowModal() == wxID_OK) choice = options.choice();
        repairAfterDialog();
    }
    if (!choice) return;
    pictureChoice_ = *choice;
    const PictureRequest picture = chosenPicture(size, kPictureScaleChoices[std::size_t(pictureChoice_.scale)],
                                                 pictureChoice_.transparent);
    savePicture(*path, picture);
}

bool CViewCanvas::drawOffScreen(const std::function<void()>& draw) {
    if (!makeCurrent()) return false;
    {
        PaintBlock block(paintBlocked_);
        draw();
    }
    Refresh(false);
    return true;
}

std::optional<ImageBuffer> CViewCanvas::drawPicture(const PictureRequest& request) {
    std::optional<ImageBuffer> picture;
    drawOffScreen([&] { picture = view_.renderPicture(request); });
    return picture;
}

bool CViewCanvas::savePicture(const std::string& path, const PictureRequest& request) {
    bool written = false;
    // Without a context there is no picture; writeImage still says so.
    if (!drawOffScreen([&] { written = view_.savePicture(request, path); })) return view_.writeImage(std::nullopt, path);
    return written;
}

void CViewCanvas::copyPictureCommand() {
    if (std::optional<ImageBuffer> picture = drawPicture(copiedPicture(clientSize())))
        putPictureOnClipboard(*picture);
    rebuildGraphLists();
}

void CViewCanvas::dropFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    const std::string& path = paths.front();
    switch (classifyDroppedFile(path)) {
        case DroppedFileKind::SettingsFile: runWithContext([&] { view_.loadSettingsFile(path); }); break;
        case DroppedFileKind::DataFile: {
            bool loaded = false;
            // A drop asks how to import a file until the import dialog has been answered once.
            runWithContext([&] { loaded = view_.loadDataFile(path, false, CKelvraView::ImportAsk::UntilAnswered); });
            if (loaded && dataFileUsed) dataFileUsed();
            break;
        }
        case DroppedFileKind::Ignored: break;
    }
}

void CViewCanvas::rebuildGraphLists() {
    runWithContext([&] { view_.buildDisplayLists(); });
}

// ---- ViewHost --------------------------------------------------------------------

void CViewCanvas::showSelectedData() { selectedData_->showAt(ClientToScreen(wxPoint(0, 0))); }

bool CViewCanvas::askImport(const std::string& path, ImportForm& form) {
    if (unattended_) return true;
    CImportDlg dialog(frame_, fileTitleOf(path), form);
    const bool ok = dialog.ShowModal() == wxID_OK;
    repairAfterDialog();
    return ok;
}

void CViewCanvas::showMessage(const std::string& text) {
    if (unattended_) {
        printMessage(text);
        return;
    }
    if (hooks_.message) {
        hooks_.message(text);
        return;
    }
    showMessageBox(frame_, fromCp932(text));
    repairAfterDialog();
}

void CViewCanvas::showMessageWithReason(const std::string& text, const std::string& reason) {
    showMessage(text);
    // On stderr the reason has a line of its own, as kelvra-render prints it;
    // the box keeps its fixed text.
    if (unattended_ && !reason.empty()) printMessage(reason);
}

void CViewCanvas::showFileMessage(const std::string& text, const std::string& path, int error) {
    // On stderr one line with the path and the reason, as kelvra-render
    // prints it; the box keeps its fixed text.
    if (unattended_) {
        printFileMessage(path, error, text);
        return;
    }
    showMessage(text);
}

void CViewCanvas::invalidate() { Refresh(false); }

void CViewCanvas::settleAfter(int milliseconds) { settleTimer_.StartOnce(milliseconds); }

void CViewCanvas::setCaption(const std::string& text) {
    wxString caption = fromCp932(text);
    if (frame_->GetTitle() != caption) frame_->SetTitle(caption);
}

void CViewCanvas::showStatusMessage(const std::string& text) {
    wxStatusBar* bar = frame_->GetStatusBar();
    if (bar) bar->SetStatusText(text.empty() ? ui(kIdleMessage) : fromCp932(text), 0);
}

void CViewCanvas::setStatusPane(int paneId, const std::string& text) {
    wxStatusBar* bar = frame_->GetStatusBar();
    int field = paneId - PanePosition + 1;
    if (!bar || field < 1 || field >= bar->GetFieldsCount()) return;
    wxString value = fromCp932(text);
    if (bar->GetStatusText(field) != value) bar->SetStatusText(value, field);
}

void CViewCanvas::resizeFrame(int width, int height) {
    if (width > 0 && height > 0) frame_->SetSize(width, height);
}

PixelSize CViewCanvas::frameSize() const {
    wxSize s = frame_->GetSize();
    return {s.x, s.y};
}

PixelSize CViewCanvas::clientSize() const {
    wxSize s = GetClientSize() * GetContentScaleFactor();
    return {s.x, s.y};
}

void CViewCanvas::showLoadProgress(bool visible, const std::string& title, std::uint64_t fileBytes) {
    hideLoadProgress();
    progress_ = new CLoadProgressDlg(this, title, fileBytes);
    if (visible) progress_->showNow();
}

bool CViewCanvas::setLoadProgress(int percent) { return !progress_ || progress_->setLoadProgress(percent); }

void CViewCanvas::hideLoadProgress() {
    if (!progress_) return;
    progress_->hideNow();
    progress_->Destroy();
    progress_ = nullptr;
    Refresh(false);
}

std::optional<std::string> CViewCanvas::askFileName(const FileDialogRequest& request) {
    // Each dialog starts where it was last used; a save of the data file
    // starts beside the file.
    FileDialogRequest shown = request;
    const std::size_t kind = std::size_t(request.kind);
    const std::string remembered = loadProfile().lastFolders[kind];
    struct stat st;
    bool besideData = request.kind == FileDialogKind::DataSave && !request.initialFolder.empty();
    if (!besideData && !remembered.empty() && ::stat(remembered.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        shown.initialFolder = remembered;
    std::optional<std::string> path = hooks_.fileName ? hooks_.fileName(shown) : showFileDialog(shown);
    repairAfterDialog();
    if (path) {
        const std::string folder = folderOf(absolutePath(*path, workingFolder()));
        updateProfile([&](Profile& profile) { profile.lastFolders[kind] = folder; });
    }
    return path;
}

std::optional<std::string> CViewCanvas::showFileDialog(const FileDialogRequest& request) {
    wxString wildcard;
    for (const auto& [label, pattern] : request.filters) {
        if (!wildcard.empty()) wildcard += "|";
        wildcard += fromCp932(label) + "|" + fromCp932(pattern);
    }
    long style = request.save ? wxFD_SAVE | (request.confirmOverwrite ? wxFD_OVERWRITE_PROMPT : 0)
                           : wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    wxFileDialog dialog(frame_, fromCp932(request.title), pathText(request.initialFolder), pathText(request.initialName),
                        wildcard, style);
    dialog.SetFilterIndex(0);
    matchFiltersInAnyCase(dialog, request.filters);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return pathBytes(dialog.GetPath());
}

}  // namespace kelvra
