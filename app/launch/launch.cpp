#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::runStartupArgument(const std::string& path) {}

}  // namespace kelvra

namespace kelvra {

LaunchResult CKelvraView::runLaunchFile(const std::string& path, PixelSize picture) { return {}; }

}  // namespace kelvra
