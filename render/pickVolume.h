// The volume a pick box sees, to leave out pick targets that GL's selection
// could not hit before they reach GL (render/pickTargets.cpp).
#pragma once

#include "render/mapping.h"

namespace kelvra {

struct PickVolume {
    bool all = true;           // no volume: every target is drawn
    double toClip[16] = {};    // projection x modelview, column-major as GL keeps it

    // The volume of the projection and modelview matrices now current.
    static PickVolume current();
    // The clip planes world point `p` is clearly outside of, a bit each; 0
    // when it is inside, on a plane, or there is no volume.
    unsigned outside(const Vec3& p) const;
};

}  // namespace kelvra
