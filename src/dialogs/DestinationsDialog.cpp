#include "dialogs/DestinationsDialog.h"
#include "dialogs/DialogLogic.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "session/SettingsFile.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/Message.h"
#include "widgets/WindowFit.h"
#include "wording/Wording.h"
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

// "０".."９": the captions and tooltips number the m_folders with full-width digits.
static QString fullWidthDigit(int digit) { return QString(QChar(0xFF10 + digit)); }

DestinationsDialog::DestinationsDialog(Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setWindowTitle(QStringLiteral("移動先フォルダのパス設定"));
    buildControls();
    load();
}

void DestinationsDialog::buildControls()
{
    // Everything scrolls inside the dialog, so a small or scaled screen reaches every row.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* page = new QWidget(scroll);
    scroll->setWidget(page);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    auto* column = new QVBoxLayout(page);

    m_drives = new DriveList(page);
    m_drives->setObjectName(QStringLiteral("drives"));
    m_folders = new DirList(page);
    m_folders->setObjectName(QStringLiteral("folders"));
    m_files = new FileList(page);
    m_files->setObjectName(QStringLiteral("files"));
    m_drives->setToolTip(QStringLiteral("ドライブの変更をします。"));
    m_folders->setToolTip(QStringLiteral("フォルダの変更をします。"));
    m_files->setToolTip(QStringLiteral("ファイルの確認が出来ます。"));

    m_okButton = new QPushButton(QStringLiteral("OK"), page);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), page);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_emptyDeleteFolderButton = new QPushButton(QStringLiteral("一括削除"), page);
    m_emptyDeleteFolderButton->setObjectName(QStringLiteral("emptyDeleteFolderButton"));
    m_okButton->setToolTip(QStringLiteral("設定の変更を確定します。"));
    m_cancelButton->setToolTip(QStringLiteral("設定を変更せずにキャンセルします。"));
    m_emptyDeleteFolderButton->setToolTip(
        QStringLiteral("削除フォルダと同じパスを指定したフォルダの中に有るファイルをすべて削除できます。"));
    m_okButton->setDefault(true);
    m_emptyDeleteFolderButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    auto* browse = new QVBoxLayout;
    browse->addWidget(m_drives);
    browse->addWidget(m_folders, 1);
    top->addLayout(browse, 1);
    top->addWidget(m_files, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_emptyDeleteFolderButton);
    top->addLayout(buttons);
    const int listHeight = fontMetrics().height() * 7;
    m_folders->setMinimumHeight(listHeight);
    m_files->setMinimumHeight(listHeight);
    column->addLayout(top);

    m_namingGroup = new QGroupBox(QStringLiteral("ファイルネームオプション"), page);
    m_namingGroup->setObjectName(QStringLiteral("namingGroup"));
    auto* naming = new QGridLayout(m_namingGroup);
    const char* ruleCaptions[NamingRuleCount] = { "先頭に６桁の通し番号をつける",
        "ヘッドネームをフォルダ名と同じにする", "オリジナルのヘッドネームをつける" };
    const char* ruleTips[NamingRuleCount] = { "オリジナルファイルネームの先頭に６桁の通し番号をつけます。",
        "ヘッドネームがフォルダ名と同じになり続いて６桁の通し番号がつきます。",
        "オリジナルのヘッドネームを付けられます。" };
    for (int r = 0; r < NamingRuleCount; ++r) {
        m_ruleButtons[r] = new QRadioButton(QString::fromUtf8(ruleCaptions[r]), m_namingGroup);
        m_ruleButtons[r]->setObjectName(QStringLiteral("ruleButton%1").arg(r));
        m_ruleButtons[r]->setToolTip(QString::fromUtf8(ruleTips[r]));
        m_serialFields[r] = new QLineEdit(m_namingGroup);
        m_serialFields[r]->setObjectName(QStringLiteral("serialField%1").arg(r));
        m_serialFields[r]->setToolTip(QStringLiteral("６桁までの通し番号を修正できます。"));
        // Room for the ten digits a counter can reach.
        m_serialFields[r]->setMinimumWidth(
            m_serialFields[r]->fontMetrics().horizontalAdvance(QStringLiteral("00000000000")));
        naming->addWidget(m_ruleButtons[r], r, 0);
        naming->addWidget(m_serialFields[r], r, 2);
        // Only a change of rule counts: a click on the rule already on would refill the fields.
        connect(m_ruleButtons[r], &QRadioButton::clicked, this, [this, rule = NamingRule(r)] {
            if (rule != m_rule)
                chooseRule(rule);
        });
    }
    naming->setColumnStretch(1, 1);
    column->addWidget(m_namingGroup);

    auto* rows = new QGridLayout;
    rows->setColumnStretch(1, 1);
    const int fieldWidth = fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40;
    for (int folder = 0; folder < Settings::FolderCount; ++folder) {
        const bool deleteFolder = folder == Settings::DeleteFolder;
        const QString caption
            = deleteFolder ? QStringLiteral("削除フォルダ") : QStringLiteral("フォルダ") + fullWidthDigit(folder);
        m_pickFolderButtons[folder] = new QPushButton(caption, page);
        m_pickFolderButtons[folder]->setObjectName(QStringLiteral("pickFolderButton%1").arg(folder));
        m_pickFolderButtons[folder]->setAutoDefault(false);
        m_pickFolderButtons[folder]->setToolTip(QStringLiteral("現在ファイルシステムで表示されているフォルダを")
            + caption + QStringLiteral("に入力します。"));
        m_pathFields[folder] = new QLineEdit(page);
        m_pathFields[folder]->setObjectName(QStringLiteral("pathField%1").arg(folder));
        m_pathFields[folder]->setPlaceholderText(QStringLiteral("未設定"));
        m_pathFields[folder]->setMinimumWidth(fieldWidth);
        const int row = 2 * folder;
        if (deleteFolder) {
            rows->addWidget(m_pickFolderButtons[folder], row, 0);
            rows->addWidget(m_pathFields[folder], row, 1);
            m_pathFields[folder]->setToolTip(
                QStringLiteral("ここで指定したフォルダは一括でファイルの削除が出来ます。"));
        } else {
            rows->addWidget(m_pickFolderButtons[folder], row, 0, 2, 1);
            rows->addWidget(m_pathFields[folder], row, 1);
            m_pathFields[folder]->setToolTip(
                QStringLiteral("フォルダ") + fullWidthDigit(folder) + QStringLiteral("のフルパスです。"));
            m_headNameFields[folder] = new QLineEdit(page);
            m_headNameFields[folder]->setObjectName(QStringLiteral("headNameField%1").arg(folder));
            rows->addWidget(m_headNameFields[folder], row + 1, 1);
            m_headNameFields[folder]->setToolTip(
                QStringLiteral("移動するファイルのヘッドネームを表示または指定できます。"));
        }
        connect(m_pickFolderButtons[folder], &QPushButton::clicked, this, [this, folder] { pickFolder(folder); });
    }
    column->addLayout(rows);

    // Lists, buttons, the rules, then each folder row from the top.
    QList<QWidget*> order = { m_drives, m_folders, m_files, m_okButton, m_cancelButton, m_emptyDeleteFolderButton };
    for (int r = 0; r < NamingRuleCount; ++r)
        order << m_ruleButtons[r] << m_serialFields[r];
    for (int folder = 0; folder < Settings::FolderCount; ++folder) {
        order << m_pickFolderButtons[folder] << m_pathFields[folder];
        if (Settings::isTarget(folder))
            order << m_headNameFields[folder];
    }
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The whole page is the dialog's wish; the screen may allow less, then it scrolls.
    scroll->setMinimumSize(page->sizeHint().boundedTo(QSize(fontMetrics().height() * 20, fontMetrics().height() * 12)));
    m_pageSize = page->sizeHint() + QSize(scroll->verticalScrollBar()->sizeHint().width(), 0);

    connect(m_drives, &DriveList::changed, this, [this] { followDriveChange(this, m_drives, m_folders); });
    connect(m_folders, &DirList::changed, this, &DestinationsDialog::showFolderFiles);
    connect(m_okButton, &QPushButton::clicked, this, &DestinationsDialog::store);
    connect(m_cancelButton, &QPushButton::clicked, this, &DestinationsDialog::reject);
    connect(m_emptyDeleteFolderButton, &QPushButton::clicked, this, &DestinationsDialog::emptyDeleteFolder);
}

QSize DestinationsDialog::sizeHint() const { return m_pageSize; }

void DestinationsDialog::load()
{
    WindowFit::fitAndCentre(this);

    {
        const QSignalBlocker block(m_drives);
        m_drives->setDrive(DriveList::driveOf(QDir::currentPath()));
    }
    if (!m_folders->setPath(QDir::currentPath()))
        m_folders->setPath(FileOps::rootPath());

    // A folder not set (the root a first start gives) shows as an empty field.
    for (int folder = 0; folder < Settings::FolderCount; ++folder)
        m_pathFields[folder]->setText(Settings::isUnsetFolder(m_settings.destinationFolders[folder])
                ? QString()
                : m_settings.destinationFolders[folder]);
    // A rule out of range in the settings file shows, and stores on OK, as the first.
    m_rule = knownRuleOrFirst(m_settings.namingRule);
    for (QLineEdit* t : m_headNameFields)
        t->setEnabled(m_rule == NamingRule::HeadNameAndSerial);
    showNaming();
}

void DestinationsDialog::chooseRule(NamingRule rule)
{
    m_rule = rule;
    for (QLineEdit* t : m_headNameFields)
        t->setEnabled(rule == NamingRule::HeadNameAndSerial);
    showNaming();
}

void DestinationsDialog::showNaming()
{
    for (int r = 0; r < NamingRuleCount; ++r) {
        m_serialFields[r]->setText(Numeric::formatSerial(m_settings.serials[r]));
        m_serialFields[r]->setEnabled(false);
    }
    m_ruleButtons[size_t(m_rule)]->setChecked(true);
    for (int folder = 0; folder < Settings::TargetCount; ++folder) {
        if (m_rule == NamingRule::SerialAndName)
            m_headNameFields[folder]->clear();
        else if (m_rule == NamingRule::FolderNameAndSerial)
            m_headNameFields[folder]->setText(m_settings.destinationNames[folder]);
        else if (!m_settings.headNames[folder].isEmpty())
            m_headNameFields[folder]->setText(m_settings.headNames[folder]);
        // The head-name rule leaves a field without a head name as it is: folder names shown under
        // the folder-name rule carry over and become the head names on OK.
    }
    m_serialFields[size_t(m_rule)]->setEnabled(true);
}

void DestinationsDialog::pickFolder(int folder) { m_pathFields[folder]->setText(m_folders->path()); }

void DestinationsDialog::showFolderFiles() { m_files->showEntries(listFiles(m_folders->path(), QStringLiteral("*"))); }

void DestinationsDialog::refuse(QLineEdit* field, const QString& text)
{
    showMessage(this, text, QMessageBox::Ok, QMessageBox::Warning);
    field->setFocus();
    field->selectAll();
}

bool DestinationsDialog::checkPaths(std::array<QString, Settings::FolderCount>& paths)
{
    for (int folder = 0; folder < Settings::FolderCount; ++folder) {
        if (m_pathFields[folder]->text().trimmed().isEmpty()) {
            // Not set, rather than the root an empty path would name.
            m_pathFields[folder]->clear();
            paths[folder].clear();
            continue;
        }
        const QString path = DialogLogic::withTrailingSeparator(m_pathFields[folder]->text());
        m_pathFields[folder]->setText(path);
        QString problem = DialogLogic::pathProblem(path);
        if (problem.isEmpty() && !SettingsFile::canHold(path))
            problem
                = QStringLiteral("%1 には改行など設定ファイルに書けない文字が含まれているため、使えません。").arg(path);
        if (!problem.isEmpty()) {
            refuse(m_pathFields[folder], problem + QStringLiteral("\n設定は保存されていません。"));
            return false;
        }
        paths[folder] = path;
    }
    return true;
}

bool DestinationsDialog::createMissingFolders(const std::array<QString, Settings::FolderCount>& paths)
{
    for (int folder = 0; folder < Settings::FolderCount; ++folder) {
        const QString& path = paths[folder];
        if (path.isEmpty() || FileOps::folderExists(path))
            continue;
        showMessage(this, path + QStringLiteral("を作成します。"));
        FileOps::makeSureDirectoryPathExists(path);
        emit folderCreated();
        if (!FileOps::folderExists(path)) {
            refuse(m_pathFields[folder],
                QStringLiteral("%1 を作成できませんでした。\n設定は保存されていません。").arg(path));
            return false;
        }
    }
    return true;
}

void DestinationsDialog::store()
{
    // Everything is checked first and stored only when all of it can be used.
    std::array<int32_t, NamingRuleCount> serials {};
    for (int r = 0; r < NamingRuleCount; ++r) {
        const DialogLogic::SerialValue v = DialogLogic::parseSerial(m_serialFields[r]->text(), m_settings.serials[r]);
        if (!v.ok()) {
            const QString why = v.problem == DialogLogic::SerialProblem::Negative
                ? QStringLiteral("通し番号にマイナスの数は使えません。")
                : QStringLiteral("通し番号が大きすぎます。");
            refuse(m_serialFields[r], why + QStringLiteral("\n0 から 2147483647 までの数を入力して下さい。"));
            return;
        }
        serials[r] = v.value;
    }
    if (m_rule == NamingRule::HeadNameAndSerial) {
        for (int folder = 0; folder < Settings::TargetCount; ++folder) {
            QString problem = DialogLogic::headNameProblem(m_headNameFields[folder]->text());
            if (problem.isEmpty() && !SettingsFile::canHold(m_headNameFields[folder]->text()))
                problem = QStringLiteral("改行など設定ファイルに書けない文字が含まれています。");
            if (!problem.isEmpty()) {
                refuse(m_headNameFields[folder],
                    QStringLiteral("フォルダ%1のヘッドネーム「%2」は使えません。\n%3")
                        .arg(fullWidthDigit(folder), m_headNameFields[folder]->text(), problem));
                return;
            }
        }
    }
    std::array<QString, Settings::FolderCount> paths;
    if (!checkPaths(paths) || !createMissingFolders(paths))
        return;

    m_settings.destinationFolders = paths;
    m_settings.namingRule = m_rule;
    if (m_rule == NamingRule::HeadNameAndSerial)
        for (int folder = 0; folder < Settings::TargetCount; ++folder)
            m_settings.headNames[folder] = m_headNameFields[folder]->text();
    m_settings.serials = serials;
    accept();
}

void DestinationsDialog::emptyDeleteFolder()
{
    // The stored delete folder, not an edit of its field that OK has not taken yet.
    const DialogLogic::BulkDeleteFolder checked = DialogLogic::bulkDeleteFolder(m_settings.deleteFolder());
    Failure unset = Failure::of(Reason::FolderUnset);
    unset.number = Settings::DeleteFolder;
    const QString problem
        = Settings::isUnsetFolder(m_settings.deleteFolder()) ? Wording::messageFor(unset) : checked.problem;
    if (!problem.isEmpty()) {
        showMessage(this, problem, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const bool trash = FileOps::trashAvailable();
    const QString text = checked.folder + QStringLiteral("フォルダのファイルをすべてを削除しますか?\n")
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
        ? DialogLogic::deleteFolderFiles(checked.folder, FileOps::moveToTrash)
        : DialogLogic::deleteFolderFiles(checked.folder);
    showFolderFiles();
    QGuiApplication::restoreOverrideCursor();
    emit deleteFolderEmptied(checked.folder);
    QStringList lines;
    if (!result.remaining.isEmpty()) {
        QStringList shown = result.remaining.mid(0, 10);
        if (result.remaining.size() > shown.size())
            shown << QStringLiteral("…");
        lines << QStringLiteral("%1 のファイルのうち %2 個を%3できませんでした。")
                     .arg(checked.folder)
                     .arg(result.remaining.size())
                     .arg(trash ? QStringLiteral("ごみ箱へ移動") : QStringLiteral("削除"))
              << shown;
    }
    if (result.unlistable > 0)
        lines << QStringLiteral("名前にUTF-8でない文字を含むファイル %1 個は扱えないため、残っています。")
                     .arg(result.unlistable);
    if (!lines.isEmpty())
        showMessage(this, lines.join(u'\n'), QMessageBox::Ok, QMessageBox::Warning);
}
