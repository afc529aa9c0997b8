// SPDX-License-Identifier: MIT
// The pictures and texts the program ships: compiled-in icons and the files beside the executable.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QtTest>

namespace {

const char* const toolbarIcons[] = {
    "main_cancel",
    "main_undo",
    "main_exit",
    "viewer_1_options",
    "viewer_2_close",
    "viewer_3_first",
    "viewer_4_prev",
    "viewer_5_slideshow",
    "viewer_6_next",
    "viewer_7_last",
    "viewer_8_slideshow_running",
};

QString binFile(const QString& name) { return QDir(QStringLiteral(LUMO_BIN_DIR)).filePath(name); }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString decodeUtf8(const QByteArray& bytes, bool* ok)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    *ok = !utf8.hasError();
    return text;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void toolbarIcon_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : toolbarIcons)
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void toolbarIcon()
    {
        QFETCH(QString, name);
        const QImage icon(QStringLiteral(":/icons/%1.png").arg(name));
        QVERIFY2(!icon.isNull(), qPrintable(name));
        QCOMPARE(icon.size(), QSize(24, 22));
        QVERIFY(icon.hasAlphaChannel());

        // Drawn on a transparent ground, with enough solid ink to read on any toolbar colour.
        int clear = 0, solid = 0;
        const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x) {
                const int a = qAlpha(argb.pixel(x, y));
                clear += a == 0;
                solid += a == 255;
            }
        const int tenth = 24 * 22 / 10;
        QVERIFY2(clear >= tenth, qPrintable(QStringLiteral("%1 transparent pixels").arg(clear)));
        QVERIFY2(solid >= tenth, qPrintable(QStringLiteral("%1 opaque pixels").arg(solid)));

        const QImage doubled(QStringLiteral(":/icons/%1@2x.png").arg(name));
        QCOMPARE(doubled.size(), QSize(48, 44));
    }

    void toolbarIconsDiffer()
    {
        // A copied file under the wrong name would pass every other check.
        QList<QImage> seen;
        for (const char* name : toolbarIcons) {
            const QImage icon = QImage(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)))
                                    .convertToFormat(QImage::Format_ARGB32);
            for (const QImage& other : seen)
                QVERIFY2(icon != other, name);
            seen.append(icon);
        }
    }

    void appIcon()
    {
        const QImage icon(QStringLiteral(":/icons/app.png"));
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.width(), icon.height());
        QVERIFY(icon.width() >= 32);
    }

    void errorPicture()
    {
        QImageReader reader(binFile(QStringLiteral("Error.jpg")));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage picture = reader.read();
        QVERIFY2(!picture.isNull(), qPrintable(reader.errorString()));
        QVERIFY(picture.width() >= 200 && picture.height() >= 150);
    }

    void readme()
    {
        const QByteArray bytes = readAll(binFile(QStringLiteral("Readme.txt")));
        QVERIFY(!bytes.isEmpty());
        QVERIFY2(!bytes.startsWith("\xEF\xBB\xBF"), "no byte-order mark: the usage window shows the text as read");
        bool ok = false;
        const QString text = decodeUtf8(bytes, &ok);
        QVERIFY(ok);
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QVERIFY(text.contains(QStringLiteral("ピラポくんLumo")));
    }

    void helpPage()
    {
        const QByteArray bytes = readAll(binFile(QStringLiteral("help/help.htm")));
        QVERIFY(!bytes.isEmpty());
        bool ok = false;
        const QString page = decodeUtf8(bytes, &ok);
        QVERIFY(ok);
        QVERIFY(page.contains(QLatin1String("<meta charset=\"utf-8\">"), Qt::CaseInsensitive));
        QVERIFY(page.contains(QStringLiteral("ピラポくんLumo")));

        // The page opens from the program folder, offline: it links only within itself.
        static const QRegularExpression ref(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                            QRegularExpression::CaseInsensitiveOption);
        for (auto it = ref.globalMatch(page); it.hasNext();) {
            const QString target = it.next().captured(1);
            QVERIFY2(target.startsWith(QLatin1Char('#')), qPrintable(target));
            if (target.size() > 1) {
                const QString id = QStringLiteral("id=\"%1\"").arg(target.mid(1));
                QVERIFY2(page.contains(id), qPrintable(QStringLiteral("no anchor for ") + target));
            }
        }
        QVERIFY(!page.contains(QLatin1String("://")));
        QVERIFY(!page.contains(QLatin1String("url("), Qt::CaseInsensitive));
        QVERIFY(!page.contains(QLatin1String("@import"), Qt::CaseInsensitive));
    }
};

QTEST_MAIN(TestResources)
#include "test_resources.moc"
