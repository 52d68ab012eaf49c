// kelvra-reader-bench: loads data files with the real reader (CKelvraView::
// loadDataFile on a HeadlessHost, no GL context, so no lists are built) and
// reports the time and throughput of each load: the file read, the sizing
// pass, parsing, sorting (format 2 and 3) and the scale recompute.
//
//   kelvra-reader-bench [--repeat N] [--dialects] FILE...
// Prints, per file: size, points, best and median seconds of N loads, MB/s of the best.
// --dialects: each column grid FILE is also written, in a scratch folder, as a
// spreadsheet exports it (commas without header lines, every cell quoted,
// semicolons with decimal commas, tab-separated UTF-16, runs of spaces) and
// those are loaded too, through the import, in the same run.
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"

namespace {

struct Dialect {
    const char* name;
    char separator;
    bool decimalComma, quoted, utf16;
};
const Dialect kDialects[] = {
    {"comma", ',', false, false, false},   {"quoted", ',', false, true, false},
    {"semicolon-de", ';', true, false, false}, {"tab-utf16", '\t', false, false, true},
    {"spaces", ' ', false, false, false},
};

// A column grid as a spreadsheet writes it: the X row under an empty corner, then Y and the Z values.
std::string gridText(const kelvra::GraphData& d, const Dialect& dialect) {
    std::string text;
    auto cell = [&](double v) {
        char buf[32];
        char* end = std::to_chars(buf, buf + sizeof buf, v).ptr;
        if (dialect.decimalComma) std::replace(buf, end, '.', ',');
        if (dialect.quoted) text += '"';
        text.append(buf, end);
        if (dialect.quoted) text += '"';
    };
    for (int c = 0; c < d.columnCount; ++c) {
        text += dialect.separator;
        cell(d.gridPointAt(0, c)[0]);
    }
    text += "\r\n";
    for (int r = 0; r < d.rowCount; ++r) {
        cell(d.gridPointAt(r, 0)[1]);
        for (int c = 0; c < d.columnCount; ++c) {
            text += dialect.separator;
            cell(d.gridPointAt(r, c)[2]);
        }
        text += "\r\n";
    }
    if (!dialect.utf16) return text;
    std::string wide = "\xFF\xFE";
    for (char ch : text) {
        wide += ch;
        wide += '\0';
    }
    return wide;
}

// The dialect files of each column grid among `files`, in `folder`.
std::vector<std::string> dialectFiles(const std::vector<const char*>& files, const std::string& folder) {
    std::vector<std::string> made;
    for (const char* path : files) {
        kelvra::HeadlessHost host;
        host.printMessages = false;
        kelvra::CKelvraView view(host);
        if (!view.loadDataFile(path, false) || view.data.dataKind != kelvra::Grid || view.data.dataFormat != 1) continue;
        std::string base = std::strrchr(path, '/') ? std::strrchr(path, '/') + 1 : path;
        for (const Dialect& dialect : kDialects) {
            made.push_back(folder + "/" + base + "." + dialect.name);
            kelvra::writeFileSafely(made.back(), gridText(view.data, dialect));
        }
    }
    return made;
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 5;
    bool dialects = false;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--dialects")) dialects = true;
        else files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: kelvra-reader-bench [--repeat N] [--dialects] FILE...\n");
        return 2;
    }
    char scratch[] = "/tmp/kelvra-reader-bench-XXXXXX";
    std::vector<std::string> made;
    if (dialects && mkdtemp(scratch)) made = dialectFiles(files, scratch);
    for (const std::string& m : made) files.push_back(m.c_str());
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
            host.printMessages = false;
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
    for (const std::string& m : made) unlink(m.c_str());
    if (!made.empty()) rmdir(scratch);
    return failures ? 1 : 0;
}
