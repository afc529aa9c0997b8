#include "about/AboutDialog.h"
#include "about/AboutInfo.h"
#include "platform/Message.h"
#include "platform/Twips.h"
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setMouseTracking(true);

    const TwipsPerPixel tpp = screenTwipsPerPixel();
    iconLabel = new QLabel(this);
    titleLabel = new QLabel(this);
    versionLabel = new QLabel(this);
    descriptionLabel = new QLabel(AboutInfo::description(), this);
    homepageLink = new QLabel(AboutInfo::homepage(), this);
    auto* line = new QFrame(this);
    sysInfoButton = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    okButton = new QPushButton(QStringLiteral("OK"), this);

    placeTwips(iconLabel, 240, 240, 540, 540, tpp);
    placeTwips(titleLabel, 1050, 240, 4440, 480, tpp);
    placeTwips(versionLabel, 1050, 780, 4440, 270, tpp);
    placeTwips(descriptionLabel, 1050, 1125, 4440, 720, tpp);
    placeTwips(homepageLink, 1050, 1920, 4440, 300, tpp);
    placeTwips(line, 120, 2355, 5490, 30, tpp);
    placeTwips(sysInfoButton, 2610, 2535, 1500, 375, tpp);
    placeTwips(okButton, 4230, 2535, 1260, 375, tpp);
    setFixedSize(twipsToPixels(5730, tpp.x), twipsToPixels(3120, tpp.y));

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
    connect(sysInfoButton, &QPushButton::clicked, this, &AboutDialog::startSysInfo);

    load();
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

void AboutDialog::startSysInfo()
{
    const QString program = AboutInfo::findSysInfoProgram();
    if (!program.isEmpty() && QProcess::startDetached(program, {}))
        return;
    showMessage(this, AboutInfo::sysInfoUnavailableText(), QMessageBox::Ok);
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
