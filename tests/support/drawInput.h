// The records of a view as the drawing routines take them, for tests that
// call those routines on a view's data set and settings, and the routines.
#pragma once

#include "render/contours.h"
#include "render/drawInput.h"
#include "render/graphSteps.h"
#include "render/legend.h"
#include "render/marks.h"
#include "render/scaleFrame.h"
#include "render/scaleMapping.h"
#include "render/sections.h"
#include "render/surfaces.h"
#include "view/kelvraView.h"

namespace kelvra::test {

inline DrawInput drawInput(const CKelvraView& v, const BuildContext& ctx) { return {v.data, v.settings, v.state, ctx}; }

// The scale recompute on a view's records.
inline void recompute(CKelvraView& v, bool keepUserScales) { recomputeScales(v.settings, v.state, v.data, keepUserScales); }

}  // namespace kelvra::test
