// Row-wise sort of point lists. Measured data has few distinct Y values (one
// per row of a grid, a few thousand at most), so instead of a general sort of
// the whole list the points are distributed into their rows in file order (a
// counting sort over the distinct Y values, found with a hash table), and then
// each row, small and cache-resident, is sorted by X. Both steps keep equal
// points in file order. Data with very many distinct Y values goes through
// std::stable_sort instead, and so does data whose Y values crowd into few
// slots of the hash table: the table's probes are counted against a budget
// linear in the number of points, so values chosen to collide cost at most
// that budget and then the O(n log n) sort, never quadratic time.
#include "data/pointSort.h"

#include "base/fileIo.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace kelvra::datafile {
namespace {

template <int N>
struct PointRecord {
    double v[N];
};

template <int N>
bool lessYThenX(const PointRecord<N>& a, const PointRecord<N>& b) {
    return a.v[1] < b.v[1] || (a.v[1] == b.v[1] && a.v[0] < b.v[0]);
}

// Bit pattern of a value as a hash key; 0.0 and -0.0 compare equal, so they
// share a key. Values are finite, so the all-ones pattern (a NaN) marks a free slot.
constexpr std::uint64_t kFreeSlot = ~std::uint64_t(0);
std::uint64_t keyOf(double v) {
    if (v == 0.0) v = 0.0;
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// Open-addressing table from a Y value to its row's count, then its next free
// position in the output. Gives up (add returns false, find nullptr) beyond
// kMaxRows distinct values, or once its probes exceed the budget it was made with.
class RowTable {
public:
    static constexpr std::size_t kMaxRows = std::size_t(1) << 20;
    // Probes allowed per point over the table's life (adds, finds and the
    // rehashes of its growth). Values spread by the hash need about 3.
    static constexpr std::size_t kProbesPerPoint = 24;

    explicit RowTable(std::size_t points) : budget_(kProbesPerPoint * points + 4096) {}

    struct Slot {
        std::uint64_t key;
        double y;
        std::size_t count;   // points in the row, then the next output position
    };

    bool init() { return resize(std::size_t(1) << 12); }

    Slot* find(double y) {
        std::uint64_t key = keyOf(y);
        std::size_t i = hash(key);
        while (slots_[i].key != key) {
            if (slots_[i].key == kFreeSlot || !probe()) return nullptr;
            i = (i + 1) & mask_;
        }
        return &slots_[i];
    }

    bool add(double y) {
        std::uint64_t key = keyOf(y);
        std::size_t i = hash(key);
        while (slots_[i].key != key) {
            if (slots_[i].key == kFreeSlot) {
                if (used_ + 1 > kMaxRows) return false;
                if (2 * (used_ + 1) > size_ && !resize(size_ * 2)) return false;
                return insertNew(key, y);
            }
            if (!probe()) return false;
            i = (i + 1) & mask_;
        }
        ++slots_[i].count;
        return true;
    }

    std::size_t used() const { return used_; }
    std::size_t probes() const { return probes_; }
    Slot* begin() { return slots_.get(); }
    Slot* end() { return slots_.get() + size_; }

private:
    std::size_t hash(std::uint64_t key) const {
        return std::size_t((key * kRowHashMultiplier) >> (64 - bits_));
    }

    // Counts one step past an occupied slot; false once the budget is spent.
    bool probe() {
        if (probes_ == budget_) return false;
        ++probes_;
        return true;
    }

    bool insertNew(std::uint64_t key, double y) {
        std::size_t i = hash(key);
        while (slots_[i].key != kFreeSlot) {
            if (!probe()) return false;
            i = (i + 1) & mask_;
        }
        slots_[i] = {key, y, 1};
        ++used_;
        return true;
    }

    bool resize(std::size_t size) {
        std::unique_ptr<Slot[]> old = std::move(slots_);
        std::size_t oldSize = size_;
        slots_.reset(new (std::nothrow) Slot[size]);
        if (!slots_) return false;
        for (std::size_t i = 0; i < size; ++i) slots_[i].key = kFreeSlot;
        size_ = size;
        mask_ = size - 1;
        bits_ = 0;
        while ((std::size_t(1) << bits_) < size) ++bits_;
        for (std::size_t i = 0; i < oldSize; ++i) {
            if (old[i].key == kFreeSlot) continue;
            std::size_t j = hash(old[i].key);
            while (slots_[j].key != kFreeSlot) {
                if (!probe()) return false;
                j = (j + 1) & mask_;
            }
            slots_[j] = old[i];
        }
        return true;
    }

    std::unique_ptr<Slot[]> slots_;
    std::size_t size_ = 0, mask_ = 0, used_ = 0;
    std::size_t probes_ = 0, budget_;
    int bits_ = 0;
};

// Memory for the distributed copy: the caller's scratch when it is big enough,
// else a block of our own (freed on destruction).
class Scratch {
public:
    Scratch(void* offered, std::size_t offeredBytes, std::size_t needed) {
        std::uintptr_t p = reinterpret_cast<std::uintptr_t>(offered);
        std::uintptr_t aligned = (p + alignof(double) - 1) & ~std::uintptr_t(alignof(double) - 1);
        if (offered && aligned - p <= offeredBytes && offeredBytes - (aligned - p) >= needed) {
            data_ = reinterpret_cast<double*>(aligned);
            return;
        }
        own_ = static_cast<double*>(std::malloc(needed ? needed : 1));
        data_ = own_;
        adviseHugePages(own_, needed);   // filled from start to end
    }
    ~Scratch() { std::free(own_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    double* data() const { return data_; }

private:
    double* data_ = nullptr;
    double* own_ = nullptr;
};

template <int N>
void sortInPlace(double* values, std::size_t n) {
    auto* first = reinterpret_cast<PointRecord<N>*>(values);
    std::stable_sort(first, first + n, lessYThenX<N>);
}

template <int N>
void sortByRows(double* values, std::size_t n, void* scratchMemory, std::size_t scratchBytes, RowSortWork* work) {
    auto* points = reinterpret_cast<PointRecord<N>*>(values);
    RowTable rows(n);
    // The general sort, when the rows cannot be had within the table's limits.
    auto fallBack = [&] {
        if (work) *work = {rows.probes(), true};
        sortInPlace<N>(values, n);
    };
    bool fits = rows.init();
    for (std::size_t i = 0; fits && i < n; ++i) fits = rows.add(points[i].v[1]);
    if (!fits) return fallBack();
    Scratch scratch(scratchMemory, scratchBytes, n * sizeof(PointRecord<N>));
    if (!scratch.data()) return fallBack();

    // Rows in ascending Y; each slot's count becomes its row's first position.
    std::unique_ptr<RowTable::Slot*[]> order(new (std::nothrow) RowTable::Slot*[rows.used()]);
    if (!order) return fallBack();
    std::size_t k = 0;
    for (RowTable::Slot& s : rows)
        if (s.key != kFreeSlot) order[k++] = &s;
    std::sort(order.get(), order.get() + k,
              [](const RowTable::Slot* a, const RowTable::Slot* b) { return a->y < b->y; });
    std::size_t position = 0;
    for (std::size_t r = 0; r < k; ++r) {
        std::size_t count = order[r]->count;
        order[r]->count = position;
        position += count;
    }

    // Distribute in file order into the scratch copy; the points themselves
    // stay as they are until every row has its place.
    auto* out = reinterpret_cast<PointRecord<N>*>(scratch.data());
    for (std::size_t i = 0; i < n; ++i) {
        RowTable::Slot* slot = rows.find(points[i].v[1]);
        if (!slot) return fallBack();
        out[slot->count++] = points[i];
    }
    if (work) *work = {rows.probes(), false};

    // Each row goes back sorted by X. A row already in order is copied; any other
    // is sorted as (X, place in the row) keys, which keeps equal X in file order,
    // and gathered back.
    std::size_t longest = 0, start = 0;
    for (std::size_t r = 0; r < k; ++r) {
        longest = std::max(longest, order[r]->count - start);
        start = order[r]->count;
    }
    struct Key {
        double x;
        std::size_t place;
    };
    std::unique_ptr<Key[]> keys(new (std::nothrow) Key[longest]);
    auto byX = [](const PointRecord<N>& a, const PointRecord<N>& b) { return a.v[0] < b.v[0]; };
    start = 0;
    for (std::size_t r = 0; r < k; ++r) {
        const std::size_t end = order[r]->count;   // now one past the row's last point
        const std::size_t length = end - start;
        PointRecord<N>* row = out + start;
        if (std::is_sorted(row, row + length, byX)) {
            std::memcpy(points + start, row, length * sizeof(PointRecord<N>));
        } else if (keys) {
            for (std::size_t j = 0; j < length; ++j) keys[j] = {row[j].v[0], j};
            std::sort(keys.get(), keys.get() + length, [](const Key& a, const Key& b) {
                return a.x < b.x || (a.x == b.x && a.place < b.place);
            });
            for (std::size_t j = 0; j < length; ++j) points[start + j] = row[keys[j].place];
        } else {
            std::stable_sort(row, row + length, byX);
            std::memcpy(points + start, row, length * sizeof(PointRecord<N>));
        }
        start = end;
    }
}

}  // namespace

void sortPointsByYThenX(double* values, std::size_t n, int valuesPerPoint, void* scratch,
                        std::size_t scratchBytes, RowSortWork* work) {
    if (work) *work = {};
    if (n < 2) return;
    if (valuesPerPoint == 3) sortByRows<3>(values, n, scratch, scratchBytes, work);
    else if (valuesPerPoint == 4) sortByRows<4>(values, n, scratch, scratchBytes, work);
}

void groupRows(GraphData& d, std::size_t n) {
    if (n == 0) {
        d.rowCount = 0;
        d.columnCount = 0;
        return;
    }
    const int vpp = d.valuesPerPoint;
    const double* values = d.pointValues.data();
    std::size_t rows = 1, run = 1, longest = 0, shortest = SIZE_MAX;
    for (std::size_t i = 1; i < n; ++i) {
        if (values[i * vpp + 1] != values[(i - 1) * vpp + 1]) {
            longest = std::max(longest, run);
            shortest = std::min(shortest, run);
            ++rows;
            run = 1;
        } else {
            ++run;
        }
    }
    longest = std::max(longest, run);
    shortest = std::min(shortest, run);
    d.rowCount = int(rows);
    d.columnCount = int(longest);
    if (shortest < longest) d.dataKind = Scattered;
}

}  // namespace kelvra::datafile
