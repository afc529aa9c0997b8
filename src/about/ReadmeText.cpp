#include "about/ReadmeText.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QStringDecoder>

namespace ReadmeText {

namespace {

    QString decodeShiftJis(const QByteArray& bytes)
    {
        // Qt knows these names only when it is built with ICU; without it the system code
        // page is the best guess, and on a Japanese Windows system that is code page 932.
        for (const char* name : { "cp932", "Shift_JIS" }) {
            QStringDecoder decoder(name);
            if (decoder.isValid())
                return decoder(bytes);
        }
        QStringDecoder system(QStringConverter::System);
        return system(bytes);
    }

    QString decode(const QByteArray& bytes)
    {
        // The default flags skip a leading byte-order mark.
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
        return decodeShiftJis(bytes);
    }

} // namespace

QString fileName() { return QStringLiteral("Readme.txt"); }

QString notFoundText() { return QStringLiteral("Readme.txtが見つかりません。"); }

QString fromBytes(const QByteArray& bytes)
{
    const QString text = decode(bytes);
    const QLatin1String crlf("\r\n");
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);

    // A line ends at CR LF, LF or a lone CR; a last line without an end still counts.
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        out += QStringView(text).mid(start, i - start);
        out += crlf;
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n) {
        out += QStringView(text).mid(start);
        out += crlf;
    }
    return out;
}

bool read(const QString& path, QString* text)
{
    QFile f(path);
    if (!FileOps::openRegularFile(f))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    *text = fromBytes(bytes);
    return true;
}

QString load(const QString& programFolder)
{
    QString text;
    if (!read(FileOps::joinPath(programFolder, fileName()), &text))
        return notFoundText();
    return text;
}

}
