#include "dialogs/Dialog2.h"
#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "dialogs/DialogLogic.h"
#include "platform/Message.h"
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

Dialog2::Dialog2(Settings& settings, Session& session, Form1* form)
    : QDialog(form)
    , m_settings(settings)
    , m_session(session)
    , m_form(form)
    , m_tpp(screenTwipsPerPixel())
{
    setWindowTitle(QStringLiteral("オプション"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    const QSize client(twipsToPixels(6030, m_tpp.x), twipsToPixels(4125, m_tpp.y));
    setFixedSize(client);
    // Not centred: the client area's corner sits at 2760, 3750 twips from the screen's.
    const QScreen* screen = form && form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    setGeometry(QRect(origin + QPoint(twipsToPixels(2760, m_tpp.x), twipsToPixels(3750, m_tpp.y)), client));

    buildControls();
    Form_Load();
}

void Dialog2::buildControls()
{
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    placeTwips(OKButton, 4680, 120, 1215, 375, m_tpp);
    placeTwips(CancelButton, 4680, 600, 1215, 375, m_tpp);
    OKButton->setDefault(true);

    Frame1 = new QGroupBox(QStringLiteral("サムネイルのサイズ指定"), this);
    placeTwips(Frame1, 120, 120, 2175, 1575, m_tpp);
    const QString sizeCaptions[5]
        = { QStringLiteral("　　３２ｘ３２"), QStringLiteral("　　６４ｘ６４"), QStringLiteral("　　１２８ｘ１２８"),
              QStringLiteral("　　２５６ｘ２５６"), QStringLiteral("　　５１２ｘ５１２") };
    for (int i = 0; i < 5; ++i) {
        Option1[i] = new QRadioButton(sizeCaptions[i], Frame1);
        Option1[i]->setToolTip(QStringLiteral("サムネイルの大きさを指定できます。"));
        placeTwips(Option1[i], 120, 240 + 240 * i, i == 4 ? 1935 : 1815, 255, m_tpp);
    }

    Frame2 = new QGroupBox(QStringLiteral("サムネイルのロード枚数"), this);
    placeTwips(Frame2, 2400, 120, 2175, 1815, m_tpp);
    const QString countCaptions[6]
        = { QStringLiteral("　　　５枚"), QStringLiteral("　　１０枚"), QStringLiteral("　　１５枚"),
              QStringLiteral("　　２０枚"), QStringLiteral("　　２５枚"), QStringLiteral("　　３０枚") };
    for (int i = 0; i < 6; ++i) {
        Option2[i] = new QRadioButton(countCaptions[i], Frame2);
        Option2[i]->setToolTip(QStringLiteral("リロードで表示するサムネイルの数を指定できます。"));
        placeTwips(Option2[i], 120, 240 + 240 * i, 1695, 255, m_tpp);
    }

    Frame3 = new QGroupBox(QStringLiteral("オプション"), this);
    placeTwips(Frame3, 120, 2040, 5775, 855, m_tpp);
    Check1 = new QCheckBox(QStringLiteral("元フォルダを記憶する"), Frame3);
    Check1->setToolTip(QStringLiteral("元フォルダのパスを記憶します。"));
    placeTwips(Check1, 120, 240, 5295, 255, m_tpp);
    Check3 = new QCheckBox(QStringLiteral("コピーモードにする。"), Frame3);
    placeTwips(Check3, 120, 480, 4335, 255, m_tpp);

    Frame4 = new QGroupBox(QStringLiteral("Viewerオプション"), this);
    placeTwips(Frame4, 120, 3000, 5775, 975, m_tpp);
    Label1 = new QLabel(QStringLiteral("スライドショーの表示時間を入力して下さい。（１秒単位）"), Frame4);
    placeTwips(Label1, 120, 240, 4335, 255, m_tpp);
    Text1 = new QLineEdit(Frame4);
    Text1->setToolTip(QStringLiteral("スライドショーの表示時間を１秒単位で指定できます。"));
    placeTwips(Text1, 4440, 210, 615, 270, m_tpp);
    Label2 = new QLabel(QStringLiteral("秒"), Frame4);
    placeTwips(Label2, 5160, 240, 255, 255, m_tpp);
    Check2 = new QCheckBox(QStringLiteral("スライドショー繰り返し表示"), Frame4);
    Check2->setToolTip(QStringLiteral("スライドショーを繰り返し表示にする事が出来ます。"));
    placeTwips(Check2, 120, 480, 4215, 255, m_tpp);

    // Frames and labels take no focus; the copy-mode box comes last.
    QList<QWidget*> order = { OKButton, CancelButton };
    for (QRadioButton* o : Option1)
        order << o;
    for (QRadioButton* o : Option2)
        order << o;
    order << Check1 << Text1 << Check2 << Check3;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // toggled, not clicked: a state set by Form_Load acts exactly like a click.
    connect(Check1, &QCheckBox::toggled, this, &Dialog2::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Dialog2::Check2_Click);
    connect(Check3, &QCheckBox::toggled, this, &Dialog2::Check3_Click);
    connect(OKButton, &QPushButton::clicked, this, &Dialog2::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog2::CancelButton_Click);
}

void Dialog2::Form_Load()
{
    Text1->setText(QString::number(m_settings.slideSeconds));
    const int size = DialogLogic::optionOfThumbSize(m_settings.thumbSize);
    if (size >= 0)
        Option1[size]->setChecked(true);
    const int count = DialogLogic::optionOfThumbCount(m_settings.thumbCount);
    if (count >= 0)
        Option2[count]->setChecked(true);
    Check1->setChecked(m_settings.rememberFolder == 1);
    Check2->setChecked(m_session.slideRepeat);
    Check3->setChecked(m_session.copyMode);
}

void Dialog2::Check1_Click() { m_settings.rememberFolder = Check1->isChecked() ? 1 : 0; }

void Dialog2::Check2_Click() { m_session.slideRepeat = Check2->isChecked(); }

void Dialog2::Check3_Click()
{
    m_session.copyMode = Check3->isChecked();
    if (m_form)
        m_form->setBlinkInterval(m_session.copyMode ? 500 : 0);
}

void Dialog2::OKButton_Click()
{
    // The interval is checked before anything is stored, so a refusal keeps all of it.
    const DialogLogic::IntervalValue interval = DialogLogic::parseInterval(Text1->text());
    if (!interval.ok()) {
        QString why;
        switch (interval.problem) {
        case DialogLogic::IntervalProblem::Empty:
            why = QStringLiteral("スライドショーの表示時間を入力して下さい。");
            break;
        case DialogLogic::IntervalProblem::NotANumber:
            why = QStringLiteral("スライドショーの表示時間は数字で入力して下さい。");
            break;
        default:
            why = QStringLiteral("スライドショーの表示時間は１秒から３２秒までで入力して下さい。");
            break;
        }
        showMessage(this, why, QMessageBox::Ok, QMessageBox::Warning);
        Text1->setFocus();
        Text1->selectAll();
        return;
    }

    for (int i = 0; i < int(Option1.size()); ++i)
        if (Option1[i]->isChecked())
            m_settings.thumbSize = static_cast<int16_t>(DialogLogic::thumbSizeOfOption(i));
    for (int i = 0; i < int(Option2.size()); ++i)
        if (Option2[i]->isChecked())
            m_settings.thumbCount = static_cast<int16_t>(DialogLogic::thumbCountOfOption(i));
    m_settings.slideSeconds = interval.seconds;
    if (m_form && m_form->Label2)
        m_form->Label2->setVisible(m_session.copyMode);
    accept();
}

void Dialog2::CancelButton_Click() { reject(); }
