#pragma once
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVector>
#include <type_traits>

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
    // Each window names its panels with an enum of its own, numbered from 1.
    template <typename Panel, typename = std::enable_if_t<std::is_enum_v<Panel>>> QString panelText(Panel panel) const
    {
        return panelText(int(panel));
    }
    template <typename Panel, typename = std::enable_if_t<std::is_enum_v<Panel>>>
    void setPanelText(Panel panel, const QString& text)
    {
        setPanelText(int(panel), text);
    }
    template <typename Panel, typename = std::enable_if_t<std::is_enum_v<Panel>>> QLabel* panel(Panel panel) const
    {
        return this->panel(int(panel));
    }

    void updateIndicators();

private:
    QVector<PanelSpec> m_specs;
    QVector<QLabel*> m_labels;
    QTimer m_clock;
};

// The lock-key states where the platform tells them.
bool capsLockOn();
bool numLockOn();
