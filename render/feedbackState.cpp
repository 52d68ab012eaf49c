// GL2PS answers every call with "uninitialised" and does nothing while no
// page is open, so these need not know whether a capture runs.
#include "render/feedbackState.h"

#include <GL/gl.h>
#include <gl2ps.h>

#include <algorithm>
#include <cmath>

namespace kelvra {
namespace {

bool capturing = false;
double scale = 1.0;
int tileOrigin[2] = {0, 0};

}  // namespace

void setVectorCapture(bool on) { capturing = on; }
bool vectorCapture() { return capturing; }

void useFlatShading() { glShadeModel(capturing ? GL_SMOOTH : GL_FLAT); }

void setPixelScale(double k) { scale = k > 0 ? k : 1.0; }
double pixelScale() { return scale; }

void setPictureTileOrigin(int x, int y) {
    tileOrigin[0] = x;
    tileOrigin[1] = y;
}

double windowPixelCorner(double coordinate, int axis) {
    if (scale == 1.0) return coordinate;
    // The allowance GL takes before it drops a raster position to the pixel
    // it lies in, so a position on a pixel's edge stays on the same side at
    // every scale.
    const double epsilon = 1e-4;
    const double picture = coordinate + tileOrigin[axis];
    return scale * std::floor(picture / scale + epsilon) - tileOrigin[axis];
}

void setLineWidth(double pixels) {
    GLfloat w = GLfloat(std::max(pixels, 1.0) * scale);
    glLineWidth(w);
    gl2psLineWidth(w);
}

void setPointSize(double pixels) {
    GLfloat s = GLfloat(std::max(pixels, 1.0) * scale);
    glPointSize(s);
    gl2psPointSize(s);
}

void beginOffsetFill() {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(GLfloat(scale), GLfloat(scale));
    gl2psEnable(GL2PS_POLYGON_OFFSET_FILL);   // reads the offset just set
}

void endOffsetFill() {
    glDisable(GL_POLYGON_OFFSET_FILL);
    gl2psDisable(GL2PS_POLYGON_OFFSET_FILL);
}

}  // namespace kelvra
