// Every window and dialog on the screen the test runs on (see CMakeLists.txt: small,
// scaled and large screens): no control's text is wider than the control, no window is
// larger than the available screen.
#include "Fixture.h"
#include "app/FolderPage.h"
#include "app/MainWindow.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "platform/StatusBar.h"
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>

namespace {

QString withoutMnemonic(QString text) { return text.remove(QRegularExpression(QStringLiteral("&(?=[^&])"))); }

int widest(const QFontMetrics& fm, const QString& text)
{
    int w = 0;
    for (const QString& line : text.split(u'\n'))
        w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

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
        return { w->style()->subElementRect(element, &opt, w).width(), widest(fm, withoutMnemonic(b->text())) };
    }
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        return { w->width() - margin, widest(fm, withoutMnemonic(b->text())) + icon };
    }
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return { w->width(), fm.horizontalAdvance(withoutMnemonic(g->title())) + fm.height() };
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->pixmap().isNull())
        return { l->contentsRect().width() - 2 * l->margin(), widest(fm, l->text()) };
    return { -1, -1 };
}

struct Clipped {
    QStringList controls;
    QStringList windows;
    int checked = 0; // controls whose text was measured
};

void walk(QWidget* window, const QString& name, Clipped& found)
{
    QVERIFY(window->isVisible());
    const QRect room = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    if (frame.width() > room.width() || frame.height() > room.height())
        found.windows << QStringLiteral("%1 %2x%3 on %4x%5")
                             .arg(name)
                             .arg(frame.width())
                             .arg(frame.height())
                             .arg(room.width())
                             .arg(room.height());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        const auto [room, need] = roomAndNeed(w);
        found.checked += need >= 0 ? 1 : 0;
        if (need > room)
            found.controls << QStringLiteral("%1: %2 \"%3\" needs %4, has %5")
                                  .arg(name, QString::fromLatin1(w->metaObject()->className()),
                                      w->property("text").toString().isEmpty() ? w->property("title").toString()
                                                                               : w->property("text").toString())
                                  .arg(need)
                                  .arg(room);
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
        MainWindow w(s.settings, s.session, s.folder, s.sorter);
        QVERIFY(w.startedUp());
        w.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Clipped found;
        // The status panels' texts are long on purpose: they are cut to fit.
        w.statusBar().setPanelText(1, QString(300, u'長'));
        walk(&w, QStringLiteral("folder screen"), found);

        DestinationsDialog destinations(s.settings, &w);
        destinations.show();
        walk(&destinations, QStringLiteral("destinations"), found);
        destinations.close();
        OptionsDialog options(s.settings, s.session, &w);
        options.show();
        walk(&options, QStringLiteral("options"), found);
        options.close();
        w.openAbout();
        w.openUsage();
        w.openViewer(0, ViewerWindow::Mode::Full);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &w && top->isVisible())
                walk(top, QString::fromLatin1(top->metaObject()->className()), found);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &w && top->isVisible())
                top->close();

        w.openBoard();
        QTRY_VERIFY(w.onBoard() && !s.session.isBusy());
        walk(&w, QStringLiteral("board"), found);
        w.showNormal();
        walk(&w, QStringLiteral("board, not maximised"), found);

        const QString screen = QStringLiteral("%1x%2 at %3").arg(w.screen()->size().width()).arg(w.screen()->size().height()).arg(w.devicePixelRatioF());
        QVERIFY2(found.checked > 80, qPrintable(QString::number(found.checked)));
        QVERIFY2(found.controls.isEmpty(), qPrintable(screen + u'\n' + found.controls.join(u'\n')));
        QVERIFY2(found.windows.isEmpty(), qPrintable(screen + u'\n' + found.windows.join(u'\n')));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
