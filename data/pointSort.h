// Sorting of point lists (formats 2 and 3) into rows: by Y, equal Y by X,
// points equal in both in their file order; then the rows they make. Used by
// the data file reader and the import.
#pragma once

#include <cstddef>
#include <cstdint>

#include "data/graphData.h"

namespace kelvra::datafile {

// The multiplier of the row table's hash (the bit pattern of Y times this, top
// bits kept). Published for the test and the benchmark that build Y values
// chosen to collide in it.
inline constexpr std::uint64_t kRowHashMultiplier = 0x9E3779B97F4A7C15ull;

// What a sort did, for the tests: the hash probes of the row table, and
// whether it gave up on the rows for the general sort.
struct RowSortWork {
    std::size_t probes = 0;
    bool generalSort = false;
};

// Sorts n points of valuesPerPoint (3 or 4) doubles each, X first and Y second,
// in O(n log n) whatever the values. `scratch` may offer memory for the work
// (room for n points is enough to use it; it is overwritten); without it, the
// sort finds its own. Never fails: when memory is short it falls back to a
// slower in-place sort.
void sortPointsByYThenX(double* values, std::size_t n, int valuesPerPoint, void* scratch,
                        std::size_t scratchBytes, RowSortWork* work = nullptr);

// The rows of d's first n points, sorted: runs of equal Y. rowCount is their
// number, columnCount the longest; rows of unequal length make d Scattered.
void groupRows(GraphData& d, std::size_t n);

}  // namespace kelvra::datafile
