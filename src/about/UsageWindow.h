#pragma once
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The usage window: Readme.txt from the program's folder. Not modal; it deletes itself
// when closed.
class UsageWindow : public QWidget {
    Q_OBJECT
public:
    UsageWindow(const QString& programFolder, QWidget* parent);

    QPlainTextEdit* textView = nullptr;
    QPushButton* backButton = nullptr; // "プログラムへ戻る"

signals:
    void closed(); // however it closes

protected:
    void closeEvent(QCloseEvent* e) override;
};
