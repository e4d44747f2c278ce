#include <gtest/gtest.h>

#include "app/cli/Trace.h"

namespace {

CanvasOp Op(CanvasOp::Kind kind) {
    CanvasOp op;
    op.kind = kind;
    return op;
}

TEST(TraceFormatTest, TextsAreQuotedWithBackslashEscapes) {
    const struct {
        QString text;
        QString quoted;
    } cases[] = {
        {QStringLiteral("Ruhe sanft"), QStringLiteral("\"Ruhe sanft\"")},
        {QString(), QStringLiteral("\"\"")},
        {QStringLiteral("Sag \"Adieu\""), QStringLiteral("\"Sag \\\"Adieu\\\"\"")},
        {QStringLiteral("a\\b"), QStringLiteral("\"a\\\\b\"")},
        {QStringLiteral("a\nb\tc\r"), QStringLiteral("\"a\\nb\\tc\\r\"")},
        {QStringLiteral("\x01\u0081"), QStringLiteral("\"\\x01\\x81\"")},
        {QStringLiteral("Gru\u00df \u20ac"), QStringLiteral("\"Gru\u00df \u20ac\"")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TraceQuoted(c.text), c.quoted) << c.text.toStdString();
}

TEST(TraceFormatTest, EachOperationGivesItsLine) {
    QVector<CanvasOp> ops;
    CanvasOp font = Op(CanvasOp::Kind::CreateFont);
    font.fontId = 3;
    font.font.height = 480;
    font.font.escapement = 900;
    font.font.face = QStringLiteral("Liberation Sans");
    ops << font;

    CanvasOp select = Op(CanvasOp::Kind::SelectFont);
    select.fontId = 3;
    select.font = font.font;
    ops << select << Op(CanvasOp::Kind::SelectFont);

    CanvasOp text = Op(CanvasOp::Kind::TextOut);
    text.at = QPoint(240, 120);
    text.align = TextAlign::Center | TextAlign::Top;
    text.text = QStringLiteral("Ruhe sanft");
    ops << text;
    text.align = TextAlign::Right | TextAlign::Baseline;
    ops << text;
    text.align = TextAlign::Left | TextAlign::Bottom;
    ops << text;
    // Symbols the face lacks are named with the face they are drawn from.
    text.font.face = QStringLiteral("Oldania ADF Std");
    text.text = QStringLiteral("\u271D Ruhe \u271D\u2626");
    ops << text;
    text.font.face = QStringLiteral("DejaVu Sans");
    ops << text;

    CanvasOp line = Op(CanvasOp::Kind::Line);
    line.from = QPoint(0, 40);
    line.to = QPoint(0, 120);
    ops << line;

    CanvasOp polygons = Op(CanvasOp::Kind::PolyPolygon);
    polygons.points = {QPoint(10, 20), QPoint(-5, 30), QPoint(7, -8), QPoint(1, 1), QPoint(2, 2)};
    polygons.counts = {3, 2};
    ops << polygons;

    CanvasOp bitmap = Op(CanvasOp::Kind::StretchBitmap);
    bitmap.rect = QRect(10, 20, 300, 200);
    bitmap.op = RasterOp::And;
    ops << bitmap;
    bitmap.op = RasterOp::Or;
    ops << bitmap;

    CanvasOp fill = Op(CanvasOp::Kind::FillRect);
    fill.rect = QRect(0, 0, 8, 4);
    fill.colour = 0x00FF0000;
    ops << fill;

    CanvasOp clip = Op(CanvasOp::Kind::SetClipRect);
    ops << clip;
    clip.rect = QRect(1, 2, 3, 4);
    ops << clip;

    CanvasOp erase = Op(CanvasOp::Kind::DeleteFont);
    erase.fontId = 3;
    ops << erase;
    erase.fontId = 99;  // never made while recording
    ops << erase << Op(CanvasOp::Kind::SaveState) << Op(CanvasOp::Kind::RestoreState);

    const QStringList expected{
        QStringLiteral("font height=480 escapement=900 face=\"Liberation Sans\""),
        QStringLiteral("selectfont height=480 escapement=900 face=\"Liberation Sans\""),
        QStringLiteral("selectfont stock"),
        QStringLiteral("textout x=240 y=120 align=center,top text=\"Ruhe sanft\""),
        QStringLiteral("textout x=240 y=120 align=right,baseline text=\"Ruhe sanft\""),
        QStringLiteral("textout x=240 y=120 align=left,bottom text=\"Ruhe sanft\""),
        QStringLiteral("textout x=240 y=120 align=left,bottom text=\"\u271D Ruhe \u271D\u2626\" "
                       "symbolface=\"DejaVu Sans\" symbols=\"\u271D\u2626\""),
        QStringLiteral("textout x=240 y=120 align=left,bottom text=\"\u271D Ruhe \u271D\u2626\""),
        QStringLiteral("line x1=0 y1=40 x2=0 y2=120"),
        QStringLiteral("polygons count=2 points=5 bbox=-5,-8,10,30"),
        QStringLiteral("bitmap l=10 t=20 r=310 b=220 rop=and"),
        QStringLiteral("bitmap l=10 t=20 r=310 b=220 rop=or"),
        QStringLiteral("fillrect l=0 t=0 r=8 b=4 colour=$00FF0000"),
        QStringLiteral("clip none"),
        QStringLiteral("clip l=1 t=2 r=4 b=6"),
        QStringLiteral("deletefont height=480 escapement=900 face=\"Liberation Sans\""),
        QStringLiteral("deletefont id=99"),
        QStringLiteral("save"),
        QStringLiteral("restore"),
    };
    EXPECT_EQ(TraceLines(ops), expected);
}

}  // namespace
