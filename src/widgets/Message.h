#pragma once
#include <QMessageBox>
#include <QString>

// Message boxes with the program's title unless another is given, their buttons
// captioned in Japanese. `defaultButton`, when given, is the one Enter presses.
// Returns the QMessageBox::StandardButton that closed the box.
int showMessage(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::Icon icon = QMessageBox::NoIcon, const QString& title = QString(),
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

QString appTitle(); // "ピラポくんLumo"
