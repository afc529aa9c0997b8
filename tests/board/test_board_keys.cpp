#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "platform/FolderControls.h"
#include "platform/StatusBar.h"
#include "viewer/Form4.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <memory>

namespace {

QString name(int i) { return QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')); }

const QColor kBlue(0, 0, 255);

// Answers every message box with OK and keeps its text.
class MessageCatcher : public QObject {
public:
    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts << box->text();
                box->accept();
            }
        });
        m_timer.start(10);
    }
    QStringList texts() const { return m_texts; }

private:
    QTimer m_timer;
    QStringList m_texts;
};

}

class TestBoardKeys : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void digitSendsTheCurrentThumbnail_data();
    void digitSendsTheCurrentThumbnail();
    void keysAndDropsShareOneHistory();
    void failedSendKeepsTheFrame();
    void hiddenThumbnailsAreSkipped();
    void mouseDropOfTheFramedThumbnailHandsTheFrameOn();
    void frameFollowsTheMouse();
    void arrowsMoveByListAndRow();
    void keysIgnoredWhileBusy();
    void keysOnlyOnTheBoard();
    void undoKey();
    void reloadAndLoadAnewKeys();
    void enterOpensTheOnePointViewer();
    void popupMenuShowsTheKeys();
    void realKeysReachTheBoard();
    void flashEndsAndMovesOn();

private:
    QString src(int i) const { return QDir(m_src).filePath(name(i)); }
    QString dest(int k, const QString& file) const { return QDir(m_m.DestPath[size_t(k)]).filePath(file); }
    void build(int files);
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(m_form->Picture1, k, mods); }
    // The one framed thumbnail on show, -1 when none is; -2 for two frames.
    int framed() const;
    // Columns of the page: slots of equal pictures share the top of their row.
    int columns() const;

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_src;
    Module1 m_m;
    std::unique_ptr<Form1> m_form;
};

void TestBoardKeys::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_m = Module1 {};
    m_m.AppPath = m_tmp->filePath(QStringLiteral("prog"));
    QDir().mkpath(m_m.AppPath);
    m_src = m_tmp->filePath(QStringLiteral("src"));
    QDir().mkpath(m_src);
    m_form = std::make_unique<Form1>(m_m);
    for (int k = 0; k <= 10; ++k) {
        m_m.DestPath[size_t(k)] = m_tmp->filePath(QStringLiteral("dest%1/").arg(k));
        QDir().mkpath(m_m.DestPath[size_t(k)]);
    }
    m_m.ThumbSize = 64;
    m_m.ThumbCount = 10;
    m_m.NameRule = 0;
    m_m.Serial = { 41, 0, 0 };
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestBoardKeys::cleanup()
{
    if (m_form && m_form->form4)
        m_form->form4->close();
    m_form.reset();
    m_tmp.reset();
}

void TestBoardKeys::build(int files)
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    for (int i = 1; i <= files; ++i)
        QVERIFY(img.save(src(i), "JPEG"));
    m_form->Dir1->setPath(m_src);
    m_form->Command1_Click();
    QVERIFY(m_form->onBoard());
}

int TestBoardKeys::framed() const
{
    int found = -1;
    for (ThumbSlot* s : m_form->Image1) {
        if (s && s->isCurrent() && !s->isHidden()) {
            if (found >= 0)
                return -2;
            found = s->index();
        }
    }
    return found;
}

int TestBoardKeys::columns() const
{
    int n = 0;
    for (ThumbSlot* s : m_form->Image1)
        n += s && !s->isHidden() && s->posTwips().y() == m_form->Image1[0]->posTwips().y() ? 1 : 0;
    return n;
}

void TestBoardKeys::digitSendsTheCurrentThumbnail_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("newName");

    QTest::newRow("3, serial first") << int(Qt::Key_3) << int(Qt::NoModifier) << 3 << 0 << "000041 IMG_0001.JPG";
    QTest::newRow("0, folder's name") << int(Qt::Key_0) << int(Qt::NoModifier) << 0 << 1 << "dest0000007.JPG";
    QTest::newRow("keypad 7, head name") << int(Qt::Key_7) << int(Qt::KeypadModifier) << 7 << 2 << "trip000123.JPG";
    QTest::newRow("keypad 9") << int(Qt::Key_9) << int(Qt::KeypadModifier) << 9 << 0 << "000041 IMG_0001.JPG";
}

void TestBoardKeys::digitSendsTheCurrentThumbnail()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, target);
    QFETCH(int, rule);
    QFETCH(QString, newName);
    m_m.NameRule = int16_t(rule);
    m_m.Serial = { 41, 7, 123 };
    m_m.HeadName[size_t(target)] = QStringLiteral("trip");
    build(3);
    Form1& f = *m_form;
    QCOMPARE(f.CurrentThumb, 0);
    QCOMPARE(framed(), 0);
    QVERIFY(!f.mnuUnd->isEnabled());

    key(Qt::Key(qtKey), Qt::KeyboardModifiers(modifiers));

    QVERIFY(QFile::exists(dest(target, newName)));
    QVERIFY(!QFile::exists(src(1)));
    std::array<int32_t, 3> serials { 41, 7, 123 };
    ++serials[size_t(rule)]; // only the rule's own counter moves
    QCOMPARE(m_m.Serial, serials);
    const UndoEntry& entry = m_m.Undo.newest();
    QCOMPARE(entry.From, src(1));
    QCOMPARE(entry.To, m_m.DestPath[size_t(target)] + newName);
    QCOMPARE(entry.Kind, int16_t(rule));
    QCOMPARE(m_m.Undo.count(), 1);
    QVERIFY(f.mnuUnd->isEnabled());
    QVERIFY(f.ToolbarButtons[2]->isEnabled());
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QVERIFY(f.Image1[0]->isHidden());
    QCOMPARE(f.File1->entry(0), name(1)); // the list keeps it until a reload, as after a drop

    // The frame went on; the target flashed and comes back to its colour.
    QCOMPARE(f.CurrentThumb, 1);
    QCOMPARE(framed(), 1);
    QCOMPARE(f.Label1[target]->backColor(), kBlue);
    QTRY_COMPARE(f.Label1[target]->backColor(), f.labelBackColor());
}

void TestBoardKeys::keysAndDropsShareOneHistory()
{
    build(4);
    Form1& f = *m_form;
    key(Qt::Key_3);
    f.Image1_MouseDown(1, 1, 0, 10, 10); // the mouse takes the next one
    f.Label1_DragDrop(3, 0, 0);
    QCOMPARE(f.CurrentThumb, 2);
    key(Qt::Key_5);

    QVERIFY(QFile::exists(dest(3, QStringLiteral("000041 IMG_0001.JPG"))));
    QVERIFY(QFile::exists(dest(3, QStringLiteral("000042 IMG_0002.JPG"))));
    QVERIFY(QFile::exists(dest(5, QStringLiteral("000043 IMG_0003.JPG"))));
    QCOMPARE(m_m.Serial[0], 44);
    QCOMPARE(m_m.Undo.count(), 3);
    QCOMPARE(m_m.Undo.at(0).From, src(3));
    QCOMPARE(m_m.Undo.at(1).From, src(2));
    QCOMPARE(m_m.Undo.at(2).From, src(1));
    QCOMPARE(f.CurrentThumb, 3);

    // Newest first, one per key.
    for (int i = 3; i >= 1; --i) {
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(src(i)));
        QCOMPARE(m_m.Undo.count(), i - 1);
    }
    QCOMPARE(m_m.Serial[0], 41);
    QVERIFY(!f.mnuUnd->isEnabled());
}

void TestBoardKeys::failedSendKeepsTheFrame()
{
    build(2);
    Form1& f = *m_form;
    // A file of the new name is already there: it must stay, and so must the source.
    QFile existing(dest(4, QStringLiteral("000041 IMG_0001.JPG")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    MessageCatcher catcher;
    key(Qt::Key_4);
    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY(catcher.texts().constFirst().contains(name(1)));
    QVERIFY(QFile::exists(src(1)));
    QCOMPARE(m_m.Serial[0], 41);
    QCOMPARE(m_m.Undo.count(), 0);
    QVERIFY(f.Image1[0]->isVisible());
    QCOMPARE(framed(), 0);
    QCOMPARE(f.Label1[4]->backColor(), f.labelBackColor()); // nothing went there
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QFile kept(existing.fileName());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me"));
}

void TestBoardKeys::hiddenThumbnailsAreSkipped()
{
    build(5);
    Form1& f = *m_form;
    f.Image1_MouseDown(1, 1, 0, 10, 10);
    f.Label1_DragDrop(2, 0, 0);
    QVERIFY(f.Image1[1]->isHidden());
    QCOMPARE(framed(), 0);

    key(Qt::Key_Right);
    QCOMPARE(framed(), 2);
    key(Qt::Key_Left);
    QCOMPARE(framed(), 0);

    // Sent from 0: the frame goes past the hidden 1.
    key(Qt::Key_6);
    QVERIFY(QFile::exists(dest(6, QStringLiteral("000042 IMG_0001.JPG"))));
    QCOMPARE(framed(), 2);
    key(Qt::Key_Home);
    QCOMPARE(framed(), 2);

    // The last one sent: the frame falls back to the nearest before it.
    key(Qt::Key_End);
    QCOMPARE(framed(), 4);
    key(Qt::Key_6);
    QVERIFY(QFile::exists(dest(6, QStringLiteral("000043 IMG_0005.JPG"))));
    QCOMPARE(framed(), 3);
    key(Qt::Key_Right);
    QCOMPARE(framed(), 3);

    // Nothing left to send: the keys do nothing.
    key(Qt::Key_6);
    key(Qt::Key_6);
    QCOMPARE(m_m.Serial[0], 46);
    key(Qt::Key_6);
    QCOMPARE(m_m.Serial[0], 46);
    QCOMPARE(m_m.Undo.count(), 5);
    QCOMPARE(framed(), -1);
}

void TestBoardKeys::mouseDropOfTheFramedThumbnailHandsTheFrameOn()
{
    build(4);
    Form1& f = *m_form;
    key(Qt::Key_Right);
    QCOMPARE(framed(), 1);
    f.Image1_MouseDown(1, 1, 0, 10, 10);
    f.Label1_DragDrop(8, 0, 0);
    QCOMPARE(framed(), 2);
    // The key goes to the picture the frame shows.
    key(Qt::Key_8);
    QVERIFY(QFile::exists(dest(8, QStringLiteral("000042 IMG_0003.JPG"))));
    QCOMPARE(framed(), 3);
}

void TestBoardKeys::frameFollowsTheMouse()
{
    build(6);
    Form1& f = *m_form;
    QCOMPARE(framed(), 0);
    QTest::mouseMove(f.Image1[4]);
    QTRY_COMPARE(framed(), 4);
    // Moving off the thumbnails keeps the one last entered.
    QTest::mouseMove(f.Picture1, QPoint(f.Picture1->width() / 2, f.Picture1->height() / 2));
    QCOMPARE(framed(), 4);
    key(Qt::Key_Left);
    QCOMPARE(framed(), 3);
    QTest::mouseMove(f.Image1[5]);
    QTRY_COMPARE(framed(), 5);

    // A hidden thumbnail under the mouse takes no frame; neither does one during a fill.
    f.Image1[2]->hide();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(f.Image1[2], &enter);
    QCOMPARE(framed(), 5);
    m_m.BoardBusy = 1;
    QApplication::sendEvent(f.Image1[1], &enter);
    QCOMPARE(framed(), 5);
    m_m.BoardBusy = 0;
    QApplication::sendEvent(f.Image1[1], &enter);
    QCOMPARE(framed(), 1);
}

void TestBoardKeys::arrowsMoveByListAndRow()
{
    m_m.ThumbCount = 30;
    m_m.ThumbSize = 128;
    build(15);
    Form1& f = *m_form;
    const int c = columns();
    QVERIFY2(c >= 3 && 2 * c < 15, "the offscreen board needs three rows of this page");
    const int last = 14;

    key(Qt::Key_Down);
    QCOMPARE(framed(), c);
    key(Qt::Key_Right);
    QCOMPARE(framed(), c + 1);
    key(Qt::Key_Up);
    QCOMPARE(framed(), 1);
    key(Qt::Key_Left);
    key(Qt::Key_Left); // stays on the first
    QCOMPARE(framed(), 0);
    key(Qt::Key_End);
    QCOMPARE(framed(), last);
    key(Qt::Key_Down); // no row below
    QCOMPARE(framed(), last);
    key(Qt::Key_Home);
    QCOMPARE(framed(), 0);
    key(Qt::Key_Right, Qt::KeypadModifier); // the keypad's arrows with Num Lock off
    QCOMPARE(framed(), 1);

    // Down over a row whose pictures were all sent.
    for (int i = c; i < 2 * c; ++i) {
        f.Image1_MouseDown(i, 1, 0, 10, 10);
        f.Label1_DragDrop(1, 0, 0);
    }
    key(Qt::Key_Home);
    key(Qt::Key_Down);
    QCOMPARE(framed(), 2 * c);
    key(Qt::Key_Up);
    QCOMPARE(framed(), 0);
}

void TestBoardKeys::keysIgnoredWhileBusy()
{
    build(12);
    Form1& f = *m_form;
    key(Qt::Key_1);
    f.Image1_MouseDown(5, 1, 0, 10, 10);
    f.Label1_DragDrop(2, 0, 0);
    QCOMPARE(m_m.Undo.count(), 2);
    QCOMPARE(framed(), 1);
    const QVector<ThumbSlot*> slotsBefore = f.Image1;
    const QString panel2 = f.StatusBar1->panelText(2);

    m_m.BoardBusy = 1;
    for (const QKeyCombination k : { QKeyCombination(Qt::Key_3), QKeyCombination(Qt::KeypadModifier, Qt::Key_4),
             QKeyCombination(Qt::Key_Right), QKeyCombination(Qt::Key_Down), QKeyCombination(Qt::Key_End),
             QKeyCombination(Qt::Key_Return), QKeyCombination(Qt::Key_F5),
             QKeyCombination(Qt::ControlModifier, Qt::Key_N), QKeyCombination(Qt::ControlModifier, Qt::Key_Z) })
        key(k.key(), k.keyboardModifiers());

    QCOMPARE(m_m.Undo.count(), 2);
    QCOMPARE(m_m.Serial[0], 43);
    QVERIFY(QFile::exists(src(2)));
    QVERIFY(QFile::exists(dest(2, QStringLiteral("000042 IMG_0006.JPG"))));
    QCOMPARE(framed(), 1);
    QCOMPARE(f.Image1, slotsBefore);
    QCOMPARE(f.ExtendCount, int16_t(0));
    QCOMPARE(f.StatusBar1->panelText(2), panel2);
    QVERIFY(!f.form4);
    QCOMPARE(m_m.BoardBusy, int16_t(1)); // nobody else's flag to clear
    m_m.BoardBusy = 0;
}

void TestBoardKeys::keysOnlyOnTheBoard()
{
    build(3);
    Form1& f = *m_form;
    key(Qt::Key_1);
    f.Toolbar1_ButtonClick(1); // back to the folder screen
    QVERIFY(!f.onBoard());
    QCOMPARE(f.File1->entryCount(), 2);

    for (const QKeyCombination k :
        { QKeyCombination(Qt::Key_2), QKeyCombination(Qt::Key_F5), QKeyCombination(Qt::ControlModifier, Qt::Key_Z),
            QKeyCombination(Qt::ControlModifier, Qt::Key_N), QKeyCombination(Qt::Key_Return) }) {
        QTest::keyClick(&f, k.key(), k.keyboardModifiers());
        if (QWidget* focus = QApplication::focusWidget())
            QTest::keyClick(focus, k.key(), k.keyboardModifiers());
    }
    QVERIFY(QFile::exists(src(2)));
    QVERIFY(QFile::exists(dest(1, QStringLiteral("000041 IMG_0001.JPG"))));
    QCOMPARE(m_m.Undo.count(), 1);
    QCOMPARE(m_m.Serial[0], 42);
    QVERIFY(!f.form4);
    QVERIFY(!f.onBoard());
}

void TestBoardKeys::undoKey()
{
    build(3);
    Form1& f = *m_form;
    MessageCatcher catcher;
    key(Qt::Key_Z, Qt::ControlModifier); // nothing to undo
    QVERIFY(catcher.texts().isEmpty());
    QCOMPARE(m_m.Serial[0], 41);

    key(Qt::Key_1);
    key(Qt::Key_2);
    QCOMPARE(m_m.Serial[0], 43);
    key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(QFile::exists(src(2)));
    QVERIFY(!QFile::exists(dest(2, QStringLiteral("000042 IMG_0002.JPG"))));
    QVERIFY(QFile::exists(dest(1, QStringLiteral("000041 IMG_0001.JPG"))));
    QCOMPARE(m_m.Serial[0], 42);
    QCOMPARE(m_m.Undo.count(), 1);
    // Undo reloads: the gaps close and the frame starts again at the first.
    QCOMPARE(f.File1->entryCount(), 2);
    QCOMPARE(f.File1->entry(0), name(2));
    QCOMPARE(framed(), 0);
    QVERIFY(catcher.texts().isEmpty());
}

void TestBoardKeys::reloadAndLoadAnewKeys()
{
    build(25);
    Form1& f = *m_form;
    key(Qt::Key_1);
    key(Qt::Key_End);
    QCOMPARE(framed(), 9);

    key(Qt::Key_F5);
    QCOMPARE(f.File1->entryCount(), 24);
    QCOMPARE(f.StatusBar1->panelText(3), QStringLiteral(" 24 File "));
    QVERIFY(f.Image1[0]->isVisible());
    QCOMPARE(framed(), 0);

    key(Qt::Key_End);
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.ExtendCount, int16_t(1));
    QCOMPARE(f.BoardEnd, int16_t(20));
    QVERIFY(f.Image1[19]->isVisible());
    QCOMPARE(framed(), 0);
    key(Qt::Key_End);
    QCOMPARE(framed(), 19);
    QCOMPARE(m_m.BoardBusy, int16_t(0));
}

void TestBoardKeys::enterOpensTheOnePointViewer()
{
    build(4);
    Form1& f = *m_form;
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Return);
    auto* viewer = qobject_cast<Form4*>(f.form4.data());
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QVERIFY(viewer->Toolbar1->isHidden());
    QCOMPARE(m_m.ViewerMode, int16_t(1));
    QCOMPARE(m_m.ViewerIndex, 2);
    QCOMPARE(m_m.ViewerFile, name(3));
    QCOMPARE(f.StatusBar1->panelText(2), QStringLiteral(" IMG_0003.JPG "));
    QCOMPARE(f.DragIndex, 2);
    QVERIFY(!f.Image1[2]->dragRequested()); // no drag begins
    QVERIFY(QFile::exists(src(3)));

    // The keypad's Enter switches the open viewer to the next picture.
    key(Qt::Key_Right);
    key(Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(f.form4.data(), viewer);
    QCOMPARE(m_m.ViewerIndex, 3);
    QCOMPARE(m_m.ViewerFile, name(4));
}

void TestBoardKeys::popupMenuShowsTheKeys()
{
    Form1& f = *m_form;
    QCOMPARE(f.mnuRL->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(f.mnuDL->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(f.mnuUnd->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(f.mnuViewer->shortcut().isEmpty()); // Enter opens another viewer than this item
    QCOMPARE(f.mnuUnd->text(), QStringLiteral("アンドゥ"));
}

void TestBoardKeys::realKeysReachTheBoard()
{
    build(4);
    Form1& f = *m_form;
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.Picture1));

    // Through the window system, as a keyboard delivers them: to the focus widget,
    // past the shortcut map that knows the pop-up menu's keys.
    QWindow* window = f.windowHandle();
    QTest::keyClick(window, Qt::Key_Right);
    QCOMPARE(framed(), 1);
    QTest::keyClick(window, Qt::Key_1);
    QTest::keyClick(window, Qt::Key_2);
    QTest::keyClick(window, Qt::Key_3);
    QVERIFY(QFile::exists(dest(1, QStringLiteral("000041 IMG_0002.JPG"))));
    QVERIFY(QFile::exists(dest(2, QStringLiteral("000042 IMG_0003.JPG"))));
    QVERIFY(QFile::exists(dest(3, QStringLiteral("000043 IMG_0004.JPG"))));

    // A click on the toolbar leaves the keyboard with the board.
    QWidget* undoButton = f.Toolbar1->widgetForAction(f.ToolbarButtons[2]);
    QVERIFY(undoButton);
    QTest::mouseClick(undoButton, Qt::LeftButton);
    QVERIFY(QFile::exists(src(4)));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.Picture1));

    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_m.Undo.count(), 1); // one undo per key, not two
    QVERIFY(QFile::exists(src(3)));
    QVERIFY(!QFile::exists(src(2)));

    QTest::keyClick(window, Qt::Key_F5);
    QCOMPARE(f.File1->entryCount(), 3);
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.ExtendCount, int16_t(1));
}

void TestBoardKeys::flashEndsAndMovesOn()
{
    build(4);
    Form1& f = *m_form;
    key(Qt::Key_1);
    QCOMPARE(f.Label1[1]->backColor(), kBlue);
    key(Qt::Key_2); // a second send ends the first flash at once
    QCOMPARE(f.Label1[1]->backColor(), f.labelBackColor());
    QCOMPARE(f.Label1[2]->backColor(), kBlue);
    key(Qt::Key_F5); // a reload in between leaves no label blue
    QTRY_COMPARE(f.Label1[2]->backColor(), f.labelBackColor());

    // Leaving the board while a label flashes: the flash ends on a label that is gone.
    key(Qt::Key_7);
    QCOMPARE(f.Label1[7]->backColor(), kBlue);
    f.Toolbar1_ButtonClick(1);
    QVERIFY(!f.Label1[7]);
    QTest::qWait(400);
    f.Command1_Click();
    for (int k = 0; k < 10; ++k)
        QCOMPARE(f.Label1[k]->backColor(), f.labelBackColor());
}

QTEST_MAIN(TestBoardKeys)
#include "test_board_keys.moc"
