// The number texts of the settings file and the size box: what counts as a number, what a
// leading number is, how values round, and the decimal form the window writes.
#include <QTest>

#include <cmath>
#include <limits>

#include "app/setting_values.h"

namespace quonder::testing {

class SettingValuesTest : public QObject {
  Q_OBJECT

 private slots:
  void ParseNumberTakesOnlyWholeNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "10240" << true << 10240.0;
    QTest::newRow("blanks around") << " \t7 " << true << 7.0;
    QTest::newRow("sign and fraction") << "-1.5" << true << -1.5;
    QTest::newRow("leading dot") << ".25" << true << 0.25;
    QTest::newRow("trailing dot") << "3." << true << 3.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "  " << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("dot alone") << "." << false << 0.0;
    QTest::newRow("unit behind") << "10kB" << false << 0.0;
    QTest::newRow("exponent without digits") << "2e" << false << 0.0;
    QTest::newRow("two numbers") << "1 2" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("comma decimal") << "1,5" << false << 0.0;
  }

  void ParseNumberTakesOnlyWholeNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    const std::optional<double> parsed = ParseNumber(text.toStdString());
    QCOMPARE(parsed.has_value(), numeric);
    if (numeric) QCOMPARE(*parsed, value);
  }

  void LeadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "10" << 10.0;
    QTest::newRow("fraction") << "0.5" << 0.5;
    QTest::newRow("unit behind") << " 12kB" << 12.0;
    QTest::newRow("exponent") << "2e1x" << 20.0;
    QTest::newRow("stray e") << "2ex" << 2.0;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
  }

  void LeadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(quonder::LeadingNumber(text.toStdString()), value);
  }

  void RoundToInt32GoesToEvenAndClamps() {
    QCOMPARE(RoundToInt32(0.5), 0);
    QCOMPARE(RoundToInt32(1.5), 2);
    QCOMPARE(RoundToInt32(2.5), 2);
    QCOMPARE(RoundToInt32(-2.5), -2);
    QCOMPARE(RoundToInt32(1.4999), 1);
    QCOMPARE(RoundToInt32(1e12), std::numeric_limits<int32_t>::max());
    QCOMPARE(RoundToInt32(-1e12), std::numeric_limits<int32_t>::min());
    QCOMPARE(RoundToInt32(std::nan("")), 0);
  }

  void FormatMeasureWritesPlainDecimals() {
    QCOMPARE(FormatMeasure(9795), std::string("9795"));
    QCOMPARE(FormatMeasure(0), std::string("0"));
    QCOMPARE(FormatMeasure(-30), std::string("-30"));
    QCOMPARE(FormatMeasure(7.5), std::string("7.5"));
    QCOMPARE(FormatMeasure(1.0 / 3.0), std::string("0.3333333"));
    QCOMPARE(FormatMeasure(123456789), std::string("123456800"));
    QCOMPARE(FormatMeasure(1e-9), std::string("0"));
  }

  void SplitFieldsGivesExactlyTheCount() {
    QCOMPARE(SplitFields(",,9795,6120", 4), (std::vector<std::string>{"", "", "9795", "6120"}));
    QCOMPARE(SplitFields("1,2", 4), (std::vector<std::string>{"1", "2", "", ""}));
    QCOMPARE(SplitFields("1,2,3,4,5", 4), (std::vector<std::string>{"1", "2", "3", "4"}));
    QCOMPARE(SplitFields("", 2), (std::vector<std::string>{"", ""}));
    QCOMPARE(SplitFields("a,", 2), (std::vector<std::string>{"a", ""}));
  }
};

}  // namespace quonder::testing

QTEST_MAIN(quonder::testing::SettingValuesTest)
#include "setting_values_test.moc"
