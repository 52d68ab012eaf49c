// kelvra: the desktop program. One optional argument, a data file to show or a
// launch file to carry out.
#include <wx/app.h>

#include <csignal>

#include "app/gui/kelvraApp.h"

wxIMPLEMENT_APP_NO_MAIN(kelvra::CKelvraApp);

int main(int argc, char** argv) {
    kelvra::installAssertHandler();
    // A save onto a FIFO whose reader went away fails with EPIPE and its
    // message, instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    return wxEntry(argc, argv);
}
