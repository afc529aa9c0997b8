#include "platform/Message.h"
#include <QPushButton>

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
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}
