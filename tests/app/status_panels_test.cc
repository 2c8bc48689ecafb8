// SharePanelWidths: the status panels keep their widths while the bar has room; a shorter bar
// keeps the stretching panel at its least width and takes the shortfall from the others in
// proportion, none below its least; the widths always fill the bar that holds their least.
#include <QTest>

#include <numeric>
#include <vector>

#include "app/status_panels.h"

Q_DECLARE_METATYPE(std::vector<int>)

namespace quonder {

class StatusPanelsTest : public QObject {
  Q_OBJECT

 private slots:
  // Four panels, the second stretching (its wanted width is not read).
  void SharesTheBar_data() {
    QTest::addColumn<std::vector<int>>("least");
    QTest::addColumn<int>("room");
    QTest::addColumn<std::vector<int>>("widths");
    const std::vector<int> least = {20, 60, 30, 30};
    QTest::newRow("room to spare") << least << 400 << std::vector<int>{100, 200, 50, 50};
    QTest::newRow("stretch at its least") << least << 260 << std::vector<int>{100, 60, 50, 50};
    QTest::newRow("shortfall in proportion")
        << std::vector<int>{20, 60, 20, 20} << 200 << std::vector<int>{70, 60, 35, 35};
    QTest::newRow("shrunk ones stop at their least")
        << least << 170 << std::vector<int>{50, 60, 30, 30};
    QTest::newRow("rounding fills the bar")
        << std::vector<int>{1, 60, 1, 1} << 179 << std::vector<int>{59, 60, 30, 30};
    QTest::newRow("stretch gives up what is left")
        << least << 100 << std::vector<int>{20, 20, 30, 30};
    QTest::newRow("no room") << least << 0 << std::vector<int>{20, 0, 30, 30};
  }
  void SharesTheBar() {
    QFETCH(std::vector<int>, least);
    QFETCH(int, room);
    QFETCH(std::vector<int>, widths);
    const std::vector<int> got = SharePanelWidths({100, 999, 50, 50}, least, 1, room);
    QCOMPARE(got, widths);
  }
};

}  // namespace quonder

QTEST_MAIN(quonder::StatusPanelsTest)
#include "status_panels_test.moc"
