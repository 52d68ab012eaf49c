// Sections: one column (X section) or one row (Y section) of a grid drawn as
// a curve of Z: a black line, points coloured by level, a band of colour levels
// under the curve, and the part of the surface on one side of the section.
// The builder calls updateSectionX/Y at the start of lists 100 and 500, so the
// section index is always inside the grid and sectionPos names its column or
// row.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/kelvraView.h"
#include "render/markPoints.h"

namespace kelvra {

void CKelvraView::updateSectionX() {
    sectionIndexX = columnCount > 0 ? std::clamp(sectionIndexX, 0, columnCount - 1) : 0;
    if (marks::gridFits(*this)) sectionPos[0] = gridPoint(0, sectionIndexX)[0];
}

void CKelvraView::updateSectionY() {
    sectionIndexY = rowCount > 0 ? std::clamp(sectionIndexY, 0, rowCount - 1) : 0;
    if (marks::gridFits(*this)) sectionPos[1] = gridPoint(sectionIndexY, 0)[1];
}

// A black line through the section points; a point that has no finite
// position breaks the line there.
void CKelvraView::drawSectionLine(const BuildContext& ctx, int axis) const {
    marks::SectionWalk walk = marks::sectionWalk(*this, axis);
    if (walk.count == 0) return;
    glPushAttrib(GL_LINE_BIT | GL_CURRENT_BIT);
    glLineWidth(GLfloat(std::max(sectionLineWidth, 1)));
    glColor3d(0.0, 0.0, 0.0);
    glBegin(GL_LINE_STRIP);
    for (std::size_t k = 0; k < walk.count; ++k) {
        Vec3 w = ctx.map.world(point(walk.first + k * walk.stride));
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
void CKelvraView::drawSectionPoints(const BuildContext& ctx, int axis) const {
    marks::SectionWalk walk = marks::sectionWalk(*this, axis);
    if (walk.count == 0) return;
    const LevelTable& t = ctx.levels;
    glPushAttrib(GL_POINT_BIT | GL_CURRENT_BIT);
    glPointSize(GLfloat(std::max(pointSize, 1)));
    glBegin(GL_POINTS);
    for (std::size_t k = 0; k < walk.count; ++k) {
        const double* p = point(walk.first + k * walk.stride);
        if (!insideScaleBox(p)) continue;
        Vec3 w = ctx.map.world(p);
        if (!marks::finite(w)) continue;
        int level = std::clamp(pointLevel(t, marks::levelSpace(t, marks::rawColorValue(*this, p))), 0,
                               std::max(t.levelCount, 0));
        const Rgb& c = t.colors[level];
        glColor3d(c.r, c.g, c.b);
        glVertex3d(w.x, w.y, w.z);
    }
    glEnd();
    glPopAttrib();
}

void CKelvraView::drawSectionFill(const BuildContext& ctx, int axis) const {}
void CKelvraView::drawSectionCut(const BuildContext& ctx, int axis) const {}

}  // namespace kelvra
