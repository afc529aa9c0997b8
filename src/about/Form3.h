#pragma once
#include <QWidget>

class Form1;
class QPlainTextEdit;
class QPushButton;

// The usage window: Readme.txt from the program's folder. Not modal; while it is open
// the main window's "実行" is off.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Form1& owner);

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr; // "プログラムへ戻る"

    void Form_Load();
    void Command1_Click();
    void Form_QueryUnload();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    Form1& m_owner;
};
