#include <QApplication>

#include "ui/AppWindows.h"
#include "ui/Main.h"
#include "ui/Translations.h"
#include "ui/SessionEnd.h"

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vellumo"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMO_VERSION));
    InstallGermanQtTexts(app);
    TMainForm window;
    SessionEndWatcher sessionEnd;
    QObject::connect(&sessionEnd, &SessionEndWatcher::endRequested, &window,
                     &TMainForm::EndSession);
    CreateAppWindows(window);
    window.show();
    return app.exec();
}
