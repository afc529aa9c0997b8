#include "session/SettingsFile.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "platform/TextFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <optional>

namespace SettingsFile {

Settings defaults()
{
    Settings s;
    const QString root = FileOps::rootPath();
    s.sourceFolder = root;
    for (QString& p : s.destPaths)
        p = root;
    s.thumbSize = 64;
    s.thumbCount = 10;
    s.slideSeconds = 1;
    return s;
}

namespace {

    constexpr int StringFieldCount = 22; // the source folder, 11 destinations, 10 head names

    // Splits into fields: a comma and a line end alike end a field. A quoted field runs to
    // its closing quote ("" inside stands for one quote); whatever follows it up to the
    // next separator is dropped. An unquoted field drops its leading blanks. Works on the
    // bytes, so each field keeps exactly the bytes it had: no separator or quote byte can
    // be part of a multi-byte character in UTF-8 or Shift-JIS.
    class FieldReader {
    public:
        explicit FieldReader(const QByteArray& bytes)
            : m_bytes(bytes)
        {
#ifndef Q_OS_WIN
            if (m_bytes.startsWith("\xEF\xBB\xBF"))
                m_pos = 3; // a UTF-8 byte order mark, as an editor may have left
#endif
        }

        std::optional<QByteArray> next()
        {
            const qsizetype n = m_bytes.size();
            if (m_pos >= n)
                return std::nullopt;
            while (m_pos < n && (m_bytes[m_pos] == ' ' || m_bytes[m_pos] == '\t'))
                ++m_pos;
            QByteArray value;
            if (m_pos < n && m_bytes[m_pos] == '"') {
                ++m_pos;
                while (m_pos < n) {
                    const char c = m_bytes[m_pos];
                    if (c == '"') {
                        if (m_pos + 1 < n && m_bytes[m_pos + 1] == '"') {
                            value += '"';
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    if (c == '\r' || c == '\n')
                        break; // an unclosed quote ends with its line
                    value += c;
                    ++m_pos;
                }
                while (m_pos < n && !isSeparator(m_bytes[m_pos]))
                    ++m_pos;
            } else {
                while (m_pos < n && !isSeparator(m_bytes[m_pos]))
                    value += m_bytes[m_pos++];
            }
            skipSeparator();
            return value;
        }

    private:
        static bool isSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }
        void skipSeparator()
        {
            const qsizetype n = m_bytes.size();
            if (m_pos >= n)
                return;
            if (m_bytes[m_pos] == '\r') {
                ++m_pos;
                if (m_pos < n && m_bytes[m_pos] == '\n')
                    ++m_pos;
            } else {
                ++m_pos;
            }
        }

        const QByteArray& m_bytes;
        qsizetype m_pos = 0;
    };

    // The first `count` fields, or fewer when the bytes end before.
    QList<QByteArray> fieldsOf(const QByteArray& bytes, int count)
    {
        FieldReader reader(bytes);
        QList<QByteArray> f;
        while (f.size() < count) {
            const auto field = reader.next();
            if (!field)
                break;
            f << *field;
        }
        return f;
    }

    double numberOf(const QByteArray& field) { return Numeric::leadingNumber(TextFile::decode(field)); }

    int16_t int16Field(const QByteArray& field, int16_t fallback)
    {
        const auto v = Numeric::toInt16(numberOf(field));
        return v ? *v : fallback;
    }

    int32_t int32Field(const QByteArray& field, int32_t fallback)
    {
        const auto v = Numeric::toInt32(numberOf(field));
        return v ? *v : fallback;
    }

    QByteArray quoted(QByteArray bytes) { return '"' + bytes.replace("\"", "\"\"") + '"'; }

}

ReadStatus parse(const QByteArray& bytes, Settings& s)
{
    const QList<QByteArray> f = fieldsOf(bytes, FieldCount);
    if (f.size() < FieldCount)
        return ReadStatus::TooShort;
    const Settings d = defaults();
    int i = 0;
    s.sourceFolder = TextFile::decode(f[i++]);
    for (QString& p : s.destPaths)
        p = TextFile::decode(f[i++]);
    for (QString& h : s.headNames)
        h = TextFile::decode(f[i++]);
    for (int r = 0; r < 3; ++r)
        s.serials[size_t(r)] = int32Field(f[i++], 0);
    s.windowWidth = int16Field(f[i++], 0);
    s.windowHeight = int16Field(f[i++], 0);
    s.windowTop = int16Field(f[i++], 0);
    s.windowLeft = int16Field(f[i++], 0);
    s.nameRule = int16Field(f[i++], d.nameRule);
    s.rememberFolder = int16Field(f[i++], d.rememberFolder);
    s.viewerMode = int16Field(f[i++], d.viewerMode);
    s.thumbSize = int16Field(f[i++], d.thumbSize);
    s.thumbCount = int16Field(f[i++], d.thumbCount);
    s.slideSeconds = int16Field(f[i++], d.slideSeconds);
    return ReadStatus::Ok;
}

ReadStatus read(const QString& path, Settings& s, QByteArray* bytes)
{
    switch (FileOps::entryKind(path)) {
    case FileOps::EntryKind::Missing:
        return ReadStatus::Missing;
    case FileOps::EntryKind::Other:
        return ReadStatus::NotAFile;
    case FileOps::EntryKind::Regular:
        break;
    }
    if (QFileInfo(path).isHidden())
        return ReadStatus::Missing;
    QByteArray read;
    if (!TextFile::read(path, &read))
        return ReadStatus::Unreadable;
    if (bytes)
        *bytes = read;
    return parse(read, s);
}

QByteArray format(const Settings& s, const QByteArray& previous)
{
    const QList<QByteArray> before = fieldsOf(previous, StringFieldCount);
    int i = 0;
    const auto line = [&](const QString& value) {
        const QByteArray* old = i < before.size() ? &before[i] : nullptr;
        ++i;
        return quoted(old && TextFile::decode(*old) == value ? *old : TextFile::encode(value)) + "\r\n";
    };
    QByteArray out = line(s.sourceFolder);
    for (const QString& p : s.destPaths)
        out += line(p);
    for (const QString& h : s.headNames)
        out += line(h);
    const QString numbers = QStringLiteral("%1,%2,%3\r\n").arg(s.serials[0]).arg(s.serials[1]).arg(s.serials[2])
        + QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10\r\n")
              .arg(s.windowWidth)
              .arg(s.windowHeight)
              .arg(s.windowTop)
              .arg(s.windowLeft)
              .arg(s.nameRule)
              .arg(s.rememberFolder)
              .arg(s.viewerMode)
              .arg(s.thumbSize)
              .arg(s.thumbCount)
              .arg(s.slideSeconds);
    return out + numbers.toLatin1();
}

bool write(const QString& path, const Settings& s, QString* error, const QByteArray& previous)
{
    // The user's own folder may not exist yet.
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    if (!FileOps::folderExists(folder) && !FileOps::makeSureDirectoryPathExists(folder)) {
        if (error)
            *error = FileOps::describeSystemError(errno ? errno : EACCES);
        return false;
    }
    return TextFile::write(path, format(s, previous), error);
}

QString path(const QString& folder) { return FileOps::joinPath(folder, QStringLiteral("Pirapo.ini")); }

QString userFolder()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : FileOps::joinPath(config, QStringLiteral("pirapo-lumo"));
}

Location locate(const QString& programFolder, const QString& userFolder)
{
    const QString beside = path(programFolder);
    if (userFolder.isEmpty() || FileOps::folderWritable(programFolder))
        return { beside, beside };
    const QString own = path(userFolder);
    if (FileOps::entryKind(own) != FileOps::EntryKind::Missing)
        return { own, own };
    const QFileInfo fi(beside);
    if (FileOps::entryKind(beside) == FileOps::EntryKind::Regular && fi.isWritable())
        return { beside, beside };
    return { beside, own };
}

bool startRun(const QString& programFolder, const QString& userFolder, Settings& s, RunFile& file, QString* warning)
{
    const Location where = locate(programFolder, userFolder);
    file = { where.write, QByteArray() };
    const QString shown = QDir::toNativeSeparators(where.read);
    QString why;
    switch (read(where.read, s, &file.read)) {
    case ReadStatus::Ok:
        return true;
    case ReadStatus::Missing:
        s = defaults();
        return true;
    case ReadStatus::TooShort:
        // A short file cannot be trusted: it goes, and the next start uses the defaults.
        if (QFile::remove(where.read))
            return false;
        // One that cannot go (a read-only program folder) must not stop every start.
        s = defaults();
        *warning = QStringLiteral("設定ファイル %1 が壊れています。既定の設定で起動します。").arg(shown);
        return true;
    case ReadStatus::Unreadable:
        why = QStringLiteral("設定ファイル %1 を読み込めませんでした。");
        break;
    case ReadStatus::NotAFile:
        why = QStringLiteral("設定ファイル %1 は通常のファイルではないため、読み込みません。");
        break;
    }
    s = defaults();
    *warning = why.arg(shown) + QStringLiteral("既定の設定で起動します。");
    if (where.write == where.read) {
        file.write.clear();
        *warning += QStringLiteral("\nこのファイルには手を付けず、今回の設定は保存しません。");
    }
    return true;
}

QString endRun(const RunFile& file, const Settings& s)
{
    const QString shown = QDir::toNativeSeparators(file.write);
    QString error;
    if (file.write.isEmpty()) // said at the start
        return QString();
    if (FileOps::entryKind(file.write) == FileOps::EntryKind::Other)
        return QStringLiteral("設定ファイル %1 は通常のファイルではないため、今回の設定は保存しません。").arg(shown);
    if (!write(file.write, s, &error, file.read))
        return QStringLiteral("設定ファイル %1 を保存できませんでした。\n%2\n今回の設定は保存されずに終了します。")
            .arg(shown, error);
    return QString();
}

}
