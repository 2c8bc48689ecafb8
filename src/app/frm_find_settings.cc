// LoadSettings: every setting from the settings file in use into the window state and the
// controls, in a fixed order. A missing or unusable value gives its default; nothing is shown.
#include "app/frm_find.h"

#include <QHeaderView>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/result_model.h"
#include "app/setting_values.h"
#include "core/fileops/editor_command.h"
#include "core/settings/history.h"
#include "core/settings/ini_file_common.h"
#include "core/text/string_common.h"

namespace quonder {
namespace {

constexpr char kFindSetting[] = "FindSetting";
constexpr char kDefaultMaxSize[] = "10240";
constexpr int kDefaultColumnTwips[ResultModel::kColumnCount] = {600, 4200, 810, 810, 2100, 900};

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

std::string Utf8(const std::u16string& text) {
  return QString::fromStdU16String(text).toStdString();
}

}  // namespace

std::string frmFind::ReadSetting(const char* key, const std::string& default_escaped) {
  std::string value;
  GetIniString(kFindSetting, key, default_escaped, value, strIniFile);
  return value;
}

// A check box value: a number rounded to 0, 1 or 2; anything else is the default, clear.
int frmFind::ReadCheckValue(const char* key) {
  std::optional<double> number = ParseNumber(ReadSetting(key, "0"));
  if (!number) return 0;
  int32_t value = RoundToInt32(*number);
  return value >= 0 && value <= 2 ? value : 0;
}

void frmFind::LoadSettings() {
  const std::string program_folder = EscapeControlChars(start_.program_folder);
  strSourceFolder = ReadSetting("SourceFolder", program_folder);
  txtSourceFolder->setText(QString::fromStdString(strSourceFolder));
  strCopyFolder = ReadSetting("CopyFolder", program_folder);
  txtCopyFolder->setText(QString::fromStdString(strCopyFolder));

  LoadHistory(lngFindHistoryCnt, find_history_, "FindHistoryCnt", "FindHistory", "Find",
              strIniFile);
  LoadHistory(lngReplaceHistoryCnt, replace_history_, "ReplaceHistoryCnt", "ReplaceHistory",
              "Replace", strIniFile);

  SetCheckValue(chkRegExp, ReadCheckValue("UseRegExp"));
  chkRegExp_Click();
  SetCheckValue(chkIgnoreCase, ReadCheckValue("IgnoreCase"));
  chkIgnoreCase_Click();
  SetCheckValue(chkWordOnly, ReadCheckValue("WordOnly"));

  txtSeparator->setText(QString::fromStdString(
      ReadSetting("Separator", EscapeControlChars(Utf8(kDefaultSeparators)))));
  strEditor = ReadSetting("Editor", EscapeControlChars(std::string(kDefaultEditor)));

  // Unlike the other check boxes, a fraction here is cut off rather than rounded.
  std::optional<double> sub_folder = ParseNumber(ReadSetting("SubFolder", "0"));
  int sub_folder_value = sub_folder ? static_cast<int>(std::floor(*sub_folder)) : 0;
  SetCheckValue(chkSubFolder,
                sub_folder_value >= 0 && sub_folder_value <= 2 ? sub_folder_value : 0);

  std::optional<double> max_size = ParseNumber(ReadSetting("MaxSize", kDefaultMaxSize));
  lngMaxSize = max_size && std::fabs(*max_size) <= 2147483647.0 ? RoundToInt32(*max_size) : 10240;
  // The box shows kilobytes; its change handling turns them back into the same bytes.
  const int32_t bytes = lngMaxSize;
  txtMaxSize->setText(QString::number(bytes / 1024.0, 'g', 15));
  lngMaxSize = bytes;

  LoadHistory(lngExtentionsHistoryCnt, extentions_history_, "ExtentionsHistoryCnt",
              "ExtentionsHistory", "Extentions", strIniFile);

  cboExtBehavior->clear();
  cboExtBehavior->addItem(QStringLiteral("Include"));
  cboExtBehavior->addItem(QStringLiteral("Exclude"));
  std::optional<double> behavior = ParseNumber(ReadSetting("ExtBehavior", "0"));
  int32_t behavior_value = behavior ? RoundToInt32(*behavior) : 0;
  lngExtBehavior = behavior_value == 0 || behavior_value == 1 ? behavior_value : 0;
  cboExtBehavior->setCurrentIndex(lngExtBehavior);

  const std::string default_charset = DefaultCharset(CharCodeSets);
  const std::string coding = ReadSetting("Coding", EscapeControlChars(default_charset));
  strCoding = default_charset;
  for (size_t i = 0; i < CharCodeSets.size(); ++i) {
    if (CharCodeSets[i].Name == coding) {
      cboCoding->setCurrentIndex(static_cast<int>(i));
      cboCoding_Click();
      break;
    }
  }

  strLineFeedCode = ReadSetting("LineFeedCode", "\\r\\n");
  if (strLineFeedCode == "\r") {
    optCr->setChecked(true);
  } else if (strLineFeedCode == "\n") {
    optLf->setChecked(true);
  } else {
    optCrLf->setChecked(true);
    strLineFeedCode = "\r\n";
  }

  SetCheckValue(chkEnableRestore, ReadCheckValue("EnableRestore"));
  chkEnableRestore->setToolTip(QStringLiteral(
      "チェックすると置換時にファイルコピーを行なうので遅くなります。ディスクも消費します。"));
  chkWordOnly_Click();

  ApplyWindowSize();
  ApplyColumnWidths();
  WorkOutMinHeight();
  model_->Clear();
  PublishConditions();
}

// Each field of "Left,Top,Width,Height" (outer measures in twips) is applied only when it is a
// number from 1 up to, not including, the screen's measure; otherwise it stays as it is.
void frmFind::ApplyWindowSize() {
  std::string value;
  GetIniString("Status", "WindowSize", kDefaultWindowSize, value, strIniFile);
  const std::vector<std::string> fields = SplitFields(value, 4);
  const QRect screen_rect = screen() != nullptr ? screen()->geometry() : QRect(0, 0, 1024, 768);
  const double screen_twips[4] = {
      twips_.ToTwipsX(screen_rect.width()), twips_.ToTwipsY(screen_rect.height()),
      twips_.ToTwipsX(screen_rect.width()), twips_.ToTwipsY(screen_rect.height())};
  for (int i = 0; i < 4; ++i) {
    std::optional<double> number = ParseNumber(fields[i]);
    if (!number) continue;
    const int32_t measure = RoundToInt32(*number);
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
  // A hidden window gets its resize event only when shown; the list follows now.
  LayoutList();
}

// Six widths in twips. A number below 1 or not below the list's width gets a sixth of the
// list's width; a missing or unreadable field gets the column's default width (or that sixth
// when the list is too narrow for it).
void frmFind::ApplyColumnWidths() {
  std::string value;
  GetIniString("Status", "ColsWidth", kDefaultColsWidth, value, strIniFile);
  const std::vector<std::string> fields = SplitFields(value, ResultModel::kColumnCount);
  const int32_t list_width = RoundToInt32(twips_.ToTwipsX(ListView1->width()));
  const int32_t sixth = list_width / 6;
  for (int column = 0; column < ResultModel::kColumnCount; ++column) {
    std::optional<double> number = ParseNumber(fields[column]);
    int32_t width = number ? RoundToInt32(*number) : kDefaultColumnTwips[column];
    if (width < 1 || width >= list_width) width = sixth;
    // A narrow column stays at least one pixel wide, so it can still be found and dragged.
    ListView1->setColumnWidth(column, std::max(1, twips_.ToPixelsX(width)));
  }
}

// The smallest outer height that still shows the list's header and one row.
void frmFind::WorkOutMinHeight() {
  // Menu bar and status bar, as laid out (LayoutList lays out a hidden window too).
  const int chrome = height() - centralWidget()->height();
  const int inner_height = ListView1->y() + MinimumListHeight() + 2 * twips_.ToPixelsY(90) + chrome;
  const int frame_extra = frameGeometry().height() - height();
  lngMinHeight = RoundToInt32(twips_.ToTwipsY(inner_height + frame_extra));
  setMinimumSize(fraFindSettings->x() + fraFindSettings->width() + twips_.ToPixelsX(90),
                 inner_height);
}

}  // namespace quonder
