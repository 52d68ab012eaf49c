#include "view/kelvraView.h"

#include "render/text.h"

namespace kelvra {

CKelvraView::CKelvraView(ViewHost& host) : host_(host) {}

CKelvraView::~CKelvraView() = default;

}  // namespace kelvra
