// The profile (base/profile.h) as the desktop program uses it: read when it
// is needed and written back at once after each change, so that a crash
// loses nothing and two running copies of the program add to one list.
#pragma once

#include <functional>
#include <string>

#include "base/profile.h"

namespace kelvra {

// Reads the profile, applies `change` and writes it back. A profile that
// cannot be written is reported on stderr, once per run: the program goes
// on without it.
void updateProfile(const std::function<void(Profile&)>& change);

// A data file opened, dropped, reloaded or saved: made absolute against the
// working folder, it goes first in the recent-file list. Only a regular file
// counts; a pipe or a device read as data is not one to open again.
void noteRecentFile(const std::string& path);

// The working folder, or "/" when it cannot be read.
std::string workingFolder();

}  // namespace kelvra
