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

signals:
    void closed(); // however it closes

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QPlainTextEdit* m_textView = nullptr;
    QPushButton* m_backButton = nullptr; // "プログラムへ戻る"
};
