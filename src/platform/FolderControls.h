#pragma once
#include <QComboBox>
#include <QHash>
#include <QListWidget>
#include <QString>
#include <QStringList>

// The drive list: mounted, ready file systems by root path, the root "/" first.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    QString drive() const; // the chosen drive's root path
    void setDrive(const QString& root); // raises changed() when it differs
    static QString driveOf(const QString& path); // the mounted root the path lies on
    void refreshDrives();

signals:
    void changed();

private:
    QString m_current;
};

// The folder list: the ancestors of the current folder from the root down, then its
// sub-folders (hidden ones left out, sorted by name). Every change of Path raises changed().
class DirList : public QListWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // False, with the folder left as it was, when `path` cannot be opened.
    bool setPath(const QString& path, QString* error = nullptr);
    void refresh(); // re-reads the sub-folders

    // The folder last shown on each drive during this run.
    QString lastFolderOn(const QString& driveRoot) const;

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void openRow(int row);
    QString m_path;
    QStringList m_rowPaths;
    QHash<QString, QString> m_lastOnDrive;
};

// Moves the folder list to the drive list's chosen drive. A drive that cannot be
// opened asks Retry/Cancel; Cancel puts the drive list back on the folder list's drive.
void followDriveChange(QWidget* parent, DriveList* drives, DirList* dirs);

// The file list: the plain, non-hidden files of one folder matching a pattern list
// such as "*.jpg;*.bmp;*.gif;*.png", case-insensitively, sorted by name.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    void setPattern(const QString& pattern) { m_pattern = pattern; }
    QString pattern() const { return m_pattern; }
    QString path() const { return m_path; }
    void setPath(const QString& folder); // relists
    void refresh();

    int entryCount() const { return int(m_entries.size()); }
    // Entry i (from 0), or an empty string beyond the list.
    QString entry(int i) const { return i >= 0 && i < m_entries.size() ? m_entries[i] : QString(); }
    const QStringList& entries() const { return m_entries; }
    int selectedIndex() const { return currentRow(); }
    // Matching files left out because Qt cannot hold their names (not UTF-8 here).
    int unshownCount() const { return m_unshown; }

    // The listing itself, for logic that needs no widget.
    static QStringList listFolder(const QString& folder, const QString& pattern);

signals:
    // The user chose another entry with the keyboard; a click is itemClicked.
    void keyboardSelected();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    QStringList m_entries;
    int m_unshown = 0;
};
