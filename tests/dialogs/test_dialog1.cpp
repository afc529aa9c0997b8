#include "ModalCatcher.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "dialogs/Dialog1.h"
#include "platform/FolderControls.h"
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

static void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

static bool dirListShows(const DirList* list, const QString& path)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->toolTip() == path)
            return true;
    return false;
}

class TestDialog1 : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<Module1> m;
    std::unique_ptr<Form1> m_form;
    QString m_root; // the test's own folder tree

    // Eleven existing destination folders, so OK has nothing to create unless a test
    // types a new path.
    void setExistingDestinations()
    {
        for (int k = 0; k <= 10; ++k) {
            const QString d = m_root + QString("/d%1/").arg(k);
            QVERIFY(QDir().mkpath(d));
            m->DestPath[k] = d;
        }
        SettingsStore::computeDestNames(*m);
    }

private slots:
    void init()
    {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_root = m_tmp->path();
        m = std::make_unique<Module1>();
        m->AppPath = m_app.path();
        m_form = std::make_unique<Form1>(*m);
        setExistingDestinations();
    }
    void cleanup()
    {
        m_form.reset();
        m.reset();
        m_tmp.reset();
    }

    void geometryAndCentring()
    {
        Dialog1 d(*m, m_form.get());
        QCOMPARE(d.windowTitle(), QString("移動先フォルダのパス設定"));
        QCOMPARE(d.size(), QSize(402, 647)); // 6030 x 9705 twips
        const QPoint centre = m_form->screen()->geometry().center();
        QVERIFY((d.geometry().center() - centre).manhattanLength() <= 1);
        // Frame children sit relative to the frame.
        QCOMPARE(d.Option1[2]->parentWidget(), static_cast<QWidget*>(d.Frame1));
        QCOMPARE(d.Option1[2]->geometry(), QRect(8, 48, 217, 17));
        QCOMPARE(d.Text3[1]->geometry(), QRect(304, 32, 65, 18));
        QCOMPARE(d.Command1[9]->text(), QString("フォルダ９"));
        QCOMPARE(d.Command1[9]->toolTip(),
            QString("現在ファイルシステムで表示されているフォルダをフォルダ９に入力します。"));
        QCOMPARE(d.Text1[3]->toolTip(), QString("フォルダ３のフルパスです。"));
        QCOMPARE(d.Command1[10]->geometry(), QRect(8, 608, 81, 25));
        QCOMPARE(d.Text2[9]->geometry(), QRect(96, 584, 297, 18));
    }

    void typedPathGetsSeparatorAndIsCreated()
    {
        QVERIFY(m_form->Dir1->setPath(m_root));
        const QString typed = m_root + "/Sort/Cats";
        {
            Dialog1 d(*m, m_form.get());
            d.show();
            d.Text1[3]->setText(typed);
            ModalCatcher c;
            bool existedAtMessage = true;
            c.onShown = [&](const QString&) { existedAtMessage = QFileInfo::exists(typed); };
            d.OKButton->click();
            QCOMPARE(c.texts(), QStringList { typed + "/を作成します。" });
            QCOMPARE(c.seen[0].title, QString("ピラポくんLumo"));
            QVERIFY(!existedAtMessage);
            QVERIFY(QFileInfo(typed).isDir());
            QCOMPARE(m->DestPath[3], typed + "/");
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QVERIFY(!d.isVisible());
            // The main window's folder list was told to re-read.
            QVERIFY(dirListShows(m_form->Dir1, m_root + "/Sort"));
        }
        Dialog1 again(*m, m_form.get());
        QCOMPARE(again.Text1[3]->text(), typed + "/");
    }

    void twoMissingFoldersInFolderOrder()
    {
        const QString first = m_root + "/new/a/b/c/"; // nested parents, one step
        const QString second = m_root + "/other/";
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text1[7]->setText(second);
        d.Text1[2]->setText(first);
        ModalCatcher c;
        QList<bool> firstExisted, secondExisted;
        c.onShown = [&](const QString&) {
            firstExisted << QFileInfo::exists(first);
            secondExisted << QFileInfo::exists(second);
        };
        d.OKButton->click();
        QCOMPARE(c.texts(), (QStringList { first + "を作成します。", second + "を作成します。" }));
        QCOMPARE(firstExisted, (QList<bool> { false, true }));
        QCOMPARE(secondExisted, (QList<bool> { false, false }));
        QVERIFY(QFileInfo(first).isDir() && QFileInfo(second).isDir());
        QCOMPARE(m->DestPath[2], first);
        QCOMPARE(m->DestPath[7], second);
    }

    void emptiedFieldIsTheRoot()
    {
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text1[5]->clear();
        ModalCatcher c;
        d.OKButton->click();
        QVERIFY(c.seen.isEmpty());
        QCOMPARE(m->DestPath[5], QString("/"));
        QCOMPARE(d.Text1[5]->text(), QString("/"));
    }

    void unusablePathKeepsTheDialogAndStoresNothing_data()
    {
        QTest::addColumn<QString>("relative"); // under the test's folder, or as typed when absolute is false
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<int>("messages");
        QTest::newRow("a file of that name") << "/afile" << true << 1;
        QTest::newRow("under a file") << "/afile/sub" << true << 2; // announced, then cannot be made
        QTest::newRow("relative path") << "relative/dir" << false << 1;
    }
    void unusablePathKeepsTheDialogAndStoresNothing()
    {
        QFETCH(QString, relative);
        QFETCH(bool, absolute);
        QFETCH(int, messages);
        touch(m_root + "/afile");
        const QString bad = absolute ? m_root + relative : relative;
        const auto before = m->DestPath;
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text1[0]->setText(m_root + "/fine"); // would be created, but comes first
        d.Text1[4]->setText(bad);
        d.Text3[0]->setText("99");
        d.Option1[1]->click();
        ModalCatcher c;
        d.OKButton->click();
        QCOMPARE(c.seen.size(), messages + 1); // "/fine" is announced first
        QVERIFY(c.seen.last().text.contains(bad + "/"));
        QVERIFY(d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(m->DestPath, before);
        QCOMPARE(int(m->NameRule), 0);
        QCOMPARE(m->Serial[0], 0);
        QVERIFY(!QFileInfo::exists("relative"));
    }

    void serialFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("stored");
        QTest::newRow("12a") << "12a" << false << 12;
        QTest::newRow("abc") << "abc" << false << 0;
        QTest::newRow("1234567") << "1234567" << false << 1234567;
        QTest::newRow("leading blanks") << "  42" << false << 42;
        QTest::newRow("2.5") << "2.5" << false << 2;
        QTest::newRow("3.5") << "3.5" << false << 4;
        QTest::newRow("negative") << "-5" << true << 0;
        QTest::newRow("beyond 32 bits") << "2147483648" << true << 0;
    }
    void serialFields()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
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
        if (refused) {
            QCOMPARE(c.seen.size(), 1);
            QVERIFY(d.isVisible());
            QCOMPARE(m->Serial, (std::array<int32_t, 3> { 5, 6, 7 }));
        } else {
            QVERIFY(c.seen.isEmpty());
            QCOMPARE(m->Serial, (std::array<int32_t, 3> { 5, stored, 7 }));
        }
    }

    void cancelAfterAnotherRuleLeavesNameRule()
    {
        m->NameRule = 0;
        m->HeadName[2] = "old";
        Dialog1 d(*m, m_form.get());
        d.show();
        QVERIFY(!d.Text2[0]->isEnabled());
        QTest::mouseClick(d.Option1[2], Qt::LeftButton);
        QCOMPARE(d.chosenRule(), 2);
        QVERIFY(d.Text2[0]->isEnabled());
        d.Text2[2]->setText("new");
        d.CancelButton->click();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(int(m->NameRule), 0);
        QCOMPARE(m->HeadName[2], QString("old"));
    }

    void headNamesAreStoredOnlyUnderRuleTwo()
    {
        m->NameRule = 2;
        m->HeadName[0] = "old";
        Dialog1 d(*m, m_form.get());
        d.show();
        QCOMPARE(d.Text2[0]->text(), QString("old"));
        d.Text2[0]->setText("new");
        d.Option1[1]->click();
        QCOMPARE(d.Text2[0]->text(), m->DestName[0]);
        ModalCatcher c;
        d.OKButton->click();
        QVERIFY(c.seen.isEmpty());
        QCOMPARE(int(m->NameRule), 1);
        QCOMPARE(m->HeadName[0], QString("old"));
    }

    void clickingTheRuleAlreadyOnKeepsEdits()
    {
        m->NameRule = 2;
        m->HeadName[0] = "old";
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text2[0]->setText("new");
        QTest::mouseClick(d.Option1[2], Qt::LeftButton);
        QCOMPARE(d.Text2[0]->text(), QString("new"));
    }

    void ruleChangesCarryFieldsOver_data()
    {
        QTest::addColumn<int>("startRule");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("folderNamesKept");
        QTest::newRow("rule 1 then 2") << 1 << QList<int> { 2 } << true;
        QTest::newRow("rule 0 then 2") << 0 << QList<int> { 2 } << false;
        QTest::newRow("rule 1, 0, then 2") << 1 << QList<int> { 0, 2 } << false;
    }
    void ruleChangesCarryFieldsOver()
    {
        QFETCH(int, startRule);
        QFETCH(QList<int>, clicks);
        QFETCH(bool, folderNamesKept);
        m->NameRule = int16_t(startRule);
        m->HeadName[6] = "trip"; // a head name of its own always shows under rule 2
        Dialog1 d(*m, m_form.get());
        d.show();
        for (int r : clicks)
            QTest::mouseClick(d.Option1[r], Qt::LeftButton);
        QVERIFY(d.Option1[2]->isChecked());
        ModalCatcher c;
        d.OKButton->click();
        QVERIFY(c.seen.isEmpty());
        QCOMPARE(int(m->NameRule), 2);
        for (int k = 0; k < 10; ++k) {
            const QString expected = k == 6 ? QString("trip") : folderNamesKept ? QString("d%1").arg(k) : QString();
            QCOMPARE(m->HeadName[k], expected);
        }
    }

    void unusableHeadNameIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("separator") << "a/b";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("nul") << QString("a") + QChar(0);
    }
    void unusableHeadNameIsRefused()
    {
        QFETCH(QString, name);
        m->NameRule = 2;
        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text2[4]->setText(name);
        d.Text1[1]->setText(m_root + "/not-yet");
        ModalCatcher c;
        d.OKButton->click();
        QCOMPARE(c.seen.size(), 1);
        QVERIFY(c.seen[0].text.startsWith("フォルダ４のヘッドネーム"));
        QVERIFY(d.isVisible());
        QCOMPARE(m->HeadName[4], QString());
        QVERIFY(!QFileInfo::exists(m_root + "/not-yet")); // refused before any folder is made
    }

    void fillButtonTakesTheFolderList()
    {
        Dialog1 d(*m, m_form.get());
        QVERIFY(d.Dir1->setPath(m_root + "/d3"));
        touch(m_root + "/d3/noext");
        d.Dir1->setPath(m_root + "/d3");
        QCOMPARE(d.File1->entries(), QStringList { "noext" }); // every file, not only pictures
        QTest::mouseClick(d.Command1[10], Qt::LeftButton);
        QCOMPARE(d.Text1[10]->text(), m_root + "/d3");
    }

    void bulkDeleteEmptiesTheStoredDeleteFolder_data()
    {
        QTest::addColumn<bool>("storedWithSeparator");
        QTest::newRow("stored by the dialog") << true;
        QTest::newRow("from a hand-edited file") << false;
    }
    void bulkDeleteEmptiesTheStoredDeleteFolder()
    {
        QFETCH(bool, storedWithSeparator);
        const QString del = m_root + "/trash";
        QVERIFY(QDir().mkpath(del + "/sub"));
        for (const char* n : { "a.jpg", "README", ".hidden", "sub/inner.jpg" })
            touch(del + "/" + n);
        touch(del + "/ro.jpg");
        QVERIFY(QFile::setPermissions(del + "/ro.jpg", QFileDevice::ReadOwner));
        touch(m_root + "/d4/keep.jpg");
        m->DestPath[10] = storedWithSeparator ? del + "/" : del;

        Dialog1 d(*m, m_form.get());
        d.show();
        d.Text1[10]->setText(m_root + "/d4"); // not yet stored: not the folder emptied
        ModalCatcher c;
        d.Command2->click();
        QCOMPARE(c.texts(), QStringList { m->DestPath[10] + "フォルダのファイルをすべてを削除しますか?" });
        QCOMPARE(c.seen[0].title, QString("ピラポくん"));
        QCOMPARE(QDir(del).entryList(QDir::Files | QDir::Hidden), QStringList { ".hidden" });
        QVERIFY(QFile::exists(del + "/sub/inner.jpg"));
        QVERIFY(QFile::exists(m_root + "/d4/keep.jpg"));
        QVERIFY(d.isVisible());
    }

    void bulkDeleteCancelled()
    {
        const QString del = m_root + "/d10/";
        touch(del + "a.jpg");
        Dialog1 d(*m, m_form.get());
        d.show();
        ModalCatcher c;
        c.answers = { QMessageBox::Cancel };
        d.Command2->click();
        QCOMPARE(
            c.texts(), (QStringList { del + "フォルダのファイルをすべてを削除しますか?", "キャンセルされました。" }));
        QCOMPARE(c.seen[1].title, QString("ピラポくんLumo"));
        QVERIFY(QFile::exists(del + "a.jpg"));
    }
};

QTEST_MAIN(TestDialog1)
#include "test_dialog1.moc"
