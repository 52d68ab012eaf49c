// kelvra-render FILE... -O DIR: many files drawn by worker processes, each
// with its own off-screen GL context, which it keeps from file to file.
//
// The parent hands out one file at a time to whichever worker is free, passes
// on the workers' messages a whole line at a time, keeps a progress line on
// stderr when stderr is a terminal, and ends with a summary line. A worker
// that dies takes only the file it was drawing with it: the file is reported
// and a new worker takes its place.
#pragma once

#include "app/render/renderOptions.h"

namespace kelvra {

// The number of cores this process may run on.
int availableCores();

// Draws every input into options.outputFolder; the exit status of the whole
// run: kExitFailed when any file failed (the others are still drawn), else
// kExitNoPoints when any held no points, else kExitOk.
int renderManyFiles(const RenderOptions& options);

}  // namespace kelvra
