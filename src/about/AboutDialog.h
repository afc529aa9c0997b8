#pragma once
#include <QColor>
#include <QDialog>

class QLabel;
class QPushButton;

// The about box: title, version, description, a link to the homepage, OK and the
// system-information button. Not modal; it deletes itself when closed.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);

    static QColor linkColor() { return QColor(0, 0, 255); }
    static QColor linkHoverColor() { return QColor(128, 0, 128); }

    // A box of the system's facts (OS, kernel, Qt, screen) the user can copy.
    void showSystemFacts();

    // Esc closes the box like its close button.
    void reject() override;

signals:
    void closed(); // however it closes

protected:
    void closeEvent(QCloseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void load();
    void showLinkAtRest() { setLinkLook(linkColor()); }
    void showLinkHovered() { setLinkLook(linkHoverColor()); }
    void openHomepage();
    void setLinkLook(const QColor& color);

    QLabel* m_iconLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_descriptionLabel = nullptr;
    QLabel* m_homepageLink = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_sysInfoButton = nullptr;
};
