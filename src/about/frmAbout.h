#pragma once
#include <QColor>
#include <QDialog>

class Form1;
class QLabel;
class QPushButton;

// The about box: title, version, description, a link to the homepage, OK and the
// system-information button. Not modal; while it is open the main window's "実行" is off.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Form1& owner);

    static QColor linkColor() { return QColor(0, 0, 255); }
    static QColor linkHoverColor() { return QColor(128, 0, 128); }

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* Label1 = nullptr; // the homepage link
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    void Form_Load();
    void Form_MouseMove();
    void lblDescription_MouseMove();
    void Label1_MouseMove();
    void Label1_Click();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();
    void Form_QueryUnload();

    // Esc closes the box like its close button.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void setLinkLook(const QColor& color);

    Form1& m_owner;
};
