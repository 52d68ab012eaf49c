// The help file and the product page (see helpCommands.h).
//
// The help file is looked at before anything is asked to open it: the
// application that shows it starts on its own, and a viewer that finds no
// file would only report it in its own window, or not at all.
#include "app/gui/helpCommands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "app/gui/desktopOpen.h"
#include "base/cp932.h"
#include "base/viewHost.h"

namespace kelvra {

const char* const kProductPage = KELVRA_HOMEPAGE;
const char* const kAuthorMail = KELVRA_CONTACT;

namespace {
const char kHelpFileName[] = "Kelvra.chm";
}

std::string helpFilePath() {
    char folder[PATH_MAX];
    if (!getcwd(folder, sizeof folder)) return kHelpFileName;
    return std::string(folder) + "/" + kHelpFileName;
}

bool openHelpContents(const std::string& helpPath, ViewHost& host) {
    struct stat st;
    bool isFile = stat(helpPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (isFile && openWithDefaultApplication(helpPath).ok()) return true;
    host.showMessage(sj("ヘルプファイルがありません"));
    return false;
}

bool openProductPage(ViewHost& host) {
    if (openWithDefaultApplication(kProductPage).ok()) return true;
    host.showMessage(sj("最新版のﾀﾞｳﾝﾛｰﾄﾞができません。"));
    return false;
}

}  // namespace kelvra
