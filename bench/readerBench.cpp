// kelvra-reader-bench: loads data files with the real reader (CKelvraView::
// loadDataFile on a HeadlessHost, no GL context, so no lists are built) and
// reports the time and throughput of each load: the file read, the sizing
// pass, parsing, sorting (format 2 and 3) and the scale recompute.
//
//   kelvra-reader-bench [--repeat N] FILE...
// Prints, per file: size, points, best and median seconds of N loads, MB/s of the best.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/headlessHost.h"
#include "view/kelvraView.h"

int main(int argc, char** argv) {
    int repeat = 5;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: kelvra-reader-bench [--repeat N] FILE...\n");
        return 2;
    }
    std::printf("%-40s %9s %10s %9s %9s %9s\n", "file", "MB", "points", "best s", "median s", "MB/s");
    int failures = 0;
    for (const char* path : files) {
        struct stat st;
        if (stat(path, &st) != 0) {
            std::fprintf(stderr, "kelvra-reader-bench: no file %s\n", path);
            ++failures;
            continue;
        }
        double mb = double(st.st_size) / 1e6;
        std::vector<double> times;
        long long points = 0;
        for (int k = 0; k < repeat; ++k) {
            kelvra::HeadlessHost host;
            kelvra::CKelvraView view(host);
            auto t0 = std::chrono::steady_clock::now();
            bool ok = view.loadDataFile(path, false);
            times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            if (!ok) {
                ++failures;
                break;
            }
            points = view.data.dataKind == kelvra::Grid ? (long long)view.data.rowCount * view.data.columnCount : view.data.pointCount;
        }
        std::sort(times.begin(), times.end());
        const char* name = std::strrchr(path, '/') ? std::strrchr(path, '/') + 1 : path;
        std::printf("%-40s %9.1f %10lld %9.3f %9.3f %9.0f\n", name, mb, points, times.front(),
                    times[times.size() / 2], mb / times.front());
    }
    return failures ? 1 : 0;
}
