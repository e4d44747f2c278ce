#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include "render/RecordingCanvas.h"

// The trace of a drawing: one line per operation a recording surface saw, in
// logical units, the operation's name first and then key=value pairs, e.g.
//   font height=480 escapement=0 face="Liberation Sans"
//   textout x=240 y=120 align=center,top text="Ruhe sanft"
//   textout x=240 y=120 align=center,top text="✝ Ruhe" symbolface="DejaVu Sans" symbols="✝"
//     (the symbols the text's face lacks, drawn from the symbol face)
//   line x1=0 y1=40 x2=0 y2=120
//   polygons count=2 points=38 bbox=10,20,180,230
//   bitmap l=0 t=0 r=320 b=320 rop=and
// Texts are quoted, with backslash escapes for '"', '\' and control characters.
QStringList TraceLines(const QVector<CanvasOp> &ops);

// A text in double quotes with backslash escapes.
QString TraceQuoted(const QString &text);
