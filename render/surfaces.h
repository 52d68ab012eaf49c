// Grid data as a surface: wireframes, the hidden-line fill and the lit shape.
#pragma once

#include "render/drawInput.h"

namespace kelvra {

void drawWireframe(const DrawInput& in);
void drawColorWireframe(const DrawInput& in);
void drawWireHiddenFill(const DrawInput& in);
void drawShadedShape(const DrawInput& in);

}  // namespace kelvra
