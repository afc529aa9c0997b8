#include "about/AboutDialog.h"
#include "about/AboutInfo.h"
#include "widgets/Message.h"
#include "widgets/WindowFit.h"
#include <QCloseEvent>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setMouseTracking(true);

    iconLabel = new QLabel(this);
    titleLabel = new QLabel(this);
    versionLabel = new QLabel(this);
    descriptionLabel = new QLabel(AboutInfo::description(), this);
    homepageLink = new QLabel(AboutInfo::homepage(), this);
    auto* line = new QFrame(this);
    sysInfoButton = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    okButton = new QPushButton(QStringLiteral("OK"), this);

    const int iconSide = fontMetrics().height() * 2 + 4;
    iconLabel->setFixedSize(iconSide, iconSide);
    auto* text = new QVBoxLayout;
    text->addWidget(titleLabel);
    text->addWidget(versionLabel);
    text->addWidget(descriptionLabel);
    text->addWidget(homepageLink);
    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel, 0, Qt::AlignTop);
    top->addSpacing(fontMetrics().height());
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sysInfoButton);
    buttons->addWidget(okButton);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(line);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough that the description wraps only where it must.
    descriptionLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 50);

    const QIcon icon(QStringLiteral(":/icons/app.png"));
    iconLabel->setPixmap(icon.pixmap(iconLabel->size()));
    QFont titleFont = titleLabel->font();
    titleFont.setPointSizeF(14);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    descriptionLabel->setWordWrap(true);
    descriptionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    descriptionLabel->setMouseTracking(true);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QFont linkFont = homepageLink->font();
    linkFont.setUnderline(true);
    homepageLink->setFont(linkFont);
    homepageLink->setCursor(Qt::PointingHandCursor);
    homepageLink->setMouseTracking(true);
    homepageLink->setToolTip(AboutInfo::homepage());
    homepageLink->installEventFilter(this);
    descriptionLabel->installEventFilter(this);

    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(sysInfoButton, &QPushButton::clicked, this, &AboutDialog::showSystemFacts);

    load();
    WindowFit::fitAndCentre(this);
}

void AboutDialog::setLinkLook(const QColor& color)
{
    QPalette pal = homepageLink->palette();
    pal.setColor(QPalette::WindowText, color);
    homepageLink->setPalette(pal);
    QFont font = homepageLink->font();
    font.setPointSizeF(10);
    homepageLink->setFont(font);
}

void AboutDialog::load()
{
    setWindowTitle(appTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    versionLabel->setText(AboutInfo::versionText(AboutInfo::programVersion()));
    titleLabel->setText(appTitle());
    showLinkAtRest();
}

void AboutDialog::openHomepage() { QDesktopServices::openUrl(QUrl(homepageLink->text())); }

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
    systemFactsView = new QPlainTextEdit(AboutInfo::systemFacts(facts), box);
    systemFactsView->setReadOnly(true);
    systemFactsView->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics fm(systemFactsView->font());
    int widest = 0;
    for (const QString& line : systemFactsView->toPlainText().split(u'\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    systemFactsView->setMinimumSize(widest + fm.height() * 2, fm.lineSpacing() * 9);
    auto* copy = new QPushButton(QStringLiteral("コピー"), box);
    auto* close = new QPushButton(QStringLiteral("閉じる"), box);
    close->setDefault(true);
    connect(copy, &QPushButton::clicked, box, [this] { QGuiApplication::clipboard()->setText(systemFactsView->toPlainText()); });
    connect(close, &QPushButton::clicked, box, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(box);
    column->addWidget(systemFactsView);
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
    if (watched == homepageLink) {
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
            if (me->button() == Qt::LeftButton && homepageLink->rect().contains(me->position().toPoint()))
                openHomepage();
            return true;
        }
        default:
            break;
        }
    } else if (watched == descriptionLabel && e->type() == QEvent::MouseMove) {
        showLinkAtRest();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
