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

    // What the serial and interval tables do not reach already.
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("sign and point") << " -3.5x" << -3.5;
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

    void ranges()
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
        QCOMPARE(Numeric::formatSerial(-2147483648LL), QString("-2147483648"));
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "test_numeric.moc"
