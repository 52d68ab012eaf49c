// The colour legend (list 150) and the graph title.
//
// The legend is a vertical bar of one cell per colour level, its origin at the
// bar's bottom-left corner, with value labels beside the cell boundaries and
// the legend unit above it. The display-list builder decides whether a legend
// applies and feeds this builder; the scene places and scales the list. The
// title is drawn directly by the scene on every paint.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "view/kelvraView.h"
#include "render/feedbackState.h"
#include "render/scaleFrame.h"
#include "render/text.h"

namespace kelvra {

void CKelvraView::buildLegend(int levelCount, double valueStep, double cellHeight, const Rgb* colors) {
    // A legend index that names no level count leaves nothing to draw.
    if (levelCount <= 0 || !colors) return;
    const int n = std::min(levelCount, kMaxLevelCount);
    const double w = settings.legendWidth * 0.005;
    const double c = cellHeight;

    glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_ENABLE_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    setLineWidth(1.0);
    glBegin(GL_QUADS);
    for (int i = 1; i <= n; ++i) {
        glColor3d(colors[i].r, colors[i].g, colors[i].b);
        glVertex3d(0, (i - 1) * c, 0);
        glVertex3d(w, (i - 1) * c, 0);
        glVertex3d(w, i * c, 0);
        glVertex3d(0, i * c, 0);
    }
    glEnd();

    // Outline and (for up to 20 levels) the cell boundaries, just in front of the cells.
    glColor3d(0.0, 0.0, 0.0);
    glBegin(GL_LINE_STRIP);
    glVertex3d(w, 0, 0.01);
    glVertex3d(w, n * c, 0.01);
    glVertex3d(0, n * c, 0.01);
    glVertex3d(0, 0, 0.01);
    glVertex3d(w, 0, 0.01);
    glEnd();
    if (n < 21) {
        glBegin(GL_LINES);
        for (int i = 0; i <= n; ++i) {
            glVertex3d(w, i * c, 0.01);
            glVertex3d(-0.0005, i * c, 0.01);
        }
        glEnd();
    }

    // Value labels at every boundary, or at every (n / 20)-th one so that a
    // long legend shows 21 labels. The ends show the legend range itself, so
    // rounding in n * step cannot change how the maximum is printed.
    if (settings.scaleShowValues[3] == 1) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        const bool logLegend = settings.scaleLog[3] == 1;
        const int labelStep = n < 21 ? 1 : n / 20;
        for (int i = 0; i <= n; i += labelStep) {
            double value = logLegend ? std::exp(std::log(settings.scaleMin[3]) + i * valueStep) : settings.scaleMin[3] + i * valueStep;
            if (i == 0) value = settings.scaleMin[3];
            if (i == n) value = settings.scaleMax[3];
            if (!std::isfinite(value)) continue;
            placeLabel(*this, w + 0.02, i * c - 0.02, 0.0, formatValue(value, 3).text, RoleLegendValue);
        }
        glPopAttrib();
    }
    placeLabel(*this, w + 0.01, settings.legendHeight * 0.005 + 0.055, 0.0, settings.scaleUnit[3], RoleLegendUnit);
    glPopAttrib();
}

void CKelvraView::drawTitle() {
    if (settings.titleText.empty()) return;
    double x = (settings.titlePosH + settings.viewPosX) * 0.005;
    double y = (settings.titlePosV + settings.viewPosY) * 0.005;
    glPushMatrix();
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);   // lighting would also colour the raster position
    glTranslated(x, y, 0.0);
    // Bitmap glyphs start at the raster position (its colour latched there);
    // outline glyphs at the origin, one em per unit, hence the scale.
    glColor3d(0.0, 0.0, 0.0);
    textRasterPos(0.0, 0.0, 0.0);
    double s = settings.fontSize[RoleTitle] * 0.005;
    glScaled(s, s, s);
    traceLabel(*this, x, y, 0.0, settings.titleText, RoleTitle);
    drawText(settings.titleText, RoleTitle);
    glPopAttrib();
    glPopMatrix();
}

}  // namespace kelvra
