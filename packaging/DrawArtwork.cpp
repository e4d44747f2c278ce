// Draws every picture the program ships, so that there is one drawing of
// each and one program icon: the tool bar's icons and the editor's legend
// pictures (ui/resources), the ink pictures a new data folder starts with
// (packaging/pictures) and the program's icon, a green wreath with a ribbon
// bow, for the window (ui/resources/icons) and the desktop
// (packaging/icons). The files are kept in the repository; run this again
// after changing a drawing:
//   cmake --build <build> --target vellumo_artwork
//   QT_QPA_PLATFORM=offscreen <build>/packaging/vellumo_artwork .
// Ink pictures are black ink on white, 1-bit Windows bitmaps (the ribbon
// prints the black parts in the ribbon's colour); everything else is PNG.

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Drawing = std::function<void(QPainter &)>;

const QColor Ink(64, 64, 64);
const QColor Line(110, 110, 110);
const QColor Paper(255, 255, 255);
const QColor RibbonFace(250, 246, 226);
const QColor RibbonEdge(150, 128, 70);
const QColor Gold(214, 176, 82);
const QColor Leaf(74, 128, 70);

bool Save(const QString &folder, const QString &name, QSize size, int scale, const Drawing &draw,
          bool opaque) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Paper : Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        draw(painter);
    }
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    const QString path = folder + QLatin1Char('/') + name + suffix + QStringLiteral(".png");
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QFont SmallFont(double pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(1);
    font.setPointSizeF(pixels * 0.75);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// ---- icons (20 x 20) ---------------------------------------------------

// A wreath ribbon seen from above: a band with swallow-tail ends.
QPainterPath RibbonBand(QRectF band) {
    const double notch = band.height() * 0.45;
    QPainterPath path;
    path.moveTo(band.left(), band.top());
    path.lineTo(band.right(), band.top());
    path.lineTo(band.right() - notch, band.center().y());
    path.lineTo(band.right(), band.bottom());
    path.lineTo(band.left(), band.bottom());
    path.lineTo(band.left() + notch, band.center().y());
    path.closeSubpath();
    return path;
}

void DrawBand(QPainter &p, QRectF band) {
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0, RibbonFace);
    shade.setColorAt(1, QColor(236, 222, 178));
    p.setPen(QPen(RibbonEdge, 1));
    p.setBrush(shade);
    p.drawPath(RibbonBand(band));
}

void TextBar(QPainter &p, QRectF bar) {
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawRoundedRect(bar, 0.5, 0.5);
}

void IconNew(QPainter &p) {
    DrawBand(p, QRectF(1.5, 5.5, 17, 9));
    p.setPen(QPen(QColor(255, 255, 255), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 11), QPointF(15, 19));
    p.drawLine(QPointF(11, 15), QPointF(19, 15));
    p.setPen(QPen(QColor(40, 140, 60), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 11.5), QPointF(15, 18.5));
    p.drawLine(QPointF(11.5, 15), QPointF(18.5, 15));
}

void IconDelete(QPainter &p) {
    DrawBand(p, QRectF(1.5, 5.5, 17, 9));
    p.setPen(QPen(QColor(255, 255, 255), 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 12), QPointF(18, 18));
    p.drawLine(QPointF(18, 12), QPointF(12, 18));
    p.setPen(QPen(QColor(200, 40, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    p.drawLine(QPointF(17.5, 12.5), QPointF(12.5, 17.5));
}

void IconPrint(QPainter &p) {
    // Paper going in, the printer body, a ribbon coming out.
    p.setPen(QPen(Line, 1));
    p.setBrush(Paper);
    p.drawRect(QRectF(5.5, 1.5, 9, 6));
    QLinearGradient body(QPointF(0, 7), QPointF(0, 15));
    body.setColorAt(0, QColor(200, 204, 210));
    body.setColorAt(1, QColor(140, 146, 156));
    p.setPen(QPen(QColor(80, 84, 92), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(1.5, 6.5, 17, 8), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 200, 90));
    p.drawEllipse(QPointF(15.5, 9), 1, 1);
    DrawBand(p, QRectF(4.5, 13.5, 11, 5.5));
    TextBar(p, QRectF(7, 15.6, 6, 1.2));
}

void StyleIcon(QPainter &p, int style) {
    DrawBand(p, QRectF(0.5, 5.5, 19, 9));
    switch (style) {
        case 0:  // text at both ends, flush with the ribbon's edges
            TextBar(p, QRectF(4.5, 8, 4, 1.3));
            TextBar(p, QRectF(4.5, 10.7, 3, 1.3));
            TextBar(p, QRectF(11.5, 8, 4, 1.3));
            TextBar(p, QRectF(12.5, 10.7, 3, 1.3));
            break;
        case 1:  // one text in the middle
            TextBar(p, QRectF(6.5, 8, 7, 1.3));
            TextBar(p, QRectF(7.5, 10.7, 5, 1.3));
            break;
        default:  // across the ribbon at both ends
            TextBar(p, QRectF(4.5, 7.2, 1.3, 5.6));
            TextBar(p, QRectF(6.8, 8.2, 1.3, 3.6));
            TextBar(p, QRectF(14.2, 7.2, 1.3, 5.6));
            TextBar(p, QRectF(11.9, 8.2, 1.3, 3.6));
            break;
    }
}

void IconColor(QPainter &p) {
    const QColor colours[] = {QColor(200, 40, 40), QColor(40, 140, 60), QColor(40, 80, 200),
                              QColor(230, 190, 40)};
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(246, 238, 220));
    p.drawEllipse(QRectF(1.5, 2.5, 17, 15));
    p.setPen(Qt::NoPen);
    const QPointF spots[] = {{6, 7}, {10.5, 5.5}, {14.5, 8}, {6.5, 12}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        p.drawEllipse(spots[i], 2, 2);
    }
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPointF(12.5, 13), 2.2, 2.2);
}

void IconKeep(QPainter &p) {
    DrawBand(p, QRectF(0.5, 8.5, 19, 8));
    // A pin holding the layout.
    p.setPen(QPen(QColor(70, 70, 70), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 8), QPointF(10, 14));
    p.setPen(QPen(QColor(140, 20, 20), 1));
    p.setBrush(QColor(210, 50, 50));
    p.drawEllipse(QPointF(10, 5), 3.5, 3.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QPointF(8.8, 3.9), 1, 1);
}

// The program's icon: a green wreath with a ribbon bow and two tails.
void IconVellumo(QPainter &p) {
    p.scale(64 / 20.0, 64 / 20.0);
    p.setPen(QPen(QColor(40, 80, 40), 0.5));
    for (int i = 0; i < 14; ++i) {
        p.save();
        p.translate(10, 9);
        p.rotate(i * 360.0 / 14);
        p.setBrush(i % 2 ? Leaf : QColor(96, 150, 84));
        p.drawEllipse(QRectF(-1.6, -7.8, 3.2, 4.2));
        p.restore();
    }
    QPainterPath tails;
    tails.moveTo(9, 13);
    tails.lineTo(5.5, 19.5);
    tails.lineTo(7, 18.5);
    tails.lineTo(8, 19.8);
    tails.lineTo(10, 14);
    tails.lineTo(12, 19.8);
    tails.lineTo(13, 18.5);
    tails.lineTo(14.5, 19.5);
    tails.lineTo(11, 13);
    tails.closeSubpath();
    p.setPen(QPen(QColor(140, 100, 30), 0.4));
    p.setBrush(Gold);
    p.drawPath(tails);
    p.drawEllipse(QPointF(7.8, 13.2), 2.2, 1.4);
    p.drawEllipse(QPointF(12.2, 13.2), 2.2, 1.4);
    p.setBrush(QColor(190, 150, 60));
    p.drawEllipse(QPointF(10, 13.2), 1.1, 1.1);
}

// ---- legend pictures ---------------------------------------------------

// Dimension lines and labels in the manner of a technical drawing.
struct Legend {
    QPainter &p;

    void Arrowhead(QPointF tip, QPointF from) const {
        const QLineF axis(tip, from);
        QLineF side = axis;
        side.setLength(3.2);
        QLineF a = side, b = side;
        a.setAngle(axis.angle() + 24);
        b.setAngle(axis.angle() - 24);
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(a.p2());
        head.lineTo(b.p2());
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(Line);
        p.drawPath(head);
    }
    void Dimension(QPointF a, QPointF b) const {
        p.setPen(QPen(Line, 0.8));
        p.drawLine(a, b);
        Arrowhead(a, b);
        Arrowhead(b, a);
    }
    void Extension(QPointF a, QPointF b) const {
        p.setPen(QPen(QColor(160, 160, 160), 0.7, Qt::DotLine));
        p.drawLine(a, b);
    }
    // Text centred on a point.
    void Label(const QString &text, QPointF centre, double size = 7.5, bool bold = false) const {
        const QFont font = SmallFont(size, bold);
        const QFontMetricsF metrics(font);
        p.setFont(font);
        p.setPen(Ink);
        const double width = metrics.horizontalAdvance(text);
        p.drawText(QPointF(centre.x() - width / 2,
                           centre.y() + (metrics.ascent() - metrics.descent()) / 2),
                   text);
    }
    void VerticalLabel(const QString &text, QPointF centre, double size = 7.5) const {
        p.save();
        p.translate(centre);
        p.rotate(-90);
        Label(text, QPointF(0, 0), size);
        p.restore();
    }
};

// A small ink picture as the ribbons carry them: a cross with a palm leaf.
void Emblem(QPainter &p, QRectF box) {
    p.setPen(QPen(QColor(150, 150, 150), 0.6));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(box);
    const QPointF c = box.center();
    const double h = box.height() * 0.36;
    p.setPen(QPen(QColor(70, 70, 70), std::max(1.0, box.width() / 9), Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(c.x(), c.y() - h), QPointF(c.x(), c.y() + h));
    p.drawLine(QPointF(c.x() - h * 0.55, c.y() - h * 0.35),
               QPointF(c.x() + h * 0.55, c.y() - h * 0.35));
}

// Lines of "text" where the ribbon's letters go.
void TextBlock(QPainter &p, QRectF box, const QString &word) {
    Legend{p}.Label(word, box.center(), box.height() * 0.62, true);
}

void RibbonWithBreak(QPainter &p, QRectF band, double breakX, bool leftPart, bool rightPart) {
    // The band with its swallow-tail ends and a zig-zag break in the middle.
    const double notch = band.height() * 0.35;
    const double gap = 5;
    auto zigzag = [&](QPainterPath &path, double x, bool down) {
        const int steps = 4;
        for (int i = 1; i <= steps; ++i) {
            const double y = down ? band.top() + band.height() * i / steps
                                  : band.bottom() - band.height() * i / steps;
            path.lineTo(x + ((i % 2) ? 2 : -2), y);
        }
    };
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(236, 236, 236));
    if (leftPart) {
        QPainterPath left;
        left.moveTo(band.left(), band.top());
        left.lineTo(breakX - gap / 2, band.top());
        zigzag(left, breakX - gap / 2, true);
        left.lineTo(band.left(), band.bottom());
        left.lineTo(band.left() + notch, band.center().y());
        left.closeSubpath();
        p.drawPath(left);
    }
    if (rightPart) {
        QPainterPath right;
        right.moveTo(band.right(), band.top());
        right.lineTo(band.right() - notch, band.center().y());
        right.lineTo(band.right(), band.bottom());
        right.lineTo(breakX + gap / 2, band.bottom());
        zigzag(right, breakX + gap / 2, false);
        right.closeSubpath();
        p.drawPath(right);
    }
}

void LegendWhole(QPainter &p) {
    const Legend d{p};
    const QRectF band(6, 15, 288, 21);
    const double middle = 150;
    RibbonWithBreak(p, band, middle, true, true);
    // Left end: margin, picture, distance, text; the right end mirrors it.
    const double rand = 16, bild = 20, abstand = 12;
    const QRectF leftPicture(band.left() + rand, band.top() + 2.5, bild, band.height() - 5);
    const QRectF rightPicture(band.right() - rand - bild, band.top() + 2.5, bild,
                              band.height() - 5);
    Emblem(p, leftPicture);
    Emblem(p, rightPicture);
    const double leftText = leftPicture.right() + abstand;
    const double rightText = rightPicture.left() - abstand;
    const QRectF leftLetters(leftText, band.top() + 4, 40, band.height() - 8);
    const QRectF rightLetters(rightText - 40, band.top() + 4, 40, band.height() - 8);
    TextBlock(p, leftLetters, QStringLiteral("Text"));
    TextBlock(p, rightLetters, QStringLiteral("Text"));

    // Länge, once on each half.
    for (const auto &[from, to] :
         {std::pair{band.left(), middle - 4}, std::pair{middle + 4, band.right()}}) {
        d.Extension(QPointF(from, band.top()), QPointF(from, 5));
        d.Dimension(QPointF(from, 8), QPointF(to, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(Paper);
        const QPointF centre((from + to) / 2, 8);
        p.drawRect(QRectF(centre.x() - 15, 3, 30, 10));
        d.Label(QStringLiteral("L\u00E4nge"), centre);
    }

    // Under the left end: Rand, Bildbreite, Abstand, in two rows.
    const double y1 = band.bottom() + 4, row1 = y1 + 7.5, row2 = y1 + 16;
    for (double x : {band.left(), leftPicture.left(), leftPicture.right(), leftText})
        d.Extension(QPointF(x, band.bottom()), QPointF(x, y1 + 2));
    d.Dimension(QPointF(band.left(), y1), QPointF(leftPicture.left(), y1));
    d.Dimension(QPointF(leftPicture.left(), y1), QPointF(leftPicture.right(), y1));
    d.Dimension(QPointF(leftPicture.right(), y1), QPointF(leftText, y1));
    d.Label(QStringLiteral("Rand"), QPointF(band.left() + rand / 2 + 2, row1), 7);
    d.Label(QStringLiteral("Bildbreite"), QPointF(leftPicture.center().x() + 4, row2), 7);
    d.Label(QStringLiteral("Abstand"), QPointF(leftPicture.right() + abstand / 2 + 10, row1), 7);

    // At the right end: the picture and the letters' height.
    d.Extension(QPointF(rightPicture.center().x(), rightPicture.bottom()),
                QPointF(rightPicture.center().x(), row1 - 4));
    d.Label(QStringLiteral("Bild"), QPointF(rightPicture.center().x(), row1), 7);
    const double hx = rightLetters.left() - 3;
    d.Dimension(QPointF(hx, rightLetters.top() - 1), QPointF(hx, rightLetters.bottom() + 1));
    d.Extension(QPointF(hx, rightLetters.bottom() + 1), QPointF(hx, row1 - 4));
    d.Label(QStringLiteral("Schrifth\u00F6he"), QPointF(hx, row1), 7);

    // Breite across the band, at the break.
    d.Dimension(QPointF(middle, band.top()), QPointF(middle, band.bottom()));
    d.Label(QStringLiteral("Breite"), QPointF(middle, row1), 7);
}

void LegendRightEnd(QPainter &p) {
    const Legend d{p};
    const QRectF band(12, 15, 110, 21);
    RibbonWithBreak(p, band, band.left(), false, true);
    const double rand = 14, bild = 20, abstand = 12;
    const QRectF picture(band.right() - rand - bild, band.top() + 2.5, bild, band.height() - 5);
    Emblem(p, picture);
    const double text = picture.left() - abstand;
    TextBlock(p, QRectF(text - 40, band.top() + 4, 40, band.height() - 8), QStringLiteral("Text"));

    d.Extension(QPointF(band.right(), band.top()), QPointF(band.right(), 5));
    d.Dimension(QPointF(band.left() + 6, 8), QPointF(band.right(), 8));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRect(QRectF(band.center().x() - 15, 3, 30, 10));
    d.Label(QStringLiteral("L\u00E4nge"), QPointF(band.center().x(), 8));

    const double y1 = band.bottom() + 4, row1 = y1 + 7.5, row2 = y1 + 16;
    for (double x : {text, picture.left(), picture.right(), band.right()})
        d.Extension(QPointF(x, band.bottom()), QPointF(x, y1 + 2));
    d.Dimension(QPointF(text, y1), QPointF(picture.left(), y1));
    d.Dimension(QPointF(picture.left(), y1), QPointF(picture.right(), y1));
    d.Dimension(QPointF(picture.right(), y1), QPointF(band.right(), y1));
    d.Label(QStringLiteral("Abstand"), QPointF(text - 4, row1), 7);
    d.Label(QStringLiteral("Bildbreite"), QPointF(picture.center().x() - 6, row2), 7);
    d.Label(QStringLiteral("Rand"), QPointF(band.right() - 6, row1), 7);

    d.Dimension(QPointF(band.left() + 4, band.top()), QPointF(band.left() + 4, band.bottom()));
    d.VerticalLabel(QStringLiteral("Breite"), QPointF(band.left() - 5, band.center().y()), 7);
}

// One picture with its room along the ribbon and its distance to the text;
// the picture's end of the ribbon is on the left or on the right.
void LegendPicture(QPainter &p, bool leftEnd) {
    const Legend d{p};
    const QRectF band(0, 4, 60, 24);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(236, 236, 236));
    p.drawRect(band.adjusted(-2, 0, 2, 0));
    const double bild = 18, abstand = 12;
    const double pictureLeft = leftEnd ? 10 : 60 - 10 - bild;
    const QRectF picture(pictureLeft, band.top() + 3, bild, band.height() - 6);
    Emblem(p, picture);
    const double text = leftEnd ? picture.right() + abstand : picture.left() - abstand;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 120, 120));
    for (int i = 0; i < 3; ++i) {
        const double w = 10.0 - i * 2.5;
        const double x = leftEnd ? text + 1 : text - 1 - w;
        p.drawRect(QRectF(x, band.top() + 7 + i * 4, w, 1.8));
    }
    for (double x : {picture.left(), picture.right(), text})
        d.Extension(QPointF(x, band.bottom()), QPointF(x, 47));
    d.Dimension(QPointF(picture.left(), 33), QPointF(picture.right(), 33));
    d.Dimension(leftEnd ? QPointF(picture.right(), 46) : QPointF(text, 46),
                leftEnd ? QPointF(text, 46) : QPointF(picture.left(), 46));
    d.Label(QStringLiteral("Bildbreite"), QPointF(30, 39.5), 7);
    d.Label(QStringLiteral("Abstand"), QPointF(30, 52), 7);
}

// The program's icon at a desktop size, drawn as the window's.
bool SaveIcon(const QString &path, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        IconVellumo(p);
    }
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// ---- ink pictures for a new data folder ----------------------------------

// Every picture is drawn on a canvas of 100 units across.
constexpr double kUnits = 100;

QPen InkPen(double width) {
    QPen pen(Qt::black, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

bool SavePicture(const QString &path, QSize size, const Drawing &draw) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const double scale = size.width() / kUnits;
        painter.scale(scale, scale);
        draw(painter);
    }
    // A plain threshold keeps the edges clean; dithering would speckle them.
    const QImage mono = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    if (!mono.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A Latin cross with flared ends.
void Cross(QPainter &p) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath cross;
    cross.addRoundedRect(QRectF(42, 6, 16, 122), 2, 2);
    cross.addRoundedRect(QRectF(14, 34, 72, 16), 2, 2);
    cross.setFillRule(Qt::WindingFill);
    p.drawPath(cross.simplified());
    // A thin white line inside gives the cross an inlay.
    p.setPen(QPen(Qt::white, 2.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath inlay;
    inlay.moveTo(50, 12);
    inlay.lineTo(50, 122);
    inlay.moveTo(20, 42);
    inlay.lineTo(80, 42);
    p.drawPath(inlay);
}

// A heart, filled, with a white highlight stroke.
void Heart(QPainter &p) {
    QPainterPath heart;
    heart.moveTo(50, 86);
    heart.cubicTo(20, 64, 4, 46, 8, 28);
    heart.cubicTo(12, 10, 40, 6, 50, 26);
    heart.cubicTo(60, 6, 88, 10, 92, 28);
    heart.cubicTo(96, 46, 80, 64, 50, 86);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(heart);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shine;
    shine.moveTo(20, 30);
    shine.cubicTo(20, 22, 26, 17, 33, 17);
    p.drawPath(shine);
}

// A rose: a spiral of petals on a stem with two leaves, in lines.
void Rose(QPainter &p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(2.6));
    // Outer petals.
    QPainterPath bloom;
    bloom.moveTo(30, 34);
    bloom.cubicTo(24, 52, 36, 64, 50, 64);
    bloom.cubicTo(64, 64, 76, 52, 70, 34);
    bloom.moveTo(30, 34);
    bloom.cubicTo(34, 22, 44, 18, 50, 24);
    bloom.cubicTo(56, 18, 66, 22, 70, 34);
    // The spiral of the inner petals.
    bloom.moveTo(50, 24);
    bloom.cubicTo(40, 28, 40, 44, 52, 44);
    bloom.cubicTo(62, 44, 62, 32, 54, 31);
    bloom.cubicTo(48, 31, 47, 38, 52, 38);
    bloom.moveTo(30, 34);
    bloom.cubicTo(36, 46, 44, 52, 56, 50);
    bloom.moveTo(70, 34);
    bloom.cubicTo(70, 46, 62, 54, 50, 56);
    p.drawPath(bloom);
    // Stem.
    QPainterPath stem;
    stem.moveTo(50, 64);
    stem.cubicTo(48, 80, 52, 100, 50, 128);
    p.drawPath(stem);
    // Leaves, filled.
    p.setBrush(Qt::black);
    p.setPen(InkPen(1.5));
    QPainterPath leaf;
    leaf.moveTo(50, 90);
    leaf.cubicTo(40, 78, 26, 80, 20, 86);
    leaf.cubicTo(30, 94, 42, 96, 50, 90);
    leaf.moveTo(50, 104);
    leaf.cubicTo(60, 92, 74, 94, 80, 100);
    leaf.cubicTo(70, 108, 58, 110, 50, 104);
    p.drawPath(leaf);
    // Thorns.
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(2));
    p.drawLine(QPointF(50, 74), QPointF(45, 71));
    p.drawLine(QPointF(51, 116), QPointF(56, 112));
}

// A dove in flight with an olive twig, filled.
void Dove(QPainter &p) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath body;
    body.moveTo(12, 30);                   // beak
    body.cubicTo(16, 26, 20, 24, 24, 25);  // head
    body.cubicTo(30, 26, 34, 32, 40, 38);  // neck to back
    body.cubicTo(52, 44, 66, 44, 78, 40);  // back
    body.lineTo(96, 30);                   // tail, upper tip
    body.lineTo(90, 44);
    body.lineTo(98, 50);                   // tail, lower tip
    body.cubicTo(80, 52, 64, 58, 48, 56);  // belly
    body.cubicTo(36, 54, 26, 46, 22, 36);  // breast
    body.cubicTo(19, 33, 15, 32, 12, 30);  // throat to beak
    p.drawPath(body);
    // The near wing, raised.
    QPainterPath wing;
    wing.moveTo(40, 40);
    wing.cubicTo(44, 24, 52, 12, 70, 4);
    wing.cubicTo(68, 14, 72, 20, 66, 26);
    wing.cubicTo(70, 30, 66, 36, 58, 42);
    wing.closeSubpath();
    p.drawPath(wing);
    // Eye.
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(23, 29), 1.4, 1.4);
    // Olive twig in the beak.
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(1.6));
    QPainterPath twig;
    twig.moveTo(12, 30);
    twig.cubicTo(8, 38, 6, 46, 4, 54);
    p.drawPath(twig);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const QPointF &at : {QPointF(9, 38), QPointF(7, 45), QPointF(5, 52)}) {
        p.save();
        p.translate(at);
        p.rotate(-35);
        p.drawEllipse(QPointF(4, 0), 4, 1.6);
        p.rotate(70);
        p.drawEllipse(QPointF(-4, 0), 4, 1.6);
        p.restore();
    }
}

// Praying hands: two hands pressed palm to palm, fingers up, the outer edge
// stepping down finger by finger, thumbs side by side in front, cuffs below.
void Hands(QPainter &p) {
    p.setBrush(Qt::NoBrush);
    p.setPen(InkPen(2.4));
    for (int side : {-1, 1}) {
        p.save();
        p.translate(50, 0);
        p.scale(side, 1);
        QPainterPath hand;
        hand.moveTo(0, 8);
        hand.cubicTo(5, 8, 8, 14, 8, 22);  // middle finger
        hand.lineTo(9, 38);
        hand.cubicTo(12, 38, 14, 42, 14, 48);  // ring finger
        hand.lineTo(14, 60);
        hand.cubicTo(17, 61, 18, 65, 18, 70);  // little finger
        hand.lineTo(18, 78);
        hand.cubicTo(18, 88, 16, 94, 13, 100);  // heel of the hand to the wrist
        p.drawPath(hand);
        // Where the fingers part.
        p.drawLine(QPointF(9, 38), QPointF(5, 40));
        p.drawLine(QPointF(14, 60), QPointF(9, 62));
        // The thumb, lying along the joined palms.
        QPainterPath thumb;
        thumb.moveTo(10, 98);
        thumb.cubicTo(9, 86, 7, 76, 4, 70);
        thumb.cubicTo(2, 66, 0.5, 67, 0.5, 71);
        thumb.lineTo(0.5, 98);
        p.drawPath(thumb);
        // Cuff.
        QPainterPath cuff;
        cuff.moveTo(0, 100);
        cuff.lineTo(15, 100);
        cuff.lineTo(17, 122);
        cuff.lineTo(0, 122);
        p.drawPath(cuff);
        p.drawLine(QPointF(2, 106), QPointF(15.5, 106));
        p.restore();
    }
    // The joined palms.
    p.drawLine(QPointF(50, 8), QPointF(50, 68));
}

}  // namespace

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <source folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString icons = root + QStringLiteral("/ui/resources/icons");
    const QString legend = root + QStringLiteral("/ui/resources/legend");
    const QString pictures = root + QStringLiteral("/packaging/pictures");
    const QString desktop = root + QStringLiteral("/packaging/icons");
    for (const QString &folder : {icons, legend, pictures, desktop})
        QDir().mkpath(folder);

    const std::pair<const char *, Drawing> iconDrawings[] = {
        {"new", IconNew},
        {"print", IconPrint},
        {"delete", IconDelete},
        {"align", [](QPainter &p) { StyleIcon(p, 0); }},
        {"center", [](QPainter &p) { StyleIcon(p, 1); }},
        {"upside", [](QPainter &p) { StyleIcon(p, 2); }},
        {"color", IconColor},
        {"keep", IconKeep},
    };
    bool ok = true;
    for (const auto &[name, draw] : iconDrawings) {
        for (int scale : {1, 2})
            ok &= Save(icons, QLatin1String(name), QSize(20, 20), scale, draw, false);
    }
    ok &= Save(icons, QStringLiteral("vellumo"), QSize(64, 64), 1, IconVellumo, false);

    const struct {
        const char *name;
        QSize size;
        Drawing draw;
    } legends[] = {
        {"BMP_LEGENDE_L", QSize(300, 60), LegendWhole},
        {"BMP_LEGENDE_R", QSize(128, 60), LegendRightEnd},
        {"BMP_LEGENDE_BILD_L", QSize(60, 55), [](QPainter &p) { LegendPicture(p, true); }},
        {"BMP_LEGENDE_BILD_R", QSize(60, 55), [](QPainter &p) { LegendPicture(p, false); }},
    };
    for (const auto &entry : legends) {
        for (int scale : {1, 2})
            ok &= Save(legend, QLatin1String(entry.name), entry.size, scale, entry.draw, false);
    }
    for (int size : {16, 32, 48, 64, 128, 256})
        ok &= SaveIcon(desktop + QStringLiteral("/vellumo-%1.png").arg(size), size);

    ok &= SavePicture(pictures + QStringLiteral("/Kreuz.bmp"), QSize(200, 270), Cross);
    ok &= SavePicture(pictures + QStringLiteral("/Herz.bmp"), QSize(240, 216), Heart);
    ok &= SavePicture(pictures + QStringLiteral("/Rose.bmp"), QSize(200, 270), Rose);
    ok &= SavePicture(pictures + QStringLiteral("/Taube.bmp"), QSize(300, 186), Dove);
    ok &= SavePicture(pictures + QStringLiteral("/Haende.bmp"), QSize(200, 250), Hands);
    return ok ? 0 : 1;
}
