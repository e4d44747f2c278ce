// ReadQueueCapabilities: the questions to CUPS; what the answers mean is
// QueueCapabilities.cpp's concern.
#include <QFile>
#include <memory>

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

#include "print/QueueCapabilities.h"

namespace {

// Larger PPDs exist only as mistakes; reading stops there.
constexpr qint64 kMaxPpdBytes = 32 * 1024 * 1024;
// How long the scheduler may take to take the call.
constexpr int kConnectTimeoutMs = 5000;

// CUPS marks its PPD functions deprecated, yet a queue set up with a PPD says
// what its driver can do only there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// The text of the queue's PPD; empty when it has none.
QByteArray queuePpd(const QByteArray &name) {
    const char *file = cupsGetPPD2(CUPS_HTTP_DEFAULT, name.constData());
    if (!file)
        return QByteArray();
    const QByteArray path(file);
    QByteArray text;
    QFile ppd(QString::fromLocal8Bit(path));
    if (ppd.open(QIODevice::ReadOnly))
        text = ppd.read(kMaxPpdBytes);
    ::unlink(path.constData());  // a copy CUPS made for us
    return text;
}

#pragma GCC diagnostic pop

QList<int> integers(ipp_attribute_t *attr) {
    QList<int> values;
    for (int i = 0; attr && i < ippGetCount(attr); ++i)
        values << ippGetInteger(attr, i);
    return values;
}

// An x- or y-dimension: a number, or a range for free sizes.
bool dimension(ipp_t *size, const char *name, int *lower, int *upper) {
    ipp_attribute_t *attr = ippFindAttribute(size, name, IPP_TAG_ZERO);
    if (!attr || ippGetCount(attr) < 1)
        return false;
    if (ippGetValueTag(attr) == IPP_TAG_RANGE) {
        *lower = ippGetRange(attr, 0, upper);
        return true;
    }
    if (ippGetValueTag(attr) == IPP_TAG_INTEGER) {
        *lower = *upper = ippGetInteger(attr, 0);
        return true;
    }
    return false;
}

IppQueueAttributes ippAttributes(http_t *http, cups_dest_t *dest, cups_dinfo_t *info) {
    IppQueueAttributes attrs;
    if (ipp_attribute_t *sizes = cupsFindDestSupported(http, dest, info, "media-size")) {
        for (int i = 0; i < ippGetCount(sizes); ++i) {
            ipp_t *size = ippGetCollection(sizes, i);
            IppMediaSize entry;
            if (size && dimension(size, "x-dimension", &entry.minX, &entry.maxX) &&
                dimension(size, "y-dimension", &entry.minY, &entry.maxY))
                attrs.mediaSizes << entry;
        }
    }
    attrs.leftMargins = integers(cupsFindDestSupported(http, dest, info, "media-left-margin"));
    attrs.bottomMargins = integers(cupsFindDestSupported(http, dest, info, "media-bottom-margin"));
    attrs.rightMargins = integers(cupsFindDestSupported(http, dest, info, "media-right-margin"));
    attrs.topMargins = integers(cupsFindDestSupported(http, dest, info, "media-top-margin"));
    attrs.finishings = integers(cupsFindDestSupported(http, dest, info, "finishings"));
    return attrs;
}

}  // namespace

QueueCapabilities ReadQueueCapabilities(const QString &queue) {
    const qsizetype slash = queue.indexOf(QLatin1Char('/'));
    const QByteArray name = (slash < 0 ? queue : queue.left(slash)).toLocal8Bit();
    const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toLocal8Bit();
    if (name.isEmpty())
        return QueueCapabilities();

    if (const QByteArray ppd = queuePpd(name); !ppd.isEmpty())
        return QueueCapabilitiesFromPpd(ppd);

    // Without a PPD the scheduler answers over IPP (for a driverless queue
    // with what the printer told it).
    const std::unique_ptr<cups_dest_t, void (*)(cups_dest_t *)> dest(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                         slash < 0 ? nullptr : instance.constData()),
        [](cups_dest_t *d) { cupsFreeDests(1, d); });
    if (!dest)
        return QueueCapabilities();
    // The scheduler answers for its queues; a connection of our own has a
    // timeout. (Connected under the scheduler's own name, CUPS asks it rather
    // than the device behind the queue.)
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                kConnectTimeoutMs, nullptr);
    if (!http)
        return QueueCapabilities();
    QueueCapabilities caps;
    if (cups_dinfo_t *info = cupsCopyDestInfo(http, dest.get())) {
        caps = QueueCapabilitiesFromIpp(ippAttributes(http, dest.get(), info));
        cupsFreeDestInfo(info);
    }
    httpClose(http);
    return caps;
}
