#include "tests/e2e/PdfPages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace {

constexpr int kToolTimeoutMs = 60000;

bool RunTool(const QString &program, const QStringList &args, QByteArray *out, QString *error) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(kToolTimeoutMs) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0) {
        *error = QStringLiteral("%1 %2 failed: %3 %4")
                     .arg(program, args.join(QLatin1Char(' ')), p.errorString(),
                          QString::fromLocal8Bit(p.readAllStandardError()));
        return false;
    }
    *out = p.readAllStandardOutput();
    return true;
}

}  // namespace

QStringList PdfPage::words() const {
    QStringList list = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    list.sort();
    return list;
}

std::vector<PdfPage> ReadPdfPages(const QString &path, QString *error) {
    QByteArray info;
    if (!RunTool(QStringLiteral("pdfinfo"),
                 {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                  QStringLiteral("100000"), path},
                 &info, error))
        return {};
    std::vector<PdfPage> pages;
    std::vector<int> rotations;
    static const QRegularExpression sizeLine(
        QStringLiteral("^Page\\s+(\\d+) size:\\s+([\\d.]+) x ([\\d.]+) pts"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression rotLine(QStringLiteral("^Page\\s+(\\d+) rot:\\s+(-?\\d+)"),
                                            QRegularExpression::MultilineOption);
    const QString infoText = QString::fromUtf8(info);
    for (auto it = sizeLine.globalMatch(infoText); it.hasNext();) {
        const auto m = it.next();
        PdfPage page;
        page.file = path;
        page.number = m.captured(1).toInt();
        page.widthMm = m.captured(2).toDouble() * 25.4 / 72;
        page.heightMm = m.captured(3).toDouble() * 25.4 / 72;
        pages.push_back(page);
    }
    for (auto it = rotLine.globalMatch(infoText); it.hasNext();) {
        const auto m = it.next();
        const int index = m.captured(1).toInt() - 1;
        const int rot = ((m.captured(2).toInt() % 360) + 360) % 360;
        if (index >= 0 && index < int(pages.size()) && (rot == 90 || rot == 270))
            std::swap(pages[index].widthMm, pages[index].heightMm);
    }
    if (pages.empty()) {
        *error = QStringLiteral("pdfinfo found no pages in %1").arg(path);
        return {};
    }

    QByteArray text;
    if (!RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), path, QStringLiteral("-")},
                 &text, error))
        return {};
    // pdftotext ends every page with a form feed.
    const QList<QByteArray> pageTexts = text.split('\f');
    for (size_t i = 0; i < pages.size() && i < size_t(pageTexts.size()); ++i)
        pages[i].text = QString::fromUtf8(pageTexts[qsizetype(i)]);
    return pages;
}

QImage RenderPdfPage(const PdfPage &page, int dpi, QString *error) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    const QString number = QString::number(page.number);
    QByteArray ignored;
    if (!RunTool(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-f"), number, QStringLiteral("-l"), number, QStringLiteral("-r"),
                  QString::number(dpi), QStringLiteral("-gray"), QStringLiteral("-singlefile"),
                  page.file, prefix},
                 &ignored, error))
        return {};
    QImage image(prefix + QStringLiteral(".pgm"));
    if (image.isNull())
        *error = QStringLiteral("pdftoppm wrote no readable picture of %1").arg(page.file);
    return image.convertToFormat(QImage::Format_Grayscale8);
}
