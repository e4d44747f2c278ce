#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

#include "render/RenderContext.h"
#include "render/RibbonCanvas.h"

class TJob;

constexpr int InkThreshold = 50000;

// The picture names of the picture folder and their 64 x 64 thumbnails, index
// for index. Filled by the main window's picture list at start-up; the preview
// takes its pictures from here.
struct PictureCatalogue {
    QStringList files;
    QVector<QImage> thumbnails;
};

// The picture list's thumbnails: ThumbnailSize pixels square.
constexpr int ThumbnailSize = 64;
// The thumbnail that stands for no picture: a grey frame on white.
QImage NoPictureThumbnail();
// A picture as black ink on white, fitted into the thumbnail with its aspect
// ratio kept and centred, drawn by the same path that prints pictures. The
// window's picture list and vellumo-cli's proofs both show these.
QImage PictureThumbnail(const QImage &picture);

// The folder "Bilder" in the data folder, with a trailing slash.
QString PictureFolder();

// A rectangle as GDI gives it: left, top, right, bottom in logical units.
struct LRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const LRect &) const = default;
};

// With DrawPrintColors the file of the picture folder whose name matches
// without regard to case, else the thumbnail from the catalogue (none when it
// is null). Any failure leaves the bitmap null, and a null bitmap draws nothing.
void LoadPicture(const QString &name, int flags, QImage &bitmap,
                 const PictureCatalogue *catalogue = nullptr);
// One bitmap file read and decoded after its header was checked against the
// file's length; null for anything that is not a usable bitmap. Keeps nothing,
// so it may run on any thread (LoadPicture keeps what it read for the GUI
// thread).
QImage ReadPictureFile(const QString &path);
// Placed by the context's DrawOrigin, with a shadow of its ShadowStep.
void DrawPicture(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                 const QImage &bitmap, LRect rect, int flags, int angle, ColorRef previewColour,
                 ColorRef printColour);
void BlitPicture(RibbonCanvas &canvas, const QImage &bitmap, LRect rect, int flags, int angle,
                 ColorRef previewColour, ColorRef printColour);
LRect FitRect(const QImage &bitmap, LRect rect);
void DrawFitted(RibbonCanvas &canvas, const QImage &bitmap, LRect rect);
