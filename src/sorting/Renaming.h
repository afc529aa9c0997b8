#pragma once
#include "platform/Failure.h"
#include "session/Settings.h"
#include <QString>
#include <cstdint>

// The new names of transferred files, and free names for files sent to the delete folder.
namespace Renaming {

// A counter at this value is reset to 0 before use, so it is never written.
constexpr int32_t SerialWrapValue = 999999;

// How many serials a transfer tries before it reports that no free name is left.
constexpr int MaxNameTries = 1000;

// The serial a transfer writes for `counter`: 999999 becomes 0, anything else stays.
int32_t serialToUse(int32_t counter);

// The part of `fileName` from its last "." on, dot and letter case kept; "" without a dot.
QString extensionOf(const QString& fileName);

// The serial-and-name rule's base: the name without a serial prefix (six digits and a space), so a name
// that already carries a serial gets a fresh one, not a second.
QString withoutSerialPrefix(const QString& fileName);

// A refusal says why: RuleInvalid, SerialExhausted, HeadUnusable, NameUnusable or TargetInvalid.
struct NewName : Failure {
    QString name; // the bare file name in the destination folder
    int32_t serial = 0; // the number written into it; the counter becomes serial + 1
    NamingRule rule = NamingRule::SerialAndName;
};

// The new name under `rule` with the rule's counter and, for the rules with a head, the
// head (the name of the target's destination folder, or its head name). Refuses an unknown
// rule, a counter that cannot advance, and any name that would not be a plain name inside
// the folder.
NewName makeNewName(NamingRule rule, int32_t counter, const QString& head, const QString& fileName);

// The same, taking the rule and the target's head from the settings; `counter` stands for
// the rule's counter, which a transfer moves past names already taken.
NewName newNameFor(const Settings& settings, int target, const QString& fileName, int32_t counter);

// `fileName` if nothing of that name is in `folder`, else the first free
// "stem (n).ext"; empty when none up to the limit is free.
QString freeName(const QString& folder, const QString& fileName);

}
