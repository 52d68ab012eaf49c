#include "core/kelvraView.h"

namespace kelvra {

int CKelvraView::loadSettingsFile(const std::string& path, int lineBufferSize) { return 0; }
int CKelvraView::applySettingsText(std::string_view text, int lineBufferSize) { return 0; }
int CKelvraView::saveSettingsFile(const std::string& path) { return 1; }
std::string CKelvraView::settingsText() const { return {}; }
int CKelvraView::chooseAndLoadSettingsFile() { return 0; }
int CKelvraView::chooseAndSaveSettingsFile() { return 1; }

}  // namespace kelvra
