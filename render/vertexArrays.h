// Geometry as vertex arrays: the large graphs (cells, wires, points, bars)
// are made into batches of vertices, colours and normals, on any thread, and
// drawn by the GL thread with glDrawArrays and glDrawElements (OpenGL 1.1
// client arrays), a batch at a time, instead of one glVertex call per vertex.
// Compiled into a display list, the same calls put the same primitives in
// the list.
//
// A batch holds the same primitives, in the same order and with the same
// vertices, that the drawing routines gave GL one call at a time before; the
// pictures are the same pixel for pixel. Positions and colours are floats,
// as GL holds them whichever way they are given. A banded batch's vertices
// also carry a coordinate into the 1-D texture of colour bands bound by the
// caller, which its banded runs draw with (see drawGridCells).
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "render/mapping.h"
#include "settings/graphSettings.h"

namespace kelvra {

struct VertexBatch {
    // A primitive run: `count` vertices (indexed: indices) from `first`.
    struct Run {
        GLenum mode = GL_TRIANGLES;
        bool indexed = false;
        std::uint32_t first = 0, count = 0;
        bool banded = false;   // coloured by the band texture
    };
    std::vector<float> position;   // x, y, z of each vertex
    std::vector<float> color;      // r, g, b of each vertex (when colored)
    std::vector<float> normal;     // x, y, z of each vertex (when lit)
    std::vector<float> band;       // band texture coordinate of each vertex (when banded)
    std::vector<GLuint> index;     // the vertices of the indexed runs
    std::vector<Run> runs;
    bool colored = true;
    bool lit = false;
    bool banded = false;

    void clear();
    std::size_t vertexCount() const { return position.size() / 3; }
    bool empty() const { return runs.empty(); }
    // Bytes the arrays hold.
    std::size_t bytes() const;

    // Starts a run of `mode` (GL_POINTS, GL_LINES, GL_LINE_STRIP,
    // GL_TRIANGLES, GL_TRIANGLE_STRIP); points, lines and triangles go on in
    // the run before when it has the same mode and indexing.
    void begin(GLenum mode, bool indexed = false, bool bandedRun = false);
    // Appends a vertex; returns its number. A colour that is not a number
    // draws black.
    GLuint vertex(double x, double y, double z, const Rgb& c);
    GLuint vertex(double x, double y, double z);   // uncoloured batches
    GLuint vertex(double x, double y, double z, const Vec3& n);   // lit batches
    // A vertex of a banded run (banded batches): its band coordinate, and the
    // colour it leaves current when it is the last one drawn.
    GLuint bandVertex(double x, double y, double z, float s, const Rgb& c);
    // Adds vertex numbers to the indexed run being made.
    void indices(GLuint a, GLuint b, GLuint c) {
        index.push_back(a), index.push_back(b), index.push_back(c);
        runs.back().count += 3;
    }
    void indices(GLuint a, GLuint b) {
        index.push_back(a), index.push_back(b);
        runs.back().count += 2;
    }
    // The vertex just appended counts in the current run (non-indexed runs).
    void counted() { ++runs.back().count; }
};

// Draws the batch from client arrays into the current frame or the list
// being compiled. The current colour is left at the colour of the last
// vertex drawn, as one glColor call per vertex would leave it. False when GL
// ran out of memory while taking it (GL_OUT_OF_MEMORY): the caller stops.
bool drawBatch(const VertexBatch& batch);

// True when GL reported running out of memory since the last look (the
// other errors it had queued are cleared with it).
bool glOutOfMemory();

// Makes `count` batches on the worker threads, make(i, batch) filling a
// cleared batch, and draws them on the calling thread in the order of i;
// only a few are held at once. False when memory ran out, GL's or ours
// (then noted, see drawRanOutOfMemory, and the rest is not drawn).
bool drawBatchesInOrder(std::size_t count, const std::function<void(std::size_t, VertexBatch&)>& make);

// Whether a draw or a list compile ran out of memory since the last clear:
// once it has, every further batch is left out, so that the frame or the
// list ends quickly; the view looks after each build and frame.
bool drawRanOutOfMemory();
void clearDrawOutOfMemory();
void noteDrawOutOfMemory();

}  // namespace kelvra
