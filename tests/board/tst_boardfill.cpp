#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "board/ThumbnailCache.h"
#include "platform/FolderControls.h"
#include "platform/StatusBar.h"
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <memory>

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

class TestBoardFill : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void slotsAppearInListOrder_data();
    void slotsAppearInListOrder();
    void busyFlagGuardsEveryCommandDuringAFill_data();
    void busyFlagGuardsEveryCommandDuringAFill();
    void fileDeletedAfterListingLeavesAPlaceholder();
    void fileDeletedWhileTheFillRuns();
    void reloadAfterADropShowsTheRightPictures();
    void changedFileShowsItsNewPicture();
    void nextRunFillsFromTheSharedCache();

private:
    void makeFolder(int count);
    void makeForm();
    int visibleSlots() const;

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_src;
    QByteArray m_savedCache;
    Module1 m_m;
    std::unique_ptr<Form1> m_form;
};

void TestBoardFill::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    // A shared thumbnail cache of this test's own.
    m_savedCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_tmp->filePath(QStringLiteral("cache"))));
    m_src = m_tmp->filePath(QStringLiteral("src"));
    QDir().mkpath(m_src);
    makeForm();
}

void TestBoardFill::makeForm()
{
    m_form.reset();
    m_m = Module1 {};
    m_m.AppPath = m_tmp->filePath(QStringLiteral("prog"));
    QDir().mkpath(m_m.AppPath);
    m_form = std::make_unique<Form1>(m_m);
    QVERIFY(m_form->startedUp());
    for (int k = 0; k <= 10; ++k) {
        m_m.DestPath[size_t(k)] = m_tmp->filePath(QStringLiteral("dest%1/").arg(k));
        QDir().mkpath(m_m.DestPath[size_t(k)]);
    }
    m_m.ThumbSize = 64;
    m_m.ThumbCount = 10;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    if (QDir(m_src).exists())
        m_form->Dir1->setPath(m_src);
}

void TestBoardFill::cleanup()
{
    m_form.reset();
    qputenv("XDG_CACHE_HOME", m_savedCache);
    m_tmp.reset();
}

void TestBoardFill::makeFolder(int count)
{
    for (int i = 0; i < count; ++i) {
        QImage img(QSize(320, 240), QImage::Format_RGB32);
        img.fill(colourOf(i));
        QVERIFY(img.save(QDir(m_src).filePath(name(i)), "JPEG", 95));
    }
    m_form->Dir1->setPath(m_src);
    m_form->File1->refresh();
    QCOMPARE(m_form->File1->entryCount(), count);
}

int TestBoardFill::visibleSlots() const
{
    int n = 0;
    for (ThumbSlot* s : m_form->Image1)
        n += s && !s->isHidden() ? 1 : 0;
    return n;
}

void TestBoardFill::slotsAppearInListOrder_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("build") << "build";
    QTest::newRow("reload") << "reload";
    QTest::newRow("load anew") << "anew";
}

void TestBoardFill::slotsAppearInListOrder()
{
    QFETCH(QString, command);
    makeFolder(16);
    Form1& f = *m_form;
    ShowOrder order;
    if (command == QLatin1String("build")) {
        qApp->installEventFilter(&order);
        f.Command1_Click();
    } else {
        f.Command1_Click();
        qApp->installEventFilter(&order);
        command == QLatin1String("reload") ? f.mnuRL_Click() : f.mnuDL_Click();
    }
    qApp->removeEventFilter(&order);
    const int expected = command == QLatin1String("anew") ? 16 : 10;
    QList<int> inOrder;
    for (int i = 0; i < expected; ++i)
        inOrder.append(i);
    QCOMPARE(order.shown, inOrder);
    // Each slot shows its own file, whichever worker made it.
    for (int i = 0; i < expected; ++i)
        QVERIFY2(near(slotColour(f.Image1[i]), colourOf(i)), qPrintable(QString::number(i)));
}

void TestBoardFill::busyFlagGuardsEveryCommandDuringAFill_data() { slotsAppearInListOrder_data(); }

void TestBoardFill::busyFlagGuardsEveryCommandDuringAFill()
{
    QFETCH(QString, command);
    makeFolder(14);
    Form1& f = *m_form;
    if (command != QLatin1String("build"))
        f.Command1_Click();
    const QVector<TargetLabel*> labels = f.Label1;
    const QString panel2 = f.StatusBar1->panelText(2);

    // The page fill lets pending events run between slots; these arrive then.
    int tried = 0;
    QStringList wrong;
    std::function<void()> tryEverything = [&] {
        if (f.Image1.size() < 3 || !f.slotAt(2) || !f.slotAt(2)->isVisible()) {
            QTimer::singleShot(0, tryEverything); // wait for the middle of the fill
            return;
        }
        ++tried;
        if (m_m.BoardBusy != 1)
            wrong << QStringLiteral("the flag is not set");
        if (f.Toolbar1->isEnabled())
            wrong << QStringLiteral("the toolbar is enabled");
        const int slotCount = int(f.Image1.size());
        const int16_t extend = f.ExtendCount;
        f.mnuRL_Click();
        f.mnuDL_Click();
        f.Command1_Click();
        f.Image1_MouseDown(1, 2, 0, 10, 10); // right press: the one-point viewer
        f.Picture1_MouseDown(2, 0, 100, 100);
        f.DragIndex = 1;
        f.Label1_DragDrop(3, 0, 0);
        f.mnuViewer_Click();
        f.mnuOpt2_Click();
        f.mnuOpt3_Click();
        f.mnuDel1_Click();
        f.OpenHelp();
        f.Toolbar1_ButtonClick(1);
        f.Toolbar1_ButtonClick(2);
        f.Toolbar1_ButtonClick(4);
        if (f.ExtendCount != extend || f.Image1.size() != slotCount)
            wrong << QStringLiteral("a refill ran");
        if (f.Label1 != labels && command != QLatin1String("build"))
            wrong << QStringLiteral("the board was built again");
        if (f.form4 || f.dialog1 || f.dialog2 || f.mnuReLoad->isVisible())
            wrong << QStringLiteral("a window opened");
        if (f.StatusBar1->panelText(2) != panel2)
            wrong << QStringLiteral("a press was taken");
        if (!QFile::exists(QDir(m_src).filePath(name(1))) || !QDir(m_m.DestPath[10]).isEmpty())
            wrong << QStringLiteral("a file moved");
        if (f.Picture1->isHidden() || !f.isVisible())
            wrong << QStringLiteral("the board was left");
    };
    // Anything that opened by mistake is closed again, so that the test ends.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    closer.start(50);
    QTimer::singleShot(0, tryEverything);

    if (command == QLatin1String("build"))
        f.Command1_Click();
    else if (command == QLatin1String("reload"))
        f.mnuRL_Click();
    else
        f.mnuDL_Click();

    QCOMPARE(tried, 1);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QVERIFY(f.Toolbar1->isEnabled());
    QCOMPARE(visibleSlots(), command == QLatin1String("anew") ? 14 : 10);
}

void TestBoardFill::fileDeletedAfterListingLeavesAPlaceholder()
{
    makeFolder(6);
    Form1& f = *m_form;
    f.Command1_Click();
    // Listed, then gone before the refill reads them: the list is not read again here.
    QVERIFY(QFile::remove(QDir(m_src).filePath(name(2))));
    QVERIFY(QFile::remove(QDir(m_src).filePath(name(4))));
    f.thumbnails().clearMemory();
    m_m.BoardBusy = 1;
    f.UnloadSlots();
    f.FillPage(m_m.ThumbCount, false);
    m_m.BoardBusy = 0;
    QCOMPARE(visibleSlots(), 6);
    for (int i = 0; i < 6; ++i) {
        ThumbSlot* s = f.Image1[i];
        QVERIFY(s->isVisible());
        QCOMPARE(s->hasPicture(), i != 2 && i != 4);
    }
}

void TestBoardFill::fileDeletedWhileTheFillRuns()
{
    // Files vanish while the workers read them: each slot gets its picture or its
    // placeholder, and the fill ends as usual.
    makeFolder(20);
    m_m.ThumbCount = 20;
    Form1& f = *m_form;
    std::function<void()> removeSome = [&] {
        if (m_m.BoardBusy != 1) {
            QTimer::singleShot(0, removeSome);
            return;
        }
        for (int i : { 5, 9, 13, 19 })
            QFile::remove(QDir(m_src).filePath(name(i)));
    };
    QTimer::singleShot(0, removeSome);
    f.Command1_Click();
    QCOMPARE(visibleSlots(), 20);
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    for (int i = 0; i < 20; ++i)
        if (f.Image1[i]->hasPicture())
            QVERIFY(near(slotColour(f.Image1[i]), colourOf(i)));
    f.mnuRL_Click();
    QCOMPARE(f.File1->entryCount(), 16);
    QCOMPARE(visibleSlots(), 16);
}

void TestBoardFill::reloadAfterADropShowsTheRightPictures()
{
    makeFolder(14);
    Form1& f = *m_form;
    f.Command1_Click();
    QCOMPARE(f.thumbnails().stats().decoded, 10);
    f.thumbnails().resetStats();

    f.DragIndex = 0;
    f.Label1_DragDrop(3, 0, 0);
    QVERIFY(!QFile::exists(QDir(m_src).filePath(name(0))));
    f.mnuRL_Click();
    // Nine thumbnails were seen before; the tenth was made behind the page or is made now.
    const Board::ThumbnailCache::Stats s = f.thumbnails().stats();
    QCOMPARE(s.memory + s.decoded, 10);
    QVERIFY2(s.decoded <= 1, qPrintable(QString::number(s.decoded)));
    for (int i = 0; i < 10; ++i)
        QVERIFY(near(slotColour(f.Image1[i]), colourOf(i + 1)));
}

void TestBoardFill::changedFileShowsItsNewPicture()
{
    makeFolder(5);
    Form1& f = *m_form;
    f.Command1_Click();
    QVERIFY(near(slotColour(f.Image1[2]), colourOf(2)));
    const QString path = QDir(m_src).filePath(name(2));
    QImage img(QSize(240, 320), QImage::Format_RGB32);
    img.fill(Qt::white);
    QVERIFY(img.save(path, "JPEG", 95));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    f.mnuRL_Click();
    QVERIFY(near(slotColour(f.Image1[2]), Qt::white));
    QCOMPARE(f.Image1[2]->sizeTwips(), QSizeF(720, 960)); // portrait now
    QVERIFY(near(slotColour(f.Image1[3]), colourOf(3)));
}

void TestBoardFill::nextRunFillsFromTheSharedCache()
{
    makeFolder(8);
    m_form->Command1_Click();
    QCOMPARE(m_form->thumbnails().stats().decoded, 8);
    makeForm(); // the program started again
    Form1& f = *m_form;
    f.Command1_Click();
    QCOMPARE(f.thumbnails().stats().shared, 8);
    QCOMPARE(f.thumbnails().stats().decoded, 0);
    QCOMPARE(visibleSlots(), 8);
    for (int i = 0; i < 8; ++i) {
        QVERIFY(near(slotColour(f.Image1[i]), colourOf(i)));
        QCOMPARE(f.Image1[i]->sizeTwips(), QSizeF(960, 720));
    }
}

QTEST_MAIN(TestBoardFill)
#include "tst_boardfill.moc"
