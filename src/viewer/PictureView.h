#pragma once
#include <QWidget>

class PictureBox;

// The viewer's picture area: a picture inside it, shown at its natural size and
// centred, or reduced to fit when it is larger than the area.
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent);

    PictureBox* picture() const { return m_picture; }

    void setTips(const QString& tip); // the area's and the picture's
    void clear(); // the picture hidden, the area repainted, stretch off
    // Places the picture (of `natural` size) in the area and shows it; true when it was reduced.
    bool fit(QSize natural);

signals:
    // A press of any button on the picture or on the area around it; a quick second
    // click, which arrives as a double click, counts as a press too.
    void pressed(QWidget* control, Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    PictureBox* m_picture = nullptr;
};
