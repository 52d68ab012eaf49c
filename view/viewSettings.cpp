// The view's settings operations: the one sequence that follows a bulk change
// of the settings record, and settings files in and out (the menu commands,
// launch files, dropped files, kelvra-render's --settings and
// --write-settings, and the settings section of a data file, which
// loadDataFile hands here). The file format itself is settings/settingsFile.cpp.
#include <cerrno>

#include "base/cp932.h"
#include "base/fileFilter.h"
#include "base/fileIo.h"
#include "view/kelvraView.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "settings/graphTypes.h"
#include "settings/settingsFile.h"

namespace kelvra {

void CKelvraView::settingsChanged() {
    showPosition();
    showZoom();
    showAngles();
    layoutAnchoredOverlays();
    recomputeScales(true);
    rebuildPicture();
}

void CKelvraView::applySettingsText(std::string_view text) {
    PhaseScope phase(Phase::Load);
    readSettingsText(text, settings());
    fitGraphChoiceToData(settings(), data());
    host().resizeFrame(windowWidth, windowHeight);
    settingsChanged();
}

int CKelvraView::loadSettingsFile(const std::string& path) {
    FileRead file = readTextFile(path);
    switch (file.result) {
        case ReadResult::Ok: break;
        case ReadResult::CannotOpen:
            host().showMessageWithReason(sj("ﾌｧｲﾙを開くことが出来ません。"), systemReason(file.error));
            return 0;
        case ReadResult::NoMemory:
            host().showMessageWithReason(sj("メモリー不足です"), systemReason(file.error));
            return 0;
    }
    applySettingsText(file.bytes.view());
    return 1;
}

std::string CKelvraView::settingsText() const { return settingsFileText(settings()); }

int CKelvraView::saveSettingsFile(const std::string& path) {
    if (!writeFileSafely(path, settingsText())) {
        host().showMessageWithReason(sj("設定ﾌｧｲﾙの保存が出来ません"), systemReason(errno));
        return 1;
    }
    return 0;
}

namespace {

FileDialogRequest settingsDialog(const CKelvraView& view, bool save) {
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::SettingsSave : FileDialogKind::SettingsOpen;
    request.save = save;
    request.title = sj(save ? "設定ﾌｧｲﾙの保存" : "設定ﾌｧｲﾙを開く");
    request.filters = {{sj("設定ﾌｧｲﾙ (*.txt)"), "*.txt"}, allFilesFilter()};
    if (view.dataLoaded) request.initialFolder = folderOf(view.dataFilePath);
    request.confirmOverwrite = save;
    return request;
}

}  // namespace

int CKelvraView::chooseAndLoadSettingsFile() {
    std::optional<std::string> path = host().askFileName(settingsDialog(*this, false));
    if (!path) return 0;
    return loadSettingsFile(*path);
}

int CKelvraView::chooseAndSaveSettingsFile() {
    std::optional<std::string> path = host().askFileName(settingsDialog(*this, true));
    if (!path) return 0;   // cancelled: nothing failed
    return saveSettingsFile(*path);
}

}  // namespace kelvra
