#include "about/AboutInfo.h"
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
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
    const QSettings msinfo(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                           QSettings::NativeFormat);
    const QString named = msinfo.value(QStringLiteral("PATH")).toString();
    if (!named.isEmpty())
        return named;
    const QSettings location(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"),
                             QSettings::NativeFormat);
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

QString sysInfoUnavailableText() { return QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"); }

}
