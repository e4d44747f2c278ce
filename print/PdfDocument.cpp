#include "print/PdfDocument.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTransform>

#include <charconv>
#include <climits>
#include <cmath>
#include <set>
#include <vector>

#include "print/PdfFile.h"
#include "print/PdfFont.h"
#include "print/PdfPageStore.h"
#include "render/Typefaces.h"

namespace {

// Numbers as PDF wants them: whole numbers without a point, others with at
// most six decimals (a millionth of a unit is far below any printer's dot).
void AppendNumber(QByteArray &out, double v) {
    char buffer[64];
    if (!std::isfinite(v))
        v = 0;
    const double rounded = std::round(v);
    std::to_chars_result r{};
    if (std::fabs(v - rounded) < 5e-7 && std::fabs(rounded) < 1e15) {
        r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(rounded));
    } else {
        r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 6);
        // Trailing zeros say nothing.
        while (r.ptr > buffer && r.ptr[-1] == '0')
            --r.ptr;
        if (r.ptr > buffer && r.ptr[-1] == '.')
            --r.ptr;
        if (r.ptr - buffer == 2 && buffer[0] == '-' && buffer[1] == '0')
            r.ptr = buffer + 1, buffer[0] = '0';
    }
    out.append(buffer, r.ptr - buffer);
    out.append(' ');
}

// A matrix and the operator that takes it ("cm" by default, "Tm" for text).
void AppendMatrix(QByteArray &out, const QTransform &m, const char *op = "cm") {
    AppendNumber(out, m.m11());
    AppendNumber(out, m.m12());
    AppendNumber(out, m.m21());
    AppendNumber(out, m.m22());
    AppendNumber(out, m.dx());
    AppendNumber(out, m.dy());
    out.append(op);
    out.append('\n');
}

void AppendColour(QByteArray &out, QRgb rgb, const char *op) {
    AppendNumber(out, qRed(rgb) / 255.0);
    AppendNumber(out, qGreen(rgb) / 255.0);
    AppendNumber(out, qBlue(rgb) / 255.0);
    out.append(op);
    out.append('\n');
}

// A path's operators with every point taken relative to `origin`; the
// bounds of those points. A closed figure that returns to its start ends with
// "h" instead of a last line back; an open line is left open.
QByteArray PathOperators(const QPainterPath &path, QPointF origin, QRectF *bounds,
                         bool closed = true) {
    QByteArray ops;
    ops.reserve(path.elementCount() * 12);
    double left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    const auto point = [&](double x, double y) {
        x -= origin.x();
        y -= origin.y();
        if (!any) {
            left = right = x;
            top = bottom = y;
            any = true;
        } else {
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        AppendNumber(ops, x);
        AppendNumber(ops, y);
    };
    QPointF start;
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
            case QPainterPath::MoveToElement:
                start = e;
                point(e.x, e.y);
                ops.append("m\n");
                break;
            case QPainterPath::LineToElement: {
                const bool last = i + 1 == count || path.elementAt(i + 1).isMoveTo();
                if (closed && last && QPointF(e) == start) {
                    ops.append("h\n");
                } else {
                    point(e.x, e.y);
                    ops.append("l\n");
                }
                break;
            }
            case QPainterPath::CurveToElement:
                if (i + 2 < count) {
                    const QPainterPath::Element c2 = path.elementAt(i + 1);
                    const QPainterPath::Element end = path.elementAt(i + 2);
                    point(e.x, e.y);
                    point(c2.x, c2.y);
                    point(end.x, end.y);
                    ops.append("c\n");
                }
                i += 2;
                break;
            case QPainterPath::CurveToDataElement:
                break;
        }
    }
    if (bounds)
        *bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    return ops;
}

// A path as a figure: its operators relative to its first point.
struct Figure {
    QByteArray ops;
    QRectF bounds;
    QPointF origin;
    bool oddEven = false;
};

Figure MakeFigure(const QPainterPath &path, bool closed = true) {
    Figure figure;
    if (path.isEmpty())
        return figure;
    figure.origin = path.elementAt(0);
    figure.ops = PathOperators(path, figure.origin, &figure.bounds, closed);
    figure.oddEven = path.fillRule() == Qt::OddEvenFill;
    return figure;
}

// A text string of the document information: UTF-16 with its byte-order mark.
QByteArray TextString(const QString &text) {
    return "<FEFF" + PdfUtf16Hex(text) + '>';
}

}  // namespace

class PdfEngine : public QPaintEngine {
public:
    PdfEngine(const QString &fileName, int resolution)
        : QPaintEngine(PrimitiveTransform | PixmapTransform | PainterPaths | AlphaBlend |
                       PaintOutsidePaintEvent),
          file_(fileName),
          resolution_(resolution) {}

    QString title;
    QString creator;
    QPageLayout layout;
    QPageLayout nextLayout;
    QSizeF stretch{1, 1};
    QSizeF nextStretch{1, 1};

    bool begin(QPaintDevice *) override {
        if (!file_.open())
            return false;
        catalog_ = reserve();
        pagesRoot_ = reserve();
        layout = nextLayout;
        stretch = nextStretch;
        startPage();
        return file_.ok();
    }

    bool end() override {
        if (!file_.isOpen())
            return false;
        finishPage();
        finished_ = file_.finish(catalog_, writeTail());
        return finished_;
    }

    bool newPage() {
        if (!file_.isOpen())
            return false;
        finishPage();
        layout = nextLayout;
        stretch = nextStretch;
        startPage();
        return file_.ok();
    }

    QPaintEngine::Type type() const override { return QPaintEngine::User; }
    int resolution() const { return resolution_; }
    QString errorString() const { return file_.errorString(); }
    bool finished() const { return finished_; }
    const PdfPageStore &store() const { return store_; }
    QString fileName() const { return file_.fileName(); }
    // One pixel of a 600 dpi printer in device pixels: the thinnest line drawn.
    double linePixel() const { return resolution_ / 600.0; }

    void updateState(const QPaintEngineState &state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyTransform)
            transform_ = state.transform();
        if (flags & DirtyPen)
            pen_ = state.pen();
        if (flags & DirtyBrush)
            brush_ = state.brush();
        if (flags & DirtyClipEnabled) {
            clipEnabled_ = state.isClipEnabled();
            clipDirty_ = true;
        }
        if (flags & DirtyClipPath)
            updateClip(state.clipPath(), state.clipOperation());
        if (flags & DirtyClipRegion) {
            QPainterPath path;
            path.addRegion(state.clipRegion());
            updateClip(path, state.clipOperation());
        }
    }

    void drawPath(const QPainterPath &path) override { paint(path, true); }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override {
        if (!points || count < 1)
            return;
        QPainterPath path;
        path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        paint(path, mode != PolylineMode);
    }

    // Text is laid out as the painter lays it out. A TrueType or CFF face is
    // written as text of an embedded subset; any other face as the outlines
    // of its letters, each a figure of its own, so that a letter that comes
    // again is written only once. Text in a wholly transparent colour lies
    // over letters drawn from their outlines: it is written invisible, to be
    // found and copied.
    void drawTextItem(const QPointF &p, const QTextItem &item) override {
        const QString text = item.text();
        if (text.isEmpty())
            return;
        QTextLayout layout(text, item.font(), painter() ? painter()->device() : nullptr);
        layout.setCacheEnabled(false);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            layout.endLayout();
            return;
        }
        line.setNumColumns(int(text.size()));
        layout.endLayout();
        const QPointF baseline = p - QPointF(line.x(), line.y() + line.ascent());

        const QBrush brush = brush_;
        brush_ = pen_.brush().style() == Qt::NoBrush ? QBrush(pen_.color()) : pen_.brush();
        const bool invisible = brush_.color().alpha() == 0;
        const QList<QGlyphRun> runs = layout.glyphRuns();
        const QList<QList<QString>> texts = GlyphTexts(layout, text, runs);
        for (qsizetype r = 0; r < runs.size(); ++r) {
            const QRawFont font = runs[r].rawFont();
            const QList<quint32> glyphs = runs[r].glyphIndexes();
            const QList<QPointF> positions = runs[r].positions();
            FontSlot *slot = fontFor(font);
            QList<quint32> shown = glyphs;
            if (slot &&
                (!slot->standIn.isValid() || StandInGlyphs(slot->standIn, texts[r], &shown))) {
                showText(*slot, font, texts[r], shown, positions, baseline, invisible);
                continue;
            }
            // A face that cannot be embedded is drawn as the outlines of its
            // letters: the same ink, without text to search.
            if (invisible)
                continue;
            for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
                paint(glyphOutline(font, glyphs[i]), true, false, baseline + positions[i]);
        }
        brush_ = brush;
    }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF &target, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags) override {
        if (image.isNull() || sr.isEmpty() || target.width() < 0 || target.height() < 0 ||
            (target.width() <= 0 && target.height() <= 0))
            return;
        // A picture thinner than a printer's pixel (a long rule drawn to scale)
        // would vanish: it is drawn one such pixel thick.
        QRectF r = target;
        const double across = std::hypot(transform_.m21(), transform_.m22());
        const double along = std::hypot(transform_.m11(), transform_.m12());
        if (across > 0 && r.height() * across < linePixel()) {
            const double h = linePixel() / across;
            r = QRectF(r.x(), r.center().y() - h / 2, r.width(), h);
        }
        if (along > 0 && r.width() * along < linePixel()) {
            const double w = linePixel() / along;
            r = QRectF(r.center().x() - w / 2, r.y(), w, r.height());
        }
        const QRect part = sr.toAlignedRect().intersected(image.rect());
        if (part.isEmpty())
            return;
        const QString key = QStringLiteral("%1 %2 %3 %4 %5")
                                .arg(image.cacheKey())
                                .arg(part.x())
                                .arg(part.y())
                                .arg(part.width())
                                .arg(part.height());
        int object = images_.value(key, 0);
        if (object == 0) {
            object = writeImage(part == image.rect() ? image : image.copy(part));
            images_.insert(key, object);
        }
        pageImages_.insert(object);
        useClip();
        content_.append("q\n");
        AppendMatrix(content_, QTransform(r.width(), 0, 0, -r.height(), r.x(), r.y() + r.height()) *
                                   transform_);
        content_.append("/I");
        content_.append(QByteArray::number(object));
        content_.append(" Do\nQ\n");
    }

private:
    struct FontSlot {
        std::unique_ptr<PdfFont> font;
        int object = 0;  // the Type 0 font; 0 for a face drawn as outlines
        // For a Type 1 face, the same face's OpenType file, whose glyphs are
        // found by the characters they stand for.
        QRawFont standIn;
    };

    FontSlot *fontFor(const QRawFont &font) {
        // The face's header (its dates and checksum) tells two files of
        // the same family and style apart.
        const QString key = font.familyName() + QLatin1Char('|') + font.styleName() +
                            QLatin1Char('|') + QString::fromLatin1(font.fontTable("head").toHex());
        auto known = fonts_.find(key);
        if (known == fonts_.end()) {
            auto slot = std::make_shared<FontSlot>();
            slot->font = PdfFont::FromRawFont(font);
            if (!slot->font && font.fontTable("head").isEmpty()) {
                // Qt may take a face from its Type 1 file where the same face
                // is installed as OpenType too (the file letters drawn from
                // their outlines come from): that one is embedded.
                // A font that borrows from no other face is named with its
                // foundry where two foundries share the family: "Z003 [urw]".
                static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
                const QString family = font.familyName().remove(foundry);
                const ResolvedFace &face = ResolveFace(family);
                if (face.installed && face.index == 0 && !face.file.isEmpty()) {
                    const QRawFont standIn(QFile::decodeName(face.file), font.pixelSize());
                    if (standIn.isValid() && standIn.familyName() == family &&
                        standIn.styleName() == font.styleName()) {
                        slot->font = PdfFont::FromRawFont(standIn);
                        slot->standIn = standIn;
                    }
                }
            }
            if (slot->font) {
                slot->object = reserve();
                store_.addFont(slot->object, slot->font.get());
            }
            known = fonts_.insert(key, slot);
        }
        return known.value()->font ? known.value().get() : nullptr;
    }

    // Which characters each glyph of each run stands for: a glyph stands for
    // the characters it is drawn for (a ligature for all of its), a character
    // that gives several glyphs belongs to the first, and invisible characters
    // (a soft hyphen, joiners) belong to none.
    static QList<QList<QString>> GlyphTexts(const QTextLayout &layout, const QString &text,
                                            const QList<QGlyphRun> &runs) {
        QList<QList<QString>> out;
        for (const QGlyphRun &run : runs)
            out.append(QList<QString>(run.glyphIndexes().size()));
        // Mostly each visible character gives its own glyph, in order.
        const QList<uint> points = text.toUcs4();
        QString visible;
        for (const uint c : points) {
            if (!DefaultIgnorable(c))
                visible += QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
        }
        if (runs.size() == 1 &&
            runs[0].rawFont().glyphIndexesForString(visible) == runs[0].glyphIndexes()) {
            qsizetype g = 0;
            for (const uint c : points) {
                if (!DefaultIgnorable(c))
                    out[0][g++] = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
            }
            return out;
        }
        // Otherwise the layout is asked which glyphs each character gives.
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, length);
            const int from = int(i);
            i += length;
            if (DefaultIgnorable(character.toUcs4().value(0)))
                continue;
            for (const QGlyphRun &part : layout.glyphRuns(from, int(length))) {
                const QList<quint32> glyphs = part.glyphIndexes();
                const QList<QPointF> positions = part.positions();
                if (glyphs.isEmpty() || positions.isEmpty())
                    continue;
                bool given = false;
                for (qsizetype r = 0; r < runs.size() && !given; ++r) {
                    if (!(runs[r].rawFont() == part.rawFont()))
                        continue;
                    const QList<quint32> own = runs[r].glyphIndexes();
                    const QList<QPointF> at = runs[r].positions();
                    for (qsizetype g = 0; g < own.size() && g < at.size(); ++g) {
                        if (own[g] == glyphs[0] && at[g] == positions[0]) {
                            out[r][g] += character;
                            given = true;
                            break;
                        }
                    }
                }
                if (given)
                    break;
            }
        }
        return out;
    }

    // The glyphs of another file of the same face for the characters each
    // glyph stands for; false unless every glyph stands for one character
    // that file has.
    static bool StandInGlyphs(const QRawFont &standIn, const QList<QString> &texts,
                              QList<quint32> *glyphs) {
        for (qsizetype i = 0; i < glyphs->size(); ++i) {
            const QString text = texts.value(i);
            const QList<quint32> own = standIn.glyphIndexesForString(text);
            if (text.toUcs4().size() != 1 || own.size() != 1 || own[0] == 0)
                return false;
            (*glyphs)[i] = own[0];
        }
        return true;
    }

    // Characters that are not drawn: they stand for no glyph.
    static bool DefaultIgnorable(uint c) {
        return c == 0x00AD || c == 0x034F || c == 0x061C || c == 0x115F || c == 0x1160 ||
               c == 0x17B4 || c == 0x17B5 || (c >= 0x180B && c <= 0x180F) ||
               (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
               (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) ||
               c == 0xFEFF || c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFF8) ||
               (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) ||
               (c >= 0xE0000 && c <= 0xE0FFF);
    }

    // Glyphs as text of an embedded font: one text object per line of
    // glyphs, each placed where the layout puts it.
    void showText(FontSlot &slot, const QRawFont &font, const QList<QString> &texts,
                  const QList<quint32> &glyphs, const QList<QPointF> &positions, QPointF baseline,
                  bool invisible) {
        const qsizetype count = std::min(glyphs.size(), positions.size());
        const double size = font.pixelSize();
        if (count == 0 || !(size > 0))
            return;
        // Nothing of it on the page: nothing written.
        const double ascent = font.ascent(), descent = font.descent();
        QRectF extent;
        for (qsizetype i = 0; i < count; ++i) {
            const QPointF at = baseline + positions[i];
            extent |= QRectF(at.x() - size, at.y() - ascent - size / 4, 2.5 * size,
                             ascent + descent + size / 2);
        }
        if (!transform_.mapRect(extent).intersects(QRectF(QPointF(0, 0), pageSize_)))
            return;

        useClip();
        if (!invisible)
            useColours(true, false, transform_);
        std::set<quint32> &shownGlyphs = pageGlyphs_[slot.object];
        // The render mode belongs to the graphics state: set back after.
        content_.append(invisible ? "BT\n3 Tr\n/T" : "BT\n/T");
        content_.append(QByteArray::number(slot.object));
        content_.append(' ');
        AppendNumber(content_, size);
        content_.append("Tf\n");
        qsizetype i = 0;
        while (i < count) {
            // A line of glyphs on one baseline.
            const QPointF start = baseline + positions[i];
            AppendMatrix(content_, QTransform(1, 0, 0, -1, start.x(), start.y()) * transform_,
                         "Tm");
            content_.append("[<");
            qsizetype j = i;
            for (; j < count; ++j) {
                if (j > i) {
                    if (positions[j].y() != positions[i].y())
                        break;
                    // Where the font's own width would put the glyph against
                    // where the layout puts it, in thousandths of the size.
                    const double expected = slot.font->width(glyphs[j - 1]) * size / 1000.0;
                    const double actual = positions[j].x() - positions[j - 1].x();
                    const double shift = (expected - actual) * 1000.0 / size;
                    if (std::fabs(shift) > 1e-4) {
                        content_.append("> ");
                        AppendNumber(content_, shift);
                        content_.append('<');
                    }
                }
                slot.font->use(glyphs[j], texts.value(j));
                shownGlyphs.insert(glyphs[j]);
                content_.append(QByteArray::number(glyphs[j], 16).rightJustified(4, '0'));
            }
            content_.append(">] TJ\n");
            i = j;
        }
        content_.append(invisible ? "0 Tr\nET\n" : "ET\n");
    }

    void writeFonts() {
        for (auto it = fonts_.begin(); it != fonts_.end(); ++it) {
            if (it.value()->font)
                WritePdfFont(file_, it.value()->object, *it.value()->font,
                             it.value()->font->subsetFile());
        }
    }

    // A letter's outline at the raw font's size, kept for the document.
    const Figure &glyphOutline(const QRawFont &font, quint32 glyph) {
        const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                                .arg(font.familyName(), font.styleName())
                                .arg(font.pixelSize(), 0, 'g', 17)
                                .arg(int(font.hintingPreference()))
                                .arg(glyph);
        auto known = outlines_.find(key);
        if (known == outlines_.end())
            known = outlines_.insert(key, MakeFigure(font.pathForGlyph(glyph)));
        return known.value();
    }

    int reserve() { return file_.reserve(); }
    void writeObject(int object, const QByteArray &body) { file_.writeObject(object, body); }
    // A stream the pages may need again: kept in the store.
    void writeStream(int object, const QByteArray &dictionary, const QByteArray &data,
                     int mask = 0) {
        store_.addStream(object, dictionary, file_.writeStream(object, dictionary, data), mask);
    }

    void startPage() {
        // The page in whole points, as any PDF has it; a stretched page its
        // stretched size rounded so.
        const QSizeF mm = layout.fullRect(QPageLayout::Millimeter).size();
        const QRect points = stretch == QSizeF(1, 1)
                                 ? layout.fullRectPoints()
                                 : QRect(0, 0, qRound(mm.width() * stretch.width() * 72 / 25.4),
                                         qRound(mm.height() * stretch.height() * 72 / 25.4));
        pageHeight_ = points.height();
        pageWidth_ = points.width();
        pageSize_ = layout.fullRectPixels(resolution_).size();
        content_.clear();
        content_.append("q\n");
        const double scale = 72.0 / resolution_;
        AppendMatrix(content_, QTransform(scale * stretch.width(), 0, 0, -scale * stretch.height(),
                                          0, pageHeight_));
        content_.append("q\n");
        resetGraphicsState();
        clipDirty_ = clipEnabled_ && !clips_.isEmpty();
    }

    void finishPage() {
        content_.append("Q\nQ\n");
        PdfPageStore::Page record;
        record.width = pageWidth_;
        record.height = pageHeight_;
        record.contents = reserve();
        writeStream(record.contents, QByteArray(), content_);
        content_.clear();
        // What the page names, and only that: a converter that takes in every
        // form, picture and font of the file for each page slows down with the
        // length of the run.
        record.forms.swap(pageForms_);
        record.images.swap(pageImages_);
        record.glyphs.swap(pageGlyphs_);
        const int page = reserve();
        QByteArray body("<< /Type /Page /Parent ");
        body += QByteArray::number(pagesRoot_) + " 0 R /MediaBox [0 0 " +
                QByteArray::number(pageWidth_) + ' ' + QByteArray::number(pageHeight_) +
                "] /Resources " + PdfPageStore::Resources(record, [](int n) { return n; }) +
                " /Contents " + QByteArray::number(record.contents) + " 0 R >>";
        writeObject(page, body);
        pages_.push_back(page);
        store_.addPage(std::move(record));
    }

    // The objects that can be written only at the end; the number of the
    // document information.
    int writeTail() {
        writeFonts();

        QByteArray kids;
        for (int page : pages_)
            kids += QByteArray::number(page) + " 0 R ";
        writeObject(pagesRoot_, "<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " +
                                    QByteArray::number(qsizetype(pages_.size())) + " >>");
        writeObject(catalog_,
                    "<< /Type /Catalog /Pages " + QByteArray::number(pagesRoot_) + " 0 R >>");
        const int info = reserve();
        QByteArray infoBody("<<");
        if (!title.isEmpty())
            infoBody += " /Title " + TextString(title);
        if (!creator.isEmpty())
            infoBody += " /Creator " + TextString(creator);
        infoBody +=
            " /CreationDate (D:" +
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
            "Z) >>";
        writeObject(info, infoBody);
        store_.setInfo(infoBody);
        return info;
    }

    void resetGraphicsState() {
        fill_ = qRgb(0, 0, 0);
        stroke_ = qRgb(0, 0, 0);
        width_ = 1;
        cap_ = 0;
        join_ = 0;
    }

    void updateClip(const QPainterPath &path, Qt::ClipOperation op) {
        switch (op) {
            case Qt::NoClip:
                clips_.clear();
                clipEnabled_ = false;
                break;
            case Qt::ReplaceClip:
                clips_ = {transform_.map(path)};
                clipEnabled_ = true;
                break;
            case Qt::IntersectClip:
                clips_.append(transform_.map(path));
                clipEnabled_ = true;
                break;
        }
        clipDirty_ = true;
    }

    // The clip lives in its own level of the graphics state, in device
    // pixels; a new clip starts that level again.
    void useClip() {
        if (!clipDirty_)
            return;
        clipDirty_ = false;
        content_.append("Q\nq\n");
        resetGraphicsState();
        if (!clipEnabled_)
            return;
        for (const QPainterPath &clip : std::as_const(clips_)) {
            if (clip.isEmpty()) {
                content_.append("0 0 0 0 re W n\n");
                continue;
            }
            content_.append(PathOperators(clip, QPointF(), nullptr));
            content_.append(clip.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n");
        }
    }

    // Pen and brush for a figure drawn with `matrix` from its points to
    // device pixels.
    void useColours(bool fill, bool stroke, const QTransform &matrix) {
        if (fill) {
            const QRgb rgb = brush_.color().rgb();
            if (rgb != fill_) {
                fill_ = rgb;
                AppendColour(content_, rgb, "rg");
            }
        }
        if (!stroke)
            return;
        const QRgb rgb = pen_.color().rgb();
        if (rgb != stroke_) {
            stroke_ = rgb;
            AppendColour(content_, rgb, "RG");
        }
        double width = pen_.widthF();
        if (pen_.isCosmetic()) {
            // A cosmetic pen is as wide in pixels whatever the scale; the
            // thinnest (width 0, the cut marks) one pixel of 600 dpi, not the
            // device's own pixel, which on a fine printer cannot be seen.
            if (width <= 0)
                width = linePixel();
            const double scale = std::sqrt(std::fabs(matrix.determinant()));
            width = scale > 0 ? width / scale : width;
        }
        if (width != width_) {
            width_ = width;
            AppendNumber(content_, width);
            content_.append("w\n");
        }
        const int cap = pen_.capStyle() == Qt::RoundCap    ? 1
                        : pen_.capStyle() == Qt::SquareCap ? 2
                                                           : 0;
        if (cap != cap_) {
            cap_ = cap;
            content_.append(QByteArray::number(cap) + " J\n");
        }
        const int join = pen_.joinStyle() == Qt::RoundJoin   ? 1
                         : pen_.joinStyle() == Qt::BevelJoin ? 2
                                                             : 0;
        if (join != join_) {
            join_ = join;
            content_.append(QByteArray::number(join) + " j\n");
        }
    }

    void paint(const QPainterPath &path, bool fillable) {
        const bool fill = fillable && brush_.style() != Qt::NoBrush;
        const bool stroke = pen_.style() != Qt::NoPen;
        if ((!fill && !stroke) || path.isEmpty())
            return;
        paint(MakeFigure(path, fillable), fill, stroke, QPointF());
    }

    // The figure moved by `offset` in the painter's coordinates.
    void paint(const Figure &figure, bool fill, bool stroke, QPointF offset) {
        if (figure.ops.isEmpty())
            return;
        QByteArray ops = figure.ops;
        ops.append(fill && stroke ? (figure.oddEven ? "B*\n" : "B\n")
                   : fill         ? (figure.oddEven ? "f*\n" : "f\n")
                                  : "S\n");
        const QPointF at = figure.origin + offset;
        const QTransform matrix = QTransform::fromTranslate(at.x(), at.y()) * transform_;
        // What lies wholly beside the page would only add bytes: a ribbon
        // drawn in pieces is mostly beside each page.
        const double penMargin =
            stroke ? 2 + std::fabs(pen_.widthF()) * std::sqrt(std::fabs(matrix.determinant())) : 2;
        if (!matrix.mapRect(figure.bounds)
                 .adjusted(-penMargin, -penMargin, penMargin, penMargin)
                 .intersects(QRectF(QPointF(0, 0), pageSize_)))
            return;
        useClip();
        useColours(fill, stroke, matrix);
        content_.append("q\n");
        AppendMatrix(content_, matrix);

        // Lines alone (marks) are few and are written where they are drawn.
        if (!fill) {
            content_.append(ops);
            content_.append("Q\n");
            return;
        }
        // A figure seen before is written once as a form and then only named.
        auto known = shapes_.find(ops);
        if (known != shapes_.end() && known.value() == 0) {
            known.value() = writeForm(ops, figure.bounds);
            seenBytes_ -= ops.size();
        }
        if (known != shapes_.end()) {
            pageForms_.insert(known.value());
            content_.append("/F" + QByteArray::number(known.value()) + " Do\nQ\n");
            return;
        }
        content_.append(ops);
        content_.append("Q\n");
        // What was drawn once is remembered, within a bound: text that never
        // comes again (order numbers) must not fill the memory.
        if (seenBytes_ + ops.size() > SeenLimit) {
            for (auto it = shapes_.begin(); it != shapes_.end();)
                it = it.value() == 0 ? shapes_.erase(it) : std::next(it);
            seenBytes_ = 0;
        }
        shapes_.insert(ops, 0);
        seenBytes_ += ops.size();
    }

    int writeForm(const QByteArray &ops, const QRectF &bounds) {
        const int object = reserve();
        // The box only has to hold the figure and its outline, whatever width
        // the pen has when it is drawn.
        const double margin =
            std::max(1.0, std::max(bounds.width(), bounds.height())) + 2 * std::max(1.0, width_);
        QByteArray dictionary(" /Type /XObject /Subtype /Form /Resources << >> /BBox [");
        AppendNumber(dictionary, std::floor(bounds.left() - margin));
        AppendNumber(dictionary, std::floor(bounds.top() - margin));
        AppendNumber(dictionary, std::ceil(bounds.right() + margin));
        AppendNumber(dictionary, std::ceil(bounds.bottom() + margin));
        dictionary.append(']');
        writeStream(object, dictionary, ops);
        return object;
    }

    int writeImage(const QImage &source) {
        const QImage image = source.convertToFormat(
            source.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        const int w = image.width(), h = image.height();
        bool grey = true, transparent = false;
        for (int y = 0; y < h && (grey || !transparent); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb p = row[x];
                if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
                    grey = false;
                if (qAlpha(p) != 255)
                    transparent = true;
            }
        }
        QByteArray pixels, alpha;
        pixels.reserve(qsizetype(w) * h * (grey ? 1 : 3));
        if (transparent)
            alpha.reserve(qsizetype(w) * h);
        for (int y = 0; y < h; ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                // Transparent pixels carry white, so a viewer without masks
                // shows no ink there.
                const QRgb p = qAlpha(row[x]) == 0 ? qRgb(255, 255, 255) : row[x];
                if (grey) {
                    pixels.append(char(qRed(p)));
                } else {
                    pixels.append(char(qRed(p)));
                    pixels.append(char(qGreen(p)));
                    pixels.append(char(qBlue(p)));
                }
                if (transparent)
                    alpha.append(char(qAlpha(row[x])));
            }
        }
        const QByteArray size =
            " /Width " + QByteArray::number(w) + " /Height " + QByteArray::number(h);
        int mask = 0;
        if (transparent) {
            mask = reserve();
            writeStream(mask,
                        " /Type /XObject /Subtype /Image" + size +
                            " /ColorSpace /DeviceGray /BitsPerComponent 8",
                        alpha);
        }
        const int object = reserve();
        // The store writes the mask's reference again for the number it has there.
        const QByteArray dictionary = " /Type /XObject /Subtype /Image" + size + " /ColorSpace " +
                                      (grey ? "/DeviceGray" : "/DeviceRGB") +
                                      " /BitsPerComponent 8";
        const PdfFile::Span data = file_.writeStream(
            object,
            dictionary + (mask ? " /SMask " + QByteArray::number(mask) + " 0 R" : QByteArray()),
            pixels);
        store_.addStream(object, dictionary, data, mask);
        return object;
    }

    static constexpr qsizetype SeenLimit = 4 * 1024 * 1024;
    QHash<QString, std::shared_ptr<FontSlot>> fonts_;

    PdfFile file_;
    int resolution_;
    bool finished_ = false;
    int catalog_ = 0, pagesRoot_ = 0;
    std::vector<int> pages_;
    // What the current page names.
    std::set<int> pageForms_, pageImages_;
    std::map<int, std::set<quint32>> pageGlyphs_;  // font object -> glyphs shown
    PdfPageStore store_;
    QHash<QString, int> images_;
    QHash<QString, Figure> outlines_;
    // Figures by their operators: 0 when drawn once, else the form object.
    QHash<QByteArray, int> shapes_;
    qsizetype seenBytes_ = 0;

    int pageWidth_ = 0, pageHeight_ = 0;
    QSizeF pageSize_;  // in device pixels
    QByteArray content_;
    QTransform transform_;
    QPen pen_;
    QBrush brush_;
    bool clipEnabled_ = false;
    bool clipDirty_ = false;
    QList<QPainterPath> clips_;
    QRgb fill_ = 0, stroke_ = 0;
    double width_ = 1;
    int cap_ = 0, join_ = 0;
};

PdfDocument::PdfDocument(const QString &fileName, int resolution)
    : engine_(std::make_unique<PdfEngine>(fileName, resolution)) {}

PdfDocument::~PdfDocument() = default;

void PdfDocument::setTitle(const QString &title) {
    engine_->title = title;
}

void PdfDocument::setCreator(const QString &creator) {
    engine_->creator = creator;
}

void PdfDocument::setPageLayout(const QPageLayout &layout) {
    engine_->nextLayout = layout;
    if (!engine_->isActive())
        engine_->layout = layout;
}

void PdfDocument::setPageStretch(double horizontal, double vertical) {
    engine_->nextStretch = QSizeF(horizontal, vertical);
    if (!engine_->isActive())
        engine_->stretch = engine_->nextStretch;
}

bool PdfDocument::newPage() {
    return engine_->newPage();
}

QString PdfDocument::errorString() const {
    return engine_->errorString();
}

int PdfDocument::pageCount() const {
    return engine_->finished() ? engine_->store().pageCount() : 0;
}

QString PdfDocument::writePages(const QString &path, int first, int last) const {
    if (!engine_->finished())
        return QStringLiteral("Interner Fehler: Das Dokument ist nicht fertig geschrieben.");
    return engine_->store().writePages(engine_->fileName(), path, first, last);
}

QPaintEngine *PdfDocument::paintEngine() const {
    return engine_.get();
}

int PdfDocument::metric(PaintDeviceMetric metric) const {
    const QPageLayout &layout = engine_->layout;
    const int resolution = engine_->resolution();
    switch (metric) {
        case PdmWidth:
            return layout.fullRectPixels(resolution).width();
        case PdmHeight:
            return layout.fullRectPixels(resolution).height();
        case PdmWidthMM:
            return qRound(layout.fullRect(QPageLayout::Millimeter).width());
        case PdmHeightMM:
            return qRound(layout.fullRect(QPageLayout::Millimeter).height());
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return resolution;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
    }
}
