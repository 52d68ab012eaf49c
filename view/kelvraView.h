// CKelvraView: the one object of substance. It holds the data set, the graph
// settings record and the interaction state as plain fields, and owns every
// operation on them: load and save, scale recompute, display-list builds, the
// scene draw, navigation and picking. It draws into whatever GL context is
// current and talks to the window system only through its ViewHost.
//
// The operations are spread over the folders by subject; the comment above each
// group names the file that implements it. Rules that read only the settings or
// only the data set are free functions beside them (settings/graphTypes.h,
// render/scene.h); what the shells do around the view (the start-up argument,
// launch files) is in app/launch.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/fileIo.h"
#include "base/viewHost.h"
#include "data/graphData.h"
#include "interact/pickResult.h"
#include "output/imageFiles.h"
#include "output/picture.h"
#include "output/vectorPicture.h"
#include "render/levels.h"
#include "render/mapping.h"
#include "render/pickVolume.h"
#include "render/reducedGraph.h"
#include "render/scene.h"
#include "settings/graphSettings.h"

namespace kelvra {

class GlyphRenderer;
struct PlacedLabel;

// Display-list names used by the scene (the glyph lists of the text roles are
// numbered from their bases in settings/settingsTables.h).
enum DisplayList {
    ListGraph = 100,
    ListGraphReduced = 120,   // the graph from a thinned data set, while the view moves
    ListLegend = 150,
    ListAxisIndicator = 200,
    ListScaleFrame = 300,
    ListPickMarker = 550,
    ListScratchGlyph = 9000,
};

// What a left-button drag or an arrow key does (the toolbar's mode buttons).
enum InteractionMode : int { ModeMove = 0, ModeZoom = 1, ModeRotate = 2, ModeSection = 3, ModePick = 4, ModeCount };

// What every drawing routine of a build shares: the graph mapping and the
// colour levels, computed once at the start of buildDisplayLists.
struct BuildContext {
    AxisMapping map;
    LevelTable levels;
    double legendBandHeight = 0.0;   // height of one level in the legend list, world units
};

// Interaction state and values derived from the settings; never saved.
struct ViewState {
    double axisSpan[3] = {200, 200, 200};   // data length mapped onto the full axis
    int sectionIndexX = 0;                  // grid column of the X section
    int sectionIndexY = 0;                  // grid row of the Y section
    InteractionMode interactionMode = ModeRotate;
    bool dragging = false;
    int dragStartX = 0, dragStartY = 0;     // client pixels at button-down
    int dragStartValue[2] = {0, 0};         // the mode's values at button-down
    bool pickMarkersShown = false;          // list 550 is drawn (a pick marked a point)
    SelectedText selectedText;              // what the selected-data window shows
    bool startupDone = false;               // the start-up argument ran (first paint)
    bool glyphListsBuilt = false;
    bool graphListsBuilt = false;
    // Set by kelvra-render, which draws one picture: loads and settings
    // changes then only mark the lists as not built, and drawScene builds the
    // overlay lists and draws the graph straight into the frame. A list pays
    // off only for a second frame; compiling list 100 costs more than
    // drawing it, and its memory. The primitives, and so the picture, are the
    // same.
    bool deferListBuilds = false;
    bool overlayListsBuilt = false;   // lists 150, 200 (set with graphListsBuilt, or alone)
    ReducedGraph reduced;   // the graph drawn while the view moves (render/reducedGraph.h)
    // Tests: when set, every label the scale frame, the axis indicator, the
    // legend and the title place is recorded here (render/scaleFrame.h).
    std::vector<PlacedLabel>* labelTrace = nullptr;
};

enum class ArrowKey { Up, Down, Left, Right };

class CKelvraView : public GraphData, public GraphSettings, public ViewState {
public:
    explicit CKelvraView(ViewHost& host);
    ~CKelvraView();
    CKelvraView(const CKelvraView&) = delete;
    CKelvraView& operator=(const CKelvraView&) = delete;

    ViewHost& host() { return host_; }

    // The settings part of the view as one record (the dialog edits a copy).
    GraphSettings& settings() { return *this; }
    const GraphSettings& settings() const { return *this; }
    // The data set part, for routines that read only the data.
    GraphData& data() { return *this; }
    const GraphData& data() const { return *this; }

    // ---- settings changes and settings files (view/viewSettings.cpp) ----
    // After a bulk change of the settings record (the settings dialog's OK, a
    // settings file, the settings section of a data file): status panes,
    // window-anchored overlays, scale recompute keeping the user's scales,
    // glyph lists, display lists, repaint. The caller has resized the frame.
    void settingsChanged();
    // Applies settings-file text already in memory: the fields it names, the
    // graph choice fitted to the data, the frame resized, settingsChanged.
    void applySettingsText(std::string_view text);
    // 1 when the file was read (and applied), 0 when it could not be read.
    int loadSettingsFile(const std::string& path);
    // 0 on success, 1 when the file could not be written (after the message).
    int saveSettingsFile(const std::string& path);
    std::string settingsText() const;   // the whole settings file, CP932, CR LF line breaks
    int chooseAndLoadSettingsFile();
    int chooseAndSaveSettingsFile();

    // ---- data in and out (data/dataReader.cpp, data/dataWriter.cpp) ----
    // Reads a data file into the data set and brings the picture up to date.
    // False (after its message) when the file cannot be opened or memory runs out.
    bool loadDataFile(const std::string& path, bool reload);
    // The same for a file already read (the start-up argument, standard
    // input): `file` is what reading `path` gave, failures included.
    bool loadDataText(const std::string& path, FileRead file, bool reload);
    bool chooseDataFile();      // File/Open
    bool reloadDataFile();      // F5
    // Writes the data set and the given settings text (a whole settings file)
    // to path, replacing it only when complete. 0 on success, 1 on failure.
    int writeDataFile(const std::string& path, const std::string& settingsText);
    bool saveDataCommand();     // File/Save with its dialog

    // ---- scales and numbers (render/scaleMapping.cpp) ----
    // kind 0..3 axes, 4..5 sections (settings/graphSettings.h)
    FormattedValue formatValue(double value, int kind) const { return kelvra::formatValue(*this, value, kind); }
    void recomputeScales(bool keepUserScales);
    void snapSections();
    void resetBarSizes();
    AxisMapping graphMapping() const;
    AxisMapping scaleMapping() const;

    // ---- scene and camera (render/scene.cpp) ----
    void initGlState();
    void resizeViewport(int width, int height);
    void setProjection(int width, int height);
    // Draws the scene (all of it unless `how` says otherwise) into the current
    // framebuffer under the camera resizeViewport set; `how.detail` Reduced
    // shows list 120 instead of the graph list, which reducedGraphReady must
    // have made.
    void drawScene(const SceneDraw& how = {});
    // Builds what drawScene is about to call and a load or a settings change
    // left unbuilt.
    void makeMissingLists(GraphDetail detail);
    // A frame of the window: caption, viewport and scene for a window of the
    // given size, with the reduced graph while the view moves and the full
    // one is slow (render/reducedGraph.h); the frame's time is noted.
    void paint(int width, int height);
    // The anchored overlays laid out for the window's frame (render/scene.h).
    void layoutAnchoredOverlays();
    // Deletes every list the view made in the current context.
    void destroyGlLists();

    // ---- display lists (render/displayLists.cpp) ----
    // Lists 100, 150 and 200. The pick targets are no list: a pick draws them
    // straight (render/pickTargets.cpp).
    void buildDisplayLists();

    // ---- the reduced graph while the view moves (render/reducedGraph.cpp) ----
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
    void noteFrame(GraphDetail detail, double seconds);
    // A drag or a key changed the view: it moves until viewSettled, which the
    // host calls kSettleMilliseconds after the last change, or the button or
    // key comes up.
    void viewMoved();
    void viewSettled();
    // The section moved: the graph lists follow it (only the reduced one
    // while it is on the screen; the full ones when the view settles).
    void sectionMoved();
    // The graph's drawing (what list 100 holds), in the current GL mode: into
    // a list being compiled, or straight into the frame.
    void drawGraph(const BuildContext& ctx);
    // The graph type's steps and the floor projection's, each drawn from
    // `grid`'s data set, except the steps that walk only a section, which
    // come from `section`'s (the view itself, or a thinned copy for grid).
    static void drawGraphSteps(const CKelvraView& grid, const CKelvraView& section, const BuildContext& ctx);
    // The legend the graph type asks for (what list 150 holds), likewise.
    void drawLegend(const BuildContext& ctx);
    // Lists 150 and 200, with list 100 when withGraph.
    void buildLists(bool withGraph);
    // After a load or a settings change: rebuilds the glyph and display lists
    // when a GL context is current (and lists are not deferred), otherwise
    // marks them as not built for the next paint; then asks for a repaint.
    void rebuildPicture();
    BuildContext makeBuildContext() const;
    void clipToScaleBox() const;
    void unclipScaleBox() const;
    void offsetFillOn() const;
    bool insideScaleBox(const double* xyz) const;
    // The pick targets of the data set, leaving out those outside `volume`
    // (PickVolume{} draws them all).
    void drawPickTargets(const BuildContext& ctx, const PickVolume& volume);

    // ---- grid graphs: contours (render/contours.cpp) ----
    void drawContourFill(const BuildContext& ctx, bool onFloor) const;
    void drawGreyContourFill(const BuildContext& ctx, bool onFloor) const;
    void drawContourLines(const BuildContext& ctx, bool coloured, bool onFloor) const;
    void drawContourHiddenFill(const BuildContext& ctx) const;

    // ---- grid graphs: surfaces (render/surfaces.cpp) ----
    void drawWireframe(const BuildContext& ctx) const;
    void drawColorWireframe(const BuildContext& ctx) const;
    void drawWireHiddenFill(const BuildContext& ctx) const;
    void drawShadedShape(const BuildContext& ctx) const;

    // ---- points, bars, vectors (render/marks.cpp) ----
    void drawColorPoints(const BuildContext& ctx, const Rgb* colors, int levelCount) const;
    void drawGreyPoints(const BuildContext& ctx) const;
    void drawBlackPoints(const BuildContext& ctx) const;
    void drawBars(const BuildContext& ctx) const;
    void drawVectors(const BuildContext& ctx) const;

    // ---- sections; axis 0 is the X section, 1 the Y section (render/sections.cpp) ----
    void updateSectionX();
    void updateSectionY();
    void drawSectionLine(const BuildContext& ctx, int axis) const;
    void drawSectionPoints(const BuildContext& ctx, int axis) const;
    void drawSectionFill(const BuildContext& ctx, int axis) const;
    void drawSectionCut(const BuildContext& ctx, int axis) const;

    // ---- text (render/text.cpp) ----
    void buildGlyphLists();
    void drawText(std::string_view text, TextRole role);
    GlyphRenderer* glyphRenderer() { return glyphs_.get(); }

    // ---- legend, title, scale frame, axis indicator (render/legend.cpp, render/scaleFrame.cpp) ----
    // The builders emit into the display list being compiled when the caller
    // opens one (lists 150 and 200), or draw directly (the scene draws the
    // scale frame afresh on every paint).
    void buildLegend(int levelCount, double valueStep, double cellHeight, const Rgb* colors);
    void drawTitle();
    void buildScaleFrame3D();
    void buildScaleFrame2D(double plane);
    void buildAxisIndicator();

    // ---- navigation and status panes (interact/navigation.cpp) ----
    void leftButtonDown(int x, int y);
    void mouseMove(int x, int y);
    void leftButtonUp();
    void keyDown(ArrowKey key);
    void keyUp();   // an arrow key came up: a held key's movement ends
    // The mouse wheel, in any mode: each notch (positive away from the user)
    // zooms as one arrow key does in zoom mode; the view moves until it settles.
    void wheelZoom(int notches);
    void resetView();
    void setViewPlane(int plane);   // 0 X-Y, 1 X-Z, 2 Y-Z
    void fitModeToDisplay();
    void showPosition();
    void showZoom();
    void showAngles();
    void showDisplayKind();

    // ---- picking (interact/picking.cpp) ----
    // A left click in pick mode at client pixel (x, y) (origin top-left):
    // the point under a 10 x 10 pixel box there, through the camera of the
    // last paint, is marked and its values added to selectedText. More than
    // kPickHitLimit points under the box: a message, and nothing changes;
    // none: nothing changes.
    void pickAt(int x, int y);
    // Draws the pick targets in selection mode
    // through a 10 x 10 pixel box centred on window (x, y) of the current
    // viewport (GL window coordinates, origin bottom-left), under the camera
    // of the last paint, and reads the records back.
    // `cull` false draws every target, as a check of what the culling leaves out.
    PickHits selectPickTargets(double x, double y, bool cull = true);
    // Marks the point of the first name and adds its values; nothing for no
    // names or a name that is no stored point.
    void showPickResult(const std::vector<std::uint32_t>& names);
    // Compiles list 550, the cube around the point whose first value is
    // pointValues[offset]; false (and an empty list) when it has no place.
    bool buildPickMarker(std::size_t offset);
    // The selected-data window's "削除".
    void clearSelectedText();

    // ---- pictures and image files (output/picture.cpp) ----
    // Draws the scene into a framebuffer of the request's size in the current
    // context and reads it back; nothing when the size is not positive, larger
    // than the driver takes, or the memory cannot be had. The window's own
    // drawing, the GL state and the settings are left as they were
    // (output/picture.h). Every picture the program saves or hands on comes
    // from here.
    std::optional<ImageBuffer> renderPicture(const PictureRequest& request);
    // Writes a picture as an image file, the extension choosing the format.
    // False, after the message, when there is no picture or the file could not
    // be written (an old file of that name is then left whole).
    bool writeImage(const std::optional<ImageBuffer>& picture, const std::string& path);
    // The picture of the window at `size`, written to `path`: File/Save image.
    bool saveImage(const std::string& path, PixelSize size);
    // The picture of the request written to `path` as the extension says: an
    // image file, from `drawn` when given (that request drawn already), or a
    // vector picture (.svg, .pdf, .eps), always drawn afresh. False, after the
    // message, when it could not be made or written.
    bool savePicture(const PictureRequest& request, const std::string& path,
                     const std::optional<ImageBuffer>* drawn = nullptr);
    // A vector picture of the request (output/vectorPicture.h); a graph of
    // more primitives than `maxGraphPrimitives` goes in as an image. Nothing
    // when the format is not a vector format, the size cannot be drawn or
    // GL2PS fails.
    std::optional<VectorPicture> renderVectorPicture(const PictureRequest& request, ImageFormat format,
                                                     long long maxGraphPrimitives = kMaxVectorGraphPrimitives);

private:
    ViewHost& host_;
    std::unique_ptr<GlyphRenderer> glyphs_;
};

}  // namespace kelvra
