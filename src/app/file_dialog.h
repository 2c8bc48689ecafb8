// The folder browser and the open and save dialogs, behind three functions that take and give
// plain strings. Each call goes through the installed DialogLayer: Qt's own file dialog in the
// program, a fake in the tests, so that no test ever waits on a modal dialog.
//
// Threads: the GUI thread only. The layer pointer exists once for the process.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace quonder {

// Browse flag: only folders of the file system can be chosen.
inline constexpr std::uint32_t kBifReturnOnlyFsDirs = 0x1;
// Open/save flags: no overwrite question unless kOfnOverwritePrompt is given.
inline constexpr std::uint32_t kOfnOverwritePrompt = 0x2;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;
// View command ids: the file list as a plain list or with details.
inline constexpr std::uint32_t kViewList = 0x702B;
inline constexpr std::uint32_t kViewDetails = 0x702C;

// What one dialog is asked to show, in Qt's terms.
struct FileDialogRequest {
  enum class Kind { kFolder, kOpen, kSave };

  Kind kind = Kind::kOpen;
  QWidget* owner = nullptr;   // none: a top-level dialog
  QString title;              // window title (the folder browser's instruction text)
  QString folder;             // folder shown first; empty: the dialog's own choice
  QStringList name_filters;   // Qt form, e.g. "ini(*.ini)"; empty for the folder browser
  QString default_suffix;     // save only; empty: none
  QString default_file_name;  // save only; preset in the name box
  bool file_must_exist = false;
  bool confirm_overwrite = false;
  std::optional<int> view_mode;  // QFileDialog::ViewMode; nullopt keeps the dialog's default
};

// Runs one dialog. nullopt means the user cancelled or the dialog failed; otherwise the path
// chosen, which may be empty when the choice had no place in the file system.
class DialogLayer {
 public:
  virtual ~DialogLayer() = default;
  virtual std::optional<QString> Run(const FileDialogRequest& request) = 0;
};

// Installs `layer` for every following dialog and returns the one it replaces; nullptr puts
// Qt's dialogs back. The caller keeps ownership and must restore before `layer` dies.
DialogLayer* SetDialogLayer(DialogLayer* layer);

// The Qt dialog that the real layer executes for `request`, built but not shown: Qt's own
// widgets (for the list view), resizable. A name filter "*.*" also lists names without a dot,
// as "*.*" means every file where such filters come from.
std::unique_ptr<QFileDialog> MakeFileDialog(const FileDialogRequest& request);

// Converts a filter of NUL-separated description/pattern pairs ("ini(*.ini)\0*.ini\0...") to
// Qt's name filters. A description that already ends in "(its patterns)" is used as it is;
// otherwise the patterns, ';' turned into ' ', are appended in brackets. A missing final NUL
// is tolerated; a description without a pattern is dropped.
QStringList ToQtNameFilters(const QString& filter);

// "ini(*.ini)" NUL "*.ini" NUL "All Type(*.*)" NUL "*.*" NUL, the settings files' filter.
QString SettingsFileFilter();

// Shows the folder browser with `title` and `start_folder` preselected (when it does not
// exist, its nearest existing parent). Returns the chosen folder, `start_folder` unchanged
// when the user cancels (so "" for an empty start), "" when the browser fails. `root` is accepted
// for compatibility; the browser always starts from the whole file system.
QString BrowseForFolder(const QString& title, QWidget* owner, int root, std::uint32_t flags,
                        const QString& start_folder);

// The open dialog. An empty `initial_folder` means the current directory. `view` is one of
// the view ids above (others keep the dialog's default). `flags_ex` is accepted for
// compatibility. Returns the full path chosen, "" on cancel or failure.
QString ShowOpenDialog(QWidget* owner, const QString& filter, std::uint32_t flags,
                       const QString& initial_folder, const QString& title, std::uint32_t flags_ex,
                       std::uint32_t view);

// The save dialog; asks before replacing a file only with kOfnOverwritePrompt in `flags`.
// Returns the full path chosen, "" on cancel or failure.
QString ShowSaveDialog(QWidget* owner, const QString& filter, std::uint32_t flags,
                       const QString& initial_folder, const QString& default_extension,
                       const QString& default_file_name, const QString& title,
                       std::uint32_t flags_ex, std::uint32_t view);

}  // namespace quonder
