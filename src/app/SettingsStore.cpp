#include "app/SettingsStore.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "platform/TextFile.h"
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <optional>

namespace SettingsStore {

void setDefaults(Module1& m)
{
    const QString root = FileOps::rootPath();
    m.SourceFolder = root;
    for (QString& p : m.DestPath)
        p = root;
    for (QString& h : m.HeadName)
        h.clear();
    m.Serial = { 0, 0, 0 };
    m.WindowWidth = m.WindowHeight = m.WindowTop = m.WindowLeft = 0;
    m.NameRule = 0;
    m.RememberFolder = 0;
    m.ViewerMode = 0;
    m.ThumbSize = 64;
    m.ThumbCount = 10;
    m.SlideSeconds = 1;
}

namespace {

// Splits into fields: a comma and a line end alike end a field. A quoted field runs to
// its closing quote ("" inside stands for one quote); whatever follows it up to the
// next separator is dropped. An unquoted field drops its leading blanks.
class FieldReader {
public:
    explicit FieldReader(const QString& text)
        : m_text(text)
    {
    }

    std::optional<QString> next()
    {
        const int n = m_text.size();
        if (m_pos >= n)
            return std::nullopt;
        while (m_pos < n && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
            ++m_pos;
        QString value;
        if (m_pos < n && m_text[m_pos] == u'"') {
            ++m_pos;
            while (m_pos < n) {
                const QChar c = m_text[m_pos];
                if (c == u'"') {
                    if (m_pos + 1 < n && m_text[m_pos + 1] == u'"') {
                        value += u'"';
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                if (c == u'\r' || c == u'\n')
                    break; // an unclosed quote ends with its line
                value += c;
                ++m_pos;
            }
            while (m_pos < n && !isSeparator(m_text[m_pos]))
                ++m_pos;
        } else {
            while (m_pos < n && !isSeparator(m_text[m_pos]))
                value += m_text[m_pos++];
        }
        skipSeparator();
        return value;
    }

private:
    static bool isSeparator(QChar c) { return c == u',' || c == u'\r' || c == u'\n'; }
    void skipSeparator()
    {
        const int n = m_text.size();
        if (m_pos >= n)
            return;
        if (m_text[m_pos] == u'\r') {
            ++m_pos;
            if (m_pos < n && m_text[m_pos] == u'\n')
                ++m_pos;
        } else {
            ++m_pos;
        }
    }

    const QString& m_text;
    int m_pos = 0;
};

double numberOf(const QString& field) { return Numeric::leadingNumber(field); }

int16_t int16Field(const QString& field, int16_t fallback)
{
    const auto v = Numeric::toInt16(numberOf(field));
    return v ? *v : fallback;
}

int32_t int32Field(const QString& field, int32_t fallback)
{
    const auto v = Numeric::toInt32(numberOf(field));
    return v ? *v : fallback;
}

QString quoted(const QString& s)
{
    QString q = s;
    q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

}

ReadStatus parse(const QString& text, Module1& m)
{
    FieldReader reader(text);
    QStringList f;
    while (f.size() < FieldCount) {
        const auto field = reader.next();
        if (!field)
            return ReadStatus::TooShort;
        f << *field;
    }
    Module1 defaults;
    setDefaults(defaults);
    int i = 0;
    m.SourceFolder = f[i++];
    for (QString& p : m.DestPath)
        p = f[i++];
    for (QString& h : m.HeadName)
        h = f[i++];
    for (int r = 0; r < 3; ++r)
        m.Serial[size_t(r)] = int32Field(f[i++], 0);
    m.WindowWidth = int16Field(f[i++], 0);
    m.WindowHeight = int16Field(f[i++], 0);
    m.WindowTop = int16Field(f[i++], 0);
    m.WindowLeft = int16Field(f[i++], 0);
    m.NameRule = int16Field(f[i++], defaults.NameRule);
    m.RememberFolder = int16Field(f[i++], defaults.RememberFolder);
    m.ViewerMode = int16Field(f[i++], defaults.ViewerMode);
    m.ThumbSize = int16Field(f[i++], defaults.ThumbSize);
    m.ThumbCount = int16Field(f[i++], defaults.ThumbCount);
    m.SlideSeconds = int16Field(f[i++], defaults.SlideSeconds);
    return ReadStatus::Ok;
}

ReadStatus read(const QString& path, Module1& m)
{
    const QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile() || fi.fileName().startsWith(u'.'))
        return ReadStatus::Missing;
    QString text;
    if (!TextFile::read(path, &text))
        return ReadStatus::Unreadable;
    return parse(text, m);
}

QString format(const Module1& m)
{
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    out += quoted(m.SourceFolder) + crlf;
    for (const QString& p : m.DestPath)
        out += quoted(p) + crlf;
    for (const QString& h : m.HeadName)
        out += quoted(h) + crlf;
    out += QStringLiteral("%1,%2,%3").arg(m.Serial[0]).arg(m.Serial[1]).arg(m.Serial[2]) + crlf;
    out += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
               .arg(m.WindowWidth)
               .arg(m.WindowHeight)
               .arg(m.WindowTop)
               .arg(m.WindowLeft)
               .arg(m.NameRule)
               .arg(m.RememberFolder)
               .arg(m.ViewerMode)
               .arg(m.ThumbSize)
               .arg(m.ThumbCount)
               .arg(m.SlideSeconds)
        + crlf;
    return out;
}

bool write(const QString& path, const Module1& m, QString* error) { return TextFile::write(path, format(m), error); }

QString destNameOf(const QString& path)
{
    QString p = path;
    const QString sep = FileOps::separator();
    if (p.endsWith(sep))
        p.chop(1);
    const int at = p.lastIndexOf(sep);
    return at < 0 ? p : p.mid(at + 1);
}

void computeDestNames(Module1& m)
{
    for (size_t k = 0; k < m.DestPath.size(); ++k)
        m.DestName[k] = destNameOf(m.DestPath[k]);
}

QString settingsPath(const QString& appPath) { return FileOps::joinPath(appPath, QStringLiteral("Pirapo.ini")); }

}
