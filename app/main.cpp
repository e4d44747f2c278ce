#include <QApplication>

#include "ui/AppWindows.h"
#include "ui/Main.h"
#include "ui/Translations.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vellumo"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMO_VERSION));
    InstallGermanQtTexts(app);
    TMainForm window;
    CreateAppWindows(window);
    window.show();
    return app.exec();
}
