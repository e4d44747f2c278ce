// The order inbox shared by several workstations: moves that never replace,
// claims that only one workstation wins, claims of dead workstations coming
// back, files taken only once they are complete, and the watcher's list.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "model/OrderInbox.h"
#include "model/OrderInboxWatcher.h"
#include "tests/support/FileSizeLimit.h"

namespace {

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sets a file's (or folder's) modification time to `when`.
void SetTime(const QString &path, const QDateTime &when) {
    const qint64 ms = when.toMSecsSinceEpoch();
    const timespec at{time_t(ms / 1000), long(ms % 1000) * 1000000};
    const timespec times[2] = {at, at};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0)
        << path.toStdString();
}

void Put(const QString &path, const QByteArray &bytes, const QDateTime &when = {}) {
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
    f.close();
    if (when.isValid())
        SetTime(path, when);
}

QStringList Files(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

const QDateTime kNow(QDate(2026, 12, 8), QTime(10, 15, 2), QTimeZone(3600));
const QDateTime kLongAgo = kNow.addSecs(-3600);

// A clock that only moves when a test moves it.
struct FakeClock {
    qint64 steady = 0;
    QDateTime now = kNow;
    OrderInbox::Clock clock() {
        return {[this] { return steady; }, [this] { return now; }};
    }
};

class OrderInboxTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir_.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir_;
    FakeClock time_;
};

TEST_F(OrderInboxTest, MovesNeverReplaceAFileOfTheSameName) {
    // name in the inbox -> the name it gets back when the inbox has one again
    const struct {
        const char *name;
        const char *numbered;
    } rows[] = {
        {"bestellung.csv", "bestellung (2).csv"},
        {"liste", "liste (2)"},
        {"auftrag.2026.json", "auftrag.2026 (2).json"},
    };
    OrderInbox inbox(dir_.path(), QStringLiteral("platz1"), time_.clock());
    QString error;
    ASSERT_TRUE(inbox.prepare(&error)) << error.toStdString();
    for (const auto &row : rows) {
        const QString name = QString::fromUtf8(row.name);
        Put(path(name), "erster " + QByteArray(row.name), kLongAgo);
        inbox.scan();
        const auto claim = inbox.claim(name, &error);
        ASSERT_TRUE(claim) << error.toStdString();
        EXPECT_EQ(claim->path, path(QStringLiteral("In Arbeit/platz1/") + name));
        Put(path(name), "zweiter " + QByteArray(row.name), kLongAgo);
        ASSERT_TRUE(inbox.release(*claim, &error)) << error.toStdString();
        EXPECT_EQ(ReadAll(path(name)), "zweiter " + QByteArray(row.name));
        EXPECT_EQ(ReadAll(path(QString::fromUtf8(row.numbered))), "erster " + QByteArray(row.name));
    }

    // A taken name in the own folder and in Gedruckt/, and a result file
    // without its order: each is passed over, none replaced.
    Put(path("In Arbeit/platz1/bestellung.csv"), "liegt schon da");
    Put(path("Gedruckt/bestellung.csv"), "gedruckt 1");
    Put(path("Gedruckt/bestellung (2).csv"), "gedruckt 2");
    Put(path("Gedruckt/bestellung (3).csv.ergebnis.txt"), "Auftraege=1\n");
    inbox.scan();
    const auto claim = inbox.claim(QStringLiteral("bestellung.csv"), &error);
    ASSERT_TRUE(claim) << error.toStdString();
    EXPECT_EQ(claim->name, QStringLiteral("bestellung.csv"));
    EXPECT_EQ(claim->path, path("In Arbeit/platz1/bestellung (2).csv"));
    EXPECT_EQ(ReadAll(path("In Arbeit/platz1/bestellung.csv")), "liegt schon da");
    ASSERT_TRUE(inbox.finish(*claim, OrderPrintResult{kNow, "Laser", 1, 1, {"1"}}, &error))
        << error.toStdString();
    EXPECT_EQ(ReadAll(path("Gedruckt/bestellung (4).csv")), "zweiter bestellung.csv");
    EXPECT_EQ(ReadAll(path("Gedruckt/bestellung.csv")), "gedruckt 1");
    EXPECT_EQ(ReadAll(path("Gedruckt/bestellung (2).csv")), "gedruckt 2");
    EXPECT_EQ(ReadAll(path("Gedruckt/bestellung (3).csv.ergebnis.txt")), "Auftraege=1\n");
    EXPECT_TRUE(QFile::exists(path("Gedruckt/bestellung (4).csv.ergebnis.txt")));
}

TEST_F(OrderInboxTest, OnlyOneWorkstationWinsAClaim) {
    OrderInbox a(dir_.path(), QStringLiteral("a"), time_.clock());
    OrderInbox b(dir_.path(), QStringLiteral("b"), time_.clock());
    QString error;
    ASSERT_TRUE(a.prepare(&error) && b.prepare(&error)) << error.toStdString();
    Put(path("bestellung.csv"), "4711", kLongAgo);
    a.scan();
    b.scan();
    ASSERT_TRUE(a.claim(QStringLiteral("bestellung.csv"), &error));
    EXPECT_FALSE(b.claim(QStringLiteral("bestellung.csv"), &error));
    EXPECT_EQ(error, QStringLiteral("„bestellung.csv“ ist schon vergeben"));

    // Two workstations claiming everything at once: each order once, none lost.
    constexpr int kOrders = 300;
    QStringList names;
    for (int i = 0; i < kOrders; ++i) {
        names << QStringLiteral("auftrag-%1.csv").arg(i);
        Put(path(names.back()), QByteArray::number(i), QDateTime::currentDateTime().addSecs(-60));
    }
    std::atomic_int won[kOrders] = {};
    std::atomic_int ready = 0;
    auto claimAll = [&](OrderInbox *inbox) {
        inbox->scan();
        for (++ready; ready < 2;)
            std::this_thread::yield();
        for (int i = 0; i < kOrders; ++i) {
            QString why;
            if (inbox->claim(names[i], &why))
                ++won[i];
        }
    };
    OrderInbox raceA(dir_.path(), QStringLiteral("a"), OrderInbox::SystemClock());
    OrderInbox raceB(dir_.path(), QStringLiteral("b"), OrderInbox::SystemClock());
    std::thread first(claimAll, &raceA), second(claimAll, &raceB);
    first.join();
    second.join();
    int claimed = 0;
    for (int i = 0; i < kOrders; ++i) {
        EXPECT_EQ(won[i], 1) << names[i].toStdString();
        for (const char *station : {"a", "b"}) {
            const QString at =
                path(QStringLiteral("In Arbeit/%1/").arg(QLatin1String(station)) + names[i]);
            if (QFile::exists(at)) {
                ++claimed;
                EXPECT_EQ(ReadAll(at), QByteArray::number(i));
            }
        }
    }
    EXPECT_EQ(claimed, kOrders);
    EXPECT_TRUE(a.scan().empty());
}

TEST_F(OrderInboxTest, ClaimsOfStationsThatStoppedLivingComeBack) {
    const qint64 timeout = OrderInbox::ClaimTimeoutMs;
    // A process of this host that has ended.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const QString dead = OrderInbox::ThisStation().section(QLatin1Char('-'), 0, -2) +
                         QLatin1Char('-') + QString::number(child);

    Put(path("In Arbeit/alt/a.csv"), "a");
    Put(path("In Arbeit/alt/.lebt"), "", kNow.addMSecs(-timeout - 1000));
    Put(path("a.csv"), "ein neues a", kLongAgo);
    Put(path("In Arbeit/" + dead + "/b.csv"), "b");
    Put(path("In Arbeit/" + dead + "/.lebt"), "", kNow);
    Put(path("In Arbeit/lebend/c.csv"), "c");
    Put(path("In Arbeit/lebend/.lebt"), "", kNow.addMSecs(-timeout + 60000));
    Put(path("In Arbeit/ohne/d.csv"), "d");
    SetTime(path("In Arbeit/ohne"), kNow.addMSecs(-timeout - 1000));
    Put(path("In Arbeit/neu/e.csv"), "e");
    SetTime(path("In Arbeit/neu"), kNow.addMSecs(-60000));
    Put(path("In Arbeit/hier/f.csv"), "f");
    Put(path("In Arbeit/hier/.lebt"), "", kLongAgo);

    OrderInbox inbox(dir_.path(), QStringLiteral("hier"), time_.clock());
    QStringList returned = inbox.returnStaleClaims();
    returned.sort();
    EXPECT_EQ(returned, QStringList({"a (2).csv", "b.csv", "d.csv"}));
    EXPECT_EQ(ReadAll(path("a.csv")), "ein neues a");
    EXPECT_EQ(ReadAll(path("a (2).csv")), "a");
    EXPECT_EQ(ReadAll(path("b.csv")), "b");
    EXPECT_EQ(ReadAll(path("d.csv")), "d");
    EXPECT_EQ(QDir(path("In Arbeit")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList({"hier", "lebend", "neu"}));
    EXPECT_EQ(Files(path("In Arbeit/lebend")), QStringList({".lebt", "c.csv"}));
    EXPECT_EQ(Files(path("In Arbeit/hier")), QStringList({".lebt", "f.csv"}));

    // A heartbeat keeps a station's claims where they are.
    OrderInbox lebend(dir_.path(), QStringLiteral("lebend"), time_.clock());
    time_.now = kNow.addMSecs(timeout);
    lebend.heartbeat();
    EXPECT_EQ(inbox.returnStaleClaims(), QStringList({"e.csv"}));
    EXPECT_EQ(Files(path("In Arbeit/lebend")), QStringList({".lebt", "c.csv"}));
}

TEST_F(OrderInboxTest, AFileIsTakenOnlyOnceItIsComplete) {
    Put(path("alt.csv"), "alt", kLongAgo);
    Put(path("neu.csv"), "neu", kNow);
    Put(path("wachsend.csv"), "wa", kNow);
    Put(path("zukunft.csv"), "zukunft", kNow.addSecs(3600));
    for (const char *ignored : {".versteckt.csv", "~sperre.csv", "a.tmp", "b.PART", "c.crdownload",
                                "d.csv.ergebnis.txt", "e.csv.fehler.txt"})
        Put(path(QString::fromUtf8(ignored)), "x", kLongAgo);
    QDir().mkpath(path("ordner.csv"));
    ASSERT_TRUE(QFile::link(path("alt.csv"), path("verweis.csv")));

    OrderInbox inbox(dir_.path(), QStringLiteral("platz"), time_.clock());
    auto completeAt = [&](qint64 steadyMs) {
        time_.steady = steadyMs;
        QStringList names;
        for (const InboxFile &file : inbox.scan())
            names << file.name +
                         (file.complete ? QString() : QStringLiteral(" (wird geschrieben)"));
        return names;
    };
    EXPECT_EQ(completeAt(0),
              QStringList({"alt.csv", "neu.csv (wird geschrieben)",
                           "wachsend.csv (wird geschrieben)", "zukunft.csv (wird geschrieben)"}));
    QString error;
    EXPECT_FALSE(inbox.claim(QStringLiteral("neu.csv"), &error));
    EXPECT_EQ(error, QStringLiteral("„neu.csv“ wird noch geschrieben"));
    EXPECT_FALSE(inbox.claim(QStringLiteral("a.tmp"), &error));

    time_.steady = 1500;
    Put(path("wachsend.csv"), "wachsend", kNow);  // same time, more bytes
    EXPECT_EQ(completeAt(1999),
              QStringList({"alt.csv", "neu.csv (wird geschrieben)",
                           "wachsend.csv (wird geschrieben)", "zukunft.csv (wird geschrieben)"}));
    EXPECT_EQ(completeAt(2000), QStringList({"alt.csv", "neu.csv",
                                             "wachsend.csv (wird geschrieben)", "zukunft.csv"}));
    EXPECT_EQ(completeAt(3998), QStringList({"alt.csv", "neu.csv",
                                             "wachsend.csv (wird geschrieben)", "zukunft.csv"}));
    EXPECT_EQ(completeAt(3999), QStringList({"alt.csv", "neu.csv", "wachsend.csv", "zukunft.csv"}));
    EXPECT_TRUE(inbox.claim(QStringLiteral("neu.csv"), &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(path("alt.csv")), "alt");

    // Another object (the window's, beside the watcher's) claims by the
    // listing, as long as the file is what the listing saw.
    OrderInbox window(dir_.path(), QStringLiteral("platz"), time_.clock());
    const std::vector<InboxFile> listed = inbox.scan();
    ASSERT_EQ(listed.size(), 3u);
    Put(path("wachsend.csv"), "wachsend weiter", kNow);
    EXPECT_FALSE(window.claim(listed[1], &error));
    EXPECT_EQ(error, QStringLiteral("„wachsend.csv“ wird noch geschrieben"));
    EXPECT_TRUE(window.claim(listed[2], &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path("verweis.csv")).isSymLink());
}

TEST_F(OrderInboxTest, ResultFilesSayWhatHappenedAndTheOrderStaysAsItCame) {
    const QByteArray order = "Auftrag;Text\r\n4711;\"Ruhe \xc3\xa4 sanft\"\r\n\xff\x00 Rest";
    OrderInbox inbox(dir_.path(), QStringLiteral("platz1"), time_.clock());
    QString error;
    ASSERT_TRUE(inbox.prepare(&error)) << error.toStdString();
    for (const char *name : {"druck.csv", "liste.csv", "kaputt.csv", "voll.csv"})
        Put(path(QString::fromUtf8(name)), order, kLongAgo);
    inbox.scan();

    const auto printed = inbox.claim(QStringLiteral("druck.csv"), &error);
    ASSERT_TRUE(printed);
    ASSERT_TRUE(inbox.finish(
        *printed, OrderPrintResult{kNow, "Laser\nzwei", 2, 3, {"4711", " 4712"}}, &error))
        << error.toStdString();
    EXPECT_EQ(ReadAll(path("Gedruckt/druck.csv")), order);
    EXPECT_EQ(ReadAll(path("Gedruckt/druck.csv.ergebnis.txt")),
              "Zeit=2026-12-08T10:15:02+01:00\nArbeitsplatz=platz1\nDrucker=Laser zwei\n"
              "Seiten=2\nSchleifen=3\nAuftraege=4711, 4712\n");

    const auto taken = inbox.claim(QStringLiteral("liste.csv"), &error);
    ASSERT_TRUE(taken && inbox.takenOver(*taken, &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(path("Uebernommen/liste.csv")), order);
    EXPECT_EQ(ReadAll(path("Uebernommen/liste.csv.ergebnis.txt")),
              "Zeit=2026-12-08T10:15:02+01:00\nArbeitsplatz=platz1\n");

    ASSERT_TRUE(inbox.fail(QStringLiteral("kaputt.csv"),
                           QStringLiteral("kaputt.csv:2: Spalte „Länge“: „x“ ist keine Zahl"),
                           &error))
        << error.toStdString();
    EXPECT_EQ(ReadAll(path("Fehler/kaputt.csv")), order);
    EXPECT_EQ(ReadAll(path("Fehler/kaputt.csv.fehler.txt")),
              "Zeit=2026-12-08T10:15:02+01:00\nArbeitsplatz=platz1\n"
              "Grund=kaputt.csv:2: Spalte „Länge“: „x“ ist keine Zahl\n");
    EXPECT_FALSE(inbox.fail(QStringLiteral("kaputt.csv"), QStringLiteral("nochmal"), &error));
    EXPECT_EQ(error, QStringLiteral("„kaputt.csv“ ist schon vergeben"));
    // Only files are orders: a folder given by mistake stays.
    EXPECT_FALSE(inbox.fail(path("Gedruckt"), QStringLiteral("x"), &error));
    EXPECT_EQ(error, QStringLiteral("„Gedruckt“ ist kein Auftrag"));
    EXPECT_TRUE(QFileInfo(path("Gedruckt/druck.csv")).isFile());

    // A full disk: the order is printed and moved all the same, and says so.
    const auto full = inbox.claim(QStringLiteral("voll.csv"), &error);
    ASSERT_TRUE(full);
    {
        FileSizeLimit limit(10);
        EXPECT_FALSE(inbox.finish(*full, OrderPrintResult{kNow, "Laser", 1, 1, {"4713"}}, &error));
    }
    EXPECT_TRUE(error.startsWith(QStringLiteral(
        "„voll.csv“ liegt in „Gedruckt“, aber „voll.csv.ergebnis.txt“ lässt sich nicht schreiben")))
        << error.toStdString();
    EXPECT_EQ(ReadAll(path("Gedruckt/voll.csv")), order);
    EXPECT_FALSE(QFile::exists(path("voll.csv")));

    const QHash<QString, QString> expected{{"4711", "druck.csv.ergebnis.txt"},
                                           {"4712", "druck.csv.ergebnis.txt"}};
    EXPECT_EQ(inbox.printedOrders(), expected);
}

TEST_F(OrderInboxTest, AReadOnlyInboxIsListedButNothingIsTaken) {
    Put(path("bestellung.csv"), "4711", kLongAgo);
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.path()).constData(), 0555), 0);
    OrderInbox inbox(dir_.path(), QStringLiteral("platz"), time_.clock());
    QString error;
    EXPECT_FALSE(inbox.prepare(&error));
    EXPECT_EQ(error, QStringLiteral("Auftragsordner „%1“ ist schreibgeschützt: Aufträge werden "
                                    "nur angezeigt")
                         .arg(dir_.path()));
    ASSERT_EQ(inbox.scan().size(), 1u);
    // Root may write anyway; the rest only where permissions count.
    if (::geteuid() != 0) {
        EXPECT_FALSE(inbox.claim(QStringLiteral("bestellung.csv"), &error));
        EXPECT_EQ(ReadAll(path("bestellung.csv")), "4711");
    }
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);

    OrderInbox missing(path("fehlt"), QStringLiteral("platz"), time_.clock());
    EXPECT_FALSE(missing.prepare(&error));
    EXPECT_EQ(error, QStringLiteral("Auftragsordner „%1“ fehlt").arg(path("fehlt")));
    EXPECT_TRUE(missing.scan().empty());
}

// Reads "kaputt" files as faulty; anything else as an order file without orders.
OrderFileResult TestReader(const QString &path) {
    OrderFileResult result;
    QFile file(path);
    const QString name = path.section(QLatin1Char('/'), -1);
    if (!file.open(QIODevice::ReadOnly))
        result.error = name + QStringLiteral(": lässt sich nicht lesen");
    else if (file.readAll().startsWith("kaputt"))
        result.error = path + QStringLiteral(":1: Spalte „Auftrag“ fehlt");
    return result;
}

QStringList Names(const QList<InboxOrder> &orders) {
    QStringList names;
    for (const InboxOrder &order : orders)
        names << order.file.name + (order.read ? QString() : QStringLiteral(" (ungelesen)"));
    return names;
}

TEST_F(OrderInboxTest, TheListReadsWhatChangedAndMovesFaultyFilesAway) {
    Put(path("gut.csv"), "4711", kLongAgo);
    Put(path("kaputt.csv"), "kaputt", kLongAgo);
    Put(path("halb.csv"), "kaputt, noch", kNow);
    Put(path("weg.csv"), "4712", kLongAgo);
    QTemporaryDir elsewhere;
    int reads = 0;
    OrderInboxList list(
        dir_.path(),
        [&](const QString &file) {
            ++reads;
            // Another workstation takes it while it is read.
            if (file.endsWith(QLatin1String("/weg.csv")))
                QFile::rename(file, elsewhere.path() + QStringLiteral("/weg.csv"));
            return TestReader(file);
        },
        time_.clock());
    EXPECT_TRUE(list.update());
    EXPECT_EQ(Names(list.orders()), QStringList({"gut.csv", "halb.csv (ungelesen)"}));
    EXPECT_EQ(list.problem(), QString());
    EXPECT_TRUE(list.waiting());
    EXPECT_EQ(ReadAll(path("Fehler/kaputt.csv")), "kaputt");
    EXPECT_TRUE(ReadAll(path("Fehler/kaputt.csv.fehler.txt"))
                    .contains("Grund=kaputt.csv:1: Spalte „Auftrag“ fehlt\n"));
    EXPECT_FALSE(QFile::exists(path("Fehler/weg.csv")));
    EXPECT_EQ(reads, 4);

    const auto gut = list.orders().front().read;
    EXPECT_FALSE(list.update());
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(list.orders().front().read, gut);

    // Still faulty once it has been still long enough: Fehler/ as well.
    time_.steady = OrderInbox::CompleteAfterMs;
    EXPECT_TRUE(list.update());
    EXPECT_EQ(Names(list.orders()), QStringList({"gut.csv"}));
    EXPECT_EQ(ReadAll(path("Fehler/halb.csv")), "kaputt, noch");
    EXPECT_FALSE(list.waiting());

    ASSERT_TRUE(QFile::rename(path("gut.csv"), elsewhere.path() + QStringLiteral("/gut.csv")));
    EXPECT_TRUE(list.update());
    EXPECT_TRUE(list.orders().isEmpty());

    // Its heartbeat goes on while it looks, and the claims of a station that
    // stopped come back into the list.
    Put(path("In Arbeit/still/zurueck.csv"), "4713", kLongAgo);
    Put(path("In Arbeit/still/.lebt"), "", kNow.addMSecs(-OrderInbox::ClaimTimeoutMs));
    time_.steady += OrderInbox::ClaimTimeoutMs / 4;
    time_.now = kNow.addMSecs(OrderInbox::ClaimTimeoutMs / 4);
    EXPECT_TRUE(list.update());
    EXPECT_EQ(Names(list.orders()), QStringList({"zurueck.csv"}));
    EXPECT_EQ(QFileInfo(path("In Arbeit/" + OrderInbox::ThisStation() + "/.lebt")).lastModified(),
              time_.now);
}

// Waits for `done` while events run.
bool Eventually(const std::function<bool()> &done, int ms = 4000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST_F(OrderInboxTest, TheWatcherShowsNewFilesAndWhatIsWrongWithTheInbox) {
    const QString folder = path("eingang");
    auto watcher = std::make_unique<OrderInboxWatcher>(folder);
    watcher->setReader(TestReader);
    QSignalSpy changed(watcher.get(), &OrderInboxWatcher::changed);
    QSignalSpy problem(watcher.get(), &OrderInboxWatcher::problem);
    watcher->start();
    ASSERT_TRUE(problem.wait(2000));
    EXPECT_EQ(problem.back().front().toString(),
              QStringLiteral("Auftragsordner „%1“ fehlt").arg(folder));

    // Back again: taken up by the next regular look.
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(problem.wait(OrderInboxWatcher::RescanMs + 1000));
    EXPECT_EQ(problem.back().front().toString(), QString());

    changed.clear();
    Put(folder + QStringLiteral("/neu.csv"), "4711");
    ASSERT_TRUE(changed.wait(2000));
    ASSERT_EQ(Names(watcher->orders()), QStringList({"neu.csv"}));
    // Still, so complete soon after.
    EXPECT_TRUE(Eventually(
        [&] { return !watcher->orders().isEmpty() && watcher->orders().front().file.complete; }));
    // Looks that find nothing new stay quiet.
    EXPECT_LE(changed.size(), 3);
    watcher.reset();
    EXPECT_EQ(ReadAll(folder + QStringLiteral("/neu.csv")), "4711");
    // Its workstation's folder, holding no claim, went with it.
    EXPECT_FALSE(
        QFileInfo::exists(folder + QStringLiteral("/In Arbeit/") + OrderInbox::ThisStation()));

    // Ended before its first look, or never started: no hang, nothing left.
    OrderInboxWatcher(folder).start();
    OrderInboxWatcher unused(folder);
}

// A share that stops answering while the watcher reads a file (the read
// hangs) does not hold the window's close: the watcher gives up after its
// wait, and the look ends on its own once the share answers again.
TEST_F(OrderInboxTest, ClosingDoesNotWaitForAShareThatHangs) {
    const QString folder = path("haengt");
    ASSERT_TRUE(QDir().mkpath(folder));
    Put(folder + QStringLiteral("/a.csv"), "4711");
    std::atomic_bool reading{false};
    std::atomic_bool answer{false};
    auto watcher = std::make_unique<OrderInboxWatcher>(folder);
    watcher->setReader([&](const QString &file) {
        reading = true;
        while (!answer)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return TestReader(file);
    });
    watcher->start();
    ASSERT_TRUE(Eventually([&] { return reading.load(); }));
    QElapsedTimer closing;
    closing.start();
    watcher.reset();  // the read still hangs
    EXPECT_LT(closing.elapsed(), OrderInboxWatcher::CloseWaitMs + 2000);
    EXPECT_FALSE(answer);
    answer = true;  // the share answers: the abandoned look ends by itself
    EXPECT_TRUE(Eventually([&] {
        return !QFileInfo::exists(folder + QStringLiteral("/In Arbeit/") +
                                  OrderInbox::ThisStation());
    }));
    // Its thread goes with it: the sanitizer build's leak check sees to that.
    Eventually(
        [] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return false;
        },
        500);
}

}  // namespace
