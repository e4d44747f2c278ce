// Draws the ink pictures that a new data folder starts with and the program's
// icon. The files are kept in the repository; run this again after changing a
// drawing:
//   cmake --build <build> --target vellumo_pictures
//   QT_QPA_PLATFORM=offscreen <build>/packaging/vellumo_pictures packaging
// Pictures are black ink on white, 1-bit Windows bitmaps (the ribbon prints
// the black parts in the ribbon's colour); the icon is a PNG per size.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Drawing = std::function<void(QPainter &)>;

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

// The program's icon: a wreath ribbon, looped, with swallow-tail ends.
bool SaveIcon(const QString &path, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        const QColor face(250, 246, 226);
        const QColor edge(120, 96, 40);
        const QColor gold(200, 160, 60);
        p.setPen(QPen(edge, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // Two tails hanging from the loop.
        for (int side : {-1, 1}) {
            QPainterPath tail;
            tail.moveTo(32 + side * 2, 28);
            tail.lineTo(32 + side * 20, 58);
            tail.lineTo(32 + side * 16, 56);
            tail.lineTo(32 + side * 13, 62);
            tail.lineTo(32 - side * 4, 32);
            tail.closeSubpath();
            p.setBrush(face);
            p.drawPath(tail);
            p.setPen(QPen(gold, 1.2));
            p.drawLine(QPointF(32 + side * 1, 31), QPointF(32 + side * 16, 57));
            p.setPen(QPen(edge, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        // The loop.
        QPainterPath loop;
        loop.addEllipse(QPointF(32, 18), 18, 14);
        loop.addEllipse(QPointF(32, 18), 10, 7);
        loop.setFillRule(Qt::OddEvenFill);
        p.setBrush(face);
        p.drawPath(loop);
        p.setPen(QPen(gold, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(32, 18), 14, 10.5);
        // The knot.
        p.setPen(QPen(edge, 1.6));
        p.setBrush(gold);
        p.drawRoundedRect(QRectF(27, 25, 10, 8), 2, 2);
    }
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <packaging folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString pictures = root + QStringLiteral("/pictures");
    const QString icons = root + QStringLiteral("/icons");
    QDir().mkpath(pictures);
    QDir().mkpath(icons);

    bool ok = true;
    ok &= SavePicture(pictures + QStringLiteral("/Kreuz.bmp"), QSize(200, 270), Cross);
    ok &= SavePicture(pictures + QStringLiteral("/Herz.bmp"), QSize(240, 216), Heart);
    ok &= SavePicture(pictures + QStringLiteral("/Rose.bmp"), QSize(200, 270), Rose);
    ok &= SavePicture(pictures + QStringLiteral("/Taube.bmp"), QSize(300, 186), Dove);
    ok &= SavePicture(pictures + QStringLiteral("/Haende.bmp"), QSize(200, 250), Hands);
    for (int size : {16, 32, 48, 64, 128, 256})
        ok &= SaveIcon(icons + QStringLiteral("/vellumo-%1.png").arg(size), size);
    return ok ? 0 : 1;
}
