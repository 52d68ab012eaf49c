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
constexpr const char kOutOfMemoryText[] = "メモリー不足です";
constexpr const char kCannotSaveText[] = "ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません";
constexpr const char kLoadStoppedText[] = " の読み込みを中止しました";

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
    if (file.result == ReadResult::NoMemory) {
        host().showFileMessage(sj(kOutOfMemoryText), path, file.error);
        return false;
    }

    // The file is read into a data set of its own: until it has been read
    // whole, the one shown stays as it was (a cancelled or failed load loses
    // nothing). Its format starts as the last file's, which a format number
    // outside 1..7 keeps.
    GraphData fresh;
    fresh.dataFormat = data.dataFormat;
    ReadProgress progress{
        [&](bool worthShowing) { host().showLoadProgress(worthShowing, title, file.bytes.size()); },
        [this](int percent) { return host().setLoadProgress(percent); }};
    const DataRead read = readDataText(file.bytes, fresh, progress);
    host().hideLoadProgress();
    if (read.stopped) {
        host().showStatusMessage(title + sj(kLoadStoppedText));
        return false;
    }
    if (!read.fits) {
        host().showFileMessage(sj(kOutOfMemoryText), path, ENOMEM);
        return false;
    }
    // A file that held not one point (no data lines, or not a data file at
    // all) still loads as the empty graph; the status bar says why it is empty.
    host().showStatusMessage(fresh.pointCount == 0 ? sj(kNoGraphDataText) : std::string());
    adoptData(std::move(fresh), path, read.settingsSection, reload);
    return true;
}

void CKelvraView::adoptData(GraphData&& fresh, const std::string& path, std::string_view settingsSection, bool reload) {
    const bool keepLook = reload && data.dataLoaded;
    fresh.dataFileTitle = fileTitleOf(path);
    fresh.dataFilePath = path;
    data = std::move(fresh);
    // The legend follows the data value where the points have one, unless a
    // reload keeps the user's look.
    if (!keepLook) settings.legendColorSource = defaultColorSource(data.valuesPerPoint);
    if (!reload) scalesFromData(settings, state, data);
    if (settingsSection.empty()) {
        changed(ChangeData);
        return;
    }
    readSettingsText(settingsSection, settings);
    host().resizeFrame(settings.windowWidth, settings.windowHeight);
    changed(ChangeData | ChangeSettings);
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
