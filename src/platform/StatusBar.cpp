#include "platform/StatusBar.h"
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLocale>

#if defined(LUMO_HAVE_X11)
#include <X11/XKBlib.h>
#include <QtGui/qguiapplication_platform.h>
static unsigned x11Indicators()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return 0;
    unsigned state = 0;
    if (XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) != Success)
        return 0;
    return state;
}
bool capsLockOn() { return x11Indicators() & 0x01; }
bool numLockOn() { return x11Indicators() & 0x02; }
#elif defined(Q_OS_WIN)
#include <windows.h>
bool capsLockOn() { return GetKeyState(VK_CAPITAL) & 1; }
bool numLockOn() { return GetKeyState(VK_NUMLOCK) & 1; }
#else
bool capsLockOn() { return false; }
bool numLockOn() { return false; }
#endif

StatusBar::StatusBar(const QVector<PanelSpec>& panels, QWidget* parent)
    : QFrame(parent)
    , m_specs(panels)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);
    for (const PanelSpec& panelDesc : panels) {
        auto* label = new QLabel(panelDesc.text, this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setToolTip(panelDesc.toolTip);
        label->setMinimumWidth(panelDesc.minWidth);
        label->setTextFormat(Qt::PlainText);
        if (panelDesc.kind == Kind::Caps)
            label->setText(QStringLiteral("CAPS"));
        else if (panelDesc.kind == Kind::Num)
            label->setText(QStringLiteral("NUM"));
        if (panelDesc.kind != Kind::Text)
            label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label, panelDesc.stretch ? 1 : 0);
        m_labels << label;
    }
    updateIndicators();
    connect(&m_clock, &QTimer::timeout, this, &StatusBar::updateIndicators);
    m_clock.start(1000);
}

QLabel* StatusBar::panel(int panel) const
{
    return panel >= 1 && panel <= m_labels.size() ? m_labels[panel - 1] : nullptr;
}

QString StatusBar::panelText(int p) const
{
    const QLabel* l = panel(p);
    return l ? l->text() : QString();
}

void StatusBar::setPanelText(int p, const QString& text)
{
    if (QLabel* l = panel(p))
        l->setText(text);
}

void StatusBar::updateIndicators()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    for (int i = 0; i < m_labels.size(); ++i) {
        QLabel* l = m_labels[i];
        switch (m_specs[i].kind) {
        case Kind::Caps:
            l->setEnabled(capsLockOn()); // greyed when off
            break;
        case Kind::Num:
            l->setEnabled(numLockOn());
            break;
        case Kind::Date:
            // The C locale's short form is "d MMM yyyy"; the year-first form reads better here.
            l->setText(locale.language() == QLocale::C ? now.date().toString(QStringLiteral("yyyy/MM/dd"))
                                                       : locale.toString(now.date(), QLocale::ShortFormat));
            break;
        case Kind::Time:
            l->setText(now.time().toString(QStringLiteral("HH:mm")));
            break;
        case Kind::Text:
            break;
        }
    }
}
