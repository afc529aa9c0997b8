#include "sorting/Renaming.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "session/Settings.h"
#include <QDir>
#include <limits>

namespace Renaming {

int32_t serialToUse(int32_t counter) { return counter == SerialWrapValue ? 0 : counter; }

QString extensionOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot);
}

QString withoutSerialPrefix(const QString& fileName)
{
    // Only what rule 0 itself puts there: six digits and a space. "Family trip.jpg"
    // keeps its first word.
    constexpr qsizetype digits = 6;
    if (fileName.size() <= digits || fileName.at(digits) != u' ')
        return fileName;
    for (qsizetype i = 0; i < digits; ++i)
        if (fileName.at(i) < u'0' || fileName.at(i) > u'9')
            return fileName;
    return fileName.mid(digits + 1);
}

// Both separators are refused on every platform: a head name must not lead out of
// the destination folder here, nor on Windows when the settings file travels.
static bool isSafeHead(const QString& head)
{
    // A leading dot would make hidden files, which lists and file managers leave out.
    return !head.contains(u'/') && !head.contains(u'\\') && !head.contains(QChar(0)) && !head.startsWith(u'.');
}

static bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..") && !name.contains(u'/')
        && !name.contains(QDir::separator()) && !name.contains(QChar(0));
}

static NewName refused(int rule, const QString& why)
{
    NewName r;
    r.rule = static_cast<int16_t>(rule);
    r.error = why;
    return r;
}

NewName makeNewName(int rule, int32_t counter, const QString& head, const QString& fileName)
{
    if (rule < 0 || rule > 2)
        return refused(0,
            QStringLiteral("名前の付け方の設定（%1）が正しくありません。"
                           "「移動先フォルダ設定」で名前の付け方を選び直してください。")
                .arg(rule));

    const int32_t serial = serialToUse(counter);
    // The counter is advanced after the copy; at the top of its range it cannot be.
    if (serial == std::numeric_limits<int32_t>::max())
        return refused(rule,
            QStringLiteral("通し番号がこれ以上増やせません。「移動先フォルダ設定」で通し番号を設定し直してください。"));

    QString name;
    if (rule == 0) {
        name = Numeric::formatSerial(serial) + u' ' + withoutSerialPrefix(fileName);
    } else {
        if (!isSafeHead(head))
            return refused(rule,
                (rule == 1 ? QStringLiteral("移動先フォルダの名前「%1」は") : QStringLiteral("ヘッドネーム「%1」は"))
                        .arg(head)
                    + QStringLiteral("ファイル名に使えません（/ や \\ を含むか「.」で始まります）。"));
        name = head + Numeric::formatSerial(serial) + extensionOf(fileName);
    }
    if (!isPlainName(name))
        return refused(rule, QStringLiteral("新しいファイル名「%1」はファイル名に使えません。").arg(name));

    NewName r;
    r.ok = true;
    r.name = name;
    r.serial = serial;
    r.rule = static_cast<int16_t>(rule);
    return r;
}

NewName newNameFor(const Settings& settings, int k, const QString& fileName, int32_t counter)
{
    const int rule = settings.nameRule;
    if (rule < 0 || rule > 2)
        return makeNewName(rule, 0, QString(), fileName); // refused with the rule's message
    if (k < 0 || k > 9)
        return refused(rule, QStringLiteral("移動先の番号（%1）が正しくありません。").arg(k));
    const auto i = static_cast<size_t>(k);
    const QString head = rule == 1 ? settings.destNames[i] : settings.headNames[i];
    return makeNewName(rule, counter, head, fileName);
}

QString freeName(const QString& folder, const QString& fileName)
{
    if (!FileOps::entryExists(FileOps::joinPath(folder, fileName)))
        return fileName;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString stem = dot < 0 ? fileName : fileName.left(dot);
    const QString ext = dot < 0 ? QString() : fileName.mid(dot);
    for (int n = 2; n <= 9999; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(ext);
        if (!FileOps::entryExists(FileOps::joinPath(folder, candidate)))
            return candidate;
    }
    return QString();
}

}
