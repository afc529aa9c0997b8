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
// naming rule with its serial counters, and the head names. Centred over its parent and no
// larger than the screen; what does not fit scrolls.
class DestinationsDialog : public QDialog {
    Q_OBJECT
public:
    DestinationsDialog(Settings& settings, QWidget* parent);

    // The rule the option buttons show; the settings take it only on OK.
    NamingRule chosenRule() const { return m_rule; }

    QSize sizeHint() const override; // the whole page, before the screen limits it

signals:
    // OK made a missing folder: folder lists elsewhere must read again.
    void folderCreated();
    // The bulk delete emptied `folder` (links resolved): what was in it is gone.
    void deleteFolderEmptied(const QString& folder);

private:
    void buildControls();
    void load();
    void chooseRule(NamingRule rule);
    void pickFolder(int folder);
    void showNaming(); // counters, rule and head names as the chosen rule shows them
    void showFolderFiles(); // every file of the folder the folder list shows
    void store(); // OK: everything checked, then stored, or nothing stored
    void emptyDeleteFolder();
    // Checks every path in folder order without creating anything; false, with the user
    // told which path and the field focused, when one cannot be used. An empty field
    // leaves its folder not set.
    bool checkPaths(std::array<QString, Settings::FolderCount>& paths);
    // Then creates the missing folders, each announced first.
    bool createMissingFolders(const std::array<QString, Settings::FolderCount>& paths);
    void refuse(QLineEdit* field, const QString& text);

    Settings& m_settings;
    DriveList* m_drives = nullptr;
    DirList* m_folders = nullptr;
    FileList* m_files = nullptr; // every file of the folder the folder list shows
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_emptyDeleteFolderButton = nullptr; // "一括削除"
    QGroupBox* m_namingGroup = nullptr;
    std::array<QRadioButton*, NamingRuleCount> m_ruleButtons {};
    std::array<QLineEdit*, NamingRuleCount> m_serialFields {}; // the serial of each naming rule
    std::array<QPushButton*, Settings::FolderCount> m_pickFolderButtons {}; // fill a path from the folder list
    std::array<QLineEdit*, Settings::FolderCount> m_pathFields {}; // the last the delete folder
    std::array<QLineEdit*, Settings::TargetCount> m_headNameFields {};
    QSize m_pageSize;
    NamingRule m_rule = NamingRule::SerialAndName;
};
