#include "core/kelvraView.h"

namespace kelvra {

bool CKelvraView::loadDataFile(const std::string& path, bool reload) { return false; }
bool CKelvraView::chooseDataFile() { return false; }
bool CKelvraView::reloadDataFile() { return false; }
void CKelvraView::fitGraphChoiceToData() {}

}  // namespace kelvra
