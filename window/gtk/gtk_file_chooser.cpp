#include "window/gtk/gtk_file_chooser.h"

#include <cctype>
#include <cstring>
#include <string>

namespace k7730::ui::gtk {
namespace {

constexpr std::uint32_t kBufferTooSmall = 0x3003;  // FNERR_BUFFERTOOSMALL

// Patterns are matched regardless of case, as on the platform whose
// filter lists these are: "*.mtf" becomes "*.[mM][tT][fF]", "*.*" all files.
std::string CaselessPattern(const std::string& pattern) {
  if (pattern == "*.*") return "*";
  std::string out;
  for (char c : pattern) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      out += '[';
      out += static_cast<char>(std::tolower(u));
      out += static_cast<char>(std::toupper(u));
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

// One GTK filter per pair; a pair's patterns are separated by ';'.
void AddFilters(GtkFileChooser* chooser, const char* pairs) {
  const char* p = pairs;
  bool first = true;
  while (p != nullptr && *p != '\0') {
    const char* description = p;
    const char* patterns = description + std::strlen(description) + 1;
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, description);
    std::string list = patterns;
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t end = std::min(list.find(';', start), list.size());
      const std::string one = list.substr(start, end - start);
      if (!one.empty()) gtk_file_filter_add_pattern(filter, CaselessPattern(one).c_str());
      start = end + 1;
    }
    gtk_file_chooser_add_filter(chooser, filter);
    if (first) gtk_file_chooser_set_filter(chooser, filter);
    first = false;
    p = patterns + std::strlen(patterns) + 1;
  }
}

// The initial name in the record: a full path selects that file, a bare
// name is offered in the folder.
void SetInitialName(GtkFileChooser* chooser, ChooserKind kind, const FileDialogRecord& record) {
  if (record.initialFolder != nullptr && record.initialFolder[0] != '\0') {
    gtk_file_chooser_set_current_folder(chooser, record.initialFolder);
  }
  if (record.file == nullptr || record.file[0] == '\0') return;
  const std::string name(record.file, strnlen(record.file, record.fileSize));
  if (name.find('/') != std::string::npos) {
    gtk_file_chooser_set_filename(chooser, name.c_str());
  } else if (kind == ChooserKind::Save) {
    gtk_file_chooser_set_current_name(chooser, name.c_str());
  }
}

// The default extension goes on a chosen name that has none.
std::string WithExtension(std::string path, const char* extension) {
  if (extension == nullptr || extension[0] == '\0') return path;
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return path;
  return path + "." + extension;
}

}  // namespace

int RunFileChooser(ChooserKind kind, FileDialogRecord& record, GtkWindow* parent, std::uint32_t& error) {
  error = 0;
  const bool save = kind == ChooserKind::Save;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      record.title != nullptr ? record.title : (save ? "Save As" : "Open"), parent,
      save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
      save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, (record.flags & kOfnOverwritePrompt) != 0);
  AddFilters(chooser, record.filter);
  SetInitialName(chooser, kind, record);

  int chosen = 0;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    gchar* file = gtk_file_chooser_get_filename(chooser);
    if (file != nullptr && record.file != nullptr) {
      const std::string path = save ? WithExtension(file, record.defaultExtension) : std::string(file);
      if (path.size() + 1 > record.fileSize) {
        error = kBufferTooSmall;
      } else {
        std::memcpy(record.file, path.c_str(), path.size() + 1);
        chosen = 1;
      }
    }
    g_free(file);
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

}  // namespace k7730::ui::gtk
