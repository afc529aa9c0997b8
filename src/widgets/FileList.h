#pragma once
#include <QListView>
#include <QStringList>

class QStringListModel;

// The file list: shows the entries it is given, one a row, and says which is chosen. A
// view over the list itself, so a folder of a hundred thousand files shows at once.
class FileList : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    void showEntries(const QStringList& entries);
    int count() const;
    QString entry(int row) const;
    int selectedIndex() const { return currentIndex().row(); }
    void setCurrentRow(int row);

signals:
    void entryClicked(int row);
    void entryActivated(int row); // double-clicked
    // The user chose another entry with the keyboard.
    void keyboardSelected();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QStringListModel* m_model;
};
