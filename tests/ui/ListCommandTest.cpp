#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AppWindows.h"
#include "ui/TextField.h"
#include "ui/TextMemo.h"

namespace {

class ListCommandTest : public MainWindowFixture {
protected:
    // Gives the current ribbon a text and makes the next one.
    void TextAndNew(const QString &text) {
        TypeInto(Child<TextMemo>("MTextLeft"), text);
        Child<QToolButton>("SBtnNew")->click();
        Settle();
    }
};

TEST_F(ListCommandTest, FirstRibbonTakesTheControlsInitialValues) {
    Start();
    const TJob *job = form->currentJob();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job, form->JobAt(0));
    EXPECT_EQ(job->Laenge, 1000);
    EXPECT_EQ(job->Breite, 150);
    EXPECT_EQ(job->Rand, 30);
    EXPECT_EQ(job->FontGroesse, 80);
    EXPECT_EQ(job->BildBreiteLinks, 40);
    EXPECT_EQ(job->BildBreiteRechts, 40);
    EXPECT_EQ(job->BildAbstandLinks, 30);
    EXPECT_EQ(job->BildAbstandRechts, 30);
    EXPECT_EQ(job->FontFarbe, 0x00000000u);
    EXPECT_EQ(job->Stil, Align);
    EXPECT_FALSE(job->Flip);
    EXPECT_FALSE(job->Shadow);
    EXPECT_TRUE(job->TextLeft.isEmpty());
    EXPECT_TRUE(job->Kommission.isEmpty());
    EXPECT_EQ(job->FontName.str(), Child<QComboBox>("CBFontName")->currentText());
    EXPECT_FALSE(job->FontName.isEmpty());
    // Ready for typing.
    EXPECT_EQ(QApplication::focusWidget(), Child<TextMemo>("MTextLeft"));
}

// On a busy machine keys come before anything the window posted at its
// creation has run: they go into the first ribbon's left text, and the
// start-up that follows neither drops nor selects them.
TEST_F(ListCommandTest, TextTypedBeforeTheStartUpHasRunIsKept) {
    form = std::make_unique<TMainForm>();
    CreateAppWindows(*form);
    QWidget *focus = form->focusWidget();
    ASSERT_NE(focus, nullptr);
    for (const QChar ch : QStringLiteral("In Liebe")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(focus, &press);
    }
    form->show();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Settle();
    TypeInto(QApplication::focusWidget(), QStringLiteral(" und Dank"));
    ASSERT_EQ(form->JobCount(), 1);
    EXPECT_EQ(form->JobAt(0)->TextLeft.lines(), QStringList{QStringLiteral("In Liebe und Dank")});
    EXPECT_EQ(Child<TextMemo>("MTextLeft")->toPlainText(), QStringLiteral("In Liebe und Dank"));
}

TEST_F(ListCommandTest, NewRibbonReplacesAnEmptyCurrentOne) {
    Start();
    Child<QSpinBox>("edBreite")->setValue(120);
    TypeInto(Child<TextField>("edKommission"), QStringLiteral("Fam. Huber"));
    Child<QToolButton>("SBtnNew")->click();
    Settle();
    EXPECT_EQ(form->JobCount(), 1);
    const TJob *job = form->currentJob();
    EXPECT_EQ(job, form->JobAt(0));
    EXPECT_EQ(job->Breite, 120) << "the layout carries over";
    EXPECT_TRUE(job->Kommission.isEmpty());
    EXPECT_TRUE(Child<TextField>("edKommission")->text().isEmpty());
}

TEST_F(ListCommandTest, RibbonWithOnlyALineBreakCountsAsText) {
    Start();
    QTest::keyClick(Child<TextMemo>("MTextLeft"), Qt::Key_Return);
    EXPECT_EQ(form->currentJob()->TextLeft.size(), 1);
    Child<QToolButton>("SBtnNew")->click();
    Settle();
    EXPECT_EQ(form->JobCount(), 2);
}

TEST_F(ListCommandTest, DeletingTheSecondOfThreeSelectsTheThird) {
    Start();
    TextAndNew(QStringLiteral("A"));
    TextAndNew(QStringLiteral("B"));
    TypeInto(Child<TextMemo>("MTextLeft"), QStringLiteral("C"));
    ASSERT_EQ(form->JobCount(), 3);
    const TJob *third = form->JobAt(2);

    ClickJobRow(1);
    ASSERT_EQ(form->currentJob(), form->JobAt(1));
    EXPECT_EQ(Child<TextMemo>("MTextLeft")->toPlainText(), QStringLiteral("B"));
    Child<QToolButton>("SBtnDelete")->click();
    Settle();
    EXPECT_EQ(form->JobCount(), 2);
    EXPECT_EQ(form->currentJob(), third);
    EXPECT_EQ(Child<TextMemo>("MTextLeft")->toPlainText(), QStringLiteral("C"));

    // The last one selects the one before it; the only one leaves nothing.
    Action("Delete")->trigger();
    Settle();
    EXPECT_EQ(form->JobCount(), 1);
    EXPECT_EQ(Child<TextMemo>("MTextLeft")->toPlainText(), QStringLiteral("A"));
    Action("Delete")->trigger();
    Settle();
    EXPECT_EQ(form->JobCount(), 0);
    EXPECT_EQ(form->currentJob(), nullptr);
    EXPECT_TRUE(Child<TextMemo>("MTextLeft")->toPlainText().isEmpty());
    EXPECT_FALSE(Child<TextMemo>("MTextLeft")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("SBtnDelete")->isEnabled());
    // Deleting again does nothing.
    Action("Delete")->trigger();
    EXPECT_EQ(form->JobCount(), 0);
}

TEST_F(ListCommandTest, SelectingARibbonWritesTheOldOneFirst) {
    Start();
    TextAndNew(QStringLiteral("Erste"));
    TypeInto(Child<TextMemo>("MTextLeft"), QStringLiteral("Zweite"));
    Child<QSpinBox>("edBreite")->setValue(100);
    ClickJobRow(0);
    EXPECT_EQ(form->JobAt(1)->Breite, 100);
    EXPECT_EQ(Child<QSpinBox>("edBreite")->value(), 150);
    EXPECT_EQ(Child<TextMemo>("MTextLeft")->toPlainText(), QStringLiteral("Erste"));
}

TEST_F(ListCommandTest, InsertAndDeleteKeysWorkOnlyInTheRibbonList) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("ab"));
    memo->moveCursor(QTextCursor::Start);
    QTest::keyClick(memo, Qt::Key_Delete);
    EXPECT_EQ(form->JobCount(), 1);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("b"));

    auto *list = Child<QListView>("LBJobs");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Insert);
    Settle();
    EXPECT_EQ(form->JobCount(), 2);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
    Settle();
    EXPECT_EQ(form->JobCount(), 1);
    EXPECT_EQ(form->currentJob()->TextLeft.lines(), QStringList{QStringLiteral("b")});
}

TEST_F(ListCommandTest, SixteenFormatsGiveFifteenNumberedEntries) {
    for (int i = 0; i < 16; ++i)
        StoreFormat(i, QStringLiteral("Format %1").arg(i), nullptr);
    StoreFormatCount(16);
    Start();
    const QStringList entries = FormatEntryTexts();
    ASSERT_EQ(entries.size(), 15);
    EXPECT_EQ(entries.first(), QStringLiteral("&1 Format 0"));
    EXPECT_EQ(entries.last(), QStringLiteral("&15 Format 14"));

    // The menu reads: the form's items (the page preview last), the entries
    // between two separators.
    const QList<QAction *> items = form->findChild<QMenu *>(QStringLiteral("MenuDatei"))->actions();
    const qsizetype first =
        items.indexOf(form->findChild<QAction *>(QStringLiteral("PrintPreview"))) + 2;
    ASSERT_LT(first + 16, items.size());
    EXPECT_TRUE(items.at(first - 1)->isSeparator());
    EXPECT_EQ(items.at(first)->text(), entries.first());
    EXPECT_TRUE(items.at(first + 15)->isSeparator());
    EXPECT_EQ(items.at(first + 16)->objectName(), QStringLiteral("Beenden1"));
}

TEST_F(ListCommandTest, FormatEntryMakesARibbonInThatFormat) {
    StoreFormat(0, QStringLiteral("Trauer"), [](TJob &job) {
        job.Breite = 200;
        job.Stil = Center;
    });
    StoreFormatCount(1);
    Start();
    const QStringList entries = FormatEntryTexts();
    ASSERT_EQ(entries, QStringList{QStringLiteral("&1 Trauer")});
    for (QAction *action : form->findChild<QMenu *>(QStringLiteral("MenuDatei"))->actions()) {
        if (action->text() == entries.first())
            action->trigger();
    }
    Settle();
    EXPECT_EQ(form->JobCount(), 1) << "the empty first ribbon made room";
    EXPECT_EQ(form->currentJob()->Name.str(), QStringLiteral("Trauer"));
    EXPECT_EQ(form->currentJob()->Breite, 200);
    EXPECT_EQ(Child<QSpinBox>("edBreite")->value(), 200);
    EXPECT_TRUE(Child<QToolButton>("SBtnCenter")->isChecked());
}

TEST_F(ListCommandTest, StoringUnderAnExistingNameInOtherCaseOverwritesIt) {
    StoreFormat(0, QStringLiteral("Trauer"), [](TJob &job) { job.Breite = 200; });
    StoreFormat(1, QStringLiteral("Hochzeit"), nullptr);
    StoreFormatCount(2);
    Start();
    Child<QSpinBox>("edBreite")->setValue(75);
    WhenModal([](QWidget *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("EDFormatName"));
        name->setText(QStringLiteral("TRAUER"));
        dialog->findChild<QPushButton *>(QStringLiteral("BtnOK"))->click();
    });
    Action("FormatKeep")->trigger();
    Settle();
    EXPECT_EQ(FormatEntryTexts(),
              (QStringList{QStringLiteral("&1 Trauer"), QStringLiteral("&2 Hochzeit")}));

    // A new name appends; shut-down writes them all.
    WhenModal([](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("EDFormatName"))
            ->setText(QStringLiteral("Geburt"));
        dialog->findChild<QPushButton *>(QStringLiteral("BtnOK"))->click();
    });
    Action("FormatKeep")->trigger();
    Settle();
    EXPECT_EQ(FormatEntryTexts().size(), 3);
    Close();
    SettingsFile written(data.filePath(QStringLiteral("RIBOLANT.INI")));
    EXPECT_EQ(written.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), -1), 3);
    EXPECT_EQ(written.readString(QStringLiteral("Format0"), QStringLiteral("Name")),
              QStringLiteral("TRAUER"));
    EXPECT_EQ(written.readInteger(QStringLiteral("Format0"), QStringLiteral("Breite"), -1), 75);
    EXPECT_EQ(written.readString(QStringLiteral("Format2"), QStringLiteral("Name")),
              QStringLiteral("Geburt"));
}

TEST_F(ListCommandTest, MenuItemsNeedACurrentRibbon) {
    Start();
    auto *menu = form->findChild<QMenu *>(QStringLiteral("MenuFormat"));
    emit menu->aboutToShow();
    EXPECT_TRUE(Action("Textfarbe1")->isEnabled());
    EXPECT_TRUE(Action("FormatKeep")->isEnabled());
    EXPECT_TRUE(Action("Delete")->isEnabled());
    Action("Delete")->trigger();
    emit menu->aboutToShow();
    EXPECT_FALSE(Action("Textfarbe1")->isEnabled());
    EXPECT_FALSE(Action("FormatKeep")->isEnabled());
    EXPECT_FALSE(Action("Delete")->isEnabled());
    EXPECT_TRUE(Action("FileNew")->isEnabled());
}

TEST_F(ListCommandTest, ClosingKeepsNoRibbonAndSavesThePhrases) {
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), QByteArray("b\r\nA\r\nc\r\n"));
    Start();
    TextAndNew(QStringLiteral("Ruhe sanft"));
    Close();
    EXPECT_EQ(form->JobCount(), 0);
    EXPECT_EQ(form->currentJob(), nullptr);
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray("A\r\nb\r\nc\r\n"));
}

}  // namespace
