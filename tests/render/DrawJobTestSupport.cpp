#include "tests/render/DrawJobTestSupport.h"

#include <QDir>
#include <algorithm>

#include "model/DataFolder.h"
#include "render/DrawJob.h"

RibbonTest::RibbonTest() : settings(SettingsFilePath()) {
    SettingsFile::setCurrent(&settings);
}

RibbonTest::~RibbonTest() {
    SettingsFile::setCurrent(nullptr);
}

RenderContext RibbonTest::context() const {
    RenderContext c = RenderContext::FromSettings(&settings);
    c.DrawOrigin = origin;
    c.InternalLeadingDivisor = leading;
    c.RasterizerMode = rasterizer;
    c.PictureFiles = pictures;
    return c;
}

void RibbonTest::Draw(const TJob &job, RibbonCanvas &canvas, int scale, int flags) {
    drawn = context();
    DrawJob(drawn, job, canvas, scale, flags);
}

void RibbonTest::setSetting(const QString &section, const QString &key, int value) {
    settings.writeInteger(section, key, value);
}

void RibbonTest::setSettingText(const QString &section, const QString &key, const QString &value) {
    settings.writeString(section, key, value);
}

void RibbonTest::writePicture(const QString &name, const QImage &image) const {
    QDir(data.appFolder()).mkpath(QStringLiteral("Bilder"));
    ASSERT_TRUE(image.save(data.appFolder() + QStringLiteral("/Bilder/") + name, "BMP"));
}

std::unique_ptr<TJob> MakeJob() {
    auto job = std::make_unique<TJob>();
    job->FontName.set(QStringLiteral("Arial"));
    job->FontGroesse = 60;
    job->FontFarbe = 0x01000005;
    job->Stil = Align;
    job->Laenge = 1000;
    job->Breite = 150;
    job->Rand = 30;
    job->Flip = false;
    job->Shadow = false;
    job->TextLeft.set({QStringLiteral("In stiller Trauer"), QStringLiteral("Deine Kinder")});
    job->TextRight.set({QStringLiteral("Ruhe sanft")});
    job->Kommission.set(QStringLiteral("K-17"));
    return job;
}

CanvasFont ArialFont(int height, int escapement) {
    CanvasFont f;
    f.height = height;
    f.escapement = escapement;
    f.orientation = escapement;
    f.face = QStringLiteral("Arial");
    return f;
}

TextMetrics MetricsOf(const CanvasFont &font) {
    RecordingCanvas probe;
    probe.selectFont(probe.createFont(font));
    return probe.textMetrics();
}

int ExtentOf(const CanvasFont &font, const QString &text) {
    RecordingCanvas probe;
    probe.selectFont(probe.createFont(font));
    return probe.textExtent(text).width();
}

int WidestOf(const CanvasFont &font, const QStringList &lines) {
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, ExtentOf(font, line));
    return widest;
}

QVector<CanvasOp> TextOutsOf(const RecordingCanvas &canvas, const QString &text) {
    QVector<CanvasOp> result;
    for (const CanvasOp &op : canvas.opsOf(CanvasOp::Kind::TextOut)) {
        if (op.text == text)
            result.append(op);
    }
    return result;
}

QVector<CanvasOp> LineOuts(const RecordingCanvas &canvas, const QStringList &lines) {
    QVector<CanvasOp> result;
    for (const CanvasOp &op : canvas.opsOf(CanvasOp::Kind::TextOut)) {
        if (lines.contains(op.text))
            result.append(op);
    }
    return result;
}

QImage HalfInkPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}
