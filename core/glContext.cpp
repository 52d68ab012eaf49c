#include "core/glContext.h"

#include <GL/gl.h>

namespace kelvra {

// Without a current context the GL dispatch answers every query with 0, so
// glGetString is a cheap and portable test (GLX, EGL and any other binding).
bool hasCurrentGlContext() { return glGetString(GL_VERSION) != nullptr; }

}  // namespace kelvra
