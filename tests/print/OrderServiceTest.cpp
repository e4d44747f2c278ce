// The print service's passes over an order inbox: what is printed, how often,
// and where each file ends.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    // Which call (counted from 1) fails, and whether pages reached the queue first.
    int failingCall = 0;
    bool failAfterPages = false;

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
            [this](const std::vector<const TJob *> &ribbons, const QString &label) {
                Call call{label, {}};
                for (const TJob *job : ribbons)
                    call.firstLines << job->TextLeft.at(0);
                calls.push_back(call);
                OrderPrintOutcome outcome;
                outcome.printer = QStringLiteral("Band");
                if (int(calls.size()) == failingCall) {
                    outcome.failure = QStringLiteral("Warteschlange weist den Auftrag ab");
                    outcome.partsMayBePrinted = failAfterPages;
                } else {
                    outcome.pages = int(ribbons.size()) * 2;
                }
                return outcome;
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
    EXPECT_EQ(f.calls[0].label, QStringLiteral("a"));
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

TEST(OrderServiceTest, WidthsPrintInGroupsAndAFailedPrintIsNeverRepeated) {
    ServiceFixture f;
    const QByteArray mixed =
        "Auftrag;Text links;Breite\r\n"
        "1;Eins;75\r\n2;Zwei;100\r\n3;Drei;75\r\n";
    f.write(QStringLiteral("breiten.csv"), mixed);
    OrderInbox inbox(f.inboxPath, QStringLiteral("werkstatt"), LaterClock());
    QString error;
    ASSERT_TRUE(inbox.prepare(&error));
    OrderService service = f.service(inbox);
    EXPECT_EQ(service.runOnce().printed, 1);
    ASSERT_EQ(f.calls.size(), 2u);
    EXPECT_EQ(f.calls[0].label, QStringLiteral("breiten-75mm"));
    EXPECT_EQ(f.calls[0].firstLines, (QStringList{QStringLiteral("Eins"), QStringLiteral("Drei")}));
    EXPECT_EQ(f.calls[1].label, QStringLiteral("breiten-100mm"));

    // The second width fails: what the first printed must not print again,
    // so the file waits in Fehler/ for a person.
    f.calls.clear();
    f.failingCall = 2;
    f.write(QStringLiteral("teilweise.csv"),
            "Auftrag;Text links;Breite\r\n5;F\xc3\xbcnf;75\r\n6;Sechs;100\r\n");
    EXPECT_EQ(service.runOnce().failed, 1);
    const QByteArray partly = f.read(QStringLiteral("Fehler/teilweise.csv.fehler.txt"));
    EXPECT_TRUE(partly.contains("ein Teil kann gedruckt sein (1 von 2 Schleifen gedruckt)"))
        << partly.toStdString();

    // A failure before anything reached the queue says so.
    f.calls.clear();
    f.failingCall = 1;
    f.write(QStringLiteral("nichts.csv"), "Auftrag;Text links\r\n7;Sieben\r\n");
    EXPECT_EQ(service.runOnce().failed, 1);
    EXPECT_TRUE(f.read(QStringLiteral("Fehler/nichts.csv.fehler.txt"))
                    .contains("nichts wurde gedruckt: Warteschlange weist den Auftrag ab"));
    EXPECT_TRUE(QDir(f.inboxPath).entryList(QDir::Files).isEmpty());
}

}  // namespace
