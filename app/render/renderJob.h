// One input drawn by kelvra-render: load (or carry out a launch file), apply
// -s and --set, write the settings and data files, draw, write the picture.
// The single-file run and every worker of a many-file run go through here,
// each with its own off-screen GL context current.
#pragma once

#include <optional>
#include <string>

#include "app/render/renderOptions.h"
#include "base/fileIo.h"

namespace kelvra {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;     // a file asked for could not be read or written
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoPoints = 3;   // the data file held no points; the picture is still written

// Where the picture goes: a path, "-" for standard output, or nowhere ("").
struct PictureOutput {
    std::string path;
    ImageFormat format = ImageFormat::Png;
};

class CKelvraView;
class HeadlessHost;

// The picture of the view in its format, written where the output says. An
// image already drawn (`drawn`) is written as it is; a vector picture is
// always drawn afresh. False after the message.
bool writePicture(CKelvraView& view, HeadlessHost& host, const RenderOptions& o, const PictureOutput& out,
                  const std::optional<ImageBuffer>& drawn);

// Reads an input as kelvra-render takes it: "-" is standard input.
FileRead readInput(const std::string& input);

// True when the input, already read, asks for something by itself: a launch
// file that names an image.
bool inputWritesAPicture(const FileRead& input);

// Draws one input, already read, with the options; messages on stderr. The
// exit status of that input alone (kExitOk, kExitFailed, kExitNoPoints).
int renderInput(const RenderOptions& options, const std::string& input, FileRead bytes, const PictureOutput& output);

}  // namespace kelvra
