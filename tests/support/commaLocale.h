// A numeric locale whose decimal point is a comma, as a German user's is: for
// tests that numbers in data and settings files do not follow the process locale.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kelvra::test {

// Selects a comma-decimal LC_NUMERIC: an installed one, or else a minimal one
// built with localedef in `folder`. False when none can be had.
inline bool useCommaDecimalLocale(const std::string& folder) {
    auto commaDecimal = [] {
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        return std::string(probe) == "1,5";
    };
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name) && commaDecimal()) return true;
    std::ofstream(folder + "/comma") << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\n"
                                        "grouping 3;3\nEND LC_NUMERIC\n";
    std::string command = "localedef -c -i '" + folder + "/comma' -f UTF-8 '" + folder + "/xx_XX.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) == -1) return false;
    setenv("LOCPATH", folder.c_str(), 1);
    bool selected = std::setlocale(LC_NUMERIC, "xx_XX.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    return selected && commaDecimal();
}

// Puts the "C" numeric locale back when it goes, whatever the test did.
struct RestoreCNumericLocale {
    ~RestoreCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }
};

}  // namespace kelvra::test
