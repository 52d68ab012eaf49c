// Vertex batches and their draw; see vertexArrays.h.
#include "render/vertexArrays.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <new>
#include <stdexcept>
#include <system_error>

#include "base/parallel.h"

namespace kelvra {
namespace {

std::atomic<bool> outOfMemory{false};

float channel(double x) { return std::isfinite(x) ? float(x) : 0.0f; }

bool mergeable(GLenum mode) { return mode == GL_POINTS || mode == GL_LINES || mode == GL_TRIANGLES; }

}  // namespace

void VertexBatch::clear() {
    position.clear();
    color.clear();
    normal.clear();
    band.clear();
    index.clear();
    runs.clear();
    colored = true;
    lit = false;
    banded = false;
}

std::size_t VertexBatch::bytes() const {
    return (position.capacity() + color.capacity() + normal.capacity() + band.capacity()) * sizeof(float) +
           index.capacity() * sizeof(GLuint) + runs.capacity() * sizeof(Run);
}

void VertexBatch::begin(GLenum mode, bool indexed, bool bandedRun) {
    if (!runs.empty()) {
        const Run& last = runs.back();
        if (last.mode == mode && last.indexed == indexed && last.banded == bandedRun && mergeable(mode)) return;
    }
    const std::size_t first = indexed ? index.size() : vertexCount();
    runs.push_back({mode, indexed, std::uint32_t(first), 0, bandedRun});
}

GLuint VertexBatch::vertex(double x, double y, double z, const Rgb& c) {
    const GLuint n = GLuint(vertexCount());
    position.insert(position.end(), {float(x), float(y), float(z)});
    color.insert(color.end(), {channel(c.r), channel(c.g), channel(c.b)});
    if (banded) band.push_back(0.0f);
    return n;
}

GLuint VertexBatch::bandVertex(double x, double y, double z, float s, const Rgb& c) {
    assert(banded);   // vertex() then gave it a band coordinate
    const GLuint n = vertex(x, y, z, c);
    band.back() = s;
    return n;
}

GLuint VertexBatch::vertex(double x, double y, double z) {
    const GLuint n = GLuint(vertexCount());
    position.insert(position.end(), {float(x), float(y), float(z)});
    return n;
}

GLuint VertexBatch::vertex(double x, double y, double z, const Vec3& nv) {
    const GLuint n = GLuint(vertexCount());
    position.insert(position.end(), {float(x), float(y), float(z)});
    normal.insert(normal.end(), {float(nv.x), float(nv.y), float(nv.z)});
    return n;
}

bool drawBatch(const VertexBatch& b) {
    if (drawRanOutOfMemory()) return false;
    if (b.runs.empty() || b.position.empty()) return true;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, b.position.data());
    const bool colored = b.colored && b.color.size() == b.position.size();
    const bool lit = b.lit && b.normal.size() == b.position.size();
    if (colored) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, b.color.data());
    }
    if (lit) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, b.normal.data());
    }
    const bool banded = b.banded && b.band.size() == b.vertexCount();
    if (banded) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(1, GL_FLOAT, 0, b.band.data());
    }
    bool textured = false;
    GLint last = -1;   // the vertex drawn last
    for (const VertexBatch::Run& run : b.runs) {
        if (run.count == 0) continue;
        if (banded && run.banded != textured) {
            textured = run.banded;
            if (textured) glEnable(GL_TEXTURE_1D);
            else glDisable(GL_TEXTURE_1D);
        }
        if (run.indexed) {
            glDrawElements(run.mode, GLsizei(run.count), GL_UNSIGNED_INT, b.index.data() + run.first);
            last = GLint(b.index[run.first + run.count - 1]);
        } else {
            glDrawArrays(run.mode, GLint(run.first), GLsizei(run.count));
            last = GLint(run.first + run.count - 1);
        }
    }
    if (textured) glDisable(GL_TEXTURE_1D);
    glPopClientAttrib();
    // What one call per vertex leaves behind: the current colour and normal of
    // the last vertex (GL leaves them undefined after drawing from arrays).
    if (last >= 0 && colored) glColor3fv(b.color.data() + 3 * last);
    if (last >= 0 && lit) glNormal3fv(b.normal.data() + 3 * last);
    if (!glOutOfMemory()) return true;
    noteDrawOutOfMemory();
    return false;
}

bool glOutOfMemory() {
    bool out = false;
    for (int i = 0; i < 16; ++i) {   // errors queue up one per kind
        GLenum e = glGetError();
        if (e == GL_NO_ERROR) break;
        out = out || e == GL_OUT_OF_MEMORY;
    }
    return out;
}

bool drawRanOutOfMemory() { return outOfMemory.load(std::memory_order_relaxed); }
void clearDrawOutOfMemory() { outOfMemory.store(false, std::memory_order_relaxed); }
void noteDrawOutOfMemory() { outOfMemory.store(true, std::memory_order_relaxed); }

bool drawBatchesInOrder(std::size_t count, const std::function<void(std::size_t, VertexBatch&)>& make) {
    if (drawRanOutOfMemory()) return false;
    // Enough batches in hand to keep every worker busy while one is drawn.
    const std::size_t ahead = std::size_t(2 * workerCount() + 1);
    // Drawn into a frame, each batch is handed to the rasteriser at once: a
    // software GL otherwise queues every triangle of the graph before it
    // draws any, gigabytes for millions of bars.
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    const bool flushEach = list == 0;
    try {
        std::vector<VertexBatch> slots(std::min(ahead, std::max<std::size_t>(count, 1)));
        makeInOrder(
            count, slots.size(),
            [&](std::size_t i) {
                VertexBatch& b = slots[i % slots.size()];
                b.clear();
                if (!drawRanOutOfMemory()) make(i, b);
            },
            [&](std::size_t i) {
                drawBatch(slots[i % slots.size()]);
                if (flushEach) glFlush();
            });
    } catch (const std::bad_alloc&) {
        noteDrawOutOfMemory();
    } catch (const std::system_error&) {
        noteDrawOutOfMemory();   // no thread to be had
    } catch (const std::length_error&) {
        noteDrawOutOfMemory();
    }
    return !drawRanOutOfMemory();
}

}  // namespace kelvra
