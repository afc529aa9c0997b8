// The platform layer: numbers read and rounded half to even, a settings file that never blocks, and
// the file listing.
#include "TestFiles.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "platform/TextFile.h"
#include "platform/Twips.h"
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

using namespace TestFiles;

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Round half to even, twips at 15 a pixel, the leading number of a text, 16- and 32-bit
    // ranges (NaN: out of range) and the clamp to 16 bits.
    void numbers_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("in");
        QTest::addColumn<double>("out");
        const double none = qQNaN();
        for (const auto& [kind, in, out] :
            std::initializer_list<std::tuple<char, const char*, double>> { { 'r', "2.5", 2 }, { 'r', "3.5", 4 },
                { 'r', "-2.5", -2 }, { 't', "6030", 402 }, { 't', "37.5", 2 }, { 't', "112.5", 8 },
                { 'v', " -3.5x", -3.5 }, { 'v', ".5", 0.5 }, { 'v', "1e3", 1000 }, { 'v', "12e", 12 },
                { 'v', "1 2", 1 }, { 'v', "abc", 0 }, { 'i', "32767.4", 32767 }, { 'i', "32767.5", none },
                { 'i', "-32769", none }, { 'l', "2147483647", 2147483647 }, { 'l', "2147483648", none },
                { 'l', "inf", none }, { 'c', "99999", 32767 }, { 'c', "-99999", -32768 }, { 'c', "nan", 0 } })
            QTest::addRow("%c %s", kind, in) << kind << QString(in) << out;
    }
    void numbers()
    {
        QFETCH(char, kind);
        QFETCH(QString, in);
        const double x = in.toDouble();
        auto value = [](auto v) { return v ? double(*v) : qQNaN(); };
        const double got = kind == 'r' ? Numeric::roundHalfEven(x)
            : kind == 't'              ? double(twipsToPixels(x, 15.0))
            : kind == 'v'              ? Numeric::leadingNumber(in)
            : kind == 'i'              ? value(Numeric::toInt16(x))
            : kind == 'l'              ? value(Numeric::toInt32(x))
                                       : double(Numeric::clampToInt16(x));
        QTEST(got, "out");
        QCOMPARE(Numeric::formatSerial(-2147483648LL), QString("-2147483648"));
    }

    // A FIFO named like the settings file is refused at once instead of blocking in open().
    void textFileNeverWaitsOnAFifo()
    {
        QTemporaryDir dir;
        FifoGuard fifo(dir.filePath("Pirapo.ini"));
        QByteArray text;
        QVERIFY(fifo.made());
        QVERIFY(!TextFile::read(dir.filePath("Pirapo.ini"), &text));
        QVERIFY(!fifo.rescued());
    }

    // Pictures by extension in any case, sorted without regard to case; no hidden files
    // and no folders. Names that are not UTF-8 Qt cannot list at all: they are counted.
    void fileListing()
    {
        QTemporaryDir dir;
        for (const char* n : { "b.JPG", "a.jpg", "C.png", "d.Gif", "e.bmp", "f.txt", ".hidden.jpg", "g.jpeg", "A.jpg" })
            touch(dir.filePath(n));
        for (const char* n : { "/x\xff.JPG", "/y\xfe.txt", "/.z\xff.jpg" })
            ::close(::creat((QFile::encodeName(dir.path()) + n).constData(), 0644));
        QCOMPARE(unlistableCount(dir.path(), "*.jpg;*.png"), 1);
        for (const char* n : { "/x\xff.JPG", "/y\xfe.txt", "/.z\xff.jpg" })
            ::unlink((QFile::encodeName(dir.path()) + n).constData()); // Qt cannot see them to remove them
        QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
        QCOMPARE(listFiles(dir.path(), "*.jpg;*.bmp;*.gif;*.png"),
            QStringList({ "A.jpg", "a.jpg", "b.JPG", "C.png", "d.Gif", "e.bmp" }));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
