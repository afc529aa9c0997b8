// The viewer under bad input: files that change after the list was read, a list
// that empties under an open viewer, and a slideshow running over broken files.
#include "../SessionFixture.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include <QFileInfo>

using Hostile::Format;

class TestViewerHostile : public QObject {
    Q_OBJECT
private slots:
    void changedBetweenListingAndShowing_data();
    void changedBetweenListingAndShowing();
    void missingFileAtOpenIsReportedOnce_data();
    void missingFileAtOpenIsReportedOnce();
    void listEmptiedUnderAnOpenViewer();
    void slideshowOverBrokenFiles();
};

void TestViewerHostile::changedBetweenListingAndShowing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("expect"); // "missing", "nothing", "picture WxH", "fallback", "blank"
    QTest::newRow("jpg deleted") << "b.jpg"
                                 << "deleted"
                                 << "missing";
    QTest::newRow("png deleted") << "b.png"
                                 << "deleted"
                                 << "missing";
    QTest::newRow("gif replaced by a folder") << "b.gif"
                                              << "folder"
                                              << "nothing";
    QTest::newRow("png replaced by a folder") << "b.png"
                                              << "folder"
                                              << "blank";
    QTest::newRow("bmp replaced by another picture") << "b.bmp"
                                                     << "other"
                                                     << "picture 64x48";
    // The picture loader reads PNG content too; only the .png names go to the PNG decoder.
    QTest::newRow("jpg replaced by a PNG") << "b.jpg"
                                           << "png inside"
                                           << "picture 64x48";
    QTest::newRow("png replaced by a JPEG") << "b.png"
                                            << "jpeg inside"
                                            << "blank";
    QTest::newRow("jpg made empty") << "b.jpg"
                                    << "empty"
                                    << "fallback";
    QTest::newRow("png made empty") << "b.png"
                                    << "empty"
                                    << "blank";
}

void TestViewerHostile::changedBetweenListingAndShowing()
{
    QFETCH(QString, name);
    QFETCH(QString, change);
    QFETCH(QString, expect);
    SessionFixture s;
    const QString ext = name.section(u'.', -1);
    const Format format = ext == QLatin1String("png") ? Format::Png
        : ext == QLatin1String("gif")                 ? Format::Gif
        : ext == QLatin1String("bmp")                 ? Format::Bmp
                                                      : Format::Jpeg;
    QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(Hostile::write(s.src(name), Hostile::wellFormed(format, QSize(40, 30), 2)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("c.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 3)));
    QVERIFY(s.open());
    Form4* v = s.openViewer(0);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  a.jpg   (1/3)"));

    const QString path = s.src(name);
    if (change == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(path));
    } else if (change == QLatin1String("folder")) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
    } else if (change == QLatin1String("other")) {
        QVERIFY(Hostile::write(path, Hostile::wellFormed(format, QSize(64, 48), 7)));
    } else if (change == QLatin1String("png inside")) {
        QVERIFY(Hostile::write(path, Hostile::wellFormed(Format::Png, QSize(64, 48), 7)));
    } else if (change == QLatin1String("jpeg inside")) {
        QVERIFY(Hostile::write(path, Hostile::wellFormed(Format::Jpeg, QSize(64, 48), 7)));
    } else if (change == QLatin1String("empty")) {
        QVERIFY(Hostile::write(path, QByteArray()));
    }
    const auto before = s.files();

    v->Form_KeyDown(32, 0); // Space
    QCOMPARE(s.m.ViewerIndex, 1);
    if (expect == QLatin1String("missing")) {
        QCOMPARE(s.messages(), QStringList { QStringLiteral("ファイルが見つかりません。") });
        QVERIFY(v->Image1->isHidden());
    } else {
        QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join(u'\n')));
    }
    if (expect == QLatin1String("nothing")) {
        QVERIFY(v->Image1->isHidden()); // a folder is no picture; the display ends quietly
    } else if (expect == QLatin1String("blank")) {
        QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  %1   (2/3)").arg(name));
        QVERIFY(!v->Image1->hasPicture());
    } else if (expect == QLatin1String("fallback")) {
        QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  %1   (2/3)").arg(name));
        QCOMPARE(v->Image1->naturalSize(), QSize(44, 33));
        QVERIFY(v->Image1->isVisible());
        QCOMPARE(v->StatusBar1->panelText(4), QStringLiteral(" %1KB ").arg((QFileInfo(path).size() + 1023) / 1024));
    } else if (expect.startsWith(QLatin1String("picture"))) {
        QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  %1   (2/3)").arg(name));
        QCOMPARE(v->Image1->naturalSize(), QSize(64, 48));
        QCOMPARE(v->StatusBar1->panelText(3), QStringLiteral(" 64X48 Pixel "));
        QVERIFY(v->Image1->isVisible());
    }

    // The next step shows the next file as usual, and the files are as they were.
    const int shown = s.messages().size();
    v->Form_KeyDown(32, 0);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  c.jpg   (3/3)"));
    QVERIFY(v->Image1->isVisible());
    QCOMPARE(v->Image1->naturalSize(), QSize(40, 30));
    QCOMPARE(s.messages().size(), shown);
    QCOMPARE(s.files(), before);
}

void TestViewerHostile::missingFileAtOpenIsReportedOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("jpg") << QStringLiteral("gone.jpg");
    QTest::newRow("png") << QStringLiteral("gone.png");
}

// The window learns its frame only once shown and is fitted again then; the user
// is told about the missing file once, not once per fitting.
void TestViewerHostile::missingFileAtOpenIsReportedOnce()
{
    QFETCH(QString, name);
    SessionFixture s;
    QVERIFY(Hostile::write(
        s.src(name), Hostile::wellFormed(name.endsWith(QLatin1String("png")) ? Format::Png : Format::Jpeg)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("z.jpg")), Hostile::wellFormed(Format::Jpeg)));
    QVERIFY(s.open());
    QVERIFY(QFile::remove(s.src(name)));
    Form4* v = s.openViewer(0);
    QVERIFY(v);
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QCOMPARE(s.messages(), QStringList { QStringLiteral("ファイルが見つかりません。") });
    // Resizing the window while it shows nothing does not ask again either.
    v->resize(v->width() - 40, v->height() - 30);
    v->resize(v->width() + 10, v->height() + 10);
    QCOMPARE(s.messages().size(), 1);
    // Stepping away and back is a new display of it, and reports it again.
    v->Form_KeyDown(32, 0);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  z.jpg   (2/2)"));
    v->Form_KeyDown(32, 1);
    QCOMPARE(s.messages().size(), 2);
}

void TestViewerHostile::listEmptiedUnderAnOpenViewer()
{
    SessionFixture s;
    for (const char* name : { "a.jpg", "b.png", "c.gif" })
        QVERIFY(Hostile::write(s.src(QString::fromLatin1(name)),
            Hostile::wellFormed(name[2] == 'j' ? Format::Jpeg
                    : name[2] == 'p'           ? Format::Png
                                               : Format::Gif)));
    QVERIFY(s.build());
    Form1& f = *s.form;
    Form4* v = s.openViewer(2);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  c.gif   (3/3)"));

    // Everything goes to the delete folder and the board is reloaded: the list is empty.
    f.mnuDel1_Click();
    f.mnuRL_Click();
    QCOMPARE(f.File1->entryCount(), 0);
    QCOMPARE(s.files().size(), 3);

    // Every way of stepping on an empty list: no crash, a position inside the list's bounds.
    for (int key : { 0, 1, 0, 1 })
        v->Form_KeyDown(32, key);
    for (int button : { 4, 5, 7, 8, 6, 6 })
        v->Toolbar1_ButtonClick(button);
    v->Picture1_MouseDown(1, 0, 5, 5);
    v->Picture1_MouseDown(2, 0, 5, 5);
    s.m.SlideRepeat = 1;
    v->Toolbar1_ButtonClick(6);
    for (int i = 0; i < 3; ++i)
        v->Timer1_Timer();
    v->ShowImage();
    QVERIFY(s.m.ViewerIndex >= 0);
    QVERIFY(s.m.ViewerIndex <= 2);
    // The files are all in the delete folder, untouched.
    QCOMPARE(s.files().keys(), QStringList({ "dest10/a.jpg", "dest10/b.png", "dest10/c.gif" }));
    v->Toolbar1_ButtonClick(2);
    QVERIFY(!s.viewer());
}

void TestViewerHostile::slideshowOverBrokenFiles()
{
    SessionFixture s;
    QVERIFY(Hostile::write(s.src(QStringLiteral("00 good.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    int n = 0;
    for (Format f : { Format::Jpeg, Format::Gif, Format::Bmp, Format::Png }) {
        const QString ext = QLatin1String(Hostile::extension(f));
        QVERIFY(Hostile::write(s.src(QStringLiteral("%1 empty.%2").arg(++n).arg(ext)), QByteArray()));
        QVERIFY(Hostile::write(s.src(QStringLiteral("%1 cut.%2").arg(++n).arg(ext)), Hostile::truncated(f)));
        QVERIFY(Hostile::write(
            s.src(QStringLiteral("%1 huge.%2").arg(++n).arg(ext)), Hostile::claimingSize(f, QSize(60000, 60000))));
    }
    QVERIFY(Hostile::write(s.src(QStringLiteral("99 gone.jpg")), Hostile::wellFormed(Format::Jpeg)));
    QVERIFY(s.open());
    const int count = s.form->File1->entryCount();
    QCOMPARE(count, 14);
    QVERIFY(QFile::remove(s.src(QStringLiteral("99 gone.jpg"))));
    const auto before = s.files();

    Form4* v = s.openViewer(0);
    QVERIFY(v);
    s.m.SlideRepeat = 1;
    v->Toolbar1_ButtonClick(6);
    QVERIFY(v->Timer1->isActive());
    // Twice round the list, tick by tick.
    for (int i = 0; i < 2 * count; ++i) {
        v->Timer1_Timer();
        QCOMPARE(s.m.ViewerIndex, (i + 1) % count);
        QCOMPARE(v->windowTitle().section(u' ', 0, 0), QStringLiteral("ピラポくんViewer"));
    }
    // Only the file that is gone was reported, once per round.
    QCOMPARE(s.messages(), QStringList(2, QStringLiteral("ファイルが見つかりません。")));
    QVERIFY(v->Timer1->isActive());
    v->Toolbar1_ButtonClick(6);
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(s.files(), before);
}

QTEST_MAIN(TestViewerHostile)
#include "tst_viewerhostile.moc"
