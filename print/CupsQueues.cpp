#include "print/CupsQueues.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

namespace {

// CUPS's list of destinations for the time of one question.
class Destinations {
public:
    Destinations() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~Destinations() { cupsFreeDests(count_, dests_); }
    Destinations(const Destinations &) = delete;
    Destinations &operator=(const Destinations &) = delete;

    int count() const { return count_; }
    const cups_dest_t &at(int i) const { return dests_[i]; }
    // The destination of a "queue" or "queue/instance" name, or null.
    cups_dest_t *find(const QString &queue) const {
        const qsizetype slash = queue.indexOf(QLatin1Char('/'));
        const QByteArray name = (slash < 0 ? queue : queue.left(slash)).toLocal8Bit();
        const QByteArray instance = slash < 0 ? QByteArray() : queue.mid(slash + 1).toLocal8Bit();
        return cupsGetDest(name.constData(), slash < 0 ? nullptr : instance.constData(), count_,
                           dests_);
    }

private:
    int count_ = 0;
    cups_dest_t *dests_ = nullptr;
};

QString nameOf(const cups_dest_t &dest) {
    QString name = QString::fromLocal8Bit(dest.name);
    if (dest.instance)
        name += QLatin1Char('/') + QString::fromLocal8Bit(dest.instance);
    return name;
}

}  // namespace

QStringList CupsQueueNames() {
    const Destinations dests;
    QStringList names;
    for (int i = 0; i < dests.count(); ++i)
        names.append(nameOf(dests.at(i)));
    return names;
}

QString CupsDefaultQueue() {
    const Destinations dests;
    for (int i = 0; i < dests.count(); ++i) {
        if (dests.at(i).is_default)
            return nameOf(dests.at(i));
    }
    return QString();
}

// CUPS marks its PPD functions deprecated, yet a queue set up with a PPD has
// its default paper only there (the desktop's printer settings read it so).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// The default page size of the queue's PPD, where it has one: what its
// driver says, as the printer set-up of the desktop shows it.
std::optional<QSizeF> ppdDefaultMediaMm(const QString &queue) {
    const QByteArray name = queue.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const char *file = cupsGetPPD2(CUPS_HTTP_DEFAULT, name.constData());
    if (!file)
        return std::nullopt;
    const QByteArray path(file);
    ppd_file_t *ppd = ppdOpenFile(path.constData());
    std::optional<QSizeF> size;
    if (ppd) {
        ppdMarkDefaults(ppd);
        // Points to millimetres.
        if (const ppd_size_t *page = ppdPageSize(ppd, nullptr);
            page && page->width > 0 && page->length > 0)
            size = QSizeF(page->width * 25.4 / 72.0, page->length * 25.4 / 72.0);
        ppdClose(ppd);
    }
    ::unlink(path.constData());  // a copy CUPS made for us
    return size;
}

}  // namespace

#pragma GCC diagnostic pop

std::optional<QSizeF> CupsDefaultMediaMm(const QString &queue) {
    if (const std::optional<QSizeF> ppd = ppdDefaultMediaMm(queue))
        return ppd;
    const Destinations dests;
    cups_dest_t *dest = dests.find(queue);
    if (!dest)
        return std::nullopt;
    cups_dinfo_t *info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (!info)
        return std::nullopt;
    cups_size_t size{};
    const int found = cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size);
    cupsFreeDestInfo(info);
    // CUPS gives hundredths of a millimetre.
    if (!found || size.width <= 0 || size.length <= 0)
        return std::nullopt;
    return QSizeF(size.width / 100.0, size.length / 100.0);
}
