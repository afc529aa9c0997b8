#pragma once
#include "imaging/PictureLoader.h"
#include "platform/BackgroundJobs.h"
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

class PngDecoder;

// The viewer's pictures made ahead of the step that shows them: the next and the
// previous one, decoded in the background at the size of the picture area. A prepared
// picture is handed out only while the file is still the one it was made from.
// Owned and called by the window's thread.
class PicturePrefetch {
public:
    // PNG files are decoded with `png`, which must outlive this (the work ends here).
    // Each picture is made at the area's size and refused when larger than the viewer's
    // budget.
    explicit PicturePrefetch(const PngDecoder& png);
    ~PicturePrefetch(); // drops queued work, waits for running work

    // Starts making the picture of `path` for an area of `area`, unless it is under way.
    void prepare(const QString& path, QSize area);

    // The prepared picture of `path` for `area`, waiting for it when it is being made;
    // nothing when it was not asked for or the file has changed since.
    std::optional<Picture> take(const QString& path, QSize area);

    // Keeps a picture just shown, so that stepping back to it needs no decoding.
    void keep(const QString& path, QSize area, const Picture& picture);

    // Forgets every prepared picture but those of `paths` for `area`.
    void keepOnly(const QStringList& paths, QSize area);

    bool isPrepared(const QString& path, QSize area) const; // made and waiting to be taken

private:
    QString keyOf(const QString& path, QSize area) const;

    const PngDecoder& m_png;
    BackgroundJobs<Picture> m_jobs;
    struct Made {
        QString path;
        QSize area;
    };
    QHash<QString, Made> m_made; // by key
};
