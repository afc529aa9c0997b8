#include "platform/FileList.h"
#include <QKeyEvent>

FileList::FileList(QWidget* parent)
    : QListWidget(parent)
{
}

void FileList::showEntries(const QStringList& entries)
{
    const QSignalBlocker block(this);
    clear();
    addItems(entries);
}

void FileList::keyPressEvent(QKeyEvent* e)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() >= 0 && currentRow() != before)
        emit keyboardSelected();
}
