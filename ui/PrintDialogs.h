#pragma once

#include <QDialog>

#include "print/Printer.h"

// The ribbons of a run named by their numbers in the list, counted from 1:
// "2, 5, 7"; a long list ends after the first twenty with "…".
QString RibbonNumbers(const QList<int> &numbers);

// Asked before printing ribbons whose texts do not fit:
// "Bei 3 Schleifen passt der Text nicht: 2, 5, 7. Trotzdem drucken?"; the
// ribbons whose face lacks letters of their texts get a sentence of their own
// before the question: "Bei 1 Schleife hat die Schrift nicht alle Buchstaben
// des Textes: 4."
QString UnfittingRibbonsQuestion(const QList<int> &numbers, const QList<int> &lackingLetters = {});

// The information about the ribbons the width rule will leave out (see
// PrintRequest::leftOutByWidth): its message and their numbers.
QString LeftOutByWidthNotice(const QList<int> &numbers);

class QComboBox;
class QRadioButton;
class QSpinBox;

// Which ribbons to print: all, the selected one, or ribbons "von" .. "bis"
// (ribbon numbers, counted from 1). Printing to a file is not offered.
class PrintRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintRangeDialog(QWidget *parent = nullptr);

    // From and to are limited to minimum..maximum.
    void setRange(int minimum, int maximum, int from, int to);
    PrintRange range() const;

    QRadioButton *allButton() const { return all_; }
    QRadioButton *selectionButton() const { return selection_; }
    QRadioButton *pagesButton() const { return pages_; }
    QSpinBox *fromBox() const { return from_; }
    QSpinBox *toBox() const { return to_; }

private:
    QRadioButton *all_;
    QRadioButton *selection_;
    QRadioButton *pages_;
    QSpinBox *from_;
    QSpinBox *to_;
};

// "Druckereinrichtung": the printer and its orientation.
class PrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    PrinterSetupDialog(RibbonPrinter &printer, QWidget *parent = nullptr);

    void accept() override;

private:
    RibbonPrinter &printer_;
    QComboBox *printers_;
    QRadioButton *portrait_;
    QRadioButton *landscape_;
};
