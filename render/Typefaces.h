#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Which face a typeface name stands for. Fontconfig always answers with some
// face; the preview's text, the printed outlines and the messages about a
// missing face all take this one answer, so that screen and paper never show
// different faces.
struct ResolvedFace {
    QString family;          // the family drawn (fontconfig's spelling)
    bool installed = false;  // the name is a family fontconfig has, not a substitute
    // The face's file and its index inside it; empty when fontconfig found
    // nothing at all.
    QByteArray file;
    int index = 0;
};

// Resolved once per name and kept for the run.
const ResolvedFace &ResolveFace(const QString &face);

// The message for a ribbon whose face is missing, empty when it is installed.
QString MissingFaceMessage(const QString &face);

// The typefaces a user can choose: one entry per family that fontconfig has
// with a scalable face and that the preview draws as that family (so it
// prints as shown), without "Symbol" and "Wingdings" and without faces that
// lack the basic Latin letters (symbol-encoded faces). Sorted case-blind.
QStringList PrintableFamilies();
