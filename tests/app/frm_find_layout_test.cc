// Every visible control of the main window and of the About window shows its text whole and
// keeps clear of its neighbours, at the desktop's font and at small to very large fonts. ctest runs
// this on a 96 DPI screen and again on a 144 DPI one; QUONDER_TEST_DPI names the logical DPI the
// screen must have, so that a run that silently got another screen fails.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTableView>
#include <QTest>

#include "app/app_icon.h"
#include "app/frame_box.h"
#include "app/frm_about.h"
#include "app/result_model.h"
#include "app/unit_label.h"
#include "frm_find_support.h"

namespace quonder::testing {
namespace {

// A text as a control draws it: where it lands and the area it must stay in (control
// coordinates).
struct DrawnText {
  QString text;
  QRect drawn;
  QRect area;
};

QStyleOptionButton ButtonOption(const QWidget& widget) {
  QStyleOptionButton option;
  option.initFrom(&widget);
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
    if (button->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
  }
  return option;
}

// The texts `widget` draws, each with the area the style gives it.
QList<DrawnText> TextsOf(const QWidget& widget) {
  const QFontMetrics metrics = widget.fontMetrics();
  const QStyle* style = widget.style();
  const auto single = [&](const QString& text, const QRect& area, Qt::Alignment alignment,
                          int flags) {
    return DrawnText{
        text,
        QStyle::alignedRect(widget.layoutDirection(), alignment, metrics.size(flags, text), area),
        area};
  };
  if (const auto* label = qobject_cast<const UnitLabel*>(&widget)) {
    return {{label->Caption(), label->CaptionRect(), label->contentsRect()},
            {label->Unit(), label->UnitRect(), label->contentsRect()}};
  }
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    if (label->text().isEmpty()) return {};
    const QRect area = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                      -label->margin(), -label->margin());
    if (label->wordWrap()) {
      const QRect drawn(area.topLeft(), QSize(area.width(), label->heightForWidth(label->width())));
      return {{label->text(), drawn, area}};
    }
    return {single(label->text(), area, label->alignment(), 0)};
  }
  if (const auto* frame = qobject_cast<const FrameBox*>(&widget)) {
    if (frame->title().isEmpty()) return {};
    return {{frame->title(), frame->CaptionRect(), frame->rect()}};
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
    const bool push = qobject_cast<const QPushButton*>(button) != nullptr;
    const auto element = push ? QStyle::SE_PushButtonContents
                         : qobject_cast<const QCheckBox*>(button) != nullptr
                             ? QStyle::SE_CheckBoxContents
                             : QStyle::SE_RadioButtonContents;
    QStyleOptionButton option = ButtonOption(widget);
    const QRect area = style->subElementRect(element, &option, &widget);
    const Qt::Alignment alignment = push ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
    return {single(button->text(), area, alignment, Qt::TextShowMnemonic)};
  }
  if (const auto* box = qobject_cast<const QComboBox*>(&widget); box && !box->isEditable()) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    const QRect area =
        style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    return {single(box->currentText(), area, Qt::AlignLeft | Qt::AlignVCenter, 0)};
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    // The line edit keeps two pixels of its own on each side.
    const QRect area =
        style->subElementRect(QStyle::SE_LineEditContents, &option, edit).adjusted(2, 0, -2, 0);
    return {single(edit->text(), area, Qt::AlignLeft | Qt::AlignVCenter, 0)};
  }
  return {};
}

// Where `widget` draws anything, in its parent's coordinates: a label only its text, a check
// box its indicator and text, a frame its caption and border; other controls their whole area.
QList<QRect> DrawnRects(const QWidget& widget) {
  QList<QRect> rects;
  if (const auto* frame = qobject_cast<const FrameBox*>(&widget)) {
    rects << frame->CaptionRect() << frame->rect().adjusted(0, frame->BorderTop(), 0, 0);
  } else if (qobject_cast<const QLabel*>(&widget) != nullptr) {
    for (const DrawnText& text : TextsOf(widget)) rects << text.drawn;
  } else if (qobject_cast<const QCheckBox*>(&widget) != nullptr ||
             qobject_cast<const QRadioButton*>(&widget) != nullptr) {
    QStyleOptionButton option = ButtonOption(widget);
    const auto element = qobject_cast<const QCheckBox*>(&widget) != nullptr
                             ? QStyle::SE_CheckBoxIndicator
                             : QStyle::SE_RadioButtonIndicator;
    rects << widget.style()->subElementRect(element, &option, &widget);
    for (const DrawnText& text : TextsOf(widget)) rects << text.drawn;
  } else {
    rects << widget.rect();
  }
  QList<QRect> moved;
  for (const QRect& rect : rects) {
    if (!rect.isEmpty()) moved << rect.translated(widget.pos());
  }
  return moved;
}

// The controls of the window's own (Qt's internal children have no name or a "qt_" one).
bool IsControl(const QWidget& widget) {
  return widget.isVisible() && !widget.objectName().isEmpty() &&
         !widget.objectName().startsWith(QLatin1String("qt_"));
}

QString Describe(const QRect& r) {
  return QString::asprintf("(%d,%d %dx%d)", r.x(), r.y(), r.width(), r.height());
}

// Texts cut off, and controls that draw over a sibling or over their frame's caption.
QStringList Problems(const QWidget& window) {
  QStringList problems;
  QList<const QWidget*> widgets = {&window};
  for (const QWidget* child : window.findChildren<QWidget*>()) widgets << child;
  for (const QWidget* widget : widgets) {
    if (widget != &window && !IsControl(*widget)) continue;
    for (const DrawnText& text : TextsOf(*widget)) {
      if (!text.area.contains(text.drawn)) {
        problems << QStringLiteral("%1: \"%2\" drawn at %3 leaves %4")
                        .arg(widget->objectName(), text.text, Describe(text.drawn),
                             Describe(text.area));
      }
    }
    QList<const QWidget*> children;
    for (const QObject* object : widget->children()) {
      const auto* child = qobject_cast<const QWidget*>(object);
      if (child != nullptr && !child->isWindow() && IsControl(*child)) children << child;
    }
    for (qsizetype i = 0; i < children.size(); ++i) {
      for (qsizetype j = i + 1; j < children.size(); ++j) {
        for (const QRect& a : DrawnRects(*children[i])) {
          for (const QRect& b : DrawnRects(*children[j])) {
            if (a.intersects(b)) {
              problems << QStringLiteral("%1 %2 overlaps %3 %4")
                              .arg(children[i]->objectName(), Describe(a),
                                   children[j]->objectName(), Describe(b));
            }
          }
        }
      }
      if (const auto* frame = qobject_cast<const FrameBox*>(widget)) {
        for (const QRect& rect : DrawnRects(*children[i])) {
          if (rect.intersects(frame->CaptionRect()) ||
              !frame->rect().adjusted(0, frame->BorderTop(), 0, 0).contains(rect)) {
            problems << QStringLiteral("%1 %2 is not inside the frame below its caption")
                            .arg(children[i]->objectName(), Describe(rect));
          }
        }
      }
    }
  }
  return problems;
}

// The result list's headers and the cells of its number columns (the widest number each
// holds) against the column widths.
QStringList ListProblems(const QTableView& list) {
  QStringList problems;
  const QAbstractItemModel& model = *list.model();
  const int last = model.rowCount() - 1;
  const int margin = list.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &list);
  for (int column = 0; column < model.columnCount(); ++column) {
    const QString header = model.headerData(column, Qt::Horizontal).toString();
    const int needed =
        list.horizontalHeader()->fontMetrics().horizontalAdvance(header) + 2 * margin;
    if (needed > list.columnWidth(column)) {
      problems << QStringLiteral("header \"%1\" needs %2, has %3")
                      .arg(header, QString::number(needed),
                           QString::number(list.columnWidth(column)));
    }
    if (last < 0 || column == ResultModel::kFilePath || column == ResultModel::kFound) continue;
    QStyleOptionViewItem option;
    option.initFrom(list.viewport());
    option.font = list.font();
    const QModelIndex cell = model.index(last, column);
    const int cell_width = list.itemDelegate()->sizeHint(option, cell).width();
    if (cell_width > list.columnWidth(column)) {
      problems << QStringLiteral("cell \"%1\" needs %2, has %3")
                      .arg(cell.data().toString(), QString::number(cell_width),
                           QString::number(list.columnWidth(column)));
    }
  }
  return problems;
}

// Rows whose numbers run to many digits: 100000 rows, lines and pointers in the millions.
ResultRows WideNumberRows() {
  ResultRows rows;
  for (int i = 0; i < 100000; ++i)
    rows.Append("sub/a.txt", 1000000 + i, 1000 + i, 120000000 + i, u"hit");
  return rows;
}

}  // namespace

class FrmFindLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QApplication::setWindowIcon(AppIcon());  // as the program sets it (the About window shows it)
    const QByteArray dpi = qgetenv("QUONDER_TEST_DPI");
    if (!dpi.isEmpty()) {
      QCOMPARE(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()), dpi.toInt());
    }
  }

  void Fonts_data() {
    QTest::addColumn<int>("points");
    QTest::newRow("desktop font") << 0;
    for (int points : {7, 9, 11, 12, 14, 18, 24}) {
      QTest::newRow(qPrintable(QStringLiteral("%1 pt").arg(points))) << points;
    }
  }

  void MainWindowShowsEveryTextWhole_data() { Fonts_data(); }
  void MainWindowShowsEveryTextWhole() {
    QFETCH(int, points);
    FontOverride font(points);
    WindowFixture fixture;
    fixture.WriteIni(
        "[FindSetting]\nSourceFolder=/tmp\nCopyFolder=/tmp\nMaxSize=2147482624\n"
        "Coding=no-such-charset\n");
    auto window = fixture.Open();
    QVERIFY(window);
    window->results()->AppendRows(WideNumberRows());
    // The longest texts the runs put into the status panels.
    Child<QLabel>(*window, "stbPanel1")->setText(QStringLiteral("Complete Finding"));
    for (const char* counter : {"stbPanel3", "stbPanel4", "stbPanel5"}) {
      Child<QLabel>(*window, counter)->setText(QStringLiteral("12345678"));
    }
    QVERIFY(ShowSettled(*window));
    const QStringList problems =
        Problems(*window) + ListProblems(*Child<QTableView>(*window, "ListView1"));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    SaveScreenshot(*window, QStringLiteral("main"));
    // The user's font is the one in use, never a smaller one.
    QCOMPARE(Child<QWidget>(*window, "chkRegExp")->font().pointSize(),
             QApplication::font().pointSize());
  }

  // A font changed while the window is open (in the desktop's settings) lays the window out
  // again, its list rows and number columns included.
  void MainWindowFollowsAFontChange_data() { Fonts_data(); }
  void MainWindowFollowsAFontChange() {
    QFETCH(int, points);
    WindowFixture fixture;
    fixture.WriteIni("[FindSetting]\nSourceFolder=/tmp\nCopyFolder=/tmp\nMaxSize=2147482624\n");
    auto window = fixture.Open();
    QVERIFY(window);
    window->results()->AppendRows(WideNumberRows());
    QVERIFY(ShowSettled(*window));
    FontOverride font(points);
    Settle(*window);
    const auto* list = Child<QTableView>(*window, "ListView1");
    const QStringList problems = Problems(*window) + ListProblems(*list);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QVERIFY(list->verticalHeader()->defaultSectionSize() > list->fontMetrics().height());
  }

  // A message longer than panel 1 shows its start there (the tool tip holds the rest): the
  // window keeps its width and the other panels stay inside it, counters whole.
  void StatusPanelsStayInTheWindow_data() { Fonts_data(); }
  void StatusPanelsStayInTheWindow() {
    QFETCH(int, points);
    FontOverride font(points);
    WindowFixture fixture;
    auto window = fixture.Open();
    QVERIFY(window);
    QVERIFY(ShowSettled(*window));
    window->resize(window->minimumSize());
    Settle(*window);
    const int width = window->width();
    Child<QLabel>(*window, "stbPanel1")
        ->setText(QStringLiteral("The settings file cannot be written: /home/user/.config/") +
                  QString(40, QLatin1Char('q')) +
                  QStringLiteral("/Quonder.ini: Permission denied"));
    Child<QLabel>(*window, "stbPanel2")->setText(QStringLiteral("/tmp/sub/a.txt"));
    for (const char* counter : {"stbPanel3", "stbPanel4", "stbPanel5"}) {
      Child<QLabel>(*window, counter)->setText(QStringLiteral("12345678"));
    }
    Settle(*window);
    QCOMPARE(window->width(), width);
    for (int panel = 1; panel <= 5; ++panel) {
      const auto* label =
          Child<QLabel>(*window, qPrintable(QStringLiteral("stbPanel%1").arg(panel)));
      const QRect place(label->mapTo(window.get(), QPoint(0, 0)), label->size());
      QVERIFY2(window->rect().contains(place) && place.width() > 0,
               qPrintable(QStringLiteral("panel %1 at %2").arg(panel).arg(Describe(place))));
      if (panel >= 3) {
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <=
                label->contentsRect().width());
      }
    }
  }

  void AboutWindowShowsEveryTextWhole_data() { Fonts_data(); }
  void AboutWindowShowsEveryTextWhole() {
    QFETCH(int, points);
    FontOverride font(points);
    frmAbout about(ProgramVersionRecord(), nullptr);
    QVERIFY(ShowSettled(about));
    const QStringList problems = Problems(about);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    SaveScreenshot(about, QStringLiteral("about"));
    // The title stays a heading: larger than the text below it, whatever the font.
    QVERIFY(Child<QLabel>(about, "lblTitle")->fontMetrics().height() >
            1.3 * Child<QLabel>(about, "lblVersion")->fontMetrics().height());
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::FrmFindLayoutTest)
#include "frm_find_layout_test.moc"
