// The sorting board without the main window: the page fill and its thumbnails, drops
// and digit keys that send files, the keyboard frame, and the busy state that holds
// input back.
#include "Fixture.h"
#include "platform/FileOps.h"
#include <QSignalSpy>

namespace {

QColor colourOf(int i) { return QColor::fromHsv((i * 47) % 360, 255, 230); }
QString name(int i) { return QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')); }

// The middle of the picture tile i shows is near colour c.
bool shows(const Tile* t, QColor c)
{
    const QImage img = t->pixmap().toImage();
    const QColor a = img.pixelColor(img.width() / 2, img.height() / 2);
    return std::abs(a.red() - c.red()) + std::abs(a.green() - c.green()) + std::abs(a.blue() - c.blue()) < 60;
}

void writePhoto(const QString& path, QSize size, QColor c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    QVERIFY(img.save(path, "JPEG", 95));
}

void writePhotos(const Fixture& f, int count, QSize size = QSize(320, 240))
{
    for (int i = 0; i < count; ++i)
        writePhoto(f.src(name(i)), size, colourOf(i));
}

// The one framed thumbnail on show, -1 when none is; -2 for two frames.
int framed(Fixture& f)
{
    int found = -1;
    for (int i = 0; i < f.board().tileCount(); ++i)
        if (f.tile(i)->isCurrent() && f.tile(i)->isVisible())
            found = found >= 0 ? -2 : i;
    return found;
}

// Records the order in which tiles become visible.
struct ShowOrder : QObject {
    QList<int> shown;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (auto* tile = qobject_cast<Tile*>(o); tile && e->type() == QEvent::Show)
            shown.append(tile->position());
        return false;
    }
};

}

class TestBoard : public QObject {
    Q_OBJECT
    QTemporaryDir m_cacheHome; // never the user's own shared thumbnails

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cacheHome.path())); }

    // Targets take their folders' names as written, never as markup; thumbnails are
    // shrunk to the box when larger, centred in it, one column pitch apart, decoded reduced.
    void geometry()
    {
        Fixture f;
        for (auto [file, size] : { std::pair { "a_wide.jpg", QSize(1600, 1200) }, { "b_tall.jpg", QSize(1200, 1600) },
                 { "c_small.jpg", QSize(40, 30) }, { "d_box.jpg", QSize(64, 64) } })
            writePhoto(f.src(file), size, Qt::red);
        QVERIFY(QDir().mkpath(f.root("<b>x")));
        f.settings.destPaths[4] = f.root("<b>x/");
        f.settings.destPaths[8] = FileOps::rootPath(); // as a first start leaves them
        QVERIFY(f.build());
        for (int k = 0; k < 10; ++k)
            QCOMPARE(f.target(k)->text(), k == 4 ? "<b>x" : k == 8 ? "未設定" : QStringLiteral("dest%1").arg(k));
        QVERIFY(f.target(4)->sizeHint().width() >= f.target(4)->fontMetrics().horizontalAdvance("<b>x"));

        const TwipsPerPixel tpp = f.board().tpp();
        const double w = f.board().width() * tpp.x, h = f.board().height() * tpp.y;
        const double pitch = w / BoardGeometry::boardGrid(w, h, tpp, 64).columns;
        const QRectF expected[] = { { 0, 120, 960, 720 }, { pitch + 120, 0, 720, 960 },
            { 2 * pitch + 180, 255, 600, 450 }, { 3 * pitch, 0, 960, 960 } };
        QCOMPARE(f.shown(), 4);
        for (int i = 0; i < 4; ++i) {
            const Tile* t = f.tile(i);
            const QRectF r = expected[i];
            QCOMPARE(t->sizeTwips(), r.size());
            QCOMPARE(t->stretch(), i < 2);
            QCOMPARE(t->geometry(),
                QRect(twipsToPixels(r.x(), tpp.x), twipsToPixels(r.y(), tpp.y), twipsToPixels(r.width(), tpp.x),
                    twipsToPixels(r.height(), tpp.y)));
            QVERIFY(t->hasPicture() && t->pixmap().width() <= 64 && t->pixmap().height() <= 64);
        }
    }

    // While a page fills, the board is busy and takes no input: no refill, no press, no
    // drop, key or send all. The tiles show in list order, each its own file.
    void fillHoldsInputBack_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("build") << "build";
        QTest::newRow("reload") << "reload";
        QTest::newRow("load anew") << "anew";
    }
    void fillHoldsInputBack()
    {
        QFETCH(QString, command);
        Fixture f;
        writePhotos(f, 15);
        SortingBoard& b = f.board();
        if (command != "build")
            QVERIFY(f.build());
        QVERIFY(f.sorter.transfer(1, 14, f.src(), name(14)).ok); // something the undo key could take back
        QSignalSpy chosen(&b, &SortingBoard::fileChosen), menu(&b, &SortingBoard::menuRequested);
        QSignalSpy viewer(&b, &SortingBoard::onePointViewerRequested), ended(&b, &SortingBoard::refilled);
        const auto before = f.files();
        int tried = 0;
        QStringList wrong;
        std::function<void()> tryEverything = [&] {
            if (b.tileCount() < 3 || !b.tileAt(2)->isVisible())
                return QTimer::singleShot(0, tryEverything); // the middle of the fill
            ++tried;
            const int tiles = b.tileCount();
            const int16_t steps = b.loadAnewSteps();
            const bool busy = f.session.isBusy();
            b.reload();
            b.loadAnew();
            b.pressTile(1, Qt::RightButton, {});
            b.pressTile(1, Qt::LeftButton, {});
            QTest::mouseClick(&b, Qt::RightButton);
            f.drop(1, 3);
            b.sendAllReached();
            for (const QKeyCombination k : { QKeyCombination(Qt::Key_3), QKeyCombination(Qt::Key_Return),
                     QKeyCombination(Qt::Key_F5), QKeyCombination(Qt::KeypadModifier, Qt::Key_4),
                     QKeyCombination(Qt::ControlModifier, Qt::Key_N), QKeyCombination(Qt::ControlModifier, Qt::Key_Z) })
                f.key(k.key(), k.keyboardModifiers());
            if (!busy || b.loadAnewSteps() != steps || b.tileCount() != tiles || ended.count())
                wrong << "a refill ran";
            if (chosen.count() || menu.count() || viewer.count())
                wrong << "a press was taken";
            if (f.files() != before || f.sorter.history().count() != 1)
                wrong << "a file moved";
        };
        QTimer::singleShot(0, tryEverything);
        ShowOrder order;
        qApp->installEventFilter(&order);
        if (command == "build")
            QVERIFY(f.build());
        else
            command == "reload" ? b.reload() : b.loadAnew();
        qApp->removeEventFilter(&order);

        QCOMPARE(tried, 1);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
        QVERIFY(f.warnings.isEmpty() && !f.session.isBusy());
        QCOMPARE(ended.count(), command == "build" ? 0 : 1);
        const int expected = command == "anew" ? 14 : 10;
        QCOMPARE(f.shown(), expected);
        QCOMPARE(order.shown.size(), expected);
        for (int i = 0; i < expected; ++i) // whichever worker made it
            QVERIFY2(order.shown[i] == i && shows(f.tile(i), colourOf(i)), qPrintable(QString::number(i)));
    }

    // Files vanish while the workers read them: each tile gets its picture or its
    // placeholder, and the fill ends as usual.
    void fileDeletedWhileTheFillRuns()
    {
        Fixture f;
        f.settings.thumbCount = 20;
        writePhotos(f, 20);
        afterEventPasses(2, [&] {
            for (int i : { 5, 9, 13, 19 })
                QFile::remove(f.src(name(i)));
        });
        QVERIFY(f.build());
        QCOMPARE(f.shown(), 20);
        for (int i = 0; i < 20; ++i)
            QVERIFY(!f.tile(i)->hasPicture() || shows(f.tile(i), colourOf(i)));
        f.board().reload();
        QCOMPARE(f.shown(), 16);
    }

    void refillsMakeOnlyWhatChanged()
    {
        Fixture f;
        writePhotos(f, 14);
        QVERIFY(f.build());
        QCOMPARE(f.thumbnails->stats().decoded, 10);
        f.thumbnails->resetStats();
        f.drop(0, 3);
        // File 3 changes: portrait and white now, with a later time.
        writePhoto(f.src(name(3)), QSize(240, 320), Qt::white);
        QFile file(f.src(name(3)));
        QVERIFY(file.open(QIODevice::ReadWrite)
            && file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        file.close();
        for (bool newRun : { false, true }) {
            if (newRun) { // the program started again takes every thumbnail from the shared cache
                f.restart();
                QVERIFY(f.build());
                QCOMPARE(f.thumbnails->stats().shared, 10);
            } else { // eight were seen before; file 3 is made again, file 10 behind the page or now
                f.board().reload();
                QCOMPARE(f.thumbnails->stats().memory + f.thumbnails->stats().decoded, 10);
                QVERIFY(f.thumbnails->stats().decoded <= 2);
            }
            for (int i = 0; i < 10; ++i)
                QVERIFY(shows(f.tile(i), i == 2 ? QColor(Qt::white) : colourOf(i + 1)));
            QCOMPARE(f.tile(2)->sizeTwips(), QSizeF(720, 960));
        }
        QCOMPARE(f.thumbnails->stats().decoded, 0);
    }

    void pageLimits()
    {
        Fixture f;
        writePhotos(f, 30, QSize(40, 30));
        QVERIFY(f.build());
        SortingBoard& b = f.board();
        const double w = b.width() * b.tpp().x, h = b.height() * b.tpp().y;
        const BoardGeometry::Grid small = BoardGeometry::boardGrid(w, h, b.tpp(), 64);
        QVERIFY2(small.columns * small.rows >= 30, "the offscreen board is too small for this test");
        QSignalSpy ended(&b, &SortingBoard::refilled);
        // Reload lists again and closes the gaps a drop and deleted files left.
        f.drop(1, 2);
        QVERIFY(QFile::remove(f.src(name(2))));
        f.settings.thumbCount = 30; // options changed while the board is shown
        b.reload();
        QCOMPARE(f.folder.name(1), name(3));
        QCOMPARE(f.shown(), 28);
        QCOMPARE(ended.takeFirst(), QVariantList { 28 });
        // Load anew on a smaller thumbnail count: the tiles past the new end go too.
        f.settings.thumbCount = 5;
        b.loadAnew();
        QCOMPARE(b.pageEnd(), int16_t(15));
        QVERIFY(b.tileCount() == 15 && f.shown() == 15);
        b.reload();
        QVERIFY(b.loadAnewSteps() == 0 && f.shown() == 5);
        // Back to the folder screen and built again, on the new count.
        f.leave();
        QVERIFY(b.tileCount() == 1 && !f.target(1));
        QVERIFY(f.build());
        QCOMPARE(f.shown(), 5);
        for (int k = 0; k < 10; ++k)
            QVERIFY(f.target(k)->isVisible());
        // A full board ends the page, whatever the thumbnail count says.
        f.settings.thumbSize = 512;
        f.settings.thumbCount = 30;
        f.leave();
        QVERIFY(f.build());
        const BoardGeometry::Grid large = BoardGeometry::boardGrid(w, h, b.tpp(), 512);
        QCOMPARE(f.shown(), std::min(28, large.columns * large.rows));
        // On an empty folder tile 0 does not show the last board's picture.
        f.leave();
        for (const QString& n : f.folder.names())
            QVERIFY(QFile::remove(f.src(n)));
        f.folder.refresh();
        QVERIFY(f.build());
        QCOMPARE(f.shown(), 0);
    }

    // A drop or a digit key runs one transfer (the names it gives are the sorter's); the
    // tile goes, the frame goes on, the target's highlight ends. Refused: everything stays.
    void send_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("copy");
        QTest::newRow("drop") << "drop" << 3 << false;
        QTest::newRow("drop in copy mode") << "drop" << 5 << true;
        QTest::newRow("key 0") << "key" << 0 << false;
        QTest::newRow("keypad 7") << "keypad" << 7 << false;
        QTest::newRow("unset, drop") << "drop" << 8 << false;
        QTest::newRow("unset, key") << "key" << 8 << false;
    }
    void send()
    {
        QFETCH(QString, how);
        QFETCH(int, target);
        QFETCH(bool, copy);
        Fixture f;
        f.settings.destPaths[8] = FileOps::rootPath();
        writePhotos(f, 3, QSize(40, 30));
        QVERIFY(f.build());
        f.session.copyMode = copy;
        SortingBoard& b = f.board();
        QCOMPARE(framed(f), 0);
        const auto before = f.files();
        if (how == "drop")
            f.drop(0, target);
        else
            f.key(Qt::Key_0 + target, how == "keypad" ? Qt::KeypadModifier : Qt::NoModifier);
        QVERIFY(!f.session.isBusy());
        QVERIFY(f.tile(1)->isVisible()); // no re-layout until a reload
        QCOMPARE(f.folder.name(0), name(0)); // the entry stays until then too
        QTRY_COMPARE(f.target(target)->backColor(), b.targetColour()); // the highlight ends
        if (target == 8) { // refused: everything as it was, the frame where it was
            QCOMPARE(f.warnings.size(), 1);
            QVERIFY2(f.warnings[0].contains("「移動先フォルダ設定」"), qPrintable(f.warnings[0]));
            QVERIFY(f.files() == before && f.settings.serials[0] == 41 && !b.undoEnabled());
            QVERIFY(f.tile(0)->isVisible() && (how == "drop" || framed(f) == 0));
            return;
        }
        QVERIFY(f.warnings.isEmpty());
        QCOMPARE(Hostile::read(f.dest(target, "000041 " + name(0))), before.value("src/" + name(0)));
        QCOMPARE(QFile::exists(f.src(name(0))), copy);
        QVERIFY(f.settings.serials[0] == 42 && f.sorter.history().count() == 1 && b.undoEnabled());
        QVERIFY(f.tile(0)->isHidden());
        QCOMPARE(framed(f), 1); // the frame went on
    }

    // Send all takes what the board reached, skipping what already went; a full board
    // stops before the count: what got no box was never seen.
    void sendAll_data()
    {
        QTest::addColumn<int>("thumbSize");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("files");
        QTest::newRow("the first page") << 64 << 10 << 12;
        QTest::newRow("a full board") << 256 << 30 << 30;
    }
    void sendAll()
    {
        QFETCH(int, thumbSize);
        QFETCH(int, count);
        QFETCH(int, files);
        Fixture f;
        f.settings.thumbSize = int16_t(thumbSize);
        f.settings.thumbCount = int16_t(count);
        writePhotos(f, files, QSize(40, 30));
        QVERIFY(f.build());
        const int reached = f.shown();
        QVERIFY2(reached > 1 && reached <= count && reached < files, qPrintable(QString::number(reached)));
        f.drop(1, 1); // already moved: skipped without an entry
        f.board().sendAllReached();
        QVERIFY(f.warnings.isEmpty());
        for (int i = 0; i < files; ++i) {
            QCOMPARE(QFile::exists(f.src(name(i))), i >= reached);
            QCOMPARE(QFile::exists(f.dest(10, name(i))), i < reached && i != 1);
            QVERIFY(!f.tile(i) || f.tile(i)->isHidden());
        }
        QCOMPARE(f.sorter.history().count(), std::min(10, reached)); // the drop and the rest
    }

    void frame()
    {
        Fixture f;
        writePhotos(f, 6);
        QVERIFY(f.build());
        f.key(Qt::Key_Z, Qt::ControlModifier); // nothing to undo: nothing said
        // A thumbnail that comes to lie under a resting pointer (after a reload or a send)
        // does not take the frame; the pointer moving over it does.
        const QPointF at(5, 5);
        QEnterEvent enter(at, at, f.tile(3)->mapToGlobal(at));
        QApplication::sendEvent(f.tile(3), &enter);
        QCOMPARE(framed(f), 0);
        QTest::mouseMove(f.tile(3), at.toPoint());
        QCOMPARE(framed(f), 3);
        f.key(Qt::Key_Home);
        f.drop(1, 2);
        f.key(Qt::Key_Right);
        QCOMPARE(framed(f), 2);
        f.key(Qt::Key_Left);
        QCOMPARE(framed(f), 0);
        f.key(Qt::Key_6); // sent from 0: the frame goes past the hidden 1
        QVERIFY(QFile::exists(f.dest(6, "000042 IMG_0000.jpg")));
        QCOMPARE(framed(f), 2);
        // A mouse drop of the framed one hands the frame on; the key sends what the frame shows.
        f.drop(2, 8);
        QCOMPARE(framed(f), 3);
        f.key(Qt::Key_8);
        QVERIFY(QFile::exists(f.dest(8, "000044 IMG_0003.jpg")));
        QCOMPARE(framed(f), 4);
        // The last one sent: the frame falls back to the nearest before it.
        f.key(Qt::Key_End);
        f.key(Qt::Key_6);
        QCOMPARE(framed(f), 4);
        for (int i = 0; i < 3; ++i) // nothing left to send: the keys do nothing
            f.key(Qt::Key_6);
        QVERIFY(f.sorter.history().count() == 6 && framed(f) == -1);
        // Keys and drops share one history: undo goes newest first, one step per key or
        // command, each reloading the board.
        f.board().reload();
        QCOMPARE(f.folder.count(), 0);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(f.src(name(4))) && f.folder.count() == 1 && framed(f) == 0);
        f.sorter.undoLast();
        QVERIFY(QFile::exists(f.src(name(5))) && f.settings.serials[0] == 45 && f.tile(1)->isVisible());
        f.undoAll();
        QVERIFY(f.settings.serials[0] == 41 && f.folder.count() == 6 && !f.board().undoEnabled());
        QVERIFY(f.files().size() == 6 && f.warnings.isEmpty());
    }

    // A send flashes its target; a second send ends the first flash at once. Off the
    // board the keys do nothing, and a flash ends on a target that is gone.
    void keysOnlyOnTheBoard()
    {
        Fixture f;
        writePhotos(f, 4);
        QVERIFY(f.build());
        f.key(Qt::Key_1);
        f.key(Qt::Key_2);
        QCOMPARE(f.target(1)->backColor(), f.board().targetColour());
        QCOMPARE(f.target(2)->backColor(), Target::highlight());
        f.key(Qt::Key_7);
        f.leave();
        const auto before = f.files();
        for (const QKeyCombination k :
            { QKeyCombination(Qt::Key_2), QKeyCombination(Qt::Key_F5), QKeyCombination(Qt::ControlModifier, Qt::Key_Z),
                QKeyCombination(Qt::ControlModifier, Qt::Key_N), QKeyCombination(Qt::Key_Return) }) {
            QTest::keyClick(&f.host, k.key(), k.keyboardModifiers());
            f.key(k.key(), k.keyboardModifiers());
        }
        QVERIFY(f.files() == before && f.sorter.history().count() == 3);
        QTest::qWait(400); // the flash ends on a target that is gone
        QVERIFY(f.build());
        for (int k = 0; k < 10; ++k)
            QCOMPARE(f.target(k)->backColor(), f.board().targetColour());
    }

    // The right button asks for the one-point viewer and starts no drag: it would hold
    // the pointer and eat the click that closes the viewer. The left one drags. Enter
    // asks for it on the framed thumbnail, the keypad's too; never on a sent one.
    void onePointRequest()
    {
        Fixture f;
        writePhotos(f, 8);
        QVERIFY(f.build());
        SortingBoard& b = f.board();
        QSignalSpy chosen(&b, &SortingBoard::fileChosen), viewer(&b, &SortingBoard::onePointViewerRequested);
        b.pressTile(6, Qt::RightButton, {});
        QVERIFY(!f.tile(6)->dragRequested());
        b.pressTile(5, Qt::LeftButton, {});
        QVERIFY(f.tile(5)->dragRequested());
        f.key(Qt::Key_Right);
        f.key(Qt::Key_Return);
        f.key(Qt::Key_Right);
        f.key(Qt::Key_Enter, Qt::KeypadModifier);
        f.drop(2, 1);
        b.focus().setCurrent(2);
        f.key(Qt::Key_Return);
        QCOMPARE(viewer.count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(viewer[i][0].toInt(), QList<int>({ 6, 1, 2 })[i]);
        QCOMPARE(chosen.count(), 5);
        QCOMPARE(chosen.last()[0].toString(), name(2));
    }
};

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
