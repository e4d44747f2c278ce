#include "render/FontRecipe.h"

#include <QMutex>

#include <QHash>
#include <algorithm>
#include <cmath>

#include "render/FaceCoverage.h"
#include "render/SymbolRuns.h"
#include "render/Typefaces.h"

namespace {

// Whole units from a scaled metric; absurd heights saturate instead of
// overflowing.
int toUnits(double v) {
    if (!(v == v))
        return 0;
    const double r = std::round(v);
    return int(std::clamp(r, -2147483647.0, 2147483647.0));
}

QFont ReferenceFont(const QString &face) {
    // The family of the shared resolution, which the outlines are read from.
    QFont font(ResolveFace(face).family);
    font.setPixelSize(int(FontRecipe::ReferencePixels));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    // Plain per-character advances, no kerning and no ligatures, so that text
    // and the outline letters built glyph by glyph take the same room. No
    // letter is borrowed from another face: paper has only the face's own.
    font.setKerning(false);
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferNoShaping | QFont::NoFontMerging));
    return font;
}

}  // namespace

FontRecipe::FontRecipe(const QString &face)
    : face_(face), font_(ReferenceFont(face)), metrics_(font_) {
    ascent_ = metrics_.ascent();
    descent_ = metrics_.descent();
    if (!(ascent_ + descent_ > 0)) {
        // A face without usable vertical metrics: treat the em as the cell.
        ascent_ = ReferencePixels * 0.8;
        descent_ = ReferencePixels * 0.2;
    }
}

const FontRecipe &FontRecipe::forFace(const QString &face) {
    // Kept until the process ends and never destroyed: fonts must not be
    // released after the application object is gone.
    static auto *recipes = new QHash<QString, FontRecipe *>;
    static QMutex guard;  // pages may be drawn on several threads
    const QMutexLocker lock(&guard);
    auto it = recipes->constFind(face);
    if (it != recipes->constEnd())
        return **it;
    FontRecipe *recipe = new FontRecipe(face);
    recipes->insert(face, recipe);
    return *recipe;
}

double FontRecipe::referenceAdvance(const QString &text) const {
    const QMutexLocker lock(&advancesGuard_);
    const auto known = advances_.constFind(text);
    if (known != advances_.constEnd())
        return *known;
    const double advance = measure(text);
    // Bounded: a long run of different texts must not grow it without end.
    if (advances_.size() >= 4096)
        advances_.clear();
    advances_.insert(text, advance);
    return advance;
}

double FontRecipe::measure(const QString &text) const {
    const QList<FaceRun> runs = SymbolFaceRuns(face_, text);
    if (runs.isEmpty())
        return metrics_.horizontalAdvance(text);
    // Both faces at ReferencePixels em: their widths add up as they are. The
    // symbol face's recipe takes its own lock and never asks another face.
    const FontRecipe &symbols = forFace(FaceCoverage::SymbolFace());
    double advance = 0;
    for (const FaceRun &run : runs) {
        const QString part = text.mid(run.from, run.length);
        advance += run.symbolFace && &symbols != this ? symbols.referenceAdvance(part)
                                                      : metrics_.horizontalAdvance(part);
    }
    return advance;
}

double FontRecipe::scaleFor(int height) const {
    if (height == 0)
        return DefaultCellHeight / referenceCell();
    if (height > 0)
        return height / referenceCell();
    return -double(height) / ReferencePixels;
}

TextMetrics FontRecipe::metrics(int height) const {
    const double s = scaleFor(height);
    TextMetrics tm;
    tm.height = height > 0 ? height : toUnits(referenceCell() * s);
    // Ascent and descent split the cell in the face's proportion and always
    // add up to it.
    tm.ascent = toUnits(tm.height * ascent_ / referenceCell());
    tm.descent = tm.height - tm.ascent;
    tm.internalLeading = tm.height - toUnits(emHeight(height));
    tm.externalLeading = std::max(0, toUnits(metrics_.leading() * s));
    tm.aveCharWidth = toUnits(metrics_.averageCharWidth() * s);
    tm.maxCharWidth = toUnits(metrics_.maxWidth() * s);
    return tm;
}

QSize FontRecipe::extent(const QString &text, int height) const {
    const int cell = height > 0 ? height : toUnits(cellHeight(height));
    return QSize(toUnits(referenceAdvance(text) * scaleFor(height)), cell);
}
