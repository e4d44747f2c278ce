#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class CupsClient;

// What a print queue's driver says it can do with paper: the free page sizes
// it takes, its hardware margins and whether and when it cuts. Read from the
// queue's PPD, or over IPP for a queue without one. Values the driver gives
// that make no sense are left out, each with a German note.

// When a cutter cuts. The program sends one document of one copy per job, so
// the drivers' "after each document/copy/set" all come out after the job.
enum class CutWhen { Never, AfterPage, AfterJob };

struct CutChoice {
    QString choice;  // the driver's keyword, as it goes into the job's options
    QString text;    // the driver's own words for it, may be empty
    CutWhen when = CutWhen::Never;
};

// A driver option that decides about cutting: its name and those choices
// whose meaning is clear.
struct CutOption {
    QString name;
    QString defaultChoice;
    QList<CutChoice> choices;
};

// Free page sizes, in millimetres (0.1 mm).
struct CustomSizeRange {
    double minWidth = 0;
    double maxWidth = 0;
    double minLength = 0;
    double maxLength = 0;
};

// Hardware margins in millimetres (0.1 mm).
struct HardwareMargins {
    double left = 0;
    double bottom = 0;
    double right = 0;
    double top = 0;
};

struct QueueCapabilities {
    bool known = false;  // the queue's driver answered
    bool takesCustomSizes = false;
    std::optional<CustomSizeRange> customRange;  // set whenever takesCustomSizes is
    std::optional<HardwareMargins> margins;
    QList<CutOption> cutOptions;
    QStringList notes;  // what the driver said that was left out, and why
};

// The values of one queue's IPP attributes that matter here, lengths in
// hundredths of a millimetre as IPP gives them.
struct IppMediaSize {
    int minX = 0, maxX = 0;  // equal for a fixed size
    int minY = 0, maxY = 0;
};
struct IppQueueAttributes {
    QList<IppMediaSize> mediaSizes;                                   // "media-size-supported"
    QList<int> leftMargins, bottomMargins, rightMargins, topMargins;  // "media-*-margin-supported"
    QList<int> finishings;                                            // "finishings-supported"
};

// From a PPD file, read through libcups. Unknown, with the reason as its
// note, when libcups cannot read it.
QueueCapabilities QueueCapabilitiesFromPpdFile(const QString &path);
// From a queue's IPP attributes.
QueueCapabilities QueueCapabilitiesFromIpp(const IppQueueAttributes &attributes);

// Asks CUPS about a queue ("queue" or "queue/instance"), through the
// program's CupsClient. May block while CUPS or the printer is slow to
// answer: call it off the GUI thread. Unknown when CUPS does not know the
// queue; unknown with the reason as its note when CUPS does not answer.
QueueCapabilities ReadQueueCapabilities(const QString &queue);
// The same through `client`, calling `waiting` while it waits (see
// CupsClient::Waiting).
QueueCapabilities ReadQueueCapabilities(const QString &queue, CupsClient &client,
                                        const std::function<bool()> &waiting);

// One German line for the printer set-up: "Seite bis 1270 mm, Rand 0 mm,
// schneidet nach jedem Blatt"; empty for an unknown queue.
QString QueueCapabilitiesSummary(const QueueCapabilities &capabilities);
