// The settings file reader on arbitrary bytes, then the settings written back
// out as text, which must cope with whatever was read.
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
    if (view.loadSettingsFile(path) == 1) (void)view.settingsText();
    return 0;
}
