#include "app/MainWindow.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "session/SettingsFile.h"
#include "sorting/Sorter.h"
#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ピラポくんLumo"));
    QApplication::setApplicationVersion(QStringLiteral(LUMO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pirapo_lumo.PirapoLumo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    Settings settings;
    Session session(QCoreApplication::applicationDirPath(), SettingsFile::userFolder());
    PictureFolder folder;
    Sorter sorter(settings, session);

    MainWindow window(settings, session, folder, sorter);
    if (!window.startedUp())
        return 0; // a short settings file was deleted; no window this run
    window.show();
    return app.exec();
}
