#pragma once
#include "platform/PictureFormats.h"
#include <QObject>
#include <QString>
#include <QStringList>

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
    int unlistedCount() const { return m_unlisted; }

signals:
    void relisted();

private:
    QString m_path;
    QString m_pattern;
    QStringList m_names;
    int m_unlisted = 0;
};
