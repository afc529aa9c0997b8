#pragma once
#include <QListWidget>
#include <QString>
#include <QStringList>

// The file list: the plain, non-hidden files of one folder matching a pattern list
// such as "*.jpg;*.bmp;*.gif;*.png", case-insensitively, sorted by name.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    void setPattern(const QString& pattern) { m_pattern = pattern; }
    QString pattern() const { return m_pattern; }
    QString path() const { return m_path; }
    void setPath(const QString& folder); // relists
    void refresh();

    int entryCount() const { return int(m_entries.size()); }
    // Entry i (from 0), or an empty string beyond the list.
    QString entry(int i) const { return i >= 0 && i < m_entries.size() ? m_entries[i] : QString(); }
    const QStringList& entries() const { return m_entries; }
    int selectedIndex() const { return currentRow(); }
    // Matching files left out because Qt cannot hold their names (not UTF-8 here).
    int unshownCount() const { return m_unshown; }

signals:
    // The user chose another entry with the keyboard; a click is itemClicked.
    void keyboardSelected();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    QStringList m_entries;
    int m_unshown = 0;
};
