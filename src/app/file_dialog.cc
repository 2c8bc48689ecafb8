#include "app/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QRegularExpression>

#include "app/screen_room.h"

namespace quonder {
namespace {

class QtDialogLayer : public DialogLayer {
 public:
  std::optional<QString> Run(const FileDialogRequest& request) override {
    std::unique_ptr<QFileDialog> dialog = MakeFileDialog(request);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
  }
};

DialogLayer* installed_layer = nullptr;

DialogLayer& CurrentLayer() {
  static QtDialogLayer qt_layer;
  return installed_layer != nullptr ? *installed_layer : qt_layer;
}

// The patterns in the trailing brackets of a Qt name filter, "" when it has none.
QString PatternsOf(const QString& name_filter) {
  static const QRegularExpression kTrailingBrackets(QStringLiteral("\\(([^()]*)\\)\\s*$"));
  const QRegularExpressionMatch match = kTrailingBrackets.match(name_filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

// Qt matches "*.*" literally, so a name without a dot would vanish from "All Type(*.*)"; the
// dialog's model gets "*" in its place whenever such a filter is in force.
void ListDotlessNamesFor(QFileDialog* dialog, const QString& name_filter) {
  QStringList patterns = PatternsOf(name_filter).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (!patterns.contains(QStringLiteral("*.*"))) return;
  auto* model = dialog->findChild<QFileSystemModel*>();
  if (model == nullptr) return;
  patterns.replaceInStrings(QRegularExpression(QStringLiteral("^\\*\\.\\*$")), QStringLiteral("*"));
  model->setNameFilters(patterns);
}

// `folder` when it exists, else the nearest of its parents that does; "" when none does.
QString NearestExistingFolder(const QString& folder) {
  QString candidate = QDir::cleanPath(folder);
  while (!candidate.isEmpty() && !QFileInfo(candidate).isDir()) {
    const QString parent = QFileInfo(candidate).path();
    if (parent == candidate || parent == QStringLiteral(".")) return QString();
    candidate = parent;
  }
  return candidate;
}

std::optional<int> ViewModeFor(std::uint32_t view) {
  if (view == kViewList) return QFileDialog::List;
  if (view == kViewDetails) return QFileDialog::Detail;
  return std::nullopt;
}

}  // namespace

DialogLayer* SetDialogLayer(DialogLayer* layer) {
  DialogLayer* previous = installed_layer;
  installed_layer = layer;
  return previous;
}

std::unique_ptr<QFileDialog> MakeFileDialog(const FileDialogRequest& request) {
  auto dialog = std::make_unique<QFileDialog>(request.owner, request.title);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setSizeGripEnabled(true);
  switch (request.kind) {
    case FileDialogRequest::Kind::kFolder:
      dialog->setAcceptMode(QFileDialog::AcceptOpen);
      dialog->setFileMode(QFileDialog::Directory);
      dialog->setOption(QFileDialog::ShowDirsOnly);
      break;
    case FileDialogRequest::Kind::kOpen:
      dialog->setAcceptMode(QFileDialog::AcceptOpen);
      dialog->setFileMode(request.file_must_exist ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
      break;
    case FileDialogRequest::Kind::kSave:
      dialog->setAcceptMode(QFileDialog::AcceptSave);
      dialog->setFileMode(QFileDialog::AnyFile);
      dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirm_overwrite);
      dialog->setDefaultSuffix(request.default_suffix);
      break;
  }
  if (!request.folder.isEmpty()) dialog->setDirectory(request.folder);
  if (!request.name_filters.isEmpty()) {
    dialog->setNameFilters(request.name_filters);
    ListDotlessNamesFor(dialog.get(), dialog->selectedNameFilter());
    QFileDialog* raw = dialog.get();
    QObject::connect(raw, &QFileDialog::filterSelected, raw,
                     [raw](const QString& filter) { ListDotlessNamesFor(raw, filter); });
  }
  if (request.kind == FileDialogRequest::Kind::kSave && !request.default_file_name.isEmpty()) {
    dialog->selectFile(request.default_file_name);
  }
  if (request.view_mode)
    dialog->setViewMode(static_cast<QFileDialog::ViewMode>(*request.view_mode));
  // At a large font the dialog's own choice of size can exceed a small screen.
  dialog->resize(dialog->sizeHint().boundedTo(ClientRoom(*dialog)));
  return dialog;
}

QStringList ToQtNameFilters(const QString& filter) {
  QStringList parts = filter.split(QChar(u'\0'));
  // The list's own terminator leaves one empty element behind; a filter without it does not.
  if (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns = patterns.simplified();
    if (PatternsOf(description).simplified() == patterns) {
      result.append(description);
    } else {
      result.append(description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
  }
  return result;
}

QString SettingsFileFilter() {
  QString filter;
  for (const char* part : {"ini(*.ini)", "*.ini", "All Type(*.*)", "*.*"}) {
    filter += QLatin1String(part);
    filter += QChar(u'\0');
  }
  return filter;
}

QString BrowseForFolder(const QString& title, QWidget* owner, int /*root*/, std::uint32_t flags,
                        const QString& start_folder) {
  FileDialogRequest request;
  request.kind = FileDialogRequest::Kind::kFolder;
  request.owner = owner;
  request.title = title;
  // A folder that has gone opens the browser where the path still leads.
  request.folder = NearestExistingFolder(start_folder);
  // Qt's folder chooser lists file-system folders only, whatever the flags ask.
  (void)flags;
  const std::optional<QString> chosen = CurrentLayer().Run(request);
  return chosen.has_value() ? *chosen : start_folder;
}

QString ShowOpenDialog(QWidget* owner, const QString& filter, std::uint32_t flags,
                       const QString& initial_folder, const QString& title,
                       std::uint32_t /*flags_ex*/, std::uint32_t view) {
  FileDialogRequest request;
  request.kind = FileDialogRequest::Kind::kOpen;
  request.owner = owner;
  request.title = title;
  request.folder = initial_folder.isEmpty() ? QDir::currentPath() : initial_folder;
  request.name_filters = ToQtNameFilters(filter);
  request.file_must_exist = (flags & kOfnFileMustExist) != 0;
  request.view_mode = ViewModeFor(view);
  return CurrentLayer().Run(request).value_or(QString());
}

QString ShowSaveDialog(QWidget* owner, const QString& filter, std::uint32_t flags,
                       const QString& initial_folder, const QString& default_extension,
                       const QString& default_file_name, const QString& title,
                       std::uint32_t /*flags_ex*/, std::uint32_t view) {
  FileDialogRequest request;
  request.kind = FileDialogRequest::Kind::kSave;
  request.owner = owner;
  request.title = title;
  request.folder = initial_folder.isEmpty() ? QDir::currentPath() : initial_folder;
  request.name_filters = ToQtNameFilters(filter);
  request.default_suffix = default_extension;
  request.default_file_name = default_file_name;
  request.confirm_overwrite = (flags & kOfnOverwritePrompt) != 0;
  request.view_mode = ViewModeFor(view);
  return CurrentLayer().Run(request).value_or(QString());
}

}  // namespace quonder
