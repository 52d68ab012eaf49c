// The scene: fixed GL state, the orthographic camera, the parts of a frame
// and the placement of the window-anchored overlays (see scene.h). The view
// decides for each frame which lists it calls (view/viewPaint.cpp).
//
// The camera makes one pixel 1/(2 * viewZoom) world units, so every position
// the settings hold in pixels at 100 % becomes world units by * 0.005 and grows
// with the zoom. A frame only calls prebuilt lists (graph, pick markers, axis
// indicator, legend), draws the scale frame afresh (its labels follow the
// angles) and the title: turning, moving and zooming rebuild nothing else.
// While the view moves, a window frame may call the reduced graph instead of
// the full one (render/reducedGraph.h); pictures never do.
// A frame draws into whatever framebuffer is bound: the window's, or the
// picture's of renderPicture (view/viewPicture.cpp).
#include "render/scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <cassert>

#include "render/feedbackState.h"
#include "render/graphSteps.h"
#include "render/legend.h"
#include "render/scaleFrame.h"

namespace kelvra {

void initGlState() {
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
}

void resizeViewport(int width, int height, int viewZoom) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    setProjection(width, height, viewZoom);
}

void setProjection(double width, double height, int viewZoom) {
    // A zero-sized window (minimised) or a zero zoom would give an empty volume,
    // which GL rejects; the matrix is then left as it is.
    if (width > 0 && height > 0 && viewZoom != 0) {
        double f = 4.0 * viewZoom;
        double m = std::min(width, height);
        glOrtho(-width / f, width / f, -height / f, height / f, -50.0 * m / f, 50.0 * m / f);
    }
    glMatrixMode(GL_MODELVIEW);
}

void setPictureCamera(PixelSize pixels, double scale, int viewZoom, const PixelRect& tile) {
    glViewport(0, 0, tile.width, tile.height);
    setPictureTileOrigin(tile.x, tile.y);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Normalised coordinates of the whole picture mapped onto the tile's: a
    // window x of the picture is x - tile.x in the tile.
    const double w = pixels.width, h = pixels.height;
    glTranslated((w - 2.0 * tile.x - tile.width) / tile.width, (h - 2.0 * tile.y - tile.height) / tile.height, 0.0);
    glScaled(w / tile.width, h / tile.height, 1.0);
    setProjection(w / scale, h / scale, viewZoom);
}

namespace {

// The lists the scene calls are made by the view before the frame
// (view/viewPaint.cpp).
void callList(int list) {
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

int drawSceneParts(const DrawInput& in, const TextOut& text, const SceneSource& source) {
    const GraphSettings& s = in.settings;
    const auto has = [&](unsigned part) { return (source.parts & part) != 0; };
    int graphCoarsening = 1;

    glLoadIdentity();
    if (has(SceneGraph)) {
        glPushMatrix();
        turnLikeTheGraph(s);
        if (source.graphList == 0) graphCoarsening = drawGraph(in);
        else callList(source.graphList);
        glPopMatrix();
    }
    if (source.pickMarkerList != 0 && has(ScenePickMarkers)) {
        glPushMatrix();
        turnLikeTheGraph(s);
        callList(source.pickMarkerList);
        glPopMatrix();
    }

    // The overlays cancel the zoom, so they keep their screen size (in percent).
    double unzoom = s.viewZoom != 0 ? 100.0 / s.viewZoom : 1.0;
    if (s.axisShow && has(SceneAxisIndicator)) {
        glPushMatrix();
        translateOverlay(s.axisFixLowerLeft != 0, s.axisPosH, s.axisPosV, s.viewPosX, s.viewPosY);
        double k = unzoom * s.axisSize * 0.01;
        glScaled(k, k, k);
        glRotated(s.viewAngleX, 1.0, 0.0, 0.0);
        glRotated(s.viewAngleZ, 0.0, 0.0, 1.0);
        if (source.axisIndicatorList == 0) drawAxisIndicator(s, text);
        else callList(source.axisIndicatorList);
        glPopMatrix();
    }
    if (s.legendShow && has(SceneLegend)) {
        glPushMatrix();
        translateOverlay(s.legendFixRight != 0, s.legendPosH, s.legendPosV, s.viewPosX, s.viewPosY);
        double k = unzoom * s.legendSize * 0.01;
        glScaled(k, k, k);
        if (source.legendList == 0) drawLegend(in, text);
        else callList(source.legendList);
        glPopMatrix();
    }
    if (s.scaleShow && has(SceneFrame | SceneFrameLabels)) {
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
        turnLikeTheGraph(s);
        if (s.displayMode == Display2D) drawScaleFrame2D(s, in.state, text, -1.0);
        else drawScaleFrame3D(s, in.state, text);
        glPopAttrib();
        glPopMatrix();
    }
    if (!s.titleText.empty() && has(SceneTitle)) drawTitle(s, text);
    return graphCoarsening;
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

}  // namespace kelvra
