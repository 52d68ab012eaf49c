// The defaults of the settings record, made once from the member initialisers
// of GraphSettings; whatever restores a default (the view reset) takes it here.
#include "settings/graphSettings.h"

namespace kelvra {

const GraphSettings& defaultSettings() {
    static const GraphSettings fresh;
    return fresh;
}

}  // namespace kelvra
