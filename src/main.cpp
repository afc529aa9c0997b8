#include "app/Form1.h"
#include "app/Module1.h"
#include "app/SettingsStore.h"
#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ピラポくんLumo"));
    QApplication::setApplicationVersion(QStringLiteral(LUMO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pirapo_lumo.PirapoLumo"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    Module1 m;
    m.AppPath = QCoreApplication::applicationDirPath();
    m.UserFolder = SettingsStore::userFolder();

    Form1 form(m);
    if (!form.startedUp())
        return 0; // a short settings file was deleted; no window this run
    form.show();
    return app.exec();
}
