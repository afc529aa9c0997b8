// SPDX-License-Identifier: MIT
// The about box's version text and the choice of the system-information program.

#include "TestFiles.h"
#include "about/AboutInfo.h"
#include <QTemporaryDir>
#include <QtTest>

class TestAboutInfo : public QObject {
    Q_OBJECT

    QByteArray m_path = qgetenv("PATH");

private slots:
    void cleanup() { qputenv("PATH", m_path); }

    void versionText_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three parts") << "12.10.31" << QStringLiteral("ﾊﾞｰｼﾞｮﾝ 12.10.31");
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

    // Programs in two folders on PATH; a name ending in "-" is not executable.
    void sysInfoProgram_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList() << QStringList() << QString();
        QTest::newRow("hardinfo before kinfocenter") << QStringList { "kinfocenter" } << QStringList { "hardinfo" }
                                                     << "hardinfo";
        QTest::newRow("hardinfo2 first of all") << QStringList { "hardinfo", "kinfocenter" }
                                                << QStringList { "hardinfo2" } << "hardinfo2";
        QTest::newRow("not executable is skipped") << QStringList { "hardinfo2-" } << QStringList { "kinfocenter" }
                                                   << "kinfocenter";
    }
    void sysInfoProgram()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QString, expected);
        QTemporaryDir a, b;
        for (const auto& [dir, names] : { std::pair(&a, first), std::pair(&b, second) })
            for (QString name : names) {
                const bool executable = !name.endsWith(u'-');
                name.remove(u'-');
                TestFiles::writeFile(dir->filePath(name), "#!/bin/sh\n");
                const auto exe = executable ? QFile::ExeOwner : QFile::Permission();
                QVERIFY(QFile::setPermissions(dir->filePath(name), QFile::ReadOwner | exe));
            }
        qputenv("PATH", QFile::encodeName(a.path() + u':' + b.path()));
        const QString found = AboutInfo::findSysInfoProgram();
        QCOMPARE(QFileInfo(found).fileName(), expected);
        QVERIFY(expected.isEmpty() || QFileInfo(found).isAbsolute());
    }
};

QTEST_GUILESS_MAIN(TestAboutInfo)
#include "test_about_info.moc"
