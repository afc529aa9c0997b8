#include "about/AboutInfo.h"
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QSysInfo>
#include <QVersionNumber>
#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace AboutInfo {

QString homepage() { return QStringLiteral("https://github.com/pirapo-lumo/pirapo-lumo"); }

QString programVersion() { return QStringLiteral(LUMO_VERSION); }

QString description() { return QStringLiteral("プロカメラマンがネガやポジを選別するような感覚で画像を振り分けます。"); }

QString versionText(const QString& version)
{
    const QVersionNumber v = QVersionNumber::fromString(version);
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion());
}

QString findSysInfoProgram()
{
#ifdef Q_OS_WIN
    const QSettings msinfo(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QSettings::NativeFormat);
    const QString named = msinfo.value(QStringLiteral("PATH")).toString();
    if (!named.isEmpty())
        return named;
    const QSettings location(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"), QSettings::NativeFormat);
    const QString folder = location.value(QStringLiteral("MSINFO")).toString();
    if (!folder.isEmpty()) {
        const QString exe = folder + QStringLiteral("\\MSINFO32.EXE");
        if (QFileInfo::exists(exe))
            return exe;
    }
    return QString();
#else
    for (const char* name : { "hardinfo2", "hardinfo", "kinfocenter" }) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
#endif
}

QString systemFacts(const ScreenFacts& screen)
{
    const QStringList lines = {
        QStringLiteral("OS: %1").arg(QSysInfo::prettyProductName()),
        QStringLiteral("カーネル: %1 %2").arg(QSysInfo::kernelType(), QSysInfo::kernelVersion()),
        QStringLiteral("アーキテクチャ: %1 (ビルド %2)")
            .arg(QSysInfo::currentCpuArchitecture(), QSysInfo::buildCpuArchitecture()),
        QStringLiteral("Qt: %1 (ビルド %2)").arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR)),
        QStringLiteral("プログラム: %1 %2").arg(QStringLiteral("ピラポくんLumo"), programVersion()),
        QStringLiteral("画面: %1 %2x%3 (使用可能 %4x%5)")
            .arg(screen.name)
            .arg(screen.size.width())
            .arg(screen.size.height())
            .arg(screen.available.width())
            .arg(screen.available.height()),
        QStringLiteral("倍率: %1 (%2 dpi)").arg(screen.scale).arg(screen.dpi),
    };
    return lines.join(u'\n') + u'\n';
}

}
