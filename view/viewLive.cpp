// A data file that another program keeps rewriting, loaded each time it has
// been written whole (the desktop program's automatic reload, kelvra-render
// --watch; the watching is base/liveFile.h). The file is read into a data set
// of its own, which replaces the view's only when it holds data: a file read
// half-way, empty or unreadable leaves everything as it was, the picture
// included.
#include "base/cp932.h"
#include "base/liveFile.h"
#include "base/phaseTimes.h"
#include "base/textInput.h"
#include "data/dataImport.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

constexpr const char kReloadedText[] = "再読み込み";
constexpr const char kReloadSkippedText[] = "再読み込みを見送りました: ";
constexpr const char kCutShortText[] = "ﾃﾞｰﾀが表示中より少ないので、書き込みの終わりを待っています";
constexpr const char kFileGoneText[] = " がありません。同じ名前のﾌｧｲﾙが戻るのを待っています";

}  // namespace

LiveOutcome CKelvraView::loadChangedData(const std::string& path, FileRead file, int shownPoints, bool settled,
                                         bool reload) {
    PhaseScope phase(Phase::Load);
    if (file.result == ReadResult::CannotOpen) return LiveOutcome::CannotOpen;
    if (file.result == ReadResult::NoMemory || !takeUnmarkedUtf8(&file)) return LiveOutcome::NoMemory;
    // A spreadsheet's or a script's text is imported with the choices of the
    // run; one that cannot be read is no data yet.
    const ImportPlan plan = planDataText(file.bytes.view(), file.encoding, state.importChoices);
    if (plan.kind == TextKind::Unreadable) return LiveOutcome::NoData;
    GraphData fresh;
    fresh.dataFormat = data.dataFormat;   // a format field the reader cannot decide keeps the shown one's
    const DataRead read = readPlannedText(file.bytes, plan, fresh);
    if (!read.fits) return LiveOutcome::NoMemory;
    if (fresh.pointCount == 0) return LiveOutcome::NoData;
    if (!settled && fresh.pointCount < shownPoints) return LiveOutcome::CutShort;

    adoptData(std::move(fresh), path, read.settingsSection, reload);
    return LiveOutcome::Loaded;
}

std::string liveStatusText(LiveOutcome outcome, const std::string& path, int error, std::time_t when) {
    const std::string at = clockText(when) + " ";
    switch (outcome) {
        case LiveOutcome::Loaded: return at + sj(kReloadedText);
        case LiveOutcome::CannotOpen: return at + sj(kReloadSkippedText) + systemReason(error);
        case LiveOutcome::NoMemory: return at + sj(kReloadSkippedText) + sj(kOutOfMemoryText);
        case LiveOutcome::NoData: return at + sj(kReloadSkippedText) + sj(kNoGraphDataText);
        case LiveOutcome::CutShort: return at + sj(kCutShortText);
        case LiveOutcome::Gone: return at + fileTitleOf(path) + sj(kFileGoneText);
    }
    return at;
}

}  // namespace kelvra
