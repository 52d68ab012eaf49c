// With no current context, glvnd (and Mesa's own dispatch) route GL calls to
// no-op stubs, and glGetString answers null; with a context it never does.
#include "render/glCurrent.h"

#include <GL/gl.h>

namespace kelvra {

bool glContextIsCurrent() { return glGetString(GL_VERSION) != nullptr; }

}  // namespace kelvra
