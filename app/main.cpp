#include <QApplication>

#include "ui/Main.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumo"));
    QApplication::setApplicationVersion(QStringLiteral(VELLUMO_VERSION));
    TMainForm window;
    window.show();
    return app.exec();
}
