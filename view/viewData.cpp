// Data in and out: File/Open, F5, a dropped file, the start-up argument,
// launch files and kelvra-render read a data file through loadDataText, which
// plans how to read it (data/dataImport.h), asks the user through the host
// before it imports a file that is not in the program's own layout, reads it
// (data/dataReader.h or the import), applies a settings section at its end
// and runs the change sequence once; File/Save and --write-data write it with
// the settings appended (data/dataWriter.h).
#include <cerrno>
#include <map>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/fileFilter.h"
#include "base/fileIo.h"
#include "base/numberText.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "data/dataImport.h"
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
constexpr const char kLoadStoppedText[] = " の読み込みを中止しました";
// A column grid's row whose count of values is not the X header's.
constexpr const char kOddRowText[] = "%d 行目の値の数 (%d) が X の数 (%d) と違います";

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

bool CKelvraView::loadDataFile(const std::string& path, bool reload, ImportAsk ask) {
    PhaseScope phase(Phase::Load);
    return loadDataText(path, readTextFile(path), reload, ask);
}

namespace {

// The import dialog's content for a text and its plan: each choice with the
// plan's option selected, and a preview that reads the text (in another
// encoding, the file read again) with the options selected.
// Only the options that differ from the detection count as chosen: a text
// that cannot be read stays unreadable until the user changes something.
ImportChoices choicesOver(const ImportDialect& detected, const std::vector<int>& selected) {
    ImportChoices choices;
    for (std::size_t c = 0; c < selected.size() && c < choices.option.size(); ++c)
        if (selected[c] != optionOf(detected, ImportChoice(c))) choices.option[c] = selected[c];
    return choices;
}

ImportForm importFormOf(const std::string& path, const FileRead& file, const ImportPlan& plan,
                        const ImportDialect& detected, std::map<TextEncoding, FileRead>& otherEncodings) {
    ImportForm form;
    for (int c = 0; c < int(ImportChoice::Count); ++c) {
        ImportForm::Choice choice;
        choice.label = sj(importChoiceLabel(ImportChoice(c)));
        for (const ImportOption& option : importOptions(ImportChoice(c))) choice.options.push_back(sj(option.shown));
        choice.selected = optionOf(plan.dialect, ImportChoice(c));
        form.choices.push_back(std::move(choice));
    }
    form.preview = [&path, &file, detected, &otherEncodings](const std::vector<int>& selected) {
        const ImportChoices choices = choicesOver(detected, selected);
        ImportDialect wanted;
        for (std::size_t c = 0; c < selected.size(); ++c) setOption(wanted, ImportChoice(c), selected[c]);
        const FileRead* text = &file;
        if (wanted.encoding != file.encoding) {
            auto [at, made] = otherEncodings.try_emplace(wanted.encoding);
            if (made) at->second = readTextFileAs(path, wanted.encoding);
            text = &at->second;
        }
        ImportForm::Preview shown;
        if (!text->ok()) {
            shown.readable = false;
            shown.summary = fileTitleOf(path) + sj(kCannotOpenText);
            return shown;
        }
        ImportPlan p = planDataText(text->bytes.view(), wanted.encoding, choices);
        if (p.kind == TextKind::ProgramLayout || p.kind == TextKind::NoData) {
            shown.readable = false;
            shown.summary = sj(kNoGraphDataText);
            return shown;
        }
        if (p.kind == TextKind::Unreadable) {   // no layout: nothing to show but why
            shown.readable = false;
            shown.summary = p.problem;
            return shown;
        }
        ImportPreview preview = previewImport(text->bytes.view(), p.dialect);
        shown.columns = std::move(preview.columns);
        shown.rows = std::move(preview.rows);
        shown.readable = !shown.rows.empty();
        shown.summary = shown.rows.empty() ? sj(kNoGraphDataText) : dialectSummary(p.dialect);
        return shown;
    };
    return form;
}

}  // namespace

bool CKelvraView::chooseImport(const std::string& path, FileRead& file, ImportPlan& plan, ImportAsk ask) {
    const ImportDialect detected = planDataText(file.bytes.view(), file.encoding).dialect;
    // Another encoding than the one the file was read in: read it again in that.
    auto readAs = [&](TextEncoding encoding) {
        if (encoding == file.encoding || path == "-") return;
        FileRead again = readTextFileAs(path, encoding);
        if (again.ok()) file = std::move(again);
    };
    readAs(plan.dialect.encoding);
    plan = planDataText(file.bytes.view(), file.encoding, state.importChoices);

    const bool asking = ask == ImportAsk::Always || (ask == ImportAsk::UntilAnswered && !state.importAnswered);
    if (asking && (plan.kind == TextKind::Import || plan.kind == TextKind::Unreadable)) {
        std::map<TextEncoding, FileRead> otherEncodings;
        ImportForm form = importFormOf(path, file, plan, detected, otherEncodings);
        if (!host().askImport(path, form)) return false;
        // What differs from the detection is kept for the run.
        std::vector<int> selected;
        for (const ImportForm::Choice& c : form.choices) selected.push_back(c.selected);
        state.importChoices = choicesOver(detected, selected);
        state.importAnswered = true;
        ImportDialect chosen = detected;
        for (std::size_t c = 0; c < selected.size(); ++c) setOption(chosen, ImportChoice(c), selected[c]);
        readAs(chosen.encoding);
        plan = planDataText(file.bytes.view(), file.encoding, state.importChoices);
    }
    if (plan.kind != TextKind::Unreadable) return true;
    host().showFileMessage(fileTitleOf(path) + ": " + plan.problem, path, 0);
    return false;
}

void CKelvraView::takeNamesAsLabels(const std::string (&names)[3]) {
    for (int a = 0; a < 3; ++a) {
        std::string& label = settings.scaleLabel[a];
        if (!label.empty() && label != state.labelsFromNames[a]) {
            state.labelsFromNames[a].clear();   // the user's own label
            continue;
        }
        label = names[a];
        state.labelsFromNames[a] = names[a];
    }
}

bool CKelvraView::loadDataText(const std::string& path, FileRead file, bool reload, ImportAsk ask) {
    PhaseScope phase(Phase::Load);
    std::string title = fileTitleOf(path);
    if (file.result == ReadResult::CannotOpen) {
        host().showFileMessage(title + sj(kCannotOpenText) + (isBusyOrLocked(file.error) ? sj(kHeldByAnotherProgram) : ""),
                               path, file.error);
        return false;
    }
    if (file.result == ReadResult::NoMemory || !takeUnmarkedUtf8(&file)) {
        host().showFileMessage(sj(kOutOfMemoryText), path, file.error ? file.error : ENOMEM);
        return false;
    }
    ImportPlan plan = planDataText(file.bytes.view(), file.encoding, state.importChoices);
    if (plan.kind != TextKind::ProgramLayout && plan.kind != TextKind::NoData &&
        !chooseImport(path, file, plan, reload ? ImportAsk::Never : ask))
        return false;
    const bool imported = plan.kind == TextKind::Import;

    // The file is read into a data set of its own: until it has been read
    // whole, the one shown stays as it was (a cancelled or failed load loses
    // nothing). Its format starts as the last file's, which a format number
    // outside 1..7 keeps.
    GraphData fresh;
    fresh.dataFormat = data.dataFormat;
    ReadProgress progress{
        [&](bool worthShowing) { host().showLoadProgress(worthShowing, title, file.bytes.size()); },
        [this](int percent) { return host().setLoadProgress(percent); }};
    ImportRead importRead;
    const DataRead read = readPlannedText(file.bytes, plan, fresh, progress, &importRead);
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
    // all) still loads as the empty graph; the status bar says why it is
    // empty. What an import decided, and a grid row the reader could not
    // read as the file meant, are said beside it.
    const std::string summary = imported ? title + ": " + importSummary(plan.dialect, importRead, fresh) : "";
    if (fresh.pointCount == 0) {
        if (imported) host().showNote(summary);
        host().showStatusMessage(sj(kNoGraphDataText));
    } else {
        host().showStatusMessage(std::string());
        if (imported) host().showNote(summary);
        if (read.oddRow.line > 0)
            host().showNote(title + ": " + withNumbers(sj(kOddRowText), {read.oddRow.line, read.oddRow.values,
                                                                        read.oddRow.columns}));
    }
    // Before the file's settings section, which has the last word.
    if (!(reload && data.dataLoaded)) takeNamesAsLabels(importRead.names);
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
    return loadDataFile(data.dataFilePath, true, ImportAsk::Never);
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
