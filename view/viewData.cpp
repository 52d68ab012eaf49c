// Data in and out: File/Open, F5, a dropped file, the start-up argument,
// launch files and kelvra-render read a data file through loadDataText, which
// reads it (data/dataReader.h), applies a settings section at its end and
// runs the change sequence once; File/Save and --write-data write it with the
// settings appended (data/dataWriter.h).
#include <cerrno>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/fileFilter.h"
#include "base/fileIo.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "data/dataReader.h"
#include "data/dataWriter.h"
#include "render/scaleMapping.h"
#include "settings/graphTypes.h"
#include "settings/settingsFile.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

constexpr const char kCannotOpenText[] = " を開くことが出来ません。";
// Said only where the system reports the file busy or locked: for a file that
// is missing or not allowed, the guess would send the user the wrong way.
constexpr const char kHeldByAnotherProgram[] = "(ｴｸｾﾙ等で使われている可能性があります)";
constexpr const char kCannotSaveText[] = "ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません";

FileDialogRequest dataDialog(const GraphData& data, bool save) {
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::DataSave : FileDialogKind::DataOpen;
    request.save = save;
    request.title = sj(save ? "ｸﾞﾗﾌﾃﾞｰﾀの保存" : "ｸﾞﾗﾌﾃﾞｰﾀを開く");
    request.filters = {{sj("ﾃﾞｰﾀﾌｧｲﾙ (*.csv)"), "*.csv"}, allFilesFilter()};
    if (save) {
        request.initialName = data.dataFileTitle;
        request.initialFolder = folderOf(data.dataFilePath);
        request.confirmOverwrite = true;
    } else if (data.dataLoaded) {
        request.initialFolder = folderOf(data.dataFilePath);
    }
    return request;
}

}  // namespace

bool CKelvraView::loadDataFile(const std::string& path, bool reload) {
    PhaseScope phase(Phase::Load);
    return loadDataText(path, readTextFile(path), reload);
}

bool CKelvraView::loadDataText(const std::string& path, FileRead file, bool reload) {
    PhaseScope phase(Phase::Load);
    std::string title = fileTitleOf(path);
    if (file.result == ReadResult::CannotOpen) {
        host().showFileMessage(title + sj(kCannotOpenText) + (isBusyOrLocked(file.error) ? sj(kHeldByAnotherProgram) : ""),
                               path, file.error);
        return false;
    }
    data.dataFileTitle = title;
    data.dataFilePath = path;
    if (file.result == ReadResult::NoMemory) {
        host().showFileMessage(sj(kOutOfMemoryText), path, file.error);
        return false;
    }

    const bool keepLook = reload && data.dataLoaded;
    ReadProgress progress{[this](bool worthShowing) { host().showLoadProgress(worthShowing); },
                          [this](int percent) { host().setLoadProgress(percent); }};
    const DataRead read = readDataText(file.bytes, data, progress);
    // The legend follows the data value where the points have one, unless a
    // reload keeps the user's look.
    if (!keepLook) settings.legendColorSource = defaultColorSource(data.valuesPerPoint);
    if (!read.fits) {
        host().showFileMessage(sj(kOutOfMemoryText), path, ENOMEM);
        host().invalidate();
        return false;
    }
    host().hideLoadProgress();
    // A file that held not one point (no data lines, or not a data file at
    // all) still loads as the empty graph; the status bar says why it is empty.
    host().showStatusMessage(data.pointCount == 0 ? sj(kNoGraphDataText) : std::string());

    if (!reload) scalesFromData(settings, state, data);
    if (read.settingsSection.empty()) {
        changed(ChangeData);
        return true;
    }
    readSettingsText(read.settingsSection, settings);
    host().resizeFrame(settings.windowWidth, settings.windowHeight);
    changed(ChangeData | ChangeSettings);
    return true;
}

bool CKelvraView::chooseDataFile() {
    std::optional<std::string> path = host().askFileName(dataDialog(data, false));
    return path && loadDataFile(*path, false);
}

bool CKelvraView::reloadDataFile() {
    if (!data.dataLoaded) return chooseDataFile();
    return loadDataFile(data.dataFilePath, true);
}

bool CKelvraView::writeDataFile(const std::string& path, const std::string& settingsText) {
    int error = 0;
    if (!kelvra::writeDataFile(data, path, settingsText, &error)) {
        // The system's reason, or why there was nothing to save.
        host().showFileMessage(sj(kCannotSaveText), path, error ? error : kErrorNoData);
        return false;
    }
    data.dataFormat = savedFormat(data);
    data.dataFileTitle = fileTitleOf(path);
    data.dataFilePath = path;
    host().setCaption(data.dataFileTitle + " - " + kAppTitle);
    return true;
}

bool CKelvraView::saveDataCommand() {
    if (!data.dataLoaded) {
        host().showMessageWithReason(sj(kCannotSaveText), systemReason(kErrorNoData));
        return false;
    }
    std::optional<std::string> path = host().askFileName(dataDialog(data, true));
    return path && writeDataFile(*path, settingsText());
}

}  // namespace kelvra
