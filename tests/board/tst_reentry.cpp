// Input that arrives while a long handler lets pending events run: the page fill, a
// drop and send-all. Whatever gets through, every file must end up in one place, whole.
#include "../SessionFixture.h"
#include "platform/StatusBar.h"
#include "platform/TextFile.h"
#include <QMenu>
#include <functional>

using Hostile::Format;

namespace {

// Runs `action` from the event loop after `passes` turns of it, the way input waiting
// in the queue is handled inside a handler that lets pending events run.
void afterEventPasses(int passes, std::function<void()> action)
{
    if (passes <= 0) {
        QTimer::singleShot(0, std::move(action));
        return;
    }
    QTimer::singleShot(
        0, [passes, action = std::move(action)]() mutable { afterEventPasses(passes - 1, std::move(action)); });
}

}

class TestReentry : public QObject {
    Q_OBJECT
private slots:
    void commandsDuringAPageFill_data();
    void commandsDuringAPageFill();
    void dropsAndReloadDuringSendAll();
    void undoDuringADrop();
    void closingDuringAPageFill();
};

void TestReentry::commandsDuringAPageFill_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("acts"); // not held back by the busy flag
    for (const char* c : { "drop", "reload", "load anew", "send all", "cancel", "toolbar undo", "exit button",
             "right press", "background menu", "viewer menu", "options", "destinations" })
        QTest::newRow(c) << QString::fromLatin1(c) << false;
    QTest::newRow("menu undo") << QStringLiteral("menu undo") << true;
}

void TestReentry::commandsDuringAPageFill()
{
    QFETCH(QString, command);
    QFETCH(bool, acts);
    SessionFixture s;
    for (int i = 0; i < 30; ++i)
        QVERIFY(Hostile::write(s.src(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
            Hostile::wellFormed(Format::Jpeg, QSize(40, 30), i)));
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 1); // something to undo
    QVERIFY(f.mnuUnd->isEnabled());
    const auto before = s.files();

    bool ran = false;
    int16_t busySeen = 0;
    afterEventPasses(4, [&] {
        ran = true;
        busySeen = s.m.BoardBusy;
        if (command == QLatin1String("drop")) {
            s.drop(3, 2);
        } else if (command == QLatin1String("reload")) {
            f.mnuRL_Click();
        } else if (command == QLatin1String("load anew")) {
            f.mnuDL_Click();
        } else if (command == QLatin1String("send all")) {
            f.mnuDel1_Click();
        } else if (command == QLatin1String("cancel")) {
            f.Toolbar1_ButtonClick(1);
        } else if (command == QLatin1String("toolbar undo")) {
            f.Toolbar1_ButtonClick(2);
        } else if (command == QLatin1String("exit button")) {
            f.Toolbar1_ButtonClick(4);
        } else if (command == QLatin1String("right press")) {
            f.Image1_MouseDown(2, 2, 0, 5, 5);
        } else if (command == QLatin1String("background menu")) {
            f.Picture1_MouseDown(2, 0, 5, 5);
            QVERIFY(!f.mnuReLoad->isVisible());
        } else if (command == QLatin1String("viewer menu")) {
            f.mnuViewer_Click();
        } else if (command == QLatin1String("options")) {
            f.mnuOpt2_Click();
        } else if (command == QLatin1String("destinations")) {
            f.mnuOpt3_Click();
        } else if (command == QLatin1String("menu undo")) {
            f.mnuUnd_Click();
        }
    });
    f.mnuRL_Click();
    QVERIFY(ran);
    QCOMPARE(busySeen, int16_t(1)); // it came in while the page was filling
    QCOMPARE(s.m.BoardBusy, int16_t(0));
    QVERIFY(f.isVisible());
    QVERIFY(f.onBoard());
    QVERIFY(!s.viewer());
    QVERIFY(!f.dialog1 && !f.dialog2);
    QVERIFY(s.messages().isEmpty());

    if (acts) {
        // The menu's undo is not held back: p00.jpg is back, and the board still ends whole.
        QVERIFY(QFile::exists(s.src(QStringLiteral("p00.jpg"))));
        QVERIFY(!f.mnuUnd->isEnabled());
        f.mnuRL_Click();
        QCOMPARE(f.File1->entry(0), QStringLiteral("p00.jpg"));
    } else {
        QCOMPARE(s.files(), before);
        QVERIFY(f.mnuUnd->isEnabled());
        QCOMPARE(s.m.Serial[0], 42);
    }
    QVERIFY(f.Toolbar1->isEnabled());
    for (int i = 0; i < 10; ++i)
        QVERIFY(s.slot(i) && s.slot(i)->isVisible());
}

void TestReentry::dropsAndReloadDuringSendAll()
{
    SessionFixture s;
    QMap<QString, QByteArray> content;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i);
        content.insert(name, Hostile::wellFormed(Format::Jpeg, QSize(40, 30), i));
        QVERIFY(Hostile::write(s.src(name), content.value(name)));
    }
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
        if (step == 0 && sent >= 2) {
            ++step;
            s.drop(7, 4);
        } else if (step == 1 && sent >= 3) {
            ++step;
            s.drop(0, 5);
        } else if (step == 2 && sent >= 4) {
            ++step;
            f.mnuRL_Click();
        } else if (step == 3 && sent >= 5) {
            ++step;
            f.mnuDel1_Click();
            input.stop();
        }
    });
    input.start();
    f.mnuDel1_Click();
    QCOMPARE(step, 4);

    // p7 went to folder 4 before send-all got to it; p0 had already been sent, so that
    // drop found no file and said so. Everything else is in the delete folder.
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("p0.jpg")));
    QCOMPARE(Hostile::read(s.dest(4, QStringLiteral("000041 p7.jpg"))), content.value(QStringLiteral("p7.jpg")));
    const auto after = s.files();
    QCOMPARE(after.size(), 10);
    for (auto it = content.cbegin(); it != content.cend(); ++it) {
        if (it.key() == QLatin1String("p7.jpg"))
            continue;
        QCOMPARE(Hostile::read(s.dest(10, it.key())), it.value());
    }
    QCOMPARE(s.m.BoardBusy, int16_t(0));

    // Ten undos bring back the last ten transfers, whatever their order was.
    for (int i = 0; i < 10; ++i)
        f.UndoLast();
    QCOMPARE(s.messages().size(), 1);
    QCOMPARE(f.File1->entryCount(), 10);
    for (auto it = content.cbegin(); it != content.cend(); ++it)
        QCOMPARE(Hostile::read(s.src(it.key())), it.value());
    QCOMPARE(s.files().size(), 10);
}

void TestReentry::undoDuringADrop()
{
    SessionFixture s;
    for (const char* name : { "a.jpg", "b.jpg" })
        QVERIFY(Hostile::write(
            s.src(QString::fromLatin1(name)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;
    // The drop lets events run once it has moved the file: the menu's undo, not held back,
    // takes it straight back; a second drop arriving then is held back.
    afterEventPasses(0, [&] {
        QCOMPARE(s.m.BoardBusy, int16_t(1));
        f.mnuUnd_Click();
        s.drop(1, 6);
    });
    s.drop(0, 3);
    QCOMPARE(s.m.BoardBusy, int16_t(0));
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(s.files(), before);
    QCOMPARE(s.m.Serial[0], 41);
    QVERIFY(!f.mnuUnd->isEnabled());
    QVERIFY(!f.ToolbarButtons[2]->isEnabled());
}

void TestReentry::closingDuringAPageFill()
{
    SessionFixture s;
    for (int i = 0; i < 10; ++i)
        QVERIFY(Hostile::write(
            s.src(QStringLiteral("p%1.jpg").arg(i)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), i)));
    QVERIFY(s.open());
    Form1& f = *s.form;
    s.openViewer(0);
    // The window's close box while the board is being built: the settings are written,
    // the viewer closes, and the build runs out without touching anything else.
    afterEventPasses(3, [&] { f.close(); });
    f.Command1_Click();
    QVERIFY(!f.isVisible());
    QVERIFY(!s.viewer());
    QCOMPARE(s.m.BoardBusy, int16_t(0));
    QString text;
    QVERIFY(TextFile::read(SettingsStore::settingsPath(s.m.AppPath), &text));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 24);
    QCOMPARE(s.files().size(), 10);
    QVERIFY(s.messages().isEmpty());
}

QTEST_MAIN(TestReentry)
#include "tst_reentry.moc"
