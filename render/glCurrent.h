// Whether a GL context is current on this thread. The data reader builds the
// glyph and graph lists only then; without a context (reader tests, the reader
// benchmark) it leaves them marked as not built, for the next paint to make.
#pragma once

namespace kelvra {

bool glContextIsCurrent();

}  // namespace kelvra
