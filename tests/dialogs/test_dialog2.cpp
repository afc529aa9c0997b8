#include "ModalCatcher.h"
#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "dialogs/Dialog2.h"
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestDialog2 : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    std::unique_ptr<Module1> m;
    std::unique_ptr<Form1> m_form;

    static int checkedEntry(const QList<QRadioButton*>& group)
    {
        for (int i = 0; i < group.size(); ++i)
            if (group[i]->isChecked())
                return i;
        return -1;
    }
    // On the box itself: the middle of a wide check box is past its caption.
    static void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }
    static QList<QRadioButton*> sizes(const Dialog2& d) { return { d.Option1.begin(), d.Option1.end() }; }
    static QList<QRadioButton*> counts(const Dialog2& d) { return { d.Option2.begin(), d.Option2.end() }; }

private slots:
    void init()
    {
        QFile::remove(m_app.filePath("Pirapo.ini"));
        m = std::make_unique<Module1>();
        m->AppPath = m_app.path();
        m_form = std::make_unique<Form1>(*m); // no settings file: the defaults
    }
    void cleanup()
    {
        m_form.reset();
        m.reset();
    }

    void opensAtItsPlace()
    {
        Dialog2 d(*m, m_form.get());
        QCOMPARE(d.windowTitle(), QString("オプション"));
        const QPoint corner = m_form->screen()->geometry().topLeft();
        QCOMPARE(d.geometry(), QRect(corner + QPoint(184, 250), QSize(402, 275))); // twips 2760, 3750; 6030 x 4125
        QCOMPARE(d.Option1[4]->parentWidget(), static_cast<QWidget*>(d.Frame1));
        QCOMPARE(d.Option1[4]->geometry(), QRect(8, 80, 129, 17));
        QCOMPARE(d.Text1->geometry(), QRect(296, 14, 41, 18));
        QCOMPARE(d.Option2[0]->text(), QString("　　　５枚"));
        QCOMPARE(d.Option1[2]->text(), QString("　　１２８ｘ１２８"));
    }

    void defaultSettingsShown()
    {
        Dialog2 d(*m, m_form.get());
        QCOMPARE(checkedEntry(sizes(d)), 1);
        QCOMPARE(d.Option1[1]->text(), QString("　　６４ｘ６４"));
        QCOMPARE(checkedEntry(counts(d)), 1);
        QCOMPARE(d.Option2[1]->text(), QString("　　１０枚"));
        QCOMPARE(d.Text1->text(), QString("1"));
        QVERIFY(!d.Check1->isChecked() && !d.Check2->isChecked() && !d.Check3->isChecked());
    }

    void valuesNoEntryShowsAreKept()
    {
        m->ThumbSize = 100;
        m->ThumbCount = 7;
        Dialog2 d(*m, m_form.get());
        d.show();
        QCOMPARE(checkedEntry(sizes(d)), -1);
        QCOMPARE(checkedEntry(counts(d)), -1);
        d.OKButton->click();
        QCOMPARE(int(m->ThumbSize), 100);
        QCOMPARE(int(m->ThumbCount), 7);
    }

    void okStoresTheChosenEntries()
    {
        Dialog2 d(*m, m_form.get());
        d.show();
        QTest::mouseClick(d.Option1[3], Qt::LeftButton);
        QTest::mouseClick(d.Option2[5], Qt::LeftButton);
        QCOMPARE(checkedEntry(sizes(d)), 3); // one group per frame
        d.OKButton->click();
        QCOMPARE(int(m->ThumbSize), 256);
        QCOMPARE(int(m->ThumbCount), 30);
    }

    void cancelDiscardsSizeCountAndInterval()
    {
        Dialog2 d(*m, m_form.get());
        d.show();
        d.Option1[4]->click();
        d.Option2[0]->click();
        d.Text1->setText("9");
        d.CancelButton->click();
        QCOMPARE(int(m->ThumbSize), 64);
        QCOMPARE(int(m->ThumbCount), 10);
        QCOMPARE(int(m->SlideSeconds), 1);
    }

    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // 0: refused
        QTest::newRow("2.5 gives 2") << "2.5" << 2;
        QTest::newRow("3.5 gives 4") << "3.5" << 4;
        QTest::newRow("32") << "32" << 32;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-2" << 0;
        QTest::newRow("above 32") << "33" << 0;
    }
    void interval()
    {
        QFETCH(QString, text);
        QFETCH(int, stored);
        Dialog2 d(*m, m_form.get());
        d.show();
        d.Text1->setText(text);
        d.Option1[0]->click();
        ModalCatcher c;
        d.OKButton->click();
        if (stored) {
            QVERIFY(c.seen.isEmpty());
            QCOMPARE(int(m->SlideSeconds), stored);
            QCOMPARE(int(m->ThumbSize), 32);
            QCOMPARE(d.result(), int(QDialog::Accepted));
        } else {
            QCOMPARE(c.seen.size(), 1);
            QVERIFY(c.seen[0].text.contains("スライドショーの表示時間"));
            QVERIFY(d.isVisible());
            QCOMPARE(int(m->SlideSeconds), 1);
            QCOMPARE(int(m->ThumbSize), 64); // nothing stored before the interval is usable
        }
    }

    void copyModeSurvivesCancel()
    {
        Dialog2 d(*m, m_form.get());
        d.show();
        QVERIFY(!m_form->Timer1->isActive());
        clickBox(d.Check3);
        QCOMPARE(int(m->CopyMode), 1);
        d.CancelButton->click();
        QCOMPARE(int(m->CopyMode), 1);
        QVERIFY(m_form->Timer1->isActive());
        QCOMPARE(m_form->Timer1->interval(), 500);
    }

    void openingInCopyModeRestartsTheBlink()
    {
        m->CopyMode = 1;
        m->RememberFolder = 1;
        m->SlideRepeat = 1;
        m_form->setBlinkInterval(0);
        Dialog2 d(*m, m_form.get());
        QVERIFY(d.Check1->isChecked() && d.Check2->isChecked() && d.Check3->isChecked());
        QVERIFY(m_form->Timer1->isActive());
        QCOMPARE(m_form->Timer1->interval(), 500);
    }

    void checkBoxesWriteThrough()
    {
        {
            Dialog2 d(*m, m_form.get());
            d.show();
            clickBox(d.Check1);
            clickBox(d.Check2);
            QCOMPARE(int(m->RememberFolder), 1);
            QCOMPARE(int(m->SlideRepeat), 1);
            d.CancelButton->click();
        }
        QCOMPARE(int(m->RememberFolder), 1);
        {
            Dialog2 d(*m, m_form.get());
            QVERIFY(d.Check2->isChecked());
            d.show();
            clickBox(d.Check2);
            d.OKButton->click();
        }
        QCOMPARE(int(m->SlideRepeat), 0);
        Dialog2 again(*m, m_form.get());
        QVERIFY(!again.Check2->isChecked());
        QVERIFY(again.Check1->isChecked());
    }

    void copyModeLabelBlinks()
    {
        m_form->show();
        QWidget* label = m_form->Label2;
        {
            Dialog2 d(*m, m_form.get());
            d.show();
            d.Check3->click();
            d.OKButton->click();
        }
        QVERIFY(label->isVisible());
        QCOMPARE(m_form->Timer1->interval(), 500);
        m_form->Timer1_Timer();
        QVERIFY(!label->isVisible());
        m_form->Timer1_Timer();
        QVERIFY(label->isVisible());

        // Off and ｷｬﾝｾﾙ: the blinking stops with the label as it was.
        {
            Dialog2 d(*m, m_form.get());
            d.show();
            d.Check3->click();
            d.CancelButton->click();
        }
        QCOMPARE(int(m->CopyMode), 0);
        QVERIFY(!m_form->Timer1->isActive());
        QVERIFY(label->isVisible());

        // On again, then off with OK: the label goes.
        {
            Dialog2 d(*m, m_form.get());
            d.show();
            d.Check3->click();
            QVERIFY(m_form->Timer1->isActive());
            d.Check3->click();
            d.OKButton->click();
        }
        QVERIFY(!m_form->Timer1->isActive());
        QVERIFY(!label->isVisible());
    }

    void menuCommandsAreModalAndWaitForTheBoard()
    {
        ModalCatcher c;
        QStringList opened;
        c.onModal = [&](QWidget* w) {
            opened << w->metaObject()->className();
            QVERIFY(w->isModal());
            QVERIFY(w == m_form->dialog1 || w == m_form->dialog2);
            qobject_cast<QDialog*>(w)->reject();
        };
        m->BoardBusy = 1;
        m_form->mnuOpt2_Click();
        m_form->mnuOpt3_Click();
        QVERIFY(opened.isEmpty());

        m->BoardBusy = 0;
        m_form->mnuOpt2_Click();
        m_form->mnuOpt3_Click();
        QCOMPARE(opened, (QStringList { "Dialog2", "Dialog1" }));
        QVERIFY(!m_form->dialog1 && !m_form->dialog2);
    }

    void viewerOpensOptionsWithoutBlocking()
    {
        QWidget viewer;
        m_form->ShowOptionsModeless(&viewer);
        QPointer<QWidget> first = m_form->dialog2;
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QVERIFY(!first->isModal());
        QCOMPARE(first->parentWidget(), &viewer);
        m_form->ShowOptionsModeless(&viewer);
        QCOMPARE(m_form->dialog2.data(), first.data());
        QCOMPARE(viewer.findChildren<Dialog2*>().size(), 1);

        // The main window's shut-down closes it.
        m_form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
    }
};

QTEST_MAIN(TestDialog2)
#include "test_dialog2.moc"
