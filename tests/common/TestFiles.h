#pragma once
// Files for tests: write and read them whole, and snapshot a folder tree so that a
// failed operation can be shown to have lost, added and overwritten nothing.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QtTest>

namespace TestFiles {

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(data), qint64(data.size()));
}

inline void touch(const QString& path) { writeFile(path, "x"); }

// A null array when the file cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Distinct bytes of varying length for every name, so that mix-ups show.
inline QByteArray contentOf(const QString& name) { return (name.toUtf8() + '\n').repeated(1 + int(qHash(name) % 200)); }

// Every entry under `root`, hidden ones too, by relative path: a file with its bytes,
// a folder as "<dir>".
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(base.relativeFilePath(path), it.fileInfo().isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return entries;
}

}
