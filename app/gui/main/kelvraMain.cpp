// kelvra: the desktop program. One optional argument, a data file to show or a
// launch file to carry out.
#include <wx/app.h>

#include "app/gui/kelvraApp.h"

wxIMPLEMENT_APP_NO_MAIN(kelvra::CKelvraApp);

int main(int argc, char** argv) {
    kelvra::installAssertHandler();
    return wxEntry(argc, argv);
}
