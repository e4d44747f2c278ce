#include <QTextStream>

#include "app/cli/CliCommands.h"
#include "app/cli/CliSession.h"
#include "app/cli/Trace.h"
#include "print/QtPrinter.h"
#include "render/RecordingCanvas.h"

int RunTrace(const CliArgs &args, QTextStream &out, QTextStream &err) {
    const int scale = args.integer(QStringLiteral("scale"), 1, 64, PrintScale);
    const int flags = args.integer(QStringLiteral("flags"), 0, 31, PrintFlags);
    CliSession session(args);
    const std::vector<const RibbonEntry *> chosen = session.selected();
    session.warnMissingPictures(chosen, err);
    if (!(flags & DrawPrintColors))
        session.fillPreviewPictures(chosen);
    const RenderContext context = session.context();

    for (const RibbonEntry *entry : chosen) {
        out << QStringLiteral("ribbon index=%1 section=%2\n")
                   .arg(entry - session.ribbons().data() + 1)
                   .arg(TraceQuoted(entry->section));
        // The device behind the logical units has the printer's resolution,
        // which outline letters are made for.
        RecordingCanvas canvas;
        canvas.setMapping(TrueSizeMapping(scale, QtPrinter::Resolution));
        DrawRibbon(context, *entry->job, canvas, scale, flags);
        for (const QString &line : TraceLines(canvas.ops()))
            out << line << '\n';
    }
    return CliOk;
}
