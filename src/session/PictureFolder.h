#pragma once
#include "platform/PictureFormats.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class QFileSystemWatcher;
class QTimer;

// The source folder's pictures, listed once and read by everyone who addresses a picture
// by its place in the list: the folder screen, the board, the viewer and send all. The
// list stays as it was listed until the next setPath() or refresh(), also when files
// have gone meanwhile. A RAW file beside a picture of the same base name is listed once,
// as the picture.
class PictureFolder : public QObject {
    Q_OBJECT
public:
    explicit PictureFolder(
        QString pattern = PictureFormats::listPattern(PictureFormats::FormatSet::All), QObject* parent = nullptr);

    QString path() const { return m_path; }
    QString pattern() const { return m_pattern; }
    // Takes effect at the next listing.
    void setFormats(PictureFormats::FormatSet formats) { m_pattern = PictureFormats::listPattern(formats); }
    void setPath(const QString& folder); // lists it
    void refresh(); // lists the folder again

    int count() const { return int(m_names.size()); }
    // Entry i (from 0), or an empty string outside the list.
    QString name(int i) const { return i >= 0 && i < m_names.size() ? m_names[i] : QString(); }
    const QStringList& names() const { return m_names; }
    QString filePath(int i) const; // the folder joined with entry i
    // Matching files left out because Qt cannot hold their names (not UTF-8 here).
    int unlistableCount() const { return m_unlistable; }

    // Entries whose file has been sent away (or has vanished from the folder, noticed
    // shortly after) since the listing keep their place, since the
    // board addresses its tiles by it, but no longer count as pictures of the folder: the
    // viewer counts and steps over the present ones only. A new listing has none gone.
    void setGone(int i, bool gone);
    bool isGone(int i) const { return i >= 0 && i < int(m_gone.size()) && m_gone[size_t(i)]; }
    int presentCount() const { return count() - m_goneCount; }
    int presentBefore(int i) const; // present entries in front of entry i
    int presentEntry(int n) const; // the entry of the n-th present one (from 0), or -1

signals:
    void relisted();
    void presenceChanged(int i);

private:
    void noticeVanished();

    QFileSystemWatcher* m_watcher;
    QTimer* m_settle; // a burst of changes is looked at once
    QString m_path;
    QString m_pattern;
    QStringList m_names;
    int m_unlistable = 0;
    std::vector<char> m_gone; // a flag per entry; not vector<bool>, whose packed fill the sanitizer trips on
    int m_goneCount = 0;
};
