#pragma once
#include <QMessageBox>
#include <QString>

// Message boxes with the program's title unless another is given.
// Returns the QMessageBox::StandardButton that closed the box.
int MsgBox(QWidget* parent, const QString& text,
           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
           QMessageBox::Icon icon = QMessageBox::NoIcon, const QString& title = QString());

QString appTitle(); // "ピラポくんLumo"
