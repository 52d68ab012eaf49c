// Drawing state that GL feedback does not carry: line widths, point sizes and
// the polygon offset of fills drawn under lines. A vector picture is captured
// from feedback (output/vectorPicture.h), so the drawing routines set this
// state through here, which tells the capture as well; outside a capture the
// calls are plain GL.
#pragma once

namespace kelvra {

void setLineWidth(double pixels);   // never thinner than one pixel
void setPointSize(double pixels);   // likewise
// Pushes the fills that follow back by glPolygonOffset(1, 1), so that lines
// drawn on the same surface afterwards win the depth test.
void beginOffsetFill();
void endOffsetFill();

}  // namespace kelvra
