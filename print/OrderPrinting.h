#pragma once

#include <QString>
#include <vector>

#include "print/OrderService.h"

class RibbonSession;
class TJob;

// Where the print service and "vellumo-cli import" put printed ribbons: a
// CUPS queue, or one PDF file per order file (and width) in a folder.
struct OrderTarget {
    QString queue;
    QString pdfFolder;
    int methode = -1;  // -1: as [Drucker] says
};

// "<label>.pdf" in the folder, or "<label> (2).pdf", ...: created empty at
// once, so that two services writing into one folder never share a file.
// Empty with the reason when no file can be made.
QString NewPdfFile(const QString &folder, const QString &label, QString *error);

// One group of ribbons of one width printed as the print command prints them,
// on the session's settings. A failed run is never reported as printed; a PDF
// that failed is removed again (it was made for this run).
OrderPrintOutcome PrintOrderGroup(const std::vector<const TJob *> &ribbons, const QString &label,
                                  const OrderTarget &target, const RibbonSession &session);
