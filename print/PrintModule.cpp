// The printing layer; the printer interface and the print methods live here.
#include <QtPrintSupport/qtprintsupportglobal.h>
