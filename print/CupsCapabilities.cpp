// ReadQueueCapabilities: the questions to CUPS, asked through the client;
// what the answers mean is QueueCapabilities.cpp's concern.
#include "print/CupsClient.h"
#include "print/Printer.h"
#include "print/QueueCapabilities.h"

QueueCapabilities ReadQueueCapabilities(const QString &queue) {
    return ReadQueueCapabilities(queue, CupsClient::shared(), {});
}

QueueCapabilities ReadQueueCapabilities(const QString &queue, CupsClient &client,
                                        const std::function<bool()> &waiting) {
    if (queue.section(QLatin1Char('/'), 0, 0).isEmpty())
        return QueueCapabilities();
    try {
        // The PPD is read where it was fetched, while its copy is still there.
        const std::optional<QueueCapabilities> fromPpd =
            std::any_cast<std::optional<QueueCapabilities>>(client.readPpd(
                queue,
                [](const QString &path) -> std::any {
                    if (path.isEmpty())
                        return std::optional<QueueCapabilities>();
                    return std::optional<QueueCapabilities>(QueueCapabilitiesFromPpdFile(path));
                },
                waiting));
        if (fromPpd)
            return *fromPpd;
        // Without a PPD the scheduler answers over IPP (for a driverless
        // queue with what the printer told it).
        if (const std::optional<IppQueueAttributes> attributes =
                client.ippAttributes(queue, waiting))
            return QueueCapabilitiesFromIpp(*attributes);
    } catch (const PrinterError &e) {
        QueueCapabilities unknown;
        unknown.notes << e.message();
        return unknown;
    }
    return QueueCapabilities();
}
