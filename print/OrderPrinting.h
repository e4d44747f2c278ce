#pragma once

#include <QString>
#include <vector>

#include "print/PrintRunner.h"

class RibbonSession;
class TJob;

// Where the print service and "vellumo-cli import" put printed ribbons: a
// CUPS queue, or one PDF file per order file (and width) in a folder.
struct OrderTarget {
    QString queue;
    QString pdfFolder;
    int methode = -1;       // -1: as [Drucker] says
    bool yesToAll = false;  // "--ja": print even where the window would ask
};

// The ribbons of one order file printed through the print runner with
// nobody to ask, on the session's settings: the questions that protect
// paper are answered no (unless the target says yes to all), several widths
// print one after the other, each its own print; into a folder each width
// goes to a new PDF file named after the order file ("bestellung.pdf",
// "bestellung-75mm.pdf", numbered where the name is taken). `unknownWords`
// lists a ribbon's unknown words (none: no spelling check).
PrintResult PrintOrderRibbons(const std::vector<const TJob *> &ribbons, const QString &fileName,
                              const OrderTarget &target, const RibbonSession &session,
                              const std::function<QStringList(const TJob &)> &unknownWords);
