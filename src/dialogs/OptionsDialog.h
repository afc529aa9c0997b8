#pragma once
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

// "オプション": thumbnail size and count, the remembered folder, copy mode and the
// slideshow. The check boxes act at once; the rest is stored by OK. Laid out for its text
// and centred over its parent.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(Settings& settings, Session& session, QWidget* parent);

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QGroupBox* sizeGroup = nullptr; // thumbnail size
    std::array<QRadioButton*, 5> sizeButtons {};
    QGroupBox* countGroup = nullptr; // thumbnails per load
    std::array<QRadioButton*, 6> countButtons {};
    QGroupBox* optionsGroup = nullptr;
    QCheckBox* rememberFolderBox = nullptr;
    QCheckBox* copyModeBox = nullptr;
    QGroupBox* viewerGroup = nullptr;
    QLabel* intervalLabel = nullptr;
    QLineEdit* intervalField = nullptr; // slideshow interval in seconds
    QLabel* secondsLabel = nullptr; // "秒"
    QCheckBox* repeatBox = nullptr;

signals:
    void copyModeChanged(bool on); // the copy-mode box was switched; never while the dialog is made
    void stored(); // OK stored the values; the dialog is accepted right after

private:
    void buildControls();
    void load();
    void rememberFolderToggled(bool on);
    void repeatToggled(bool on);
    void copyModeToggled(bool on);
    void store(); // OK: the interval checked, then everything stored

    Settings& m_settings;
    Session& m_session;
};
