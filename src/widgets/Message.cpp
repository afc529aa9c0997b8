#include "widgets/Message.h"
#include "widgets/WindowFit.h"
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {

// Qt wraps a message box's text at about 500 pixels, anywhere inside a Japanese word. The
// label is made as wide as the text's widest line instead, as far as the screen allows
// (the box itself is capped below the screen width), so lines break only where the text
// breaks them.
void widenForText(QMessageBox& box, const QWidget* parent)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return;
    const QFontMetrics fm(label->font());
    int widest = 0;
    for (const QString& line : box.text().split(u'\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    const int screenWidth = WindowFit::room(parent ? parent : &box).width();
    const int boxLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
    constexpr int kIconAndMargins = 100;
    label->setMinimumWidth(std::min(widest + 4, boxLimit - kIconAndMargins));
}

}

QString appTitle() { return QStringLiteral("ピラポくんLumo"); }

int showMessage(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
    const QString& title, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title.isEmpty() ? appTitle() : title, text, buttons, parent);
    box.setObjectName(QStringLiteral("lumoMessageBox"));
    // No translation is loaded, so Qt's own captions would be English.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        { QMessageBox::Cancel, "キャンセル" },
        { QMessageBox::Retry, "再試行" },
        { QMessageBox::Yes, "はい" },
        { QMessageBox::No, "いいえ" },
    };
    for (const auto& [which, caption] : captions)
        if (QAbstractButton* b = box.button(which))
            b->setText(QString::fromUtf8(caption));
    widenForText(box, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}
