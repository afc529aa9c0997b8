#include "session/SettingsFile.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "platform/TextFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <optional>
#include <tuple>

namespace SettingsFile {

Settings defaults()
{
    Settings s;
    const QString root = FileOps::rootPath();
    s.sourceFolder = root;
    for (QString& p : s.destinationFolders)
        p = root;
    s.thumbSize = 64;
    s.thumbCount = 10;
    s.slideSeconds = 1;
    return s;
}

namespace {

    constexpr int StringFieldCount = 22; // the source folder, 11 destination folders, 10 head names
    static_assert(StringFieldCount == 1 + Settings::FolderCount + Settings::TargetCount);
    constexpr int LineCount = StringFieldCount + 2;

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

    // One string line as written: a quoted string with nothing but blanks after its
    // closing quote, or bare text without a comma or a quote.
    bool isStringLine(const QByteArray& line)
    {
        qsizetype i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size() || line[i] != '"')
            return !line.contains(',') && !line.contains('"');
        for (++i; i < line.size(); ++i) {
            if (line[i] != '"')
                continue;
            if (i + 1 < line.size() && line[i + 1] == '"') {
                ++i;
                continue;
            }
            for (++i; i < line.size(); ++i)
                if (line[i] != ' ' && line[i] != '\t')
                    return false;
            return true;
        }
        return false; // no closing quote
    }

    bool isNumberLine(const QByteArray& line, int count)
    {
        const QList<QByteArray> numbers = line.split(',');
        if (numbers.size() != count)
            return false;
        for (const QByteArray& n : numbers)
            if (!Numeric::isWholeNumber(QString::fromLatin1(n)))
                return false;
        return true;
    }

    // The file's shape, line by line: 22 string lines, then three numbers and ten
    // numbers, each line ended by CR LF or LF; only blank lines may follow. Anything
    // else (a line break inside a name, a comma in bare text, junk, NULs of UTF-16)
    // would shift or spoil the fields, so it is not read at all. Bytes the system's
    // encoding cannot show are no damage: format() keeps them as they were.
    bool hasCleanShape(QByteArray bytes)
    {
#ifndef Q_OS_WIN
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
#endif
        if (!bytes.endsWith('\n'))
            return false;
        QList<QByteArray> lines = bytes.split('\n');
        lines.removeLast();
        if (lines.size() < LineCount)
            return false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray& line = lines[i];
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.contains('\r') || line.contains('\0'))
                return false;
            if (i >= LineCount && !line.trimmed().isEmpty())
                return false;
        }
        for (int i = 0; i < StringFieldCount; ++i)
            if (!isStringLine(lines[i]))
                return false;
        return isNumberLine(lines[StringFieldCount], 3) && isNumberLine(lines[StringFieldCount + 1], 10);
    }

    bool isStoredFolder(const QString& path) { return path.isEmpty() || QDir::isAbsolutePath(path); }

}

bool canHold(const QString& value)
{
    if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
        return false;
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder(value);
    return !encoder.hasError() && TextFile::decode(bytes) == value;
}

static void parseFields(const QList<QByteArray>& f, const Settings& d, Settings& s)
{
    int i = 0;
    s.sourceFolder = TextFile::decode(f[i++]);
    for (QString& p : s.destinationFolders)
        p = TextFile::decode(f[i++]);
    for (QString& h : s.headNames)
        h = TextFile::decode(f[i++]);
    for (int r = 0; r < NamingRuleCount; ++r)
        s.serials[size_t(r)] = int32Field(f[i++], 0);
    s.windowWidth = int16Field(f[i++], 0);
    s.windowHeight = int16Field(f[i++], 0);
    s.windowTop = int16Field(f[i++], 0);
    s.windowLeft = int16Field(f[i++], 0);
    s.namingRule = NamingRule(int16Field(f[i++], int16_t(d.namingRule)));
    s.rememberFolder = int16Field(f[i++], d.rememberFolder);
    s.viewerMode = int16Field(f[i++], d.viewerMode);
    s.thumbSize = int16Field(f[i++], d.thumbSize);
    s.thumbCount = int16Field(f[i++], d.thumbCount);
    s.slideSeconds = int16Field(f[i++], d.slideSeconds);
}

ReadStatus parse(const QByteArray& bytes, Settings& s)
{
    if (!hasCleanShape(bytes))
        return ReadStatus::Damaged;
    const QList<QByteArray> f = fieldsOf(bytes, FieldCount);
    if (f.size() < FieldCount)
        return ReadStatus::Damaged;
    const Settings d = defaults();
    Settings r = s;
    parseFields(f, d, r);
    // A relative folder would land under whatever folder the program started in.
    if (!isStoredFolder(r.sourceFolder))
        return ReadStatus::Damaged;
    for (const QString& p : r.destinationFolders)
        if (!isStoredFolder(p))
            return ReadStatus::Damaged;
    s = r;
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
    for (const QString& p : s.destinationFolders)
        out += line(p);
    for (const QString& h : s.headNames)
        out += line(h);
    const QString numbers = QStringLiteral("%1,%2,%3\r\n").arg(s.serials[0]).arg(s.serials[1]).arg(s.serials[2])
        + QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10\r\n")
              .arg(s.windowWidth)
              .arg(s.windowHeight)
              .arg(s.windowTop)
              .arg(s.windowLeft)
              .arg(int16_t(s.namingRule))
              .arg(s.rememberFolder)
              .arg(s.viewerMode)
              .arg(s.thumbSize)
              .arg(s.thumbCount)
              .arg(s.slideSeconds);
    return out + numbers.toLatin1();
}

bool sameStoredValues(const Settings& a, const Settings& b)
{
    return std::tie(a.sourceFolder, a.destinationFolders, a.headNames, a.serials, a.windowWidth, a.windowHeight,
               a.windowTop, a.windowLeft, a.namingRule, a.rememberFolder, a.viewerMode, a.thumbSize, a.thumbCount,
               a.slideSeconds)
        == std::tie(b.sourceFolder, b.destinationFolders, b.headNames, b.serials, b.windowWidth, b.windowHeight,
            b.windowTop, b.windowLeft, b.namingRule, b.rememberFolder, b.viewerMode, b.thumbSize, b.thumbCount,
            b.slideSeconds);
}

Settings storable(const Settings& s, const QByteArray& previous)
{
    Settings before = defaults();
    parse(previous, before);
    Settings out = s;
    const auto keep = [](QString& value, const QString& old) {
        if (!canHold(value))
            value = old;
    };
    keep(out.sourceFolder, before.sourceFolder);
    for (size_t i = 0; i < out.destinationFolders.size(); ++i)
        keep(out.destinationFolders[i], before.destinationFolders[i]);
    for (size_t i = 0; i < out.headNames.size(); ++i)
        keep(out.headNames[i], before.headNames[i]);
    return out;
}

bool readsBack(const Settings& s, const QByteArray& previous)
{
    Settings back = s;
    return parse(format(s, previous), back) == ReadStatus::Ok && sameStoredValues(back, s);
}

bool write(const QString& path, const Settings& s, Failure* failure, const QByteArray& previous)
{
    // What is written must read back as it stands, or the next run would start from
    // other folders than the user chose: otherwise the file stays as it was.
    if (!readsBack(s, previous)) {
        if (failure)
            *failure = Failure();
        return false;
    }
    // The user's own folder may not exist yet.
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    if (!FileOps::folderExists(folder) && !FileOps::makeSureDirectoryPathExists(folder)) {
        if (failure)
            *failure = Failure::system(errno ? errno : EACCES);
        return false;
    }
    return TextFile::write(path, format(s, previous), failure);
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

StartNote startRun(const QString& programFolder, const QString& userFolder, Settings& s, RunFile& file)
{
    const Location where = locate(programFolder, userFolder);
    file = { where.write, QByteArray() };
    StartNote note;
    note.file = where.read;
    note.problem = read(where.read, s, &file.read);
    switch (note.problem) {
    case ReadStatus::Ok:
        return note;
    case ReadStatus::Missing:
        s = defaults();
        return note;
    case ReadStatus::Damaged:
        // Kept aside through the same write as the settings, before this run's end may
        // write over it; when that fails the file stays untouched instead.
        s = defaults();
        note.keptAs = where.read + QStringLiteral(".bad");
        if (where.write == where.read && !TextFile::write(note.keptAs, file.read, nullptr)) {
            note.keptAs.clear();
            file.write.clear();
            note.leftAlone = true;
        }
        if (where.write != where.read)
            note.keptAs.clear(); // the file is never written over from here
        file.read.clear();
        return note;
    case ReadStatus::Unreadable:
    case ReadStatus::NotAFile:
        break;
    }
    s = defaults();
    if (where.write == where.read) {
        file.write.clear();
        note.leftAlone = true;
    }
    return note;
}

EndProblem endRun(const RunFile& file, const Settings& s, Failure* failure)
{
    if (file.write.isEmpty()) // said at the start
        return EndProblem::None;
    if (FileOps::entryKind(file.write) == FileOps::EntryKind::Other)
        return EndProblem::NotAFile;
    const Settings kept = storable(s, file.read);
    if (!readsBack(kept, file.read))
        return EndProblem::WouldNotReadBack;
    return write(file.write, kept, failure, file.read) ? EndProblem::None : EndProblem::WriteFailed;
}

}
