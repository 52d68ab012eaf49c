// Picking: a left click in pick mode finds the data point under the mouse,
// marks it with a small cyan cube (list 550) and adds its values to the text
// of the selected-data window.
//
// The pick draws the pick targets (every pickable point as a primitive named
// by the index of its first value, render/pickTargets.cpp) in GL selection mode
// through a 10 x 10 pixel pick box, under the camera of the last paint: the
// viewport it left, its projection and the graph's offset and turn. Only the
// first name read back counts. The records are read by readSelectHits
// (interact/pickResult.h), which also refuses a pick with too many hits.
#include <GL/gl.h>
#include <GL/glu.h>

#include "base/cp932.h"
#include "view/kelvraView.h"
#include "render/glCurrent.h"
#include "render/scene.h"

namespace kelvra {
namespace {

constexpr double kPickBoxPixels = 10.0;

}  // namespace

PickHits CKelvraView::selectPickTargets(double x, double y, bool cull) {
    const BuildContext ctx = makeBuildContext();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<GLuint> buffer(kSelectBufferWords);
    glSelectBuffer(GLsizei(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(kNoPointName);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, y, kPickBoxPixels, kPickBoxPixels, viewport);
    setProjection(viewport[2], viewport[3]);   // leaves the modelview current
    glLoadIdentity();
    turnLikeTheGraph(settings);
    drawPickTargets(ctx, cull ? PickVolume::current() : PickVolume{});
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    GLint hitCount = glRenderMode(GL_RENDER);
    glLoadIdentity();
    return readSelectHits(std::span<const std::uint32_t>(buffer.data(), buffer.size()), hitCount);
}

void CKelvraView::pickAt(int x, int y) {
    // Nothing drawn, nothing to pick; and the pick needs the window's context.
    if (!data.dataLoaded || !glContextIsCurrent()) return;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Client rows count down from the top, GL's up from the bottom.
    PickHits hits = selectPickTargets(x, viewport[3] - y);
    if (hits.tooMany) {
        host().showMessage(sj("選択点が多すぎます"));
        return;
    }
    showPickResult(hits.names);
}

void CKelvraView::showPickResult(const std::vector<std::uint32_t>& names) {
    // A click between points leaves the marker and the text as they were.
    if (names.empty()) return;
    const std::size_t offset = names.front();
    if (!appendPickedPoint(state.selectedText, settings, data, offset)) return;
    state.pickMarkersShown = buildPickMarker(offset);
    host().showSelectedData();
    host().invalidate();
}

bool CKelvraView::buildPickMarker(std::size_t offset) {
    std::optional<PickMarkerBox> box;
    if (const double* p = pickedPoint(data, offset)) box = pickMarkerBox(settings, graphMapping(), p);
    glNewList(ListPickMarker, GL_COMPILE);
    if (box) {
        glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_ENABLE_BIT);
        glDisable(GL_LIGHTING);   // the cyan as given, whatever the graph's shading left
        // Drawn over the graph: a surface through the point would hide half
        // the cube, and a point picked on the far side all of it.
        glDisable(GL_DEPTH_TEST);
        glColor3d(0.0, 0.8, 0.8);
        glLineWidth(1.5f);
        PickMarkerEdges edges = pickMarkerEdges(*box);
        for (const auto& square : edges.squares) {
            glBegin(GL_LINE_STRIP);
            for (const Vec3& v : square) glVertex3d(v.x, v.y, v.z);
            glEnd();
        }
        glBegin(GL_LINES);
        for (const auto& edge : edges.verticals)
            for (const Vec3& v : edge) glVertex3d(v.x, v.y, v.z);
        glEnd();
        glPopAttrib();
    }
    glEndList();
    return box.has_value();
}

void CKelvraView::clearSelectedText() { state.selectedText = {}; }

}  // namespace kelvra
