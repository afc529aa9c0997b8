#pragma once
#include <QHash>
#include <QListWidget>
#include <QString>
#include <QStringList>

class DriveList;

// The folder list: the ancestors of the folder opened from the root down, then its
// sub-folders (hidden ones left out, sorted by name). The highlighted row is the current
// folder: a click or an arrow key chooses it, a double click or Enter opens it. Every
// change of the current folder raises changed().
class DirList : public QListWidget {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);

    QString path() const { return m_path; } // the current folder, the one highlighted
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
    void chooseRow(int row);
    QString m_path;
    QString m_listed; // the folder whose sub-folders are shown
    QStringList m_rowPaths;
    QHash<QString, QString> m_lastOnDrive;
};

// Moves the folder list to the drive list's chosen drive. A drive that cannot be
// opened asks Retry/Cancel; Cancel puts the drive list back on the folder list's drive.
void followDriveChange(QWidget* parent, DriveList* drives, DirList* dirs);
