#include "platform/FolderControls.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>

// ---- DriveList

static bool isPseudoFileSystem(const QStorageInfo& v)
{
    static const QStringList pseudo = { "proc", "sysfs", "devpts", "cgroup", "cgroup2", "securityfs", "pstore",
        "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs", "bpf", "autofs", "binfmt_misc", "devtmpfs",
        "overlay", "nsfs", "rpc_pipefs", "efivarfs", "squashfs" };
    const QString type = QString::fromLatin1(v.fileSystemType());
    if (pseudo.contains(type))
        return true;
    const QString root = v.rootPath();
    return root.startsWith("/proc") || root.startsWith("/sys") || root.startsWith("/dev") || root.startsWith("/run")
        || root.startsWith("/snap");
}

DriveList::DriveList(QWidget* parent)
    : QComboBox(parent)
{
    refreshDrives();
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString root = itemData(index).toString();
        if (root != m_current) {
            m_current = root;
            emit changed();
        }
    });
}

void DriveList::refreshDrives()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || isPseudoFileSystem(v))
            continue;
        if (!roots.contains(v.rootPath()))
            roots << v.rootPath();
    }
    const QString root = FileOps::rootPath();
    roots.removeAll(root);
    std::sort(roots.begin(), roots.end());
    roots.prepend(root);
    const QSignalBlocker block(this);
    clear();
    for (const QString& r : roots)
        addItem(QDir::toNativeSeparators(r), r);
    if (m_current.isEmpty())
        m_current = root;
    const int i = findData(m_current);
    if (i >= 0)
        setCurrentIndex(i);
}

QString DriveList::drive() const { return m_current; }

void DriveList::setDrive(const QString& root)
{
    int i = findData(root);
    if (i < 0) {
        addItem(QDir::toNativeSeparators(root), root);
        i = count() - 1;
    }
    {
        const QSignalBlocker block(this);
        setCurrentIndex(i);
    }
    if (root != m_current) {
        m_current = root;
        emit changed();
    }
}

QString DriveList::driveOf(const QString& path)
{
    const QStorageInfo v(path);
    if (v.isValid() && !v.rootPath().isEmpty() && !isPseudoFileSystem(v))
        return v.rootPath();
    return FileOps::rootPath();
}

// ---- DirList

DirList::DirList(QWidget* parent)
    : QListWidget(parent)
{
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { openRow(row(item)); });
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
    m_lastOnDrive.insert(DriveList::driveOf(p), p);
    refresh();
    emit changed();
    return true;
}

QString DirList::lastFolderOn(const QString& driveRoot) const { return m_lastOnDrive.value(driveRoot, driveRoot); }

void DirList::refresh()
{
    const QSignalBlocker block(this);
    clear();
    m_rowPaths.clear();
    if (m_path.isEmpty())
        return;
    // Ancestors from the root down.
    QStringList chain;
    QDir d(m_path);
    for (;;) {
        chain.prepend(QDir::toNativeSeparators(d.absolutePath()));
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& a : chain) {
        const QString name = depth == 0 ? a : QFileInfo(a).fileName();
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirOpenIcon), QString(depth * 2, u' ') + name, this);
        item->setToolTip(a);
        m_rowPaths << a;
        ++depth;
    }
    setCurrentRow(int(m_rowPaths.size()) - 1);
    QStringList subs = QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    QCollator coll;
    coll.setCaseSensitivity(Qt::CaseInsensitive);
    coll.setNumericMode(false);
    std::sort(subs.begin(), subs.end(), [&](const QString& a, const QString& b) {
        const int c = coll.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& s : subs) {
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirClosedIcon), QString(depth * 2, u' ') + s, this);
        const QString full = FileOps::joinPath(m_path, s);
        item->setToolTip(full);
        m_rowPaths << full;
    }
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
        const int answer = MsgBox(parent, error, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Information);
        if (answer != QMessageBox::Retry) {
            const QSignalBlocker block(drives);
            drives->setDrive(DriveList::driveOf(dirs->path()));
            return;
        }
    }
}

// ---- FileList

FileList::FileList(QWidget* parent)
    : QListWidget(parent)
{
}

void FileList::setPath(const QString& folder)
{
    m_path = folder;
    refresh();
}

static QStringList nameFilters(const QString& pattern)
{
    QStringList filters;
    for (const QString& p : pattern.split(u';', Qt::SkipEmptyParts))
        filters << p.trimmed();
    return filters;
}

QStringList FileList::listFolder(const QString& folder, const QString& pattern)
{
    const QStringList filters = nameFilters(pattern);
    QDir dir(folder);
    dir.setNameFilters(filters);
    // Hidden files (a leading dot here) are left out; name filters are case-insensitive.
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::NoSort);
    QStringList names = dir.entryList();
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return n.startsWith(u'.'); }),
                names.end());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

void FileList::keyPressEvent(QKeyEvent* e)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() >= 0 && currentRow() != before)
        emit keyboardSelected();
}

void FileList::refresh()
{
    m_entries = m_path.isEmpty() ? QStringList() : listFolder(m_path, m_pattern);
    m_unshown = m_path.isEmpty() ? 0 : FileOps::unshownNames(m_path, nameFilters(m_pattern));
    const QSignalBlocker block(this);
    clear();
    addItems(m_entries);
}
