#pragma once

#include <QDialog>
#include <QHash>
#include <functional>
#include <memory>

#include "print/PrintQuestions.h"
#include "print/Printer.h"
#include "print/QueueCapabilities.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SettingsFile;
class QSpinBox;
class QTimer;

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

// "Druckereinrichtung": the printer and its orientation. Under the printer a
// line says what the selected queue's driver can do (free sizes, margins,
// cutting), read in the background: a printer that does not answer never holds
// up the dialog. Per queue, kept in the settings file: when to cut (only what
// the driver can do is offered) and the length factor, found by printing the
// calibration strip and typing the length measured on it.
class PrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Asks a queue's driver what it can do; called off the GUI thread.
    using CapabilitiesReader = std::function<QueueCapabilities(const QString &queue)>;

    // `settings` may be null: the choices then last until the program ends.
    PrinterSetupDialog(RibbonPrinter &printer, SettingsFile *settings, QWidget *parent = nullptr);
    PrinterSetupDialog(RibbonPrinter &printer, SettingsFile *settings, CapabilitiesReader reader,
                       QWidget *parent = nullptr);
    ~PrinterSetupDialog() override;

    // Refuses (and stays open) while the measured length is not one to take.
    void accept() override;

    QComboBox *printerBox() const { return printers_; }
    QComboBox *cutBox() const { return cut_; }
    QPushButton *calibrateButton() const { return calibrate_; }
    QLineEdit *measuredEdit() const { return measured_; }
    QLabel *factorLabel() const { return factor_; }

private:
    struct Reading;

    void showCapabilities();
    void display(const QueueCapabilities &capabilities);
    void startReading();
    void collectReading();
    QueueSettings &valuesOf(const QString &queue);
    void showQueueValues();
    void printCalibrationStrip();
    bool selectChosenPrinter();
    void warn(const QString &message);

    RibbonPrinter &printer_;
    SettingsFile *settings_;
    CapabilitiesReader reader_;
    QComboBox *printers_;
    QLabel *capabilities_;
    QComboBox *cut_;
    QPushButton *calibrate_;
    QLineEdit *measured_;
    QLabel *factor_;
    QRadioButton *portrait_;
    QRadioButton *landscape_;
    QString wanted_;  // the queue whose capabilities the line is to show
    QHash<QString, QueueCapabilities> read_;
    // Each queue's values as the dialog shows them: from the file, then as chosen.
    QHash<QString, QueueSettings> values_;
    std::shared_ptr<Reading> reading_;  // the one read under way, shared with its thread
    QTimer *poll_;
};
