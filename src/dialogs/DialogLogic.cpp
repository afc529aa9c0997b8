#include "dialogs/DialogLogic.h"
#include "platform/FolderIdentity.h"
#include "platform/Numeric.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>

namespace DialogLogic {

QString withTrailingSeparator(const QString& text)
{
    const QString sep = FileOps::separator();
    return text.endsWith(sep) ? text : text + sep;
}

#ifdef Q_OS_WIN
// Besides the drive's colon, Windows refuses these anywhere in a path.
static bool hasForbiddenPathCharacter(const QString& path)
{
    for (int i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c.unicode() < 32 || QStringLiteral("<>\"|?*").contains(c))
            return true;
        if (c == u':' && i != 1)
            return true;
    }
    return false;
}
#endif

QString pathProblem(const QString& path)
{
#ifdef Q_OS_WIN
    const bool badCharacter = hasForbiddenPathCharacter(path);
#else
    const bool badCharacter = path.contains(QChar(0));
#endif
    if (badCharacter)
        return QStringLiteral("%1 にはパスに使えない文字が含まれています。").arg(path);
    // A relative path would depend on the folder the program happened to start in.
    if (QDir::isRelativePath(path))
        return QStringLiteral("%1 はフルパスではありません。%2 から始まるパスを入力して下さい。")
            .arg(path, QDir::toNativeSeparators(FileOps::rootPath()));
    // "name/" does not even stat when name is a file, so test it without the separator.
    QString bare = path;
    if (bare.endsWith(FileOps::separator()) && !QDir(bare).isRoot())
        bare.chop(1);
    if (FileOps::entryExists(bare) && !FileOps::folderExists(bare))
        return QStringLiteral("%1 と同じ名前のファイルがあるため、フォルダとして使えません。").arg(path);
    if (FileOps::entryExists(bare))
        return QString();
    // A missing folder is made with its parents inside the nearest folder that exists:
    // known before anything is made whether that can work.
    QString up = QFileInfo(bare).absolutePath();
    while (!FileOps::entryExists(up) && !QDir(up).isRoot())
        up = QFileInfo(up).absolutePath();
    const QString shown = QDir::toNativeSeparators(up);
    if (FileOps::entryExists(up) && !FileOps::folderExists(up))
        return QStringLiteral("%1 の途中の %2 がファイルのため、フォルダを作成できません。").arg(path, shown);
    if (!FileOps::folderExists(up))
        return QStringLiteral("%1 を作成できません（%2 がありません）。").arg(path, shown);
    if (!QFileInfo(up).isWritable())
        return QStringLiteral("%1 を作成できません（%2 に書き込む権限がありません）。").arg(path, shown);
    return QString();
}

SerialValue parseSerial(const QString& text)
{
    SerialValue v;
    const double r = Numeric::roundHalfEven(Numeric::leadingNumber(text));
    if (std::isnan(r)) {
        v.problem = SerialProblem::TooLarge;
    } else if (r < 0) {
        v.problem = SerialProblem::Negative;
    } else if (const auto n = Numeric::toInt32(r)) {
        v.value = *n;
    } else {
        v.problem = SerialProblem::TooLarge;
    }
    return v;
}

SerialValue parseSerial(const QString& text, int32_t current)
{
    if (text == Numeric::formatSerial(current))
        return { SerialProblem::None, current };
    return parseSerial(text);
}

IntervalValue parseInterval(const QString& text)
{
    IntervalValue v;
    // Full-width digits typed through the input method count as digits.
    const QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (t.isEmpty()) {
        v.problem = IntervalProblem::Empty;
        return v;
    }
    if (!Numeric::isWholeNumber(t)) {
        v.problem = IntervalProblem::NotANumber;
        return v;
    }
    const double r = Numeric::roundHalfEven(Numeric::leadingNumber(t));
    if (r <= 0)
        v.problem = IntervalProblem::NotPositive;
    else if (r > MaxSlideSeconds)
        v.problem = IntervalProblem::TooLong;
    else
        v.seconds = static_cast<int16_t>(r);
    return v;
}

QString headNameProblem(const QString& name)
{
    if (name.isEmpty())
        return QString();
    if (name.contains(QChar(0)))
        return QStringLiteral("ファイル名に使えない文字が含まれています。");
    if (name.contains(FileOps::separator()) || name.contains(u'/'))
        return QStringLiteral("パスの区切り文字「%1」は使えません。").arg(FileOps::separator());
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return QStringLiteral("「%1」だけのヘッドネームは使えません。").arg(name);
#ifdef Q_OS_WIN
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringLiteral("<>:\"/\\|?*").contains(c))
            return QStringLiteral("ファイル名に使えない文字（< > : \" / \\ | ? *）が含まれています。");
    }
#else
    // A name starting with a dot is a hidden file here: it would vanish from every list.
    if (name.startsWith(u'.'))
        return QStringLiteral("「.」で始まるヘッドネームはファイルが隠しファイルになるため使えません。");
#endif
    // Room for the serial digits and an extension within one file name.
    constexpr int room = 255 - 16;
    if (QFile::encodeName(name).size() > room)
        return QStringLiteral("ヘッドネームが長すぎます。");
    return QString();
}

int thumbSizeOfOption(int entry) { return 32 << entry; }

int optionOfThumbSize(int size)
{
    for (int i = 0; i < ThumbSizeOptions; ++i)
        if (thumbSizeOfOption(i) == size)
            return i;
    return -1;
}

int thumbCountOfOption(int entry) { return 5 * (entry + 1); }

int optionOfThumbCount(int count)
{
    for (int i = 0; i < ThumbCountOptions; ++i)
        if (thumbCountOfOption(i) == count)
            return i;
    return -1;
}

BulkDeleteFolder bulkDeleteFolder(const QString& stored)
{
    BulkDeleteFolder t;
    if (QDir::isRelativePath(stored)) {
        t.folder = stored;
        t.problem = QStringLiteral("削除フォルダ「%1」はフルパスではないため、一括削除できません。\n"
                                   "%2 から始まるパスを指定して下さい。")
                        .arg(stored, QDir::toNativeSeparators(FileOps::rootPath()));
        return t;
    }
    const QFileInfo fi(stored);
    const QString canonical = fi.canonicalFilePath();
    t.folder
        = withTrailingSeparator(QDir::toNativeSeparators(canonical.isEmpty() ? QDir::cleanPath(stored) : canonical));
    if (canonical.isEmpty() || !fi.isDir())
        t.problem = QStringLiteral("削除フォルダ %1 が見つかりません。").arg(t.folder);
    else if (QDir(canonical).isRoot() || FolderIdentity::same(canonical, FileOps::rootPath()))
        t.problem = QStringLiteral("削除フォルダがルートフォルダ %1 のため、一括削除できません。\n"
                                   "削除フォルダを指定して下さい。")
                        .arg(t.folder);
    return t;
}

Failure deleteForGood(const QString& path)
{
    FileOps::setNormalAttributes(path);
    return FileOps::deleteFile(path);
}

BulkDeleteResult deleteFolderFiles(const QString& folder, const FileRemover& remove)
{
    BulkDeleteResult result;
    QDir dir(folder);
    // Plain files only: no folders, no hidden or system entries.
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name);
    const QStringList names = dir.entryList();
    for (const QString& name : names) {
        if (name.startsWith(u'.'))
            continue;
        const QString path = FileOps::joinPath(folder, name);
        if (remove(path).ok() || !FileOps::entryExists(path))
            ++result.deleted;
        else
            result.remaining << name;
    }
    result.unlistable = FileOps::unlistableCount(folder, { QStringLiteral("*") });
    return result;
}
}
