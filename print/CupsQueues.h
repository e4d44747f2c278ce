#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

// The print queues CUPS knows, asked of CUPS itself (the user's lpoptions
// included): no widgets and no Qt print support in between.

// Every queue, instances as "queue/instance", in CUPS's order.
QStringList CupsQueueNames();
// The queue CUPS takes when none is named; empty when there is none.
QString CupsDefaultQueue();
// The queue's default paper in millimetres (width, length); none when the
// queue or its driver does not say.
std::optional<QSizeF> CupsDefaultMediaMm(const QString &queue);
