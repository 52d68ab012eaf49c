// Opening with the desktop's default application (see desktopOpen.h).
//
// GIO is asked directly rather than through wx's launcher, which answers only
// yes or no, or through xdg-open, which may hand the target to a program in
// the background and end with success before anything has opened. GIO returns
// once it has found the application and started it, with an error that names
// the cause when it could not. A local file is looked at first, so a missing
// file or folder and a file that may not be read are told apart.
#include "app/gui/desktopOpen.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iterator>
#include <memory>

namespace kelvra {
namespace {

template <class T, void (*Free)(T*)>
struct GFreer {
    void operator()(T* p) const { Free(p); }
};
using OwnedText = std::unique_ptr<gchar, GFreer<void, g_free>>;
using GErrorPtr = std::unique_ptr<GError, GFreer<GError, g_error_free>>;

// How GIO's and the spawner's errors read as failures; any other is Other.
struct ErrorRow {
    GQuark (*domain)();
    int code;
    OpenFailure failure;
};
const ErrorRow kErrorRows[] = {
    {g_io_error_quark, G_IO_ERROR_NOT_FOUND, OpenFailure::FileNotFound},
    {g_io_error_quark, G_IO_ERROR_PERMISSION_DENIED, OpenFailure::AccessDenied},
    {g_io_error_quark, G_IO_ERROR_NOT_SUPPORTED, OpenFailure::NoApplication},   // no handler for the type or scheme
    {g_spawn_error_quark, G_SPAWN_ERROR_NOENT, OpenFailure::AssociationInvalid},
    {g_spawn_error_quark, G_SPAWN_ERROR_ACCES, OpenFailure::AccessDenied},
    {g_spawn_error_quark, G_SPAWN_ERROR_PERM, OpenFailure::AccessDenied},
    {g_spawn_error_quark, G_SPAWN_ERROR_NOMEM, OpenFailure::OutOfMemory},
    {g_spawn_error_quark, G_SPAWN_ERROR_NOEXEC, OpenFailure::InvalidProgram},
};

OpenResult fromError(GError* raw) {
    GErrorPtr error(raw);
    if (!error) return {OpenFailure::Other, 0};
    for (const ErrorRow& row : kErrorRows)
        if (error->domain == row.domain() && error->code == row.code) return {row.failure, error->code};
    return {OpenFailure::Other, error->code};
}

// A local file that cannot be opened, told apart before any application is
// asked: GIO would call a missing folder a missing file.
OpenResult checkLocalFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == EACCES) return {OpenFailure::AccessDenied, errno};
        if (errno != ENOENT && errno != ENOTDIR) return {OpenFailure::Other, errno};
        OwnedText folder(g_path_get_dirname(path.c_str()));
        struct stat folderStat;
        bool folderThere = stat(folder.get(), &folderStat) == 0 && S_ISDIR(folderStat.st_mode);
        return {folderThere ? OpenFailure::FileNotFound : OpenFailure::PathNotFound, errno};
    }
    if (access(path.c_str(), R_OK) != 0) return {OpenFailure::AccessDenied, errno};
    return {};
}

// The target as an address GIO opens, after the local-file check; `uri` is
// left empty when the check failed.
OpenResult targetUri(const std::string& target, std::string* uri) {
    OwnedText scheme(g_uri_parse_scheme(target.c_str()));
    if (scheme && g_ascii_strcasecmp(scheme.get(), "file") != 0) {
        *uri = target;
        return {};
    }
    OwnedText path(scheme ? g_filename_from_uri(target.c_str(), nullptr, nullptr)
                        : g_canonicalize_filename(target.c_str(), nullptr));
    if (!path) return {OpenFailure::FileNotFound, 0};   // a file address that names no local file
    OpenResult checked = checkLocalFile(path.get());
    if (!checked.ok()) return checked;
    OwnedText fileUri(g_filename_to_uri(path.get(), nullptr, nullptr));
    if (!fileUri) return {OpenFailure::FileNotFound, 0};
    *uri = fileUri.get();
    return {};
}

}  // namespace

OpenResult openWithDefaultApplication(const std::string& target) {
    std::string uri;
    OpenResult checked = targetUri(target, &uri);
    if (!checked.ok()) return checked;
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error)) return {};
    return fromError(error);
}

OpenResult openWithWebBrowser(const std::string& target) {
    std::string uri;
    OpenResult checked = targetUri(target, &uri);
    if (!checked.ok()) return checked;
    std::unique_ptr<GAppInfo, GFreer<void, g_object_unref>> browser(g_app_info_get_default_for_type("text/html", FALSE));
    if (!browser) return {OpenFailure::NoApplication, 0};
    GList uris = {const_cast<char*>(uri.c_str()), nullptr, nullptr};
    GError* error = nullptr;
    if (g_app_info_launch_uris(browser.get(), &uris, nullptr, &error)) return {};
    return fromError(error);
}

std::string openFailureText(const OpenResult& result) {
    static const char* const kTexts[] = {
        "",                                                                  // None
        "The specified file was not found.",                                 // FileNotFound
        "The specified path was not found.",                                 // PathNotFound
        "The operating system denied\naccess to the specified file.",        // AccessDenied
        "There was not enough memory to complete the operation.",            // OutOfMemory
        "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).",   // InvalidProgram
        "The filename association is\nincomplete or invalid.",               // AssociationInvalid
        "There is no application associated\nwith the given filename extension.",   // NoApplication
        nullptr,                                                             // Other: formatted below
    };
    static_assert(std::size(kTexts) == std::size_t(OpenFailure::Other) + 1, "kTexts out of step with OpenFailure");
    if (const char* text = kTexts[std::size_t(result.failure)]) return text;
    char unknown[64];
    std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", result.code);
    return unknown;
}

}  // namespace kelvra
