#include "ui/MainWindow.h"

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Vellumo"));
    resize(800, 600);
}
