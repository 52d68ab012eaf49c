// The colour legend (list 150) and the graph title (see render/legend.h);
// the scene places and scales the legend's list.
#include "render/legend.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/feedbackState.h"
#include "render/scaleFrame.h"
#include "render/text.h"
#include "settings/graphTypes.h"

namespace kelvra {

void drawLegend(const DrawInput& in, const TextOut& text) {
    const LevelTable& t = in.ctx.levels;
    switch (legendChoice(in.settings, in.data)) {
        case LegendChoice::Colour:
            drawLegendBar(in.settings, text, t.levelCount, t.levelStep, in.ctx.legendBandHeight, t.colors);
            break;
        case LegendChoice::Grey:
            drawLegendBar(in.settings, text, in.ctx.greyCount, t.levelStep, in.ctx.legendBandHeight, in.ctx.greys);
            break;
        case LegendChoice::None: break;
    }
}

void drawLegendBar(const GraphSettings& s, const TextOut& text, int levelCount, double valueStep, double cellHeight,
                   const Rgb* colors) {
    // A legend index that names no level count leaves nothing to draw.
    if (levelCount <= 0 || !colors) return;
    const int n = std::min(levelCount, kMaxLevelCount);
    const double w = s.legendWidth * 0.005;
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
    if (s.scaleShowValues[3] == 1) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        const bool logLegend = s.scaleLog[3] == 1;
        const int labelStep = n < 21 ? 1 : n / 20;
        for (int i = 0; i <= n; i += labelStep) {
            double value = logLegend ? std::exp(std::log(s.scaleMin[3]) + i * valueStep) : s.scaleMin[3] + i * valueStep;
            if (i == 0) value = s.scaleMin[3];
            if (i == n) value = s.scaleMax[3];
            if (!std::isfinite(value)) continue;
            placeLabel(text, w + 0.02, i * c - 0.02, 0.0, formatValue(s, value, 3).text, RoleLegendValue);
        }
        glPopAttrib();
    }
    placeLabel(text, w + 0.01, s.legendHeight * 0.005 + 0.055, 0.0, s.scaleUnit[3], RoleLegendUnit);
    glPopAttrib();
}

void drawTitle(const GraphSettings& s, const TextOut& text) {
    if (s.titleText.empty()) return;
    double x = (s.titlePosH + s.viewPosX) * 0.005;
    double y = (s.titlePosV + s.viewPosY) * 0.005;
    glPushMatrix();
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);   // lighting would also colour the raster position
    glTranslated(x, y, 0.0);
    // Bitmap glyphs start at the raster position (its colour latched there);
    // outline glyphs at the origin, one em per unit, hence the scale.
    glColor3d(0.0, 0.0, 0.0);
    textRasterPos(0.0, 0.0, 0.0);
    double em = s.fontSize[RoleTitle] * 0.005;
    glScaled(em, em, em);
    traceLabel(text, x, y, 0.0, s.titleText, RoleTitle);
    text.glyphs.draw(s.titleText, RoleTitle);
    glPopAttrib();
    glPopMatrix();
}

}  // namespace kelvra
