#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <optional>

#include "model/Job.h"
#include "model/OrderInbox.h"
#include "print/RecordingPrinter.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AppWindows.h"
#include "ui/OrderPanel.h"
#include "ui/PrintFlow.h"

namespace {

const QString kLongText =
    QStringLiteral("In liebevoller Erinnerung an unsere geliebte Mutter, Oma und Uroma Hildegard");

// The window on a data folder whose default inbox holds one CSV file of two
// orders, with a recording printer and the print questions answered here.
class OrderPanelTest : public MainWindowFixture {
protected:
    void SetUp() override {
        inbox = data.filePath(QStringLiteral("Auftraege"));
        ASSERT_TRUE(QDir().mkpath(inbox));
        QFile file(inbox + QStringLiteral("/auftraege.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((QStringLiteral("Auftrag;Liefertermin;Text links;Text rechts\r\n"
                                   "4711;09.12.2026 10:00;%1;Deine Kinder\r\n"
                                   "4712;09.12.2026 14:00;Ruhe sanft;Familie Meier\r\n")
                        .arg(kLongText))
                       .toUtf8());
        // Written long ago: complete at first sight.
        ASSERT_TRUE(file.flush());
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
        file.close();
    }

    void StartWindow() {
        Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
        form = std::make_unique<TMainForm>();
        auto printer = std::make_unique<RecordingPrinter>();
        recorder = printer.get();
        PrintFlow &flow = PrintFlow::of(form.get());
        flow.setPrinter(std::move(printer));
        flow.askRange = [this](PrintRange &range, int, const QString &) {
            if (!rangeAnswer)
                return false;
            range = *rangeAnswer;
            return true;
        };
        flow.inform = [this](const QString &text) { informed << text; };
        flow.warn = [](const QString &) {};
        flow.confirm = [this](const QString &question) {
            questions << question;
            return !question.contains(QLatin1String("Noch einmal")) || reprint;
        };
        CreateAppWindows(*form);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        Settle();
        panel = form->findChild<OrderPanel *>(QStringLiteral("OrderPanel"));
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return panel->model()->orderCount() == 2; }, 10000))
            << panel->caption().toStdString();
        panel->list()->setCurrentIndex(panel->model()->index(0, 0));
        Settle();
    }

    QString StatusText() const { return form->statusBar()->currentMessage(); }
    bool InFolder(const QString &folder) const {
        return QFileInfo::exists(inbox + QLatin1Char('/') + folder +
                                 QStringLiteral("/auftraege.csv"));
    }
    QString ResultFile() const {
        const QStringList results =
            QDir(inbox + QStringLiteral("/Gedruckt")).entryList({QStringLiteral("*.ergebnis.txt")});
        if (results.size() != 1)
            return QString();
        QFile file(inbox + QStringLiteral("/Gedruckt/") + results.front());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString inbox;
    OrderPanel *panel = nullptr;
    RecordingPrinter *recorder = nullptr;
    std::optional<PrintRange> rangeAnswer;
    QStringList questions;
    QStringList informed;
    bool reprint = false;
};

TEST_F(OrderPanelTest, ListsTheOrdersWithFindingsAndTakesThemIntoTheList) {
    StartWindow();
    const OrderListModel &orders = *panel->model();
    EXPECT_EQ(panel->caption(), QStringLiteral("&Auftr\u00E4ge (2)"));
    EXPECT_EQ(orders.data(orders.index(0, OrderListModel::NumberColumn), Qt::DisplayRole),
              QStringLiteral("4711"));
    EXPECT_EQ(orders.data(orders.index(1, OrderListModel::RightColumn), Qt::DisplayRole),
              QStringLiteral("Familie Meier"));
    const auto tooLong = [&orders](int row) {
        return orders.findingsAt(row).filter(QStringLiteral("zu lang")).size();
    };
    EXPECT_EQ(tooLong(0), 1) << orders.findingsAt(0).join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(tooLong(1), 0);

    // Enter on the list takes the file's orders: both ribbons, the first selected.
    panel->list()->setFocus();
    QTest::keyClick(panel->list(), Qt::Key_Return);
    Settle();
    ASSERT_EQ(form->JobCount(), 2) << StatusText().toStdString();
    EXPECT_EQ(form->currentJob(), form->JobAt(0));
    EXPECT_EQ(form->JobAt(0)->TextLeft.lines(), QStringList{kLongText});
    EXPECT_EQ(form->JobAt(1)->TextRight.lines(), QStringList{QStringLiteral("Familie Meier")});
    EXPECT_TRUE(InFolder(QStringLiteral("Uebernommen")));
    EXPECT_FALSE(InFolder(QString()));
}

TEST_F(OrderPanelTest, AnOrderClaimedElsewhereIsLeftAlone) {
    StartWindow();
    OrderInbox other(inbox, QStringLiteral("anderer-1"));
    QString error;
    ASSERT_TRUE(other.prepare(&error)) << error.toStdString();
    ASSERT_TRUE(other.claim(QStringLiteral("auftraege.csv"), &error)) << error.toStdString();

    // Before this window has looked again, as a click in that moment would.
    panel->findChild<QPushButton *>(QStringLiteral("BtnOrderTakeOver"))->click();
    EXPECT_TRUE(StatusText().contains(
        QStringLiteral("wurde schon von einem anderen Arbeitsplatz genommen")))
        << StatusText().toStdString();
    EXPECT_EQ(form->JobCount(), 1);
    EXPECT_TRUE(InFolder(QStringLiteral("In Arbeit/anderer-1")));
    EXPECT_FALSE(InFolder(QStringLiteral("Uebernommen")));
}

TEST_F(OrderPanelTest, PrintingMovesTheOrderOnlyOnceItPrinted) {
    StartWindow();
    auto *print = panel->findChild<QPushButton *>(QStringLiteral("BtnOrderPrint"));

    // The range question cancelled: nothing printed, the order back in the inbox.
    print->click();
    Settle();
    EXPECT_TRUE(recorder->printedPages().empty());
    EXPECT_TRUE(InFolder(QString())) << StatusText().toStdString();
    EXPECT_TRUE(StatusText().contains(QStringLiteral("nicht gedruckt")));

    // "Ausgewählte Schleife" names none of the order's ribbons: no blank
    // page, said so, and the order waits.
    rangeAnswer = PrintRange{PrintRange::Selection, 1, 1};
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel->model()->orderCount() == 2; }, 10000));
    print->click();
    Settle();
    EXPECT_TRUE(recorder->pages().empty());
    EXPECT_EQ(informed, QStringList{QStringLiteral(
                            "Es ist keine Schleife ausgew\u00e4hlt. Es wurde nichts gedruckt.")});
    EXPECT_TRUE(InFolder(QString())) << StatusText().toStdString();

    rangeAnswer = PrintRange{PrintRange::All, 1, 2};
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel->model()->orderCount() == 2; }, 10000));
    panel->list()->setCurrentIndex(panel->model()->index(1, 0));
    print->click();
    Settle();
    EXPECT_EQ(recorder->printedPages().size(), 2u);
    EXPECT_EQ(form->JobCount(), 1) << "the ribbon list is not touched";
    EXPECT_TRUE(InFolder(QStringLiteral("Gedruckt"))) << StatusText().toStdString();
    EXPECT_FALSE(InFolder(QString()));
    const QString result = ResultFile();
    for (const char *line :
         {"Drucker=Aufzeichnung", "Seiten=2", "Schleifen=2", "Auftraege=4711, 4712"})
        EXPECT_TRUE(result.contains(QLatin1String(line))) << line << "\n" << result.toStdString();
}

// An order printed before is printed again only when the florist says so;
// "no" leaves it waiting in the inbox.
TEST_F(OrderPanelTest, AReprintIsAskedFor) {
    QDir().mkpath(inbox + QStringLiteral("/Gedruckt"));
    QFile earlier(inbox + QStringLiteral("/Gedruckt/frueher.csv.ergebnis.txt"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("Auftraege=4712\n");
    earlier.close();
    StartWindow();
    rangeAnswer = PrintRange{PrintRange::All, 1, 2};
    auto *print = panel->findChild<QPushButton *>(QStringLiteral("BtnOrderPrint"));

    print->click();
    Settle();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral(
        "Auftrag \u201e4712\u201c wurde schon gedruckt (Gedruckt/frueher.csv.ergebnis.txt). "
        "Noch einmal drucken?")))
        << questions[0].toStdString();
    EXPECT_TRUE(recorder->printedPages().empty());
    EXPECT_TRUE(InFolder(QString())) << StatusText().toStdString();

    reprint = true;
    ASSERT_TRUE(QTest::qWaitFor([this] { return panel->model()->orderCount() == 2; }, 10000));
    panel->list()->setCurrentIndex(panel->model()->index(0, 0));
    print->click();
    Settle();
    EXPECT_EQ(recorder->printedPages().size(), 2u);
    EXPECT_TRUE(InFolder(QStringLiteral("Gedruckt"))) << StatusText().toStdString();
}

}  // namespace
