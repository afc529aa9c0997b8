#pragma once
#include <QString>
#include <QStringList>

// The plain, non-hidden files of `folder` matching a pattern list such as
// "*.jpg;*.bmp;*.gif;*.png", case-insensitively, sorted by name.
QStringList listFiles(const QString& folder, const QString& pattern);

// The matching files such a listing leaves out because Qt cannot hold their names
// (bytes that are not UTF-8 here).
int unlistableCount(const QString& folder, const QString& pattern);
