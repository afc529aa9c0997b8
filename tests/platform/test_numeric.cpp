#include "platform/Numeric.h"
#include <QtTest>

class TestNumeric : public QObject {
    Q_OBJECT
private slots:
    void roundHalfEven_data()
    {
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("1363.64") << 1363.64 << 1364.0;
        QTest::newRow("2.4999") << 2.4999 << 2.0;
    }
    void roundHalfEven()
    {
        QFETCH(double, in);
        QFETCH(double, out);
        QCOMPARE(Numeric::roundHalfEven(in), out);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("12a") << "12a" << 12.0;
        QTest::newRow("abc") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks then number") << "   1234567" << 1234567.0;
        QTest::newRow("sign and point") << " -3.5x" << -3.5;
        QTest::newRow("plus") << "+7" << 7.0;
        QTest::newRow("lone point") << "." << 0.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("e without digits") << "12e" << 12.0;
        QTest::newRow("inner blank ends it") << "1 2" << 1.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Numeric::leadingNumber(text), value);
    }

    void rangeChecks()
    {
        QCOMPARE(Numeric::toInt16(32767.4).value(), int16_t(32767));
        QVERIFY(!Numeric::toInt16(32767.5)); // rounds to 32768
        QVERIFY(!Numeric::toInt16(-32769));
        QCOMPARE(Numeric::toInt32(2147483647.0).value(), 2147483647);
        QVERIFY(!Numeric::toInt32(2147483648.0));
        QVERIFY(!Numeric::toInt32(std::numeric_limits<double>::infinity()));
        QCOMPARE(Numeric::clampToInt16(99999), int16_t(32767));
        QCOMPARE(Numeric::clampToInt16(-99999), int16_t(-32768));
        QCOMPARE(Numeric::clampToInt16(std::nan("")), int16_t(0));
    }

    void formatSerial_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("41") << qint64(41) << "000041";
        QTest::newRow("0") << qint64(0) << "000000";
        QTest::newRow("999999") << qint64(999999) << "999999";
        QTest::newRow("seven digits") << qint64(1234567) << "1234567";
        QTest::newRow("negative") << qint64(-5) << "-000005";
        QTest::newRow("int32 min") << qint64(-2147483648LL) << "-2147483648";
    }
    void formatSerial()
    {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(Numeric::formatSerial(value), text);
    }

    void wholeNumber()
    {
        QVERIFY(Numeric::isWholeNumber(" 12 "));
        QVERIFY(Numeric::isWholeNumber("2.5"));
        QVERIFY(!Numeric::isWholeNumber("12a"));
        QVERIFY(!Numeric::isWholeNumber(""));
        QVERIFY(!Numeric::isWholeNumber("-"));
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "test_numeric.moc"
