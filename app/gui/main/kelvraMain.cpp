// kelvra: the desktop program. One optional argument, a data file to show or a
// launch file to carry out; --help and --version answer without a window.
#include <wx/app.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "app/gui/kelvraApp.h"
#include "base/appInfo.h"

wxIMPLEMENT_APP_NO_MAIN(kelvra::CKelvraApp);

namespace {

const char kUsage[] =
    "Usage: kelvra [DATA_FILE | LAUNCH_FILE]\n"
    "       kelvra --help | --version\n"
    "\n"
    "Opens a window that shows a three-dimensional graph of DATA_FILE, or carries\n"
    "out LAUNCH_FILE, a file whose first line begins with \"[\" (Data_File_Name,\n"
    "Setting_File_Name, Image_File_Name, Soft_On=NO to end once the picture is\n"
    "written; a relative path is taken from the current folder when it is there,\n"
    "else from the launch file's folder). With no argument, or more than one, the\n"
    "window opens empty. kelvra-render draws the same pictures without a window.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Exit status: 0; 1 when a launch with Soft_On=NO could not read or write a\n"
    "file it names.\n";

// --help and --version, before the toolkit opens a display; -1 when neither
// was asked for. A lone argument is a file name unless it is one of these.
int answerInfoOptions(int argc, char** argv) {
    if (argc != 2) return -1;
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fputs(kUsage, stdout);
    } else if (!std::strcmp(argv[1], "--version")) {
        std::printf("kelvra %s\n", kelvra::kAppTitle);
    } else {
        return -1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (int status = answerInfoOptions(argc, argv); status >= 0) return status;
    kelvra::installAssertHandler();
    // A save onto a FIFO whose reader went away fails with EPIPE and its
    // message, instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    return wxEntry(argc, argv);
}
