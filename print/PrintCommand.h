#pragma once

#include <QString>
#include <cstdint>

class RibbonPrinter;
struct RenderContext;
class TJob;
struct PrintRange;
struct PrintRun;
struct PrintSettings;

// The steps of the print command that need no window, shared by the window's
// print button and the command-line printing.

// Narrows a run over the whole list to the chosen range. Page numbers count
// ribbons from 1; the selection is the list's selected index (-1 for none,
// which names no ribbon, so nothing is printed).
void ApplyPrintRange(PrintRun &run, const PrintRange &range, std::int32_t selected);

// The information shown after a run that left out ribbons of another width.
QString WidthMismatchMessage();

// Why the printer cannot print the run at all: its ribbons are wider than
// the printer's widest page (PrintSettings::limits). Empty when it can, or
// when nothing of the run would print.
QString WidthRefusal(const PrintRun &run, const PrintSettings &settings,
                     const QString &printerName);

// Why the printer cannot print the run on its own paper: the methods that
// print on it (0 to 2) would crop a ribbon wider than the paper's short side
// (a label queue's 101.6 mm label under a 170 mm ribbon). Names the ribbon's
// width and the paper's, and Methode 3 where the queue takes pages of the
// ribbon's width. Empty when it can, or when the method sizes its own pages.
QString PaperRefusal(const PrintRun &run, const PrintSettings &settings,
                     const RibbonPrinter &printer);

// Whether the settings' method asks the printer for pages of free size
// (pieces, single sheets, a feed page).
bool AsksForFreeSizes(const PrintSettings &settings);

// The part of the print command that runs once the range is chosen: document
// name "Vellumo" and landscape, a fresh width rule, and the print method that
// the settings' "Methode" names (0: pieces when "Rand" is not 0, else page
// strips; 1 page strips; 2 pieces; 3 fitted pieces; 4 single sheets; anything
// else prints nothing). A run the printer cannot take (WidthRefusal) prints
// nothing and fails with that reason. Errors never leave it: the answer says why the run
// failed, in the user's words, and is empty when it did not fail. The context
// gives the drawing's settings for the run.
QString RunPrintMethod(RibbonPrinter &printer, PrintRun &run, const PrintSettings &settings,
                       const RenderContext &context);
