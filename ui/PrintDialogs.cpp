#include "ui/PrintDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <mutex>
#include <thread>

#include "model/FileError.h"
#include "model/QueueSettings.h"
#include "print/CalibrationStrip.h"
#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/QtPrinter.h"
#include "print/QueueSetup.h"

namespace {

QDialogButtonBox *okCancel(QDialog *dialog) {
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

PrintRangeDialog::PrintRangeDialog(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Drucken"));
    auto *group = new QGroupBox(QStringLiteral("Druckbereich"), this);
    all_ = new QRadioButton(QStringLiteral("&Alle Schleifen"), group);
    selection_ = new QRadioButton(QStringLiteral("Aus&gewählte Schleife"), group);
    pages_ = new QRadioButton(QStringLiteral("&Schleifen"), group);
    from_ = new QSpinBox(group);
    to_ = new QSpinBox(group);
    auto *fromLabel = new QLabel(QStringLiteral("&von:"), group);
    fromLabel->setBuddy(from_);
    auto *toLabel = new QLabel(QStringLiteral("&bis:"), group);
    toLabel->setBuddy(to_);

    auto *pagesRow = new QHBoxLayout;
    pagesRow->addWidget(pages_);
    pagesRow->addWidget(fromLabel);
    pagesRow->addWidget(from_);
    pagesRow->addWidget(toLabel);
    pagesRow->addWidget(to_);
    pagesRow->addStretch();
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(all_);
    groupLayout->addWidget(selection_);
    groupLayout->addLayout(pagesRow);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(okCancel(this));

    all_->setChecked(true);
    // Typing a number chooses the range of numbers.
    auto choosePages = [this] { pages_->setChecked(true); };
    connect(from_, &QSpinBox::valueChanged, this, choosePages);
    connect(to_, &QSpinBox::valueChanged, this, choosePages);
}

void PrintRangeDialog::setRange(int minimum, int maximum, int from, int to) {
    const QSignalBlocker blockFrom(from_), blockTo(to_);
    from_->setRange(minimum, maximum);
    to_->setRange(minimum, maximum);
    from_->setValue(from);
    to_->setValue(to);
    all_->setChecked(true);
}

PrintRange PrintRangeDialog::range() const {
    PrintRange r;
    r.kind = all_->isChecked()         ? PrintRange::All
             : selection_->isChecked() ? PrintRange::Selection
                                       : PrintRange::Pages;
    r.from = from_->value();
    r.to = to_->value();
    return r;
}

namespace {

// "Längenfaktor 1,0040": four places, as the file keeps it.
QString FactorText(double factor) {
    return QStringLiteral("L\u00e4ngenfaktor %1")
        .arg(QString::number(factor, 'f', 4).replace(QLatin1Char('.'), QLatin1Char(',')));
}

}  // namespace

PrinterSetupDialog::PrinterSetupDialog(RibbonPrinter &printer, SettingsFile *settings,
                                       QWidget *parent)
    : PrinterSetupDialog(
          printer, settings, [](const QString &queue) { return ReadQueueCapabilities(queue); },
          parent) {}

PrinterSetupDialog::PrinterSetupDialog(RibbonPrinter &printer, SettingsFile *settings,
                                       CapabilitiesReader reader, QWidget *parent)
    : QDialog(parent), printer_(printer), settings_(settings), reader_(std::move(reader)) {
    setWindowTitle(QStringLiteral("Druckereinrichtung"));
    printers_ = new QComboBox(this);
    printers_->addItems(printer.printers());
    // Where CUPS did not answer, the list says so in place of its queues.
    if (const auto *queues = dynamic_cast<const QtPrinter *>(&printer);
        queues && !queues->queueFailure().isEmpty()) {
        printers_->addItem(queues->queueFailure());
        if (auto *model = qobject_cast<QStandardItemModel *>(printers_->model()))
            model->item(printers_->count() - 1)->setEnabled(false);
    }
    printers_->setCurrentIndex(printer.printerIndex());
    auto *orientation = new QGroupBox(QStringLiteral("Ausrichtung"), this);
    portrait_ = new QRadioButton(QStringLiteral("&Hochformat"), orientation);
    landscape_ = new QRadioButton(QStringLiteral("&Querformat"), orientation);
    auto *orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);
    DeviceSettings s;
    const bool landscape = printer.deviceSettings(&s) && s.orientation == DeviceSettings::Landscape;
    (landscape ? landscape_ : portrait_)->setChecked(true);

    capabilities_ = new QLabel(this);
    capabilities_->setWordWrap(true);
    capabilities_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    poll_ = new QTimer(this);
    poll_->setInterval(50);
    connect(poll_, &QTimer::timeout, this, &PrinterSetupDialog::collectReading);

    // In the order of CutMode.
    cut_ = new QComboBox(this);
    cut_->addItems({QStringLiteral("nicht"), QStringLiteral("nach jedem Blatt"),
                    QStringLiteral("nach jeder Schleife"), QStringLiteral("am Ende des Drucks")});
    connect(cut_, &QComboBox::currentIndexChanged, this,
            [this](int index) { valuesOf(printers_->currentText()).cut = CutMode(index); });

    auto *length = new QGroupBox(QStringLiteral("L\u00e4nge"), this);
    calibrate_ = new QPushButton(QStringLiteral("&Kalibrierstreifen drucken"), length);
    connect(calibrate_, &QPushButton::clicked, this, &PrinterSetupDialog::printCalibrationStrip);
    measured_ = new QLineEdit(length);
    measured_->setPlaceholderText(QStringLiteral("z. B. 498,5"));
    auto *measuredLabel = new QLabel(QStringLiteral("Gemessene &L\u00e4nge (mm):"), length);
    measuredLabel->setBuddy(measured_);
    factor_ = new QLabel(length);
    auto *measuredRow = new QHBoxLayout;
    measuredRow->addWidget(measuredLabel);
    measuredRow->addWidget(measured_);
    measuredRow->addWidget(factor_);
    auto *calibrateRow = new QHBoxLayout;
    calibrateRow->addWidget(calibrate_);
    calibrateRow->addStretch();
    auto *lengthLayout = new QVBoxLayout(length);
    lengthLayout->addLayout(calibrateRow);
    lengthLayout->addLayout(measuredRow);

    connect(printers_, &QComboBox::currentIndexChanged, this,
            &PrinterSetupDialog::showCapabilities);

    auto *form = new QFormLayout;
    auto *label = new QLabel(QStringLiteral("&Drucker:"), this);
    label->setBuddy(printers_);
    form->addRow(label, printers_);
    form->addRow(QString(), capabilities_);
    auto *cutLabel = new QLabel(QStringLiteral("&Schneiden:"), this);
    cutLabel->setBuddy(cut_);
    form->addRow(cutLabel, cut_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
    layout->addWidget(length);
    layout->addWidget(okCancel(this));
    showCapabilities();
}

// A read in its own thread. The thread keeps the object alive as long as it
// runs; a dialog closed meanwhile just lets go of it, never waits.
struct PrinterSetupDialog::Reading {
    QString queue;
    std::mutex mutex;
    bool done = false;
    QueueCapabilities result;
};

PrinterSetupDialog::~PrinterSetupDialog() = default;

void PrinterSetupDialog::showCapabilities() {
    const QString queue = printers_->currentText();
    showQueueValues();
    display(QueueCapabilities());
    // The PDF printer is no queue: it has nothing to tell.
    if (queue.isEmpty() || queue == QtPrinter::PdfPrinterName) {
        wanted_.clear();
        return;
    }
    wanted_ = queue;
    if (read_.contains(queue))
        display(read_.value(queue));
    else
        startReading();
}

void PrinterSetupDialog::display(const QueueCapabilities &capabilities) {
    capabilities_->setText(QueueCapabilitiesSummary(capabilities));
    capabilities_->setToolTip(capabilities.notes.join(QLatin1Char('\n')));
    // Until the driver has answered nothing can be offered; the stored
    // choice stays shown and is kept.
    cut_->setEnabled(!capabilities.cutOptions.isEmpty());
    if (auto *model = qobject_cast<QStandardItemModel *>(cut_->model())) {
        for (int i = 0; i < model->rowCount(); ++i)
            model->item(i)->setEnabled(QueueCanCut(capabilities, CutMode(i)));
    }
}

QueueSettings &PrinterSetupDialog::valuesOf(const QString &queue) {
    auto it = values_.find(queue);
    if (it == values_.end())
        it = values_.insert(queue, ReadQueueSettings(settings_, queue));
    return *it;
}

void PrinterSetupDialog::showQueueValues() {
    const QString queue = printers_->currentText();
    const QueueSettings &values = valuesOf(queue);
    const QSignalBlocker keep(cut_);
    cut_->setCurrentIndex(int(values.cut));
    factor_->setText(FactorText(values.lengthFactor));
    // A length measured belongs to the strip of the queue it was typed for.
    measured_->clear();
    const bool any = !queue.isEmpty();
    calibrate_->setEnabled(any);
    measured_->setEnabled(any);
}

void PrinterSetupDialog::startReading() {
    // One read at a time: switching through a list of slow printers must not
    // pile up threads. The next one starts when this one is in.
    if (reading_ || wanted_.isEmpty() || read_.contains(wanted_))
        return;
    reading_ = std::make_shared<Reading>();
    reading_->queue = wanted_;
    std::thread([reading = reading_, reader = reader_] {
        QueueCapabilities result = reader(reading->queue);
        const std::lock_guard lock(reading->mutex);
        reading->result = std::move(result);
        reading->done = true;
    }).detach();
    poll_->start();
}

void PrinterSetupDialog::collectReading() {
    if (!reading_) {
        poll_->stop();
        return;
    }
    {
        const std::lock_guard lock(reading_->mutex);
        if (!reading_->done)
            return;
        read_.insert(reading_->queue, reading_->result);
    }
    const QString queue = reading_->queue;
    reading_.reset();
    poll_->stop();
    if (queue == wanted_)
        display(read_.value(queue));
    else
        startReading();
}

void PrinterSetupDialog::warn(const QString &message) {
    QMessageBox::warning(this, windowTitle(), message);
}

bool PrinterSetupDialog::selectChosenPrinter() {
    try {
        if (printers_->currentIndex() != printer_.printerIndex())
            printer_.selectPrinter(printers_->currentIndex());
        return true;
    } catch (const PrinterError &e) {
        warn(e.message());
        return false;
    }
}

void PrinterSetupDialog::printCalibrationStrip() {
    const QString queue = printers_->currentText();
    if (queue.isEmpty() || !selectChosenPrinter())
        return;
    // The printer now prints for this queue: it gets the queue's stored
    // values, and for the strip itself the factor 1, as the strip measures
    // the printer and not the last factor.
    const QueueSettings stored = ReadQueueSettings(settings_, queue);
    ApplyQueueSettings(printer_, stored, read_.value(queue));
    DeviceSettings s;
    const int widthMm = printer_.deviceSettings(&s) ? int(std::lround(s.paperWidth / 10.0)) : 0;
    printer_.setLengthFactor(1.0);
    try {
        PrintCalibrationStrip(printer_, queue, widthMm);
    } catch (const PrinterError &e) {
        warn(e.message());
    }
    printer_.setLengthFactor(stored.lengthFactor);
    measured_->setFocus();
}

void PrinterSetupDialog::accept() {
    const QString queue = printers_->currentText();
    QueueSettings values = valuesOf(queue);
    if (!measured_->text().trimmed().isEmpty()) {
        QString error;
        std::optional<double> factor;
        if (const std::optional<double> mm = ParseMeasuredLength(measured_->text(), &error))
            factor = CalibrationFactor(*mm, &error);
        if (!factor) {
            warn(error);
            measured_->setFocus();
            measured_->selectAll();
            return;
        }
        // The printer gets what the file keeps.
        values.lengthFactor = std::round(*factor * 10000.0) / 10000.0;
        valuesOf(queue) = values;
        factor_->setText(FactorText(values.lengthFactor));
    }
    bool selected = false;
    try {
        if (printers_->currentIndex() != printer_.printerIndex())
            printer_.selectPrinter(printers_->currentIndex());
        selected = true;
        DeviceSettings s;
        if (printer_.deviceSettings(&s)) {
            s.fields |= DeviceSettings::FieldOrientation;
            s.orientation =
                landscape_->isChecked() ? DeviceSettings::Landscape : DeviceSettings::Portrait;
            printer_.setDeviceSettings(s);
        }
    } catch (const PrinterError &) {
        // The list came from the printer itself; a queue that vanished meanwhile
        // leaves the old choice in place.
    }
    // Unchanged values are not written: accepting must not add a section for
    // every queue ever chosen.
    if (!queue.isEmpty() && settings_ && values != ReadQueueSettings(settings_, queue)) {
        try {
            WriteQueueSettings(*settings_, queue, values);
        } catch (const FileWriteError &e) {
            warn(e.message() +
                 QStringLiteral("\n\nSchneiden und L\u00e4ngenfaktor gelten nur bis zum Ende "
                                "des Programms."));
        }
    }
    // The old choice kept its own values.
    if (selected && !queue.isEmpty())
        ApplyQueueSettings(printer_, values, read_.value(queue));
    QDialog::accept();
}
