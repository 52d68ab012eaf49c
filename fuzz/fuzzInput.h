// The readers take paths, so each fuzz input is written to a file of its own
// first: one per process, in memory (/dev/shm) when it exists, so that the
// write costs no disk traffic. The view the readers fill keeps its messages
// to itself.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/headlessHost.h"
#include "view/kelvraView.h"

namespace kelvra::fuzz {

inline const std::string& inputPath() {
    static const std::string path = [] {
        const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(dir) + "/kelvra-fuzz-" + std::to_string(::getpid()) + ".txt";
    }();
    static const bool removedAtExit = [] { return std::atexit([] { std::remove(path.c_str()); }) == 0; }();
    (void)removedAtExit;
    return path;
}

// Writes the bytes to inputPath() and returns it.
inline const std::string& writeInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = inputPath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

// A fresh view without a window whose messages are recorded, not printed.
struct QuietView {
    HeadlessHost host;
    CKelvraView view{host};
    QuietView() { host.printMessages = false; }
};

}  // namespace kelvra::fuzz
