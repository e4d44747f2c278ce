#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <optional>
#include <utility>
#include <vector>

#include "model/Job.h"
#include "print/PagePreview.h"
#include "print/RecordingPrinter.h"
#include "render/RenderState.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AppWindows.h"
#include "ui/DlgAbort.h"
#include "ui/PrintDialogs.h"
#include "ui/PrintFlow.h"
#include "ui/PrintPreviewDialog.h"
#include "ui/TextMemo.h"

namespace {

// The main window with a recording printer in place of the real one, and
// the range dialog and message boxes answered by the test.
class PrintCommandTest : public MainWindowFixture {
protected:
    void StartRecording(RecordingPrinter::Config config = {}) {
        form = std::make_unique<TMainForm>();
        auto printer = std::make_unique<RecordingPrinter>(std::move(config));
        recorder = printer.get();
        PrintFlow &flow = PrintFlow::of(form.get());
        flow.setPrinter(std::move(printer));
        flow.askRange = [this](PrintRange &range, int count, const QString &title) {
            offeredCount = count;
            rangeTitle = title;
            if (!rangeAnswer)
                return false;
            range = *rangeAnswer;
            return true;
        };
        flow.inform = [this](const QString &text) {
            messages << text;
            pagesWhenInformed.push_back(recorder->printedPages().size());
        };
        flow.warn = [this](const QString &text) { warnings << text; };
        flow.confirm = [this](const QString &text) {
            questions << text;
            return confirmAnswer;
        };
        flow.askRoll = [this](const QString &text) {
            rollQuestions << text;
            pagesWhenRollAsked.push_back(recorder->printedPages().size());
            return rollAnswer;
        };
        CreateAppWindows(*form);
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        Settle();
    }

    // A ribbon with a left text, appended as the new-ribbon commands do.
    void AddRibbon(int breite, const QString &text) {
        auto job = std::make_unique<TJob>();
        job->Breite = breite;
        job->FontName.set(QStringLiteral("Arial"));
        if (!text.isEmpty())
            job->TextLeft.set({text});
        form->AddJob(std::move(job));
        Settle();
    }

    // Widths of the ribbons that reached paper, one entry per printed sheet.
    std::vector<int> PrintedWidths() const {
        std::vector<int> widths;
        for (const auto *page : recorder->printedPages())
            widths.push_back(page->settings.paperWidth / 10);
        return widths;
    }

    void Print() {
        form->BtnPrintClick();
        Settle();
    }

    RecordingPrinter *recorder = nullptr;
    std::optional<PrintRange> rangeAnswer;
    int offeredCount = -1;
    QString rangeTitle;
    QStringList messages;
    std::vector<std::size_t> pagesWhenInformed;
    QStringList warnings;
    QStringList questions;
    bool confirmAnswer = true;
    QStringList rollQuestions;
    std::vector<std::size_t> pagesWhenRollAsked;
    bool rollAnswer = true;
};

const QString kWidthMessage = QStringLiteral(
    "\nDie Schleifen in der Vorschau sind unterschiedlich breit !\n"
    "Es werden nur die Schleifen mit gleicher Schleifenbreite gedruckt.");

TEST_F(PrintCommandTest, OneRibbonPrintsWithoutAskingForARange) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    AddRibbon(170, QStringLiteral("Ruhe sanft"));
    Print();
    EXPECT_EQ(offeredCount, -1);
    EXPECT_EQ(PrintedWidths(), std::vector<int>{170});
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("SBtnPrint")->isEnabled());
    EXPECT_FALSE(PrintFlow::of(form.get()).abortDialog().isVisible());

    // Ctrl+P prints as well, from the text too.
    auto *memo = Child<TextMemo>("MTextLeft");
    memo->setFocus();
    Settle();
    QTest::keyClick(memo, Qt::Key_P, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(PrintedWidths(), (std::vector<int>{170, 170}));
}

TEST_F(PrintCommandTest, OtherWidthsAreLeftOutAndReportedOnce) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    AddRibbon(170, QStringLiteral("eins"));
    AddRibbon(140, QStringLiteral("zwei"));
    AddRibbon(170, QStringLiteral("drei"));
    rangeAnswer = PrintRange{PrintRange::All, 1, 3};
    confirmAnswer = false;  // not width after width
    Print();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(rollQuestions.isEmpty());
    EXPECT_EQ(offeredCount, 3);
    EXPECT_EQ(rangeTitle, QStringLiteral("Drucken"));
    EXPECT_EQ(PrintedWidths(), (std::vector<int>{170, 170}));
    // Said once, naming the ribbon, before anything reached the paper.
    EXPECT_EQ(messages,
              QStringList{kWidthMessage + QStringLiteral("\n\nNicht gedruckt wird Schleife 2.")});
    EXPECT_EQ(pagesWhenInformed, std::vector<std::size_t>{0});

    // Ribbons 2 to 3: the second sets the width.
    messages.clear();
    pagesWhenInformed.clear();
    rangeAnswer = PrintRange{PrintRange::Pages, 2, 3};
    const size_t before = recorder->printedPages().size();
    Print();
    ASSERT_EQ(recorder->printedPages().size(), before + 1);
    EXPECT_EQ(recorder->printedPages().back()->settings.paperWidth, 1400);
    EXPECT_EQ(messages,
              QStringList{kWidthMessage + QStringLiteral("\n\nNicht gedruckt wird Schleife 3.")});
    EXPECT_EQ(pagesWhenInformed, std::vector<std::size_t>{before});
}

TEST_F(PrintCommandTest, EmptyRibbonsGoBeforeTheRangeIsOfferedAndTheSelectionIsClamped) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    for (int i = 0; i < 4; ++i)
        AddRibbon(150 + 5 * i, QStringLiteral("Text %1").arg(i));
    // Two more ribbons without text; the last of them stays selected.
    form->AddJob(std::make_unique<TJob>());
    Settle();
    ASSERT_EQ(form->JobCount(), 5);
    rangeAnswer = PrintRange{PrintRange::Selection, 1, 1};
    Print();
    EXPECT_EQ(offeredCount, 4);
    ASSERT_EQ(form->JobCount(), 4);
    // The selection at index 4 is clamped to the last ribbon, index 3, and
    // the editor shows that ribbon, not the first.
    EXPECT_EQ(PrintedWidths(), std::vector<int>{165});
    EXPECT_EQ(form->currentJob(), form->JobAt(3));
    EXPECT_EQ(Child<TextMemo>("MTextLeft")->lines(), QStringList{QStringLiteral("Text 3")});
}

TEST_F(PrintCommandTest, TextsThatDoNotFitAreAskedAboutOnceBeforePrinting) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    AddRibbon(170, QStringLiteral("Ruhe"));
    AddRibbon(170, QStringLiteral("In stiller Trauer und ewiger Dankbarkeit, deine Kinder"));
    AddRibbon(170, QStringLiteral("Unvergessen, in Liebe und Dankbarkeit von allen Enkeln"));
    rangeAnswer = PrintRange{PrintRange::All, 1, 3};
    confirmAnswer = false;
    Print();
    EXPECT_EQ(questions, QStringList{QStringLiteral(
                             "Bei 2 Schleifen passt der Text nicht: 2, 3. Trotzdem drucken?")});
    EXPECT_TRUE(recorder->pages().empty());

    questions.clear();
    confirmAnswer = true;
    rangeAnswer = PrintRange{PrintRange::Pages, 1, 1};
    Print();  // the fitting ribbon alone: nothing to ask
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(PrintedWidths(), std::vector<int>{170});
}

TEST_F(PrintCommandTest, PreviewShowsThePagesAndPrintsFromThere) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    AddRibbon(170, QStringLiteral("eins"));
    AddRibbon(140, QStringLiteral("zwei"));
    AddRibbon(170, QStringLiteral("drei"));
    int shown = -1;
    QString summary;
    WhenModal([&](QWidget *dialog) {
        auto *preview = qobject_cast<PrintPreviewDialog *>(dialog);
        ASSERT_NE(preview, nullptr);
        shown = int(preview->preview().pages().size());
        summary = dialog->findChild<QLabel *>(QStringLiteral("PreviewSummary"))->text();
        dialog->findChild<QPushButton *>(QStringLiteral("PreviewPrint"))->click();
    });
    rangeAnswer = PrintRange{PrintRange::All, 1, 3};
    Action("PrintPreview")->trigger();
    Settle();
    // Two widths are shown as they would print: one width after the other.
    EXPECT_EQ(shown, 3);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("3 Seiten"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Breite 140 mm: 1 Schleife")))
        << summary.toStdString();
    // "Drucken" ran the print command with the range of the preview, the
    // range not asked again; asked to, it printed width after width.
    EXPECT_EQ(PrintedWidths(), (std::vector<int>{170, 170, 140}));
    EXPECT_EQ(rollQuestions.size(), 1);

    // The range chosen for the preview is what it shows.
    rangeAnswer = PrintRange{PrintRange::Pages, 3, 3};
    WhenModal([&](QWidget *dialog) {
        shown = int(qobject_cast<PrintPreviewDialog *>(dialog)->preview().pages().size());
        dialog->findChild<QPushButton *>(QStringLiteral("PreviewClose"))->click();
    });
    Action("PrintPreview")->trigger();
    Settle();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(PrintedWidths().size(), 3u);
}

TEST_F(PrintCommandTest, SeveralWidthsPrintRollByRoll) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    AddRibbon(75, QStringLiteral("eins"));
    AddRibbon(50, QStringLiteral("zwei"));
    AddRibbon(75, QStringLiteral("drei"));
    AddRibbon(100, QStringLiteral("vier"));
    // A whole number of metres shows no decimals: "1 m", "0,5 m".
    const auto metresOf = [](std::int64_t mm) {
        QString text = QLocale(QLocale::German).toString(mm / 1000.0, 'f', 1);
        if (text.endsWith(QLatin1String(",0")))
            text.chop(2);
        return text;
    };
    const int length = form->JobAt(0)->Laenge;
    EXPECT_EQ(Child<QLabel>("RibbonMetres")->text().toStdString(),
              QStringLiteral("75 mm: %1 m \u00b7 50 mm: %2 m \u00b7 100 mm: %3 m")
                  .arg(metresOf(length + form->JobAt(2)->Laenge), metresOf(form->JobAt(1)->Laenge),
                       metresOf(form->JobAt(3)->Laenge))
                  .toStdString());
    const QString metres = metresOf(length);

    rangeAnswer = PrintRange{PrintRange::All, 1, 4};
    Print();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("Breite 50 mm: 1 Schleife")));
    // Three widths, in the order of their first ribbon; two roll changes,
    // each asked once the width before is on paper.
    EXPECT_EQ(PrintedWidths(), (std::vector<int>{75, 75, 50, 100}));
    EXPECT_EQ(
        rollQuestions,
        (QStringList{
            QStringLiteral("Breite 50 mm: 1 Schleife, %1 m. Rolle einlegen und OK").arg(metres),
            QStringLiteral("Breite 100 mm: 1 Schleife, %1 m. Rolle einlegen und OK").arg(metres)}));
    EXPECT_EQ(pagesWhenRollAsked, (std::vector<std::size_t>{2, 3}));
    EXPECT_TRUE(messages.isEmpty());  // nobody left out

    // "Abbrechen" at a roll change ends the print there.
    rollQuestions.clear();
    rollAnswer = false;
    Print();
    EXPECT_EQ(rollQuestions.size(), 1);
    EXPECT_EQ(PrintedWidths().size(), 6u);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("SBtnPrint")->isEnabled());
}

TEST_F(PrintCommandTest, PreviewCaptionsKeepApartAndTheKeysMoveThroughThePages) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    StartRecording();
    for (int i = 0; i < 4; ++i)
        AddRibbon(170, QStringLiteral("Ruhe %1").arg(i));
    rangeAnswer = PrintRange{PrintRange::All, 1, 4};
    int pages = 0;
    WhenModal([&](QWidget *dialog) {
        auto *preview = qobject_cast<PrintPreviewDialog *>(dialog);
        ASSERT_NE(preview, nullptr);
        pages = int(preview->preview().pages().size());
        // Zoomed out as far as it goes, each caption keeps to its own room.
        preview->setZoom(0.01);
        for (int i = 0; i < pages; ++i) {
            const QRect caption = preview->captionRect(i);
            EXPECT_LE(preview->fontMetrics().horizontalAdvance(preview->captionText(i)),
                      caption.width())
                << i;
            EXPECT_FALSE(preview->captionText(i).isEmpty());
            if (i + 1 < pages) {
                EXPECT_LT(caption.right(), preview->captionRect(i + 1).left()) << i;
            }
        }
        // Zoomed in, End, Home and the page keys bring the pages into view.
        preview->setZoom(3.0);
        Settle();
        auto *scroll = dialog->findChild<QScrollArea *>(QStringLiteral("PreviewPages"));
        const auto inView = [&](int page) {
            const int left = scroll->horizontalScrollBar()->value();
            const QRect rect = preview->pageRect(page);
            return rect.left() >= left && rect.left() < left + scroll->viewport()->width();
        };
        const std::pair<Qt::Key, int> steps[] = {{Qt::Key_End, pages - 1},
                                                 {Qt::Key_Home, 0},
                                                 {Qt::Key_PageDown, 1},
                                                 {Qt::Key_PageDown, 2},
                                                 {Qt::Key_PageUp, 1}};
        for (const auto &[key, page] : steps) {
            QTest::keyClick(dialog, key);
            EXPECT_EQ(preview->currentPage(), page) << key;
            EXPECT_TRUE(inView(page)) << key;
        }
        dialog->findChild<QPushButton *>(QStringLiteral("PreviewClose"))->click();
    });
    Action("PrintPreview")->trigger();
    Settle();
    EXPECT_EQ(pages, 4);
    EXPECT_EQ(rangeTitle, QStringLiteral("Seitenvorschau"));
}

TEST(RibbonNumbersTest, ListsTheNumbersAndCutsALongList) {
    QList<int> many;
    for (int i = 1; i <= 25; ++i)
        many << i;
    const std::pair<QList<int>, QString> cases[] = {
        {{}, QString()},
        {{7}, QStringLiteral("7")},
        {{2, 5, 7}, QStringLiteral("2, 5, 7")},
        {many, QStringLiteral("1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, "
                              "19, 20, \u2026")},
    };
    for (const auto &[numbers, text] : cases)
        EXPECT_EQ(RibbonNumbers(numbers), text);
    EXPECT_EQ(UnfittingRibbonsQuestion({4}),
              QStringLiteral("Bei 1 Schleife passt der Text nicht: 4. Trotzdem drucken?"));
    // A face without a letter of the text is no text too long: said as it is.
    EXPECT_EQ(UnfittingRibbonsQuestion({}, {2, 5}),
              QStringLiteral("Bei 2 Schleifen hat die Schrift nicht alle Buchstaben des Textes: "
                             "2, 5. Trotzdem drucken?"));
    EXPECT_EQ(UnfittingRibbonsQuestion({4}, {2}),
              QStringLiteral("Bei 1 Schleife passt der Text nicht: 4. Bei 1 Schleife hat die "
                             "Schrift nicht alle Buchstaben des Textes: 2. Trotzdem drucken?"));
}

TEST_F(PrintCommandTest, CancelledRangePrintsNothing) {
    StartRecording();
    AddRibbon(170, QStringLiteral("a"));
    AddRibbon(170, QStringLiteral("b"));
    rangeAnswer.reset();
    Print();
    EXPECT_TRUE(recorder->pages().empty());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("SBtnPrint")->isEnabled());
}

TEST_F(PrintCommandTest, UnknownMethodePrintsNothingAndSaysNothing) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 7);
    StartRecording();
    AddRibbon(170, QStringLiteral("a"));
    Print();
    EXPECT_TRUE(recorder->pages().empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(Child<QToolButton>("SBtnPrint")->isEnabled());
}

TEST_F(PrintCommandTest, InternalLeadingIsReadForEveryRun) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("InternalLeading"), 3);
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 7);
    StartRecording();
    AddRibbon(170, QStringLiteral("a"));
    Print();
    EXPECT_EQ(form->DrawingContext().InternalLeadingDivisor, 3);
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("InternalLeading"), 5);
    EXPECT_EQ(form->DrawingContext().InternalLeadingDivisor, 5);
}

TEST_F(PrintCommandTest, CancelInTheMiddleOfARibbon) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 1);
    RecordingPrinter::Config config;
    config.marginMm = 8.5;
    StartRecording(config);
    AddRibbon(170, QStringLiteral("lang"));  // 1000 mm: four pages of 280 mm
    int pagesSeen = 0;
    recorder->setAbortCheck([this, &pagesSeen] {
        QCoreApplication::processEvents();
        if (++pagesSeen == 2) {
            // The florist presses "Abbrechen" while the second page is spooled.
            TDlgPrinterAbort &dialog = PrintFlow::of(form.get()).abortDialog();
            ASSERT_TRUE(dialog.isVisible());
            EXPECT_FALSE(form->isEnabled());
            QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        }
    });
    Print();
    EXPECT_EQ(recorder->pages().size(), 2u);
    EXPECT_TRUE(recorder->printedPages().empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(Child<QToolButton>("SBtnPrint")->isEnabled());
    EXPECT_FALSE(PrintFlow::of(form.get()).abortDialog().isVisible());
}

TEST_F(PrintCommandTest, StartUpPicksTheStoredPrinterWithoutRegardToCase) {
    Settings().writeString(QStringLiteral("Drucker"), QStringLiteral("Name"),
                           QStringLiteral("laser im büro"));
    RecordingPrinter::Config config;
    config.printers = {QStringLiteral("Etiketten"), QStringLiteral("Laser im Büro"),
                       QStringLiteral("PDF")};
    config.defaultIndex = 2;
    StartRecording(config);
    EXPECT_EQ(recorder->printerIndex(), 1);
    EXPECT_EQ(form->JobCount(), 1);
}

TEST_F(PrintCommandTest, StartUpFallsBackToTheDefaultAndShutDownStoresTheName) {
    Settings().writeString(QStringLiteral("Drucker"), QStringLiteral("Name"),
                           QStringLiteral("Verschwunden"));
    RecordingPrinter::Config config;
    config.printers = {QStringLiteral("Etiketten"), QStringLiteral("PDF")};
    config.defaultIndex = 1;
    StartRecording(config);
    EXPECT_EQ(recorder->printerIndex(), 1);
    EXPECT_EQ(form->JobCount(), 1);  // the first ribbon is made all the same
    recorder->selectPrinter(0);
    Close();
    EXPECT_EQ(Settings().readString(QStringLiteral("Drucker"), QStringLiteral("Name")),
              QStringLiteral("Etiketten"));
}

TEST_F(PrintCommandTest, NoPrinterAtAllStillGivesAFirstRibbon) {
    RecordingPrinter::Config config;
    config.printers.clear();
    StartRecording(config);
    EXPECT_EQ(warnings, QStringList{QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt")});
    EXPECT_EQ(form->JobCount(), 1);
}

TEST_F(PrintCommandTest, UnwritableSettingsStillSaveThePhrases) {
    Settings().writeString(QStringLiteral("Drucker"), QStringLiteral("Name"),
                           QStringLiteral("PDF"));
    const QByteArray settingsBefore = data.readFile(QStringLiteral("RIBOLANT.INI"));
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), "b\r\nA\r\n");
    QFile::setPermissions(data.filePath(QStringLiteral("RIBOLANT.INI")), QFile::ReadOwner);
    StartRecording();
    QString shown;
    WhenModal([&shown](QWidget *box) {
        shown = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
        box->close();
    });
    Close();
    EXPECT_EQ(shown, QStringLiteral("In %1 kann nicht geschrieben werden")
                         .arg(data.filePath(QStringLiteral("RIBOLANT.INI"))));
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray("A\r\nb\r\n"));
    QFile::setPermissions(data.filePath(QStringLiteral("RIBOLANT.INI")),
                          QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.INI")), settingsBefore);
}

}  // namespace
