// The records the drawing routines read, made by a test without a view: a
// data set, settings and view state, and the build context of the settings.
// Tests of the free routines of render/ build these; tests of the view's own
// sequences (lists, paint, pick, pictures) build a view (gridFixture.h).
#pragma once

#include <GL/gl.h>

#include "render/displayLists.h"
#include "render/drawInput.h"
#include "render/graphSteps.h"
#include "render/sections.h"
#include "render/text.h"

namespace kelvra::test {

struct Records {
    GraphData data;
    GraphSettings settings;
    ViewState state;
    BuildContext ctx;
    GlyphRenderer glyphs;   // built only by tests that draw text

    // The build context of the settings as they are now.
    const BuildContext& context() {
        ctx = makeBuildContext(settings, state);
        return ctx;
    }
    // The records as the routines take them, with a fresh build context.
    DrawInput input() {
        context();
        return {data, settings, state, ctx};
    }
    // List 100 as the view compiles it: the section held on the grid, then
    // the steps of the graph type and the floor projection.
    void compileGraph() {
        holdSectionOnGrid(data, settings, state);
        glNewList(ListGraph, GL_COMPILE);
        drawGraph(input());
        glEndList();
    }
};

inline DrawInput drawInput(const Records& r, const BuildContext& ctx) { return {r.data, r.settings, r.state, ctx}; }

}  // namespace kelvra::test
