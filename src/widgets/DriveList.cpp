#include "widgets/DriveList.h"
#include "platform/FileOps.h"
#include <QDir>
#include <QStorageInfo>
#include <algorithm>

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
