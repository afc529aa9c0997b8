#include "about/AboutDialog.h"
#include "about/AboutInfo.h"
#include "widgets/Message.h"
#include "widgets/WindowFit.h"
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setMouseTracking(true);

    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("iconLabel"));
    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_versionLabel = new QLabel(this);
    m_versionLabel->setObjectName(QStringLiteral("versionLabel"));
    m_descriptionLabel = new QLabel(AboutInfo::description(), this);
    m_descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    m_homepageLink = new QLabel(AboutInfo::homepage(), this);
    m_homepageLink->setObjectName(QStringLiteral("homepageLink"));
    auto* line = new QFrame(this);
    m_sysInfoButton = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    m_sysInfoButton->setObjectName(QStringLiteral("sysInfoButton"));
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));

    const int iconSide = fontMetrics().height() * 2 + 4;
    m_iconLabel->setFixedSize(iconSide, iconSide);
    auto* text = new QVBoxLayout;
    text->addWidget(m_titleLabel);
    text->addWidget(m_versionLabel);
    text->addWidget(m_descriptionLabel);
    text->addWidget(m_homepageLink);
    auto* top = new QHBoxLayout;
    top->addWidget(m_iconLabel, 0, Qt::AlignTop);
    top->addSpacing(fontMetrics().height());
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_sysInfoButton);
    buttons->addWidget(m_okButton);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(line);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough that the description wraps only where it must.
    m_descriptionLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 50);

    const QIcon icon(QStringLiteral(":/icons/app.png"));
    m_iconLabel->setPixmap(icon.pixmap(m_iconLabel->size()));
    QFont titleFont = m_titleLabel->font();
    titleFont.setPointSizeF(14);
    titleFont.setBold(true);
    m_titleLabel->setFont(titleFont);
    m_descriptionLabel->setWordWrap(true);
    m_descriptionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_descriptionLabel->setMouseTracking(true);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QFont linkFont = m_homepageLink->font();
    linkFont.setUnderline(true);
    m_homepageLink->setFont(linkFont);
    m_homepageLink->setCursor(Qt::PointingHandCursor);
    m_homepageLink->setMouseTracking(true);
    m_homepageLink->setToolTip(AboutInfo::homepage());
    m_homepageLink->installEventFilter(this);
    m_descriptionLabel->installEventFilter(this);

    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_sysInfoButton, &QPushButton::clicked, this, &AboutDialog::showSystemFacts);

    load();
    WindowFit::fitAndCentre(this);
}

void AboutDialog::setLinkLook(const QColor& color)
{
    QPalette pal = m_homepageLink->palette();
    pal.setColor(QPalette::WindowText, color);
    m_homepageLink->setPalette(pal);
    QFont font = m_homepageLink->font();
    font.setPointSizeF(10);
    m_homepageLink->setFont(font);
}

void AboutDialog::load()
{
    setWindowTitle(appTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    m_versionLabel->setText(AboutInfo::versionText(AboutInfo::programVersion()));
    m_titleLabel->setText(appTitle());
    showLinkAtRest();
}

void AboutDialog::openHomepage() { QDesktopServices::openUrl(QUrl(m_homepageLink->text())); }

void AboutDialog::showSystemFacts()
{
    // The system's own program where there is one; the facts Qt knows where there is none.
    const QString program = AboutInfo::findSysInfoProgram();
    if (!program.isEmpty() && QProcess::startDetached(program, {}))
        return;
    AboutInfo::ScreenFacts facts;
    if (const QScreen* sc = screen()) {
        facts.name = sc->name();
        facts.size = sc->geometry().size();
        facts.available = sc->availableGeometry().size();
        facts.scale = sc->devicePixelRatio();
        facts.dpi = qRound(sc->logicalDotsPerInch() * sc->devicePixelRatio());
    }
    auto* box = new QDialog(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QStringLiteral("ｼｽﾃﾑ情報"));
    auto* view = new QPlainTextEdit(AboutInfo::systemFacts(facts), box);
    view->setObjectName(QStringLiteral("systemFactsView"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics fm(view->font());
    int widest = 0;
    for (const QString& line : view->toPlainText().split(u'\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    view->setMinimumSize(widest + fm.height() * 2, fm.lineSpacing() * 9);
    auto* copy = new QPushButton(QStringLiteral("コピー"), box);
    auto* close = new QPushButton(QStringLiteral("閉じる"), box);
    close->setDefault(true);
    connect(copy, &QPushButton::clicked, box, [view] { QGuiApplication::clipboard()->setText(view->toPlainText()); });
    connect(close, &QPushButton::clicked, box, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(box);
    column->addWidget(view);
    column->addLayout(buttons);
    WindowFit::fitAndCentre(box);
    box->show();
}

void AboutDialog::reject() { close(); }

void AboutDialog::closeEvent(QCloseEvent* e)
{
    emit closed();
    e->accept();
}

void AboutDialog::mouseMoveEvent(QMouseEvent* e)
{
    showLinkAtRest();
    QDialog::mouseMoveEvent(e);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_homepageLink) {
        switch (e->type()) {
        case QEvent::MouseMove:
            showLinkHovered();
            return true;
        case QEvent::Leave:
            // The link is purple only while the mouse is over it, also when the mouse
            // leaves it straight out of the window.
            showLinkAtRest();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true; // a press on the link is the link's, not the box's
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && m_homepageLink->rect().contains(me->position().toPoint()))
                openHomepage();
            return true;
        }
        default:
            break;
        }
    } else if (watched == m_descriptionLabel && e->type() == QEvent::MouseMove) {
        showLinkAtRest();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
