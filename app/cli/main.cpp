#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "app/cli/Cli.h"

// vellumo-cli: the ribbons of a file printed, drawn into PDF or PNG, or traced,
// without the window. Runs headless: the offscreen platform unless another is set.
int main(int argc, char **argv) {
    // Taken before Qt looks at the command line, so no argument is Qt's.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vellumo-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = RunCli(args, out, err);
    out.flush();
    err.flush();
    return status;
}
