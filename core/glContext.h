// Whether a GL context is current on this thread. Operations that rebuild
// display lists after a load (data file, settings file) skip the lists when
// none is, and clear glyphListsBuilt / graphListsBuilt so that the owner of a
// context can tell they are missing: tests and tools that only edit the record
// need no context.
#pragma once

namespace kelvra {

bool hasCurrentGlContext();

}  // namespace kelvra
