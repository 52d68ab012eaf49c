// The settings file reader on arbitrary bytes, then the settings written back
// out as text, which must cope with whatever was read.
#include <cstdint>

#include "fuzz/fuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = kelvra::fuzz::writeInput(data, size);
    kelvra::fuzz::QuietView q;
    if (q.view.loadSettingsFile(path)) (void)q.view.settingsText();
    return 0;
}
