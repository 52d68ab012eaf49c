#include "core/kelvraView.h"

namespace kelvra {

int CKelvraView::writeDataFile(const std::string& path, const std::string& settingsText) { return 1; }
bool CKelvraView::saveDataCommand() { return false; }

}  // namespace kelvra
