// The print service's passes over an order inbox: what is printed, how often,
// and where each file ends.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "model/Job.h"
#include "model/OrderInbox.h"
#include "print/OrderService.h"

namespace {

// Every file in the inbox is old enough to count as complete.
OrderInbox::Clock LaterClock() {
    OrderInbox::Clock clock = OrderInbox::SystemClock();
    clock.now = [] { return QDateTime::currentDateTime().addSecs(60); };
    return clock;
}

struct ServiceFixture {
    QTemporaryDir dir;
    QString inboxPath = dir.filePath(QStringLiteral("Auftraege"));
    struct Call {
        QString label;
        QStringList firstLines;
    };
    std::vector<Call> calls;
    QStringList log;
    // What the print answers for the next file; by default every ribbon
    // printed on two pages.
    std::optional<PrintResult> answer;

    ServiceFixture() { QDir().mkpath(inboxPath); }

    void write(const QString &name, const QByteArray &bytes) const {
        QFile file(inboxPath + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &relative) const {
        QFile file(inboxPath + QLatin1Char('/') + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
    }

    OrderService service(OrderInbox &inbox) {
        return OrderService(
            inbox, nullptr,
            [this](const std::vector<const TJob *> &ribbons, const QString &name) {
                Call call{name, {}};
                for (const TJob *job : ribbons)
                    call.firstLines << job->TextLeft.at(0);
                calls.push_back(call);
                if (answer)
                    return *answer;
                PrintResult printed;
                printed.status = PrintResult::Printed;
                printed.outputs << QStringLiteral("Band");
                printed.printed = ribbons;
                printed.ribbonsInRun = int(ribbons.size());
                printed.pages = int(ribbons.size()) * 2;
                return printed;
            },
            [this](const QString &line) { log << line; });
    }
};

const QByteArray kTwoOrders =
    "Auftrag;Liefertermin;Text links;Text rechts;Breite\r\n"
    "4711;09.12.2026 10:00;In Liebe;Ruhe sanft;75\r\n"
    "4712;09.12.2026 11:00;\"Letzte Gr\xc3\xbc\xc3\x9f\x65\r\nFamilie \xc5\x9e\x61hin\";;75\r\n";

TEST(OrderServiceTest, TwoServicesPrintEachOrderOnceAndFileEveryOutcome) {
    ServiceFixture f;
    f.write(QStringLiteral("a.csv"), kTwoOrders);
    f.write(QStringLiteral("b.csv"), "Auftrag;Text links\r\n4801;\"offen\r\n");
    f.write(QStringLiteral("c.csv.part"), "Auftrag;Text links\r\n4900;halb");
    OrderInbox first(f.inboxPath, QStringLiteral("werkstatt-1"), LaterClock());
    OrderInbox second(f.inboxPath, QStringLiteral("werkstatt-2"), LaterClock());
    QString error;
    ASSERT_TRUE(first.prepare(&error)) << error.toStdString();
    ASSERT_TRUE(second.prepare(&error)) << error.toStdString();
    OrderService one = f.service(first);
    OrderService two = f.service(second);

    const OrderService::Pass pass = one.runOnce();
    EXPECT_EQ(pass.printed, 1);
    EXPECT_EQ(pass.failed, 1);
    const OrderService::Pass again = two.runOnce();
    EXPECT_EQ(again.printed + again.failed, 0);

    // Both orders of a.csv in one print, in file order, with every line.
    ASSERT_EQ(f.calls.size(), 1u);
    EXPECT_EQ(f.calls[0].label, QStringLiteral("a.csv"));
    EXPECT_EQ(f.calls[0].firstLines,
              (QStringList{QStringLiteral("In Liebe"), QStringLiteral("Letzte Gr\u00fc\u00dfe")}));
    const QByteArray result = f.read(QStringLiteral("Gedruckt/a.csv.ergebnis.txt"));
    EXPECT_TRUE(result.contains("Auftraege=4711, 4712")) << result.toStdString();
    EXPECT_TRUE(result.contains("Seiten=4")) << result.toStdString();
    EXPECT_TRUE(result.contains("Schleifen=2")) << result.toStdString();
    EXPECT_TRUE(result.contains("Drucker=Band")) << result.toStdString();
    EXPECT_EQ(f.read(QStringLiteral("Gedruckt/a.csv")), kTwoOrders);
    // The unreadable file is kept as it came, with its reason beside it.
    EXPECT_EQ(f.read(QStringLiteral("Fehler/b.csv")), "Auftrag;Text links\r\n4801;\"offen\r\n");
    EXPECT_TRUE(f.read(QStringLiteral("Fehler/b.csv.fehler.txt")).contains("Grund=b.csv"));
    // A file still being written is left alone.
    EXPECT_TRUE(QFile::exists(f.inboxPath + QStringLiteral("/c.csv.part")));
    ASSERT_EQ(f.log.size(), 2);
    EXPECT_TRUE(
        f.log[0].contains(QStringLiteral("a.csv: gedruckt, 2 Auftr\u00e4ge (4711, 4712), "
                                         "2 Schleifen, 4 Seiten auf Band")))
        << f.log[0].toStdString();

    // The same order sent again is not printed twice.
    f.write(QStringLiteral("a-nochmal.csv"), kTwoOrders);
    EXPECT_EQ(two.runOnce().failed, 1);
    EXPECT_EQ(f.calls.size(), 1u);
    EXPECT_TRUE(f.read(QStringLiteral("Fehler/a-nochmal.csv.fehler.txt"))
                    .contains("Auftrag \xe2\x80\x9e"
                              "4711\xe2\x80\x9c wurde schon gedruckt"));
}

// Whatever kept an order off paper files it in Fehler/ with the reason the
// order system can read, and it is never tried again by itself.
TEST(OrderServiceTest, AnOrderNotPrintedIsFiledWithItsReason) {
    const auto result = [](PrintResult::Status status, const char *reason, int printed,
                           bool partly) {
        PrintResult r;
        r.status = status;
        r.reason = QString::fromUtf8(reason);
        r.ribbonsInRun = 2;
        r.partsMayBePrinted = partly;
        static const TJob ribbon;
        r.printed.assign(std::size_t(printed), &ribbon);
        return r;
    };
    const struct {
        const char *name;
        PrintResult answer;
        const char *reason;
    } cases[] = {
        {"frage.csv",
         result(PrintResult::Declined, "Bei 1 Schleife passt der Text nicht: 2. Trotzdem drucken?",
                0, false),
         "Grund=Bei 1 Schleife passt der Text nicht: 2. Trotzdem drucken?"},
        {"breit.csv",
         result(PrintResult::Refused, "Die Schleife ist 170 mm breit, der Drucker", 0, false),
         "Grund=Die Schleife ist 170 mm breit, der Drucker"},
        {"teilweise.csv",
         result(PrintResult::Failed, "Warteschlange weist den Auftrag ab", 1, true),
         "ein Teil kann gedruckt sein (1 von 2 Schleifen gedruckt): Warteschlange weist"},
        {"nichts.csv", result(PrintResult::Failed, "Warteschlange weist den Auftrag ab", 0, false),
         "nichts wurde gedruckt: Warteschlange weist den Auftrag ab"},
    };
    ServiceFixture f;
    OrderInbox inbox(f.inboxPath, QStringLiteral("werkstatt"), LaterClock());
    QString error;
    ASSERT_TRUE(inbox.prepare(&error));
    OrderService service = f.service(inbox);
    int number = 1;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        f.answer = c.answer;
        f.write(
            QString::fromUtf8(c.name),
            QStringLiteral("Auftrag;Text links\r\n%1;Eins\r\n%1;Zwei\r\n").arg(number++).toUtf8());
        EXPECT_EQ(service.runOnce().failed, 1);
        const QByteArray reason =
            f.read(QStringLiteral("Fehler/%1.fehler.txt").arg(QString::fromUtf8(c.name)));
        EXPECT_TRUE(reason.contains(c.reason)) << reason.toStdString();
    }
    EXPECT_EQ(f.calls.size(), std::size(cases));
    EXPECT_TRUE(QDir(f.inboxPath).entryList(QDir::Files).isEmpty());

    // Unknown words never stop it; the result lists them.
    f.answer.reset();
    PrintResult words = result(PrintResult::Printed, "", 1, false);
    words.unknownWords =
        QStringList{QStringLiteral("\u015Eahin"), QStringLiteral("Dvo\u0159\u00e1k")};
    f.answer = words;
    f.write(QStringLiteral("namen.csv"), "Auftrag;Text links\r\n77;Familie\r\n");
    EXPECT_EQ(service.runOnce().printed, 1);
    EXPECT_TRUE(f.read(QStringLiteral("Gedruckt/namen.csv.ergebnis.txt"))
                    .contains("Unbekannte Woerter=\xc5\x9e\x61hin, Dvo\xc5\x99\xc3\xa1k"));
}

}  // namespace
