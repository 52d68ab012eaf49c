// One input of kelvra-render, from its bytes to the files asked for (see renderJob.h).
#include "app/render/renderJob.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

#include "app/launch/launch.h"
#include "base/cp932.h"
#include "base/headlessHost.h"
#include "base/textInput.h"
#include "settings/colorMaps.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

}  // namespace

bool writePicture(CKelvraView& view, HeadlessHost& host, const RenderOptions& o, const PictureOutput& out,
                  const std::optional<ImageBuffer>& drawn) {
    PictureRequest request = shownPicture({o.width, o.height});
    request.scale = o.scale;
    if (o.scaleGiven) request.vectorImageScale = o.scale;
    request.transparent = o.transparent;
    request.dotsPerInch = o.dpi;
    auto failed = [&](int error) {
        host.showFileMessage(sj("ﾌｧｲﾙを作成することが出来ません。"), out.path, error);
        return false;
    };
    std::string bytes;
    bool graphAsImage = false;
    if (isVectorFormat(out.format)) {
        std::optional<VectorPicture> picture = view.renderVectorPicture(request, out.format);
        if (!picture) return failed(0);
        bytes = std::move(picture->bytes);
        graphAsImage = picture->graphAsImage;
    } else {
        // A launch's own picture is the window's; a scaled or transparent one is drawn afresh.
        const bool asDrawn = drawn && o.scale == 1.0 && !o.transparent && o.dpi == 0;
        errno = 0;
        std::optional<ImageBuffer> picture = asDrawn ? drawn : view.renderPicture(request);
        if (!picture) return failed(errno ? errno : ENOMEM);
        if (!encodeImage(*picture, out.format, out.path, &bytes)) return failed(ENOMEM);
    }
    bool written = out.path == "-" ? writeAll(STDOUT_FILENO, bytes) : writeFileSafely(out.path, bytes);
    if (!written) return failed(errno);
    if (graphAsImage) host.showNote(sj(kGraphAsImageNote));
    return true;
}

FileRead readInput(const std::string& input) {
    return input == "-" ? readTextInput(STDIN_FILENO) : readTextFile(input);
}

bool inputWritesAPicture(const FileRead& input) {
    return startupKindOf(input) == StartupFileKind::LaunchFile &&
           launchKeyOf(input.bytes.view(), "Image_File_Name").has_value();
}

int renderInput(const RenderOptions& o, const std::string& input, FileRead bytes, const PictureOutput& output) {
    HeadlessHost host({o.width, o.height});
    CKelvraView view(host);
    view.state.importChoices = o.import;
    // One picture: the lists are built once, for the settings in force when it is drawn.
    view.lists.deferListBuilds = true;
    view.initGlState();
    struct ListsGo {   // a worker draws the next file in the same context
        CKelvraView& view;
        ~ListsGo() { view.destroyGlLists(); }
    } listsGo{view};

    // A launch file loads, applies its settings, draws and writes its own
    // image; the options then act on what it left, as they do after a data
    // file. The input was read once, whole: standard input or a pipe cannot be
    // read again after its first line has told what it is.
    bool failed = false;   // something asked for was not done; the run goes on where it can
    bool noPoints = false;
    std::optional<ImageBuffer> picture;
    if (startupKindOf(bytes) == StartupFileKind::LaunchFile) {
        std::string folder = input == "-" ? "" : folderOf(input).empty() ? "." : folderOf(input);
        LaunchResult r = runLaunchText(view, bytes.bytes.view(), {o.width, o.height}, folder);
        if (r.noKnownKey) host.showFileMessage(launchWithoutKeysMessage(), input, 0);
        if (r.noKnownKey || r.dataLoadFailed) return kExitFailed;
        failed = r.settingsLoadFailed || (r.imageRequested && !r.imageWritten);
        noPoints = view.data.dataLoaded && view.data.pointCount == 0;
        picture = std::move(r.picture);
    } else {
        if (!view.loadDataText(input, std::move(bytes), false)) return kExitFailed;
        noPoints = view.data.pointCount == 0;
    }
    // The picture is still drawn and written: an empty graph is what the file says.
    if (noPoints) host.showFileMessage(sj(kNoGraphDataText), input, 0);

    if (!o.settings.empty()) {
        if (!view.loadSettingsFile(o.settings)) return kExitFailed;
        picture.reset();   // drawn before these settings
    }
    if (!o.settingsText.empty()) {
        view.applySettingsText(o.settingsText);
        picture.reset();
    }
    if (!o.colormap.empty()) {
        applyColorMap(*colorMapNamed(o.colormap), view.settings);
        view.settingsChanged();
        picture.reset();
    }
    if (!o.writeSettings.empty() && !view.saveSettingsFile(o.writeSettings)) return kExitFailed;
    if (!o.writeData.empty() && !view.writeDataFile(o.writeData, view.settingsText())) return kExitFailed;
    bool written = output.path.empty() || writePicture(view, host, o, output, picture);
    return !written || failed ? kExitFailed : noPoints ? kExitNoPoints : kExitOk;
}

}  // namespace kelvra
