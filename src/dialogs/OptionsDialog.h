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
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QGroupBox* m_sizeGroup = nullptr; // thumbnail size
    std::array<QRadioButton*, 5> m_sizeButtons {};
    QGroupBox* m_countGroup = nullptr; // thumbnails per load
    std::array<QRadioButton*, 6> m_countButtons {};
    QGroupBox* m_optionsGroup = nullptr;
    QCheckBox* m_rememberFolderBox = nullptr;
    QCheckBox* m_copyModeBox = nullptr;
    QGroupBox* m_viewerGroup = nullptr;
    QLabel* m_intervalLabel = nullptr;
    QLineEdit* m_intervalField = nullptr; // slideshow interval in seconds
    QLabel* m_secondsLabel = nullptr; // "秒"
    QCheckBox* m_repeatBox = nullptr;
};
