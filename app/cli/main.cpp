#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

#include "app/cli/Cli.h"

namespace {

// stderr carries the program's own messages. Qt's remarks about the session
// (no runtime folder, the offscreen platform) would only bury them; real
// failures still come through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "vellumo-cli: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

// vellumo-cli: the ribbons of a file printed, drawn into PDF or PNG, or traced,
// without the window. Runs headless: the offscreen platform unless another is set.
int main(int argc, char **argv) {
    // Taken before Qt looks at the command line, so no argument is Qt's.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    qInstallMessageHandler(QuietQtMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vellumo-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    int status = RunCli(args, out, err);
    out.flush();
    // Output that did not arrive (a full disk, a closed pipe) is no success.
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        err << QStringLiteral(
            "vellumo-cli: die Ausgabe konnte nicht vollst\u00e4ndig geschrieben werden\n");
        if (status == 0)
            status = 1;
    }
    err.flush();
    return status;
}
