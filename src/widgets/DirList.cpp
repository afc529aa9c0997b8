#include "widgets/DirList.h"
#include "platform/FileOps.h"
#include "widgets/DriveList.h"
#include "widgets/Message.h"
#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

DirList::DirList(QWidget* parent)
    : QListWidget(parent)
{
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { openRow(row(item)); });
    connect(this, &QListWidget::currentRowChanged, this, &DirList::chooseRow);
}

static QString cleanFolder(const QString& path)
{
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    return QDir::toNativeSeparators(p);
}

bool DirList::setPath(const QString& path, QString* error)
{
    const QString p = cleanFolder(path);
    const QFileInfo fi(p);
    if (!fi.exists() || !fi.isDir()) {
        if (error)
            *error = QStringLiteral("フォルダ %1 が見つかりません。").arg(p);
        return false;
    }
    if (!fi.isReadable() || !fi.isExecutable()) {
        if (error)
            *error = QStringLiteral("フォルダ %1 を開けません。アクセスが拒否されました。").arg(p);
        return false;
    }
    m_path = p;
    m_listed = p;
    m_lastOnDrive.insert(DriveList::driveOf(p), p);
    refresh();
    emit changed();
    return true;
}

QString DirList::lastFolderOn(const QString& driveRoot) const { return m_lastOnDrive.value(driveRoot, driveRoot); }

void DirList::refresh()
{
    QSignalBlocker block(this);
    clear();
    m_rowPaths.clear();
    if (m_listed.isEmpty())
        return;
    // Ancestors from the root down.
    QStringList chain;
    QDir d(m_listed);
    for (;;) {
        chain.prepend(QDir::toNativeSeparators(d.absolutePath()));
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& a : chain) {
        const QString name = depth == 0 ? a : QFileInfo(a).fileName();
        auto* item
            = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(depth * 2, u' ') + name, this);
        item->setToolTip(a);
        m_rowPaths << a;
        ++depth;
    }
    const int listedRow = int(m_rowPaths.size()) - 1;
    QStringList subs = QDir(m_listed).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    QCollator coll;
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    coll.setNumericMode(false);
    std::sort(subs.begin(), subs.end(), [&](const QString& a, const QString& b) {
        const int c = coll.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& s : subs) {
        auto* item
            = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirClosedIcon), QString(depth * 2, u' ') + s, this);
        const QString full = FileOps::joinPath(m_listed, s);
        item->setToolTip(full);
        m_rowPaths << full;
    }
    // The chosen folder stays chosen; one that has gone gives way to the folder listed.
    const int chosen = int(m_rowPaths.indexOf(m_path));
    setCurrentRow(chosen >= 0 ? chosen : listedRow);
    if (chosen < 0 && m_path != m_listed) {
        block.unblock();
        m_path = m_listed;
        emit changed();
    }
}

void DirList::chooseRow(int row)
{
    if (row < 0 || row >= m_rowPaths.size() || m_rowPaths[row] == m_path)
        return;
    m_path = m_rowPaths[row];
    m_lastOnDrive.insert(DriveList::driveOf(m_path), m_path);
    emit changed();
}

void DirList::openRow(int row)
{
    if (row < 0 || row >= m_rowPaths.size())
        return;
    QString error;
    setPath(m_rowPaths[row], &error);
}

void DirList::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        openRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(e);
}

void followDriveChange(QWidget* parent, DriveList* drives, DirList* dirs)
{
    for (;;) {
        QString error;
        if (dirs->setPath(dirs->lastFolderOn(drives->drive()), &error))
            return;
        const int answer
            = showMessage(parent, error, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Information);
        if (answer != QMessageBox::Retry) {
            const QSignalBlocker block(drives);
            drives->setDrive(DriveList::driveOf(dirs->path()));
            return;
        }
    }
}
