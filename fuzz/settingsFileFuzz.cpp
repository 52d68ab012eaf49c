// The settings file reader on arbitrary bytes, at the line-buffer sizes its
// callers use and at degenerate ones (the first byte picks the size), then the
// settings written back out as text, which must cope with whatever was read.
#include <cstdint>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "fuzz/fuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvra;
    static const int kLineBufferSizes[] = {2500, 1250, 2, 1, 0, 7, 100, 10000};
    int lineBufferSize = size > 0 ? kLineBufferSizes[data[0] % 8] : 2500;
    const std::string& path = size > 0 ? fuzz::writeInput(data + 1, size - 1) : fuzz::writeInput(data, 0);
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    if (view.loadSettingsFile(path, lineBufferSize) == 1) (void)view.settingsText();
    return 0;
}
