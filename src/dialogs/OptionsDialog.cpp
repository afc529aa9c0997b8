#include "dialogs/OptionsDialog.h"
#include "dialogs/DialogLogic.h"
#include "platform/Message.h"
#include "platform/WindowFit.h"
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

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
    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    okButton->setDefault(true);

    sizeGroup = new QGroupBox(QStringLiteral("サムネイルのサイズ指定"), this);
    auto* sizes = new QVBoxLayout(sizeGroup);
    const QString sizeCaptions[5]
        = { QStringLiteral("　　３２ｘ３２"), QStringLiteral("　　６４ｘ６４"), QStringLiteral("　　１２８ｘ１２８"),
              QStringLiteral("　　２５６ｘ２５６"), QStringLiteral("　　５１２ｘ５１２") };
    for (int i = 0; i < 5; ++i) {
        sizeButtons[i] = new QRadioButton(sizeCaptions[i], sizeGroup);
        sizeButtons[i]->setToolTip(QStringLiteral("サムネイルの大きさを指定できます。"));
        sizes->addWidget(sizeButtons[i]);
    }
    sizes->addStretch(1);

    countGroup = new QGroupBox(QStringLiteral("サムネイルのロード枚数"), this);
    auto* counts = new QVBoxLayout(countGroup);
    const QString countCaptions[6]
        = { QStringLiteral("　　　５枚"), QStringLiteral("　　１０枚"), QStringLiteral("　　１５枚"),
              QStringLiteral("　　２０枚"), QStringLiteral("　　２５枚"), QStringLiteral("　　３０枚") };
    for (int i = 0; i < 6; ++i) {
        countButtons[i] = new QRadioButton(countCaptions[i], countGroup);
        countButtons[i]->setToolTip(QStringLiteral("リロードで表示するサムネイルの数を指定できます。"));
        counts->addWidget(countButtons[i]);
    }

    optionsGroup = new QGroupBox(QStringLiteral("オプション"), this);
    auto* options = new QVBoxLayout(optionsGroup);
    rememberFolderBox = new QCheckBox(QStringLiteral("元フォルダを記憶する"), optionsGroup);
    rememberFolderBox->setToolTip(QStringLiteral("元フォルダのパスを記憶します。"));
    copyModeBox = new QCheckBox(QStringLiteral("コピーモードにする。"), optionsGroup);
    options->addWidget(rememberFolderBox);
    options->addWidget(copyModeBox);

    viewerGroup = new QGroupBox(QStringLiteral("Viewerオプション"), this);
    auto* viewer = new QGridLayout(viewerGroup);
    intervalLabel = new QLabel(QStringLiteral("スライドショーの表示時間を入力して下さい。（１秒単位）"), viewerGroup);
    intervalField = new QLineEdit(viewerGroup);
    intervalField->setToolTip(QStringLiteral("スライドショーの表示時間を１秒単位で指定できます。"));
    intervalField->setMaximumWidth(intervalField->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    secondsLabel = new QLabel(QStringLiteral("秒"), viewerGroup);
    intervalLabel->setBuddy(intervalField);
    repeatBox = new QCheckBox(QStringLiteral("スライドショー繰り返し表示"), viewerGroup);
    repeatBox->setToolTip(QStringLiteral("スライドショーを繰り返し表示にする事が出来ます。"));
    viewer->addWidget(intervalLabel, 0, 0);
    viewer->addWidget(intervalField, 0, 1);
    viewer->addWidget(secondsLabel, 0, 2);
    viewer->addWidget(repeatBox, 1, 0, 1, 3);
    viewer->setColumnStretch(0, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(sizeGroup, 1);
    top->addWidget(countGroup, 1);
    top->addLayout(buttons);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(optionsGroup);
    column->addWidget(viewerGroup);
    column->setSizeConstraint(QLayout::SetMinimumSize);

    // Frames and labels take no focus; the copy-mode box comes last.
    QList<QWidget*> order = { okButton, cancelButton };
    for (QRadioButton* o : sizeButtons)
        order << o;
    for (QRadioButton* o : countButtons)
        order << o;
    order << rememberFolderBox << intervalField << repeatBox << copyModeBox;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // toggled, not clicked: a state set from the keyboard or by a test acts as a click.
    connect(rememberFolderBox, &QCheckBox::toggled, this, &OptionsDialog::rememberFolderToggled);
    connect(repeatBox, &QCheckBox::toggled, this, &OptionsDialog::repeatToggled);
    connect(copyModeBox, &QCheckBox::toggled, this, &OptionsDialog::copyModeToggled);
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::store);
    connect(cancelButton, &QPushButton::clicked, this, &OptionsDialog::reject);
}

void OptionsDialog::load()
{
    intervalField->setText(QString::number(m_settings.slideSeconds));
    const int size = DialogLogic::optionOfThumbSize(m_settings.thumbSize);
    if (size >= 0)
        sizeButtons[size]->setChecked(true);
    const int count = DialogLogic::optionOfThumbCount(m_settings.thumbCount);
    if (count >= 0)
        countButtons[count]->setChecked(true);
    // The boxes show the values as they are: loading them is no change, and a dialog
    // being made has nobody listening yet.
    const QSignalBlocker quietRemember(rememberFolderBox);
    const QSignalBlocker quietRepeat(repeatBox);
    const QSignalBlocker quietCopyMode(copyModeBox);
    rememberFolderBox->setChecked(m_settings.rememberFolder == 1);
    repeatBox->setChecked(m_session.slideRepeat);
    copyModeBox->setChecked(m_session.copyMode);
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
    const DialogLogic::IntervalValue interval = DialogLogic::parseInterval(intervalField->text());
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
        intervalField->setFocus();
        intervalField->selectAll();
        return;
    }

    for (int i = 0; i < int(sizeButtons.size()); ++i)
        if (sizeButtons[i]->isChecked())
            m_settings.thumbSize = static_cast<int16_t>(DialogLogic::thumbSizeOfOption(i));
    for (int i = 0; i < int(countButtons.size()); ++i)
        if (countButtons[i]->isChecked())
            m_settings.thumbCount = static_cast<int16_t>(DialogLogic::thumbCountOfOption(i));
    m_settings.slideSeconds = interval.seconds;
    emit stored();
    accept();
}
