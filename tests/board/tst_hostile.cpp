// The board under bad files, links and timing: every file must end up in one place, whole.
#include "Fixture.h"
#include <QFileInfo>

using Hostile::Format;
Q_DECLARE_METATYPE(Hostile::Format)

namespace {

QByteArray jpeg(int seed, QSize size = QSize(40, 30)) { return Hostile::wellFormed(Format::Jpeg, size, seed); }

void writeJpegs(const Fixture& f, const QStringList& names)
{
    int seed = 0;
    for (const QString& name : names)
        QVERIFY(Hostile::write(f.src(name), jpeg(++seed)));
}

// The tree with each source file named in moves moved there, the others to rest + its name.
QMap<QString, QByteArray> movedAs(
    const QMap<QString, QByteArray>& tree, const QMap<QString, QString>& moves, const QString& rest = "src/")
{
    QMap<QString, QByteArray> out;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        const QString name = it.key().mid(4);
        out.insert(it.key().startsWith("src/") ? moves.value(name, rest + name) : it.key(), it.value());
    }
    return out;
}

}

class TestHostile : public QObject {
    Q_OBJECT
    QTemporaryDir m_cacheHome; // never the user's own shared thumbnails

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cacheHome.path())); }

    void badPicture_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<QByteArray>("bytes");
        for (Format f : { Format::Jpeg, Format::Gif, Format::Bmp, Format::Png }) {
            const char* ext = Hostile::extension(f);
            QTest::addRow("empty %s", ext) << f << QByteArray();
            QTest::addRow("truncated %s", ext) << f << Hostile::truncated(f, 5);
            QTest::addRow("65535x65535 %s", ext) << f << Hostile::claimingSize(f, QSize(65535, 65535), 5);
        }
        // Inside what the PNG decoder accepts: 1 GB of pixels.
        QTest::addRow("16000x16000 png") << Format::Png << Hostile::claimingSize(Format::Png, QSize(16000, 16000), 5);
    }
    void badPicture()
    {
        QFETCH(Format, format);
        QFETCH(QByteArray, bytes);
        Fixture f;
        const QString bad = QStringLiteral("b_bad.%1").arg(QLatin1String(Hostile::extension(format)));
        QVERIFY(Hostile::write(f.src("a_good.jpg"), jpeg(1)));
        QVERIFY(Hostile::write(f.src(bad), bytes));
        QVERIFY(Hostile::write(f.src("c_good.gif"), Hostile::wellFormed(Format::Gif, QSize(40, 30), 2)));
        QVERIFY(Hostile::write(f.src("d_good.png"), Hostile::wellFormed(Format::Png, QSize(40, 30), 3)));
        const auto before = f.files();
        QVERIFY(f.build());
        SortingBoard& b = f.board();
        for (auto refill : { &SortingBoard::reload, &SortingBoard::loadMore, &SortingBoard::reload }) {
            for (int i : { 0, 2, 3 }) {
                QVERIFY(f.tile(i)->hasPicture());
                QCOMPARE(f.tile(i)->sizeTwips(), QSizeF(600, 450));
            }
            // The bad one keeps a place to grab it by, never larger than the box.
            QVERIFY(f.tile(1)->isVisible());
            QCOMPARE_LE(f.tile(1)->sizeTwips().width(), b.thumbTwips());
            QCOMPARE_LE(f.tile(1)->sizeTwips().height(), b.thumbTwips());
            QVERIFY(!bytes.isEmpty() || !f.tile(1)->hasPicture());
            (b.*refill)();
        }
        f.drop(1, 4);
        QCOMPARE(f.files(), movedAs(before, { { bad, "dest4/000041 " + bad } }));
        f.sorter.undoLast();
        QCOMPARE(f.files(), before);
        QVERIFY(f.warnings.isEmpty());
    }

    // Only what leads to a file is listed; the linked file and the links leading nowhere stay as they were.
    void links()
    {
        Fixture f;
        const QString real = f.root("outside/real.jpg");
        QVERIFY(QDir().mkpath(f.root("outside")));
        QVERIFY(Hostile::write(real, jpeg(1)));
        QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        writeJpegs(f, { "b plain.jpg" });
        QVERIFY(QFile::link(real, f.src("a link.jpg")));
        QVERIFY(QFile::link(f.root("outside/gone.jpg"), f.src("c dangling.jpg")));
        QVERIFY(QFile::link(f.root("outside"), f.src("d folder.jpg")));
        QVERIFY(QFile::link(f.src("e loop.jpg"), f.src("e loop.jpg")));
        QVERIFY(f.build());
        QCOMPARE(f.folder.names(), QStringList({ "a link.jpg", "b plain.jpg" }));
        QVERIFY(f.tile(0)->hasPicture());
        f.drop(0, 4);
        QCOMPARE(Hostile::read(f.dest(4, "000041 a link.jpg")), Hostile::read(real));
        f.board().sendAllReached();
        f.undoAll();
        QVERIFY(f.warnings.isEmpty());
        QVERIFY(!(QFile::permissions(real) & QFile::WriteOwner));
        QCOMPARE(Hostile::read(f.src("a link.jpg")), Hostile::read(real));
        QVERIFY(QFile::exists(f.src("b plain.jpg")));
        for (const char* link : { "c dangling.jpg", "d folder.jpg", "e loop.jpg" })
            QVERIFY(QFileInfo(f.src(link)).isSymLink());
    }

    // A drop refused because its file or a folder went after the page was filled: said once, nothing moves, the tile
    // stays; the drop before can still be undone. (A name taken since, tst_sorting's transferAndUndo.)
    void changedBeforeDrop_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("deleted") << "deleted";
        QTest::newRow("destination folder gone") << "no destination";
        QTest::newRow("source folder moved away") << "no source";
    }
    void changedBeforeDrop()
    {
        QFETCH(QString, change);
        Fixture f;
        writeJpegs(f, { "a.jpg", "b.jpg", "c.jpg" });
        const auto initial = f.files();
        QVERIFY(f.build());
        f.drop(0, 2); // one transfer in the history already
        const QString b = f.src("b.jpg");
        QVERIFY(change == "deleted"     ? QFile::remove(b)
                : change == "no source" ? QDir().rename(f.src(), f.root("away"))
                                        : QDir(f.dest(3)).removeRecursively());
        const auto before = f.files();
        const UndoHistory history = f.sorter.history();
        f.drop(1, 3);
        QVERIFY(!f.session.isBusy());
        QCOMPARE(f.warnings.size(), 1);
        QVERIFY2(f.warnings[0].contains("b.jpg"), qPrintable(f.warnings[0]));
        QCOMPARE(f.files(), before);
        QCOMPARE(f.settings.serials[0], 42);
        QCOMPARE(f.sorter.history(), history);
        QVERIFY(f.tile(1)->isVisible());
        if (change == "no source") { // refills and send all go on over a missing folder
            f.board().sendAllReached();
            f.board().reload();
            QCOMPARE(f.folder.count(), 0);
            f.board().loadMore();
        }
        f.sorter.undoLast(); // still takes back the drop before, making the source folder again
        QVERIFY(QFile::exists(f.src("a.jpg")));
        QCOMPARE(f.settings.serials[0], 41);
        if (change == "no source") {
            f.leave();
            QVERIFY(f.build());
            for (const char* name : { "b.jpg", "c.jpg" })
                QVERIFY(QDir().rename(f.root("away/") + name, f.src(name)));
            QCOMPARE(f.files(), initial);
        }
        QCOMPARE(f.warnings.size(), 1);
    }

    // Send all lets pending events run between files, and is not busy: it takes a drop of a file not reached yet, one
    // of a file already sent (told), a reload that lists the folder anew under it, and a second send all (turned away).
    void inputDuringSendAll()
    {
        Fixture f;
        writeJpegs(f,
            { "p00.jpg", "p01.jpg", "p02.jpg", "p03.jpg", "p04.jpg", "p05.jpg", "p06.jpg", "p07.jpg", "p08.jpg",
                "p09.jpg" });
        const auto before = f.files();
        QVERIFY(f.build());
        SortingBoard& b = f.board();
        int step = 0;
        QTimer input;
        connect(&input, &QTimer::timeout, this, [&] {
            if (QDir(f.dest(10)).entryList(QDir::Files).size() < step + 2)
                return;
            const std::function<void()> steps[]
                = { [&] { f.drop(7, 4); }, [&] { f.drop(0, 5); }, [&] { b.reload(); }, [&] { b.sendAllReached(); } };
            steps[step]();
            if (++step == 4)
                input.stop();
        });
        input.start(0);
        b.sendAllReached();
        QCOMPARE(step, 4);
        // p07 went to folder 4 before send all got to it; p00 had been sent already.
        QCOMPARE(f.warnings.size(), 1);
        QVERIFY(f.warnings.takeFirst().contains("p00.jpg"));
        QCOMPARE(f.files(), movedAs(before, { { "p07.jpg", "dest4/000041 p07.jpg" } }, "dest10/"));
        f.undoAll(); // ten undos bring back the last ten, whatever their order was
        QVERIFY(!b.undoEnabled());
        QVERIFY(f.warnings.isEmpty());
        QCOMPARE(f.files(), before);
        QCOMPARE(f.settings.serials[0], 41);
    }
};

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
