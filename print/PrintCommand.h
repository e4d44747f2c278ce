#pragma once

class RibbonPrinter;
struct PrintRun;

// The part of the print command that runs once the range is chosen: document
// name "Vellumo" and landscape, a fresh width rule, and the print method that
// [Drucker] "Methode" names (0: pieces when "Rand" is not 0, else page strips;
// 1 page strips; 2 pieces; 3 fitted pieces; 4 single sheets; anything else
// prints nothing). Errors never leave it.
void RunPrintMethod(RibbonPrinter &printer, PrintRun &run);
