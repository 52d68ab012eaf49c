// The data file reader on arbitrary bytes: a first load (the format number is
// read as an integer when its first character is not 1-7), then a reload (the
// previous format is kept), each followed by the scale recompute and any
// settings section the file carries. No GL context: the lists stay unbuilt.
#include <cstdint>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "fuzz/fuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvra;
    const std::string& path = fuzz::writeInput(data, size);
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    if (view.loadDataFile(path, false)) view.loadDataFile(path, true);
    return 0;
}
