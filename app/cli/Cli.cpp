#include "app/cli/Cli.h"

#include <QTextStream>

#include "app/cli/CliArgs.h"
#include "app/cli/CliCommands.h"
#include "print/Printer.h"

int RunCli(const QStringList &args, QTextStream &out, QTextStream &err) {
    try {
        const CliArgs parsed = CliArgs::parse(args);
        if (parsed.help) {
            out << CliHelp(parsed.command);
            return CliOk;
        }
        if (parsed.command == QLatin1String("render"))
            return RunRender(parsed, out, err);
        if (parsed.command == QLatin1String("print"))
            return RunPrint(parsed, out, err);
        if (parsed.command == QLatin1String("trace"))
            return RunTrace(parsed, out, err);
        if (parsed.command == QLatin1String("check"))
            return RunCheck(parsed, out, err);
        if (parsed.command == QLatin1String("import"))
            return RunImport(parsed, out, err);
        if (parsed.command == QLatin1String("watch"))
            return RunWatch(parsed, out, err);
        if (parsed.command == QLatin1String("calibrate"))
            return RunCalibrate(parsed, out, err);
        return RunTracePrint(parsed, out, err);
    } catch (const CliError &e) {
        out.flush();
        err << e.message() << '\n';
        return e.status();
    } catch (const PrinterError &e) {
        out.flush();
        err << QStringLiteral("vellumo-cli: %1\n").arg(e.message());
        return CliBadInput;
    }
}
