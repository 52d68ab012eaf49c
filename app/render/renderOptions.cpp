// kelvra-render's options: one table gives getopt_long its options and
// --help its lines (see renderOptions.h).
#include "app/render/renderOptions.h"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "base/appInfo.h"
#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "output/picture.h"
#include "settings/colorMaps.h"
#include "settings/settingsFile.h"

namespace kelvra {
namespace {

enum class Next { Go, Exit, Bad };

struct OptionRow {
    const char* longName;
    char shortName;         // 0: long name only
    const char* argument;   // the argument's name in --help; nullptr: takes none
    const char* help;       // lines after the first begin with '\n'
    Next (*store)(RenderOptions& o, const char* value);
};

void printUsage();

// "--size 800": what is wrong with an option's value, said as usage errors are.
Next badValue(const char* option, const std::string& why) {
    usageError(std::string(option) + ": " + why);
    return Next::Bad;
}

bool parseSize(const char* text, int* w, int* h) {
    char* end = nullptr;
    long a = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X')) return false;
    const char* second = end + 1;
    long b = std::strtol(second, &end, 10);
    if (end == second || *end != '\0') return false;
    if (a < 1 || b < 1 || a > 16384 || b > 16384) return false;
    *w = int(a);
    *h = int(b);
    return true;
}

// A number without the locale: "2", "2.5".
std::optional<double> parseNumber(std::string_view text) {
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A picture scale: a number or a fraction ("600/96") from 1 to 8.
std::optional<double> parseScale(std::string_view text) {
    std::optional<double> k;
    if (std::size_t slash = text.find('/'); slash != std::string_view::npos) {
        std::optional<double> a = parseNumber(text.substr(0, slash)), b = parseNumber(text.substr(slash + 1));
        if (a && b && *b > 0) k = *a / *b;
    } else {
        k = parseNumber(text);
    }
    if (!k || *k < kMinPictureScale || *k > kMaxPictureScale) return std::nullopt;
    return k;
}

constexpr int kMostJobs = 256;

// An import choice by its command-line name; a usage error for another name.
Next storeImportChoice(RenderOptions& o, const char* option, ImportChoice choice, const char* value) {
    std::optional<int> named = optionNamed(choice, value);
    if (!named) return badValue(option, "takes " + optionNames(choice) + ", not \"" + value + "\"");
    o.import.option[std::size_t(choice)] = *named;
    return Next::Go;
}

const OptionRow kOptions[] = {
    {"settings", 's', "FILE", "apply a settings file after the load",
     [](RenderOptions& o, const char* v) { o.settings = v; return Next::Go; }},
    {"set", 0, "KEY=VALUE",
     "set one setting after -s; KEY as a settings file\n"
     "names it (\"表示の設定.倍率=150\"); repeatable",
     [](RenderOptions& o, const char* v) {
         std::string problem;
         std::optional<std::string> text = settingAssignmentText(v, &problem);
         if (!text) return badValue("--set", problem);
         o.settingsText += *text;
         return Next::Go;
     }},
    {"list-settings", 0, nullptr, "list every setting (after -s and --set) with its\nvalue, kind and range, and exit",
     [](RenderOptions& o, const char*) { o.listSettings = true; return Next::Go; }},
    {"output", 'o', "IMAGE",
     "write the picture; the extension chooses the\n"
     "format: .png, .jpg/.jpeg, .bmp, or a vector picture\n"
     ".svg, .pdf, .eps; \"-\": standard output (--format)",
     [](RenderOptions& o, const char* v) { o.output = v; return Next::Go; }},
    {"output-dir", 'O', "DIR", "draw each FILE into DIR as DIR/NAME.png (the data\nfile's name; --format for another format)",
     [](RenderOptions& o, const char* v) { o.outputFolder = v; return Next::Go; }},
    {"format", 0, "FORMAT", "png, jpeg, bmp, svg, pdf or eps: the format of -o\n(whatever the extension) and of -O",
     [](RenderOptions& o, const char* v) {
         o.format = imageFormatNamed(v);
         if (!o.format) return badValue("--format", std::string("unknown format \"") + v + "\" (" + kImageFormatNames + ")");
         return Next::Go;
     }},
    {"jobs", 'j', "N", "draw the files of -O in N processes at once\n(default: one per core)",
     [](RenderOptions& o, const char* v) {
         std::string_view text(v);
         auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), o.jobs);
         if (ec != std::errc() || end != text.data() + text.size() || o.jobs < 1 || o.jobs > kMostJobs)
             return badValue("--jobs", "takes a number from 1 to " + std::to_string(kMostJobs) + ", not \"" + v + "\"");
         return Next::Go;
     }},
    {"size", 0, "WxH", "picture size in pixels (default 775x550); the axis\nindicator and legend are laid out on this size",
     [](RenderOptions& o, const char* v) {
         if (!parseSize(v, &o.width, &o.height))
             return badValue("--size", std::string("takes WIDTHxHEIGHT between 1x1 and 16384x16384, not \"") + v + "\"");
         return Next::Go;
     }},
    {"layout", 0, "LAYOUT",
     "read a FILE that is not in the program's own\n"
     "layout as grid (X across the first row, Y down the\n"
     "first column), xyz, xyzv, vectors or vectorsv\n"
     "(X, Y, Z [, data] or X, Y, Z, Vx, Vy, Vz [, data]\n"
     "in columns); detected without it",
     [](RenderOptions& o, const char* v) { return storeImportChoice(o, "--layout", ImportChoice::Layout, v); }},
    {"separator", 0, "SEP", "the separator of such a FILE: comma, semicolon,\ntab or space (runs of blanks); detected without it",
     [](RenderOptions& o, const char* v) { return storeImportChoice(o, "--separator", ImportChoice::Separator, v); }},
    {"decimal", 0, "MARK", "its decimal mark: point or comma; detected without it",
     [](RenderOptions& o, const char* v) { return storeImportChoice(o, "--decimal", ImportChoice::Decimal, v); }},
    {"scale", 0, "K",
     "draw the picture K times --size (1 to 8, fractions\n"
     "allowed: 2.5, 600/96) with every text, line, point\n"
     "and margin K times as large; for a vector picture,\n"
     "the graph's image at K (default 300/96)",
     [](RenderOptions& o, const char* v) {
         std::optional<double> k = parseScale(v);
         if (!k) return badValue("--scale", std::string("takes a number from 1 to 8 (2, 2.5, 600/96), not \"") + v + "\"");
         o.scale = *k;
         o.scaleGiven = true;
         return Next::Go;
     }},
    {"dpi", 0, "N", "record N dots per inch in the PNG, JPEG or BMP file\n(nothing is drawn differently)",
     [](RenderOptions& o, const char* v) {
         std::optional<double> dpi = parseNumber(v);
         if (!dpi || *dpi < 1 || *dpi > 100000)
             return badValue("--dpi", std::string("takes a number of dots per inch from 1 to 100000, not \"") + v + "\"");
         o.dpi = *dpi;
         return Next::Go;
     }},
    {"background", 0, "KIND",
     "white (the default) or transparent: PNG with an alpha\n"
     "channel, SVG, PDF and EPS without the white page",
     [](RenderOptions& o, const char* v) {
         const std::string kind = v;
         if (kind != "white" && kind != "transparent")
             return badValue("--background", "takes white or transparent, not \"" + kind + "\"");
         o.transparent = kind == "transparent";
         return Next::Go;
     }},
    {"colormap", 0, "NAME",
     "fill the legend colours from a colour map (after -s\n"
     "and --set): default, viridis, cividis, magma, grey,\n"
     "diverging",
     [](RenderOptions& o, const char* v) {
         if (!colorMapNamed(v)) return badValue("--colormap", std::string("unknown colour map \"") + v + "\" (" + colorMapNames() + ")");
         o.colormap = v;
         return Next::Go;
     }},
    {"write-settings", 0, "FILE", "write the settings as a settings file",
     [](RenderOptions& o, const char* v) { o.writeSettings = v; return Next::Go; }},
    {"write-data", 0, "FILE", "save the data set with the settings appended",
     [](RenderOptions& o, const char* v) { o.writeData = v; return Next::Go; }},
    {"watch", 0, nullptr,
     "write the picture, then follow FILE (and the -s file):\n"
     "draw it again each time it has been written whole,\n"
     "until interrupted (SIGINT, SIGTERM: status 0); one\n"
     "line on stderr per picture",
     [](RenderOptions& o, const char*) { o.watch = true; return Next::Go; }},
    {"timings", 0, nullptr, "print the time of each phase on stderr",
     [](RenderOptions& o, const char*) { o.timings = true; return Next::Go; }},
    {"help", 'h', nullptr, "show this help and exit",
     [](RenderOptions&, const char*) { printUsage(); return Next::Exit; }},
    {"version", 0, nullptr, "show the version and exit",
     [](RenderOptions&, const char*) { std::printf("kelvra-render %s\n", kAppTitle); return Next::Exit; }},
};
constexpr int kOptionCount = int(std::size(kOptions));
// getopt_long's value for a row without a short name: past every character.
constexpr int kLongOnly = 256;

int valueOf(int row) { return kOptions[row].shortName ? kOptions[row].shortName : kLongOnly + row; }

int rowOfValue(int value) {
    for (int i = 0; i < kOptionCount; ++i)
        if (valueOf(i) == value) return i;
    return -1;
}

void printUsage() {
    std::fputs(
        "Usage: kelvra-render [OPTIONS] FILE -o IMAGE\n"
        "       kelvra-render [OPTIONS] FILE... -O DIR [-j N]\n"
        "       kelvra-render [OPTIONS] DATA -o IMAGE --watch\n"
        "       kelvra-render --list-settings [-s FILE] [--set KEY=VALUE]...\n"
        "\n"
        "Draws a graph of a data FILE without a display. A FILE whose first line\n"
        "begins with \"[\" is carried out as a launch file (Data_File_Name,\n"
        "Setting_File_Name, Image_File_Name; a relative path is taken from the current\n"
        "folder when it is there, else from the launch file's folder; Soft_On has no\n"
        "effect here). \"-\" reads the FILE from standard input.\n"
        "\n"
        "A FILE that is not in the program's own layout (a spreadsheet's or a\n"
        "script's CSV, tab or space separated text) is imported: its encoding,\n"
        "separator, decimal mark, header and layout are detected, the decision is\n"
        "printed on stderr in one line, and --layout, --separator and --decimal (or\n"
        "a launch file's Data_Layout, Data_Separator and Data_Decimal) override it.\n"
        "\n",
        stdout);
    for (const OptionRow& row : kOptions) {
        std::string left = row.shortName ? std::string("  -") + row.shortName + ", --" : std::string("      --");
        left += row.longName;
        if (row.argument) left += std::string("=") + row.argument;
        left.resize(std::max<std::size_t>(left.size() + 2, 28), ' ');
        std::string help = row.help;
        for (std::size_t nl = 0; (nl = help.find('\n', nl)) != std::string::npos; nl += 29)
            help.insert(nl + 1, std::string(28, ' '));
        std::printf("%s%s\n", left.c_str(), help.c_str());
    }
    std::fputs(
        "\n"
        "Order: load the data, apply -s, then each --set, write the settings and data\n"
        "files, draw, write the picture. Messages go to stderr as \"kelvra-render: FILE:\n"
        "reason: message\".\n"
        "\n"
        "--watch reads a file once it was closed after writing or renamed over its name\n"
        "and then held still for 0.1 s; one that cannot be read, holds no points, or\n"
        "holds fewer than the last picture while it may still grow leaves the picture\n"
        "as it was. A file deleted or renamed away is waited for under its name.\n"
        "\n"
        "Exit status: 0 when everything asked for was done; 1 when a file it was asked\n"
        "to read or write failed (with -O: any of the files); 2 for a usage error;\n"
        "3 when a data file held no points (the picture is still written).\n",
        stdout);
}

// Rules between the options, once all are read.
bool optionsAgree(RenderOptions& o) {
    if (o.listSettings) {
        if (o.inputs.empty()) return true;
        usageError("--list-settings reads no input file");
        return false;
    }
    if (o.inputs.empty()) {
        usageError("no input file");
        return false;
    }
    if (std::lround(o.width * o.scale) > kMaxPictureSide || std::lround(o.height * o.scale) > kMaxPictureSide) {
        usageError("--size times --scale is larger than " + std::to_string(kMaxPictureSide) + " pixels a side");
        return false;
    }
    const bool many = !o.outputFolder.empty();
    if (many && !o.output.empty()) {
        usageError("-o and -O cannot be used together");
        return false;
    }
    if (o.inputs.size() > 1 && !many) {
        usageError("several files are drawn with -O DIR");
        return false;
    }
    if (o.inputs.size() > 1 && !(o.writeSettings.empty() && o.writeData.empty())) {
        usageError("--write-settings and --write-data take one input file");
        return false;
    }
    if (many && std::find(o.inputs.begin(), o.inputs.end(), "-") != o.inputs.end()) {
        usageError("standard input has no name to draw it under with -O; use -o");
        return false;
    }
    if (o.writeSettings == "-" || o.writeData == "-") {
        usageError("--write-settings and --write-data write files only, not standard output");
        return false;
    }
    if (o.output == "-") {
        if (!o.format) {
            usageError(std::string("-o - needs --format (") + kImageFormatNames + ")");
            return false;
        }
        if (isatty(STDOUT_FILENO)) {
            usageError("-o -: standard output is a terminal; redirect it to a file or a pipe");
            return false;
        }
    } else if (!o.output.empty() && !o.format && !imageFormatOfExtension(o.output)) {
        usageError(o.output + ": unknown picture format; name it .png, .jpg, .jpeg, .bmp, .svg, .pdf or .eps, "
                              "or give --format");
        return false;
    }
    if (o.watch) {
        const char* problem = many ? "--watch follows one FILE drawn with -o IMAGE, not -O"
                              : o.output.empty() ? "--watch needs -o IMAGE"
                              : o.output == "-" ? "--watch writes a file again and again; -o - cannot be one"
                              : o.inputs.front() == "-" ? "--watch follows a file by its name; standard input has none"
                              : !(o.writeSettings.empty() && o.writeData.empty())
                                  ? "--watch writes only the picture, not --write-settings or --write-data"
                                  : nullptr;
        if (problem) {
            usageError(problem);
            return false;
        }
    }
    if (many) {
        // Two files of one name would overwrite each other's picture.
        std::set<std::string> outputs;
        for (const std::string& input : o.inputs) {
            if (outputs.insert(outputPathIn(o.outputFolder, input, o.outputFormat())).second) continue;
            usageError(input + ": another FILE has the same name; its picture would overwrite the other");
            return false;
        }
    }
    return true;
}

}  // namespace

ImageFormat RenderOptions::outputFormat() const {
    if (format) return *format;
    return imageFormatOfExtension(output).value_or(ImageFormat::Png);
}

void usageError(const std::string& what) {
    std::fprintf(stderr, "kelvra-render: %s\nTry 'kelvra-render --help' for more information.\n", what.c_str());
}

std::string outputPathIn(const std::string& folder, const std::string& input, ImageFormat format) {
    std::string name = fileNameOf(input);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return (folder.ends_with('/') ? folder : folder + "/") + name + imageFormatExtension(format);
}

ParseOutcome parseCommandLine(int argc, char** argv, RenderOptions* o) {
    std::string shortOptions = ":";   // ':' first: a missing argument is told apart
    std::vector<option> longOptions;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionRow& row = kOptions[i];
        if (row.shortName) shortOptions += std::string(1, row.shortName) + (row.argument ? ":" : "");
        longOptions.push_back({row.longName, row.argument ? required_argument : no_argument, nullptr, valueOf(i)});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    opterr = 0;   // the messages below name the program as every other message does
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        const char* given = argv[optind - 1];
        if (c == '?' || c == ':') {
            int row = rowOfValue(optopt);
            std::string name = std::string(given).substr(0, std::string(given).find('='));
            if (c == ':')
                usageError("option '" + (row >= 0 && std::string(given).starts_with("--") ? name : "-" + std::string(1, char(optopt))) +
                           "' needs an argument");
            else if (row >= 0 && std::string(given).starts_with("--"))
                usageError("option '" + name + "' takes no argument");
            else if (optopt > 0 && optopt < kLongOnly)
                usageError(std::string("unknown option '-") + char(optopt) + "'");
            else
                usageError("unknown option '" + name + "'");
            return ParseOutcome::UsageError;
        }
        int row = rowOfValue(c);
        if (row < 0) return ParseOutcome::UsageError;
        switch (kOptions[row].store(*o, optarg)) {
            case Next::Go: break;
            case Next::Exit: return ParseOutcome::Done;
            case Next::Bad: return ParseOutcome::UsageError;
        }
    }
    for (int i = optind; i < argc; ++i) o->inputs.push_back(argv[i]);
    return optionsAgree(*o) ? ParseOutcome::Run : ParseOutcome::UsageError;
}

}  // namespace kelvra
