#pragma once
#include <QString>
#include <QWidget>

class DirList;
class DriveList;
class FileList;
class PictureFolder;
class QPushButton;
class QVBoxLayout;

// The folder screen: the drive, folder and file lists and the start and quit buttons,
// laid out on a page that covers the client area, the lists growing with it. The picture folder
// follows the folder list; the file list shows the picture folder.
class FolderPage : public QWidget {
    Q_OBJECT
public:
    FolderPage(PictureFolder& folder, QWidget* client);

    // The folder a run starts in: the remembered one when asked for and it opens, else
    // `otherwise`, else the root. Only the remembered folder's drive is followed as a
    // chosen drive is (it may ask Retry/Cancel); otherwise the drive list is set quietly.
    // `remembered` is a copy: following its drive already changes the folder it came from.
    void openAtStart(bool remember, QString remembered, const QString& otherwise);
    void refreshFolders(); // a folder was made beneath the one shown
    void reserveBottom(int pixels); // the strip the status bar covers

    QString folderPath() const; // the folder the folder list shows
    void setStartEnabled(bool on); // off while the about box or the usage window is open

signals:
    void folderChanged(); // the picture folder now lists the folder chosen
    void fileSelected(const QString& name); // clicked, or chosen with the arrow keys
    void fileActivated(int position); // double-clicked
    void startRequested();
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    PictureFolder& m_folder;
    DriveList* m_drives;
    DirList* m_folders;
    FileList* m_files;
    QPushButton* m_start;
    QPushButton* m_quit;
    QVBoxLayout* m_layout = nullptr;
};
