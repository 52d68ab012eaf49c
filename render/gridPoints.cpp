// Grid points mapped to world space and levelled, for the grid drawing
// routines; see gridPoints.h.
#include "render/gridPoints.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

#include "settings/graphTypes.h"

namespace kelvra {

void CurrentColor::set(const Rgb& c) {
    if (known_ && c == last_) return;
    last_ = c;
    known_ = true;
    // A colour that is not a number would reach GL as garbage; it draws black.
    auto channel = [](double x) { return std::isfinite(x) ? x : 0.0; };
    glColor3d(channel(c.r), channel(c.g), channel(c.b));
}

int colorValueIndex(int legendColorSource, int valuesPerPoint) {
    return usableColorSource(legendColorSource, valuesPerPoint);
}

GridPoints::GridPoints(const DrawInput& in)
    : data_(&in.data), map_(&in.ctx.map), levels_(&in.ctx.levels) {
    rows_ = in.data.rowCount;
    columns_ = in.data.columnCount;
    valuesPerPoint_ = in.data.valuesPerPoint;
    colorIndex_ = colorValueIndex(in.settings.legendColorSource, valuesPerPoint_);
    axes_ = in.data.heldByAxes();
    values_ = in.data.pointValues.data();
    if (in.data.dataKind != Grid || rows_ < 1 || columns_ < 1 || valuesPerPoint_ < 3 || (!values_ && !axes_)) return;
    // The grid must fit in what is held (counts set without data must not
    // make the walk read past it).
    if (std::size_t(rows_) * std::size_t(columns_) > in.data.storedPoints()) return;
    if (axes_) {
        if (valuesPerPoint_ != 3) return;
        worldX_.resize(std::size_t(columns_));
        worldY_.resize(std::size_t(rows_));
        for (int c = 0; c < columns_; ++c) worldX_[std::size_t(c)] = map_->world(0, in.data.axes.x[std::size_t(c)]);
        for (int r = 0; r < rows_; ++r) worldY_[std::size_t(r)] = map_->world(1, in.data.axes.y[std::size_t(r)]);
        worldZeroX_ = map_->world(0, 0.0);
        worldZeroY_ = map_->world(1, 0.0);
    }
    ready_ = true;
}

double GridPoints::colorValue(int r, int c, const Vec3& raw) const {
    double v;
    switch (colorIndex_) {
        case 0: v = raw.x; break;
        case 1: v = raw.y; break;
        case 2: v = raw.z; break;
        default: v = values_[(std::size_t(r) * columns_ + c) * valuesPerPoint_ + std::size_t(colorIndex_)]; break;
    }
    return levels_->logLegend ? std::log(v) : v;
}

Corner GridPoints::corner(int r, int c) const {
    const Vec3 p = raw(r, c);
    const double value = colorValue(r, c, p);
    if (axes_)
        return makeCorner(worldX(r, c), worldY(r, c), map_->world(2, p.z), value, levelOf(*levels_, value));
    return makeCorner(map_->world(0, p.x), map_->world(1, p.y), map_->world(2, p.z), value,
                      levelOf(*levels_, value));
}

void GridPoints::columns(int firstColumn, int count, int firstRow, int lastRow, Corner* out) const {
    const std::size_t rows = std::size_t(lastRow - firstRow + 1);
    for (int r = firstRow; r <= lastRow; ++r)
        for (int k = 0; k < count; ++k) out[std::size_t(k) * rows + std::size_t(r - firstRow)] = corner(r, firstColumn + k);
}

Corner GridPoints::position(int r, int c) const {
    const Vec3 p = raw(r, c);
    if (axes_) return makeCorner(worldX(r, c), worldY(r, c), map_->world(2, p.z), 0.0, 0);
    return makeCorner(map_->world(0, p.x), map_->world(1, p.y), map_->world(2, p.z), 0.0, 0);
}

void GridPoints::columnPositions(int c, int firstRow, int lastRow, Corner* out) const {
    for (int r = firstRow; r <= lastRow; ++r) *out++ = position(r, c);
}

Vec3 vertexNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    Vec3 a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    Vec3 b{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    // Scaling an edge by a positive number keeps the direction of the product.
    auto unitSize = [](Vec3& e) {
        double m = std::max({std::fabs(e.x), std::fabs(e.y), std::fabs(e.z)});
        if (m > 0.0 && std::isfinite(m)) e = {e.x / m, e.y / m, e.z / m};
    };
    unitSize(a);
    unitSize(b);
    Vec3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (!(length > 0.0) || !std::isfinite(length)) return {0.0, 0.0, 1.0};
    return {n.x / length, n.y / length, n.z / length};
}

}  // namespace kelvra
