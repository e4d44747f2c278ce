#pragma once

class QCoreApplication;
class QTranslator;

// Qt's own dialogs and buttons (file dialog, printer set-up, message box
// buttons) speak German like the rest of the window: Qt's German
// translations are installed on the application (which owns them) when the
// system has them. Returns the translator, or null when there is none.
QTranslator *InstallGermanQtTexts(QCoreApplication &app);
