// The sorting board in its window: the page fill and its thumbnails, drops and digit
// keys that send files, the undo history, and the busy flag that holds input back.
#include "../SessionFixture.h"
#include "board/BoardGeometry.h"
#include "imaging/ThumbnailCache.h"
#include "platform/FileOps.h"
#include "platform/StatusBar.h"
#include <QMenu>
#include <QPushButton>
#include <array>
#include <functional>

namespace {

QColor colourOf(int i) { return QColor::fromHsv((i * 47) % 360, 255, 230); }

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

QString name(int i) { return QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')); }

QColor slotColour(ThumbSlot* s)
{
    const QImage img = s->pixmap().toImage();
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

void writePhoto(const QString& path, QSize size, QColor c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    QVERIFY(img.save(path, "JPEG", 95));
}

int visibleSlots(const Form1& f)
{
    int n = 0;
    for (ThumbSlot* s : f.Image1)
        n += s && !s->isHidden() ? 1 : 0;
    return n;
}

// The one framed thumbnail on show, -1 when none is; -2 for two frames.
int framed(const Form1& f)
{
    int found = -1;
    for (ThumbSlot* s : f.Image1)
        if (s && s->isCurrent() && !s->isHidden())
            found = found >= 0 ? -2 : s->index();
    return found;
}

void key(Form1& f, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(f.Picture1, k, mods); }

// Records the order in which slots become visible.
class ShowOrder : public QObject {
public:
    QList<int> shown;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            if (auto* slot = qobject_cast<ThumbSlot*>(o))
                shown.append(slot->index());
        return false;
    }
};

}

class TestBoard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void geometryInTwips();
    void fillInListOrderHoldingCommandsBack_data();
    void fillInListOrderHoldingCommandsBack();
    void fileDeletedWhileTheFillRuns();
    void refillsMakeOnlyWhatChanged();
    void pageLimits();
    void returnAndBuildAgain();
    void send_data();
    void send();
    void unsetTargetRefusesAndKeepsEverything_data();
    void unsetTargetRefusesAndKeepsEverything();
    void keysAndDropsShareOneHistory();
    void sendAllCoversTheReachedPositions_data();
    void sendAllCoversTheReachedPositions();
    void frameSkipsWhatWasSent();
    void keysOnlyOnTheBoard();
    void realKeysReachTheBoard();
    void onePointViewer();

private:
    QTemporaryDir m_cacheHome; // never the user's own shared thumbnails
    // A session on `count` photos of distinct colours, on the board.
    std::unique_ptr<SessionFixture> board(int count, QSize size = QSize(320, 240))
    {
        auto s = std::make_unique<SessionFixture>();
        for (int i = 0; i < count; ++i)
            writePhoto(s->src(name(i)), size, colourOf(i));
        if (!s->build())
            return nullptr;
        return s;
    }
};

void TestBoard::initTestCase()
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cacheHome.path()));
}

void TestBoard::geometryInTwips()
{
    SessionFixture s;
    writePhoto(s.src(QStringLiteral("a_wide.jpg")), QSize(1600, 1200), Qt::red);
    writePhoto(s.src(QStringLiteral("b_tall.jpg")), QSize(1200, 1600), Qt::red);
    writePhoto(s.src(QStringLiteral("c_small.jpg")), QSize(40, 30), Qt::red);
    writePhoto(s.src(QStringLiteral("d_box.jpg")), QSize(64, 64), Qt::red);
    QVERIFY(s.build());
    Form1& f = *s.form;
    const TwipsPerPixel tpp = f.tpp();
    auto px = [&](const QRectF& r) {
        return QRect(twipsToPixels(r.x(), tpp.x), twipsToPixels(r.y(), tpp.y), twipsToPixels(r.width(), tpp.x),
            twipsToPixels(r.height(), tpp.y));
    };
    QCOMPARE(f.Picture1->geometry(), px(Board::boardRect(f.innerWidthTwips(), f.innerHeightTwips())));
    const double w = f.Picture1->width() * tpp.x;
    const double h = f.Picture1->height() * tpp.y;
    for (int k = 0; k < 10; ++k) {
        QCOMPARE(f.Label1[k]->pos(), px(Board::targetLabelRect(k, w, h)).topLeft());
        QCOMPARE(f.Label1[k]->text(), QStringLiteral("dest%1").arg(k));
    }

    // Shrunk to the box when larger, centred in it, one column pitch apart.
    const double pitch = w / Board::boardGrid(w, h, tpp, 64).columns;
    const struct {
        QSizeF size;
        bool stretch;
        QPointF at;
    } expected[] = {
        { { 960, 720 }, true, { 0, 120 } },
        { { 720, 960 }, true, { pitch + 120, 0 } },
        { { 600, 450 }, false, { 2 * pitch + 180, 255 } },
        { { 960, 960 }, false, { 3 * pitch, 0 } },
    };
    QCOMPARE(visibleSlots(f), 4);
    for (int i = 0; i < 4; ++i) {
        ThumbSlot* slot = s.slot(i);
        QCOMPARE(slot->sizeTwips(), expected[i].size);
        QCOMPARE(slot->stretch(), expected[i].stretch);
        QCOMPARE(slot->posTwips(), expected[i].at);
        QCOMPARE(slot->size(), px(QRectF(expected[i].at, expected[i].size)).size());
        QVERIFY(slot->hasPicture());
        QVERIFY(slot->pixmap().width() <= 64 && slot->pixmap().height() <= 64); // decoded reduced
    }
}

void TestBoard::fillInListOrderHoldingCommandsBack_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("build") << "build";
    QTest::newRow("reload") << "reload";
    QTest::newRow("load anew") << "anew";
}

void TestBoard::fillInListOrderHoldingCommandsBack()
{
    QFETCH(QString, command);
    SessionFixture s;
    for (int i = 0; i < 14; ++i)
        writePhoto(s.src(name(i)), QSize(320, 240), colourOf(i));
    QVERIFY(s.open());
    Form1& f = *s.form;
    if (command != QLatin1String("build"))
        f.Command1_Click();
    const QVector<TargetLabel*> labels = f.Label1;
    const QString panel2 = f.statusBar().panelText(2);
    const auto before = s.files();

    // The page fill lets pending events run between slots; these arrive then.
    int tried = 0;
    QStringList wrong;
    std::function<void()> tryEverything = [&] {
        if (f.Image1.size() < 3 || !f.slotAt(2) || !f.slotAt(2)->isVisible()) {
            QTimer::singleShot(0, tryEverything); // wait for the middle of the fill
            return;
        }
        ++tried;
        if (!s.session.isBusy())
            wrong << QStringLiteral("the flag is not set");
        if (f.toolbar()->isEnabled())
            wrong << QStringLiteral("the toolbar is enabled");
        const int slotCount = int(f.Image1.size());
        const int16_t extend = f.ExtendCount;
        f.mnuRL_Click();
        f.mnuDL_Click();
        f.Command1_Click();
        f.Image1_MouseDown(1, Qt::RightButton, {}, 10, 10); // right press: the one-point viewer
        f.Picture1_MouseDown(Qt::RightButton, {}, 100, 100);
        s.drop(1, 3);
        f.openViewerFromMenu();
        f.openOptions();
        f.openDestinations();
        f.mnuDel1_Click();
        f.openHelpPage();
        f.backFromToolbar();
        f.undoFromToolbar();
        f.quitFromToolbar();
        for (Qt::Key k : { Qt::Key_3, Qt::Key_Return, Qt::Key_F5 })
            key(f, k);
        key(f, Qt::Key_4, Qt::KeypadModifier);
        key(f, Qt::Key_N, Qt::ControlModifier);
        if (f.ExtendCount != extend || f.Image1.size() != slotCount)
            wrong << QStringLiteral("a refill ran");
        if (f.Label1 != labels && command != QLatin1String("build"))
            wrong << QStringLiteral("the board was built again");
        if (f.viewer() || f.findChild<QDialog*>() || f.boardMenu()->isVisible())
            wrong << QStringLiteral("a window opened");
        if (f.statusBar().panelText(2) != panel2)
            wrong << QStringLiteral("a press was taken");
        if (s.files() != before || s.sorter.history().count() != 0)
            wrong << QStringLiteral("a file moved");
        if (f.Picture1->isHidden() || !f.isVisible())
            wrong << QStringLiteral("the board was left");
    };
    QTimer::singleShot(0, tryEverything);
    ShowOrder order;
    qApp->installEventFilter(&order);
    if (command == QLatin1String("build"))
        f.Command1_Click();
    else
        command == QLatin1String("reload") ? f.mnuRL_Click() : f.mnuDL_Click();
    qApp->removeEventFilter(&order);

    QCOMPARE(tried, 1);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    QVERIFY(s.messages().isEmpty());
    QVERIFY(!s.session.isBusy());
    QVERIFY(f.toolbar()->isEnabled());
    const int expected = command == QLatin1String("anew") ? 14 : 10;
    QCOMPARE(visibleSlots(f), expected);
    QList<int> inOrder;
    for (int i = 0; i < expected; ++i)
        inOrder.append(i);
    QCOMPARE(order.shown, inOrder);
    // Each slot shows its own file, whichever worker made it.
    for (int i = 0; i < expected; ++i)
        QVERIFY2(near(slotColour(s.slot(i)), colourOf(i)), qPrintable(QString::number(i)));
}

void TestBoard::fileDeletedWhileTheFillRuns()
{
    // Files vanish while the workers read them: each slot gets its picture or its
    // placeholder, and the fill ends as usual.
    SessionFixture s;
    s.settings.thumbCount = 20;
    for (int i = 0; i < 20; ++i)
        writePhoto(s.src(name(i)), QSize(320, 240), colourOf(i));
    QVERIFY(s.open());
    Form1& f = *s.form;
    std::function<void()> removeSome = [&] {
        if (!s.session.isBusy()) {
            QTimer::singleShot(0, removeSome);
            return;
        }
        for (int i : { 5, 9, 13, 19 })
            QFile::remove(s.src(name(i)));
    };
    QTimer::singleShot(0, removeSome);
    f.Command1_Click();
    QCOMPARE(visibleSlots(f), 20);
    QVERIFY(!s.session.isBusy());
    for (int i = 0; i < 20; ++i)
        if (s.slot(i)->hasPicture())
            QVERIFY(near(slotColour(s.slot(i)), colourOf(i)));
    f.mnuRL_Click();
    QCOMPARE(visibleSlots(f), 16);
}

void TestBoard::refillsMakeOnlyWhatChanged()
{
    auto s = board(14);
    QVERIFY(s);
    Form1& f = *s->form;
    QCOMPARE(f.thumbnails().stats().decoded, 10);
    f.thumbnails().resetStats();
    s->drop(0, 3);
    // File 3 changes: portrait and white now, with a later time.
    const QString path = s->src(name(3));
    writePhoto(path, QSize(240, 320), Qt::white);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    f.mnuRL_Click();
    // Eight were seen before; file 3 is made again, file 10 behind the page or now.
    const ThumbnailCache::Stats st = f.thumbnails().stats();
    QCOMPARE(st.memory + st.decoded, 10);
    QVERIFY2(st.decoded <= 2, qPrintable(QString::number(st.decoded)));
    for (int i = 0; i < 10; ++i)
        QVERIFY(near(slotColour(s->slot(i)), i == 2 ? QColor(Qt::white) : colourOf(i + 1)));
    QCOMPARE(s->slot(2)->sizeTwips(), QSizeF(720, 960));

    // The program started again takes every thumbnail from the shared cache.
    s->form->close();
    s->form.reset();
    QVERIFY(s->build());
    QCOMPARE(s->form->thumbnails().stats().shared, 10);
    QCOMPARE(s->form->thumbnails().stats().decoded, 0);
    for (int i = 0; i < 10; ++i)
        QVERIFY(near(slotColour(s->slot(i)), i == 2 ? QColor(Qt::white) : colourOf(i + 1)));
    QCOMPARE(s->slot(2)->sizeTwips(), QSizeF(720, 960));
}

void TestBoard::pageLimits()
{
    auto s = board(30, QSize(40, 30));
    QVERIFY(s);
    Form1& f = *s->form;
    const double w = f.Picture1->width() * f.tpp().x;
    const double h = f.Picture1->height() * f.tpp().y;
    QVERIFY2(Board::boardGrid(w, h, f.tpp(), 64).columns * Board::boardGrid(w, h, f.tpp(), 64).rows >= 30,
        "the offscreen board is too small for this test");

    // Reload lists again and closes the gaps a drop and deleted files left.
    s->drop(1, 2);
    QVERIFY(QFile::remove(s->src(name(2))));
    s->settings.thumbCount = 30; // options changed while the board is shown
    f.mnuRL_Click();
    QCOMPARE(f.folder().count(), 28);
    QCOMPARE(f.folder().name(1), name(3));
    QCOMPARE(visibleSlots(f), 28);
    QCOMPARE(f.statusBar().panelText(3), QStringLiteral(" 28 File "));

    // Load anew on a fewer ThumbCount: the slots past the new end of the first page go too.
    s->settings.thumbCount = 5;
    f.mnuDL_Click();
    QCOMPARE(f.BoardEnd, int16_t(15));
    QCOMPARE(f.Image1.size(), 15);
    QCOMPARE(visibleSlots(f), 15);
    f.mnuRL_Click();
    QCOMPARE(f.ExtendCount, int16_t(0));
    QCOMPARE(visibleSlots(f), 5);

    // A full board ends the page, whatever ThumbCount says.
    s->settings.thumbSize = 512;
    s->settings.thumbCount = 30;
    f.backFromToolbar();
    f.Command1_Click();
    const Board::Grid g = Board::boardGrid(w, h, f.tpp(), 512);
    QCOMPARE(visibleSlots(f), std::min(28, g.columns * g.rows));
    QVERIFY(!s->session.isBusy());
    QVERIFY(f.toolbar()->isEnabled());
}

void TestBoard::returnAndBuildAgain()
{
    auto s = board(12);
    QVERIFY(s);
    Form1& f = *s->form;
    f.mnuDL_Click();
    QCOMPARE(visibleSlots(f), 12);
    // A second build on top of the board is refused, even with the button enabled again.
    const QVector<ThumbSlot*> slotsBefore = f.Image1;
    f.folderPage().startButton()->setEnabled(true);
    f.Command1_Click();
    QCOMPARE(f.Image1, slotsBefore);

    f.backFromToolbar();
    QVERIFY(!f.onBoard());
    QCOMPARE(f.Image1.size(), 1);
    s->settings.thumbCount = 5;
    f.Command1_Click();
    QCOMPARE(visibleSlots(f), 5);
    for (int k = 0; k < 10; ++k)
        QVERIFY(f.Label1[k] && f.Label1[k]->isVisible());

    // On an empty folder slot 0 does not show the last board's picture.
    f.backFromToolbar();
    QVERIFY(QDir().mkpath(s->root(QStringLiteral("empty"))));
    f.folderPage().folders()->setPath(s->root(QStringLiteral("empty")));
    f.Command1_Click();
    QCOMPARE(visibleSlots(f), 0);
    QVERIFY(!s->session.isBusy());
    QVERIFY(f.toolbar()->isEnabled());
}

void TestBoard::send_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("rule");
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("newName");
    QTest::newRow("drop, serial first") << "drop" << 3 << 0 << false << "000041 IMG_0000.jpg";
    QTest::newRow("drop in copy mode") << "drop" << 5 << 0 << true << "000041 IMG_0000.jpg";
    QTest::newRow("drop, folder's name") << "drop" << 4 << 1 << false << "dest4000007.jpg";
    QTest::newRow("key 3") << "key" << 3 << 0 << false << "000041 IMG_0000.jpg";
    QTest::newRow("key 0, folder's name") << "key" << 0 << 1 << false << "dest0000007.jpg";
    QTest::newRow("keypad 7, head name") << "keypad" << 7 << 2 << false << "head7000123.jpg";
}

void TestBoard::send()
{
    QFETCH(QString, how);
    QFETCH(int, target);
    QFETCH(int, rule);
    QFETCH(bool, copy);
    QFETCH(QString, newName);
    SessionFixture s;
    s.settings.nameRule = int16_t(rule);
    for (int i = 0; i < 3; ++i)
        writePhoto(s.src(name(i)), QSize(40, 30), colourOf(i));
    QVERIFY(s.build());
    s.session.copyMode = copy ? 1 : 0;
    Form1& f = *s.form;
    QCOMPARE(framed(f), 0);
    QVERIFY(!f.undoAction->isEnabled());
    const QByteArray bytes = Hostile::read(s.src(name(0)));

    if (how == QLatin1String("drop"))
        s.drop(0, target);
    else
        key(f, Qt::Key(Qt::Key_0 + target), how == QLatin1String("keypad") ? Qt::KeypadModifier : Qt::NoModifier);

    QVERIFY(s.messages().isEmpty());
    QCOMPARE(Hostile::read(s.dest(target, newName)), bytes);
    QCOMPARE(QFile::exists(s.src(name(0))), copy);
    std::array<int32_t, 3> serials { 41, 7, 123 };
    ++serials[size_t(rule)]; // only the rule's own counter moves
    QCOMPARE(s.settings.serials, serials);
    QCOMPARE(s.sorter.history().count(), 1);
    QCOMPARE(s.sorter.history().newest().to, s.settings.destPaths[size_t(target)] + newName);
    QVERIFY(f.undoAction->isEnabled());
    QVERIFY(f.toolbarUndoAction->isEnabled());
    QVERIFY(!s.session.isBusy());
    QVERIFY(s.slot(0)->isHidden());
    QVERIFY(s.slot(1)->isVisible()); // no re-layout until a reload
    QCOMPARE(f.folder().name(0), name(0)); // the entry stays until then too
    QCOMPARE(framed(f), 1); // the frame went on
    QTRY_COMPARE(f.Label1[target]->backColor(), f.labelBackColor()); // the highlight ends
}

void TestBoard::unsetTargetRefusesAndKeepsEverything_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("drop") << "drop";
    QTest::newRow("key") << "key";
    QTest::newRow("send all") << "send all";
}

void TestBoard::unsetTargetRefusesAndKeepsEverything()
{
    // A first start: no Pirapo.ini, so every target is the root folder.
    QFETCH(QString, how);
    SessionFixture s;
    for (int i = 0; i < 2; ++i)
        writePhoto(s.src(name(i)), QSize(40, 30), colourOf(i));
    const QString markup = s.root(QStringLiteral("<b>x"));
    QVERIFY(QDir().mkpath(markup));
    s.form = std::make_unique<Form1>(s.settings, s.session, s.folder, s.sorter);
    QVERIFY(s.form->startedUp() && s.settings.destPaths[8] == FileOps::rootPath());
    s.settings.destPaths[4] = markup + u'/';
    Form1& f = *s.form;
    f.folderPage().folders()->setPath(s.src());
    f.show();
    f.Command1_Click();
    QCOMPARE(f.Label1[8]->text(), QStringLiteral("未設定"));
    // A folder name is shown as written, not as markup.
    QCOMPARE(f.Label1[4]->text(), QStringLiteral("<b>x"));
    QVERIFY(f.Label1[4]->sizeHint().width() >= f.Label1[4]->fontMetrics().horizontalAdvance(f.Label1[4]->text()));
    const auto before = s.files();
    const std::array<int32_t, 3> serials = s.settings.serials;

    if (how == QLatin1String("key"))
        key(f, Qt::Key_8);
    else if (how == QLatin1String("drop"))
        s.drop(0, 8);
    else
        f.mnuDel1_Click();
    QCOMPARE(s.messages().size(), 1);
    QVERIFY2(s.messages().constFirst().contains(QStringLiteral("「移動先フォルダ設定」")),
        qPrintable(s.messages().constFirst()));
    QCOMPARE(s.files(), before);
    QVERIFY(!QFile::exists(FileOps::joinPath(FileOps::rootPath(), QStringLiteral("000000 ") + name(0))));
    QCOMPARE(s.settings.serials, serials);
    QCOMPARE(s.sorter.history().count(), 0);
    QVERIFY(!f.undoAction->isEnabled());
    QVERIFY(s.slot(0)->isVisible() && s.slot(1)->isVisible());
    if (how == QLatin1String("key"))
        QCOMPARE(framed(f), 0);
    QCOMPARE(f.Label1[8]->backColor(), f.labelBackColor());
    QVERIFY(!s.session.isBusy());
}

void TestBoard::keysAndDropsShareOneHistory()
{
    auto s = board(4);
    QVERIFY(s);
    Form1& f = *s->form;
    key(f, Qt::Key_Z, Qt::ControlModifier); // nothing to undo: no message
    key(f, Qt::Key_3);
    s->drop(1, 3); // the mouse takes the next one
    QCOMPARE(f.CurrentThumb, 2);
    key(f, Qt::Key_5);
    QVERIFY(QFile::exists(s->dest(3, QStringLiteral("000041 IMG_0000.jpg"))));
    QVERIFY(QFile::exists(s->dest(3, QStringLiteral("000042 IMG_0001.jpg"))));
    QVERIFY(QFile::exists(s->dest(5, QStringLiteral("000043 IMG_0002.jpg"))));
    QCOMPARE(s->settings.serials[0], 44);
    QCOMPARE(s->sorter.history().count(), 3);
    f.mnuRL_Click(); // the moved files leave the list
    QCOMPARE(f.folder().count(), 1);

    // Newest first, one step each, through the key, the toolbar and the menu; each reloads.
    key(f, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(QFile::exists(s->src(name(2))));
    QCOMPARE(f.folder().count(), 2);
    QCOMPARE(framed(f), 0);
    f.undoFromToolbar();
    QVERIFY(QFile::exists(s->src(name(1))));
    QVERIFY(!QFile::exists(s->dest(3, QStringLiteral("000042 IMG_0001.jpg"))));
    QCOMPARE(s->settings.serials[0], 42);
    QVERIFY(s->slot(1)->isVisible());
    f.undoLastTransfer();
    QVERIFY(QFile::exists(s->src(name(0))));
    QCOMPARE(s->settings.serials[0], 41);
    QCOMPARE(f.folder().count(), 4);
    QVERIFY(!f.undoAction->isEnabled());
    QVERIFY(!f.toolbarUndoAction->isEnabled());
    QCOMPARE(s->files().size(), 4);
    QVERIFY(s->messages().isEmpty());
}

void TestBoard::sendAllCoversTheReachedPositions_data()
{
    QTest::addColumn<int>("thumbSize");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("files");
    QTest::newRow("the first page") << 64 << 10 << 12;
    // The board is full before the load count: what got no box was never seen.
    QTest::newRow("a full board") << 256 << 30 << 30;
}

void TestBoard::sendAllCoversTheReachedPositions()
{
    QFETCH(int, thumbSize);
    QFETCH(int, count);
    QFETCH(int, files);
    SessionFixture s;
    s.settings.thumbSize = int16_t(thumbSize);
    s.settings.thumbCount = int16_t(count);
    for (int i = 0; i < files; ++i)
        writePhoto(s.src(name(i)), QSize(40, 30), colourOf(i));
    QVERIFY(s.build());
    Form1& f = *s.form;
    const int reached = visibleSlots(f);
    QVERIFY2(reached > 1 && reached <= count && reached < files, qPrintable(QString::number(reached)));
    s.drop(1, 1); // already moved: skipped without an entry
    f.mnuDel1_Click();
    QVERIFY(s.messages().isEmpty());
    for (int i = 0; i < files; ++i) {
        QCOMPARE(QFile::exists(s.src(name(i))), i >= reached);
        QCOMPARE(QFile::exists(s.dest(10, name(i))), i < reached && i != 1);
        QVERIFY(!s.slot(i) || s.slot(i)->isHidden());
    }
    QCOMPARE(s.sorter.history().count(), std::min(10, reached)); // the drop and the rest
    QVERIFY(!s.session.isBusy());
}

void TestBoard::frameSkipsWhatWasSent()
{
    auto s = board(6);
    QVERIFY(s);
    Form1& f = *s->form;
    // A thumbnail that comes to lie under a resting pointer (after a reload or a send)
    // does not take the frame; the pointer moving over it does.
    const QPointF at(5, 5);
    QEnterEvent enter(at, at, s->slot(3)->mapToGlobal(at));
    QApplication::sendEvent(s->slot(3), &enter);
    QCOMPARE(framed(f), 0);
    QTest::mouseMove(s->slot(3), at.toPoint());
    QCOMPARE(framed(f), 3);
    key(f, Qt::Key_Home);
    s->drop(1, 2);
    key(f, Qt::Key_Right);
    QCOMPARE(framed(f), 2);
    key(f, Qt::Key_Left);
    QCOMPARE(framed(f), 0);
    key(f, Qt::Key_6); // sent from 0: the frame goes past the hidden 1
    QVERIFY(QFile::exists(s->dest(6, QStringLiteral("000042 IMG_0000.jpg"))));
    QCOMPARE(framed(f), 2);
    // A mouse drop of the framed one hands the frame on; the key sends what the frame shows.
    s->drop(2, 8);
    QCOMPARE(framed(f), 3);
    key(f, Qt::Key_8);
    QVERIFY(QFile::exists(s->dest(8, QStringLiteral("000044 IMG_0003.jpg"))));
    QCOMPARE(framed(f), 4);

    // The last one sent: the frame falls back to the nearest before it.
    key(f, Qt::Key_End);
    key(f, Qt::Key_6);
    QCOMPARE(framed(f), 4);

    // Nothing left to send: the keys do nothing.
    for (int i = 0; i < 3; ++i)
        key(f, Qt::Key_6);
    QCOMPARE(s->sorter.history().count(), 6);
    QCOMPARE(framed(f), -1);
    QVERIFY(s->messages().isEmpty());
}

void TestBoard::keysOnlyOnTheBoard()
{
    auto s = board(4);
    QVERIFY(s);
    Form1& f = *s->form;
    key(f, Qt::Key_1);
    key(f, Qt::Key_2); // a second send ends the first flash at once
    QCOMPARE(f.Label1[1]->backColor(), f.labelBackColor());
    key(f, Qt::Key_7);
    f.backFromToolbar(); // the board goes while label 7 flashes
    QVERIFY(!f.onBoard());
    QVERIFY(!f.Label1[7]);
    const auto before = s->files();
    for (const QKeyCombination k :
        { QKeyCombination(Qt::Key_2), QKeyCombination(Qt::Key_F5), QKeyCombination(Qt::ControlModifier, Qt::Key_Z),
            QKeyCombination(Qt::ControlModifier, Qt::Key_N), QKeyCombination(Qt::Key_Return) }) {
        QTest::keyClick(&f, k.key(), k.keyboardModifiers());
        if (QWidget* focus = QApplication::focusWidget())
            QTest::keyClick(focus, k.key(), k.keyboardModifiers());
    }
    QCOMPARE(s->files(), before);
    QCOMPARE(s->sorter.history().count(), 3);
    QVERIFY(!f.viewer());
    QVERIFY(!f.onBoard());
    // There the arrow keys choose a file, and panel 2 names it as a click does.
    QTest::keyClick(f.folderPage().files(), Qt::Key_Down);
    QCOMPARE(f.statusBar().panelText(2), QStringLiteral(" %1 ").arg(name(3)));
    QTest::qWait(400); // the flash ends on a label that is gone
    f.Command1_Click();
    for (int k = 0; k < 10; ++k)
        QCOMPARE(f.Label1[k]->backColor(), f.labelBackColor());
}

void TestBoard::realKeysReachTheBoard()
{
    auto s = board(25);
    QVERIFY(s);
    Form1& f = *s->form;
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.Picture1));

    // Through the window system, as a keyboard delivers them: to the focus widget,
    // past the shortcut map that knows the pop-up menu's keys.
    QWindow* window = f.windowHandle();
    QTest::keyClick(window, Qt::Key_Right);
    QCOMPARE(framed(f), 1);
    for (Qt::Key k : { Qt::Key_1, Qt::Key_2, Qt::Key_3 })
        QTest::keyClick(window, k);
    QVERIFY(QFile::exists(s->dest(1, QStringLiteral("000041 IMG_0001.jpg"))));
    QVERIFY(QFile::exists(s->dest(2, QStringLiteral("000042 IMG_0002.jpg"))));
    QVERIFY(QFile::exists(s->dest(3, QStringLiteral("000043 IMG_0003.jpg"))));

    // A click on the toolbar leaves the keyboard with the board.
    QWidget* undoButton = f.toolbar()->widgetForAction(f.toolbarUndoAction);
    QVERIFY(undoButton);
    QTest::mouseClick(undoButton, Qt::LeftButton);
    QVERIFY(QFile::exists(s->src(name(3))));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.Picture1));
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s->sorter.history().count(), 1); // one undo per key, not two
    QVERIFY(!QFile::exists(s->src(name(1))));

    QTest::keyClick(window, Qt::Key_F5);
    QCOMPARE(f.folder().count(), 24);
    QCOMPARE(framed(f), 0);
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.ExtendCount, int16_t(1));
    QCOMPARE(f.BoardEnd, int16_t(20));
    QTest::keyClick(window, Qt::Key_End);
    QCOMPARE(framed(f), 19);
}

void TestBoard::onePointViewer()
{
    auto s = board(8);
    QVERIFY(s);
    Form1& f = *s->form;
    f.Image1_MouseDown(6, Qt::RightButton, {}, 10, 10); // right press
    QVERIFY(s->viewer() && s->viewer()->isOnePoint());
    // No drag either: it would hold the pointer and eat the click that closes the viewer.
    QVERIFY(!f.Image1[6]->dragRequested());
    QCOMPARE(s->viewer()->fileName(), name(6));
    s->viewer()->close();
    // Enter opens it on the framed thumbnail; the keypad's Enter moves the open one on.
    key(f, Qt::Key_Right);
    key(f, Qt::Key_Return);
    ViewerWindow* v = s->viewer();
    QVERIFY(v);
    QCOMPARE(v->fileName(), name(1));
    key(f, Qt::Key_Right);
    key(f, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(s->viewer(), v);
    QCOMPARE(v->fileName(), name(2));
    // "Viewerを開く" starts at the first file not yet sent away.
    v->close();
    s->drop(0, 1);
    f.openViewerFromMenu();
    QVERIFY(s->viewer() && !s->viewer()->isOnePoint());
    QCOMPARE(s->viewer()->fileName(), name(1));
    QVERIFY(s->messages().isEmpty());
    QCOMPARE(s->files().size(), 8);
}

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
