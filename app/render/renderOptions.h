// kelvra-render's command line: what it was asked to do, read by getopt_long
// from one table of options (renderOptions.cpp), which also makes --help. A
// new option is one row of that table and the handler that stores it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/dataImport.h"
#include "output/imageFiles.h"

namespace kelvra {

struct RenderOptions {
    std::vector<std::string> inputs;   // data or launch files, "-" for standard input
    std::string settings;              // -s
    std::string settingsText;          // --set, in order, as settings text (CP932)
    std::string output;                // -o; "-" is standard output
    std::string outputFolder;          // -O
    std::optional<ImageFormat> format; // --format
    std::string writeSettings;
    std::string writeData;
    int width = 775;
    int height = 550;
    int jobs = 0;                      // -j; 0: one per core
    double scale = 1.0;                // --scale: the picture this many times --size, same layout
    bool scaleGiven = false;           // a vector picture's image is then drawn at that scale too
    double dpi = 0;                    // --dpi: the resolution the image file records; 0: none
    bool transparent = false;          // --background transparent
    std::string colormap;              // --colormap: a preset that fills the legend colours
    bool timings = false;
    bool listSettings = false;
    bool watch = false;                // --watch: draw again after every whole change (watchRender.h)
    ImportChoices import;              // --layout, --separator, --decimal

    // The picture's format: --format, else the extension of -o (checked when
    // the line was read), else PNG.
    ImageFormat outputFormat() const;
};

enum class ParseOutcome {
    Run,          // do what the options say
    Done,         // --help or --version was printed: exit 0
    UsageError,   // said on stderr: exit 2
};

// Reads the command line. Usage errors are printed with a pointer to --help.
ParseOutcome parseCommandLine(int argc, char** argv, RenderOptions* options);

// A usage error found after parsing ("nothing to do"), said as parseCommandLine says them.
void usageError(const std::string& what);

// Where -O writes the picture of `input`: the folder, the file's name without
// its extension, and the format's extension.
std::string outputPathIn(const std::string& folder, const std::string& input, ImageFormat format);

}  // namespace kelvra
