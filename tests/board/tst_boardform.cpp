#include "app/Form1.h"
#include "board/BoardGeometry.h"
#include "board/BoardWidgets.h"
#include "imaging/PNGLoader.h"
#include "platform/FolderControls.h"
#include "platform/StatusBar.h"
#include "viewer/Form4.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

void writePicture(const QString& path, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    QVERIFY(img.save(path, "JPEG"));
}

QString name(int i) { return QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')); }

}

class TestBoardForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buildLaysOutTheBoard();
    void buildPlacesAndFitsThumbnails();
    void buildOnAnEmptyFolder();
    void buildIsRefusedOnTopOfABoard();
    void fullBoardEndsThePage();
    void unreadableFileGetsAnEmptyFrame();
    void pngByItsExactExtension();
    void reloadClosesTheGaps();
    void loadAnewGrowsByTen();
    void thumbCountChangedOnTheBoardLeavesNoStaleSlot();
    void returnAndBuildAgain();
    void busyBoardIgnoresInput();
    void press_data();
    void press();
    void backgroundPress();
    void dragOverColours();
    void repositioningDrops();

private:
    void makeFolder(int count, QSize size = QSize(40, 30));
    int visibleSlots() const;

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_src;
    Module1 m_m;
    std::unique_ptr<Form1> m_form;
};

void TestBoardForm::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_m = Module1 {};
    m_m.AppPath = m_tmp->filePath(QStringLiteral("prog"));
    QDir().mkpath(m_m.AppPath);
    // The window's PNG loader looks for the decoder library in the program's folder.
    const QDir bin(QStringLiteral(LUMO_BIN_DIR));
    for (const QString& lib : bin.entryList({ QStringLiteral("libmpng.so*"), QStringLiteral("mpng.dll") }))
        QFile::copy(bin.filePath(lib), QDir(m_m.AppPath).filePath(lib));
    m_src = m_tmp->filePath(QStringLiteral("src"));
    QDir().mkpath(m_src);
    m_form = std::make_unique<Form1>(m_m);
    QVERIFY(m_form->startedUp());
    for (int k = 0; k <= 10; ++k)
        m_m.DestPath[size_t(k)] = m_tmp->filePath(QStringLiteral("dest%1/").arg(k));
    m_m.ThumbSize = 64;
    m_m.ThumbCount = 10;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestBoardForm::cleanup()
{
    m_form.reset();
    m_tmp.reset();
}

void TestBoardForm::makeFolder(int count, QSize size)
{
    for (int i = 1; i <= count; ++i)
        writePicture(QDir(m_src).filePath(name(i)), size);
    m_form->Dir1->setPath(m_src);
    QCOMPARE(m_form->File1->entryCount(), count);
}

int TestBoardForm::visibleSlots() const
{
    int n = 0;
    for (ThumbSlot* s : m_form->Image1)
        n += s && !s->isHidden() ? 1 : 0;
    return n;
}

void TestBoardForm::buildLaysOutTheBoard()
{
    makeFolder(3);
    Form1& f = *m_form;
    f.Command1_Click();

    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QVERIFY(f.Toolbar1->isVisible());
    QVERIFY(f.Toolbar1->isEnabled());
    QVERIFY(f.Picture1->isVisible());
    QVERIFY(f.Command1->isHidden());
    QVERIFY(f.File1->isHidden());

    // The window spreads over the work area and the board fills it below the toolbar strip.
    const QRect wa = workArea();
    QCOMPARE(f.frameGeometry().topLeft(), QPoint(0, 0));
    QCOMPARE(f.frameGeometry().size(), QSize(wa.right() + 1, wa.bottom() + 1));
    const TwipsPerPixel tpp = f.tpp();
    const QRectF board = Board::boardRect(f.innerWidthTwips(), f.innerHeightTwips());
    QCOMPARE(f.Picture1->geometry(),
        QRect(twipsToPixels(board.x(), tpp.x), twipsToPixels(board.y(), tpp.y), twipsToPixels(board.width(), tpp.x),
            twipsToPixels(board.height(), tpp.y)));

    const double w = f.Picture1->width() * tpp.x;
    const double h = f.Picture1->height() * tpp.y;
    for (int k = 0; k < 10; ++k) {
        TargetLabel* label = f.Label1[k];
        QVERIFY(label);
        QCOMPARE(label->parentWidget(), f.Picture1);
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("dest%1").arg(k));
        QCOMPARE(label->toolTip(), QStringLiteral("サムネイルをここへドラッグドロップする事でファイルを移動します。"));
        const QRectF r = Board::targetLabelRect(k, w, h);
        QCOMPARE(label->x(), twipsToPixels(r.x(), tpp.x));
        QCOMPARE(label->y(), twipsToPixels(r.y(), tpp.y));
        QCOMPARE(label->width(), twipsToPixels(r.width(), tpp.x));
    }
    QCOMPARE(f.Label2->parentWidget(), f.Picture1);
    const QRectF copyLabel = Board::copyModeLabelRect(f.innerWidthTwips(), f.innerHeightTwips());
    QCOMPARE(f.Label2->pos(), QPoint(twipsToPixels(copyLabel.x(), tpp.x), twipsToPixels(copyLabel.y(), tpp.y)));
    QVERIFY(f.Label2->isHidden()); // copy mode is off

    // Three files, ThumbCount 10: slot 3 is created and stays hidden, the loop stops there.
    QCOMPARE(f.Image1.size(), 4);
    QCOMPARE(visibleSlots(), 3);
    QVERIFY(f.Image1[3]->isHidden());
    for (ThumbSlot* s : f.Image1)
        QCOMPARE(s->toolTip(), QStringLiteral("右クリックでワンポイントViewerを起動します。"));
    QCOMPARE(f.LoadPath, QDir(m_src).filePath(name(3)));
    QCOMPARE(f.LoadSlot, int16_t(2));
}

void TestBoardForm::buildPlacesAndFitsThumbnails()
{
    writePicture(QDir(m_src).filePath("a_wide.jpg"), QSize(1600, 1200));
    writePicture(QDir(m_src).filePath("b_tall.jpg"), QSize(1200, 1600));
    writePicture(QDir(m_src).filePath("c_small.jpg"), QSize(40, 30));
    writePicture(QDir(m_src).filePath("d_box.jpg"), QSize(64, 64));
    m_form->Dir1->setPath(m_src);
    Form1& f = *m_form;
    f.Command1_Click();
    QCOMPARE(f.ThumbTwips, Board::thumbTwips(f.tpp().x, 64));

    const double pitch = f.Picture1->width() * f.tpp().x
        / Board::boardGrid(f.Picture1->width() * f.tpp().x, f.Picture1->height() * f.tpp().y, f.tpp(), 64).columns;
    struct Expect {
        QSizeF size;
        bool stretch;
        QPointF at;
    };
    const Expect expected[] = {
        { { 960, 720 }, true, { 0, 120 } },
        { { 720, 960 }, true, { pitch + 120, 0 } },
        { { 600, 450 }, false, { 2 * pitch + 180, 255 } },
        { { 960, 960 }, false, { 3 * pitch, 0 } },
    };
    for (int i = 0; i < 4; ++i) {
        ThumbSlot* s = f.Image1[i];
        QCOMPARE(s->sizeTwips(), expected[i].size);
        QCOMPARE(s->stretch(), expected[i].stretch);
        QCOMPARE(s->posTwips(), expected[i].at);
        QVERIFY(s->isVisible());
        QVERIFY(s->hasPicture());
        // Only a picture of the display size is kept.
        QVERIFY(s->pixmap().width() <= 64 && s->pixmap().height() <= 64);
        QCOMPARE(s->size(),
            QSize(twipsToPixels(expected[i].size.width(), f.tpp().x),
                twipsToPixels(expected[i].size.height(), f.tpp().y)));
    }
}

void TestBoardForm::buildOnAnEmptyFolder()
{
    makeFolder(1);
    Form1& f = *m_form;
    f.Command1_Click();
    QVERIFY(f.Image1[0]->isVisible());
    f.Toolbar1_ButtonClick(1);

    const QString empty = m_tmp->filePath("empty");
    QDir().mkpath(empty);
    f.Dir1->setPath(empty);
    f.Command1_Click();
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QVERIFY(f.Toolbar1->isEnabled());
    QCOMPARE(visibleSlots(), 0); // slot 0 does not show the last board's picture
    QCOMPARE(f.Image1.size(), 1);
}

void TestBoardForm::buildIsRefusedOnTopOfABoard()
{
    makeFolder(3);
    Form1& f = *m_form;
    f.Command1_Click();
    const QVector<TargetLabel*> labels = f.Label1;
    const QVector<ThumbSlot*> slotsBefore = f.Image1;
    f.Command1->setEnabled(true); // the about box and the viewer enable it on close
    f.Command1_Click();
    QCOMPARE(f.Label1, labels);
    QCOMPARE(f.Image1, slotsBefore);
}

void TestBoardForm::fullBoardEndsThePage()
{
    makeFolder(4);
    m_m.ThumbSize = 512;
    Form1& f = *m_form;
    f.Command1_Click();
    const Board::Grid g
        = Board::boardGrid(f.Picture1->width() * f.tpp().x, f.Picture1->height() * f.tpp().y, f.tpp(), 512);
    QCOMPARE(visibleSlots(), std::min(4, g.columns * g.rows));
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QVERIFY(f.Toolbar1->isEnabled());
}

void TestBoardForm::unreadableFileGetsAnEmptyFrame()
{
    makeFolder(1);
    Form1& f = *m_form;
    f.Command1_Click();
    QVERIFY(f.Image1[0]->hasPicture());
    f.Toolbar1_ButtonClick(1);

    const QString other = m_tmp->filePath("other");
    QDir().mkpath(other);
    QFile broken(QDir(other).filePath("a_broken.jpg"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    QFile misnamed(QDir(other).filePath("b_photo.Png"));
    QVERIFY(misnamed.open(QIODevice::WriteOnly));
    misnamed.write("\x89PNG");
    misnamed.close();
    writePicture(QDir(other).filePath("c_fine.jpg"), QSize(40, 30));
    f.Dir1->setPath(other);
    f.Command1_Click();

    for (int i : { 0, 1 }) {
        ThumbSlot* s = f.Image1[i];
        QVERIFY(s->isVisible());
        QVERIFY(!s->hasPicture()); // never the picture of an earlier file
        QCOMPARE(s->sizeTwips(), QSizeF(960, 960));
    }
    QVERIFY(f.Image1[2]->hasPicture());
    QCOMPARE(m_m.BoardBusy, int16_t(0));
}

void TestBoardForm::pngByItsExactExtension()
{
    QImage img(200, 100, QImage::Format_ARGB32);
    img.fill(Qt::blue);
    for (const char* file : { "a.png", "b.PNG", "c.Png" })
        QVERIFY(img.save(QDir(m_src).filePath(QString::fromLatin1(file)), "PNG"));
    m_form->Dir1->setPath(m_src);
    Form1& f = *m_form;
    f.Command1_Click();
    QVERIFY2(f.pngLoader().isAvailable(), "the mpng library was not found");
    for (int i : { 0, 1 }) {
        QVERIFY(f.Image1[i]->hasPicture());
        QCOMPARE(f.Image1[i]->sizeTwips(), QSizeF(960, 480));
    }
    // ".Png" goes to the platform loader, which takes no PNG.
    QVERIFY(!f.Image1[2]->hasPicture());
    QVERIFY(f.Image1[2]->isVisible());
}

void TestBoardForm::reloadClosesTheGaps()
{
    makeFolder(12);
    m_m.ThumbCount = 5;
    Form1& f = *m_form;
    f.Command1_Click();
    QCOMPARE(visibleSlots(), 5);
    f.Image1[1]->hide(); // as a drop leaves it
    QVERIFY(QFile::remove(QDir(m_src).filePath(name(2))));
    QVERIFY(QFile::remove(QDir(m_src).filePath(name(3))));
    f.ExtendCount = 2;
    f.BoardEnd = 25;

    f.mnuRL_Click();
    QCOMPARE(f.ExtendCount, int16_t(0));
    QCOMPARE(f.BoardEnd, int16_t(5));
    QCOMPARE(f.File1->entryCount(), 10);
    QCOMPARE(visibleSlots(), 5);
    QCOMPARE(f.Image1.size(), 5);
    QCOMPARE(f.StatusBar1->panelText(3), QStringLiteral(" 10 File "));
    QCOMPARE(f.File1->entry(1), name(4));
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QVERIFY(f.Toolbar1->isEnabled());
}

void TestBoardForm::loadAnewGrowsByTen()
{
    makeFolder(27);
    m_m.ThumbCount = 5;
    Form1& f = *m_form;
    f.Command1_Click();
    const Board::Grid g
        = Board::boardGrid(f.Picture1->width() * f.tpp().x, f.Picture1->height() * f.tpp().y, f.tpp(), 64);
    QVERIFY2(g.columns * g.rows >= 27, "the offscreen board is too small for this test");

    for (int expected : { 15, 25, 27, 27 }) {
        f.mnuDL_Click();
        QCOMPARE(f.BoardEnd, int16_t(expected));
        QCOMPARE(visibleSlots(), expected);
        QCOMPARE(f.StatusBar1->panelText(3), QStringLiteral(" 27 File "));
        QCOMPARE(m_m.BoardBusy, int16_t(0));
    }
    QCOMPARE(f.ExtendCount, int16_t(4));
    f.mnuRL_Click();
    QCOMPARE(visibleSlots(), 5);
    f.mnuDL_Click();
    QCOMPARE(visibleSlots(), 15);
}

void TestBoardForm::thumbCountChangedOnTheBoardLeavesNoStaleSlot()
{
    makeFolder(30);
    m_m.ThumbCount = 30;
    Form1& f = *m_form;
    f.Command1_Click();
    QCOMPARE(visibleSlots(), 30);
    m_m.ThumbCount = 5; // options dialog while the board is shown
    f.mnuDL_Click(); // BoardEnd 15: the slots 15..29 of the first page must go too
    QCOMPARE(f.BoardEnd, int16_t(15));
    QCOMPARE(f.Image1.size(), 15);
    QCOMPARE(visibleSlots(), 15);
    f.mnuRL_Click();
    QCOMPARE(f.Image1.size(), 5);
    QCOMPARE(visibleSlots(), 5);
}

void TestBoardForm::returnAndBuildAgain()
{
    makeFolder(12);
    Form1& f = *m_form;
    f.Command1_Click();
    f.mnuDL_Click();
    QCOMPARE(visibleSlots(), 12);

    f.Toolbar1_ButtonClick(1);
    QVERIFY(f.Picture1->isHidden());
    QVERIFY(f.Command1->isVisible());
    QCOMPARE(f.Image1.size(), 1);
    for (int k = 1; k < 10; ++k)
        QVERIFY(!f.Label1[k]);
    QCOMPARE(f.Label2->parentWidget(), f.client());

    m_m.ThumbCount = 5;
    f.Command1_Click();
    QCOMPARE(visibleSlots(), 5);
    QCOMPARE(f.Image1.size(), 5);
    for (int k = 0; k < 10; ++k)
        QVERIFY(f.Label1[k] && f.Label1[k]->isVisible());
}

void TestBoardForm::busyBoardIgnoresInput()
{
    makeFolder(12);
    Form1& f = *m_form;
    f.Command1_Click();
    const QVector<ThumbSlot*> slotsBefore = f.Image1;
    const QString panel2 = f.StatusBar1->panelText(2);
    f.DragIndex = 7;

    m_m.BoardBusy = 1;
    f.mnuRL_Click();
    f.mnuDL_Click();
    f.Image1_MouseDown(2, 1, 0, 10, 10);
    f.Picture1_MouseDown(2, 0, 100, 100);
    QCOMPARE(f.Image1, slotsBefore);
    QCOMPARE(f.ExtendCount, int16_t(0));
    QCOMPARE(f.StatusBar1->panelText(2), panel2);
    QCOMPARE(f.DragIndex, 7);
    QVERIFY(!f.Image1[2]->dragRequested());
    QVERIFY(!f.mnuReLoad->isVisible());
    QCOMPARE(m_m.BoardBusy, int16_t(1)); // nobody else's flag to clear
    m_m.BoardBusy = 0;
}

void TestBoardForm::press_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("viewer");
    QTest::newRow("left") << 1 << false;
    QTest::newRow("middle") << 4 << false;
    QTest::newRow("right opens the one-point viewer") << 2 << true;
}

void TestBoardForm::press()
{
    QFETCH(int, button);
    QFETCH(bool, viewer);
    makeFolder(8);
    Form1& f = *m_form;
    f.Command1_Click();
    m_m.ViewerMode = 0;
    m_m.ViewerIndex = 0;
    m_m.ViewerFile.clear();

    f.Image1_MouseDown(6, button, 0, 123.5f, 45);
    QVERIFY(f.Image1[6]->dragRequested());
    QCOMPARE(f.StatusBar1->panelText(2), QStringLiteral(" IMG_0007.JPG "));
    QCOMPARE(f.DragIndex, 6);
    QCOMPARE(f.DragOffsetX, 123.5f);
    QCOMPARE(f.DragOffsetY, 45.0f);
    QCOMPARE(m_m.ViewerMode, int16_t(viewer ? 1 : 0));
    QCOMPARE(m_m.ViewerIndex, viewer ? 6 : 0);
    QCOMPARE(m_m.ViewerFile, viewer ? QStringLiteral("IMG_0007.JPG") : QString());
    auto* form4 = qobject_cast<Form4*>(f.form4.data());
    QCOMPARE(form4 != nullptr, viewer);
    if (form4) {
        QVERIFY(form4->isVisible());
        QVERIFY(form4->Toolbar1->isHidden());
        QCOMPARE(form4->Picture1->toolTip(), QStringLiteral("画像をクリックするとViewerを終了します。"));
        QVERIFY(form4->windowTitle().contains(QStringLiteral("ワンポイントViewer")));
        form4->close();
    }
}

void TestBoardForm::backgroundPress()
{
    makeFolder(2);
    Form1& f = *m_form;
    f.Command1_Click();
    f.Picture1_MouseDown(1, 0, 300, 300);
    QVERIFY(!f.mnuReLoad->isVisible());
    f.Picture1_MouseDown(2, 0, 300, 300);
    QVERIFY(f.mnuReLoad->isVisible());
    f.mnuReLoad->hide();
}

void TestBoardForm::dragOverColours()
{
    makeFolder(2);
    Form1& f = *m_form;
    f.Command1_Click();
    const QColor normal = f.labelBackColor();
    QCOMPARE(f.Label1[4]->backColor(), normal);
    f.Label1_DragOver(4, 0);
    QCOMPARE(f.Label1[4]->backColor(), QColor(0, 0, 255));
    f.Label1_DragOver(4, 2);
    QCOMPARE(f.Label1[4]->backColor(), QColor(0, 0, 255));
    m_m.BoardBusy = 1; // the highlight does not look at the flag
    f.Label1_DragOver(4, 1);
    QCOMPARE(f.Label1[4]->backColor(), normal);
    f.Label1_DragOver(5, 0);
    QCOMPARE(f.Label1[5]->backColor(), QColor(0, 0, 255));
    m_m.BoardBusy = 0;
}

void TestBoardForm::repositioningDrops()
{
    makeFolder(4);
    Form1& f = *m_form;
    f.Command1_Click();
    f.Image1_MouseDown(1, 1, 0, 100, 50);
    ThumbSlot* dragged = f.Image1[1];

    f.Picture1_DragDrop(3000, 2000);
    QCOMPARE(dragged->posTwips(), QPointF(2900, 1950));

    // On itself: it moves by the distance the mouse travelled.
    f.Image1_DragDrop(1, 160, 80);
    QCOMPARE(dragged->posTwips(), QPointF(2960, 1980));

    const QPointF target = f.Image1[3]->posTwips();
    f.Image1_DragDrop(3, 10, 20);
    QCOMPARE(dragged->posTwips(), QPointF(target.x() - 90, target.y() - 30));

    m_m.BoardBusy = 1; // not held back by the flag
    const QPointF label2(f.Label2->x() * f.tpp().x, f.Label2->y() * f.tpp().y);
    f.Label2_DragDrop(300, 150);
    QCOMPARE(dragged->posTwips(), QPointF(label2.x() + 200, label2.y() + 100));
    QCOMPARE(dragged->size(), QSize(40, 30)); // moved, not resized
    m_m.BoardBusy = 0;
}

QTEST_MAIN(TestBoardForm)
#include "tst_boardform.moc"
