// CKelvraView: the one object of substance. It owns the data set, the graph
// settings record, the interaction state and what it made in the GL context,
// as named records, and puts the routines below it together: load and save,
// the one change sequence, the paint, navigation, picking and pictures. It
// draws into whatever GL context is current and talks to the window system
// only through its ViewHost.
//
// The routines it calls take the records they read as parameters
// (render/, interact/, output/, data/, settings/); what is here is the order
// in which they run and what the window is told. Each group of operations
// below names the file that implements it. What the shells do around the
// view (the start-up argument, launch files) is in app/.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/fileIo.h"
#include "base/viewHost.h"
#include "data/graphData.h"
#include "interact/navigation.h"
#include "output/imageFiles.h"
#include "output/picture.h"
#include "output/vectorPicture.h"
#include "render/drawInput.h"
#include "render/graphSteps.h"
#include "render/pickTargets.h"
#include "render/renderCache.h"
#include "render/scene.h"
#include "settings/graphSettings.h"
#include "settings/viewState.h"

namespace kelvra {

// How a data file that changed on disk was taken (loadChangedData), or that
// it went.
enum class LiveOutcome { Loaded, CannotOpen, NoMemory, NoData, CutShort, Gone };
// What a load, a settings file or a graph that found no memory says.
inline constexpr char kOutOfMemoryText[] = "メモリー不足です";

class CKelvraView {
public:
    explicit CKelvraView(ViewHost& host);
    ~CKelvraView();
    CKelvraView(const CKelvraView&) = delete;
    CKelvraView& operator=(const CKelvraView&) = delete;

    ViewHost& host() { return host_; }

    GraphData data;
    GraphSettings settings;   // the settings dialog edits a copy
    ViewState state;
    RenderCache lists;

    // ---- the change sequence (view/viewChange.cpp) ----
    // Brings everything up to date after `what` (Change flags) changed, each
    // step once, in this order: the graph choice fitted to the data (data,
    // settings); the position, zoom and angle panes (settings, view, zoom);
    // the window-anchored overlays (settings, zoom); the scale recompute
    // keeping the user's scales, with the angle and display-kind panes (data,
    // settings); the glyph lists and the display lists (data, settings; the
    // glyph lists alone for a zoom that is not a drag; the graph lists for a
    // section); a repaint.
    void changed(unsigned what);
    // The settings dialog's OK and the other bulk changes; the caller has
    // resized the frame.
    void settingsChanged() { changed(ChangeSettings); }
    // A drag or a key changed the view: it moves until viewSettled, which the
    // host calls kSettleMilliseconds after the last change, or the button or
    // key comes up.
    void viewMoved();
    void viewSettled();

    // ---- settings files (view/viewSettings.cpp) ----
    // Applies settings-file text already in memory: the fields it names, the
    // frame resized, the change sequence.
    void applySettingsText(std::string_view text);
    // False, after the message, when the file could not be read or written,
    // or no line of it names a settings key (nothing changes then).
    bool loadSettingsFile(const std::string& path);
    // The same for a file already read: `file` is what reading `path` gave.
    bool loadSettingsText(const std::string& path, FileRead file);
    bool saveSettingsFile(const std::string& path);
    std::string settingsText() const;   // the whole settings file, CP932, CR LF line breaks
    // File menu: false when cancelled or failed.
    bool chooseAndLoadSettingsFile();
    bool chooseAndSaveSettingsFile();

    // ---- data in and out (view/viewData.cpp) ----
    // When a load asks the user how to import a file that is not in the
    // program's own layout (the host's import dialog): File/Open and the
    // start-up argument always, a drop until the dialog has been answered
    // once, F5 never. Every load uses the choices kept for the run.
    enum class ImportAsk { Always, UntilAnswered, Never };
    // Reads a data file into the data set and brings the picture up to date;
    // `reload` keeps the user's scales (F5). False (after its message) when
    // the file cannot be opened, cannot be read as any layout, or memory runs
    // out, and when the user cancels the import dialog; nothing changes then.
    bool loadDataFile(const std::string& path, bool reload, ImportAsk ask = ImportAsk::Always);
    // The same for a file already read (the start-up argument, standard
    // input): `file` is what reading `path` gave, failures included.
    bool loadDataText(const std::string& path, FileRead file, bool reload, ImportAsk ask = ImportAsk::Always);
    bool chooseDataFile();      // File/Open
    bool reloadDataFile();      // F5
    // Writes the data set and the given settings text (a whole settings file)
    // to path, replacing it only when complete. False after the message.
    bool writeDataFile(const std::string& path, const std::string& settingsText);
    bool saveDataCommand();     // File/Save with its dialog

    // ---- a data file that changes on disk (view/viewLive.cpp) ----
    // Loads `file`, the data file at `path` read whole after it changed
    // (base/liveFile.h), as loadDataText does with `reload`, but never with a
    // message box and only when it holds data: a file that could not be read,
    // holds no point or, unless `settled`, fewer points than `shownPoints`
    // (a writer may still be adding to it) changes nothing at all: the data
    // set, the settings and the picture stay as they were. The caller says
    // what happened (liveStatusText).
    LiveOutcome loadChangedData(const std::string& path, FileRead file, int shownPoints, bool settled,
                                bool reload);

    // ---- GL context, lists and the paint (view/viewPaint.cpp) ----
    // Fixed GL state of a new context, and its glyph lists.
    void initGlState();
    void resizeViewport(int width, int height) { kelvra::resizeViewport(width, height, settings.viewZoom); }
    // Draws the scene (all of it unless `how` says otherwise) into the current
    // framebuffer under the camera resizeViewport set; `how.detail` Reduced
    // shows list 120 instead of the graph list, which reducedGraphReady must
    // have made. Returns the coarsening of a graph drawn straight, the grid
    // points each point drawn stood for (render/graphSteps.h: 1 when all were).
    int drawScene(const SceneDraw& how = {});
    // A frame of the window: caption, viewport and scene for a window of the
    // given size, with the reduced graph while the view moves and the full
    // one is slow (render/reducedGraph.h); the frame's time is noted.
    void paint(int width, int height);
    // The anchored overlays laid out for the window's frame (render/scene.h).
    void layoutAnchoredOverlays() { kelvra::layoutAnchoredOverlays(settings, host_.frameSize()); }
    // Lists 100, 150 and 200 (the pick targets are no list: a pick draws them
    // straight).
    void buildDisplayLists() { buildLists(true); }
    // Lists 150 and 200, with list 100 when withGraph.
    void buildLists(bool withGraph);
    void buildGlyphLists();
    // Builds what drawScene is about to call and a load or a settings change
    // left unbuilt.
    void makeMissingLists(GraphDetail detail);
    // After a load or a settings change: rebuilds the glyph and display lists
    // when a GL context is current (and lists are not deferred), otherwise
    // marks them as not built for the next paint; then asks for a repaint.
    void rebuildPicture();
    // Deletes every list the view made in the current context.
    void destroyGlLists();
    // The build context of the settings as they are.
    BuildContext buildContext() const { return makeBuildContext(settings, state); }
    // Where the overlays' texts go: the view's glyph renderer.
    TextOut textOut() { return {*lists.glyphs, lists.labelTrace}; }

    // ---- the reduced graph while the view moves (view/viewPaint.cpp) ----
    // True when the next frame should show it: the view moves, it is allowed,
    // and the last full frame took longer than the budget.
    bool reducedGraphWanted() const;
    // Builds list 120 on first need; false when there is nothing to reduce.
    bool reducedGraphReady();
    void buildReducedGraph();
    // List 100 was rebuilt or dropped: the reduced list and the full frame's
    // time go with it.
    void graphListsChanged();
    // Counts a painted frame and keeps its time (seconds, glFinish included).
    void noteFrame(GraphDetail detail, double seconds, int graphCoarsening);

    // ---- navigation (view/viewNavigation.cpp) ----
    void leftButtonDown(int x, int y);
    void mouseMove(int x, int y);
    void leftButtonUp();
    void keyDown(ArrowKey key);
    void keyUp();   // an arrow key came up: a held key's movement ends
    // The mouse wheel (interact/navigation.h); the view moves until it settles.
    void wheelZoom(int notches);
    void resetView();
    void setViewPlane(int plane);   // 0 X-Y, 1 X-Z, 2 Y-Z
    // The status panes of `what` (Change flags) with the settings as they are.
    void showPanes(unsigned what);

    // ---- picking (view/viewPick.cpp) ----
    // A left click in pick mode at client pixel (x, y) (origin top-left):
    // the point under a 10 x 10 pixel box there, through the camera of the
    // last paint, is marked and its values added to the selected text. More
    // than kPickHitLimit points under the box: a message, and nothing
    // changes; none: nothing changes.
    void pickAt(int x, int y);
    // The pick targets under a box at window (x, y) of the current viewport
    // (GL window coordinates, origin bottom-left), under the camera of the
    // settings (render/pickTargets.h).
    PickHits selectPickTargets(double x, double y, bool cull = true);
    // Marks the point of the first name and adds its values; nothing for no
    // names or a name that is no stored point.
    void showPickResult(const std::vector<std::uint32_t>& names);
    // Compiles list 550, the cube around the point whose first value is
    // pointValues[offset]; false (and an empty list) when it has no place.
    bool buildPickMarker(std::size_t offset);
    // The selected-data window's "削除".
    void clearSelectedText() { state.selectedText = {}; }

    // ---- pictures and image files (view/viewPicture.cpp) ----
    // Draws the scene into a framebuffer of the request's size in the current
    // context and reads it back; nothing when the size is not positive, larger
    // than the driver takes, or the memory cannot be had. The window's own
    // drawing, the GL state and the records are left as they were
    // (output/picture.h). Every picture the program saves or hands on comes
    // from here.
    std::optional<ImageBuffer> renderPicture(const PictureRequest& request);
    // Writes a picture as an image file, the extension choosing the format.
    // False, after the message, when there is no picture or the file could not
    // be written (an old file of that name is then left whole).
    bool writeImage(const std::optional<ImageBuffer>& picture, const std::string& path);
    // The picture of the window at `size`, written to `path`: File/Save image.
    bool saveImage(const std::string& path, PixelSize size) { return savePicture(shownPicture(size), path); }
    // The picture of the request written to `path` as the extension says: an
    // image file, from `drawn` when given (that request drawn already), or a
    // vector picture (.svg, .pdf, .eps), always drawn afresh. False, after the
    // message, when it could not be made or written.
    bool savePicture(const PictureRequest& request, const std::string& path,
                     const std::optional<ImageBuffer>* drawn = nullptr);
    // A vector picture of the request (output/vectorPicture.h).
    std::optional<VectorPicture> renderVectorPicture(const PictureRequest& request, ImageFormat format,
                                                     long long maxGraphPrimitives = kMaxVectorGraphPrimitives);

private:
    // The end of every load, once `fresh` has been read whole from `path`: it
    // becomes the view's data set, then the legend quantity and the scales
    // (both kept by a reload), the file's settings section when it has one,
    // the change sequence.
    void adoptData(GraphData&& fresh, const std::string& path, std::string_view settingsSection, bool reload);
    // The import of a file the plan says is not in the program's own layout:
    // the text in the encoding chosen, the user asked when `ask` says so, the
    // plan made again with the choices. False when cancelled or unreadable
    // (said).
    bool chooseImport(const std::string& path, FileRead& file, ImportPlan& plan, ImportAsk ask);
    // Scale labels from a names row where the settings leave them empty (or
    // hold what an earlier import put there).
    void takeNamesAsLabels(const std::string (&names)[3]);

    ViewHost& host_;
};

// What the message pane (kelvra-render: stderr) says after a data file
// changed on disk, with the local time `when`: "14:03:27 再読み込み", or why
// the picture stayed. `error` is the system's reason for CannotOpen.
std::string liveStatusText(LiveOutcome outcome, const std::string& path, int error, std::time_t when);

}  // namespace kelvra
