// The program's name and version as they appear in captions, message boxes and
// in the files it writes. Every file the program writes is CP932; these are
// plain ASCII, so the same bytes serve both encodings.
#pragma once

namespace kelvra {

inline constexpr const char* kAppTitle = "Kelvra ver.1.52";
inline constexpr const char* kAppName = "Kelvra";
inline constexpr const char* kVersion = "1.52";

}  // namespace kelvra
