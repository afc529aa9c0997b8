#include "widgets/FileList.h"
#include <QKeyEvent>
#include <QStringListModel>

FileList::FileList(QWidget* parent)
    : QListView(parent)
    , m_model(new QStringListModel(this))
{
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row as high as the first: the view never measures the rest.
    setUniformItemSizes(true);
    connect(this, &QListView::clicked, this, [this](const QModelIndex& i) { emit entryClicked(i.row()); });
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& i) { emit entryActivated(i.row()); });
}

void FileList::showEntries(const QStringList& entries)
{
    const QSignalBlocker block(this);
    m_model->setStringList(entries); // shares the list, no copy
}

int FileList::count() const { return m_model->rowCount(); }

QString FileList::entry(int row) const { return m_model->index(row).data().toString(); }

void FileList::setCurrentRow(int row) { setCurrentIndex(m_model->index(row)); }

void FileList::keyPressEvent(QKeyEvent* e)
{
    const int before = selectedIndex();
    QListView::keyPressEvent(e);
    if (selectedIndex() >= 0 && selectedIndex() != before)
        emit keyboardSelected();
}
