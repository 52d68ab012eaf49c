// kelvra-make-grids: writes large data files for the reader benchmark, in the
// writer's own form (CP932 header lines, "%e" numbers, CR LF): a column grid
// (format 1) and the same points as a point list (format 2) in shuffled order,
// so that the reader has to sort them back into rows; and scattered sets:
// format-2 points at random X and Y, which the reader keeps as a point list;
// and pairs of format-2 lists of distinct Y values, one chosen to fall into a
// single slot of the reader's row table, one at random, to show what chosen
// values cost the row grouping. With --rough the grids' Z is rough instead of
// the smooth surface: each value at random over the surface's range, so that
// every cell crosses many colour levels (to measure against the smooth grid
// of the same shape).
//
//   kelvra-make-grids [--out DIR] [--format 1|2|both] [--rough] [--scattered POINTS]
//                     [--collisions POINTS] SIZE...
//   SIZE is N (N x N) or NxM (N columns, M rows); X and Y run over -3..3.
//   Files: DIR/grid-f1-NxM.csv, DIR/grid-f2-NxM.csv (with --rough
//   DIR/rough-f1-NxM.csv, DIR/rough-f2-NxM.csv), DIR/scattered-POINTS.csv,
//   DIR/collide-POINTS.csv and DIR/random-POINTS.csv.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "data/pointSort.h"

namespace {

// Line 1 "ﾃﾞｰﾀ形式,%d" in CP932, line 2 the title, line 3 empty.
std::string header(int format) {
    static const char kFormatWord[] = "\xC3\xDE\xB0\xC0\x8C\x60\x8E\xAE,";   // ﾃﾞｰﾀ形式,
    return std::string(kFormatWord) + std::to_string(format) + "\r\nKelvra ver.1.52\r\n\r\n";
}

double surface(double x, double y) {
    double r2 = x * x + y * y;
    return std::sin(1.4 * x) * std::cos(1.2 * y) * std::exp(-r2 / 6.0) +
           0.35 * std::exp(-((x - 1.2) * (x - 1.2) + (y + 1.0) * (y + 1.0)) / 0.5) +
           0.04 * std::sin(7.0 * x + 2.0 * y) * std::cos(5.0 * y);
}

// Z at random over -0.9..0.95 (about the surface's range), the same for the
// same X and Y whatever order the points are written in.
double rough(double x, double y) {
    std::uint64_t a, b;
    std::memcpy(&a, &x, sizeof a);
    std::memcpy(&b, &y, sizeof b);
    std::uint64_t h = a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull);
    h ^= h >> 30, h *= 0xBF58476D1CE4E5B9ull;   // splitmix64's finish
    h ^= h >> 27, h *= 0x94D049BB133111EBull;
    h ^= h >> 31;
    return -0.9 + 1.85 * double(h >> 11) / double(1ull << 53);
}

using Heights = double (*)(double x, double y);

// "%e" without printf: to_chars writes the same text (two-digit exponent
// included), several times faster.
void appendNumber(std::string& out, double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 6);
    out.append(buf, r.ptr);
}

bool writeFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

bool parseSize(const char* s, int* cols, int* rows) {
    char* end = nullptr;
    long a = std::strtol(s, &end, 10);
    long b = a;
    if (*end == 'x' || *end == 'X') b = std::strtol(end + 1, &end, 10);
    // Up to a spreadsheet's 1 048 576 lines in one direction, 20000 x 20000 points in all.
    if (*end != '\0' || a < 2 || b < 2 || a > 1048576 || b > 1048576 || double(a) * double(b) > 4e8) return false;
    *cols = int(a);
    *rows = int(b);
    return true;
}

std::vector<double> axis(int n) {
    std::vector<double> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) v[std::size_t(i)] = -3.0 + 6.0 * i / (n - 1);
    return v;
}

std::string columnGrid(int cols, int rows, Heights z) {
    std::vector<double> xs = axis(cols), ys = axis(rows);
    std::string text = header(1);
    text.reserve(std::size_t(cols + 1) * std::size_t(rows + 1) * 14 + 64);
    for (double x : xs) {
        text += ',';
        appendNumber(text, x);
    }
    text += "\r\n";
    for (double y : ys) {
        appendNumber(text, y);
        for (double x : xs) {
            text += ',';
            appendNumber(text, z(x, y));
        }
        text += "\r\n";
    }
    return text;
}

// One "X,Y,Z" line of a point list, Z from the test surface unless given.
void appendPoint(std::string& text, double x, double y, Heights z = surface) {
    appendNumber(text, x);
    text += ',';
    appendNumber(text, y);
    text += ',';
    appendNumber(text, z(x, y));
    text += "\r\n";
}

std::string shuffledPoints(int cols, int rows, Heights z) {
    std::vector<double> xs = axis(cols), ys = axis(rows);
    std::vector<std::size_t> order(std::size_t(cols) * std::size_t(rows));
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::mt19937_64 random(20240607);
    std::shuffle(order.begin(), order.end(), random);
    std::string text = header(2);
    text.reserve(order.size() * 42 + 64);
    for (std::size_t p : order) {
        double x = xs[p % std::size_t(cols)], y = ys[p / std::size_t(cols)];
        appendPoint(text, x, y, z);
    }
    return text;
}

// POINTS points at random X over -3..3 on sqrt(POINTS) Y lines chosen at
// random: rows of unequal length, so the reader keeps a scattered list.
std::string scatteredPoints(int points) {
    std::mt19937_64 random(20240608);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    const int lines = std::max(2, int(std::sqrt(double(points))));
    std::uniform_int_distribution<int> line(0, lines - 1);
    std::string text = header(2);
    text.reserve(std::size_t(points) * 42 + 64);
    for (int i = 0; i < points; ++i) {
        double x = coordinate(random), y = -3.0 + 6.0 * line(random) / (lines - 1);
        appendPoint(text, x, y);
    }
    return text;
}

// A value written so that it reads back to the same bits.
void appendExact(std::string& out, double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

std::string pointsAtY(const std::vector<double>& ys) {
    std::string text = header(2);
    for (std::size_t i = 0; i < ys.size(); ++i) {
        text += std::to_string(i % 100) + ",";
        appendExact(text, ys[i]);
        text += ",0\r\n";
    }
    return text;
}

// Distinct finite values whose bit patterns times the row table's hash
// multiplier all lie below 2^44: one slot at every table size up to 2^20.
std::string collidingPoints(int points) {
    std::uint64_t inverse = kelvra::datafile::kRowHashMultiplier;   // Newton's iteration mod 2^64
    for (int k = 0; k < 6; ++k) inverse *= 2 - kelvra::datafile::kRowHashMultiplier * inverse;
    std::vector<double> ys;
    for (std::uint64_t i = 1; ys.size() < std::size_t(points); ++i) {
        std::uint64_t bits = i * inverse;
        double y;
        std::memcpy(&y, &bits, sizeof y);
        if (std::isfinite(y) && y != 0.0) ys.push_back(y);
    }
    return pointsAtY(ys);
}

std::string randomPoints(int points) {
    std::mt19937_64 random(20240609);
    std::uniform_real_distribution<double> value(-1e6, 1e6);
    std::vector<double> ys(static_cast<std::size_t>(points));
    for (double& y : ys) y = value(random);
    return pointsAtY(ys);
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir = "/tmp/kbench";
    std::string formats = "both";
    std::vector<const char*> sizes;
    std::vector<int> scattered, collisions;
    bool roughGrids = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) outDir = argv[++i];
        else if (!std::strcmp(argv[i], "--scattered") && i + 1 < argc) scattered.push_back(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--collisions") && i + 1 < argc) collisions.push_back(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--format") && i + 1 < argc) formats = argv[++i];
        else if (!std::strcmp(argv[i], "--rough")) roughGrids = true;
        else sizes.push_back(argv[i]);
    }
    auto bad = [](int n) { return n < 1 || n > 50000000; };
    bool badCount = std::any_of(scattered.begin(), scattered.end(), bad) ||
                    std::any_of(collisions.begin(), collisions.end(), bad);
    if ((sizes.empty() && scattered.empty() && collisions.empty()) || badCount || (formats != "1" && formats != "2" && formats != "both")) {
        std::fprintf(stderr, "usage: kelvra-make-grids [--out DIR] [--format 1|2|both] [--rough] [--scattered POINTS]\n"
                             "                         [--collisions POINTS] SIZE...\n"
                             "       SIZE is N or NxM (columns x rows), 2..1048576 each, 4e8 points at most\n");
        return 2;
    }
    std::string mkdir = "mkdir -p '" + outDir + "'";
    if (std::system(mkdir.c_str()) != 0) return 1;
    for (const char* s : sizes) {
        int cols, rows;
        if (!parseSize(s, &cols, &rows)) {
            std::fprintf(stderr, "kelvra-make-grids: bad size \"%s\"\n", s);
            return 2;
        }
        std::string name = std::to_string(cols) + "x" + std::to_string(rows) + ".csv";
        for (int format : {1, 2}) {
            if (formats != "both" && formats != std::to_string(format)) continue;
            auto t0 = std::chrono::steady_clock::now();
            const Heights z = roughGrids ? rough : surface;
            std::string text = format == 1 ? columnGrid(cols, rows, z) : shuffledPoints(cols, rows, z);
            std::string path = outDir + (roughGrids ? "/rough-f" : "/grid-f") + std::to_string(format) + "-" + name;
            if (!writeFile(path, text)) {
                std::fprintf(stderr, "kelvra-make-grids: cannot write %s\n", path.c_str());
                return 1;
            }
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            std::printf("%s  %.1f MB  %.2f s\n", path.c_str(), text.size() / 1e6, s);
        }
    }
    std::vector<std::pair<std::string, int>> lists;   // kind, points
    for (int points : scattered) lists.push_back({"scattered", points});
    for (int points : collisions) {
        lists.push_back({"collide", points});
        lists.push_back({"random", points});
    }
    for (const auto& [kind, points] : lists) {
        auto t0 = std::chrono::steady_clock::now();
        std::string text = kind == "scattered" ? scatteredPoints(points)
                           : kind == "collide" ? collidingPoints(points)
                                               : randomPoints(points);
        std::string stem = kind + "-" + std::to_string(points);
        std::string path = outDir + "/" + stem + ".csv";
        if (!writeFile(path, text)) {
            std::fprintf(stderr, "kelvra-make-grids: cannot write %s\n", path.c_str());
            return 1;
        }
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%s  %.1f MB  %.2f s\n", path.c_str(), text.size() / 1e6, s);
    }
    return 0;
}
