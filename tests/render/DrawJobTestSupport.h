#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "render/Pictures.h"
#include "render/RecordingCanvas.h"
#include "render/RenderContext.h"
#include "tests/support/TempDataFolder.h"

// Every ribbon test runs on its own data folder with its own RIBOLANT.INI as
// the current settings file, and with the renderer's shared state reset.
class RibbonTest : public ::testing::Test {
protected:
    RibbonTest();
    ~RibbonTest() override;

    // The drawing context of the test's settings as they stand now, with the
    // test's origin, leading, rasterizer mode and pictures.
    RenderContext context() const;
    // DrawJob with that context; `drawn` keeps it afterwards.
    void Draw(const TJob &job, RibbonCanvas &canvas, int scale, int flags);

    void setSetting(const QString &section, const QString &key, int value);
    void setSettingText(const QString &section, const QString &key, const QString &value);
    // Writes a picture into the picture folder.
    void writePicture(const QString &name, const QImage &image) const;

    TempDataFolder data;
    SettingsFile settings;
    QPoint origin;
    std::int32_t leading = 0;
    int rasterizer = 0;
    const PictureCatalogue *pictures = nullptr;
    RenderContext drawn;
};

// A 1000 x 150 mm ribbon, margin 30, letters 60 mm in Arial, two left lines
// and one right line, no pictures, no shadow, not flipped.
std::unique_ptr<TJob> MakeJob();

CanvasFont ArialFont(int height, int escapement = 0);

// What a surface measures for a font, independently of the renderer.
TextMetrics MetricsOf(const CanvasFont &font);
int ExtentOf(const CanvasFont &font, const QString &text);
int WidestOf(const CanvasFont &font, const QStringList &lines);

// The TextOut operations that wrote exactly this text.
QVector<CanvasOp> TextOutsOf(const RecordingCanvas &canvas, const QString &text);
// The TextOut operations that wrote one of these lines.
QVector<CanvasOp> LineOuts(const RecordingCanvas &canvas, const QStringList &lines);

// An image of the given size: black ink on the left half, white on the right.
QImage HalfInkPicture(int width, int height);
