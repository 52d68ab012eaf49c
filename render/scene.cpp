// The scene: fixed GL state, the orthographic camera, the per-frame draw and
// the placement of the window-anchored overlays.
//
// The camera makes one pixel 1/(2 * viewZoom) world units, so every position
// the settings hold in pixels at 100 % becomes world units by * 0.005 and grows
// with the zoom. A frame only calls prebuilt lists (graph, pick markers, axis
// indicator, legend), draws the scale frame afresh (its labels follow the
// angles) and the title: turning, moving and zooming rebuild nothing else.
// While the view moves, a window frame may call the reduced graph instead of
// the full one (render/reducedGraph.h); pictures never do.
// drawScene draws into whatever framebuffer is bound: the window's, or the
// picture's of renderPicture (output/picture.cpp).
#include <GL/gl.h>

#include <algorithm>
#include <cassert>
#include <chrono>

#include "base/appInfo.h"
#include "view/kelvraView.h"
#include "base/phaseTimes.h"
#include "render/scene.h"
#include "render/text.h"

namespace kelvra {

void CKelvraView::initGlState() {
    const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat specular[] = {0.9f, 0.9f, 0.9f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 50.0f);
    // A directional light along +Z given under the identity modelview stays
    // fixed to the eye whatever the graph's turn.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat lightPosition[] = {0.0f, 0.0f, 10.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_AUTO_NORMAL);
    glLoadIdentity();
    if (lists.deferListBuilds) lists.glyphListsBuilt = false;   // built by the first frame, for its settings
    else buildGlyphLists();
}

void CKelvraView::resizeViewport(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    setProjection(width, height);
}

void CKelvraView::setProjection(int width, int height) {
    // A zero-sized window (minimised) or a zero zoom would give an empty volume,
    // which GL rejects; the matrix is then left as it is.
    if (width > 0 && height > 0 && settings.viewZoom != 0) {
        double f = 4.0 * settings.viewZoom;
        double m = std::min(width, height);
        glOrtho(-width / f, width / f, -height / f, height / f, -50.0 * m / f, 50.0 * m / f);
    }
    glMatrixMode(GL_MODELVIEW);
}

namespace {

// The lists the scene calls are made by the builds before the first frame with
// data (render/displayLists.cpp, interact/ for the pick markers).
void callList(DisplayList list) {
    assert(glIsList(list));
    glCallList(list);
}

// Position of a window-anchored overlay: fixed to the window, or moving with the graph.
void translateOverlay(bool anchored, double posH, double posV, int viewPosX, int viewPosY) {
    double x = anchored ? posH : posH + viewPosX;
    double y = anchored ? posV : posV + viewPosY;
    glTranslated(x * 0.005, y * 0.005, 3.0);
}

}  // namespace

// Lists a load or a settings change left unbuilt (no context was current, or
// kelvra-render defers them) are made now. One picture (deferListBuilds)
// builds only the overlay lists and draws the graph without a list; a reduced
// frame leaves a graph list a section move left stale for the full frame.
void CKelvraView::makeMissingLists(GraphDetail detail) {
    if (!data.dataLoaded) return;
    if (!lists.glyphListsBuilt) buildGlyphLists();
    if (lists.deferListBuilds || detail == GraphDetail::Reduced) {
        if (!lists.overlayListsBuilt) buildLists(false);
        return;
    }
    if (!lists.graphListsBuilt) buildDisplayLists();
}

void CKelvraView::drawScene(const SceneDraw& how) {
    PhaseScope phase(Phase::Draw);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!data.dataLoaded) return;
    const bool graphStraight = how.straight || (lists.deferListBuilds && !lists.graphListsBuilt);
    makeMissingLists(how.detail);
    const auto has = [&](unsigned part) { return (how.parts & part) != 0; };

    glLoadIdentity();
    if (has(SceneGraph)) {
        glPushMatrix();
        turnLikeTheGraph(settings);
        if (graphStraight) drawGraph(makeBuildContext());
        else callList(how.detail == GraphDetail::Reduced ? ListGraphReduced : ListGraph);
        glPopMatrix();
    }
    if (state.pickMarkersShown && has(ScenePickMarkers)) {
        glPushMatrix();
        turnLikeTheGraph(settings);
        callList(ListPickMarker);
        glPopMatrix();
    }

    // The overlays cancel the zoom, so they keep their screen size (in percent).
    double unzoom = settings.viewZoom != 0 ? 100.0 / settings.viewZoom : 1.0;
    if (settings.axisShow && has(SceneAxisIndicator)) {
        glPushMatrix();
        translateOverlay(settings.axisFixLowerLeft != 0, settings.axisPosH, settings.axisPosV, settings.viewPosX, settings.viewPosY);
        double s = unzoom * settings.axisSize * 0.01;
        glScaled(s, s, s);
        glRotated(settings.viewAngleX, 1.0, 0.0, 0.0);
        glRotated(settings.viewAngleZ, 0.0, 0.0, 1.0);
        if (how.straight) buildAxisIndicator();
        else callList(ListAxisIndicator);
        glPopMatrix();
    }
    if (settings.legendShow && has(SceneLegend)) {
        glPushMatrix();
        translateOverlay(settings.legendFixRight != 0, settings.legendPosH, settings.legendPosV, settings.viewPosX, settings.viewPosY);
        double s = unzoom * settings.legendSize * 0.01;
        glScaled(s, s, s);
        if (how.straight) drawLegend(makeBuildContext());
        else callList(ListLegend);
        glPopMatrix();
    }
    if (settings.scaleShow && has(SceneFrame | SceneFrameLabels)) {
        // The frame changes with every turn, so it is drawn afresh each frame;
        // drawn directly rather than through a list, its labels are placed by
        // window position, and one whose start lies outside the window (the
        // graph zoomed or moved) still shows its visible part.
        glPushMatrix();
        glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
        if (!has(SceneFrame)) {
            // A plane that nothing passes cuts every line away; the labels,
            // placed by window position, are not clipped.
            const GLdouble nothing[4] = {0.0, 0.0, 0.0, -1.0};
            glClipPlane(GL_CLIP_PLANE0, nothing);
            glEnable(GL_CLIP_PLANE0);
        }
        turnLikeTheGraph(settings);
        if (settings.displayMode == Display2D) buildScaleFrame2D(-1.0);
        else buildScaleFrame3D();
        glPopAttrib();
        glPopMatrix();
    }
    if (!settings.titleText.empty() && has(SceneTitle)) drawTitle();
}

void CKelvraView::paint(int width, int height) {
    host_.setCaption(data.dataFileTitle + " - " + kAppTitle);
    resizeViewport(width, height);
    const GraphDetail detail =
        reducedGraphWanted() && reducedGraphReady() ? GraphDetail::Reduced : GraphDetail::Full;
    makeMissingLists(detail);   // a build is not the frame's time
    const auto start = std::chrono::steady_clock::now();
    drawScene({.detail = detail});
    glFinish();   // the frame's time is the rasteriser's, not only the submission's
    noteFrame(detail, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

void layoutAnchoredOverlays(GraphSettings& s, PixelSize frame) {
    if (s.axisSizeFixed == 0) s.axisSize = s.viewZoom;
    if (s.legendSizeFixed == 0) s.legendSize = s.viewZoom;
    if (s.viewZoom == 0) return;
    if (s.axisFixLowerLeft == 1) {
        s.axisPosH = (frame.width - 175) * (-0.5) / s.viewZoom * 100;
        s.axisPosV = (frame.height - 250) * (-0.5) / s.viewZoom * 100;
    }
    if (s.legendFixRight == 1) {
        int t = s.legendSize * 225 / 100;
        int u = -(s.legendHeight * s.legendSize) / 100;
        s.legendPosH = (frame.width - t) * 0.5 / s.viewZoom * 100;
        s.legendPosV = u * 0.5 / s.viewZoom * 100;
    }
}

void turnLikeTheGraph(const GraphSettings& s) {
    glTranslated(s.viewPosX * 0.005, s.viewPosY * 0.005, 0.0);
    glRotated(s.viewAngleX, 1.0, 0.0, 0.0);
    glRotated(s.viewAngleZ, 0.0, 0.0, 1.0);
}

void CKelvraView::layoutAnchoredOverlays() { kelvra::layoutAnchoredOverlays(settings, host_.frameSize()); }

void CKelvraView::destroyGlLists() {
    for (DisplayList list : {ListGraph, ListGraphReduced, ListLegend, ListAxisIndicator, ListScaleFrame,
                             ListPickMarker}) {
        if (glIsList(list)) glDeleteLists(list, 1);
    }
    lists.glyphs->destroy();
    state.pickMarkersShown = false;   // its list is gone
    lists.glyphListsBuilt = false;
    lists.graphListsBuilt = false;
    lists.overlayListsBuilt = false;
    graphListsChanged();
}

}  // namespace kelvra
