// The toolbar images, compiled in from the XPM files of res/toolbar/.
#include "app/gui/toolbarImages.h"

#include "res/toolbar/autoreload.xpm"
#include "res/toolbar/copy.xpm"
#include "res/toolbar/move.xpm"
#include "res/toolbar/open.xpm"
#include "res/toolbar/pick.xpm"
#include "res/toolbar/planexy.xpm"
#include "res/toolbar/planexz.xpm"
#include "res/toolbar/planeyz.xpm"
#include "res/toolbar/reload.xpm"
#include "res/toolbar/reset.xpm"
#include "res/toolbar/rotate.xpm"
#include "res/toolbar/save.xpm"
#include "res/toolbar/saveimage.xpm"
#include "res/toolbar/section.xpm"
#include "res/toolbar/settings.xpm"
#include "res/toolbar/zoom.xpm"

namespace kelvra {

wxBitmap toolImage(ToolImage image) {
    switch (image) {
        case ToolImage::None: return wxBitmap();
        case ToolImage::Open: return wxBitmap(open_xpm);
        case ToolImage::Reload: return wxBitmap(reload_xpm);
        case ToolImage::AutoReload: return wxBitmap(autoreload_xpm);
        case ToolImage::Save: return wxBitmap(save_xpm);
        case ToolImage::SaveImage: return wxBitmap(saveimage_xpm);
        case ToolImage::Copy: return wxBitmap(copy_xpm);
        case ToolImage::Settings: return wxBitmap(settings_xpm);
        case ToolImage::Move: return wxBitmap(move_xpm);
        case ToolImage::Zoom: return wxBitmap(zoom_xpm);
        case ToolImage::Rotate: return wxBitmap(rotate_xpm);
        case ToolImage::Section: return wxBitmap(section_xpm);
        case ToolImage::Pick: return wxBitmap(pick_xpm);
        case ToolImage::Reset: return wxBitmap(reset_xpm);
        case ToolImage::PlaneXY: return wxBitmap(planexy_xpm);
        case ToolImage::PlaneXZ: return wxBitmap(planexz_xpm);
        case ToolImage::PlaneYZ: return wxBitmap(planeyz_xpm);
    }
    return wxBitmap();
}

}  // namespace kelvra
