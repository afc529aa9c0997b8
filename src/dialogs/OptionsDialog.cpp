#include "dialogs/OptionsDialog.h"
#include "dialogs/DialogLogic.h"
#include "widgets/Message.h"
#include "widgets/WindowFit.h"
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(Settings& settings, Session& session, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_session(session)
{
    setWindowTitle(QStringLiteral("オプション"));
    buildControls();
    // Laid out for its text, then placed over its parent, the main window's also when the viewer opens it.
    WindowFit::fitAndCentre(this);
    load();
}

void OptionsDialog::buildControls()
{
    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_okButton->setDefault(true);

    m_sizeGroup = new QGroupBox(QStringLiteral("サムネイルのサイズ指定"), this);
    m_sizeGroup->setObjectName(QStringLiteral("sizeGroup"));
    auto* sizes = new QVBoxLayout(m_sizeGroup);
    const QString sizeCaptions[5]
        = { QStringLiteral("　　３２ｘ３２"), QStringLiteral("　　６４ｘ６４"), QStringLiteral("　　１２８ｘ１２８"),
              QStringLiteral("　　２５６ｘ２５６"), QStringLiteral("　　５１２ｘ５１２") };
    for (int i = 0; i < 5; ++i) {
        m_sizeButtons[i] = new QRadioButton(sizeCaptions[i], m_sizeGroup);
        m_sizeButtons[i]->setObjectName(QStringLiteral("sizeButton%1").arg(i));
        m_sizeButtons[i]->setToolTip(QStringLiteral("サムネイルの大きさを指定できます。"));
        sizes->addWidget(m_sizeButtons[i]);
    }
    sizes->addStretch(1);

    m_countGroup = new QGroupBox(QStringLiteral("サムネイルのロード枚数"), this);
    m_countGroup->setObjectName(QStringLiteral("countGroup"));
    auto* counts = new QVBoxLayout(m_countGroup);
    const QString countCaptions[6]
        = { QStringLiteral("　　　５枚"), QStringLiteral("　　１０枚"), QStringLiteral("　　１５枚"),
              QStringLiteral("　　２０枚"), QStringLiteral("　　２５枚"), QStringLiteral("　　３０枚") };
    for (int i = 0; i < 6; ++i) {
        m_countButtons[i] = new QRadioButton(countCaptions[i], m_countGroup);
        m_countButtons[i]->setObjectName(QStringLiteral("countButton%1").arg(i));
        m_countButtons[i]->setToolTip(QStringLiteral("リロードで表示するサムネイルの数を指定できます。"));
        counts->addWidget(m_countButtons[i]);
    }

    m_optionsGroup = new QGroupBox(QStringLiteral("オプション"), this);
    m_optionsGroup->setObjectName(QStringLiteral("optionsGroup"));
    auto* options = new QVBoxLayout(m_optionsGroup);
    m_rememberFolderBox = new QCheckBox(QStringLiteral("元フォルダを記憶する"), m_optionsGroup);
    m_rememberFolderBox->setObjectName(QStringLiteral("rememberFolderBox"));
    m_rememberFolderBox->setToolTip(QStringLiteral("元フォルダのパスを記憶します。"));
    m_copyModeBox = new QCheckBox(QStringLiteral("コピーモードにする。"), m_optionsGroup);
    m_copyModeBox->setObjectName(QStringLiteral("copyModeBox"));
    options->addWidget(m_rememberFolderBox);
    options->addWidget(m_copyModeBox);

    m_viewerGroup = new QGroupBox(QStringLiteral("Viewerオプション"), this);
    m_viewerGroup->setObjectName(QStringLiteral("viewerGroup"));
    auto* viewer = new QGridLayout(m_viewerGroup);
    m_intervalLabel
        = new QLabel(QStringLiteral("スライドショーの表示時間を入力して下さい。（１秒単位）"), m_viewerGroup);
    m_intervalLabel->setObjectName(QStringLiteral("intervalLabel"));
    m_intervalField = new QLineEdit(m_viewerGroup);
    m_intervalField->setObjectName(QStringLiteral("intervalField"));
    m_intervalField->setToolTip(QStringLiteral("スライドショーの表示時間を１秒単位で指定できます。"));
    m_intervalField->setMaximumWidth(m_intervalField->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_secondsLabel = new QLabel(QStringLiteral("秒"), m_viewerGroup);
    m_secondsLabel->setObjectName(QStringLiteral("secondsLabel"));
    m_intervalLabel->setBuddy(m_intervalField);
    m_repeatBox = new QCheckBox(QStringLiteral("スライドショー繰り返し表示"), m_viewerGroup);
    m_repeatBox->setObjectName(QStringLiteral("repeatBox"));
    m_repeatBox->setToolTip(QStringLiteral("スライドショーを繰り返し表示にする事が出来ます。"));
    viewer->addWidget(m_intervalLabel, 0, 0);
    viewer->addWidget(m_intervalField, 0, 1);
    viewer->addWidget(m_secondsLabel, 0, 2);
    viewer->addWidget(m_repeatBox, 1, 0, 1, 3);
    viewer->setColumnStretch(0, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_sizeGroup, 1);
    top->addWidget(m_countGroup, 1);
    top->addLayout(buttons);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_optionsGroup);
    column->addWidget(m_viewerGroup);
    column->setSizeConstraint(QLayout::SetMinimumSize);

    // Frames and labels take no focus; the copy-mode box comes last.
    QList<QWidget*> order = { m_okButton, m_cancelButton };
    for (QRadioButton* o : m_sizeButtons)
        order << o;
    for (QRadioButton* o : m_countButtons)
        order << o;
    order << m_rememberFolderBox << m_intervalField << m_repeatBox << m_copyModeBox;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // toggled, not clicked: a state set from the keyboard or by a test acts as a click.
    connect(m_rememberFolderBox, &QCheckBox::toggled, this, &OptionsDialog::rememberFolderToggled);
    connect(m_repeatBox, &QCheckBox::toggled, this, &OptionsDialog::repeatToggled);
    connect(m_copyModeBox, &QCheckBox::toggled, this, &OptionsDialog::copyModeToggled);
    connect(m_okButton, &QPushButton::clicked, this, &OptionsDialog::store);
    connect(m_cancelButton, &QPushButton::clicked, this, &OptionsDialog::reject);
}

void OptionsDialog::load()
{
    m_intervalField->setText(QString::number(m_settings.slideSeconds));
    const int size = DialogLogic::optionOfThumbSize(m_settings.thumbSize);
    if (size >= 0)
        m_sizeButtons[size]->setChecked(true);
    const int count = DialogLogic::optionOfThumbCount(m_settings.thumbCount);
    if (count >= 0)
        m_countButtons[count]->setChecked(true);
    // The boxes show the values as they are: loading them is no change, and a dialog
    // being made has nobody listening yet.
    const QSignalBlocker quietRemember(m_rememberFolderBox);
    const QSignalBlocker quietRepeat(m_repeatBox);
    const QSignalBlocker quietCopyMode(m_copyModeBox);
    m_rememberFolderBox->setChecked(m_settings.rememberFolder == 1);
    m_repeatBox->setChecked(m_session.slideRepeat);
    m_copyModeBox->setChecked(m_session.copyMode);
}

void OptionsDialog::rememberFolderToggled(bool on) { m_settings.rememberFolder = on ? 1 : 0; }

void OptionsDialog::repeatToggled(bool on) { m_session.slideRepeat = on; }

void OptionsDialog::copyModeToggled(bool on)
{
    m_session.copyMode = on;
    emit copyModeChanged(on);
}

void OptionsDialog::store()
{
    // The interval is checked before anything is stored, so a refusal keeps all of it.
    const DialogLogic::IntervalValue interval = DialogLogic::parseInterval(m_intervalField->text());
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
        m_intervalField->setFocus();
        m_intervalField->selectAll();
        return;
    }

    for (int i = 0; i < int(m_sizeButtons.size()); ++i)
        if (m_sizeButtons[i]->isChecked())
            m_settings.thumbSize = static_cast<int16_t>(DialogLogic::thumbSizeOfOption(i));
    for (int i = 0; i < int(m_countButtons.size()); ++i)
        if (m_countButtons[i]->isChecked())
            m_settings.thumbCount = static_cast<int16_t>(DialogLogic::thumbCountOfOption(i));
    m_settings.slideSeconds = interval.seconds;
    emit stored();
    accept();
}
