#include "platform/TextFile.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>

namespace TextFile {

bool read(const QString& path, QString* text)
{
    QFile f(path);
    if (!FileOps::openRegularFile(f))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    QStringDecoder decode(QStringConverter::System);
    *text = decode(bytes);
    return true;
}

bool write(const QString& path, const QString& text, QString* error)
{
    QSaveFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = FileOps::describeSystemError(errno ? errno : EACCES);
        return false;
    }
    QStringEncoder encode(QStringConverter::System);
    const QByteArray bytes = encode(text);
    errno = 0;
    // The text sits in QSaveFile's buffer until the commit, and a commit whose flush
    // fails (a full disk) can still put a short file in place of the old one: flush
    // first, and leave the old file alone when that fails.
    if (f.write(bytes) != bytes.size() || !f.flush() || !f.commit()) {
        if (error)
            *error = FileOps::describeSystemError(errno ? errno : ENOSPC);
        return false;
    }
    return true;
}

}
