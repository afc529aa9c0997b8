#include "dialogs/Dialog1.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
#include "dialogs/DialogLogic.h"
#include "platform/DirList.h"
#include "platform/DriveList.h"
#include "platform/FileList.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include "platform/Message.h"
#include "platform/Numeric.h"
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

// "０".."９": the captions and tooltips number the folders with full-width digits.
static QString fullWidthDigit(int k) { return QString(QChar(0xFF10 + k)); }

Dialog1::Dialog1(Settings& settings, Form1* form, QWidget* parent)
    : QDialog(parent ? parent : form)
    , m_settings(settings)
    , m_form(form)
    , m_tpp(screenTwipsPerPixel())
{
    setWindowTitle(QStringLiteral("移動先フォルダのパス設定"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(6030, m_tpp.x), twipsToPixels(9705, m_tpp.y));
    buildControls();
    Form_Load();
}

void Dialog1::buildControls()
{
    Drive1 = new DriveList(this);
    Dir1 = new DirList(this);
    File1 = new FileList(this);
    placeTwips(Drive1, 120, 120, 2175, 300, m_tpp);
    placeTwips(Dir1, 120, 480, 2175, 1350, m_tpp);
    placeTwips(File1, 2400, 120, 2055, 1530, m_tpp);
    Drive1->setToolTip(QStringLiteral("ドライブの変更をします。"));
    Dir1->setToolTip(QStringLiteral("フォルダの変更をします。"));
    File1->setToolTip(QStringLiteral("ファイルの確認が出来ます。"));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    Command2 = new QPushButton(QStringLiteral("一括削除"), this);
    placeTwips(OKButton, 4680, 120, 1215, 375, m_tpp);
    placeTwips(CancelButton, 4680, 600, 1215, 375, m_tpp);
    placeTwips(Command2, 4680, 1320, 1215, 375, m_tpp);
    OKButton->setToolTip(QStringLiteral("設定の変更を確定します。"));
    CancelButton->setToolTip(QStringLiteral("設定を変更せずにキャンセルします。"));
    Command2->setToolTip(
        QStringLiteral("削除フォルダと同じパスを指定したフォルダの中に有るファイルをすべて削除できます。"));
    OKButton->setDefault(true);
    Command2->setAutoDefault(false);

    Frame1 = new QGroupBox(QStringLiteral("ファイルネームオプション"), this);
    placeTwips(Frame1, 120, 1920, 5775, 1095, m_tpp);
    const char* ruleCaptions[3] = { "先頭に６桁の通し番号をつける", "ヘッドネームをフォルダ名と同じにする",
        "オリジナルのヘッドネームをつける" };
    const char* ruleTips[3] = { "オリジナルファイルネームの先頭に６桁の通し番号をつけます。",
        "ヘッドネームがフォルダ名と同じになり続いて６桁の通し番号がつきます。",
        "オリジナルのヘッドネームを付けられます。" };
    for (int r = 0; r < 3; ++r) {
        Option1[r] = new QRadioButton(QString::fromUtf8(ruleCaptions[r]), Frame1);
        Option1[r]->setToolTip(QString::fromUtf8(ruleTips[r]));
        placeTwips(Option1[r], 120, 240 + 240 * r, 3255, 255, m_tpp);
        Text3[r] = new QLineEdit(Frame1);
        Text3[r]->setToolTip(QStringLiteral("６桁までの通し番号を修正できます。"));
        placeTwips(Text3[r], 4560, 240 + 240 * r, 975, 270, m_tpp);
        // Only a change of rule counts: a click on the rule already on would refill the fields.
        connect(Option1[r], &QRadioButton::clicked, this, [this, r] {
            if (r != m_rule)
                Option1_Click(r);
        });
    }

    for (int k = 0; k <= 10; ++k) {
        const bool deleteFolder = k == 10;
        const QString caption
            = deleteFolder ? QStringLiteral("削除フォルダ") : QStringLiteral("フォルダ") + fullWidthDigit(k);
        Command1[k] = new QPushButton(caption, this);
        Command1[k]->setAutoDefault(false);
        Command1[k]->setToolTip(QStringLiteral("現在ファイルシステムで表示されているフォルダを") + caption
            + QStringLiteral("に入力します。"));
        Text1[k] = new QLineEdit(this);
        Text1[k]->setPlaceholderText(QStringLiteral("未設定"));
        if (deleteFolder) {
            placeTwips(Command1[k], 120, 9120, 1215, 375, m_tpp);
            placeTwips(Text1[k], 1440, 9120, 4455, 375, m_tpp);
            Text1[k]->setToolTip(QStringLiteral("ここで指定したフォルダは一括でファイルの削除が出来ます。"));
        } else {
            placeTwips(Command1[k], 120, 3120 + 600 * k, 1215, 495, m_tpp);
            placeTwips(Text1[k], 1440, 3120 + 600 * k, 4455, 270, m_tpp);
            Text1[k]->setToolTip(QStringLiteral("フォルダ") + fullWidthDigit(k) + QStringLiteral("のフルパスです。"));
            Text2[k] = new QLineEdit(this);
            placeTwips(Text2[k], 1440, 3360 + 600 * k, 4455, 270, m_tpp);
            Text2[k]->setToolTip(QStringLiteral("移動するファイルのヘッドネームを表示または指定できます。"));
        }
        connect(Command1[k], &QPushButton::clicked, this, [this, k] { Command1_Click(k); });
    }

    // Lists, buttons, the rules, then each folder row from the top.
    QList<QWidget*> order = { Drive1, Dir1, File1, OKButton, CancelButton, Command2 };
    for (int r = 0; r < 3; ++r)
        order << Option1[r] << Text3[r];
    for (int k = 0; k <= 10; ++k) {
        order << Command1[k] << Text1[k];
        if (k < 10)
            order << Text2[k];
    }
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Drive1, &DriveList::changed, this, &Dialog1::Drive1_Change);
    connect(Dir1, &DirList::changed, this, &Dialog1::Dir1_Change);
    connect(OKButton, &QPushButton::clicked, this, &Dialog1::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog1::CancelButton_Click);
    connect(Command2, &QPushButton::clicked, this, &Dialog1::Command2_Click);
}

void Dialog1::Form_Load()
{
    const QScreen* screen = m_form && m_form->screen() ? m_form->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }

    {
        const QSignalBlocker block(Drive1);
        Drive1->setDrive(DriveList::driveOf(QDir::currentPath()));
    }
    if (!Dir1->setPath(QDir::currentPath()))
        Dir1->setPath(FileOps::rootPath());

    // A folder not set (the root a first start gives) shows as an empty field.
    for (int k = 0; k <= 10; ++k)
        Text1[k]->setText(Settings::isUnsetFolder(m_settings.destPaths[k]) ? QString() : m_settings.destPaths[k]);
    // A rule out of range in the settings file shows, and stores on OK, as rule 0.
    m_rule = m_settings.nameRule >= 0 && m_settings.nameRule <= 2 ? m_settings.nameRule : 0;
    for (QLineEdit* t : Text2)
        t->setEnabled(m_rule == 2);
    ShowNameOptions();
}

void Dialog1::Option1_Click(int index)
{
    m_rule = index;
    for (QLineEdit* t : Text2)
        t->setEnabled(index == 2);
    ShowNameOptions();
}

void Dialog1::ShowNameOptions()
{
    for (int r = 0; r < 3; ++r) {
        Text3[r]->setText(Numeric::formatSerial(m_settings.serials[r]));
        Text3[r]->setEnabled(false);
    }
    Option1[m_rule]->setChecked(true);
    for (int k = 0; k < 10; ++k) {
        if (m_rule == 0)
            Text2[k]->clear();
        else if (m_rule == 1)
            Text2[k]->setText(m_settings.destNames[k]);
        else if (!m_settings.headNames[k].isEmpty())
            Text2[k]->setText(m_settings.headNames[k]);
        // Rule 2 leaves a field without a head name as it is: folder names shown under
        // rule 1 carry over and become the head names on OK.
    }
    Text3[m_rule]->setEnabled(true);
}

void Dialog1::Command1_Click(int index) { Text1[index]->setText(Dir1->path()); }

void Dialog1::Drive1_Change()
{ followDriveChange(this, Drive1, Dir1); }

void Dialog1::Dir1_Change() { showFolderFiles(); }

void Dialog1::showFolderFiles() { File1->showEntries(listFiles(Dir1->path(), QStringLiteral("*"))); }

void Dialog1::refuse(QLineEdit* field, const QString& text)
{
    showMessage(this, text, QMessageBox::Ok, QMessageBox::Warning);
    field->setFocus();
    field->selectAll();
}

bool Dialog1::checkPaths(std::array<QString, 11>& paths)
{
    for (int k = 0; k <= 10; ++k) {
        if (Text1[k]->text().trimmed().isEmpty()) {
            // Not set, rather than the root an empty path would name.
            Text1[k]->clear();
            paths[k].clear();
            continue;
        }
        const QString path = DialogLogic::withTrailingSeparator(Text1[k]->text());
        Text1[k]->setText(path);
        const QString problem = DialogLogic::pathProblem(path);
        if (!problem.isEmpty()) {
            refuse(Text1[k], problem + QStringLiteral("\n設定は保存されていません。"));
            return false;
        }
        paths[k] = path;
    }
    return true;
}

bool Dialog1::createMissingFolders(const std::array<QString, 11>& paths)
{
    for (int k = 0; k <= 10; ++k) {
        const QString& path = paths[k];
        if (path.isEmpty() || FileOps::folderExists(path))
            continue;
        showMessage(this, path + QStringLiteral("を作成します。"));
        FileOps::makeSureDirectoryPathExists(path);
        if (m_form)
            m_form->folderPage().refreshFolders();
        if (!FileOps::folderExists(path)) {
            refuse(Text1[k], QStringLiteral("%1 を作成できませんでした。\n設定は保存されていません。").arg(path));
            return false;
        }
    }
    return true;
}

void Dialog1::OKButton_Click()
{
    // Everything is checked first and stored only when all of it can be used.
    std::array<int32_t, 3> serials {};
    for (int r = 0; r < 3; ++r) {
        const DialogLogic::SerialValue v = DialogLogic::parseSerial(Text3[r]->text(), m_settings.serials[r]);
        if (!v.ok()) {
            const QString why = v.problem == DialogLogic::SerialProblem::Negative
                ? QStringLiteral("通し番号にマイナスの数は使えません。")
                : QStringLiteral("通し番号が大きすぎます。");
            refuse(Text3[r], why + QStringLiteral("\n0 から 2147483647 までの数を入力して下さい。"));
            return;
        }
        serials[r] = v.value;
    }
    if (m_rule == 2) {
        for (int k = 0; k < 10; ++k) {
            const QString problem = DialogLogic::headNameProblem(Text2[k]->text());
            if (!problem.isEmpty()) {
                refuse(Text2[k],
                    QStringLiteral("フォルダ%1のヘッドネーム「%2」は使えません。\n%3")
                        .arg(fullWidthDigit(k), Text2[k]->text(), problem));
                return;
            }
        }
    }
    std::array<QString, 11> paths;
    if (!checkPaths(paths) || !createMissingFolders(paths))
        return;

    m_settings.destPaths = paths;
    m_settings.nameRule = static_cast<int16_t>(m_rule);
    if (m_rule == 2)
        for (int k = 0; k < 10; ++k)
            m_settings.headNames[k] = Text2[k]->text();
    m_settings.serials = serials;
    accept();
}

void Dialog1::CancelButton_Click() { reject(); }

void Dialog1::Command2_Click()
{
    // The stored delete folder, not an edit of its field that OK has not taken yet.
    const DialogLogic::BulkDeleteTarget target = DialogLogic::bulkDeleteTarget(m_settings.destPaths[10]);
    const QString problem
        = Settings::isUnsetFolder(m_settings.destPaths[10]) ? Settings::unsetFolderMessage(10) : target.problem;
    if (!problem.isEmpty()) {
        showMessage(this, problem, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const bool trash = FileOps::trashAvailable();
    const QString text = target.folder + QStringLiteral("フォルダのファイルをすべてを削除しますか?\n")
        + (trash ? QStringLiteral("（ファイルはごみ箱へ移動します。）")
                 : QStringLiteral("（ごみ箱がないため、ファイルは完全に削除され、元に戻せません。）"));
    const int answer = showMessage(this, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning,
        QStringLiteral("ピラポくん"), QMessageBox::Cancel);
    if (answer != QMessageBox::Ok) {
        showMessage(this, QStringLiteral("キャンセルされました。"));
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const DialogLogic::BulkDeleteResult result = trash
        ? DialogLogic::deleteFolderFiles(target.folder, FileOps::moveToTrash)
        : DialogLogic::deleteFolderFiles(target.folder);
    showFolderFiles();
    QGuiApplication::restoreOverrideCursor();
    QStringList lines;
    if (!result.remaining.isEmpty()) {
        QStringList shown = result.remaining.mid(0, 10);
        if (result.remaining.size() > shown.size())
            shown << QStringLiteral("…");
        lines << QStringLiteral("%1 のファイルのうち %2 個を%3できませんでした。")
                     .arg(target.folder)
                     .arg(result.remaining.size())
                     .arg(trash ? QStringLiteral("ごみ箱へ移動") : QStringLiteral("削除"))
              << shown;
    }
    if (result.unnamed > 0)
        lines << QStringLiteral("名前にUTF-8でない文字を含むファイル %1 個は扱えないため、残っています。")
                     .arg(result.unnamed);
    if (!lines.isEmpty())
        showMessage(this, lines.join(u'\n'), QMessageBox::Ok, QMessageBox::Warning);
}
