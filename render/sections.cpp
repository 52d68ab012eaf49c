// Sections: one column (X section) or one row (Y section) of a grid drawn as
// a curve of Z: a black line, points coloured by level, a band of colour levels
// under the curve, and the part of the surface on one side of the section.
// The view calls holdSectionOnGrid before every build and pick, so the
// section index is always inside the grid and sectionPos names its column or
// row; the routines take the records as they are.
#include "render/sections.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/graphSteps.h"
#include "render/contourCells.h"
#include "render/feedbackState.h"
#include "render/markPoints.h"

namespace kelvra {

void holdSectionOnGrid(const GraphData& d, GraphSettings& s, ViewState& state) {
    if (s.displayMode == DisplayXSection) {
        state.sectionIndexX = d.columnCount > 0 ? std::clamp(state.sectionIndexX, 0, d.columnCount - 1) : 0;
        if (marks::gridFits(d)) s.sectionPos[0] = d.gridPointAt(0, state.sectionIndexX)[0];
    } else if (s.displayMode == DisplayYSection) {
        state.sectionIndexY = d.rowCount > 0 ? std::clamp(state.sectionIndexY, 0, d.rowCount - 1) : 0;
        if (marks::gridFits(d)) s.sectionPos[1] = d.gridPointAt(state.sectionIndexY, 0)[1];
    }
}

// A black line through the section points; a point that has no finite
// position breaks the line there.
void drawSectionLine(const DrawInput& in, int axis) {
    marks::SectionWalk walk = marks::sectionWalk(in, axis);
    if (walk.count == 0) return;
    glPushAttrib(GL_LINE_BIT | GL_CURRENT_BIT);
    setLineWidth(in.settings.sectionLineWidth);
    glColor3d(0.0, 0.0, 0.0);
    glBegin(GL_LINE_STRIP);
    for (std::size_t k = 0; k < walk.count; ++k) {
        Vec3 w = in.ctx.map.world(in.data.pointAt(walk.first + k * walk.stride).values());
        if (marks::finite(w)) {
            glVertex3d(w.x, w.y, w.z);
        } else {
            glEnd();
            glBegin(GL_LINE_STRIP);
        }
    }
    glEnd();
    glPopAttrib();
}

// The section points inside the scale box, coloured by the point level of the
// value the legend shows (the same colour rule as the point graphs).
void drawSectionPoints(const DrawInput& in, int axis) {
    marks::SectionWalk walk = marks::sectionWalk(in, axis);
    if (walk.count == 0) return;
    const LevelTable& t = in.ctx.levels;
    glPushAttrib(GL_POINT_BIT | GL_CURRENT_BIT);
    setPointSize(in.settings.pointSize);
    glBegin(GL_POINTS);
    for (std::size_t k = 0; k < walk.count; ++k) {
        const PointRecord p = in.data.pointAt(walk.first + k * walk.stride);
        if (!insideScaleBox(in.settings, p.values())) continue;
        Vec3 w = in.ctx.map.world(p);
        if (!marks::finite(w)) continue;
        int level = std::clamp(pointLevel(t, marks::levelSpace(t, marks::rawColorValue(in, p))), 0,
                               std::max(t.levelCount, 0));
        const Rgb& c = t.colors[level];
        glColor3d(c.r, c.g, c.b);
        glVertex3d(w.x, w.y, w.z);
    }
    glEnd();
    glPopAttrib();
}

// The band under the curve: for each pair of neighbouring section points P, Q
// a quad of P, Q and both moved down to the bottom of the data range (the
// data minimum, or the maximum on a reversed Z, whose mapped position is the
// lower one on screen), filled in colour levels by the contour cell pieces.
// Around the quad the corners run P, P below, Q below, Q. The bottom corners
// take the level of their own value, which on data whose legend covers the Z
// range is level 1 (level n on a reversed Z); a fixed level there would send
// the level crossings outside the quad when the legend range starts above the
// data. A quad with a corner that has no finite position or value is left out.
void drawSectionFill(const DrawInput& in, int axis) {
    useFlatShading();
    marks::SectionWalk walk = marks::sectionWalk(in, axis);
    const LevelTable& t = in.ctx.levels;
    if (walk.count < 2 || t.levelCount <= 0) return;
    double bottom = in.settings.scaleReverse[2] == 1 ? in.data.valueRange[RangeZ].max : in.data.valueRange[RangeZ].min;
    double bottomValue = marks::levelSpace(t, bottom);
    double bottomZ = in.ctx.map.world(2, bottom);
    int bottomLevel = levelOf(t, bottomValue);

    VertexBatch batch;
    CellPaint paint(t, t.colors, t.levelCount, batch);
    auto top = [&](std::size_t k) {
        const PointRecord p = in.data.pointAt(walk.first + k * walk.stride);
        Vec3 w = in.ctx.map.world(p.values());
        double value = marks::levelSpace(t, p[2]);
        return makeCorner(w.x, w.y, w.z, value, levelOf(t, value));
    };
    Corner p = top(0);
    for (std::size_t k = 0; k + 1 < walk.count; ++k) {
        Corner q = top(k + 1);
        Corner pBelow = makeCorner(p.x, p.y, bottomZ, bottomValue, bottomLevel);
        Corner qBelow = makeCorner(q.x, q.y, bottomZ, bottomValue, bottomLevel);
        if (p.finite && q.finite && pBelow.finite && qBelow.finite) {
            CellSplit split = splitCell(p, q, pBelow, qBelow);
            for (int i = 0; i < split.count; ++i) fillLevelPolygon(split.polygon[i], paint);
        }
        p = q;
    }
    drawBatch(batch);
}

// The contour fill of the surface on one side of the section: the X section
// keeps the cells at lower X (higher X on a reversed X axis), the Y section
// the cells at higher Y (lower Y on a reversed Y axis), so that the kept part
// lies on the same side of the picture whichever way the axis runs.
void drawSectionCut(const DrawInput& in, int axis) {
    if (!marks::gridFits(in.data)) return;
    CellRange range = wholeGrid(in.data);
    if (axis == 0) {
        int c = std::clamp(in.state.sectionIndexX, 0, in.data.columnCount - 1);
        if (in.settings.scaleReverse[0] == 1) range.firstColumn = c;
        else range.endColumn = c;
    } else {
        int r = std::clamp(in.state.sectionIndexY, 0, in.data.rowCount - 1);
        if (in.settings.scaleReverse[1] == 1) range.endRow = r;
        else range.firstRow = r;
    }
    drawGridCells(in, in.ctx.levels.colors, in.ctx.levels.levelCount, range, false, CellDrawer::FillLevels);
}

}  // namespace kelvra
