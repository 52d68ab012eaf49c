// Drawing state that GL feedback does not carry: line widths, point sizes,
// the polygon offset of fills drawn under lines, and flat shading. A vector
// picture is captured from feedback (output/vectorPicture.h), so the drawing
// routines set this state through here, which tells the capture as well;
// outside a capture the calls are plain GL.
#pragma once

namespace kelvra {

// Set while a vector picture is captured.
void setVectorCapture(bool on);
bool vectorCapture();

// Flat shading, for primitives whose colour is that of their last vertex.
// Feedback flat-shades nothing (Mesa 22: every vertex keeps its own colour,
// and a vertex the clipper makes comes out black), so under a vector capture
// shading stays smooth and the fills give each triangle its colour at every
// vertex instead (render/contours.cpp), which draws the same.
void useFlatShading();

// Pictures drawn K times the window's pixel size keep the window's layout:
// every width, size and glyph cell given in window pixels is multiplied by
// the scale set here (1 on the screen). Lines and points take it through
// setLineWidth and setPointSize, texts through their cell and em
// (render/text.h). The picture path sets it for one picture
// (view/viewPicture.cpp).
void setPixelScale(double scale);
double pixelScale();
// The pixel of the picture where the tile being drawn starts (origin
// bottom-left), set by the picture camera (render/scene.h).
void setPictureTileOrigin(int x, int y);
// The corner of the window pixel that a window coordinate of the tile (axis
// 0 for x, 1 for y) lies in. The window draws a bitmap text from the whole
// pixel its raster position lies in; at pixel scale K the text starts on the
// window's pixel, a multiple of K from the picture's corner, and not up to
// K - 1 pixels further right and up, where it would fall once shrunk back
// (the bars' labels, half a window pixel off on average). A coordinate at 1
// is given back.
double windowPixelCorner(double coordinate, int axis);

void setLineWidth(double pixels);   // window pixels, never thinner than one; times the pixel scale
void setPointSize(double pixels);   // likewise
// Pushes the fills that follow back by glPolygonOffset(K, K) at pixel scale K,
// so that lines drawn on the same surface afterwards win the depth test. The
// offset's slope term is per pixel: a line K pixels wide reaches K/2 pixels
// over a slanted face, and at an offset of 1 its sides sank under the face
// (the bars' edges of a 3x picture, thinner by a third once shrunk).
void beginOffsetFill();
void endOffsetFill();

}  // namespace kelvra
