#pragma once
#include <QString>

// Two paths name the same folder when the file system says so, whatever their text:
// a trailing separator, "." steps, links, a bind mount or another case on a card.
namespace FolderIdentity {

// False when either cannot be looked up (missing, no right to look).
bool same(const QString& a, const QString& b);

}
