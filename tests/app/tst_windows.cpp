// Every window and dialog on the screen the test runs on (see CMakeLists.txt: small, scaled and large screens): no
// control's text is wider than the control, no window is larger than the available screen.
#include "Controls.h"
#include "Fixture.h"
#include "app/FolderPage.h"
#include "app/MainWindow.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "widgets/Message.h"
#include "widgets/StatusBar.h"
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>

namespace {

QString withoutMnemonic(QString text) { return text.remove(QLatin1Char('&')); }

// The room a control gives its text, and the width the text needs; -1 for controls whose
// text is not checked (wrapping labels, hidden ones).
std::pair<int, int> roomAndNeed(QWidget* w)
{
    const QFontMetrics fm(w->font());
    if (auto* box = qobject_cast<QCheckBox*>(w); box || qobject_cast<QRadioButton*>(w)) {
        auto* b = static_cast<QAbstractButton*>(w);
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        const auto element = box ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
        return { w->style()->subElementRect(element, &opt, w).width(),
            fm.horizontalAdvance(withoutMnemonic(b->text())) };
    }
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        return { w->width() - margin, fm.horizontalAdvance(withoutMnemonic(b->text())) + icon };
    }
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return { w->width(), fm.horizontalAdvance(withoutMnemonic(g->title())) + fm.height() };
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->pixmap().isNull())
        return { l->contentsRect().width() - 2 * l->margin(), fm.horizontalAdvance(l->text()) };
    return { -1, -1 };
}

struct Clipped {
    QStringList found; // what is clipped, and where
    int checked = 0; // controls whose text was measured
};

void walk(QWidget* window, const QString& name, Clipped& c)
{
    const QSize room = window->screen()->availableGeometry().size(), size = window->frameGeometry().size();
    if (room.expandedTo(size) != room)
        c.found << QStringLiteral("%1 is %2x%3").arg(name).arg(size.width()).arg(size.height());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        const auto [has, needs] = roomAndNeed(w);
        c.checked += needs >= 0 ? 1 : 0;
        const QString text = w->property("text").toString() + w->property("title").toString();
        if (needs > has)
            c.found << QStringLiteral("%1: \"%2\" needs %3, has %4").arg(name, text).arg(needs).arg(has);
    }
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void nothingClipped()
    {
        Fixture s;
        for (int i = 0; i < 3; ++i)
            Hostile::write(s.src(QStringLiteral("p%1.jpg").arg(i)), Hostile::wellFormed(Hostile::Format::Jpeg, {}, i));
        QVERIFY(SettingsFile::write(SettingsFile::path(s.session.programFolder()), s.settings, nullptr));
        MainWindow w(s.program);
        w.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Clipped found;
        // A status panel shows what fits, cut in the middle, with the whole text as its tip; short again, it shows it
        // whole with its own tip back.
        StatusBar* const bar = control<StatusBar>(&w, "mainStatusBar");
        const QString path = "/home/" + QString(300, u'長') + "/end";
        const auto folder = MainWindow::StatusPanel::Folder;
        bar->setPanelText(folder, path);
        QCOMPARE(bar->panelText(folder), path);
        QCOMPARE(bar->panel(folder)->text().left(6), QStringLiteral("/home/"));
        QVERIFY(bar->panel(folder)->text().endsWith(QStringLiteral("/end")));
        QCOMPARE(bar->panel(folder)->toolTip(), path);
        walk(&w, QStringLiteral("folder screen"), found);
        bar->setPanelText(folder, QStringLiteral("/tmp"));
        QCOMPARE(bar->panel(folder)->text(), QStringLiteral("/tmp"));
        QCOMPARE(bar->panel(folder)->toolTip(), QStringLiteral("選択されているフォルダ。"));

        (new DestinationsDialog(s.settings, &w))->show();
        (new OptionsDialog(s.settings, s.session, &w))->show();
        w.openAbout();
        w.openUsage();
        w.openViewer(0, ViewerWindow::Mode::Full);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &w && top->isVisible()) {
                walk(top, QString::fromLatin1(top->metaObject()->className()), found);
                top->close();
            }

        s.session.copyMode = true; // the badge shows on the board
        w.openBoard();
        QTRY_VERIFY(w.onBoard() && !s.session.isBusy());
        walk(&w, QStringLiteral("board"), found);
        w.showNormal();
        walk(&w, QStringLiteral("board, not maximised"), found);

        // A message box is as wide as its longest line: Japanese is never broken inside a word.
        const QString line = QStringLiteral(
            "スライドショーの表示時間は、オプションの画面で１秒から３２秒までの秒数で入力して下さい。");
        s.boxes.onShown = [&](const QString&) {
            auto* label = QApplication::activeModalWidget()->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            if (label->contentsRect().width() < label->fontMetrics().horizontalAdvance(line))
                found.found << QStringLiteral("message box: \"%1\" wraps").arg(line);
        };
        showMessage(&w, line + QStringLiteral("\n") + line.left(4), QMessageBox::Ok, QMessageBox::Warning);
        QVERIFY2(found.checked > 80, qPrintable(QString::number(found.checked)));
        QVERIFY2(found.found.isEmpty(), qPrintable(found.found.join(u'\n')));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
