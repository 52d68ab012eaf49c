// The help and the product page (see helpCommands.h).
//
// What is to be opened is looked at before anything is asked to open it: the
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
// From the program's folder (the build gives both, from its install layout).
const char kInstalledManual[] = KELVRA_MANUAL_FROM_PROGRAM;
const char kBuiltManual[] = KELVRA_MANUAL_IN_BUILD;

bool isFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::string helpFilePath() {
    char folder[PATH_MAX];
    if (!getcwd(folder, sizeof folder)) return kHelpFileName;
    return std::string(folder) + "/" + kHelpFileName;
}

std::string manualStartPageFor(const std::string& programPath) {
    std::string folder = folderOf(programPath);
    std::string installed = folder + "/" + kInstalledManual;
    if (isFile(installed)) return installed;
    std::string built = folder + "/" + kBuiltManual;
    return isFile(built) ? built : installed;
}

std::string manualStartPage() {
    char program[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", program, sizeof program - 1);
    if (n <= 0) return manualStartPageFor("./kelvra");
    return manualStartPageFor(std::string(program, std::size_t(n)));
}

bool openHelpContents(const std::string& helpPath, const std::string& manualPage, ViewHost& host) {
    if (isFile(helpPath) && openWithDefaultApplication(helpPath).ok()) return true;
    if (!isFile(manualPage)) {
        host.showMessage(sj("ヘルプファイルがありません") + "\n" + utf8ToCp932(manualPage));
        return false;
    }
    OpenResult opened = openWithWebBrowser(manualPage);
    if (opened.ok()) return true;
    if (opened.failure == OpenFailure::NoApplication)
        host.showMessage(sj("ﾍﾙﾌﾟを表示するﾌﾞﾗｳｻﾞがありません。"));
    else
        host.showMessage(sj("ﾌﾞﾗｳｻﾞを起動できません。") + "\n" + openFailureText(opened));
    return false;
}

bool openProductPage(ViewHost& host) {
    if (openWithDefaultApplication(kProductPage).ok()) return true;
    host.showMessage(sj("最新版のﾀﾞｳﾝﾛｰﾄﾞができません。"));
    return false;
}

}  // namespace kelvra
