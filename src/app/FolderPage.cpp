#include "app/FolderPage.h"
#include "platform/FileOps.h"
#include "session/PictureFolder.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

FolderPage::FolderPage(PictureFolder& folder, QWidget* client)
    : QWidget(client)
    , m_folder(folder)
    , m_drives(new DriveList(this))
    , m_folders(new DirList(this))
    , m_files(new FileList(this))
    , m_start(new QPushButton(QStringLiteral("実行"), this))
    , m_quit(new QPushButton(QStringLiteral("終了"), this))
{
    m_drives->setObjectName(QStringLiteral("drives"));
    m_folders->setObjectName(QStringLiteral("folders"));
    m_files->setObjectName(QStringLiteral("files"));
    m_start->setObjectName(QStringLiteral("startButton"));
    m_quit->setObjectName(QStringLiteral("quitButton"));
    // The lists take whatever room the window gives; the buttons keep their size below them.
    auto* browse = new QVBoxLayout;
    browse->addWidget(m_drives);
    browse->addWidget(m_folders, 1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(browse, 1);
    lists->addWidget(m_files, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_quit);
    m_layout = new QVBoxLayout(this);
    m_layout->addLayout(lists, 1);
    m_layout->addLayout(buttons);
    // Half the width each, whatever the names in them.
    for (QWidget* w : std::initializer_list<QWidget*> { m_drives, m_folders, m_files }) {
        w->setSizePolicy(QSizePolicy::Ignored, w->sizePolicy().verticalPolicy());
        w->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    }
    const int buttonWidth = m_start->fontMetrics().horizontalAdvance(QStringLiteral("実行")) * 3;
    m_start->setMinimumWidth(buttonWidth);
    m_quit->setMinimumWidth(buttonWidth);

    m_drives->setToolTip(QStringLiteral("ドライブを変更します。"));
    m_folders->setToolTip(QStringLiteral("フォルダを変更します。"));
    m_files->setToolTip(QStringLiteral("ダブルクリックでViewerを起動します。"));
    m_start->setToolTip(QStringLiteral("ピラポ画面を起動します。"));
    m_quit->setToolTip(QStringLiteral("プログラムを終了します。"));

    setTabOrder(m_drives, m_folders);
    setTabOrder(m_folders, m_files);
    setTabOrder(m_files, m_start);
    setTabOrder(m_start, m_quit);

    // The page lies over the whole client area, so that its lists can grow with it.
    setGeometry(client->rect());
    client->installEventFilter(this);

    // A Retry/Cancel for a drive that cannot be opened belongs to the main window.
    connect(m_drives, &DriveList::changed, this, [this] { followDriveChange(window(), m_drives, m_folders); });
    connect(m_folders, &DirList::changed, this, [this] {
        m_folder.setPath(m_folders->path());
        emit folderChanged();
    });
    connect(&m_folder, &PictureFolder::relisted, this, [this] { m_files->showEntries(m_folder.names()); });
    const auto selected = [this] { emit fileSelected(m_folder.name(m_files->selectedIndex())); };
    connect(m_files, &FileList::entryClicked, this, selected);
    connect(m_files, &FileList::keyboardSelected, this, selected);
    connect(m_files, &FileList::entryActivated, this, &FolderPage::fileActivated);
    connect(m_start, &QPushButton::clicked, this, &FolderPage::startRequested);
    connect(m_quit, &QPushButton::clicked, this, &FolderPage::quitRequested);
}

void FolderPage::openAtStart(bool remember, QString remembered, const QString& otherwise)
{
    {
        const QSignalBlocker block(m_drives);
        m_drives->setDrive(DriveList::driveOf(otherwise));
    }
    bool opened = false;
    if (remember) {
        m_drives->setDrive(DriveList::driveOf(remembered));
        // A remembered folder that is gone falls back to the current folder.
        opened = m_folders->setPath(remembered);
    }
    if (!opened) {
        if (!m_folders->setPath(otherwise))
            m_folders->setPath(FileOps::rootPath());
        const QSignalBlocker block(m_drives);
        m_drives->setDrive(DriveList::driveOf(m_folders->path()));
    }
}

void FolderPage::reserveBottom(int pixels)
{
    const QMargins m = m_layout->contentsMargins();
    m_layout->setContentsMargins(m.left(), m.top(), m.right(), pixels + m.left());
}

void FolderPage::refreshFolders() { m_folders->refresh(); }

bool FolderPage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == parent() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, e);
}

QString FolderPage::folderPath() const { return m_folders->path(); }

void FolderPage::setStartEnabled(bool on) { m_start->setEnabled(on); }
