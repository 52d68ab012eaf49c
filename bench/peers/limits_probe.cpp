// limits_probe: measures the physical floor of the three costs a headless
// render of a format-1 grid has on this machine, to set targets for our
// program. Not part of the product.
//
//   1. parse: format-1 CSV -> doubles, with std::from_chars (a fast,
//      correctly rounded float parser; libstdc++ 12), with strtod (what an
//      atof-style reader costs), and from_chars on 2 threads.
//   2. draw: legacy OpenGL display lists on Mesa llvmpipe, headless through
//      EGL (surfaceless platform, 800x600 pbuffer or FBO, 24-bit depth):
//      the surface and its floor projection as two one-colour triangles per
//      cell, (a) one glBegin(GL_TRIANGLE_STRIP)/glEnd per triangle with
//      glColor + 3 glVertex3d, as the contour-fill walk emits them, and
//      (b) one glBegin(GL_TRIANGLES) batch per layer. Times list compile,
//      first call (+glFinish), repeated calls, glReadPixels.
//   3. PNG encode of the 800x600 read-back with libpng, zlib level 6 and 1.
//
// Build: g++ -O2 -std=c++17 limits_probe.cpp -o limits_probe
//            -lEGL -lOpenGL -lpng -lpthread
// Run:   limits_probe GRID.csv [OUT.png]     (LP_NUM_THREADS=1 for one core)
//        limits_probe --once GRID.csv OUT.png
//          the bare pipeline once, to be timed as a whole process: read,
//          parse (from_chars, 1 thread), context, display list as the
//          contour-fill walk emits it, draw, read back, PNG (zlib level 6).
//          No text, scales or legend: a floor, not a renderer.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <png.h>
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;
static double since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}
static double peakMiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

struct Grid {
    std::vector<double> x, y, z;  // z row-major, rows = y.size()
    size_t cols() const { return x.size(); }
    size_t rows() const { return y.size(); }
};

// ---------------------------------------------------------------- parse
enum class Conv { FromChars, Strtod };

static inline const char* parseField(const char* p, const char* end, Conv c,
                                     double& v, bool& got) {
    // field runs to ',' or end; empty field -> got=false
    const char* q = p;
    while (q < end && *q != ',') ++q;
    got = q > p;
    if (got) {
        if (c == Conv::FromChars) {
            std::from_chars(p, q, v);
        } else {
            v = std::strtod(p, nullptr);  // stops at ',' / CR
        }
    }
    return q < end ? q + 1 : q;
}

// Parse rows in [p, end) (whole lines); appends Y and Z values.
static void parseRows(const char* p, const char* end, Conv c,
                      std::vector<double>& ys, std::vector<double>& zs) {
    while (p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', end - p));
        if (!eol) eol = end;
        const char* le = eol;
        if (le > p && le[-1] == '\r') --le;
        if (le - p > 0) {
            bool first = true, got;
            double v;
            const char* f = p;
            while (f < le) {
                f = parseField(f, le, c, v, got);
                if (!got) continue;
                if (first) { ys.push_back(v); first = false; }
                else zs.push_back(v);
            }
        }
        p = eol + 1;
    }
}

static const char* skipLine(const char* p, const char* end) {
    const char* e = static_cast<const char*>(std::memchr(p, '\n', end - p));
    return e ? e + 1 : end;
}

static Grid parseFormat1(const std::string& buf, Conv c, int threads) {
    Grid g;
    const char* p = buf.data();
    const char* end = p + buf.size();
    for (int i = 0; i < 3; ++i) p = skipLine(p, end);
    const char* hdrEnd = skipLine(p, end);
    {
        const char* le = hdrEnd;
        while (le > p && (le[-1] == '\n' || le[-1] == '\r')) --le;
        const char* f = static_cast<const char*>(std::memchr(p, ',', le - p));  // drop first cell
        f = f ? f + 1 : le;
        bool got;
        double v;
        while (f < le) {
            f = parseField(f, le, c, v, got);
            if (got) g.x.push_back(v);
        }
    }
    p = hdrEnd;
    if (threads <= 1) {
        g.z.reserve(size_t(g.x.size()) * g.x.size());
        parseRows(p, end, c, g.y, g.z);
        return g;
    }
    std::vector<const char*> cuts{p};
    for (int t = 1; t < threads; ++t) {
        const char* m = p + (end - p) * t / threads;
        cuts.push_back(skipLine(m, end));
    }
    cuts.push_back(end);
    std::vector<std::vector<double>> ys(threads), zs(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] { parseRows(cuts[t], cuts[t + 1], c, ys[t], zs[t]); });
    for (auto& th : pool) th.join();
    for (int t = 0; t < threads; ++t) {
        g.y.insert(g.y.end(), ys[t].begin(), ys[t].end());
        g.z.insert(g.z.end(), zs[t].begin(), zs[t].end());
    }
    return g;
}

// ---------------------------------------------------------------- GL
static const int W = 800, H = 600;

static bool makeContext() {
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay dpy = getDisplay
        ? getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
        : eglGetDisplay(EGL_DEFAULT_DISPLAY);
    EGLint maj, min;
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, &maj, &min)) {
        std::fprintf(stderr, "EGL: no display\n");
        return false;
    }
    eglBindAPI(EGL_OPENGL_API);
    const EGLint attrs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8,
                            EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
                            EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    const EGLint attrsNoSurf[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                  EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig cfg;
    EGLint n = 0;
    bool pbuffer = eglChooseConfig(dpy, attrs, &cfg, 1, &n) && n == 1;
    if (!pbuffer && !(eglChooseConfig(dpy, attrsNoSurf, &cfg, 1, &n) && n == 1)) {
        std::fprintf(stderr, "EGL: no config\n");
        return false;
    }
    EGLContext ctx = eglCreateContext(dpy, cfg, EGL_NO_CONTEXT, nullptr);
    if (ctx == EGL_NO_CONTEXT) { std::fprintf(stderr, "EGL: no context\n"); return false; }
    EGLSurface surf = EGL_NO_SURFACE;
    if (pbuffer) {
        const EGLint pb[] = {EGL_WIDTH, W, EGL_HEIGHT, H, EGL_NONE};
        surf = eglCreatePbufferSurface(dpy, cfg, pb);
    }
    if (!eglMakeCurrent(dpy, surf, surf, ctx)) { std::fprintf(stderr, "EGL: no current\n"); return false; }
    if (surf == EGL_NO_SURFACE) {  // render into an FBO instead
        GLuint fbo, rb[2];
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenRenderbuffers(2, rb);
        glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, W, H);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, W, H);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb[1]);
    }
    std::printf("gl: %s | %s | %s | %s\n", glGetString(GL_RENDERER), glGetString(GL_VERSION),
                pbuffer ? "pbuffer" : "fbo", getenv("LP_NUM_THREADS") ? getenv("LP_NUM_THREADS") : "LP_NUM_THREADS unset");
    return true;
}

static float LEVEL_RGB[20][3];
static void initLevels() {
    for (int i = 0; i < 20; ++i) {  // blue -> cyan -> green -> yellow -> red
        float t = i / 19.0f;
        LEVEL_RGB[i][0] = std::clamp(1.5f - std::fabs(4 * t - 3), 0.f, 1.f);
        LEVEL_RGB[i][1] = std::clamp(1.5f - std::fabs(4 * t - 2), 0.f, 1.f);
        LEVEL_RGB[i][2] = std::clamp(1.5f - std::fabs(4 * t - 1), 0.f, 1.f);
    }
}

// Emit one layer (surface or floor) of the grid into the open display list.
static long emitLayer(const Grid& g, bool floor, bool perTriangle, double zmin, double zmax) {
    const size_t C = g.cols(), R = g.rows();
    const double sx = 2.0 / (g.x.back() - g.x.front()), sy = 2.0 / (g.y.back() - g.y.front());
    const double sz = 1.0 / (zmax - zmin), step = (zmax - zmin) / 20;
    auto X = [&](size_t c) { return (g.x[c] - g.x.front()) * sx - 1; };
    auto Y = [&](size_t r) { return (g.y[r] - g.y.front()) * sy - 1; };
    auto Zw = [&](double z) { return floor ? -1.0 : (z - zmin) * sz - 0.2; };
    auto L = [&](double z) { return std::min(19, std::max(0, int((z - zmin) / step))); };
    long tris = 0;
    if (!perTriangle) glBegin(GL_TRIANGLES);
    for (size_t i = 0; i + 1 < C; ++i) {
        for (size_t j = 0; j + 1 < R; ++j) {
            // corners c0 (j,i) c1 (j+1,i) c2 (j,i+1) c3 (j+1,i+1); split on c1-c2
            const double z0 = g.z[j * C + i], z1 = g.z[(j + 1) * C + i];
            const double z2 = g.z[j * C + i + 1], z3 = g.z[(j + 1) * C + i + 1];
            const double x0 = X(i), x1 = X(i + 1), y0 = Y(j), y1 = Y(j + 1);
            const float* ca = LEVEL_RGB[L(z0)];
            const float* cb = LEVEL_RGB[L(z3)];
            if (perTriangle) {
                glBegin(GL_TRIANGLE_STRIP);
                glColor3fv(ca);
                glVertex3d(x0, y0, Zw(z0)); glVertex3d(x0, y1, Zw(z1)); glVertex3d(x1, y0, Zw(z2));
                glEnd();
                glBegin(GL_TRIANGLE_STRIP);
                glColor3fv(cb);
                glVertex3d(x0, y1, Zw(z1)); glVertex3d(x1, y1, Zw(z3)); glVertex3d(x1, y0, Zw(z2));
                glEnd();
            } else {
                glColor3fv(ca);
                glVertex3d(x0, y0, Zw(z0)); glVertex3d(x0, y1, Zw(z1)); glVertex3d(x1, y0, Zw(z2));
                glColor3fv(cb);
                glVertex3d(x0, y1, Zw(z1)); glVertex3d(x1, y1, Zw(z3)); glVertex3d(x1, y0, Zw(z2));
            }
            tris += 2;
        }
    }
    if (!perTriangle) glEnd();
    return tris;
}

static void setCamera() {
    glViewport(0, 0, W, H);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2.0 * W / H, 2.0 * W / H, -2.0, 2.0, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotated(-60, 1, 0, 0);   // elevation 30 degrees
    glRotated(-30, 0, 0, 1);   // azimuth
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    glClearColor(1, 1, 1, 1);
}

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct DrawResult { double compile, first, again, readback; long tris; };

static DrawResult drawTest(const Grid& g, bool perTriangle, std::vector<unsigned char>& pixels) {
    DrawResult r{};
    double zmin = *std::min_element(g.z.begin(), g.z.end());
    double zmax = *std::max_element(g.z.begin(), g.z.end());
    setCamera();
    GLuint list = glGenLists(1);
    auto t0 = Clock::now();
    glNewList(list, GL_COMPILE);
    r.tris = emitLayer(g, false, perTriangle, zmin, zmax);
    r.tris += emitLayer(g, true, perTriangle, zmin, zmax);
    glEndList();
    glFinish();
    r.compile = since(t0);
    t0 = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glCallList(list);
    glFinish();
    r.first = since(t0);
    std::vector<double> again;
    for (int k = 0; k < 3; ++k) {
        t0 = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(list);
        glFinish();
        again.push_back(since(t0));
    }
    r.again = median(again);
    pixels.assign(size_t(W) * H * 4, 0);
    std::vector<double> rb;
    for (int k = 0; k < 3; ++k) {
        t0 = Clock::now();
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        rb.push_back(since(t0));
    }
    r.readback = median(rb);
    glDeleteLists(list, 1);
    glFinish();
    return r;
}

// ---------------------------------------------------------------- PNG
static size_t writePng(const std::vector<unsigned char>& rgba, int level, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) { std::fclose(f); return 0; }
    png_init_io(png, f);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, W, H, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(size_t(W) * 3);
    for (int y = H - 1; y >= 0; --y) {  // GL rows are bottom-up
        const unsigned char* s = &rgba[size_t(y) * W * 4];
        for (int x = 0; x < W; ++x) { row[3 * x] = s[4 * x]; row[3 * x + 1] = s[4 * x + 1]; row[3 * x + 2] = s[4 * x + 2]; }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    long sz = std::ftell(f);
    std::fclose(f);
    return size_t(sz);
}

int main(int argc, char** argv) {
    bool once = argc > 1 && std::strcmp(argv[1], "--once") == 0;
    if (once) { --argc; ++argv; }
    if (argc < 2) { std::fprintf(stderr, "usage: limits_probe [--once] GRID.csv [OUT.png]\n"); return 2; }
    const char* out = argc > 2 ? argv[2] : "/tmp/kbench/limits_probe.png";
    auto t0 = Clock::now();
    std::string buf;
    {
        FILE* f = std::fopen(argv[1], "rb");
        if (!f) { std::perror(argv[1]); return 1; }
        std::fseek(f, 0, SEEK_END);
        buf.resize(std::ftell(f));
        std::fseek(f, 0, SEEK_SET);
        if (std::fread(buf.data(), 1, buf.size(), f) != buf.size()) return 1;
        std::fclose(f);
    }
    double tRead = since(t0);
    const double mb = buf.size() / 1e6;
    std::printf("file: %.1f MB read in %.3f s\n", mb, tRead);

    Grid g;
    if (once) {  // phase times go to stderr
        std::vector<std::pair<const char*, double>> ph{{"read", tRead}};
        auto mark = [&](const char* name) { ph.emplace_back(name, since(t0)); t0 = Clock::now(); };
        t0 = Clock::now();
        g = parseFormat1(buf, Conv::FromChars, 1);
        if (g.z.size() != g.cols() * g.rows() || g.cols() < 2 || g.rows() < 2) return 1;
        mark("parse");
        if (!makeContext()) return 1;
        initLevels();
        setCamera();
        glFinish();
        mark("context");
        double zmin = *std::min_element(g.z.begin(), g.z.end());
        double zmax = *std::max_element(g.z.begin(), g.z.end());
        GLuint list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        emitLayer(g, false, true, zmin, zmax);
        emitLayer(g, true, true, zmin, zmax);
        glEndList();
        mark("list");
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(list);
        glFinish();
        mark("draw");
        std::vector<unsigned char> px(size_t(W) * H * 4);
        glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        mark("readback");
        bool ok = writePng(px, 6, out) != 0;
        mark("png");
        for (auto& p : ph) std::fprintf(stderr, "%s %.3f  ", p.first, p.second);
        std::fprintf(stderr, "s  peak %.0f MiB\n", peakMiB());
        return ok ? 0 : 1;
    }
    struct { const char* name; Conv c; int th; } modes[] = {
        {"from_chars 1 thread", Conv::FromChars, 1},
        {"strtod     1 thread", Conv::Strtod, 1},
        {"from_chars 2 threads", Conv::FromChars, 2}};
    for (auto& m : modes) {
        std::vector<double> ts;
        for (int k = 0; k < 3; ++k) {
            t0 = Clock::now();
            Grid h = parseFormat1(buf, m.c, m.th);
            ts.push_back(since(t0));
            if (k == 0 && m.c == Conv::FromChars && m.th == 1) g = std::move(h);
        }
        double t = median(ts);
        size_t n = g.z.size() + g.y.size() + g.x.size();
        std::printf("parse %-21s %7.3f s  %7.1f MB/s  %6.1f ns/value\n", m.name, t, mb / t, t * 1e9 / n);
    }
    std::printf("grid: %zu cols x %zu rows, %zu z values\n", g.cols(), g.rows(), g.z.size());
    if (g.z.size() != g.cols() * g.rows() || g.cols() < 2 || g.rows() < 2) { std::fprintf(stderr, "bad grid\n"); return 1; }

    if (!makeContext()) return 1;
    initLevels();
    std::vector<unsigned char> pixels;
    for (bool perTri : {true, false}) {
        DrawResult r = drawTest(g, perTri, pixels);
        std::printf("draw %-28s tris %9ld  compile %.3f s  first %.3f s  again %.3f s (%.1f Mtri/s)  readback %.4f s  peak %.0f MiB\n",
                    perTri ? "per-triangle strips" : "one GL_TRIANGLES batch", r.tris, r.compile, r.first,
                    r.again, r.tris / r.again / 1e6, r.readback, peakMiB());
    }
    for (int level : {6, 1}) {
        std::vector<double> ts;
        size_t sz = 0;
        for (int k = 0; k < 3; ++k) {
            t0 = Clock::now();
            sz = writePng(pixels, level, out);
            ts.push_back(since(t0));
        }
        std::printf("png zlib level %d: %.4f s  %zu bytes\n", level, median(ts), sz);
    }
    std::printf("peak RSS %.0f MiB\n", peakMiB());
    return 0;
}
