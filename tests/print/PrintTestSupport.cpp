#include "tests/print/PrintTestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <cmath>

#include "render/RenderContext.h"

PrintFixture::PrintFixture()
    : settings(std::make_unique<SettingsFile>(data.filePath(QStringLiteral("RIBOLANT.INI")))) {
    SettingsFile::setCurrent(settings.get());
}

RenderContext PrintFixture::context() const {
    return RenderContext::FromSettings(settings.get());
}

PrintFixture::~PrintFixture() {
    SettingsFile::setCurrent(nullptr);
}

void PrintFixture::setDrucker(const char *key, int value) {
    settings->writeInteger(QStringLiteral("Drucker"), QString::fromLatin1(key), value);
}

TJob &PrintFixture::addJob(int laenge, int breite, int stil) {
    auto job = std::make_unique<TJob>();
    job->Laenge = laenge;
    job->Breite = breite;
    job->Stil = stil;
    job->FontName.set(QStringLiteral("Arial"));
    job->Shadow = false;
    job->TextLeft.set({QStringLiteral("Ruhe in Frieden")});
    job->TextRight.set({QStringLiteral("Deine Familie")});
    jobs.push_back(std::move(job));
    return *jobs.back();
}

PrintRun PrintFixture::run(int first, int last) const {
    PrintRun r;
    for (const auto &job : jobs)
        r.jobs.append(job.get());
    r.PrintFirst = first;
    r.PrintLast = last < 0 ? int(jobs.size()) - 1 : last;
    return r;
}

RecordingPrinter::Config PrintFixture::a4With280() {
    RecordingPrinter::Config config;
    config.marginMm = 8.5;
    return config;
}

int deviceX(const CanvasOp &op, QPoint logical) {
    return op.mapping.logicalToDevice(logical).x();
}

std::vector<const CanvasOp *> cutMarks(const RecordingCanvas &canvas, int HR) {
    std::vector<const CanvasOp *> marks;
    for (const CanvasOp &op : canvas.ops()) {
        if (op.kind != CanvasOp::Kind::Line || op.from.x() != op.to.x() ||
            op.to.y() - op.from.y() != 80 || op.from.y() != 40)
            continue;
        const int x = deviceX(op, op.from);
        if (HR < 0 || (x >= 0 && x <= HR))
            marks.push_back(&op);
    }
    return marks;
}

void ExpectSoundPdf(const QString &pdf) {
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (!qpdf.waitForStarted(10000))
        return;
    ASSERT_TRUE(qpdf.waitForFinished(60000));
    EXPECT_EQ(qpdf.exitCode(), 0) << pdf.toStdString() << ": "
                                  << qpdf.readAllStandardOutput().toStdString();
}

QString PdfText(const QString &pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
