#include "ui/Main.h"

void TMainForm::BtnPrintClick() {}

void TMainForm::cmPrinterSetupClick() {}

void TMainForm::SelectStartupPrinter() {}

void TMainForm::StorePrinterName() {}
