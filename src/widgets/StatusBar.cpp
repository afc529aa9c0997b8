#include "widgets/StatusBar.h"
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLocale>

#if defined(LUMO_HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
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

namespace {

// A text panel that shows as much of its text as fits, cut in the middle ("…"), with the
// whole text as its tool tip while cut.
class ElidedPanel : public QLabel {
public:
    explicit ElidedPanel(QWidget* parent)
        : QLabel(parent)
    {
    }
    QString fullText() const { return m_full; }
    void setFullText(const QString& text)
    {
        m_full = text;
        updateGeometry();
        elide();
    }
    QSize sizeHint() const override
    {
        const QMargins m = contentsMargins();
        return QSize(fontMetrics().horizontalAdvance(m_full) + m.left() + m.right() + 2 * margin() + 2,
            QLabel::sizeHint().height());
    }
    QSize minimumSizeHint() const override { return QSize(minimumWidth(), QLabel::minimumSizeHint().height()); }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QLabel::resizeEvent(e);
        elide();
    }

private:
    void elide()
    {
        const QString shown = fontMetrics().elidedText(m_full, Qt::ElideMiddle, contentsRect().width() - 2 * margin());
        setText(shown);
        // The panel's own tip comes back once the whole text shows again.
        const bool cut = shown != m_full;
        if (cut && !m_cut)
            m_tip = toolTip();
        if (cut)
            setToolTip(m_full);
        else if (m_cut)
            setToolTip(m_tip);
        m_cut = cut;
    }
    QString m_tip;
    QString m_full;
    bool m_cut = false;
};

}

StatusBar::StatusBar(const QVector<PanelSpec>& panels, QWidget* parent)
    : QFrame(parent)
    , m_specs(panels)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);
    for (const PanelSpec& panelDesc : panels) {
        QLabel* label = panelDesc.kind == Kind::Text ? new ElidedPanel(this) : new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setToolTip(panelDesc.toolTip);
        label->setMinimumWidth(panelDesc.minWidth);
        label->setTextFormat(Qt::PlainText);
        if (auto* text = dynamic_cast<ElidedPanel*>(label))
            text->setFullText(panelDesc.text);
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
    if (const auto* text = dynamic_cast<const ElidedPanel*>(l))
        return text->fullText();
    return l ? l->text() : QString();
}

void StatusBar::setPanelText(int p, const QString& text)
{
    QLabel* l = panel(p);
    if (auto* cut = dynamic_cast<ElidedPanel*>(l))
        cut->setFullText(text);
    else if (l)
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
