// The board under bad input: broken and lying picture files, odd names, and files
// that change between the listing and the moment the board or a drop reaches them.
#include "../SessionFixture.h"
#include "board/BoardGeometry.h"
#include "platform/StatusBar.h"
#include <QFileInfo>
#include <QScopeGuard>
#include <filesystem>
#include <fstream>
#include <map>

using Hostile::Format;

Q_DECLARE_METATYPE(Hostile::Format)

namespace {

QByteArray badFile(const QString& kind, Format f)
{
    if (kind == QLatin1String("empty"))
        return {};
    if (kind == QLatin1String("truncated"))
        return Hostile::truncated(f, 5);
    if (kind == QLatin1String("60000x60000"))
        return Hostile::claimingSize(f, QSize(60000, 60000), 5);
    if (kind == QLatin1String("65535x65535"))
        return Hostile::claimingSize(f, QSize(65535, 65535), 5);
    if (kind == QLatin1String("16000x16000")) // inside what the PNG decoder accepts: 1 GB of pixels
        return Hostile::claimingSize(f, QSize(16000, 16000), 5);
    return {};
}

}

class TestBoardHostile : public QObject {
    Q_OBJECT
private slots:
    void badPictureAmongGoodOnes_data();
    void badPictureAmongGoodOnes();
    void oddNames_data();
    void oddNames();
    void namesThatAreNotText();
    void changedBetweenListingAndLoading();
    void changedBetweenListingAndDrop_data();
    void changedBetweenListingAndDrop();
    void settingsOutOfRange_data();
    void settingsOutOfRange();
    void namesTooLongForTheNewName();
    void linksInTheSourceFolder();
    void sourceFolderRemovedUnderTheBoard();
    void sourceFolderIsAlsoADestination();
};

void TestBoardHostile::badPictureAmongGoodOnes_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("kind");
    for (Format f : { Format::Jpeg, Format::Gif, Format::Bmp, Format::Png })
        for (const char* kind : { "empty", "truncated", "60000x60000", "65535x65535" })
            QTest::addRow("%s %s", kind, Hostile::extension(f)) << f << QString::fromLatin1(kind);
    QTest::addRow("16000x16000 png") << Format::Png << QStringLiteral("16000x16000");
}

void TestBoardHostile::badPictureAmongGoodOnes()
{
    QFETCH(Format, format);
    QFETCH(QString, kind);
    SessionFixture s;
    const QString bad = QStringLiteral("b_bad.%1").arg(QLatin1String(Hostile::extension(format)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("a_good.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(Hostile::write(s.src(bad), badFile(kind, format)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("c_good.gif")), Hostile::wellFormed(Format::Gif, QSize(40, 30), 2)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("d_good.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 3)));
    const auto before = s.files();

    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.File1->entryCount(), 4);
    auto checkPage = [&] {
        for (int i : { 0, 2, 3 }) {
            QVERIFY2(s.slot(i)->hasPicture(), qPrintable(f.File1->entry(i)));
            QCOMPARE(s.slot(i)->sizeTwips(), QSizeF(600, 450));
        }
        // The bad one keeps a place to grab it by, never larger than the box whatever it claims.
        ThumbSlot* b = s.slot(1);
        QVERIFY(b->isVisible());
        QVERIFY(b->sizeTwips().width() <= f.ThumbTwips);
        QVERIFY(b->sizeTwips().height() <= f.ThumbTwips);
        if (kind == QLatin1String("empty"))
            QVERIFY(!b->hasPicture());
        QCOMPARE(s.m.BoardBusy, int16_t(0));
        QVERIFY(f.Toolbar1->isEnabled());
    };
    checkPage();
    f.mnuRL_Click();
    checkPage();
    f.mnuDL_Click();
    checkPage();
    QCOMPARE(f.StatusBar1->panelText(3), QStringLiteral(" 4 File "));

    // The viewer shows it without a crash and without a message.
    Form4* v = s.openViewer(1);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  %1   (2/4)").arg(bad));
    QCOMPARE(v->StatusBar1->panelText(2), QStringLiteral(" %1 ").arg(bad));
    const qint64 length = QFileInfo(s.src(bad)).size();
    QCOMPARE(v->StatusBar1->panelText(4), QStringLiteral(" %1KB ").arg((length + 1023) / 1024));
    if (format == Format::Png) {
        QVERIFY(!v->Image1->hasPicture()); // the decoder gives nothing: a blank area
    } else {
        // What could be read of it, or the fallback picture (44 x 33); never a claimed size.
        QVERIFY(v->Image1->hasPicture());
        const QSize natural = v->Image1->naturalSize();
        QVERIFY2(natural == QSize(40, 30) || natural == QSize(44, 33),
            qPrintable(QStringLiteral("%1x%2").arg(natural.width()).arg(natural.height())));
        QVERIFY(v->Picture1->rect().contains(v->Image1->geometry()));
    }
    v->Form_KeyDown(32, 0);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  c_good.gif   (3/4)"));
    QVERIFY(v->Image1->hasPicture());
    QCOMPARE(v->Image1->naturalSize(), QSize(40, 30));
    v->close();

    // Sorting does not care what is inside: the file moves whole and comes back whole.
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.files(), before);
    s.drop(1, 4);
    QVERIFY(s.messages().isEmpty());
    auto after = before;
    after.insert(QStringLiteral("dest4/000041 ") + bad, after.take(QStringLiteral("src/") + bad));
    QCOMPARE(s.files(), after);
    f.Toolbar1_ButtonClick(2); // undo
    QCOMPARE(s.files(), before);
    QVERIFY(s.messages().isEmpty());
}

void TestBoardHostile::oddNames_data()
{
    QTest::addColumn<int>("rule");
    QTest::newRow("rule 0") << 0;
    QTest::newRow("rule 1") << 1;
    QTest::newRow("rule 2") << 2;
}

void TestBoardHostile::oddNames()
{
    QFETCH(int, rule);
    SessionFixture s;
    // Head names and folders with blanks, quotes and Japanese text as well.
    for (int k = 0; k < 10; ++k) {
        s.m.HeadName[size_t(k)] = QStringLiteral("旅 \"%1\" 'x'").arg(k);
        s.m.DestPath[size_t(k)] = s.root(QStringLiteral("行き先 \"%1\"/").arg(k));
        QDir().mkpath(s.m.DestPath[size_t(k)]);
    }
    s.m.NameRule = int16_t(rule);
    const QStringList visible = {
        QStringLiteral("  two leading blanks.jpg"),
        QStringLiteral("back\\slash.jpg"),
        QStringLiteral("double \"quoted\".jpg"),
        QStringLiteral("semi;colon,comma.GIF"),
        QStringLiteral("single 'quoted'.png"),
        QStringLiteral("trailing dot..jpg"),
        QStringLiteral("with blank.BMP"),
        QStringLiteral("日本語の 写真.jpg"),
        QStringLiteral("１２３４５６ 全角.jpg"),
    };
    const QStringList hidden
        = { QStringLiteral(".hidden.jpg"), QStringLiteral(". blank after dot.png"), QStringLiteral("..two dots.gif") };
    int seed = 0;
    for (const QString& name : visible + hidden) {
        const QString ext = name.section(u'.', -1).toLower();
        const Format f = ext == QLatin1String("png") ? Format::Png
            : ext == QLatin1String("gif")            ? Format::Gif
            : ext == QLatin1String("bmp")            ? Format::Bmp
                                                     : Format::Jpeg;
        QVERIFY(Hostile::write(s.src(name), Hostile::wellFormed(f, QSize(40, 30), ++seed)));
    }
    const auto before = Hostile::snapshot(s.src());

    QVERIFY(s.build());
    Form1& f = *s.form;
    QStringList listed = f.File1->entries();
    QStringList sorted = visible;
    std::sort(sorted.begin(), sorted.end(),
        [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    QCOMPARE(listed, sorted);
    for (int i = 0; i < listed.size(); ++i)
        QVERIFY2(s.slot(i)->hasPicture(), qPrintable(listed[i]));

    // Every listed file onto target i, under the rule.
    QMap<QString, QString> movedTo; // src name -> relative destination path
    for (int i = 0; i < listed.size(); ++i) {
        const int k = i % 10;
        const int serial = (rule == 0 ? 41 : rule == 1 ? 7 : 123) + i;
        const QString digits = QStringLiteral("%1").arg(serial, 6, 10, QLatin1Char('0'));
        const QString name = listed[i];
        const QString ext = name.mid(name.lastIndexOf(u'.'));
        QString newName;
        if (rule == 0)
            newName = digits + u' ' + (name.size() >= 7 && name.at(6) == u' ' ? name.mid(7) : name);
        else if (rule == 1)
            newName = QStringLiteral("行き先 \"%1\"").arg(k) + digits + ext;
        else
            newName = QStringLiteral("旅 \"%1\" 'x'").arg(k) + digits + ext;
        s.drop(i, k);
        QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join(u'\n')));
        QVERIFY2(QFile::exists(s.root(QStringLiteral("行き先 \"%1\"/").arg(k) + newName)), qPrintable(newName));
        movedTo.insert(name, QStringLiteral("行き先 \"%1\"/").arg(k) + newName);
    }
    // Whole, under the new names; the hidden files were never touched.
    const auto after = s.files();
    for (auto it = movedTo.cbegin(); it != movedTo.cend(); ++it)
        QCOMPARE(after.value(it.value()), before.value(it.key()));
    for (const QString& name : hidden)
        QCOMPARE(after.value(QStringLiteral("src/") + name), before.value(name));
    QCOMPARE(Hostile::snapshot(s.src()).size(), hidden.size());

    // Ten undos bring the last ten back to their own names.
    for (int i = 0; i < 10; ++i)
        f.UndoLast();
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(Hostile::snapshot(s.src()), before); // nine drops: all of them came back

    // The viewer titles them as they are.
    Form4* v = s.openViewer(0);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(),
        QStringLiteral("ピラポくんViewer  %1   (1/%2)").arg(f.File1->entry(0)).arg(f.File1->entryCount()));
    QVERIFY(v->Image1->hasPicture());
}

void TestBoardHostile::namesThatAreNotText()
{
#ifdef Q_OS_WIN
    QSKIP("file names are always text here");
#else
    // Names whose bytes are not UTF-8 cannot be named through Qt at all. They are left
    // out of the list, and sorting the rest of the folder leaves them alone.
    SessionFixture s;
    namespace fs = std::filesystem;
    const fs::path folder(QFile::encodeName(s.src()).toStdString());
    std::map<std::string, std::string> raw = { { "\xE9t\xE9.jpg", {} }, { "\xE8t\xE8.JPG", {} } };
    for (auto& [name, content] : raw) {
        const QByteArray bytes = Hostile::wellFormed(Format::Jpeg, QSize(40, 30), uint8_t(name[0]));
        content = bytes.toStdString();
        std::ofstream(folder / name, std::ios::binary) << content;
    }
    // Qt cannot see them, so the temporary folder cannot remove them either.
    const auto removeRaw = qScopeGuard([&] {
        for (const auto& entry : raw) {
            std::error_code ignored;
            fs::remove(folder / entry.first, ignored);
        }
    });
    QVERIFY(Hostile::write(s.src(QStringLiteral("plain.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.File1->entries(), QStringList { QStringLiteral("plain.jpg") });
    s.drop(0, 3);
    f.mnuRL_Click();
    f.mnuDL_Click();
    f.mnuDel1_Click();
    QVERIFY(s.messages().isEmpty());
    QVERIFY(QFile::exists(s.dest(3, QStringLiteral("000041 plain.jpg"))));
    for (const auto& [name, content] : raw) {
        std::ifstream in(folder / name, std::ios::binary);
        QVERIFY(in);
        const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QVERIFY(now == content);
    }
#endif
}

void TestBoardHostile::changedBetweenListingAndLoading()
{
    SessionFixture s;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.png", "g.png" })
        QVERIFY(Hostile::write(
            s.src(QString::fromLatin1(name)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
    QVERIFY(Hostile::write(s.src(QStringLiteral("f.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 6)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("g.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 7)));
    QVERIFY(s.open()); // listed now
    Form1& f = *s.form;
    QCOMPARE(f.File1->entryCount(), 7);

    QVERIFY(QFile::remove(s.src(QStringLiteral("b.jpg"))));
    QVERIFY(QFile::remove(s.src(QStringLiteral("c.jpg"))));
    QVERIFY(QDir().mkpath(s.src(QStringLiteral("c.jpg/inside"))));
    QVERIFY(Hostile::write(s.src(QStringLiteral("c.jpg/inside/keep.jpg")), Hostile::wellFormed(Format::Jpeg)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("d.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(80, 40), 9)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("e.jpg")), QByteArray()));
    QVERIFY(QFile::remove(s.src(QStringLiteral("f.png"))));
    QVERIFY(QFile::remove(s.src(QStringLiteral("g.png"))));
    QVERIFY(QDir().mkpath(s.src(QStringLiteral("g.png"))));
    const auto before = s.files();

    f.Command1_Click();
    QVERIFY(f.onBoard());
    QCOMPARE(s.m.BoardBusy, int16_t(0));
    QVERIFY(s.slot(0)->hasPicture());
    for (int i : { 1, 2, 4, 5, 6 }) {
        QVERIFY2(!s.slot(i)->hasPicture(), qPrintable(f.File1->entry(i)));
        QVERIFY(s.slot(i)->isVisible());
    }
    // The file that took d.jpg's place is what the slot shows.
    QVERIFY(s.slot(3)->hasPicture());
    QCOMPARE(s.slot(3)->sizeTwips(), QSizeF(960, 480));

    // A reload lists what is there now: the folders and the deleted files are gone.
    f.mnuRL_Click();
    QCOMPARE(f.File1->entries(), QStringList({ "a.jpg", "d.jpg", "e.jpg" }));
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.files(), before);
}

void TestBoardHostile::changedBetweenListingAndDrop_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("moves");
    QTest::newRow("deleted") << QStringLiteral("deleted") << false;
    QTest::newRow("replaced by a folder") << QStringLiteral("folder") << false;
    QTest::newRow("replaced by another file") << QStringLiteral("other file") << true;
    QTest::newRow("made empty") << QStringLiteral("empty") << true;
    QTest::newRow("new name taken in the destination") << QStringLiteral("taken") << false;
    QTest::newRow("destination folder gone") << QStringLiteral("no destination") << false;
    QTest::newRow("destination folder now a file") << QStringLiteral("destination a file") << false;
}

void TestBoardHostile::changedBetweenListingAndDrop()
{
    QFETCH(QString, change);
    QFETCH(bool, moves);
    SessionFixture s;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        QVERIFY(Hostile::write(
            s.src(QString::fromLatin1(name)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 2); // one transfer in the history already
    QVERIFY(QFile::exists(s.dest(2, QStringLiteral("000041 a.jpg"))));

    const QString b = s.src(QStringLiteral("b.jpg"));
    if (change == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(b));
    } else if (change == QLatin1String("folder")) {
        QVERIFY(QFile::remove(b));
        QVERIFY(QDir().mkpath(b));
        QVERIFY(Hostile::write(b + QStringLiteral("/inside.jpg"), Hostile::wellFormed(Format::Jpeg)));
    } else if (change == QLatin1String("other file")) {
        QVERIFY(Hostile::write(b, Hostile::wellFormed(Format::Bmp, QSize(10, 10), 77)));
    } else if (change == QLatin1String("empty")) {
        QVERIFY(Hostile::write(b, QByteArray()));
    } else if (change == QLatin1String("taken")) {
        QVERIFY(Hostile::write(s.dest(3, QStringLiteral("000042 b.jpg")), QByteArray("somebody else's")));
    } else if (change == QLatin1String("no destination")) {
        QVERIFY(QDir(s.dest(3)).removeRecursively());
    } else if (change == QLatin1String("destination a file")) {
        QVERIFY(QDir(s.dest(3)).removeRecursively());
        QVERIFY(Hostile::write(s.dest(3), QByteArray("a file where the folder was")));
    }
    const auto before = s.files();
    const UndoHistory history = s.m.Undo;

    s.drop(1, 3);
    QCOMPARE(s.m.BoardBusy, int16_t(0));
    const auto after = s.files();
    if (moves) {
        QVERIFY(s.messages().isEmpty());
        auto expected = before;
        expected.insert(QStringLiteral("dest3/000042 b.jpg"), expected.take(QStringLiteral("src/b.jpg")));
        QCOMPARE(after, expected);
        QCOMPARE(s.m.Serial[0], 43);
        QVERIFY(s.slot(1)->isHidden());
        f.UndoLast();
        QCOMPARE(s.files(), before);
    } else {
        // Told, with the file named; nothing moved, nothing recorded, no number used.
        QCOMPARE(s.messages().size(), 1);
        QVERIFY2(s.messages().first().contains(QStringLiteral("b.jpg")), qPrintable(s.messages().first()));
        QCOMPARE(after, before);
        QCOMPARE(s.m.Serial[0], 42);
        QVERIFY(s.m.Undo == history);
        QVERIFY(s.slot(1)->isVisible());
        // Undo still takes back the drop before.
        f.UndoLast();
        QVERIFY(QFile::exists(s.src(QStringLiteral("a.jpg"))));
        QCOMPARE(s.m.Serial[0], 41);
    }
}

void TestBoardHostile::settingsOutOfRange_data()
{
    // Values only a hand-edited settings file can hold.
    QTest::addColumn<int>("thumbSize");
    QTest::addColumn<int>("thumbCount");
    QTest::addColumn<int>("slideSeconds");
    QTest::newRow("size 0") << 0 << 10 << 1;
    QTest::newRow("size 1") << 1 << 10 << 1;
    QTest::newRow("size -32768") << -32768 << 10 << 1;
    QTest::newRow("size 32767") << 32767 << 10 << 1;
    QTest::newRow("count 0") << 64 << 0 << 1;
    QTest::newRow("count -1") << 64 << -1 << 1;
    QTest::newRow("count -32768") << 64 << -32768 << 1;
    QTest::newRow("count 32767") << 64 << 32767 << 1;
    QTest::newRow("slide 0") << 64 << 10 << 0;
    QTest::newRow("slide -5") << 64 << 10 << -5;
    QTest::newRow("slide 32767") << 64 << 10 << 32767;
}

void TestBoardHostile::settingsOutOfRange()
{
    QFETCH(int, thumbSize);
    QFETCH(int, thumbCount);
    QFETCH(int, slideSeconds);
    SessionFixture s;
    s.m.ThumbSize = int16_t(thumbSize);
    s.m.ThumbCount = int16_t(thumbCount);
    s.m.SlideSeconds = int16_t(slideSeconds);
    for (int i = 0; i < 25; ++i)
        QVERIFY(Hostile::write(s.src(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
            Hostile::wellFormed(Format::Jpeg, QSize(40, 30), i)));
    const auto before = s.files();
    QVERIFY(s.build());
    QCOMPARE(s.m.ThumbSize, int16_t(thumbSize)); // kept as read
    Form1& f = *s.form;
    f.mnuDL_Click();
    f.mnuDL_Click();
    f.mnuRL_Click();
    QCOMPARE(s.m.BoardBusy, int16_t(0));
    QVERIFY(f.Toolbar1->isEnabled());
    if (s.slot(0) && s.slot(0)->isVisible()) {
        s.drop(0, 1);
        QVERIFY(QFile::exists(s.dest(1, QStringLiteral("000041 p00.jpg"))));
        f.UndoLast();
    }
    Form4* v = s.openViewer(1);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    QVERIFY(v->Timer1->isActive());
    QVERIFY(v->Timer1->interval() >= 1000);
    QVERIFY(v->Timer1->interval() <= 32000);
    v->Timer1_Timer();
    QCOMPARE(s.m.ViewerIndex, 2);
    v->close();
    f.Toolbar1_ButtonClick(1); // back to the folder screen
    QVERIFY(!f.onBoard());
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.files(), before);
}

void TestBoardHostile::namesTooLongForTheNewName()
{
    SessionFixture s;
    // 83 characters of 3 bytes each and ".jpg": 253 bytes, near the longest a name may
    // be. The serial in front of it makes a name that is too long.
    const QString longName = QString(83, QChar(0x5199)) + QStringLiteral(".jpg");
    QVERIFY(Hostile::write(s.src(longName), Hostile::wellFormed(Format::Jpeg)));
    const auto before = s.files();
    QVERIFY(s.build());
    QCOMPARE(s.form->File1->entries(), QStringList { longName });
    QVERIFY(s.slot(0)->hasPicture());
    s.drop(0, 2);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY2(s.messages().at(0).contains(QStringLiteral("ファイル名が長すぎます")), qPrintable(s.messages().at(0)));
    QCOMPARE(s.files(), before);
    QCOMPARE(s.m.Serial[0], 41);
    QVERIFY(s.slot(0)->isVisible());
    // Under its own name it still fits the delete folder.
    s.form->mnuDel1_Click();
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(QFile::exists(s.dest(10, longName)));
}

void TestBoardHostile::linksInTheSourceFolder()
{
#ifdef Q_OS_WIN
    QSKIP("symbolic links need privileges here");
#else
    SessionFixture s;
    const QString outside = s.root(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(Hostile::write(outside + QStringLiteral("/real.jpg"), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("b plain.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 2)));
    QVERIFY(QFile::link(outside + QStringLiteral("/real.jpg"), s.src(QStringLiteral("a link.jpg"))));
    QVERIFY(QFile::link(outside + QStringLiteral("/gone.jpg"), s.src(QStringLiteral("c dangling.jpg"))));
    QVERIFY(QFile::link(outside, s.src(QStringLiteral("d folder.jpg"))));
    QVERIFY(QFile::link(s.src(QStringLiteral("e loop.jpg")), s.src(QStringLiteral("e loop.jpg"))));
    QVERIFY(s.build());
    Form1& f = *s.form;
    // Only what leads to a file is listed.
    QCOMPARE(f.File1->entries(), QStringList({ "a link.jpg", "b plain.jpg" }));
    QVERIFY(s.slot(0)->hasPicture());

    // The link is what moves; the file it leads to stays where it is.
    s.drop(0, 4);
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(Hostile::read(s.dest(4, QStringLiteral("000041 a link.jpg"))),
        Hostile::read(outside + QStringLiteral("/real.jpg")));
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/real.jpg")));
    QVERIFY(!QFileInfo(s.src(QStringLiteral("a link.jpg"))).isSymLink());
    f.mnuDel1_Click();
    f.UndoLast();
    f.UndoLast();
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(Hostile::read(s.src(QStringLiteral("a link.jpg"))), Hostile::read(outside + QStringLiteral("/real.jpg")));
    QCOMPARE(Hostile::read(s.src(QStringLiteral("b plain.jpg"))), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 2));
    for (const char* link : { "c dangling.jpg", "d folder.jpg", "e loop.jpg" })
        QVERIFY(QFileInfo(s.src(QString::fromLatin1(link))).isSymLink());
#endif
}

void TestBoardHostile::sourceFolderRemovedUnderTheBoard()
{
    SessionFixture s;
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        QVERIFY(Hostile::write(
            s.src(QString::fromLatin1(name)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 1);
    // The whole source folder is moved away while the board shows it.
    const QString away = s.root(QStringLiteral("away"));
    QVERIFY(QDir().rename(s.src(), away));

    s.drop(1, 1);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("b.jpg")));
    f.mnuDel1_Click();
    f.mnuRL_Click();
    QCOMPARE(f.File1->entryCount(), 0);
    QCOMPARE(f.StatusBar1->panelText(3), QStringLiteral(" 0 File "));
    f.mnuDL_Click();
    Form4* v = s.openViewer(0); // on an empty list: the folder itself is missing
    QVERIFY(v);
    QCOMPARE(s.messages().size(), 2);
    QCOMPARE(s.messages().at(1), QStringLiteral("ファイルが見つかりません。"));
    v->close();
    // Undo puts the file back where it came from, making the folder again.
    f.UndoLast();
    QVERIFY(QFile::exists(s.src(QStringLiteral("a.jpg"))));
    f.Toolbar1_ButtonClick(1);
    f.Command1_Click();
    QVERIFY(f.onBoard());
    QCOMPARE(s.m.BoardBusy, int16_t(0));

    // Nothing lost: a.jpg is back, b.jpg and c.jpg are where the folder went.
    QVERIFY(QDir().rename(away + QStringLiteral("/b.jpg"), s.src(QStringLiteral("b.jpg"))));
    QVERIFY(QDir().rename(away + QStringLiteral("/c.jpg"), s.src(QStringLiteral("c.jpg"))));
    QCOMPARE(s.files(), before);
}

void TestBoardHostile::sourceFolderIsAlsoADestination()
{
    SessionFixture s;
    s.m.DestPath[3] = s.src() + QLatin1Char('/');
    s.m.DestPath[10] = s.src() + QLatin1Char('/');
    for (const char* name : { "a.jpg", "b.jpg" })
        QVERIFY(Hostile::write(
            s.src(QString::fromLatin1(name)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
    const QByteArray a = Hostile::read(s.src(QStringLiteral("a.jpg")));
    QVERIFY(s.build());
    Form1& f = *s.form;
    // A drop on the own folder renames in place.
    s.drop(0, 3);
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(Hostile::read(s.src(QStringLiteral("000041 a.jpg"))), a);
    QVERIFY(!QFile::exists(s.src(QStringLiteral("a.jpg"))));
    // Sending the folder into itself is refused with a message.
    f.mnuDel1_Click();
    QCOMPARE(s.messages().size(), 1);
    QCOMPARE(QDir(s.src()).entryList(QDir::Files), QStringList({ "000041 a.jpg", "b.jpg" }));
    f.UndoLast();
    QCOMPARE(QDir(s.src()).entryList(QDir::Files), QStringList({ "a.jpg", "b.jpg" }));
    QCOMPARE(Hostile::read(s.src(QStringLiteral("a.jpg"))), a);
}

QTEST_MAIN(TestBoardHostile)
#include "tst_boardhostile.moc"
