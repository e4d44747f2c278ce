#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

#include "model/OrderInboxWatcher.h"

namespace {

constexpr int kOrders = 1000;

// An inbox of small order files, all complete (written an hour ago).
class Inbox {
public:
    Inbox() {
        const qint64 ms = QDateTime::currentMSecsSinceEpoch() - 3600 * 1000;
        const timespec at{time_t(ms / 1000), 0};
        const timespec times[2] = {at, at};
        for (int i = 0; i < kOrders; ++i) {
            const QString path =
                dir_.path() + QStringLiteral("/auftrag-%1.csv").arg(i, 4, 10, QLatin1Char('0'));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly)) {
                file.write("Auftrag;Liefertermin;Text links;Text rechts;Breite\r\n" +
                           QByteArray::number(4000 + i) +
                           ";09.12.2026 10:00;In stillem Gedenken;Familie Meier;75\r\n");
                file.close();
            }
            ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
        }
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

const Inbox &TheInbox() {
    static const Inbox inbox;
    return inbox;
}

// Reads the bytes as a reader must, but parses nothing: the figures are the
// listing's and the file system's.
OrderFileResult JustRead(const QString &path) {
    OrderFileResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll().isEmpty())
        result.error = path + QStringLiteral(": leer");
    return result;
}

OrderFileResult RealRead(const QString &path) {
    return LoadOrderFile(path);
}

// The first look: every file listed and read (range 1: by the order file
// reader itself, else just the bytes).
void BM_InboxFirstScan(benchmark::State &state) {
    const QString folder = TheInbox().path();
    const OrderReader reader = state.range(0) ? OrderReader(RealRead) : OrderReader(JustRead);
    for (auto _ : state) {
        OrderInboxList list(folder, reader);
        list.update();
        if (list.orders().size() != kOrders || !list.orders().back().read->ok())
            state.SkipWithError("not all orders listed and read");
        benchmark::DoNotOptimize(list.orders().data());
    }
    state.SetItemsProcessed(state.iterations() * kOrders);
}
BENCHMARK(BM_InboxFirstScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every further look when nothing changed: listed again, nothing read.
void BM_InboxRescanUnchanged(benchmark::State &state) {
    OrderInboxList list(TheInbox().path(), JustRead);
    list.update();
    for (auto _ : state) {
        if (list.update())
            state.SkipWithError("an unchanged inbox counted as changed");
    }
    state.SetItemsProcessed(state.iterations() * kOrders);
}
BENCHMARK(BM_InboxRescanUnchanged)->Unit(benchmark::kMillisecond);

// From an order system's rename into an inbox of 1,000 orders until the
// window's watcher lists the new order (the watcher reads on its own thread;
// this thread only waits for its signal, as the window's would).
void BM_NewOrderAppears(benchmark::State &state) {
    const Inbox inbox;
    OrderInboxWatcher watcher(inbox.path());
    bool listed = false;
    QObject::connect(&watcher, &OrderInboxWatcher::changed, &watcher, [&] { listed = true; });
    watcher.start();
    const auto waitFor = [&](const QString &name) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
            if (!listed)
                continue;
            listed = false;
            for (const InboxOrder &order : watcher.orders()) {
                if (order.file.name == name)
                    return true;
            }
        }
        return false;
    };
    if (!waitFor(QStringLiteral("auftrag-0000.csv")))
        state.SkipWithError("the first list did not come");
    int n = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("neu-%1.csv").arg(n++);
        const QString path = inbox.path() + QLatin1Char('/') + name;
        QFile file(path + QStringLiteral(".part"));
        if (file.open(QIODevice::WriteOnly))
            file.write("Auftrag;Text links\r\n" + QByteArray::number(9000 + n) + ";Ruhe sanft\r\n");
        file.close();
        QElapsedTimer clock;
        clock.start();
        QFile::rename(path + QStringLiteral(".part"), path);
        if (!waitFor(name))
            state.SkipWithError("a new order was not listed within 5 s");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_NewOrderAppears)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
