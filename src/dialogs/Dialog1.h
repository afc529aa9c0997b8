#pragma once
#include "platform/Twips.h"
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
class Form1;

// "移動先フォルダのパス設定": the ten destination folders and the delete folder, the
// renaming rule with its serial counters, and the head names.
class Dialog1 : public QDialog {
    Q_OBJECT
public:
    Dialog1(Settings& settings, Form1* form, QWidget* parent = nullptr);

    DriveList* Drive1 = nullptr;
    DirList* Dir1 = nullptr;
    FileList* File1 = nullptr; // every file of the folder Dir1 shows
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* Command2 = nullptr; // "一括削除"
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 3> Option1 {}; // renaming rules 0..2
    std::array<QLineEdit*, 3> Text3 {}; // serial of each rule
    std::array<QPushButton*, 11> Command1 {}; // fill a path from Dir1; 10 the delete folder
    std::array<QLineEdit*, 11> Text1 {}; // paths; 10 the delete folder
    std::array<QLineEdit*, 10> Text2 {}; // head names

    // The rule the option buttons show; the settings take it only on OK.
    int chosenRule() const { return m_rule; }

    void Form_Load();
    void Option1_Click(int index);
    void Command1_Click(int index);
    void Drive1_Change();
    void Dir1_Change();
    void OKButton_Click();
    void CancelButton_Click();
    void Command2_Click();
    void ShowNameOptions();

private:
    void buildControls();
    void showFolderFiles(); // every file of the folder Dir1 shows
    // Checks every path in folder order without creating anything; false, with the user
    // told which path and the field focused, when one cannot be used. An empty field
    // leaves its folder not set.
    bool checkPaths(std::array<QString, 11>& paths);
    // Then creates the missing folders, each announced first.
    bool createMissingFolders(const std::array<QString, 11>& paths);
    void refuse(QLineEdit* field, const QString& text);

    Settings& m_settings;
    Form1* m_form;
    TwipsPerPixel m_tpp;
    int m_rule = 0;
};
