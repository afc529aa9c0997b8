#include "ModalCatcher.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "dialogs/Dialog1.h"
#include "platform/FolderControls.h"
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using TestFiles::touch;

class TestDialog1 : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<Module1> m;
    std::unique_ptr<Form1> m_form;
    QString m_root; // the test's own folder tree

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_root = m_tmp->path();
        m = std::make_unique<Module1>();
        m->AppPath = m_app.path();
        m_form = std::make_unique<Form1>(*m);
        // Eleven existing folders, so that OK creates only what a test types.
        for (size_t k = 0; k <= 10; ++k) {
            m->DestPath[k] = m_root + QString("/d%1/").arg(k);
            QVERIFY(QDir().mkpath(m->DestPath[k]));
        }
        SettingsStore::computeDestNames(*m);
    }
    void cleanup()
    {
        m_form.reset();
        m.reset();
        m_tmp.reset();
    }

    void centred()
    {
        Dialog1 d(*m, m_form.get());
        QCOMPARE(d.size(), QSize(402, 647)); // 6030 x 9705 twips
        QVERIFY((d.geometry().center() - m_form->screen()->geometry().center()).manhattanLength() <= 1);
    }

    // Each missing folder is announced, in folder order, and then made with its parents.
    void okCompletesAndCreatesFolders()
    {
        QVERIFY(m_form->Dir1->setPath(m_root));
        const QString nested = m_root + "/new/a/b/", typed = m_root + "/Sort/Cats", later = m_root + "/other/";
        {
            Dialog1 d(*m, m_form.get());
            d.show();
            d.Text1[7]->setText(later);
            d.Text1[3]->setText(typed);
            d.Text1[2]->setText(nested);
            d.Text1[5]->clear();
            ModalCatcher c;
            QStringList existing;
            c.onShown = [&](const QString&) {
                for (const QString& p : { nested, typed, later })
                    if (QFileInfo::exists(p))
                        existing << p;
                existing << "|";
            };
            d.OKButton->click();
            QCOMPARE(c.texts(), (QStringList { nested + "を作成します。", typed + "/を作成します。", later + "を作成します。" }));
            QCOMPARE(c.seen[0].title, QString("ピラポくんLumo"));
            QCOMPARE(existing, (QStringList { "|", nested, "|", nested, typed, "|" }));
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QVERIFY(QFileInfo(later).isDir());
            QCOMPARE(m->DestPath[2], nested);
            QCOMPARE(m->DestPath[3], typed + "/");
            QCOMPARE(m->DestPath[5], QString("/")); // an emptied field is the root
            // The main window's folder list was told to read again.
            const auto* list = m_form->Dir1;
            bool shown = false;
            for (int i = 0; i < list->count(); ++i)
                shown = shown || list->item(i)->toolTip() == m_root + "/Sort";
            QVERIFY(shown);
        }
        Dialog1 again(*m, m_form.get());
        QCOMPARE(again.Text1[3]->text(), typed + "/");
    }

    void unusablePathStoresNothing_data()
    {
        QTest::addColumn<QString>("path"); // under the test's folder unless relative
        QTest::addColumn<int>("messages");
        QTest::newRow("a file of that name") << "/afile" << 1;
        QTest::newRow("under a file") << "/afile/sub" << 2; // announced, then cannot be made
        QTest::newRow("relative path") << "relative/dir" << 1;
    }
    void unusablePathStoresNothing()
    {
        QFETCH(QString, path);
        QFETCH(int, messages);
        touch(m_root + "/afile");
        const QString bad = path.startsWith('/') ? m_root + path : path;
        const auto before = m->DestPath;
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text1[0]->setText(m_root + "/fine"); // would be created, but comes first
        d.Text1[4]->setText(bad);
        d.Text3[0]->setText("99");
        d.Option1[1]->click();
        ModalCatcher c;
        d.OKButton->click();
        QCOMPARE(c.seen.size(), messages + 1);
        QVERIFY(c.seen.last().text.contains(bad + "/"));
        QVERIFY(d.isVisible());
        QCOMPARE(m->DestPath, before);
        QCOMPARE(int(m->NameRule), 0);
        QCOMPARE(m->Serial[0], 0);
        QVERIFY(!QFileInfo::exists("relative"));
    }

    void serialField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::newRow("12a") << "12a" << 12;
        QTest::newRow("negative") << "-5" << -1;
        QTest::newRow("beyond 32 bits") << "2147483648" << -1;
    }
    void serialField()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        m->Serial = { 5, 6, 7 };
        m->NameRule = 1;
        Dialog1 d(*m, m_form.get());
        d.show();
        QCOMPARE(d.Text3[0]->text(), QString("000005"));
        QVERIFY(!d.Text3[0]->isEnabled() && d.Text3[1]->isEnabled() && !d.Text3[2]->isEnabled());
        d.Text3[1]->setText(text);
        ModalCatcher c;
        d.OKButton->click();
        QCOMPARE(c.seen.size(), stored < 0 ? 1 : 0);
        QCOMPARE(d.isVisible(), stored < 0);
        QCOMPARE(m->Serial, (std::array<int32_t, 3> { 5, stored < 0 ? 6 : stored, 7 }));
    }

    // Head names: rule 1 then 2 carries the folder names over, rule 0 then 2 leaves them
    // empty, a head name of its own always shows, and only OK under rule 2 stores them.
    void headNames_data()
    {
        QTest::addColumn<int>("startRule"); // under rule 2, field 0 is edited first
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("head0");
        QTest::addColumn<QString>("head3");
        QTest::newRow("rule 1 then 2") << 1 << QList<int> { 2 } << true << 2 << "old" << "d3";
        QTest::newRow("rule 0 then 2") << 0 << QList<int> { 2 } << true << 2 << "old" << "";
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
        QFETCH(int, rule);
        QFETCH(QString, head0);
        QFETCH(QString, head3);
        m->NameRule = int16_t(startRule);
        m->HeadName[0] = "old";
        Dialog1 d(*m, m_form.get());
        d.show();
        if (startRule == 2)
            d.Text2[0]->setText("new");
        for (int r : clicks)
            QTest::mouseClick(d.Option1[r], Qt::LeftButton);
        QCOMPARE(d.Text2[0]->isEnabled(), d.Option1[2]->isChecked());
        ModalCatcher c;
        (ok ? d.OKButton : d.CancelButton)->click();
        QVERIFY(c.seen.isEmpty());
        QCOMPARE(int(m->NameRule), rule);
        QCOMPARE(m->HeadName[0], head0);
        QCOMPARE(m->HeadName[3], head3);
    }

    void unusableHeadNameRefusedFirst()
    {
        m->NameRule = 2;
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text2[4]->setText("a/b");
        d.Text1[1]->setText(m_root + "/not-yet");
        ModalCatcher c;
        d.OKButton->click();
        QCOMPARE(c.seen.size(), 1);
        QVERIFY(c.seen[0].text.startsWith("フォルダ４のヘッドネーム"));
        QVERIFY(d.isVisible());
        QCOMPARE(m->HeadName[4], QString());
        QVERIFY(!QFileInfo::exists(m_root + "/not-yet"));
    }

    void folderButtonTakesTheFolderList()
    {
        Dialog1 d(*m, m_form.get());
        touch(m_root + "/d3/noext");
        QVERIFY(d.Dir1->setPath(m_root + "/d3"));
        QCOMPARE(d.File1->entries(), QStringList { "noext" }); // every file, not only pictures
        QTest::mouseClick(d.Command1[10], Qt::LeftButton);
        QCOMPARE(d.Text1[10]->text(), m_root + "/d3");
    }

    // The stored delete folder is emptied, not the one being typed.
    void bulkDelete_data()
    {
        QTest::addColumn<bool>("withSeparator"); // false: from a hand-edited settings file
        QTest::addColumn<bool>("cancel");
        QTest::newRow("stored by the dialog") << true << false;
        QTest::newRow("from a hand-edited file") << false << false;
        QTest::newRow("cancelled") << true << true;
    }
    void bulkDelete()
    {
        QFETCH(bool, withSeparator);
        QFETCH(bool, cancel);
        const QString del = m_root + "/trash";
        QVERIFY(QDir().mkpath(del + "/sub"));
        for (const char* n : { "a.jpg", ".hidden", "sub/inner.jpg" })
            touch(del + "/" + n);
        touch(m_root + "/d4/keep.jpg");
        m->DestPath[10] = withSeparator ? del + "/" : del;
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text1[10]->setText(m_root + "/d4");
        ModalCatcher c;
        if (cancel)
            c.answers = { QMessageBox::Cancel };
        d.Command2->click();
        QStringList expected { m->DestPath[10] + "フォルダのファイルをすべてを削除しますか?" };
        if (cancel)
            expected << "キャンセルされました。";
        QCOMPARE(c.texts(), expected);
        QCOMPARE(c.seen[0].title, QString("ピラポくん"));
        QCOMPARE(QFile::exists(del + "/a.jpg"), cancel);
        QVERIFY(QFile::exists(del + "/.hidden") && QFile::exists(del + "/sub/inner.jpg"));
        QVERIFY(QFile::exists(m_root + "/d4/keep.jpg"));
        QVERIFY(d.isVisible());
    }
};

QTEST_MAIN(TestDialog1)
#include "test_dialog1.moc"
