#include "platform/TextFile.h"
#include "platform/DurableFile.h"
#include "platform/FileOps.h"
#include <QFile>
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

bool write(const QString& path, const QByteArray& bytes, Failure* failure)
{
    const Failure written = DurableFile::write(path, bytes);
    if (failure)
        *failure = written;
    return written.ok();
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
