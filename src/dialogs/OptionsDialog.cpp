#include "dialogs/OptionsDialog.h"
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

OptionsDialog::OptionsDialog(Settings& settings, Session& session, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_session(session)
    , m_tpp(screenTwipsPerPixel())
{
    setWindowTitle(QStringLiteral("オプション"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    const QSize client(twipsToPixels(6030, m_tpp.x), twipsToPixels(4125, m_tpp.y));
    setFixedSize(client);
    // Not centred: the client area's corner sits at 2760, 3750 twips from the screen's.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    setGeometry(QRect(origin + QPoint(twipsToPixels(2760, m_tpp.x), twipsToPixels(3750, m_tpp.y)), client));

    buildControls();
    load();
}

void OptionsDialog::buildControls()
{
    okButton = new QPushButton(QStringLiteral("OK"), this);
    cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    placeTwips(okButton, 4680, 120, 1215, 375, m_tpp);
    placeTwips(cancelButton, 4680, 600, 1215, 375, m_tpp);
    okButton->setDefault(true);

    sizeGroup = new QGroupBox(QStringLiteral("サムネイルのサイズ指定"), this);
    placeTwips(sizeGroup, 120, 120, 2175, 1575, m_tpp);
    const QString sizeCaptions[5]
        = { QStringLiteral("　　３２ｘ３２"), QStringLiteral("　　６４ｘ６４"), QStringLiteral("　　１２８ｘ１２８"),
              QStringLiteral("　　２５６ｘ２５６"), QStringLiteral("　　５１２ｘ５１２") };
    for (int i = 0; i < 5; ++i) {
        sizeButtons[i] = new QRadioButton(sizeCaptions[i], sizeGroup);
        sizeButtons[i]->setToolTip(QStringLiteral("サムネイルの大きさを指定できます。"));
        placeTwips(sizeButtons[i], 120, 240 + 240 * i, i == 4 ? 1935 : 1815, 255, m_tpp);
    }

    countGroup = new QGroupBox(QStringLiteral("サムネイルのロード枚数"), this);
    placeTwips(countGroup, 2400, 120, 2175, 1815, m_tpp);
    const QString countCaptions[6]
        = { QStringLiteral("　　　５枚"), QStringLiteral("　　１０枚"), QStringLiteral("　　１５枚"),
              QStringLiteral("　　２０枚"), QStringLiteral("　　２５枚"), QStringLiteral("　　３０枚") };
    for (int i = 0; i < 6; ++i) {
        countButtons[i] = new QRadioButton(countCaptions[i], countGroup);
        countButtons[i]->setToolTip(QStringLiteral("リロードで表示するサムネイルの数を指定できます。"));
        placeTwips(countButtons[i], 120, 240 + 240 * i, 1695, 255, m_tpp);
    }

    optionsGroup = new QGroupBox(QStringLiteral("オプション"), this);
    placeTwips(optionsGroup, 120, 2040, 5775, 855, m_tpp);
    rememberFolderBox = new QCheckBox(QStringLiteral("元フォルダを記憶する"), optionsGroup);
    rememberFolderBox->setToolTip(QStringLiteral("元フォルダのパスを記憶します。"));
    placeTwips(rememberFolderBox, 120, 240, 5295, 255, m_tpp);
    copyModeBox = new QCheckBox(QStringLiteral("コピーモードにする。"), optionsGroup);
    placeTwips(copyModeBox, 120, 480, 4335, 255, m_tpp);

    viewerGroup = new QGroupBox(QStringLiteral("Viewerオプション"), this);
    placeTwips(viewerGroup, 120, 3000, 5775, 975, m_tpp);
    intervalLabel = new QLabel(QStringLiteral("スライドショーの表示時間を入力して下さい。（１秒単位）"), viewerGroup);
    placeTwips(intervalLabel, 120, 240, 4335, 255, m_tpp);
    intervalField = new QLineEdit(viewerGroup);
    intervalField->setToolTip(QStringLiteral("スライドショーの表示時間を１秒単位で指定できます。"));
    placeTwips(intervalField, 4440, 210, 615, 270, m_tpp);
    secondsLabel = new QLabel(QStringLiteral("秒"), viewerGroup);
    placeTwips(secondsLabel, 5160, 240, 255, 255, m_tpp);
    repeatBox = new QCheckBox(QStringLiteral("スライドショー繰り返し表示"), viewerGroup);
    repeatBox->setToolTip(QStringLiteral("スライドショーを繰り返し表示にする事が出来ます。"));
    placeTwips(repeatBox, 120, 480, 4215, 255, m_tpp);

    // Frames and labels take no focus; the copy-mode box comes last.
    QList<QWidget*> order = { okButton, cancelButton };
    for (QRadioButton* o : sizeButtons)
        order << o;
    for (QRadioButton* o : countButtons)
        order << o;
    order << rememberFolderBox << intervalField << repeatBox << copyModeBox;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // toggled, not clicked: a state set by load() acts exactly like a click.
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
