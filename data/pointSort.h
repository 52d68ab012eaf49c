// Sorting of point lists (formats 2 and 3) into rows: by Y, equal Y by X,
// points equal in both in their file order. Used by the data file reader.
#pragma once

#include <cstddef>

namespace kelvra::datafile {

// Sorts n points of valuesPerPoint (3 or 4) doubles each, X first and Y second.
// `scratch` may offer memory for the work (room for n points is enough to use
// it; it is overwritten); without it, the sort finds its own. Never fails: when
// memory is short it falls back to a slower in-place sort.
void sortPointsByYThenX(double* values, std::size_t n, int valuesPerPoint, void* scratch,
                        std::size_t scratchBytes);

}  // namespace kelvra::datafile
