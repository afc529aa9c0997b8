// SPDX-License-Identifier: MIT
// The pictures and texts the program ships: compiled-in icons and the files beside the executable.

#include "TestFiles.h"
#include <QImageReader>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QtTest>

namespace {

QByteArray shipped(const char* name)
{
    return TestFiles::readFile(QStringLiteral(LUMO_BIN_DIR "/") + QLatin1String(name));
}

// The text of UTF-8 bytes, or an empty string when they are not UTF-8.
QString utf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

}

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void toolbarIcons()
    {
        QList<QImage> seen;
        for (const char* name : { "main_cancel", "main_undo", "main_exit", "viewer_1_options", "viewer_2_close",
                                  "viewer_3_first", "viewer_4_prev", "viewer_5_slideshow", "viewer_6_next",
                                  "viewer_7_last", "viewer_8_slideshow_running" }) {
            const QImage icon = QImage(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)))
                                    .convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(icon.size(), QSize(24, 22));
            QCOMPARE(QImage(QStringLiteral(":/icons/%1@2x.png").arg(QLatin1String(name))).size(), QSize(48, 44));
            // Drawn on a transparent ground, with enough solid ink to read on any toolbar colour.
            int clear = 0, solid = 0;
            for (int y = 0; y < icon.height(); ++y)
                for (int x = 0; x < icon.width(); ++x) {
                    clear += qAlpha(icon.pixel(x, y)) == 0;
                    solid += qAlpha(icon.pixel(x, y)) == 255;
                }
            QVERIFY2(clear >= 52 && solid >= 52, name);
            // A file copied under the wrong name would pass everything else.
            QVERIFY2(!seen.contains(icon), name);
            seen << icon;
        }
        const QImage app(QStringLiteral(":/icons/app.png"));
        QVERIFY(app.width() >= 32 && app.width() == app.height());
    }

    void errorPicture()
    {
        QImageReader reader(QStringLiteral(LUMO_BIN_DIR "/Error.jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage picture = reader.read();
        QVERIFY(picture.width() >= 200 && picture.height() >= 150);
    }

    // CR LF throughout and no byte-order mark: the usage window shows the text as read.
    void readme()
    {
        const QByteArray bytes = shipped("Readme.txt");
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(utf8(bytes).contains(QStringLiteral("ピラポくんLumo")));
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    }

    // The page opens from the program folder, offline: it links only within itself.
    void helpPage()
    {
        const QString page = utf8(shipped("help/help.htm"));
        QVERIFY(page.contains(QStringLiteral("ピラポくんLumo")));
        QVERIFY(page.contains(QLatin1String("<meta charset=\"utf-8\">"), Qt::CaseInsensitive));
        static const QRegularExpression ref(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                            QRegularExpression::CaseInsensitiveOption);
        for (auto it = ref.globalMatch(page); it.hasNext();) {
            const QString target = it.next().captured(1);
            QVERIFY2(target.startsWith(u'#'), qPrintable(target));
            QVERIFY2(target == QLatin1String("#") || page.contains(QStringLiteral("id=\"%1\"").arg(target.mid(1))),
                     qPrintable(target));
        }
        for (const char* outside : { "://", "url(", "@import" })
            QVERIFY2(!page.contains(QLatin1String(outside), Qt::CaseInsensitive), outside);
    }
};

QTEST_MAIN(TestResources)
#include "test_resources.moc"
