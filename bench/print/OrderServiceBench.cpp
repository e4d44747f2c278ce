// The print service against a plain print of the same ribbons: 100 order
// files of one ribbon each (1000 x 75 mm, two lines at each end, "Methode" 1)
// taken from an inbox, printed into a PDF each and filed in Gedruckt/; and the
// same 100 ribbons printed into one PDF as "vellumo-cli print" does.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

#include "model/Job.h"
#include "model/OrderInbox.h"
#include "print/OrderPrinting.h"
#include "print/OrderService.h"
#include "print/PrintRequest.h"
#include "print/QtPrinter.h"
#include "print/Session.h"

namespace {

constexpr int kOrders = 100;

QByteArray OrderCsv(int i) {
    return QStringLiteral(
               "Auftrag;Liefertermin;Text links;Text rechts;Breite;L\u00e4nge;Schrift\r\n"
               "%1;09.12.2026 10:00;\"In stiller Trauer\r\nFamilie Weber %1\";"
               "\"Ruhe in Frieden\r\nDeine Kinder\";75;1000;Arial\r\n")
        .arg(5000 + i)
        .toUtf8();
}

struct Shop {
    QTemporaryDir dir;
    std::unique_ptr<RibbonSession> session;
    Shop() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
        const QString settings = dir.filePath(QStringLiteral("RIBOLANT.INI"));
        QFile file(settings);
        if (file.open(QIODevice::WriteOnly))
            file.write("[Drucker]\r\nMethode=1\r\n");
        file.close();
        session = std::make_unique<RibbonSession>(settings);
    }
};

void ServicePrintsHundredOrders(benchmark::State &state) {
    Shop shop;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString inboxPath = shop.dir.filePath(QStringLiteral("inbox%1").arg(round));
        const QString pdfs = shop.dir.filePath(QStringLiteral("pdf%1").arg(round++));
        QDir().mkpath(inboxPath);
        QDir().mkpath(pdfs);
        for (int i = 0; i < kOrders; ++i) {
            QFile file(
                QStringLiteral("%1/auftrag%2.csv").arg(inboxPath).arg(i, 3, 10, QLatin1Char('0')));
            if (file.open(QIODevice::WriteOnly))
                file.write(OrderCsv(i));
        }
        OrderInbox::Clock clock = OrderInbox::SystemClock();
        clock.now = [] { return QDateTime::currentDateTime().addSecs(60); };
        OrderInbox inbox(inboxPath, QStringLiteral("bench"), clock);
        QString error;
        inbox.prepare(&error);
        const OrderTarget target{QString(), pdfs, -1};
        OrderService service(
            inbox, nullptr,
            [&](const std::vector<const TJob *> &ribbons, const QString &name) {
                return PrintOrderRibbons(ribbons, name, target, *shop.session, nullptr);
            },
            [](const QString &) {});
        state.ResumeTiming();
        const OrderService::Pass pass = service.runOnce();
        if (pass.printed != kOrders)
            state.SkipWithError("not every order was printed");
    }
    state.counters["orders"] = kOrders;
}
BENCHMARK(ServicePrintsHundredOrders)->Unit(benchmark::kMillisecond)->Iterations(3);

std::vector<std::unique_ptr<TJob>> HundredRibbons() {
    std::vector<std::unique_ptr<TJob>> jobs;
    for (int i = 0; i < kOrders; ++i) {
        auto job = std::make_unique<TJob>();
        job->Laenge = 1000;
        job->Breite = 75;
        job->FontName.set(QStringLiteral("Arial"));
        job->TextLeft.set({QStringLiteral("In stiller Trauer"),
                           QStringLiteral("Familie Weber %1").arg(5000 + i)});
        job->TextRight.set({QStringLiteral("Ruhe in Frieden"), QStringLiteral("Deine Kinder")});
        jobs.push_back(std::move(job));
    }
    return jobs;
}

void PrintHundredRibbonsAtOnce(benchmark::State &state) {
    Shop shop;
    const std::vector<std::unique_ptr<TJob>> jobs = HundredRibbons();
    std::vector<const TJob *> listed;
    for (const auto &job : jobs)
        listed.push_back(job.get());
    const QString pdf = shop.dir.filePath(QStringLiteral("alle.pdf"));
    for (auto _ : state) {
        PrintRequest request(listed, &shop.session->settings(), shop.session->context());
        QtPrinter printer;
        RibbonSession::SelectPdfPrinter(printer, pdf);
        if (!request.print(printer).isEmpty())
            state.SkipWithError("the print failed");
    }
    state.counters["orders"] = kOrders;
}
BENCHMARK(PrintHundredRibbonsAtOnce)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same ribbons, a PDF file each, without the inbox: what a document of
// its own costs, apart from what the service adds.
void PrintHundredRibbonsOnePdfEach(benchmark::State &state) {
    Shop shop;
    const std::vector<std::unique_ptr<TJob>> jobs = HundredRibbons();
    for (auto _ : state) {
        for (int i = 0; i < kOrders; ++i) {
            PrintRequest request({jobs[std::size_t(i)].get()}, &shop.session->settings(),
                                 shop.session->context());
            QtPrinter printer;
            RibbonSession::SelectPdfPrinter(
                printer, shop.dir.filePath(QStringLiteral("einzeln%1.pdf").arg(i)));
            if (!request.print(printer).isEmpty())
                state.SkipWithError("the print failed");
        }
    }
    state.counters["orders"] = kOrders;
}
BENCHMARK(PrintHundredRibbonsOnePdfEach)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
