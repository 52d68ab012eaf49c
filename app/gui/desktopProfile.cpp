// The profile as the desktop program uses it (see desktopProfile.h).
#include "app/gui/desktopProfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace kelvra {

std::string workingFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) ? std::string(folder) : std::string("/");
}

void updateProfile(const std::function<void(Profile&)>& change) {
    Profile profile = loadProfile();
    change(profile);
    if (saveProfile(profile)) return;
    static bool reported = false;
    if (reported) return;
    reported = true;
    const std::string path = profilePath();
    std::fprintf(stderr, "kelvra: %s: %s (recent files and the window's place are not kept)\n",
                 path.empty() ? "$HOME" : path.c_str(), std::strerror(errno));
}

void noteRecentFile(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const std::string absolute = absolutePath(path, workingFolder());
    updateProfile([&](Profile& profile) { addRecentFile(profile.recentFiles, absolute); });
}

}  // namespace kelvra
