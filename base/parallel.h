// Work on every core: the per-cell work of a large grid (levels, crossings,
// colours, normals) and the parsing of large files are cut into stripes that
// run on threads of their own, while the calling thread (the one that owns
// the GL context, or that shows the progress) keeps what must stay on it.
//
// No worker ever calls GL or the host; what they make is handed back to the
// calling thread. An exception thrown by a worker (std::bad_alloc above all)
// is caught there and thrown again on the calling thread once every worker
// has stopped.
#pragma once

#include <cstddef>
#include <functional>

namespace kelvra {

// Threads to work in: one per core this process may run on, or the number in
// KELVRA_THREADS (1 to 64) when that is set; 1 makes every stripe run on the
// calling thread, in order.
int workerCount();

// Runs work(begin, end) over [0, count) cut into at most workerCount()
// stripes of at least minStripe items (neighbouring ranges, in order), each
// on a thread of its own, and returns when all are done. While they run,
// `waiting` (when given) is called on the calling thread about every 50 ms,
// so that it can show progress.
void forStripes(std::size_t count, std::size_t minStripe,
                const std::function<void(std::size_t begin, std::size_t end)>& work,
                const std::function<void()>& waiting = nullptr);

// Items 0 .. count - 1 made on worker threads (make(i)) and used on the
// calling thread in their order (use(i)), at most `ahead` made but not yet
// used, so that what they hold stays bounded: item i may be kept in slot
// i % ahead. With one worker, make and use alternate on the calling thread.
void makeInOrder(std::size_t count, std::size_t ahead, const std::function<void(std::size_t)>& make,
                 const std::function<void(std::size_t)>& use);

}  // namespace kelvra
