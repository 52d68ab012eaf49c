// Address space left; see memory.h.
#include "base/memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace kelvra {

std::size_t addressSpaceLeft() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    // The first field of /proc/self/statm: the process's size in pages.
    unsigned long long pages = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    const unsigned long long held = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
    return held < limit.rlim_cur ? std::size_t(limit.rlim_cur - held) : 0;
}

}  // namespace kelvra
