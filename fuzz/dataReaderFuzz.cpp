// The data file reader on arbitrary bytes: a first load (the format number is
// read as an integer when its first character is not 1-7), then a reload (the
// previous format is kept), each followed by the scale recompute and any
// settings section the file carries. No GL context: the lists stay unbuilt.
#include <cstdint>

#include "fuzz/fuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kelvra::fuzz::writeInput(data, size);
    kelvra::fuzz::QuietView q;
    if (q.view.loadDataFile(path, false)) q.view.loadDataFile(path, true);
    return 0;
}
