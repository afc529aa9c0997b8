#pragma once
#include "sorting/UndoHistory.h"
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The files that belong to a picture and go wherever it goes: its camera RAW files and
// sidecars of the same base name ("IMG_0001.CR2", "IMG_0001.xmp" beside "IMG_0001.JPG",
// in any letter case) and sidecars named after the whole picture name ("IMG_0001.JPG.xmp").
namespace Companions {

// The companions of `pictureName` in `folder`, bare names in a stable order.
QStringList find(const QString& folder, const QString& pictureName);
// The same among `names`, a listing of the folder as listFolder() gives it.
QStringList findAmong(const QStringList& names, const QString& pictureName);
QStringList listFolder(const QString& folder);

// The name `companion` takes when its picture `pictureName` is stored as `pictureNewName`:
// the picture's new base with the companion's own extension ("000041 IMG_0001.CR2").
QString renamed(const QString& companion, const QString& pictureName, const QString& pictureNewName);

// The extensions of `companions`, upper case, each once, for the status bar: "+CR2 +XMP".
QString summary(const QStringList& companions);

// Where each of `companions` (in `sourceFolder`) goes when its picture is stored in
// `destinationFolder` as `newName`.
QList<CompanionMove> moves(const QString& sourceFolder, const QString& pictureName, const QStringList& companions,
    const QString& destinationFolder, const QString& newName);

// True when neither `newName` nor any companion's new name is taken in `destinationFolder`.
bool unitFree(const QString& destinationFolder, const QString& pictureName, const QStringList& companions,
    const QString& newName);

// The picture's own name, or the first free "stem (n).ext", free for every companion too;
// empty when none up to the limit is.
QString freeUnitName(const QString& folder, const QString& name, const QStringList& companions);

}

// The companions of the pictures of one folder for the status bars, asked for on every hover
// and every step: the folder is listed again only when it or its change time differs.
class CompanionLookup {
public:
    QStringList of(const QString& folder, const QString& pictureName);

private:
    QStringList m_listing;
    QString m_folder;
    QDateTime m_stamp;
};
