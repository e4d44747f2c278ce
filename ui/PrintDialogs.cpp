#include "ui/PrintDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <mutex>
#include <thread>

#include "print/PrintCommand.h"
#include "print/PrintRun.h"
#include "print/QtPrinter.h"

namespace {

constexpr int NamedRibbons = 20;

QDialogButtonBox *okCancel(QDialog *dialog) {
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

QString RibbonNumbers(const QList<int> &numbers) {
    QStringList named;
    for (qsizetype i = 0; i < numbers.size() && i < NamedRibbons; ++i)
        named << QString::number(numbers.at(i));
    QString text = named.join(QStringLiteral(", "));
    if (numbers.size() > NamedRibbons)
        text += QStringLiteral(", \u2026");
    return text;
}

namespace {

QString AtRibbons(const QList<int> &numbers) {
    return numbers.size() == 1 ? QStringLiteral("Bei 1 Schleife")
                               : QStringLiteral("Bei %1 Schleifen").arg(numbers.size());
}

}  // namespace

QString UnfittingRibbonsQuestion(const QList<int> &numbers, const QList<int> &lackingLetters) {
    QStringList sentences;
    if (!numbers.isEmpty())
        sentences << QStringLiteral("%1 passt der Text nicht: %2.")
                         .arg(AtRibbons(numbers), RibbonNumbers(numbers));
    if (!lackingLetters.isEmpty())
        sentences << QStringLiteral("%1 hat die Schrift nicht alle Buchstaben des Textes: %2.")
                         .arg(AtRibbons(lackingLetters), RibbonNumbers(lackingLetters));
    sentences << QStringLiteral("Trotzdem drucken?");
    return sentences.join(QLatin1Char(' '));
}

QString LeftOutByWidthNotice(const QList<int> &numbers) {
    return WidthMismatchMessage() +
           (numbers.size() == 1 ? QStringLiteral("\n\nNicht gedruckt wird Schleife %1.")
                                : QStringLiteral("\n\nNicht gedruckt werden die Schleifen %1."))
               .arg(RibbonNumbers(numbers));
}

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

PrinterSetupDialog::PrinterSetupDialog(RibbonPrinter &printer, QWidget *parent)
    : QDialog(parent), printer_(printer) {
    setWindowTitle(QStringLiteral("Druckereinrichtung"));
    printers_ = new QComboBox(this);
    printers_->addItems(printer.printers());
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
    connect(printers_, &QComboBox::currentIndexChanged, this,
            &PrinterSetupDialog::showCapabilities);

    auto *form = new QFormLayout;
    auto *label = new QLabel(QStringLiteral("&Drucker:"), this);
    label->setBuddy(printers_);
    form->addRow(label, printers_);
    form->addRow(QString(), capabilities_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
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
}

void PrinterSetupDialog::startReading() {
    // One read at a time: switching through a list of slow printers must not
    // pile up threads. The next one starts when this one is in.
    if (reading_ || wanted_.isEmpty() || read_.contains(wanted_))
        return;
    reading_ = std::make_shared<Reading>();
    reading_->queue = wanted_;
    std::thread([reading = reading_] {
        QueueCapabilities result = ReadQueueCapabilities(reading->queue);
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

void PrinterSetupDialog::accept() {
    try {
        if (printers_->currentIndex() != printer_.printerIndex())
            printer_.selectPrinter(printers_->currentIndex());
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
    QDialog::accept();
}
