// kelvra-render DATA -o IMAGE --watch: the picture of DATA, written once and
// then again each time DATA (or the -s settings file) has been written whole
// by another program (base/liveFile.h), until SIGINT or SIGTERM ends the run
// with status 0. Each picture is drawn afresh, exactly as a run without
// --watch would draw the files as they are then, and written as every
// picture is (beside IMAGE, renamed over it when whole), so a dashboard or a
// web page that shows IMAGE never sees half a picture. One line on stderr per
// picture written; a file that cannot be read, holds no points or looks cut
// short is said there too, and the last picture stays.
#pragma once

#include "app/render/renderOptions.h"
#include "base/fileIo.h"

namespace kelvra {

// Runs the watch with an off-screen GL context current. `first` is DATA as
// the command line read it, to tell a launch file, which --watch refuses.
// The exit status: kExitOk when interrupted, kExitFailed when DATA's folder
// cannot be watched, kExitUsage for a launch file.
int renderWatching(const RenderOptions& options, const FileRead& first);

}  // namespace kelvra
