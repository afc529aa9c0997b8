#include "platform/FileList.h"
#include "platform/FileListing.h"
#include <QKeyEvent>

FileList::FileList(QWidget* parent)
    : QListWidget(parent)
{
}

void FileList::setPath(const QString& folder)
{
    m_path = folder;
    refresh();
}

void FileList::keyPressEvent(QKeyEvent* e)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() >= 0 && currentRow() != before)
        emit keyboardSelected();
}

void FileList::refresh()
{
    m_entries = m_path.isEmpty() ? QStringList() : listFiles(m_path, m_pattern);
    m_unshown = m_path.isEmpty() ? 0 : countUnlistable(m_path, m_pattern);
    const QSignalBlocker block(this);
    clear();
    addItems(m_entries);
}
