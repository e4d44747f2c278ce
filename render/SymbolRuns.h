#pragma once

#include <QList>
#include <QString>

// A stretch of a line drawn from one face: the ribbon's own, or the symbol
// face for symbols the ribbon's face lacks.
struct FaceRun {
    qsizetype from = 0;  // UTF-16 units
    qsizetype length = 0;
    bool symbolFace = false;
};

// The line cut where it changes between the ribbon's face and the symbol
// face, in text order; empty when the ribbon's face draws the whole line, as
// it does for nearly every line. A mark stays in the run of the letter it
// sits on.
QList<FaceRun> SymbolFaceRuns(const QString &face, const QString &text);
