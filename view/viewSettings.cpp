// The view's settings files: the menu commands, launch files, dropped files,
// kelvra-render's --settings and --write-settings, and the settings section
// of a data file, which the data load hands here. The file format itself is
// settings/settingsFile.cpp; what follows a change is view/viewChange.cpp.
#include <cerrno>

#include "base/cp932.h"
#include "base/fileFilter.h"
#include "base/fileIo.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "settings/settingsFile.h"
#include "view/kelvraView.h"

namespace kelvra {

void CKelvraView::applySettingsText(std::string_view text) {
    PhaseScope phase(Phase::Load);
    readSettingsText(text, settings);
    host().resizeFrame(settings.windowWidth, settings.windowHeight);
    changed(ChangeSettings);
}

bool CKelvraView::loadSettingsFile(const std::string& path) { return loadSettingsText(path, readTextFile(path)); }

bool CKelvraView::loadSettingsText(const std::string& path, FileRead file) {
    // A settings file without a mark may be UTF-8, as editors on Linux write it.
    if (file.ok() && !takeUnmarkedUtf8(&file)) file.result = ReadResult::NoMemory;
    switch (file.result) {
        case ReadResult::Ok: break;
        case ReadResult::CannotOpen:
            host().showFileMessage(sj("ﾌｧｲﾙを開くことが出来ません。"), path, file.error);
            return false;
        case ReadResult::NoMemory:
            host().showFileMessage(sj(kOutOfMemoryText), path, file.error);
            return false;
    }
    // A file in which no line names a settings key (a data file, a binary
    // file) is no settings file: said, and nothing changes.
    GraphSettings probe = settings;
    if (readSettingsText(file.bytes.view(), probe) == 0) {
        host().showMessage(fileTitleOf(path) + sj(" には設定の行がひとつもありません。"));
        return false;
    }
    applySettingsText(file.bytes.view());
    return true;
}

std::string CKelvraView::settingsText() const { return settingsFileText(settings); }

bool CKelvraView::saveSettingsFile(const std::string& path) {
    if (writeFileSafely(path, settingsText())) return true;
    host().showFileMessage(sj("設定ﾌｧｲﾙの保存が出来ません"), path, errno);
    return false;
}

namespace {

FileDialogRequest settingsDialog(const GraphData& data, bool save) {
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::SettingsSave : FileDialogKind::SettingsOpen;
    request.save = save;
    request.title = sj(save ? "設定ﾌｧｲﾙの保存" : "設定ﾌｧｲﾙを開く");
    request.filters = {{sj("設定ﾌｧｲﾙ (*.txt)"), "*.txt"}, allFilesFilter()};
    if (data.dataLoaded) request.initialFolder = folderOf(data.dataFilePath);
    request.confirmOverwrite = save;
    return request;
}

}  // namespace

bool CKelvraView::chooseAndLoadSettingsFile() {
    std::optional<std::string> path = host().askFileName(settingsDialog(data, false));
    return path && loadSettingsFile(*path);
}

bool CKelvraView::chooseAndSaveSettingsFile() {
    std::optional<std::string> path = host().askFileName(settingsDialog(data, true));
    return path && saveSettingsFile(*path);
}

}  // namespace kelvra
