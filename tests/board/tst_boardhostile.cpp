// The board under bad input and bad timing: broken and lying picture files, odd names,
// files that change between the listing and the moment the board reaches them, input
// arriving while a long handler lets pending events run, and a folder of 2,000 files.
// Whatever happens, every file must end up in one place, whole.
#include "../SessionFixture.h"
#include "TestFiles.h"
#include "platform/StatusBar.h"
#include "platform/TextFile.h"
#include <QFileInfo>
#include <QScopeGuard>
#include <filesystem>
#include <fstream>
#include <functional>

using Hostile::Format;

Q_DECLARE_METATYPE(Hostile::Format)

namespace {

void writeJpegs(const SessionFixture& s, const QStringList& names)
{
    int seed = 0;
    for (const QString& name : names)
        QVERIFY(Hostile::write(s.src(name), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), ++seed)));
}

// Runs `action` from the event loop after `passes` turns of it, the way input waiting
// in the queue is handled inside a handler that lets pending events run.
void afterEventPasses(int passes, std::function<void()> action)
{
    QTimer::singleShot(0, [passes, action = std::move(action)]() mutable {
        if (passes <= 0)
            action();
        else
            afterEventPasses(passes - 1, std::move(action));
    });
}

}

class TestBoardHostile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void badPictureAmongGoodOnes_data();
    void badPictureAmongGoodOnes();
    void oddNames();
    void namesThatAreNotText();
    void linksInTheSourceFolder();
    void fifoNamedLikeAPicture_data();
    void fifoNamedLikeAPicture();
    void changedBetweenListingAndLoading();
    void changedBetweenListingAndDrop_data();
    void changedBetweenListingAndDrop();
    void settingsOutOfRange_data();
    void settingsOutOfRange();
    void namesTooLongForTheNewName();
    void sourceFolderRemovedUnderTheBoard();
    void undoDuringAPageFill();
    void undoDuringADrop();
    void dropsAndReloadDuringSendAll();
    void closingDuringAPageFill();
    void twoThousandFilesGrownWithLoadAnew();

private:
    QTemporaryDir m_cacheHome; // never the user's own shared thumbnails
};

void TestBoardHostile::initTestCase() { qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cacheHome.path())); }

void TestBoardHostile::badPictureAmongGoodOnes_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QByteArray>("bytes");
    for (Format f : { Format::Jpeg, Format::Gif, Format::Bmp, Format::Png }) {
        const char* ext = Hostile::extension(f);
        QTest::addRow("empty %s", ext) << f << QByteArray();
        QTest::addRow("truncated %s", ext) << f << Hostile::truncated(f, 5);
        for (int edge : { 60000, 65535 })
            QTest::addRow("%dx%d %s", edge, edge, ext) << f << Hostile::claimingSize(f, QSize(edge, edge), 5);
    }
    // Inside what the PNG decoder accepts: 1 GB of pixels.
    QTest::addRow("16000x16000 png") << Format::Png << Hostile::claimingSize(Format::Png, QSize(16000, 16000), 5);
}

void TestBoardHostile::badPictureAmongGoodOnes()
{
    QFETCH(Format, format);
    QFETCH(QByteArray, bytes);
    SessionFixture s;
    const QString bad = QStringLiteral("b_bad.%1").arg(QLatin1String(Hostile::extension(format)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("a_good.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(Hostile::write(s.src(bad), bytes));
    QVERIFY(Hostile::write(s.src(QStringLiteral("c_good.gif")), Hostile::wellFormed(Format::Gif, QSize(40, 30), 2)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("d_good.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 3)));
    const auto before = s.files();

    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.folder().count(), 4);
    for (auto refill : { &Form1::mnuRL_Click, &Form1::mnuDL_Click, &Form1::mnuRL_Click }) {
        for (int i : { 0, 2, 3 }) {
            QVERIFY2(s.slot(i)->hasPicture(), qPrintable(f.folder().name(i)));
            QCOMPARE(s.slot(i)->sizeTwips(), QSizeF(600, 450));
        }
        // The bad one keeps a place to grab it by, never larger than the box whatever it claims.
        ThumbSlot* b = s.slot(1);
        QVERIFY(b->isVisible());
        QVERIFY(b->sizeTwips().width() <= f.ThumbTwips && b->sizeTwips().height() <= f.ThumbTwips);
        if (bytes.isEmpty())
            QVERIFY(!b->hasPicture());
        QVERIFY(!s.session.isBusy());
        QVERIFY(f.toolbar()->isEnabled());
        (f.*refill)();
    }

    // Sorting does not care what is inside: the file moves whole and comes back whole.
    s.drop(1, 4);
    auto after = before;
    after.insert(QStringLiteral("dest4/000041 ") + bad, after.take(QStringLiteral("src/") + bad));
    QCOMPARE(s.files(), after);
    f.undoFromToolbar(); // undo
    QCOMPARE(s.files(), before);
    QVERIFY(s.messages().isEmpty());
}

void TestBoardHostile::oddNames()
{
    SessionFixture s;
    const QStringList visible = {
        QStringLiteral("  two leading blanks.jpg"),
        QStringLiteral("back\\slash.jpg"),
        QStringLiteral("double \"quoted\".jpg"),
        QStringLiteral("semi;colon,comma.GIF"),
        QStringLiteral("trailing dot..jpg"),
        QStringLiteral("日本語の 写真.jpg"),
        QStringLiteral("１２３４５６ 全角.jpg"),
    };
    const QStringList hidden = { QStringLiteral(".hidden.jpg"), QStringLiteral("..two dots.gif") };
    writeJpegs(s, visible + hidden);
    const auto before = Hostile::snapshot(s.src());

    QVERIFY(s.build());
    Form1& f = *s.form;
    QStringList sorted = visible;
    std::sort(sorted.begin(), sorted.end(),
        [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    QCOMPARE(f.folder().names(), sorted);

    // Every listed file onto target i, whole under its new name; the hidden ones stay.
    for (int i = 0; i < sorted.size(); ++i) {
        QVERIFY2(s.slot(i)->hasPicture(), qPrintable(sorted[i]));
        s.drop(i, i);
        const QString digits = QStringLiteral("%1 ").arg(41 + i, 6, 10, QLatin1Char('0'));
        const QString rest = sorted[i].size() >= 7 && sorted[i].at(6) == u' ' ? sorted[i].mid(7) : sorted[i];
        QCOMPARE(Hostile::snapshot(s.dest(i)).value(digits + rest), before.value(sorted[i]));
    }
    QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join(u'\n')));
    QCOMPARE(Hostile::snapshot(s.src()).size(), hidden.size());
    for (int i = 0; i < sorted.size(); ++i)
        f.UndoLast();
    QCOMPARE(Hostile::snapshot(s.src()), before);
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
    const std::string content = Hostile::wellFormed(Format::Jpeg).toStdString();
    const char* raw[] = { "\xE9t\xE9.jpg", "\xE8t\xE8.JPG" };
    for (const char* name : raw)
        std::ofstream(folder / name, std::ios::binary) << content;
    const auto removeRaw = qScopeGuard([&] { // Qt cannot see them to remove them
        for (const char* name : raw)
            fs::remove(folder / name);
    });
    writeJpegs(s, { QStringLiteral("plain.jpg") });
    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.folder().names(), QStringList { QStringLiteral("plain.jpg") });
    s.drop(0, 3);
    f.mnuRL_Click();
    f.mnuDL_Click();
    f.mnuDel1_Click();
    QVERIFY(s.messages().isEmpty());
    QVERIFY(QFile::exists(s.dest(3, QStringLiteral("000041 plain.jpg"))));
    for (const char* name : raw) {
        std::ifstream in(folder / name, std::ios::binary);
        QVERIFY(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()) == content);
    }
#endif
}

void TestBoardHostile::linksInTheSourceFolder()
{
#ifdef Q_OS_WIN
    QSKIP("symbolic links need privileges here");
#else
    SessionFixture s;
    const QString real = s.root(QStringLiteral("outside/real.jpg"));
    QVERIFY(QDir().mkpath(s.root(QStringLiteral("outside"))));
    QVERIFY(Hostile::write(real, Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    writeJpegs(s, { QStringLiteral("b plain.jpg") });
    QVERIFY(QFile::link(real, s.src(QStringLiteral("a link.jpg"))));
    QVERIFY(QFile::link(s.root(QStringLiteral("outside/gone.jpg")), s.src(QStringLiteral("c dangling.jpg"))));
    QVERIFY(QFile::link(s.root(QStringLiteral("outside")), s.src(QStringLiteral("d folder.jpg"))));
    QVERIFY(QFile::link(s.src(QStringLiteral("e loop.jpg")), s.src(QStringLiteral("e loop.jpg"))));
    QVERIFY(s.build());
    Form1& f = *s.form;
    // Only what leads to a file is listed.
    QCOMPARE(f.folder().names(), QStringList({ "a link.jpg", "b plain.jpg" }));
    QVERIFY(s.slot(0)->hasPicture());

    // The file it leads to stays where it is, as it was, and the links that lead nowhere stay too.
    s.drop(0, 4);
    QCOMPARE(Hostile::read(s.dest(4, QStringLiteral("000041 a link.jpg"))), Hostile::read(real));
    f.mnuDel1_Click();
    f.UndoLast();
    f.UndoLast();
    QVERIFY(s.messages().isEmpty());
    QVERIFY(!(QFile::permissions(real) & QFile::WriteOwner));
    QCOMPARE(Hostile::read(s.src(QStringLiteral("a link.jpg"))), Hostile::read(real));
    QVERIFY(QFile::exists(s.src(QStringLiteral("b plain.jpg"))));
    for (const char* link : { "c dangling.jpg", "d folder.jpg", "e loop.jpg" })
        QVERIFY(QFileInfo(s.src(QString::fromLatin1(link))).isSymLink());
#endif
}

void TestBoardHostile::fifoNamedLikeAPicture_data()
{
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<QStringList>("links"); // to the FIFO
    QTest::newRow("among pictures") << QStringList { "0.jpg", "z.jpg" } << QStringList { "a.png", "b.jpg" };
    QTest::newRow("the only file") << QStringList() << QStringList { "a.png" };
}

// A FIFO named like a picture, or a link to one, is a file that cannot be read: the board
// (its workers and its own thread) and the viewer pass over it and never wait for a writer.
void TestBoardHostile::fifoNamedLikeAPicture()
{
    QFETCH(QStringList, pictures);
    QFETCH(QStringList, links);
    SessionFixture s;
    writeJpegs(s, pictures);
    TestFiles::FifoGuard fifo(s.src(QStringLiteral("fifo.png")));
    QVERIFY(fifo.made());
    for (const QString& name : links)
        QVERIFY(QFile::link(s.src(QStringLiteral("fifo.png")), s.src(name)));
    QVERIFY(s.build());
    Form1& f = *s.form;
    f.mnuRL_Click();
    const QStringList entries = f.folder().names();
    for (int i = 0; i < entries.size(); ++i)
        QCOMPARE(s.slot(i)->hasPicture(), pictures.contains(entries[i]));

    // Through every entry in the viewer, then the one-point viewer on the first link.
    ViewerWindow* v = s.openViewer(0);
    QVERIFY(v);
    for (int i = 1; i < entries.size(); ++i)
        QTest::keyClick(v, Qt::Key_Space);
    QCOMPARE(v->position(), entries.size() - 1);
    f.Image1_MouseDown(int(entries.indexOf(links[0])), Qt::RightButton, {}, 5, 5);
    QVERIFY(s.viewer());
    QCOMPARE(s.viewer()->fileName(), links[0]);
    // Closed while the guard can still free anything waiting, which would then be told.
    f.close();
    s.form.reset();
    QVERIFY(!fifo.rescued());
    QVERIFY(s.messages().isEmpty());
}

void TestBoardHostile::changedBetweenListingAndLoading()
{
    SessionFixture s;
    writeJpegs(s, { "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg" });
    QVERIFY(Hostile::write(s.src(QStringLiteral("f.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 6)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("g.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 7)));
    QVERIFY(s.open()); // listed now
    Form1& f = *s.form;
    QCOMPARE(f.folder().count(), 7);

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

    // Each gone or changed file leaves a placeholder, never another file's picture.
    f.Command1_Click();
    QVERIFY(f.onBoard());
    QVERIFY(!s.session.isBusy());
    QVERIFY(s.slot(0)->hasPicture());
    for (int i : { 1, 2, 4, 5, 6 }) {
        QVERIFY2(!s.slot(i)->hasPicture(), qPrintable(f.folder().name(i)));
        QVERIFY(s.slot(i)->isVisible());
    }
    // The file that took d.jpg's place is what the slot shows.
    QCOMPARE(s.slot(3)->sizeTwips(), QSizeF(960, 480));

    // A reload lists what is there now: the folders and the deleted files are gone.
    f.mnuRL_Click();
    QCOMPARE(f.folder().names(), QStringList({ "a.jpg", "d.jpg", "e.jpg" }));
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.files(), before);
}

void TestBoardHostile::changedBetweenListingAndDrop_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("newName"); // empty: refused
    QTest::newRow("deleted") << QStringLiteral("deleted") << QString();
    QTest::newRow("replaced by another file") << QStringLiteral("other file") << QStringLiteral("000042 b.jpg");
    QTest::newRow("made empty") << QStringLiteral("empty") << QStringLiteral("000042 b.jpg");
    // Never replaced: the next free serial is taken, without a word.
    QTest::newRow("new name taken in the destination") << QStringLiteral("taken") << QStringLiteral("000043 b.jpg");
    QTest::newRow("destination folder gone") << QStringLiteral("no destination") << QString();
}

void TestBoardHostile::changedBetweenListingAndDrop()
{
    QFETCH(QString, change);
    QFETCH(QString, newName);
    const bool moves = !newName.isEmpty();
    SessionFixture s;
    writeJpegs(s, { "a.jpg", "b.jpg", "c.jpg" });
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 2); // one transfer in the history already
    QVERIFY(QFile::exists(s.dest(2, QStringLiteral("000041 a.jpg"))));

    const QString b = s.src(QStringLiteral("b.jpg"));
    if (change == QLatin1String("deleted"))
        QVERIFY(QFile::remove(b));
    if (change == QLatin1String("other file"))
        QVERIFY(Hostile::write(b, Hostile::wellFormed(Format::Bmp, QSize(10, 10), 77)));
    if (change == QLatin1String("empty"))
        QVERIFY(Hostile::write(b, QByteArray()));
    if (change == QLatin1String("taken"))
        QVERIFY(Hostile::write(s.dest(3, QStringLiteral("000042 b.jpg")), QByteArray("somebody else's")));
    if (change == QLatin1String("no destination"))
        QVERIFY(QDir(s.dest(3)).removeRecursively());
    const auto before = s.files();
    const UndoHistory history = s.sorter.history();

    s.drop(1, 3);
    QVERIFY(!s.session.isBusy());
    if (moves) {
        QVERIFY(s.messages().isEmpty());
        auto expected = before;
        expected.insert(QStringLiteral("dest3/") + newName, expected.take(QStringLiteral("src/b.jpg")));
        QCOMPARE(s.files(), expected);
        QCOMPARE(s.settings.serials[0], newName.left(6).toInt() + 1);
        QVERIFY(s.slot(1)->isHidden());
        f.UndoLast();
        QCOMPARE(s.files(), before);
    } else {
        // Told, with the file named; nothing moved, nothing recorded, no number used.
        QCOMPARE(s.messages().size(), 1);
        QVERIFY2(s.messages().first().contains(QStringLiteral("b.jpg")), qPrintable(s.messages().first()));
        QCOMPARE(s.files(), before);
        QCOMPARE(s.settings.serials[0], 42);
        QVERIFY(s.sorter.history() == history);
        QVERIFY(s.slot(1)->isVisible());
        f.UndoLast(); // undo still takes back the drop before
        QVERIFY(QFile::exists(s.src(QStringLiteral("a.jpg"))));
        QCOMPARE(s.settings.serials[0], 41);
    }
}

void TestBoardHostile::settingsOutOfRange_data()
{
    // Values only a hand-edited settings file can hold.
    QTest::addColumn<int>("thumbSize");
    QTest::addColumn<int>("thumbCount");
    for (int size : { 0, 1, -32768, 32767 })
        QTest::addRow("size %d", size) << size << 10;
    for (int count : { 0, -1, -32768, 32767 })
        QTest::addRow("count %d", count) << 64 << count;
}

void TestBoardHostile::settingsOutOfRange()
{
    QFETCH(int, thumbSize);
    QFETCH(int, thumbCount);
    SessionFixture s;
    s.settings.thumbSize = int16_t(thumbSize);
    s.settings.thumbCount = int16_t(thumbCount);
    QStringList names;
    for (int i = 0; i < 25; ++i)
        names << QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    writeJpegs(s, names);
    const auto before = s.files();
    QVERIFY(s.build());
    QCOMPARE(s.settings.thumbSize, int16_t(thumbSize)); // kept as read
    Form1& f = *s.form;
    f.mnuDL_Click();
    f.mnuDL_Click();
    f.mnuRL_Click();
    QVERIFY(!s.session.isBusy());
    QVERIFY(f.toolbar()->isEnabled());
    if (s.slot(0) && s.slot(0)->isVisible()) {
        s.drop(0, 1);
        QVERIFY(QFile::exists(s.dest(1, QStringLiteral("000041 p00.jpg"))));
        f.UndoLast();
    }
    f.backFromToolbar(); // back to the folder screen
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
    writeJpegs(s, { longName });
    const auto before = s.files();
    QVERIFY(s.build());
    QCOMPARE(s.form->folder().names(), QStringList { longName });
    s.drop(0, 2);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY2(s.messages().at(0).contains(QStringLiteral("ファイル名が長すぎます")), qPrintable(s.messages().at(0)));
    QCOMPARE(s.files(), before);
    QCOMPARE(s.settings.serials[0], 41);
    QVERIFY(s.slot(0)->isVisible());
    // Under its own name it still fits the delete folder.
    s.form->mnuDel1_Click();
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(QFile::exists(s.dest(10, longName)));
}

void TestBoardHostile::sourceFolderRemovedUnderTheBoard()
{
    SessionFixture s;
    writeJpegs(s, { "a.jpg", "b.jpg", "c.jpg" });
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
    QCOMPARE(f.folder().count(), 0);
    f.mnuDL_Click();
    // Undo puts the file back where it came from, making the folder again.
    f.UndoLast();
    QVERIFY(QFile::exists(s.src(QStringLiteral("a.jpg"))));
    f.backFromToolbar();
    f.Command1_Click();
    QVERIFY(f.onBoard());
    QVERIFY(!s.session.isBusy());
    QCOMPARE(s.messages().size(), 1);
    // Nothing lost: a.jpg is back, b.jpg and c.jpg are where the folder went.
    QVERIFY(QDir().rename(away + QStringLiteral("/b.jpg"), s.src(QStringLiteral("b.jpg"))));
    QVERIFY(QDir().rename(away + QStringLiteral("/c.jpg"), s.src(QStringLiteral("c.jpg"))));
    QCOMPARE(s.files(), before);
}

void TestBoardHostile::undoDuringAPageFill()
{
    // The menu's undo is not held back by the busy flag: it reloads inside the fill,
    // and the board still ends whole.
    SessionFixture s;
    QStringList names;
    for (int i = 0; i < 30; ++i)
        names << QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    writeJpegs(s, names);
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 1);
    bool busySeen = false;
    afterEventPasses(4, [&] {
        busySeen = s.session.isBusy();
        f.undoLastTransfer();
    });
    f.mnuRL_Click();
    QVERIFY(busySeen); // it came in while the page was filling
    QVERIFY(!s.session.isBusy());
    QVERIFY(QFile::exists(s.src(QStringLiteral("p00.jpg"))));
    QCOMPARE(s.files().size(), 30);
    QVERIFY(!f.undoAction->isEnabled());
    QVERIFY(f.toolbar()->isEnabled());
    f.mnuRL_Click();
    QCOMPARE(f.folder().name(0), QStringLiteral("p00.jpg"));
    for (int i = 0; i < 10; ++i)
        QVERIFY(s.slot(i) && s.slot(i)->isVisible());
    QVERIFY(s.messages().isEmpty());
}

void TestBoardHostile::undoDuringADrop()
{
    SessionFixture s;
    writeJpegs(s, { "a.jpg", "b.jpg" });
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;
    // The drop lets events run once it has moved the file: the menu's undo, not held back,
    // takes it straight back; a second drop arriving then is held back.
    afterEventPasses(0, [&] {
        QVERIFY(s.session.isBusy());
        f.undoLastTransfer();
        s.drop(1, 6);
    });
    s.drop(0, 3);
    QVERIFY(!s.session.isBusy());
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.files(), before);
    QCOMPARE(s.settings.serials[0], 41);
    QVERIFY(!f.undoAction->isEnabled());
}

void TestBoardHostile::dropsAndReloadDuringSendAll()
{
    SessionFixture s;
    writeJpegs(s, { "p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg", "p6.jpg", "p7.jpg", "p8.jpg", "p9.jpg" });
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;

    // Send-all leaves the busy flag alone: between two of its files the user drops a file
    // it has not reached yet, then one it has already sent, reloads the board and starts
    // send-all again. Each comes once the delete folder holds a few more files.
    int step = 0;
    QTimer input;
    input.setInterval(0);
    connect(&input, &QTimer::timeout, this, [&] {
        const int sent = int(QDir(s.dest(10)).entryList(QDir::Files).size());
        if (step == 0 && sent >= 2)
            s.drop(7, 4);
        else if (step == 1 && sent >= 3)
            s.drop(0, 5);
        else if (step == 2 && sent >= 4)
            f.mnuRL_Click();
        else if (step == 3 && sent >= 5)
            f.mnuDel1_Click();
        else
            return;
        if (++step == 4)
            input.stop();
    });
    input.start();
    f.mnuDel1_Click();
    QCOMPARE(step, 4);

    // p7 went to folder 4 before send-all got to it; p0 had already been sent, so that
    // drop found no file and said so. Everything else is in the delete folder.
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("p0.jpg")));
    QMap<QString, QByteArray> expected;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        expected.insert(it.key() == QLatin1String("src/p7.jpg") ? QStringLiteral("dest4/000041 p7.jpg")
                                                               : QStringLiteral("dest10/") + it.key().mid(4),
            it.value());
    QCOMPARE(s.files(), expected);
    QVERIFY(!s.session.isBusy());

    // Ten undos bring back the last ten transfers, whatever their order was.
    for (int i = 0; i < 10; ++i)
        f.UndoLast();
    QCOMPARE(s.messages().size(), 1);
    QCOMPARE(f.folder().count(), 10);
    QCOMPARE(s.files(), before);
}

void TestBoardHostile::closingDuringAPageFill()
{
    SessionFixture s;
    writeJpegs(s, { "p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg", "p6.jpg", "p7.jpg" });
    QVERIFY(s.open());
    Form1& f = *s.form;
    s.openViewer(0);
    // The window's close box while the board is being built: the settings are written,
    // the viewer closes, and the build runs out without touching anything else.
    afterEventPasses(3, [&] { f.close(); });
    f.Command1_Click();
    QVERIFY(!f.isVisible());
    QVERIFY(!s.viewer());
    QVERIFY(!s.session.isBusy());
    QByteArray text;
    QVERIFY(TextFile::read(SettingsFile::path(s.session.programFolder()), &text));
    QCOMPARE(text.count("\r\n"), 24);
    QCOMPARE(s.files().size(), 8);
    QVERIFY(s.messages().isEmpty());
}

void TestBoardHostile::twoThousandFilesGrownWithLoadAnew()
{
    // Grown with load anew to its end, with drops in between, then sent to the delete
    // folder: every file in exactly one place, whole, under the name it should have.
    constexpr int files = 2000;
    SessionFixture s;
    // Each refill decodes only what fits on the board: 128-pixel boxes keep that page small.
    s.settings.thumbSize = 128;
    s.settings.thumbCount = 30;
    for (int i = 1; i <= files; ++i)
        QVERIFY(Hostile::write(s.src(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'))),
            Hostile::wellFormed(Format::Jpeg, QSize(12, 9), i)));
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.BoardEnd, int16_t(30));

    QMap<QString, QString> movedTo; // original name -> where it must end up
    int drops = 0;
    for (int loads = 1; f.BoardEnd < f.folder().count(); ++loads) {
        const int countBefore = f.folder().count();
        f.mnuDL_Click();
        QCOMPARE(f.ExtendCount, int16_t(loads));
        QCOMPARE(int(f.BoardEnd), std::min(loads * 10 + 30, countBefore));
        QVERIFY(!s.session.isBusy());
        if (loads % 25 == 0) { // every 25th refill, drop one of the thumbnails on the board
            const int slot = (loads / 25) * 3;
            QVERIFY(s.slot(slot) && s.slot(slot)->isVisible());
            const QString name = f.folder().name(slot);
            s.drop(slot, drops % 10);
            movedTo.insert(name,
                QStringLiteral("dest%1/%2 %3").arg(drops % 10).arg(41 + drops, 6, 10, QLatin1Char('0')).arg(name));
            ++drops;
        }
    }
    QVERIFY(drops >= 5);
    QCOMPARE(f.statusBar().panelText(3), QStringLiteral(" %1 File ").arg(files - drops));
    f.mnuDL_Click(); // at the end of the list a further load anew stays at the end
    QCOMPARE(int(f.BoardEnd), files - drops);

    // What the board placed goes to the delete folder under its own name; the list
    // positions it had no room for were never seen, and stay.
    const QStringList listed = f.folder().names();
    int placed = 0;
    for (ThumbSlot* slot : f.Image1)
        placed += slot && slot->isVisible() ? 1 : 0;
    QVERIFY(placed > 10 && placed < listed.size());
    f.mnuDel1_Click();
    QVERIFY(s.messages().isEmpty());
    QMap<QString, QByteArray> expected;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const QString name = it.key().mid(4);
        const QString kept = listed.indexOf(name) < placed ? QStringLiteral("dest10/") : QStringLiteral("src/");
        expected.insert(movedTo.value(name, kept + name), it.value());
    }
    QCOMPARE(s.files(), expected);

    // The last ten can be undone, and come back whole.
    for (int i = 0; i < 10; ++i)
        f.UndoLast();
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(f.folder().count(), files - drops - placed + 10);
    const auto back = Hostile::snapshot(s.src());
    for (const QString& name : f.folder().names())
        QCOMPARE(back.value(name), before.value(QStringLiteral("src/") + name));
}

QTEST_MAIN(TestBoardHostile)
#include "tst_boardhostile.moc"
