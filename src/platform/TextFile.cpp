#include "platform/TextFile.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>

namespace TextFile {

bool read(const QString& path, QByteArray* bytes)
{
    QFile f(path);
    if (!FileOps::openRegularFile(f))
        return false;
    *bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}

bool write(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile f(path);
    f.setDirectWriteFallback(true);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = FileOps::describeSystemError(errno ? errno : EACCES);
        return false;
    }
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

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder(bytes);
}

QByteArray encode(const QString& text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder(text);
}

}
