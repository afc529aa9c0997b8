#include "ModalCatcher.h"
#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "dialogs/Dialog2.h"
#include <QCheckBox>
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

    template <size_t N> static int checked(const std::array<QRadioButton*, N>& group)
    {
        for (size_t i = 0; i < N; ++i)
            if (group[i]->isChecked())
                return int(i);
        return -1;
    }
    // On the box itself: the middle of a wide check box is past its caption.
    static void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

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
        const QPoint corner = m_form->screen()->geometry().topLeft();
        QCOMPARE(d.geometry(), QRect(corner + QPoint(184, 250), QSize(402, 275))); // twips 2760, 3750; 6030 x 4125
    }

    void okStoresTheChosenEntries()
    {
        Dialog2 d(*m, m_form.get());
        d.show();
        QCOMPARE(checked(d.Option1), 1); // 64
        QCOMPARE(checked(d.Option2), 1); // 10
        QTest::mouseClick(d.Option1[3], Qt::LeftButton);
        QTest::mouseClick(d.Option2[5], Qt::LeftButton);
        QCOMPARE(checked(d.Option1), 3); // one group per frame
        d.OKButton->click();
        QCOMPARE(int(m->ThumbSize), 256);
        QCOMPARE(int(m->ThumbCount), 30);
    }

    void valuesNoEntryShowsAreKept()
    {
        m->ThumbSize = 100;
        m->ThumbCount = 7;
        Dialog2 d(*m, m_form.get());
        d.show();
        QCOMPARE(checked(d.Option1), -1);
        QCOMPARE(checked(d.Option2), -1);
        d.OKButton->click();
        QCOMPARE(int(m->ThumbSize), 100);
        QCOMPARE(int(m->ThumbCount), 7);
    }

    // Nothing is stored until the interval is usable, and Cancel stores nothing.
    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("stored"); // 0: refused or cancelled
        QTest::newRow("3.5 gives 4") << "3.5" << false << 4;
        QTest::newRow("above 32") << "33" << false << 0;
        QTest::newRow("cancelled") << "9" << true << 0;
    }
    void interval()
    {
        QFETCH(QString, text);
        QFETCH(bool, cancel);
        QFETCH(int, stored);
        Dialog2 d(*m, m_form.get());
        d.show();
        QCOMPARE(d.Text1->text(), QString("1"));
        d.Text1->setText(text);
        d.Option1[0]->click();
        d.Option2[0]->click();
        ModalCatcher c;
        (cancel ? d.CancelButton : d.OKButton)->click();
        QCOMPARE(c.seen.size(), stored || cancel ? 0 : 1);
        if (!c.seen.isEmpty())
            QVERIFY(c.seen[0].text.contains("スライドショーの表示時間"));
        QCOMPARE(d.isVisible(), !stored && !cancel);
        QCOMPARE(int(m->SlideSeconds), stored ? stored : 1);
        QCOMPARE(int(m->ThumbSize), stored ? 32 : 64);
        QCOMPARE(int(m->ThumbCount), stored ? 5 : 10);
    }

    // The check boxes take effect at once, also when the dialog sets them on opening,
    // and ｷｬﾝｾﾙ keeps that effect.
    void checkBoxesWriteThrough()
    {
        {
            Dialog2 d(*m, m_form.get());
            d.show();
            clickBox(d.Check1);
            clickBox(d.Check2);
            clickBox(d.Check3);
            QCOMPARE(int(m->RememberFolder), 1);
            QCOMPARE(int(m->SlideRepeat), 1);
            QCOMPARE(int(m->CopyMode), 1);
            d.CancelButton->click();
        }
        QCOMPARE(int(m->RememberFolder) + m->SlideRepeat + m->CopyMode, 3);
        QVERIFY(m_form->Timer1->isActive());
        m_form->setBlinkInterval(0);
        {
            Dialog2 d(*m, m_form.get());
            QVERIFY(d.Check1->isChecked() && d.Check2->isChecked() && d.Check3->isChecked());
            QCOMPARE(m_form->Timer1->interval(), 500); // the blinking starts again on opening
            QVERIFY(m_form->Timer1->isActive());
            d.show();
            clickBox(d.Check2);
            d.OKButton->click();
        }
        QCOMPARE(int(m->SlideRepeat), 0);
        QVERIFY(m->RememberFolder);
    }

    void copyModeLabelBlinks()
    {
        m_form->show();
        QWidget* label = m_form->Label2;
        auto toggleCopyMode = [&](QPushButton* Dialog2::*button) {
            Dialog2 d(*m, m_form.get());
            d.show();
            d.Check3->click();
            (d.*button)->click();
        };
        toggleCopyMode(&Dialog2::OKButton);
        QVERIFY(label->isVisible());
        QCOMPARE(m_form->Timer1->interval(), 500);
        m_form->Timer1_Timer();
        QVERIFY(!label->isVisible());
        m_form->Timer1_Timer();
        QVERIFY(label->isVisible());
        // Off and ｷｬﾝｾﾙ: the blinking stops with the label as it was.
        toggleCopyMode(&Dialog2::CancelButton);
        QCOMPARE(int(m->CopyMode), 0);
        QVERIFY(!m_form->Timer1->isActive());
        QVERIFY(label->isVisible());
        // On, then off with OK: the label goes.
        toggleCopyMode(&Dialog2::CancelButton);
        toggleCopyMode(&Dialog2::OKButton);
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
        QVERIFY(first && first->isVisible() && !first->isModal());
        QCOMPARE(first->parentWidget(), &viewer);
        m_form->ShowOptionsModeless(&viewer);
        QCOMPARE(m_form->dialog2.data(), first.data());
        // The main window's shut-down closes it.
        m_form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
    }
};

QTEST_MAIN(TestDialog2)
#include "test_dialog2.moc"
