#pragma once
#include "platform/Twips.h"
#include "session/Session.h"
#include "session/Settings.h"
#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Form1;

// "オプション": thumbnail size and count, the remembered folder, copy mode and the
// slideshow. The check boxes act at once; the rest is stored by OK.
class Dialog2 : public QDialog {
    Q_OBJECT
public:
    // Owned by the main window, also when the viewer opens it.
    Dialog2(Settings& settings, Session& session, Form1* form);

    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QGroupBox* Frame1 = nullptr; // thumbnail size
    std::array<QRadioButton*, 5> Option1 {};
    QGroupBox* Frame2 = nullptr; // thumbnails per load
    std::array<QRadioButton*, 6> Option2 {};
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Check1 = nullptr; // RememberFolder
    QCheckBox* Check3 = nullptr; // CopyMode
    QGroupBox* Frame4 = nullptr; // viewer
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr; // slideshow interval in seconds
    QLabel* Label2 = nullptr; // "秒"
    QCheckBox* Check2 = nullptr; // SlideRepeat

    void Form_Load();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void OKButton_Click();
    void CancelButton_Click();

private:
    void buildControls();

    Settings& m_settings;
    Session& m_session;
    Form1* m_form;
    TwipsPerPixel m_tpp;
};
