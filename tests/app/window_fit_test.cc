// At a large font on a small screen (a laptop's screen at one and a half or twice the pixel
// scale), every window of the program fits the screen's available geometry and every control in
// it can be reached: it shows inside its window, or inside a scroll area that scrolls to it.
// ctest runs this on such screens; QUONDER_TEST_SCREEN names the logical size the screen must
// have, so that a run that silently got another screen fails.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <memory>
#include <optional>

#include "app/file_dialog.h"
#include "app/frm_about.h"
#include "app/help_window.h"
#include "core/settings/setting_numbers.h"
#include "dialog_layer_support.h"
#include "frm_find_support.h"
#include "support/scoped_env.h"

namespace quonder::testing {
namespace {

constexpr int kLargeFont = 24;

QString Describe(const QRect& r) {
  return QString::asprintf("(%d,%d %dx%d)", r.x(), r.y(), r.width(), r.height());
}

bool IsControl(const QWidget& widget) {
  for (const char* type : {"QAbstractButton", "QLabel", "QLineEdit", "QComboBox",
                           "QAbstractItemView", "QPlainTextEdit", "QTextEdit", "QGroupBox"}) {
    if (widget.inherits(type)) return true;
  }
  return false;
}

// Scrolls `area` as a user would to see `widget`: its whole when it fits the view, else as
// much of it as the view holds, from its top left corner.
void ScrollTo(QScrollArea& area, const QWidget& widget) {
  const QRect place(widget.mapTo(area.widget(), QPoint(0, 0)), widget.size());
  const auto scroll = [](QScrollBar* bar, int start, int length, int view) {
    if (start < bar->value() || length >= view) {
      bar->setValue(start);
    } else if (start + length > bar->value() + view) {
      bar->setValue(start + length - view);
    }
  };
  scroll(area.horizontalScrollBar(), place.x(), place.width(), area.viewport()->width());
  scroll(area.verticalScrollBar(), place.y(), place.height(), area.viewport()->height());
}

// Where the window does not fit its screen's available geometry, and the controls that cannot be
// reached. A control is reached when, once every scroll area around it has scrolled to it, the
// part of it that shows is as large as the control, or as the view of the scroll area that
// holds it when the control is larger.
QStringList Problems(QWidget& window) {
  QStringList problems;
  const QRect available = window.screen()->availableGeometry();
  if (!available.contains(window.frameGeometry())) {
    problems << QStringLiteral("%1 at %2 leaves the available %3")
                    .arg(window.objectName(), Describe(window.frameGeometry()),
                         Describe(available));
  }
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisible() || widget->isWindow() || !IsControl(*widget)) continue;
    for (QWidget* outer = widget->parentWidget(); outer != &window; outer = outer->parentWidget()) {
      if (auto* area = qobject_cast<QScrollArea*>(outer)) ScrollTo(*area, *widget);
    }
    QRect shown = widget->rect();
    QSize view = window.size();
    bool in_view = false;
    for (const QWidget* inner = widget; inner != &window; inner = inner->parentWidget()) {
      const QWidget* outer = inner->parentWidget();
      shown = shown.translated(inner->pos()) & outer->rect();
      const auto* area = outer->parentWidget() != nullptr
                             ? qobject_cast<const QScrollArea*>(outer->parentWidget())
                             : nullptr;
      if (!in_view && area != nullptr && area->viewport() == outer) {
        view = outer->size();
        in_view = true;
      }
    }
    if (shown.width() < std::min(widget->width(), view.width()) ||
        shown.height() < std::min(widget->height(), view.height())) {
      problems << QStringLiteral("%1 %2 shows only %3 of %4")
                      .arg(QString::fromLatin1(widget->metaObject()->className()),
                           widget->objectName(), Describe(shown), Describe(widget->rect()));
    }
  }
  return problems;
}

// Text a message box cuts off: its label's text needs more lines than the label shows, or a
// word wider than the label; or a text in its place that does not hold the whole prompt, or
// runs past its sides (the rest of its lines scrolls into view).
QStringList UnreadText(const QMessageBox& box) {
  QStringList problems;
  for (const QLabel* label : box.findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty() || label->textFormat() == Qt::RichText) {
      continue;
    }
    const QRect area = label->contentsRect();
    const int flags = label->wordWrap() ? Qt::TextWordWrap : 0;
    const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, area.width(), 1 << 20),
                                                           flags | Qt::AlignLeft, label->text());
    if (needed.width() > area.width() || needed.height() > area.height()) {
      problems << QStringLiteral("%1 needs %2, shows %3")
                      .arg(label->objectName(), Describe(needed), Describe(area));
    }
  }
  for (const QTextEdit* text : box.findChildren<QTextEdit*>()) {
    if (!text->isVisible()) continue;
    if (text->toPlainText() != box.text() || !text->isReadOnly() ||
        text->horizontalScrollBar()->maximum() > 0) {
      problems << QStringLiteral("%1 holds %2 of %3 characters, runs %4 pixels past its sides")
                      .arg(text->objectName())
                      .arg(text->toPlainText().size())
                      .arg(box.text().size())
                      .arg(text->horizontalScrollBar()->maximum());
    }
  }
  return problems;
}

// Screenshots name the screen: "main-683x384".
QString ScreenshotName(const char* window) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  return QStringLiteral("%1-%2x%3")
      .arg(QLatin1String(window))
      .arg(screen.width())
      .arg(screen.height());
}

// `window`'s measure in twips at its own scale, as the settings file holds it.
int Twips(const QWidget& window, int pixels, bool horizontal) {
  const TwipsScale scale(window);
  return RoundToInt32(horizontal ? scale.ToTwipsX(pixels) : scale.ToTwipsY(pixels));
}

}  // namespace

class WindowFitTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    const QByteArray wanted = qgetenv("QUONDER_TEST_SCREEN");
    const QSize size = QGuiApplication::primaryScreen()->availableGeometry().size();
    if (!wanted.isEmpty()) {
      QCOMPARE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
               QString::fromLatin1(wanted));
    }
  }

  // The main window as it starts with no stored size, with one larger than the screen (not
  // applied), and with one that fits the screen but not where it is placed; and a window the
  // font grows in while it is open (it keeps its size in twips, which no longer fits).
  void MainWindowFitsTheScreen_data() {
    QTest::addColumn<QString>("stored");  // WindowSize as fractions of the screen's measures
    QTest::addColumn<bool>("font_later");
    QTest::newRow("designed size") << QString() << false;
    QTest::newRow("stored size beyond the screen") << "0,0,2,2" << false;
    QTest::newRow("stored place runs off the screen") << "0.5,0.5,0.9,0.9" << false;
    QTest::newRow("font grows while open") << QString() << true;
  }
  void MainWindowFitsTheScreen() {
    QFETCH(QString, stored);
    QFETCH(bool, font_later);
    std::optional<FontOverride> font;
    if (!font_later) font.emplace(kLargeFont);
    WindowFixture fixture;
    const std::string settings = "[FindSetting]\nSourceFolder=/tmp\n";
    fixture.WriteIni(settings);
    if (!stored.isEmpty()) {
      // The stored measures in twips at the scale the window will have.
      auto probe = fixture.Open();
      QVERIFY(probe);
      const QRect screen = probe->screen()->geometry();
      const QStringList fractions = stored.split(QLatin1Char(','));
      QStringList twips;
      for (int i = 0; i < 4; ++i) {
        const bool horizontal = i % 2 == 0;
        const int measure = horizontal ? screen.width() : screen.height();
        twips << QString::number(
            Twips(*probe, qRound(measure * fractions[i].toDouble()), horizontal));
      }
      fixture.WriteIni(settings + "[Status]\nWindowSize=" + twips.join(',').toStdString() + "\n");
    }
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    if (font_later) {
      font.emplace(kLargeFont);
      Settle(*window);
    }
    SaveScreenshot(*window, ScreenshotName("main"));
    const QStringList problems = Problems(*window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    // The result list keeps room for its header and a row below the options that scroll.
    const auto* list = Child<QTableView>(*window, "ListView1");
    QVERIFY2(list->viewport()->height() >= list->verticalHeader()->defaultSectionSize(),
             qPrintable(Describe(list->geometry())));
    // What the window stores is what it has: it comes back at that size.
    Settle(*window);
    window->close();
    const QStringList size =
        QString::fromStdString(fixture.Ini("Status", "WindowSize")).split(QLatin1Char(','));
    QCOMPARE(size.size(), 4);
    QCOMPARE(size[3].toInt(), Twips(*window, window->frameGeometry().height(), false));
  }

  // Dragged to its smallest, the window still fits and shows the list's header and a row.
  void SmallestMainWindowKeepsEveryControl() {
    FontOverride font(kLargeFont);
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    window->resize(1, 1);
    Settle(*window);
    QCOMPARE(window->size(), window->minimumSize());
    const QStringList problems = Problems(*window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    const auto* list = Child<QTableView>(*window, "ListView1");
    QVERIFY(list->viewport()->height() >= list->verticalHeader()->defaultSectionSize());
  }

  // The status bar at the window's start and at its smallest, with the texts a run puts into
  // it: every panel keeps room for a few characters of its text.
  void StatusPanelsShareANarrowBar_data() {
    QTest::addColumn<bool>("smallest");
    QTest::newRow("designed size") << false;
    QTest::newRow("smallest") << true;
  }
  void StatusPanelsShareANarrowBar() {
    QFETCH(bool, smallest);
    FontOverride font(kLargeFont);
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    if (smallest) {
      window->resize(1, 1);
      Settle(*window);
    }
    const QString texts[5] = {QStringLiteral("Complete Finding"), QStringLiteral("/tmp/sub/a.txt"),
                              QStringLiteral("123"), QStringLiteral("45"), QStringLiteral("6")};
    for (int panel = 1; panel <= 5; ++panel) {
      Child<QLabel>(*window, qPrintable(QStringLiteral("stbPanel%1").arg(panel)))
          ->setText(texts[panel - 1]);
    }
    Settle(*window);
    QStringList problems;
    for (int panel = 1; panel <= 5; ++panel) {
      const auto* label =
          Child<QLabel>(*window, qPrintable(QStringLiteral("stbPanel%1").arg(panel)));
      const QRect place(label->mapTo(window.get(), QPoint(0, 0)), label->size());
      const int room = std::min(label->fontMetrics().horizontalAdvance(QStringLiteral("0000")),
                                label->fontMetrics().horizontalAdvance(label->text()));
      if (!window->rect().contains(place) || label->contentsRect().width() < room) {
        problems << QStringLiteral("panel %1 at %2 shows %3 pixels of \"%4\"")
                        .arg(panel)
                        .arg(Describe(place))
                        .arg(label->contentsRect().width())
                        .arg(label->text());
      }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  // A default width, and the one that takes the place of a stored width the list cannot hold,
  // shows the column's header whole; a narrow width the user stored is kept.
  void ColumnHeadersShowWhole_data() {
    QTest::addColumn<QString>("stored");  // ColsWidth
    QTest::addColumn<bool>("kept");
    QTest::newRow("default widths") << QString() << false;
    QTest::newRow("stored widths beyond the list")
        << "99999,99999,99999,99999,99999,99999" << false;
    QTest::newRow("narrow stored widths") << "90,90,90,90,90,90" << true;
  }
  void ColumnHeadersShowWhole() {
    QFETCH(QString, stored);
    QFETCH(bool, kept);
    FontOverride font(kLargeFont);
    WindowFixture fixture;
    std::string settings = "[FindSetting]\nSourceFolder=/tmp\n";
    if (!stored.isEmpty()) settings += "[Status]\nColsWidth=" + stored.toStdString() + "\n";
    fixture.WriteIni(settings);
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    const auto* list = Child<QTableView>(*window, "ListView1");
    const QHeaderView* header = list->horizontalHeader();
    const int margin = list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    QStringList problems;
    for (int column = 0; column < list->model()->columnCount(); ++column) {
      const QString caption = list->model()->headerData(column, Qt::Horizontal).toString();
      const int needed = header->fontMetrics().horizontalAdvance(caption) + 2 * margin;
      const int wanted = kept ? TwipsScale(*window).ToPixelsX(90) : needed;
      if (kept ? list->columnWidth(column) != wanted : list->columnWidth(column) < needed) {
        problems << QStringLiteral("\"%1\" is %2 wide, wants %3")
                        .arg(caption)
                        .arg(list->columnWidth(column))
                        .arg(wanted);
      }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  void AboutWindowFitsTheScreen() {
    FontOverride font(kLargeFont);
    frmAbout about(ProgramVersionRecord(), nullptr, QStringLiteral("/home/user/Quonder.ini"));
    QVERIFY(ShowSettled(about));
    SaveScreenshot(about, ScreenshotName("about"));
    const QStringList problems = Problems(about);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  // A message with a long path in it, as a failed replace or copy shows one, one whose path
  // has no blank to break at, one with a name longer than any screen, and the box that says
  // that no system information program is installed (an empty prompt here).
  void MessageBoxesFitTheScreen_data() {
    QTest::addColumn<QString>("prompt");
    QTest::newRow("message") << QStringLiteral(
        "The file cannot be replaced: /home/user/projects/quonder/src/core/search/fast/"
        "literal_scanner_for_long_lines.cc: Permission denied\r\n3 files were not replaced.");
    QString path;
    while (path.size() < 400) path += QStringLiteral("/folder_%1").arg(path.size());
    QTest::newRow("path without blanks") << path;
    QTest::newRow("name without breaks") << QStringLiteral("The file cannot be replaced: /tmp/") +
                                                QString(400, QLatin1Char('q')) +
                                                QStringLiteral("_END: Permission denied");
    QTest::newRow("no system information") << QString();
  }
  void MessageBoxesFitTheScreen() {
    QFETCH(QString, prompt);
    FontOverride font(kLargeFont);
    QStringList problems;
    WhenBoxShows([&](QMessageBox* box) {
      Settle(*box);
      problems = Problems(*box) + UnreadText(*box);
      box->button(QMessageBox::Ok)->click();
    });
    if (prompt.isEmpty()) {
      ScratchFolder empty;
      ScopedEnv path("PATH", empty.path());
      StartSysInfo(nullptr, QStringLiteral("Quonder"));
    } else {
      ShowMessage(prompt, QStringLiteral("Find Text Alarm"), kMbOk | kMbIconExclamation);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  void HelpWindowFitsTheScreen() {
    FontOverride font(kLargeFont);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("readme.txt"));
    WindowFixture::WriteFile(path.toStdString(), "Quonder\n");
    HelpWindow help(nullptr);
    help.ShowFile(path, QStringLiteral("no program opens text files"));
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    Settle(help);
    const QStringList problems = Problems(help);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }

  void FileDialogsFitTheScreen_data() {
    QTest::addColumn<FileDialogRequest::Kind>("kind");
    QTest::newRow("folder") << FileDialogRequest::Kind::kFolder;
    QTest::newRow("open") << FileDialogRequest::Kind::kOpen;
    QTest::newRow("save") << FileDialogRequest::Kind::kSave;
  }
  void FileDialogsFitTheScreen() {
    QFETCH(FileDialogRequest::Kind, kind);
    FontOverride font(kLargeFont);
    FileDialogRequest request;
    request.kind = kind;
    request.title = QStringLiteral("Select Setting");
    request.folder = QDir::tempPath();
    if (kind != FileDialogRequest::Kind::kFolder) {
      request.name_filters = ToQtNameFilters(SettingsFileFilter());
    }
    std::unique_ptr<QFileDialog> dialog = MakeFileDialog(request);
    QVERIFY(ShowSettled(*dialog));
    const QStringList problems = Problems(*dialog);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::WindowFitTest)
#include "window_fit_test.moc"
