// The launch-file readers on arbitrary bytes: every key a launch file can hold
// (and a key that matches every line), the path conversion of each value, and
// the start-up probe and the dropped-file probe.
#include <cstdint>

#include "app/launch/launch.h"
#include "base/textInput.h"
#include "fuzz/fuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvra;
    static const char* const kKeys[] = {"Data_File_Name", "Setting_File_Name", "Image_File_Name", "Soft_On", ""};
    const std::string& path = fuzz::writeInput(data, size);
    for (const char* key : kKeys) {
        if (auto value = readLaunchKey(path, key)) (void)launchPathToFileName(*value);
    }
    (void)startupKindOf(readTextFile(path));
    (void)classifyDroppedFile(path);
    return 0;
}
