#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "platform/FolderControls.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

QString name(int i) { return QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')); }

// Answers the next message box with OK and keeps its text.
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

class TestBoardDistribution : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dropMovesTheFile();
    void dropInCopyModeKeepsTheSource();
    void failedDropShowsTheThumbnailAgain();
    void dropWhileBusyDoesNothing();
    void undoPutsTheFileBackAndReloads();
    void sendAllCoversTheReachedPositions();
    void sendAllWhileBusyDoesNothing();

private:
    QString src(int i) const { return QDir(m_src).filePath(name(i)); }
    QString dest(int k, const QString& file) const { return QDir(m_m.DestPath[size_t(k)]).filePath(file); }
    void build(int files);

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_src;
    Module1 m_m;
    std::unique_ptr<Form1> m_form;
};

void TestBoardDistribution::init()
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

void TestBoardDistribution::cleanup()
{
    m_form.reset();
    m_tmp.reset();
}

void TestBoardDistribution::build(int files)
{
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(Qt::darkRed);
    for (int i = 1; i <= files; ++i)
        QVERIFY(img.save(src(i), "JPEG"));
    m_form->Dir1->setPath(m_src);
    m_form->Command1_Click();
    QVERIFY(!m_form->mnuUnd->isEnabled());
    QVERIFY(!m_form->ToolbarButtons[2]->isEnabled());
}

void TestBoardDistribution::dropMovesTheFile()
{
    build(3);
    Form1& f = *m_form;
    f.Image1_MouseDown(0, 1, 0, 10, 10);
    f.Label1_DragOver(3, 0);
    f.Label1_DragDrop(3, 100, 100);

    QVERIFY(QFile::exists(dest(3, QStringLiteral("000041 IMG_0001.JPG"))));
    QVERIFY(!QFile::exists(src(1)));
    QCOMPARE(m_m.Serial[0], 42);
    QVERIFY(f.Image1[0]->isHidden());
    QVERIFY(f.Image1[1]->isVisible()); // no re-layout until a reload
    QCOMPARE(f.Label1[3]->backColor(), f.labelBackColor());
    QVERIFY(f.mnuUnd->isEnabled());
    QVERIFY(f.ToolbarButtons[2]->isEnabled());
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QCOMPARE(f.File1->entry(0), name(1)); // the entry stays until the next reload
}

void TestBoardDistribution::dropInCopyModeKeepsTheSource()
{
    build(2);
    m_m.CopyMode = 1;
    Form1& f = *m_form;
    f.Image1_MouseDown(1, 1, 0, 10, 10);
    f.Label1_DragDrop(5, 0, 0);
    QVERIFY(QFile::exists(dest(5, QStringLiteral("000041 IMG_0002.JPG"))));
    QVERIFY(QFile::exists(src(2)));
    QVERIFY(f.Image1[1]->isHidden());
}

void TestBoardDistribution::failedDropShowsTheThumbnailAgain()
{
    build(2);
    Form1& f = *m_form;
    // A file of the new name is already there: it must not be replaced.
    QFile existing(dest(3, QStringLiteral("000041 IMG_0001.JPG")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    MessageCatcher catcher;
    f.Image1_MouseDown(0, 1, 0, 10, 10);
    f.Label1_DragOver(3, 0);
    f.Label1_DragDrop(3, 0, 0);

    QCOMPARE(catcher.texts().size(), 1);
    QVERIFY(catcher.texts().constFirst().contains(name(1)));
    QVERIFY(QFile::exists(src(1)));
    QVERIFY(f.Image1[0]->isVisible());
    QCOMPARE(m_m.Serial[0], 41);
    QVERIFY(!f.mnuUnd->isEnabled());
    QCOMPARE(f.Label1[3]->backColor(), f.labelBackColor());
    QCOMPARE(m_m.BoardBusy, int16_t(0));
    QFile kept(existing.fileName());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me"));
}

void TestBoardDistribution::dropWhileBusyDoesNothing()
{
    build(2);
    Form1& f = *m_form;
    f.Image1_MouseDown(0, 1, 0, 10, 10);
    m_m.BoardBusy = 1;
    f.Label1_DragDrop(3, 0, 0);
    QVERIFY(QFile::exists(src(1)));
    QVERIFY(f.Image1[0]->isVisible());
    QCOMPARE(m_m.Serial[0], 41);
    QCOMPARE(m_m.BoardBusy, int16_t(1));
    m_m.BoardBusy = 0;
}

void TestBoardDistribution::undoPutsTheFileBackAndReloads()
{
    build(3);
    Form1& f = *m_form;
    f.Image1_MouseDown(0, 1, 0, 10, 10);
    f.Label1_DragDrop(3, 0, 0);
    f.Image1_MouseDown(1, 1, 0, 10, 10);
    f.Label1_DragDrop(7, 0, 0);
    QCOMPARE(m_m.Serial[0], 43);

    f.mnuRL_Click(); // the moved files leave the list
    QCOMPARE(f.File1->entryCount(), 1);

    f.Toolbar1_ButtonClick(2);
    QVERIFY(QFile::exists(src(2)));
    QVERIFY(!QFile::exists(dest(7, QStringLiteral("000042 IMG_0002.JPG"))));
    QCOMPARE(m_m.Serial[0], 42);
    QCOMPARE(f.File1->entryCount(), 2); // reloaded: the file is back on the board
    QVERIFY(f.Image1[1]->isVisible());
    QVERIFY(f.mnuUnd->isEnabled());

    f.mnuUnd_Click();
    QVERIFY(QFile::exists(src(1)));
    QCOMPARE(m_m.Serial[0], 41);
    QCOMPARE(f.File1->entryCount(), 3);
    QVERIFY(!f.mnuUnd->isEnabled());
    QVERIFY(!f.ToolbarButtons[2]->isEnabled());
    QCOMPARE(m_m.BoardBusy, int16_t(0));
}

void TestBoardDistribution::sendAllCoversTheReachedPositions()
{
    build(12);
    Form1& f = *m_form;
    f.Image1_MouseDown(2, 1, 0, 10, 10);
    f.Label1_DragDrop(1, 0, 0); // already moved: skipped without an entry

    MessageCatcher catcher;
    f.mnuDel1_Click();
    QVERIFY(catcher.texts().isEmpty());
    for (int i = 1; i <= 10; ++i) {
        QVERIFY(!QFile::exists(src(i)));
        if (i != 3)
            QVERIFY(QFile::exists(dest(10, name(i))));
        QVERIFY(f.Image1[i - 1]->isHidden());
    }
    QVERIFY(QFile::exists(src(11)));
    QVERIFY(QFile::exists(src(12)));
    QVERIFY(f.mnuUnd->isEnabled());
    QCOMPARE(m_m.BoardBusy, int16_t(0));
}

void TestBoardDistribution::sendAllWhileBusyDoesNothing()
{
    build(3);
    m_m.BoardBusy = 1;
    m_form->mnuDel1_Click();
    QVERIFY(QFile::exists(src(1)));
    QVERIFY(!m_form->mnuUnd->isEnabled());
    m_m.BoardBusy = 0;
}

QTEST_MAIN(TestBoardDistribution)
#include "tst_boarddistribution.moc"
