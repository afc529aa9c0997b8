#include "about/frmAbout.h"
#include "about/AboutInfo.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
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

frmAbout::frmAbout(Form1& owner)
    : QDialog(&owner)
    , m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setMouseTracking(true);

    const TwipsPerPixel& tpp = owner.tpp();
    picIcon = new QLabel(this);
    lblTitle = new QLabel(this);
    lblVersion = new QLabel(this);
    lblDescription = new QLabel(AboutInfo::description(), this);
    Label1 = new QLabel(AboutInfo::homepage(), this);
    auto* line = new QFrame(this);
    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);

    placeTwips(picIcon, 240, 240, 540, 540, tpp);
    placeTwips(lblTitle, 1050, 240, 4440, 480, tpp);
    placeTwips(lblVersion, 1050, 780, 4440, 270, tpp);
    placeTwips(lblDescription, 1050, 1125, 4440, 720, tpp);
    placeTwips(Label1, 1050, 1920, 4440, 300, tpp);
    placeTwips(line, 120, 2355, 5490, 30, tpp);
    placeTwips(cmdSysInfo, 2610, 2535, 1500, 375, tpp);
    placeTwips(cmdOK, 4230, 2535, 1260, 375, tpp);
    setFixedSize(twipsToPixels(5730, tpp.x), twipsToPixels(3120, tpp.y));

    const QIcon icon(QStringLiteral(":/icons/app.png"));
    picIcon->setPixmap(icon.pixmap(picIcon->size()));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(14);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setMouseTracking(true);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    QFont linkFont = Label1->font();
    linkFont.setUnderline(true);
    Label1->setFont(linkFont);
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->setMouseTracking(true);
    Label1->setToolTip(AboutInfo::homepage());
    Label1->installEventFilter(this);
    lblDescription->installEventFilter(this);

    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Form_Load();
}

void frmAbout::setLinkLook(const QColor& color)
{
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::WindowText, color);
    Label1->setPalette(pal);
    QFont font = Label1->font();
    font.setPointSizeF(10);
    Label1->setFont(font);
}

void frmAbout::Form_Load()
{
    setWindowTitle(appTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(AboutInfo::versionText(AboutInfo::programVersion()));
    lblTitle->setText(appTitle());
    m_owner.folderPage().startButton()->setEnabled(false);
    setLinkLook(linkColor());
}

void frmAbout::Form_MouseMove() { setLinkLook(linkColor()); }

void frmAbout::lblDescription_MouseMove() { setLinkLook(linkColor()); }

void frmAbout::Label1_MouseMove() { setLinkLook(linkHoverColor()); }

void frmAbout::Label1_Click() { QDesktopServices::openUrl(QUrl(Label1->text())); }

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo()
{
    const QString program = AboutInfo::findSysInfoProgram();
    if (!program.isEmpty() && QProcess::startDetached(program, {}))
        return;
    showMessage(this, AboutInfo::sysInfoUnavailableText(), QMessageBox::Ok);
}

void frmAbout::Form_QueryUnload() { m_owner.folderPage().startButton()->setEnabled(true); }

void frmAbout::reject() { close(); }

void frmAbout::closeEvent(QCloseEvent* e)
{
    Form_QueryUnload();
    e->accept();
}

void frmAbout::mouseMoveEvent(QMouseEvent* e)
{
    Form_MouseMove();
    QDialog::mouseMoveEvent(e);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Label1) {
        switch (e->type()) {
        case QEvent::MouseMove:
            Label1_MouseMove();
            return true;
        case QEvent::Leave:
            // The link is purple only while the mouse is over it, also when the mouse
            // leaves it straight out of the window.
            setLinkLook(linkColor());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true; // a press on the link is the link's, not the form's
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && Label1->rect().contains(me->position().toPoint()))
                Label1_Click();
            return true;
        }
        default:
            break;
        }
    } else if (watched == lblDescription && e->type() == QEvent::MouseMove) {
        lblDescription_MouseMove();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
