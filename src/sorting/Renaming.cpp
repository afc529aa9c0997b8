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
    // Only what the serial-and-name rule itself puts there: six digits and a space. "Family trip.jpg"
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

static NewName refused(NamingRule rule, Reason why, qint64 number = 0, const QString& other = QString())
{
    NewName r;
    r.rule = rule;
    r.reason = why;
    r.number = number;
    r.other = other;
    return r;
}

NewName makeNewName(NamingRule rule, int32_t counter, const QString& head, const QString& fileName)
{
    if (!isKnownRule(rule))
        return refused(NamingRule::SerialAndName, Reason::RuleInvalid, int(rule));

    const int32_t serial = serialToUse(counter);
    // The counter is advanced after the copy; at the top of its range it cannot be.
    if (serial == std::numeric_limits<int32_t>::max())
        return refused(rule, Reason::SerialExhausted);

    QString name;
    if (rule == NamingRule::SerialAndName) {
        name = Numeric::formatSerial(serial) + u' ' + withoutSerialPrefix(fileName);
    } else {
        if (!isSafeHead(head))
            return refused(rule, Reason::HeadUnusable, int(rule), head);
        name = head + Numeric::formatSerial(serial) + extensionOf(fileName);
    }
    if (!isPlainName(name))
        return refused(rule, Reason::NameUnusable, 0, name);

    NewName r;
    r.name = name;
    r.serial = serial;
    r.rule = rule;
    return r;
}

NewName newNameFor(const Settings& settings, int target, const QString& fileName, int32_t counter)
{
    const NamingRule rule = settings.namingRule;
    if (!isKnownRule(rule))
        return makeNewName(rule, 0, QString(), fileName); // refused with the rule's message
    if (!Settings::isTarget(target))
        return refused(rule, Reason::TargetInvalid, target);
    const auto i = static_cast<size_t>(target);
    const QString head = rule == NamingRule::FolderNameAndSerial ? settings.destinationNames[i] : settings.headNames[i];
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
