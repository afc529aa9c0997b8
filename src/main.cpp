#include "app/MainWindow.h"
#include "app/Program.h"
#include "platform/EndSignals.h"
#include "session/SettingsFile.h"
#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ピラポくんLumo"));
    QApplication::setApplicationVersion(QStringLiteral(LUMO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pirapo_lumo.PirapoLumo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    Program program(QCoreApplication::applicationDirPath(), SettingsFile::userFolder());
    MainWindow window(program);
    // A logout or kill ends the run as the close button does: the settings are saved.
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::endRequested, &window, [&window] {
        window.close();
        QCoreApplication::quit();
    });
    window.show();
    return app.exec();
}
