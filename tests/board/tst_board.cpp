// The sorting board without the main window: page fills, sends, the frame, busy input.
#include "Fixture.h"
#include "board/CopyModeBadge.h"
#include "platform/FileOps.h"
#include <QSignalSpy>

namespace {

QColor colourOf(int i) { return QColor::fromHsv((i * 47) % 360, 255, 230); }
QString name(int i) { return QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')); }

// The middle of the tile's picture is near colour c.
bool shows(const Tile* t, QColor c)
{
    const QImage img = t->pixmap().toImage();
    const QColor a = img.pixelColor(img.width() / 2, img.height() / 2);
    return std::abs(a.red() - c.red()) + std::abs(a.green() - c.green()) + std::abs(a.blue() - c.blue()) < 60;
}

void writePhoto(const QString& path, QSize size, QColor c) { QVERIFY(Hostile::plain(size, c).save(path, "JPEG", 95)); }

void writePhotos(const Fixture& f, int count, QSize size = QSize(320, 240))
{
    for (int i = 0; i < count; ++i)
        writePhoto(f.src(name(i)), size, colourOf(i));
}

// The one framed tile on show; -1 for none, -2 for two.
int framed(Fixture& f)
{
    int found = -1;
    for (int i = 0; i < f.board().tileCount(); ++i)
        if (f.tile(i)->isCurrent() && f.tile(i)->isVisible())
            found = found >= 0 ? -2 : i;
    return found;
}

void keys(Fixture& f, std::initializer_list<QKeyCombination> list, QWidget* also = nullptr)
{
    for (const QKeyCombination k : list) {
        if (also)
            QTest::keyClick(also, k.key(), k.keyboardModifiers());
        f.key(k.key(), k.keyboardModifiers());
    }
}
constexpr QKeyCombination ctrl(Qt::Key k) { return QKeyCombination(Qt::ControlModifier, k); }

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

    // Target names are plain text; thumbnails shrink to the box, centred, one pitch apart, decoded reduced.
    void geometry()
    {
        Fixture f;
        for (auto [file, size] : { std::pair { "a_wide.jpg", QSize(1600, 1200) }, { "b_tall.jpg", QSize(1200, 1600) },
                 { "c_small.jpg", QSize(40, 30) }, { "d_box.jpg", QSize(64, 64) } })
            writePhoto(f.src(file), size, Qt::red);
        QVERIFY(QDir().mkpath(f.root("<b>x")));
        f.settings.destinationFolders[4] = f.root("<b>x/");
        f.settings.destinationFolders[8] = FileOps::rootPath(); // as a first start leaves them
        QVERIFY(f.build());
        for (int k = 0; k < 10; ++k)
            QCOMPARE(f.target(k)->text(), k == 4 ? "<b>x" : k == 8 ? "未設定" : QStringLiteral("dest%1").arg(k));
        QCOMPARE_GE(f.target(4)->sizeHint().width(), f.target(4)->fontMetrics().horizontalAdvance("<b>x"));
        const TwipsPerPixel tpp = f.board().tpp();
        const double w = f.board().width() * tpp.x, h = f.board().tileAreaHeight() * tpp.y;
        const BoardGeometry::Grid grid = BoardGeometry::spread(BoardGeometry::boardGrid(w, h, tpp, 64), 4);
        QCOMPARE(f.board().pageColumns(), 4); // four tiles spread over the width
        const double pitch = grid.pitch, x = grid.left;
        const QRectF expected[] = { { x, 120, 960, 720 }, { x + pitch + 120, 0, 720, 960 },
            { x + 2 * pitch + 180, 255, 600, 450 }, { x + 3 * pitch, 0, 960, 960 } };
        QCOMPARE(f.shown(), 4);
        for (int i = 0; i < 4; ++i) {
            const Tile* t = f.tile(i);
            const QRectF r = expected[i];
            QCOMPARE(t->sizeTwips(), r.size());
            QCOMPARE(t->stretch(), (i < 2));
            QCOMPARE(t->geometry(),
                QRect(twipsToPixels(r.x(), tpp.x), twipsToPixels(r.y(), tpp.y), twipsToPixels(r.width(), tpp.x),
                    twipsToPixels(r.height(), tpp.y)));
            QVERIFY(t->hasPicture());
            QCOMPARE_LE(t->pixmap().width(), 64);
            QCOMPARE_LE(t->pixmap().height(), 64);
        }
    }

    // While a page fills the board is busy and takes no refill, press, drop, key or send all;
    // tiles show in list order, each its own file.
    void fillHoldsInputBack_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* c : { "build", "reload", "load more" })
            QTest::newRow(c) << QString(c);
    }
    void fillHoldsInputBack()
    {
        QFETCH(QString, command);
        Fixture f;
        writePhotos(f, 15);
        SortingBoard& b = f.board();
        if (command != "build")
            QVERIFY(f.build());
        QVERIFY(f.sorter.transfer(1, 14, f.src(), name(14)).ok); // something for the undo key
        QSignalSpy chosen(&b, &SortingBoard::fileChosen), menu(&b, &SortingBoard::menuRequested);
        QSignalSpy viewer(&b, &SortingBoard::onePointViewerRequested), ended(&b, &SortingBoard::refilled);
        const auto state = [&] {
            return std::tuple(f.session.isBusy(), b.loadMoreSteps(), b.tileCount(), f.files(),
                f.sorter.history().count(), ended.count() + chosen.count() + menu.count() + viewer.count());
        };
        int tried = 0;
        decltype(state()) before, after; // around everything tried mid-fill
        std::function<void()> tryEverything = [&] {
            if (b.tileCount() < 3 || !f.tile(2)->isVisible())
                return QTimer::singleShot(0, tryEverything); // the middle of the fill
            before = state();
            b.reload();
            b.loadMore();
            b.pressTile(1, Qt::RightButton, {});
            b.pressTile(1, Qt::LeftButton, {});
            QTest::mouseClick(&b, Qt::RightButton);
            f.drop(1, 3);
            b.sendAllReached();
            keys(f,
                { Qt::Key_3, Qt::Key_Return, Qt::Key_F5, Qt::KeypadModifier | Qt::Key_4, ctrl(Qt::Key_N),
                    ctrl(Qt::Key_Z) });
            after = state();
            ++tried;
        };
        QTimer::singleShot(0, tryEverything);
        ShowOrder order;
        qApp->installEventFilter(&order);
        if (command == "build")
            QVERIFY(f.build());
        else
            command == "reload" ? b.reload() : b.loadMore();
        qApp->removeEventFilter(&order);
        QCOMPARE(tried, 1);
        QVERIFY(std::get<0>(before)); // busy
        QCOMPARE(after, before);
        QVERIFY(f.warnings.isEmpty());
        QVERIFY(!f.session.isBusy());
        QCOMPARE(ended.count(), command == "build" ? 0 : 1);
        const int expected = command == "load more" ? 14 : 10;
        QCOMPARE(f.shown(), expected);
        QCOMPARE(order.shown.size(), expected);
        for (int i = 0; i < expected; ++i) { // whichever worker made it
            QCOMPARE(order.shown[i], i);
            QVERIFY2(shows(f.tile(i), colourOf(i)), qPrintable(QString::number(i)));
        }
    }

    void refillsMakeOnlyWhatChanged()
    {
        Fixture f;
        writePhotos(f, 14);
        QVERIFY(f.build());
        QCOMPARE(f.thumbnails().stats().decoded, 10);
        f.thumbnails().resetStats();
        f.drop(0, 3);
        writePhoto(f.src(name(3)), QSize(240, 320), Qt::white); // changed, with a later time
        TestFiles::setModified(f.src(name(3)), QDateTime::currentDateTime().addSecs(5));
        for (bool newRun : { false, true }) {
            if (newRun) { // a new run takes every thumbnail from the shared cache
                f.restart();
                QVERIFY(f.build());
                QCOMPARE(f.thumbnails().stats().shared, 10);
            } else { // only file 3, and file 10 behind the page or now, are made again
                f.board().reload();
                QCOMPARE(f.thumbnails().stats().memory + f.thumbnails().stats().decoded, 10);
                QCOMPARE_LE(f.thumbnails().stats().decoded, 2);
            }
            for (int i = 0; i < 10; ++i)
                QVERIFY(shows(f.tile(i), i == 2 ? QColor(Qt::white) : colourOf(i + 1)));
            QCOMPARE(f.tile(2)->sizeTwips(), QSizeF(720, 960));
        }
        QCOMPARE(f.thumbnails().stats().decoded, 0);
        TestFiles::writeFile(f.src(name(1)), "not a picture"); // in the first tile, which is kept from fill to fill
        TestFiles::setModified(f.src(name(1)), QDateTime::currentDateTime().addSecs(10));
        f.board().reload();
        QVERIFY(!f.tile(0)->hasPicture());
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
        f.drop(1, 2); // reload lists again, closing the gaps
        QVERIFY(QFile::remove(f.src(name(2))));
        f.settings.thumbCount = 30;
        b.reload();
        QCOMPARE(f.folder.name(1), name(3));
        QCOMPARE(f.shown(), 28);
        QCOMPARE(ended.takeFirst(), QVariantList { 28 });
        f.settings.thumbCount = 5; // load more on a smaller count: the tiles past the new end go too
        b.loadMore();
        QCOMPARE(b.pageEnd(), 15);
        QCOMPARE(b.tileCount(), 15);
        QCOMPARE(f.shown(), 15);
        b.reload();
        QCOMPARE(b.loadMoreSteps(), 0);
        QCOMPARE(f.shown(), 5);
        f.leave();
        QCOMPARE(b.tileCount(), 1);
        QVERIFY(!f.target(1));
        QVERIFY(f.build());
        QCOMPARE(f.shown(), 5);
        for (int k = 0; k < 10; ++k)
            QVERIFY(f.target(k)->isVisible());
        f.settings.thumbSize = 512; // a full board ends the page, whatever the count says
        f.settings.thumbCount = 30;
        f.leave();
        QVERIFY(f.build());
        const BoardGeometry::Grid large = BoardGeometry::boardGrid(w, h, b.tpp(), 512);
        const int placed = f.shown();
        QCOMPARE(placed, std::min(28, large.columns * large.rows));
        b.sendAllReached(); // never a file the board had no room to show
        QCOMPARE(QDir(f.dest(10)).entryList(QDir::Files).size(), placed);
        f.leave(); // an empty folder shows no old picture in tile 0
        for (const QString& n : f.folder.names())
            QVERIFY(QFile::remove(f.src(n)));
        f.folder.refresh();
        QVERIFY(f.build());
        QCOMPARE(f.shown(), 0);
    }

    // Every resize lays the board out again: targets along the bottom inside the board, no tile under them or the
    // badge, sent tiles still hidden, the frame kept, nothing decoded again; an emptied board says so in one line.
    void followsResize()
    {
        Fixture f;
        writePhotos(f, 40);
        f.settings.thumbCount = 40;
        f.session.copyMode = true;
        QVERIFY(f.build());
        SortingBoard& b = f.board();
        CopyModeBadge* const badge = f.badge();
        badge->show();
        f.drop(1, 2);
        keys(f, { Qt::Key_Right, Qt::Key_Right });
        const int framedBefore = framed(f);
        f.thumbnails().resetStats();
        for (const QSize size : { QSize(500, 300), QSize(1000, 700), QSize(200, 150), b.size() }) {
            b.resize(size);
            const QString at = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
            QRect targets;
            for (int k = 0; k < 10; ++k) {
                const QRect r = f.target(k)->geometry();
                QVERIFY2(b.rect().contains(r), qPrintable(at));
                QCOMPARE(r.bottom(), b.height() - 1);
                targets |= r;
            }
            QVERIFY2(!badge->geometry().intersects(targets), qPrintable(at));
            QVERIFY2(badge->width() >= badge->fontMetrics().horizontalAdvance(badge->text()), qPrintable(at));
            int placed = 0;
            for (int i = 0; i < b.tileCount(); ++i) {
                const Tile* t = f.tile(i);
                placed += t->isPlaced() ? 1 : 0;
                QVERIFY2(!t->isVisible() || !t->geometry().intersects(targets), qPrintable(at));
                QVERIFY2(!t->isVisible() || !t->geometry().intersects(badge->geometry()), qPrintable(at));
            }
            QVERIFY2(placed > 1 || size.height() < 300, qPrintable(at));
            QVERIFY(!f.tile(1)->isVisible());
            QCOMPARE(f.sorter.history().count(), 1);
        }
        QCOMPARE(framed(f), framedBefore);
        QCOMPARE(f.target(3)->shownName(), f.target(3)->text()); // a name that fits is shown whole
        f.target(3)->setText(QString(60, u'長'));
        QVERIFY(f.target(3)->shownName().contains(u'…'));
        QCOMPARE(f.thumbnails().stats().decoded, 0);
        QVERIFY2(f.shown() > 2, qPrintable(QString::number(f.shown())));
        QVERIFY(f.emptyNote()->isHidden());
        b.sendAllReached();
        QCOMPARE(f.shown(), 0);
        QVERIFY(!f.emptyNote()->isHidden());
        QVERIFY(f.emptyNote()->text().contains("F5"));
        QCOMPARE_LT(f.emptyNote()->geometry().bottom(), f.target(0)->y());
    }

    // One transfer per drop or digit; the tile goes, the frame moves on, the highlight ends.
    // Refused (target 8 unset): everything stays.
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
        f.settings.destinationFolders[8] = FileOps::rootPath();
        writePhotos(f, 3, QSize(40, 30));
        QVERIFY(f.build());
        QCOMPARE(framed(f), 0);
        f.session.copyMode = copy;
        auto expected = f.files();
        if (how == "drop")
            f.drop(0, target);
        else
            f.key(Qt::Key_0 + target, how == "keypad" ? Qt::KeypadModifier : Qt::NoModifier);
        const bool sent = target != 8;
        const QString from = "src/" + name(0);
        if (sent)
            expected.insert(QStringLiteral("dest%1/000041 ").arg(target) + name(0),
                copy ? expected.value(from) : expected.take(from));
        QCOMPARE(f.files(), expected);
        QVERIFY(!f.session.isBusy()); // no re-layout and the entry stays until a reload
        QVERIFY(f.tile(1)->isVisible());
        QCOMPARE(f.folder.name(0), name(0));
        QTRY_COMPARE(f.target(target)->backColor(), f.board().targetColor());
        QCOMPARE(f.warnings.size(), sent ? 0 : 1);
        QVERIFY(sent || f.warnings[0].contains("「移動先フォルダ設定」"));
        QCOMPARE(f.settings.serials[0], 41 + sent);
        QCOMPARE(f.sorter.history().count(), int(sent));
        QCOMPARE(f.board().undoEnabled(), sent);
        QCOMPARE(f.tile(0)->isHidden(), sent);
        if (sent || how != "drop") // the frame went on, or stayed
            QCOMPARE(framed(f), sent ? 1 : 0);
    }

    // The frame moves and skips what went; the right button asks for the one-point viewer without a
    // drag (which would eat the click closing it), Enter on the framed tile, never a sent one; a second
    // send ends the first flash at once; off the board keys do nothing and a flash on a gone target ends.
    void frame()
    {
        Fixture f;
        writePhotos(f, 6);
        QVERIFY(f.build());
        SortingBoard& b = f.board();
        QSignalSpy chosen(&b, &SortingBoard::fileChosen), viewer(&b, &SortingBoard::onePointViewerRequested);
        f.key(Qt::Key_Z, Qt::ControlModifier); // nothing to undo: nothing said
        b.pressTile(5, Qt::RightButton, {});
        QVERIFY(!f.tile(5)->dragRequested());
        b.pressTile(4, Qt::LeftButton, {});
        QVERIFY(f.tile(4)->dragRequested());
        f.key(Qt::Key_Return);
        // A tile coming under a resting pointer does not take the frame; the pointer moving does.
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
        QCOMPARE(chosen.last()[0].toString(), name(2)); // the file panel follows the frame
        f.key(Qt::Key_Left);
        QCOMPARE(framed(f), 0);
        f.key(Qt::Key_6); // the frame skips the sent 1
        QVERIFY(QFile::exists(f.dest(6, "000042 IMG_0000.jpg")));
        QCOMPARE(framed(f), 2);
        f.drop(2, 8); // a drop of the framed one hands the frame on
        QCOMPARE(framed(f), 3);
        f.key(Qt::Key_8);
        QVERIFY(QFile::exists(f.dest(8, "000044 IMG_0003.jpg")));
        QCOMPARE(framed(f), 4);
        keys(f,
            { Qt::KeypadModifier | Qt::Key_Enter, Qt::Key_End,
                Qt::Key_6 }); // the last one sent: back to the one before
        QCOMPARE(framed(f), 4);
        QCOMPARE(f.target(6)->backColor(), Target::highlight());
        QCOMPARE(f.target(8)->backColor(), b.targetColor());
        keys(f, { Qt::Key_6, Qt::Key_6, Qt::Key_6 });
        QCOMPARE(f.sorter.history().count(), 6);
        QCOMPARE(framed(f), -1);
        b.focus().setCurrent(2);
        f.key(Qt::Key_Return);
        QCOMPARE(viewer.count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(viewer[i][0].toInt(), QList<int>({ 5, 0, 4 })[i]);
        QCOMPARE(chosen.last()[0].toString(), name(4));
        f.leave(); // target 6 still lit
        const auto before = f.files();
        keys(f, { Qt::Key_2, Qt::Key_F5, ctrl(Qt::Key_Z), ctrl(Qt::Key_N), Qt::Key_Return }, &f.host);
        QCOMPARE(f.files(), before);
        QCOMPARE(f.sorter.history().count(), 6);
        QTest::qWait(400);
        QVERIFY(f.build());
        for (int k = 0; k < 10; ++k)
            QCOMPARE(f.target(k)->backColor(), b.targetColor());
        // Keys and drops share one history, undone newest first, one step per key or command.
        QCOMPARE(f.folder.count(), 0);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(f.src(name(4))));
        QCOMPARE(f.folder.count(), 1);
        QCOMPARE(framed(f), 0);
        f.sorter.undoLast();
        QVERIFY(QFile::exists(f.src(name(5))));
        QCOMPARE(f.settings.serials[0], 45);
        QVERIFY(f.tile(1)->isVisible());
        f.undoAll();
        QCOMPARE(f.settings.serials[0], 41);
        QCOMPARE(f.folder.count(), 6);
        QVERIFY(!b.undoEnabled());
        QCOMPARE(f.files().size(), 6);
        QVERIFY(f.warnings.isEmpty());
    }
};

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
