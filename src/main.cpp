#include "app/MainWindow.h"
#include "platform/EndSignals.h"
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
    // A logout or kill ends the run as the close button does: the settings are saved.
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::endRequested, &window, [&window] {
        window.close();
        QCoreApplication::quit();
    });
    window.show();
    return app.exec();
}
