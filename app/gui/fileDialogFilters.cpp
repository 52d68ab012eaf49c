// Filters in any letter case (see fileDialogFilters.h). GTK's file chooser
// takes a filter's rules as alternatives: a rule of the program's own beside
// the toolkit's exact pattern lets in what either takes.
#include "app/gui/fileDialogFilters.h"

#include <gtk/gtk.h>
#include <wx/filedlg.h>

#include <string>

namespace kelvra {
namespace {

gboolean matchesPatterns(const GtkFileFilterInfo* info, gpointer patterns) {
    return info->display_name && fileNameMatches(*static_cast<const std::string*>(patterns), info->display_name);
}

void forgetPatterns(gpointer patterns) { delete static_cast<std::string*>(patterns); }

}  // namespace

void matchFiltersInAnyCase(wxFileDialog& dialog, const std::vector<FileFilter>& filters) {
    GtkWidget* widget = static_cast<GtkWidget*>(dialog.GetHandle());
    if (!widget || !GTK_IS_FILE_CHOOSER(widget)) return;
    GSList* list = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(widget));
    std::size_t i = 0;
    for (GSList* f = list; f && i < filters.size(); f = f->next, ++i)
        gtk_file_filter_add_custom(GTK_FILE_FILTER(f->data), GTK_FILE_FILTER_DISPLAY_NAME, matchesPatterns,
                                   new std::string(filters[i].second), forgetPatterns);
    g_slist_free(list);
}

}  // namespace kelvra
