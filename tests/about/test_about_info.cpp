// SPDX-License-Identifier: MIT
// The about box's version text and the choice of the system-information program.

#include "about/AboutInfo.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestAboutInfo : public QObject {
    Q_OBJECT

    QByteArray m_path;

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }
    void cleanup() { qputenv("PATH", m_path); }

    void versionText_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three parts") << "1.0.0" << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.0");
        QTest::newRow("two-digit parts") << "12.10.31" << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 12.10.31");
        QTest::newRow("no revision") << "2.5" << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 2.5.0");
        QTest::newRow("a fourth part is left out") << "1.2.3.4" << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.2.3");
        QTest::newRow("suffix") << "1.1.0-rc1" << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.1.0");
    }

    void versionText()
    {
        QFETCH(QString, version);
        QFETCH(QString, expected);
        QCOMPARE(AboutInfo::versionText(version), expected);
    }

    void sysInfoProgram_data()
    {
        // Programs placed in two folders on PATH, "first:second"; a name ending in "-" is
        // a file without execute permission.
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList() << QStringList() << QString();
        QTest::newRow("kinfocenter only") << QStringList() << QStringList { "kinfocenter" } << "kinfocenter";
        QTest::newRow("hardinfo before kinfocenter")
            << QStringList { "kinfocenter" } << QStringList { "hardinfo" } << "hardinfo";
        QTest::newRow("hardinfo2 first of all")
            << QStringList { "hardinfo", "kinfocenter" } << QStringList { "hardinfo2" } << "hardinfo2";
        QTest::newRow("not executable is skipped")
            << QStringList { "hardinfo2-" } << QStringList { "kinfocenter" } << "kinfocenter";
        QTest::newRow("not executable only") << QStringList { "hardinfo-" } << QStringList() << QString();
    }

    void sysInfoProgram()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows names the program in the registry");
#else
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QString, expected);
        QTemporaryDir a, b;
        const auto place = [](const QTemporaryDir& dir, const QStringList& names) {
            for (QString name : names) {
                const bool executable = !name.endsWith(QLatin1Char('-'));
                name.remove(QLatin1Char('-'));
                QFile f(dir.filePath(name));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("#!/bin/sh\n");
                f.close();
                QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
                if (executable)
                    p |= QFile::ExeOwner;
                QVERIFY(f.setPermissions(p));
            }
        };
        place(a, first);
        place(b, second);
        qputenv("PATH", QFile::encodeName(a.path() + QLatin1Char(':') + b.path()));
        const QString found = AboutInfo::findSysInfoProgram();
        QCOMPARE(QFileInfo(found).fileName(), expected);
        if (!expected.isEmpty())
            QVERIFY(QFileInfo(found).isAbsolute());
#endif
    }
};

QTEST_GUILESS_MAIN(TestAboutInfo)
#include "test_about_info.moc"
