#include "app/SettingsMessages.h"
#include <QDir>

namespace SettingsMessages {

QString startWarning(const SettingsFile::StartNote& note)
{
    const QString shown = QDir::toNativeSeparators(note.file);
    QString why;
    switch (note.problem) {
    case SettingsFile::ReadStatus::Ok:
    case SettingsFile::ReadStatus::Missing:
        return QString();
    case SettingsFile::ReadStatus::Damaged:
        why = QStringLiteral("設定ファイル %1 は壊れているため読み込めませんでした。").arg(shown);
        if (!note.keptAs.isEmpty())
            why += QStringLiteral("元のファイルは %1 として残しました。").arg(QDir::toNativeSeparators(note.keptAs));
        break;
    case SettingsFile::ReadStatus::Unreadable:
        why = QStringLiteral("設定ファイル %1 を読み込めませんでした。").arg(shown);
        break;
    case SettingsFile::ReadStatus::NotAFile:
        why = QStringLiteral("設定ファイル %1 は通常のファイルではないため、読み込みません。").arg(shown);
        break;
    }
    why += QStringLiteral("既定の設定で起動します。");
    if (note.leftAlone)
        why += QStringLiteral("\nこのファイルには手を付けず、今回の設定は保存しません。");
    return why;
}

QString endError(SettingsFile::EndProblem problem, const QString& file, const QString& reason)
{
    const QString shown = QDir::toNativeSeparators(file);
    QString error;
    switch (problem) {
    case SettingsFile::EndProblem::None:
        break;
    case SettingsFile::EndProblem::NotAFile:
        error = QStringLiteral("設定ファイル %1 は通常のファイルではないため、今回の設定は保存しません。").arg(shown);
        break;
    case SettingsFile::EndProblem::WouldNotReadBack:
        error = QStringLiteral("設定ファイル %1 に今回の設定を正しく書き込めないため、"
                               "ファイルは元のまま残し、今回の設定は保存しません。")
                    .arg(shown);
        break;
    case SettingsFile::EndProblem::WriteFailed:
        error = QStringLiteral("設定ファイル %1 を保存できませんでした。\n%2\n今回の設定は保存されずに終了します。")
                    .arg(shown, reason);
        break;
    }
    return error;
}

}
