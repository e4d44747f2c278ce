#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "print/CupsClient.h"
#include "print/Printer.h"
#include "print/QtPrinter.h"
#include "print/Session.h"

namespace {

// A scheduler that takes every connection and never says a word; or, made
// with listening false, a port where nobody listens.
class SilentScheduler {
public:
    explicit SilentScheduler(bool listening = true) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr *>(&address), length);
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (!listening) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        ::listen(fd_, 16);
        accepter_ = std::thread([this] {
            for (;;) {
                const int connection = ::accept(fd_, nullptr, nullptr);
                if (connection < 0)
                    return;
                ++accepted_;
                connections_.push_back(connection);
            }
        });
        // libcups reads CUPS_SERVER when a thread first asks it.
        qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(port_));
    }
    ~SilentScheduler() {
        if (fd_ >= 0) {
            ::shutdown(fd_, SHUT_RDWR);
            ::close(fd_);
        }
        if (accepter_.joinable())
            accepter_.join();
        for (const int connection : connections_)
            ::close(connection);
        qunsetenv("CUPS_SERVER");
    }
    void pointHere() const {
        qputenv("CUPS_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(port_));
    }
    int accepted() const { return accepted_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::thread accepter_;
    std::atomic<int> accepted_{0};
    std::vector<int> connections_;
};

constexpr int kQuietMs = 1000;

// Each question to a scheduler that does not answer gives up after the
// quiet limit (and the waiting caller's grace) with the one message; no
// scheduler at all is no queues; a caller that gives up is let go at once.
TEST(CupsClientTest, GivesUpOnASilentSchedulerWithinItsDeadline) {
    struct Case {
        const char *what;
        bool listening;
        std::function<void(CupsClient &)> ask;
        QString failure;  // empty: no failure
        qint64 atMostMs;
    };
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("job.pdf"));
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n%%EOF\n");
    }
    const Case cases[] = {
        {"queue list, silent", true, [](CupsClient &c) { c.queues(); }, CupsClient::NoAnswer(),
         kQuietMs + 800},
        {"job, silent", true,
         [&](CupsClient &c) { c.submit({QStringLiteral("Rolle"), pdf, QStringLiteral("T"), {}}); },
         CupsClient::NoAnswer(), kQuietMs + 800},
        {"driver, silent", true,
         [](CupsClient &c) {
             c.readPpd(QStringLiteral("Rolle"), [](const QString &) { return std::any(); });
         },
         CupsClient::NoAnswer(), kQuietMs + 800},
        {"queue list, caller gives up", true,
         [](CupsClient &c) { c.queues([] { return false; }); }, QStringLiteral("Druck abgebrochen"),
         500},
        {"queue list, nobody listening", false,
         [](CupsClient &c) { EXPECT_TRUE(c.queues().names.isEmpty()); }, QString(), 1500},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SilentScheduler scheduler(c.listening);
        scheduler.pointHere();
        CupsClient client(kQuietMs);
        QElapsedTimer clock;
        clock.start();
        QString failure;
        try {
            c.ask(client);
        } catch (const PrinterError &e) {
            failure = e.message();
        }
        EXPECT_EQ(failure, c.failure);
        EXPECT_LE(clock.elapsed(), c.atMostMs);
        if (c.listening && c.failure == CupsClient::NoAnswer()) {
            EXPECT_GE(clock.elapsed(), kQuietMs * 3 / 4 - 100);
        }
    }
}

// A call stuck where libcups does not look at the time is abandoned; the
// next call gets a thread of its own and is answered.
TEST(CupsClientTest, AbandonsAStuckCallAndGoesOn) {
    CupsClient client(500);
    auto release = std::make_shared<std::atomic<bool>>(false);
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(
        {
            try {
                client.wait(client.start([release](http_t *) -> std::any {
                    while (!*release)
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    return 0;
                }));
                ADD_FAILURE() << "the stuck call came back";
            } catch (const PrinterError &e) {
                EXPECT_EQ(e.message(), CupsClient::NoAnswer());
                throw;
            }
        },
        PrinterError);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(std::any_cast<int>(client.wait(client.start([](http_t *) -> std::any { return 42; }))),
              42);
    *release = true;
}

// The PDF printer never reaches the scheduler; a queue asked for by name
// fails with the scheduler's silence, and the stored printer is kept.
TEST(CupsClientTest, PdfPrinterNeverAsksAndQueuesFailWithTheMessage) {
    SilentScheduler scheduler;
    CupsClient client(kQuietMs);
    {
        QtPrinter printer(&client);
        RibbonSession::SelectPdfPrinter(printer, QStringLiteral("/nonexistent/x.pdf"));
        EXPECT_TRUE(printer.isPdfPrinter());
        EXPECT_EQ(printer.printers(), QStringList{QtPrinter::PdfPrinterName});
    }
    EXPECT_EQ(scheduler.accepted(), 0);

    QtPrinter printer(&client);
    try {
        RibbonSession::SelectQueue(printer, QStringLiteral("Rolle"));
        ADD_FAILURE() << "a queue was selected without the scheduler";
    } catch (const PrinterError &e) {
        EXPECT_EQ(e.message(), CupsClient::NoAnswer());
    }
    EXPECT_GE(scheduler.accepted(), 1);
    EXPECT_EQ(printer.queueFailure(), CupsClient::NoAnswer());
    EXPECT_FALSE(RibbonSession::SelectedPrinterName(printer).has_value());
}

}  // namespace
