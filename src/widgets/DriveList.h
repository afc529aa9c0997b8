#pragma once
#include <QComboBox>
#include <QString>

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
