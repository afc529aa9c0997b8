#pragma once
#include <QListWidget>
#include <QStringList>

// The file list: shows the entries it is given, one a row, and says which is chosen.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    void showEntries(const QStringList& entries);
    int selectedIndex() const { return currentRow(); }

signals:
    // The user chose another entry with the keyboard; a click is itemClicked.
    void keyboardSelected();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
