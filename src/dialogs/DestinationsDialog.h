#pragma once
#include "session/Settings.h"
#include <QDialog>
#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class DriveList;
class DirList;
class FileList;

// "移動先フォルダのパス設定": the ten destination folders and the delete folder, the
// renaming rule with its serial counters, and the head names. Centred over its parent and no
// larger than the screen; what does not fit scrolls.
class DestinationsDialog : public QDialog {
    Q_OBJECT
public:
    DestinationsDialog(Settings& settings, QWidget* parent);

    // The rule the option buttons show; the settings take it only on OK.
    int chosenRule() const { return m_rule; }

    QSize sizeHint() const override; // the whole page, before the screen limits it

signals:
    // OK made a missing folder: folder lists elsewhere must read again.
    void folderCreated();
    // The bulk delete emptied `folder` (links resolved): what was in it is gone.
    void deleteFolderEmptied(const QString& folder);

private:
    void buildControls();
    void load();
    void chooseRule(int rule);
    void pickFolder(int k);
    void showNaming(); // counters, rule and head names as the chosen rule shows them
    void showFolderFiles(); // every file of the folder the folder list shows
    void store(); // OK: everything checked, then stored, or nothing stored
    void emptyDeleteFolder();
    // Checks every path in folder order without creating anything; false, with the user
    // told which path and the field focused, when one cannot be used. An empty field
    // leaves its folder not set.
    bool checkPaths(std::array<QString, 11>& paths);
    // Then creates the missing folders, each announced first.
    bool createMissingFolders(const std::array<QString, 11>& paths);
    void refuse(QLineEdit* field, const QString& text);

    Settings& m_settings;
    DriveList* m_drives = nullptr;
    DirList* m_folders = nullptr;
    FileList* m_files = nullptr; // every file of the folder the folder list shows
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_emptyDeleteFolderButton = nullptr; // "一括削除"
    QGroupBox* m_namingGroup = nullptr;
    std::array<QRadioButton*, 3> m_ruleButtons {}; // renaming rules 0..2
    std::array<QLineEdit*, 3> m_serialFields {}; // serial of each rule
    std::array<QPushButton*, 11> m_pickFolderButtons {}; // fill a path from the folder list; 10 the delete folder
    std::array<QLineEdit*, 11> m_pathFields {}; // paths; 10 the delete folder
    std::array<QLineEdit*, 10> m_headNameFields {};
    QSize m_pageSize;
    int m_rule = 0;
};
