#pragma once
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVector>

// A status bar of numbered panels (from 1). Panels of the kinds Caps, Num, Date and
// Time keep themselves current.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    enum class Kind { Text, Caps, Num, Date, Time };
    struct PanelSpec {
        Kind kind = Kind::Text;
        QString text;
        QString toolTip;
        int minWidth = 0; // pixels; 0 lets the panel size to its text
        bool stretch = false;
    };

    explicit StatusBar(const QVector<PanelSpec>& panels, QWidget* parent = nullptr);

    int panelCount() const { return int(m_labels.size()); }
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);
    QLabel* panel(int panel) const;

    void updateIndicators();

private:
    QVector<PanelSpec> m_specs;
    QVector<QLabel*> m_labels;
    QTimer m_clock;
};

// The lock-key states where the platform tells them.
bool capsLockOn();
bool numLockOn();
