// Stripes on threads; see parallel.h.
#include "base/parallel.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kelvra {
namespace {

// The first exception any thread threw; the others stop at their next item.
class FirstFailure {
public:
    void keep(std::exception_ptr e) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!first_) first_ = e;
        failed_ = true;
    }
    bool failed() const { return failed_; }
    void rethrow() {
        if (first_) std::rethrow_exception(first_);
    }

private:
    std::mutex mutex_;
    std::exception_ptr first_;
    std::atomic<bool> failed_{false};
};

}  // namespace

int workerCount() {
    if (const char* forced = std::getenv("KELVRA_THREADS")) {
        int n = std::atoi(forced);
        if (n >= 1 && n <= 64) return n;
    }
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::clamp(CPU_COUNT(&set), 1, 64);
    return std::clamp(int(std::thread::hardware_concurrency()), 1, 64);
}

void forStripes(std::size_t count, std::size_t minStripe,
                const std::function<void(std::size_t, std::size_t)>& work, const std::function<void()>& waiting) {
    if (count == 0) return;
    minStripe = std::max<std::size_t>(minStripe, 1);
    const std::size_t stripes = std::min<std::size_t>(std::size_t(workerCount()), (count + minStripe - 1) / minStripe);
    if (stripes <= 1) {
        work(0, count);
        return;
    }
    FirstFailure failure;
    std::atomic<std::size_t> running{stripes};
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::thread> threads;
    threads.reserve(stripes);
    auto run = [&](std::size_t k) {
        try {
            work(count * k / stripes, count * (k + 1) / stripes);
        } catch (...) {
            failure.keep(std::current_exception());
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (--running == 0) done.notify_all();
    };
    try {
        for (std::size_t k = 0; k < stripes; ++k) threads.emplace_back(run, k);
    } catch (...) {
        // No thread to be had: the stripes that did not start run here.
        failure.keep(std::current_exception());
        for (std::size_t k = threads.size(); k < stripes; ++k) {
            std::lock_guard<std::mutex> lock(mutex);
            --running;
        }
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (running > 0) {
            if (waiting) {
                done.wait_for(lock, std::chrono::milliseconds(50));
                lock.unlock();
                waiting();
                lock.lock();
            } else {
                done.wait(lock);
            }
        }
    }
    for (std::thread& t : threads) t.join();
    failure.rethrow();
}

void makeInOrder(std::size_t count, std::size_t ahead, const std::function<void(std::size_t)>& make,
                 const std::function<void(std::size_t)>& use) {
    if (count == 0) return;
    ahead = std::max<std::size_t>(ahead, 1);
    const int workers = std::min<std::size_t>(std::size_t(workerCount()), count);
    if (workers <= 1 || ahead == 1) {
        for (std::size_t i = 0; i < count; ++i) {
            make(i);
            use(i);
        }
        return;
    }
    // Item i is made once i < used + ahead (its slot is free) and used once made.
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, used = 0;
    std::vector<char> made(count, 0);
    FirstFailure failure;
    auto worker = [&] {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return next >= count || failure.failed() || next < used + ahead; });
                if (next >= count || failure.failed()) return;
                i = next++;
            }
            try {
                make(i);
            } catch (...) {
                failure.keep(std::current_exception());
            }
            std::lock_guard<std::mutex> lock(mutex);
            made[i] = 1;
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    try {
        for (int k = 0; k < workers; ++k) threads.emplace_back(worker);
    } catch (...) {
        if (threads.empty()) {
            for (std::size_t i = 0; i < count; ++i) {
                make(i);
                use(i);
            }
            return;
        }
    }
    std::exception_ptr useFailure;
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return made[i] != 0 || failure.failed(); });
            if (failure.failed()) break;
        }
        try {
            use(i);
        } catch (...) {
            useFailure = std::current_exception();
            failure.keep(useFailure);
        }
        std::lock_guard<std::mutex> lock(mutex);
        ++used;
        changed.notify_all();
        if (useFailure) break;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        next = count;   // the workers stop taking items
        changed.notify_all();
    }
    for (std::thread& t : threads) t.join();
    failure.rethrow();
}

}  // namespace kelvra
