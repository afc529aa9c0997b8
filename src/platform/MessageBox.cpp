#include "platform/MessageBox.h"

QString appTitle() { return QStringLiteral("ピラポくんLumo"); }

int MsgBox(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
           const QString& title)
{
    QMessageBox box(icon, title.isEmpty() ? appTitle() : title, text, buttons, parent);
    box.setObjectName(QStringLiteral("lumoMessageBox"));
    return box.exec();
}
