// The window's side of the settings file: LoadSettings puts every setting into the window
// state and the controls, in a fixed order (a missing or unusable value gives its default);
// SettingsFromControls takes them back for storing and for the run's conditions; every write
// goes through one place that tells the user, once, when the file cannot be written. The
// rules of each key are the core's (core/settings/find_settings.h), shared with quonder-cli.
#include <QHeaderView>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/frm_find.h"
#include "app/result_model.h"
#include "app/screen_room.h"
#include "core/fileops/file_common.h"
#include "core/settings/default_editor.h"
#include "core/settings/ini_file_common.h"
#include "core/settings/setting_numbers.h"
#include "core/settings/settings_location.h"
#include "core/text/char_code.h"

namespace quonder {
namespace {

// Check box states as the settings file keeps them: 0 clear, 1 checked, 2 greyed.
void SetCheckValue(QCheckBox* box, int value) {
  if (value == 2) {
    box->setTristate(true);
    box->setCheckState(Qt::PartiallyChecked);
  } else {
    box->setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
    box->setTristate(false);
  }
}

int CheckValue(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

}  // namespace

void frmFind::LoadSettings() {
  save_notice_.Reset();  // the file may be another one now
  SettingsDefaults defaults;
  defaults.home_folder = HomeFolder();
  for (const CharCodeEntry& entry : CharCodeSets) defaults.charset_names.push_back(entry.Name);
  defaults.default_charset = DefaultCharset(CharCodeSets);
  // One reading of the file serves the whole load; the writes below (a history's migration,
  // the first editor) touch none of the values read after them.
  const IniSnapshot ini(strIniFile);
  FindSettings settings;
  const Status read = ReadFindSettings(ini, defaults, settings);
  if (!read.ok()) {
    // Writes to the file will fail for the same reason: this one message tells it all.
    TellSettingsProblem("Settings not read: " + read.message());
    save_notice_.Note(read);
  }

  strSourceFolder = settings.source_folder;
  txtSourceFolder->setText(QString::fromStdString(strSourceFolder));
  strCopyFolder = settings.copy_folder;
  txtCopyFolder->setText(QString::fromStdString(strCopyFolder));

  NoteSettingsWrite(LoadHistory(lngFindHistoryCnt, find_history_, "FindHistoryCnt", "FindHistory",
                                "Find", ini, strIniFile));
  NoteSettingsWrite(LoadHistory(lngReplaceHistoryCnt, replace_history_, "ReplaceHistoryCnt",
                                "ReplaceHistory", "Replace", ini, strIniFile));

  SetCheckValue(chkRegExp, settings.use_reg_exp);
  chkRegExp_Click();
  SetCheckValue(chkIgnoreCase, settings.ignore_case);
  chkIgnoreCase_Click();
  SetCheckValue(chkWordOnly, settings.word_only);
  txtSeparator->setText(QString::fromStdString(settings.separator));

  if (settings.editor) {
    strEditor = *settings.editor;
  } else {
    // The first start: an editor that goes to the hit where one is installed, stored so that
    // the user sees what is used and can change it.
    const char* path = std::getenv("PATH");
    strEditor = ChooseDefaultEditor(path != nullptr ? path : "");
    if (read.ok()) WriteSetting(kFindSettingSection, kEditorKey, strEditor);
  }

  SetCheckValue(chkSubFolder, settings.sub_folder);
  // The box shows kilobytes (in the C locale's notation, as the box reads them back); its
  // change handling turns them back into the same bytes.
  txtMaxSize->setText(QString::number(settings.max_size / 1024.0, 'g', 15));
  lngMaxSize = settings.max_size;

  NoteSettingsWrite(LoadHistory(lngExtentionsHistoryCnt, extentions_history_,
                                "ExtentionsHistoryCnt", "ExtentionsHistory", "Extentions", ini,
                                strIniFile));

  cboExtBehavior->clear();
  cboExtBehavior->addItem(QStringLiteral("Include"));
  cboExtBehavior->addItem(QStringLiteral("Exclude"));
  lngExtBehavior = static_cast<int32_t>(settings.ext_behavior);
  cboExtBehavior->setCurrentIndex(lngExtBehavior);

  // A name that is not in the table leaves the list's selection as it was.
  strCoding = settings.coding;
  if (settings.coding_index >= 0) {
    cboCoding->setCurrentIndex(settings.coding_index);
    cboCoding_Click();
  }

  strLineFeedCode = settings.line_feed_code;
  QRadioButton* const line_feed = strLineFeedCode == "\r\n" ? optCrLf
                                  : strLineFeedCode == "\r" ? optCr
                                                            : optLf;
  line_feed->setChecked(true);

  SetCheckValue(chkEnableRestore, settings.enable_restore);
  chkEnableRestore->setToolTip(QStringLiteral(
      "チェックすると置換時にファイルコピーを行なうので遅くなります。ディスクも消費します。"));
  chkWordOnly_Click();

  const WindowStatus status = ReadWindowStatus(ini);
  ApplyWindowSize(status);
  ApplyColumnWidths(status);
  WorkOutMinHeight();
  model_->Clear();
  PublishConditions();
}

FindSettings frmFind::SettingsFromControls() const {
  FindSettings settings;
  settings.source_folder = strSourceFolder;
  settings.copy_folder = strCopyFolder;
  settings.use_reg_exp = CheckValue(chkRegExp);
  settings.ignore_case = CheckValue(chkIgnoreCase);
  settings.word_only = CheckValue(chkWordOnly);
  settings.separator = txtSeparator->text().toStdString();
  settings.editor = strEditor;
  settings.sub_folder = CheckValue(chkSubFolder);
  settings.max_size = lngMaxSize;
  settings.ext_behavior = lngExtBehavior == 0 ? ExtBehavior::kInclude : ExtBehavior::kExclude;
  settings.coding = strCoding;
  settings.line_feed_code = strLineFeedCode;
  settings.enable_restore = CheckValue(chkEnableRestore);
  return settings;
}

// The settings file in its own folder under the user's configuration folder is created, with
// that folder, on the first write, not at start: a start that changes nothing leaves no trace.
const std::string& frmFind::SettingsFileForWriting() {
  if (!unmade_settings_file_.empty() && strIniFile == unmade_settings_file_) {
    unmade_settings_file_.clear();
    if (!FolderExists(GetParentFolderName(strIniFile)))
      NoteSettingsWrite(CreateSettingsFolder(strIniFile));
  }
  return strIniFile;
}

bool frmFind::WriteSetting(const char* section, const char* key, const std::string& value) {
  Status failure;
  const bool written = WriteIniString(section, key, value, SettingsFileForWriting(), &failure);
  NoteSettingsWrite(failure);
  return written;
}

bool frmFind::WriteSettings(const char* section,
                            const std::vector<std::pair<std::string, std::string>>& values) {
  Status failure;
  const bool written = WriteIniStrings(section, values, SettingsFileForWriting(), &failure);
  NoteSettingsWrite(failure);
  return written;
}

void frmFind::NoteSettingsWrite(const Status& status) {
  const std::string message = save_notice_.Note(status);
  if (!message.empty()) TellSettingsProblem(message);
}

void frmFind::TellSettingsProblem(const std::string& message) {
  std::fprintf(stderr, "quonder: %s\n", message.c_str());
  ShowPanelNote(QString::fromStdString(message));
}

void frmFind::ShowPanelNote(const QString& message) {
  stbPanels[0]->setText(message);
  stbPanels[0]->setToolTip(message);
}

// Each field of "Left,Top,Width,Height" (outer measures in twips) is applied only when it is a
// number from 1 up to, not including, the screen's measure; otherwise it stays as it is.
void frmFind::ApplyWindowSize(const WindowStatus& status) {
  const QRect screen_rect = screen() != nullptr ? screen()->geometry() : QRect(0, 0, 1024, 768);
  const double screen_twips[4] = {
      twips_.ToTwipsX(screen_rect.width()), twips_.ToTwipsY(screen_rect.height()),
      twips_.ToTwipsX(screen_rect.width()), twips_.ToTwipsY(screen_rect.height())};
  for (int i = 0; i < 4; ++i) {
    if (!status.window_size[i]) continue;
    const int32_t measure = *status.window_size[i];
    if (measure < 1 || measure >= screen_twips[i]) continue;
    const QRect outer = frameGeometry();
    switch (i) {
      case 0:
        move(twips_.ToPixelsX(measure), outer.y());
        break;
      case 1:
        move(outer.x(), twips_.ToPixelsY(measure));
        break;
      case 2:
        resize(twips_.ToPixelsX(measure) - (outer.width() - width()), height());
        if (!frame_known_) pending_outer_size_.setWidth(twips_.ToPixelsX(measure));
        break;
      case 3:
        resize(width(), twips_.ToPixelsY(measure) - (outer.height() - height()));
        if (!frame_known_) pending_outer_size_.setHeight(twips_.ToPixelsY(measure));
        break;
    }
  }
  // A stored size that fits the screen but not where it is placed, or that the screen's
  // panels leave no room for, is brought inside the available geometry.
  pending_outer_size_ = pending_outer_size_.boundedTo(AvailableGeometry(*this).size());
  KeepInsideScreen(*this);
  // A hidden window gets its resize event only when shown; the list follows now.
  LayoutList();
}

// Six widths in twips. A width below 1 or not below the list's width gets a sixth of the
// list's width. Such a width and a column's default width (stored or not: the window writes
// back what it was given) are widened to show the column's header whole, which a sixth of a
// small screen's list at a large font is not; any other width the user stored is kept.
void frmFind::ApplyColumnWidths(const WindowStatus& status) {
  const int32_t list_width = RoundToInt32(twips_.ToTwipsX(ListView1->width()));
  const int32_t sixth = list_width / 6;
  for (int column = 0; column < ResultModel::kColumnCount; ++column) {
    int32_t width = status.cols_width[column];
    bool stored = width != kDefaultColumnTwips[column];
    if (width < 1 || width >= list_width) {
      width = sixth;
      stored = false;
    }
    // A narrow column stays at least one pixel wide, so it can still be found and dragged.
    int pixels = std::max(1, twips_.ToPixelsX(width));
    if (!stored) pixels = std::max(pixels, ListView1->horizontalHeader()->sectionSizeHint(column));
    ListView1->setColumnWidth(column, pixels);
  }
}

// The smallest outer height that still shows the list's header and one row below the whole
// form, and the smallest width that shows the find frame; on a screen with less room, the room
// (the form scrolls then).
void frmFind::WorkOutMinHeight() {
  // Menu bar and status bar, as laid out (LayoutList lays out a hidden window too).
  const int chrome = height() - centralWidget()->height();
  const QSize room = ClientRoom(*this);
  const int inner_height = std::min(twips_.ToPixelsY(kListTopTwips) + ListHeight(1) +
                                        2 * twips_.ToPixelsY(kListMarginTwips) + chrome,
                                    room.height());
  const int frame_extra = frameGeometry().height() - height();
  lngMinHeight = RoundToInt32(twips_.ToTwipsY(inner_height + frame_extra));
  setMinimumSize(std::min(DesignedMinWidth(), room.width()), inner_height);
}

}  // namespace quonder
