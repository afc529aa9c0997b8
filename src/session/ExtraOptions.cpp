#include "session/ExtraOptions.h"
#include "platform/TextFile.h"
#include "session/SettingsFile.h"
#include <QDir>
#include <QFileInfo>

namespace ExtraOptionsFile {

namespace {
    const QByteArray classicFormatsKey = "ClassicFormatsOnly";
    const QByteArray companionsKey = "CompanionsFollow";
    constexpr qsizetype MaxFileBytes = 4096; // a few lines; anything larger is not ours
}

ExtraOptions parse(const QByteArray& bytes)
{
    ExtraOptions options;
    if (bytes.size() > MaxFileBytes || !bytes.endsWith("\r\n"))
        return ExtraOptions();
    const QList<QByteArray> lines = bytes.chopped(1).split('\n');
    for (QByteArray line : lines) {
        if (!line.endsWith('\r'))
            return ExtraOptions();
        line.chop(1);
        const qsizetype equals = line.indexOf('=');
        const QByteArray value = equals < 0 ? QByteArray() : line.mid(equals + 1);
        if (equals <= 0 || (value != "0" && value != "1"))
            return ExtraOptions();
        if (line.left(equals) == classicFormatsKey)
            options.classicFormatsOnly = value == "1";
        else if (line.left(equals) == companionsKey)
            options.companionsFollow = value == "1";
    }
    return options;
}

QByteArray format(const ExtraOptions& options)
{
    return classicFormatsKey + (options.classicFormatsOnly ? "=1\r\n" : "=0\r\n") + companionsKey
        + (options.companionsFollow ? "=1\r\n" : "=0\r\n");
}

QString locate(const QString& programFolder, const QString& userFolder)
{
    const QString settings = SettingsFile::locate(programFolder, userFolder).write;
    return QFileInfo(settings).dir().filePath(QStringLiteral("Lumo.ini"));
}

ExtraOptions read(const QString& path)
{
    QByteArray bytes;
    if (QFileInfo(path).size() > MaxFileBytes)
        return ExtraOptions();
    return TextFile::read(path, &bytes) ? parse(bytes) : ExtraOptions();
}

bool write(const QString& path, const ExtraOptions& options, Failure* failure)
{
    QDir().mkpath(QFileInfo(path).path()); // the user's folder may not be there yet
    return TextFile::write(path, format(options), failure);
}

}
