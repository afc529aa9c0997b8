// The destination and options dialogs: what OK stores, what it refuses, the folders it
// makes and the files the bulk delete removes.
#include "ModalCatcher.h"
#include "TestFiles.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "dialogs/Dialog1.h"
#include "dialogs/Dialog2.h"
#include "dialogs/DialogLogic.h"
#include "platform/DirList.h"
#include "platform/FileList.h"
#include "sorting/Sorter.h"
#include "viewer/Form4.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace DialogLogic;
using TestFiles::touch;

enum Field { Serial, Interval, Head };

class TestDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    std::unique_ptr<QTemporaryDir> m_tmp;
    Settings settings;
    Session session { m_app.path() };
    PictureFolder folder;
    Sorter sorter { settings, session };
    std::unique_ptr<Form1> m_form;
    QString m_root; // the test's own folder tree

private slots:
    void init()
    {
        QFile::remove(m_app.filePath("Pirapo.ini"));
        m_tmp = std::make_unique<QTemporaryDir>();
        m_root = m_tmp->path();
        settings = Settings();
        session = Session(m_app.path());
        m_form = std::make_unique<Form1>(settings, session, folder, sorter); // no settings file: the defaults
        // Eleven existing folders, so that OK creates only what a test types.
        for (size_t k = 0; k <= 10; ++k) {
            settings.destPaths[k] = m_root + QString("/d%1/").arg(k);
            QVERIFY(QDir().mkpath(settings.destPaths[k]));
        }
        settings.updateDestNames();
    }
    void cleanup()
    {
        m_form.reset();
        m_tmp.reset();
    }

    // Each field as OK reads it: the value taken, or minus the problem found.
    void fields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("current"); // the counter the serial field showed
        QTest::addColumn<int>("expected");
        const auto row = [](const char* name, int field, const QString& text, int expected, int current = 0) {
            QTest::newRow(name) << field << text << current << expected;
        };
        row("serial: trailing letters", Serial, "12a", 12);
        row("serial: leading blanks", Serial, "   000041", 41);
        row("serial: largest", Serial, "2147483647", 2147483647);
        // A negative counter from the settings file, shown unchanged, must not block OK.
        row("serial: negative shown unchanged", Serial, "-000005", -5, -5);
        row("serial: negative edited", Serial, "-000006", -int(SerialProblem::Negative), -5);
        row("serial: twenty digits", Serial, "99999999999999999999", -int(SerialProblem::TooLarge));
        row("interval: 3.5 to even", Interval, "3.5", 4);
        row("interval: full-width", Interval, "１２", 12);
        row("interval: 32.5 rounds to 32", Interval, "32.5", 32);
        row("interval: blank", Interval, "   ", -int(IntervalProblem::Empty));
        row("interval: number then letters", Interval, "3s", -int(IntervalProblem::NotANumber));
        row("interval: rounds to zero", Interval, "0.4", -int(IntervalProblem::NotPositive));
        row("interval: 33.5 rounds to 34", Interval, "33.5", -int(IntervalProblem::TooLong));
        row("interval: beyond 16 bits", Interval, "40000", -int(IntervalProblem::TooLong));
        row("head: dots inside", Head, "a..b", 0);
        row("head: dot", Head, ".", -1);
        row("head: hidden", Head, ".trip", -1);
        row("head: too long", Head, QString(240, u'a'), -1);
    }
    void fields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, current);
        if (field == Serial) {
            const SerialValue v = parseSerial(text, current);
            QTEST(v.ok() ? v.value : -int(v.problem), "expected");
        } else if (field == Interval) {
            const IntervalValue v = parseInterval(text);
            QTEST(v.ok() ? int(v.seconds) : -int(v.problem), "expected");
        } else {
            QTEST(headNameProblem(text).isEmpty() ? 0 : -1, "expected");
        }
    }

    // Each missing folder is announced once, in folder order, and made with its parents
    // only after its announcement.
    void okCreatesMissingFolders()
    {
        QVERIFY(m_form->folderPage().folders()->setPath(m_root));
        const QString nested = m_root + "/new/a/b/", typed = m_root + "/Sort/Cats", later = m_root + "/other/";
        settings.destPaths[6] = FileOps::rootPath(); // what a first start gives: not set
        {
            Dialog1 d(settings, m_form.get());
            QVERIFY(d.Text1[6]->text().isEmpty());
            QVERIFY((d.geometry().center() - m_form->screen()->geometry().center()).manhattanLength() <= 1);
            d.show();
            d.Text1[7]->setText(later);
            d.Text1[3]->setText(typed);
            d.Text1[2]->setText(nested);
            d.Text1[5]->clear();
            d.Text3[0]->setText("12a");
            ModalCatcher c;
            QStringList existing;
            c.onShown = [&](const QString&) {
                for (const QString& p : { nested, typed, later })
                    if (QFileInfo::exists(p))
                        existing << p;
                existing << "|";
            };
            d.OKButton->click();
            QCOMPARE(c.texts(),
                (QStringList { nested + "を作成します。", typed + "/を作成します。", later + "を作成します。" }));
            QCOMPARE(existing, (QStringList { "|", nested, "|", nested, typed, "|" }));
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QVERIFY(QFileInfo(later).isDir());
            QCOMPARE(settings.destPaths[2], nested);
            QCOMPARE(settings.destPaths[3], typed + "/");
            // An emptied field leaves its folder not set, not the root.
            QVERIFY(settings.destPaths[5].isEmpty() && settings.destPaths[6].isEmpty());
            QCOMPARE(settings.serials[0], 12);
            // The main window's folder list was told to read again.
            bool shown = false;
            for (int i = 0; i < m_form->folderPage().folders()->count(); ++i)
                shown = shown || m_form->folderPage().folders()->item(i)->toolTip() == m_root + "/Sort";
            QVERIFY(shown);
        }
    }

    // One unusable value keeps the dialog open and stores and creates nothing at all.
    void refusalStoresNothing_data()
    {
        QTest::addColumn<int>("field"); // -1: the path of folder 4
        QTest::addColumn<QString>("text"); // a path under the test's folder unless relative
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a file of that name") << -1 << "/afile"
                                             << "/afile/";
        QTest::newRow("under a file") << -1 << "/afile/sub"
                                      << "/afile/sub/";
        QTest::newRow("relative path") << -1 << "relative/dir"
                                       << "relative/dir/";
        QTest::newRow("head name") << int(Head) << "a/b"
                                   << "フォルダ４のヘッドネーム";
        QTest::newRow("negative serial") << int(Serial) << "-5"
                                         << "マイナス";
        QTest::newRow("serial beyond 32 bits") << int(Serial) << "2147483648"
                                               << "大きすぎます";
    }
    void refusalStoresNothing()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        touch(m_root + "/afile");
        const auto before = settings.destPaths;
        Dialog1 d(settings, m_form.get());
        d.show();
        d.Option1[2]->click();
        d.Text1[0]->setText(m_root + "/fine"); // would be created, but only once all is well
        d.Text2[0]->setText("new");
        if (field == Head)
            d.Text2[4]->setText(text);
        else if (field == Serial)
            d.Text3[2]->setText(text);
        else
            d.Text1[4]->setText(text.startsWith('/') ? m_root + text : text);
        ModalCatcher c;
        d.OKButton->click();
        QCOMPARE(c.seen.size(), 1);
        QVERIFY2(c.seen.last().text.contains(refusal), qPrintable(c.seen.last().text));
        QVERIFY(d.isVisible());
        QCOMPARE(settings.destPaths, before);
        QCOMPARE(int(settings.nameRule), 0);
        QCOMPARE(settings.headNames[0], QString());
        QCOMPARE(settings.serials, (std::array<int32_t, 3> {}));
        QVERIFY(!QFileInfo::exists("relative"));
        QVERIFY(!QFileInfo::exists(m_root + "/fine"));
    }

    // Rule 1 then 2 carries the folder names over, rule 0 then 2 leaves them empty, a
    // head name of its own always shows, and only OK under rule 2 stores them.
    void headNames_data()
    {
        QTest::addColumn<int>("startRule"); // under rule 2, field 0 is edited first
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("head0");
        QTest::addColumn<QString>("head3");
        QTest::newRow("rule 1 then 2") << 1 << QList<int> { 2 } << true << 2 << "old" << "d3";
        QTest::newRow("rule 1, 0, then 2") << 1 << QList<int> { 0, 2 } << true << 2 << "old" << "";
        QTest::newRow("rule 2 edited, then 1") << 2 << QList<int> { 1 } << true << 1 << "old" << "";
        QTest::newRow("rule 2 edited, clicked again") << 2 << QList<int> { 2 } << true << 2 << "new" << "";
        QTest::newRow("rule 2 edited, 0, cancelled") << 2 << QList<int> { 0 } << false << 2 << "old" << "";
    }
    void headNames()
    {
        QFETCH(int, startRule);
        QFETCH(QList<int>, clicks);
        QFETCH(bool, ok);
        settings.nameRule = int16_t(startRule);
        settings.headNames[0] = "old";
        Dialog1 d(settings, m_form.get());
        d.show();
        if (startRule == 2)
            d.Text2[0]->setText("new");
        for (int r : clicks)
            QTest::mouseClick(d.Option1[r], Qt::LeftButton);
        QCOMPARE(d.Text2[0]->isEnabled(), d.Option1[2]->isChecked());
        ModalCatcher c;
        (ok ? d.OKButton : d.CancelButton)->click();
        QVERIFY(c.seen.isEmpty());
        QTEST(int(settings.nameRule), "rule");
        QTEST(settings.headNames[0], "head0");
        QTEST(settings.headNames[3], "head3");
    }

    // The stored delete folder's own plain files go to the trash, or for good without
    // one, not those of the folder being typed; hidden files and sub-folders stay. A
    // folder that is no full path is refused before anything is asked.
    void bulkDelete_data()
    {
        QTest::addColumn<QString>("stored"); // "<del>" stands for the delete folder
        QTest::addColumn<bool>("trash");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("refusal"); // empty: the question is asked
        const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel;
        QTest::newRow("stored by the dialog") << "<del>/" << true << ok << "";
        QTest::newRow("from a hand-edited file") << "<del>" << true << ok << "";
        QTest::newRow("no trash") << "<del>/" << false << ok << "";
        QTest::newRow("cancelled") << "<del>/" << true << cancel << "";
        // Refused at once: a Cancel keeps older code from emptying anything here.
        QTest::newRow("parent folder") << ".." << true << cancel << "削除フォルダ「..」はフルパスではない";
        QTest::newRow("empty") << "" << true << cancel << "削除フォルダが設定されていません";
        QTest::newRow("root") << "/" << true << cancel << "削除フォルダが設定されていません";
        QTest::newRow("link to the root") << "<del>/sub/root" << true << cancel << "削除フォルダがルートフォルダ";
    }
    void bulkDelete()
    {
        QFETCH(QString, stored);
        QFETCH(bool, trash);
        QFETCH(int, answer);
        QFETCH(QString, refusal);
        const QString del = m_root + "/del";
        QVERIFY(QDir().mkpath(del + "/sub"));
        for (const char* n : { "a.jpg", "ro.jpg", ".hidden", "sub/inner.jpg" })
            touch(del + "/" + n);
        QVERIFY(QFile::setPermissions(del + "/ro.jpg", QFileDevice::ReadOwner));
        QVERIFY(QFile::link("/", del + "/sub/root"));
        touch(m_root + "/d4/keep.jpg");
        touch(m_root + "/afile");
        // ".." from here is the delete folder; the trash is the test's own.
        const QString oldCwd = QDir::currentPath();
        const QByteArray oldHome = qgetenv("HOME"), oldData = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] {
            QDir::setCurrent(oldCwd);
            qputenv("HOME", oldHome);
            qputenv("XDG_DATA_HOME", oldData);
        });
        QVERIFY(QDir::setCurrent(del + "/sub"));
        qputenv("HOME", QFile::encodeName(m_root));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root + (trash ? "/data" : "/afile/data")));
        settings.destPaths[10] = QString(stored).replace("<del>", del);
        Dialog1 d(settings, m_form.get());
        d.show();
        d.Text1[10]->setText(m_root + "/d4");
        ModalCatcher c;
        c.answers = { QMessageBox::StandardButton(answer) };
        d.Command2->click();
        const bool gone = refusal.isEmpty() && answer == QMessageBox::Ok;
        if (!refusal.isEmpty()) {
            QCOMPARE(c.seen.size(), 1);
            QVERIFY2(c.seen[0].text.startsWith(refusal), qPrintable(c.seen[0].text));
        } else {
            QCOMPARE(c.seen.size(), gone ? 1 : 2);
            QVERIFY(c.seen[0].text.startsWith(del + "/フォルダのファイルをすべてを削除しますか?\n"));
            QVERIFY(c.seen[0].text.contains(trash ? "ごみ箱へ移動します" : "完全に削除され"));
            QCOMPARE(c.seen[0].icon, QMessageBox::Warning);
            QCOMPARE(c.seen[0].defaultButton, QString("キャンセル"));
            QCOMPARE(c.seen.last().text, gone ? c.seen[0].text : "キャンセルされました。");
        }
        QCOMPARE(QFile::exists(del + "/a.jpg"), !gone);
        QCOMPARE(QFile::exists(del + "/ro.jpg"), !gone);
        QCOMPARE(QDir(m_root + "/data/Trash/files").entryList(QDir::Files),
            gone && trash ? QStringList({ "a.jpg", "ro.jpg" }) : QStringList());
        QVERIFY(QFile::exists(del + "/.hidden") && QFile::exists(m_root + "/d4/keep.jpg"));
        QCOMPARE(QDir(del + "/sub").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            QStringList({ "inner.jpg", "root" }));
        QVERIFY(d.isVisible());
    }

    // A file that stays does not stop the others; a missing folder deletes nothing.
    void bulkDeleteGoesOnPastAFailure()
    {
        const QString f = m_root + "/d0/";
        for (const char* n : { "a.jpg", "busy.jpg", "c.jpg" })
            touch(f + n);
        const BulkDeleteResult r = deleteFolderFiles(f, [](const QString& path) {
            return path.endsWith("busy.jpg") ? FileOps::Result::failure("busy") : FileOps::deleteFile(path);
        });
        QCOMPARE(r.deleted, 2);
        QCOMPARE(r.remaining, QStringList { "busy.jpg" });
        QCOMPARE(QDir(f).entryList(QDir::Files), QStringList { "busy.jpg" });
        QCOMPARE(deleteFolderFiles(m_root + "/gone/").deleted, 0);
    }

    // Nothing is stored until the interval is usable, and Cancel stores nothing.
    void options_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("seconds"); // 0: refused
        QTest::newRow("stored") << "3.5" << false << 4;
        QTest::newRow("interval above 32") << "33" << false << 0;
        QTest::newRow("cancelled") << "9" << true << 9;
    }
    void options()
    {
        QFETCH(QString, interval);
        QFETCH(bool, cancel);
        QFETCH(int, seconds);
        Dialog2 d(settings, session, m_form.get());
        d.show();
        QTest::mouseClick(d.Option1[3], Qt::LeftButton);
        QTest::mouseClick(d.Option2[5], Qt::LeftButton);
        QVERIFY(d.Option1[3]->isChecked() && d.Option2[5]->isChecked()); // a group per frame
        d.Text1->setText(interval);
        ModalCatcher c;
        (cancel ? d.CancelButton : d.OKButton)->click();
        QCOMPARE(c.seen.size(), seconds ? 0 : 1);
        QVERIFY(seconds || c.seen[0].text.contains("スライドショーの表示時間"));
        QCOMPARE(d.isVisible(), !seconds);
        const bool stored = seconds && !cancel;
        QCOMPARE(int(settings.thumbSize), stored ? 256 : 64);
        QCOMPARE(int(settings.thumbCount), stored ? 30 : 10);
        QCOMPARE(int(settings.slideSeconds), stored ? seconds : 1);
    }

    // The check boxes take effect at once, and Cancel keeps that; copy mode blinks its
    // label until it is switched off, which hides it.
    void checkBoxesWriteThrough()
    {
        m_form->show();
        QWidget* label = m_form->Label2;
        const auto toggleAll = [&](bool ok) {
            Dialog2 d(settings, session, m_form.get());
            d.show();
            for (QCheckBox* box : { d.Check1, d.Check2, d.Check3 })
                box->click();
            (ok ? d.OKButton : d.CancelButton)->click();
        };
        toggleAll(false);
        QCOMPARE(settings.rememberFolder + session.slideRepeat + session.copyMode, 3);
        QVERIFY(m_form->Timer1->isActive());
        const bool shown = label->isVisible();
        m_form->Timer1_Timer();
        QCOMPARE(label->isVisible(), !shown);
        m_form->Timer1_Timer();
        QCOMPARE(label->isVisible(), shown);
        toggleAll(true);
        QCOMPARE(settings.rememberFolder + session.slideRepeat + session.copyMode, 0);
        QVERIFY(!m_form->Timer1->isActive() && !label->isVisible());
    }

    void menuCommandsAreModalAndWaitForTheBoard()
    {
        ModalCatcher c;
        QStringList opened;
        c.onModal = [&](QWidget* w) {
            opened << w->metaObject()->className();
            QVERIFY(w->isModal());
            qobject_cast<QDialog*>(w)->reject();
        };
        {
            const Session::BusyGuard busy(session);
            m_form->mnuOpt2_Click();
            m_form->mnuOpt3_Click();
            QVERIFY(opened.isEmpty());
        }
        m_form->mnuOpt2_Click();
        m_form->mnuOpt3_Click();
        QCOMPARE(opened, (QStringList { "Dialog2", "Dialog1" }));
        QVERIFY(!m_form->dialog1 && !m_form->dialog2);
    }

    // From the viewer: one modeless dialog, owned by the main window, so that closing
    // the viewer keeps it open with the user's edits; it closes with the main window.
    void viewerOpensOptionsWithoutBlocking()
    {
        auto* viewer = new Form4(settings, session, folder, m_form->pngDecoder(), m_form.get());
        viewer->Toolbar1_ButtonClick(1);
        QPointer<QWidget> first = m_form->dialog2;
        QVERIFY(first && first->isVisible() && !first->isModal());
        viewer->Toolbar1_ButtonClick(1);
        QCOMPARE(m_form->dialog2.data(), first.data());
        qobject_cast<Dialog2*>(first.data())->Text1->setText("7");
        viewer->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first && first->isVisible());
        QCOMPARE(qobject_cast<Dialog2*>(first.data())->Text1->text(), QString("7"));
        m_form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
