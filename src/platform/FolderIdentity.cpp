#include "platform/FolderIdentity.h"
#include <QFile>
#include <optional>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace FolderIdentity {

namespace {

#ifdef Q_OS_WIN
    using Identity = std::pair<DWORD, std::pair<DWORD, DWORD>>; // volume, file index

    std::optional<Identity> identityOf(const QString& path)
    {
        // Backup semantics: the only way CreateFile opens a folder.
        const HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), 0,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
            nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return std::nullopt;
        BY_HANDLE_FILE_INFORMATION info;
        const bool ok = GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        if (!ok)
            return std::nullopt;
        return Identity { info.dwVolumeSerialNumber, { info.nFileIndexHigh, info.nFileIndexLow } };
    }
#else
    using Identity = std::pair<dev_t, ino_t>;

    std::optional<Identity> identityOf(const QString& path)
    {
        struct stat st;
        if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
            return std::nullopt;
        return Identity { st.st_dev, st.st_ino };
    }
#endif

}

bool same(const QString& a, const QString& b)
{
    const auto x = identityOf(a);
    const auto y = identityOf(b);
    return x && y && *x == *y;
}

}
