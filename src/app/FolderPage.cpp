#include "app/FolderPage.h"
#include "platform/DirList.h"
#include "platform/DriveList.h"
#include "platform/FileList.h"
#include "platform/FileOps.h"
#include "platform/Twips.h"
#include "session/PictureFolder.h"
#include <QDir>
#include <QEvent>
#include <QPushButton>

FolderPage::FolderPage(PictureFolder& folder, QWidget* client)
    : QWidget(client)
    , m_folder(folder)
    , m_drives(new DriveList(this))
    , m_folders(new DirList(this))
    , m_files(new FileList(this))
    , m_start(new QPushButton(QStringLiteral("実行"), this))
    , m_quit(new QPushButton(QStringLiteral("終了"), this))
{
    const TwipsPerPixel tpp = screenTwipsPerPixel();
    placeTwips(m_drives, 120, 480, 3255, 300, tpp);
    placeTwips(m_folders, 120, 840, 3255, 1560, tpp);
    placeTwips(m_files, 3480, 480, 2895, 1890, tpp);
    placeTwips(m_start, 3600, 2760, 1335, 495, tpp);
    placeTwips(m_quit, 5040, 2760, 1335, 495, tpp);

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
    connect(m_files, &QListWidget::itemClicked, this, selected);
    connect(m_files, &FileList::keyboardSelected, this, selected);
    connect(m_files, &QListWidget::itemDoubleClicked, this, [this] { emit fileActivated(m_files->selectedIndex()); });
    connect(m_start, &QPushButton::clicked, this, &FolderPage::startRequested);
    connect(m_quit, &QPushButton::clicked, this, &FolderPage::quitRequested);
}

void FolderPage::openAtStart(bool remember, QString remembered)
{
    {
        const QSignalBlocker block(m_drives);
        m_drives->setDrive(DriveList::driveOf(QDir::currentPath()));
    }
    bool opened = false;
    if (remember) {
        m_drives->setDrive(DriveList::driveOf(remembered));
        // A remembered folder that is gone falls back to the current folder.
        opened = m_folders->setPath(remembered);
    }
    if (!opened) {
        if (!m_folders->setPath(QDir::currentPath()))
            m_folders->setPath(FileOps::rootPath());
        const QSignalBlocker block(m_drives);
        m_drives->setDrive(DriveList::driveOf(m_folders->path()));
    }
}

void FolderPage::refreshFolders() { m_folders->refresh(); }

bool FolderPage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == parent() && e->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, e);
}
