#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "model/Job.h"
#include "print/RecordingPrinter.h"
#include "spell/UserDictionary.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AppWindows.h"
#include "ui/PrintFlow.h"
#include "ui/SpellSupport.h"
#include "ui/TextMemo.h"

namespace {

class SpellingTest : public MainWindowFixture {
protected:
    SpellingSupport &Spelling() {
        SpellingSupport *spelling = SpellingSupport::of(form.get());
        EXPECT_NE(spelling, nullptr);
        spelling->waitForDictionary();
        return *spelling;
    }

    // The words of the memo's first line drawn with the wavy line.
    static QStringList Underlined(TextMemo *memo) {
        QStringList words;
        const QTextBlock block = memo->document()->firstBlock();
        for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                words << block.text().mid(range.start, range.length);
        }
        return words;
    }

    // The context menu's spelling actions for the word at a text position.
    static QStringList MenuFor(SpellingSupport &spelling, TextMemo *memo, int position,
                               QMenu &menu) {
        QTextCursor cursor(memo->document());
        cursor.setPosition(position);
        spelling.addWordActions(&menu, memo, memo->cursorRect(cursor).center());
        QStringList texts;
        for (QAction *action : menu.actions())
            texts << action->text();
        return texts;
    }

    static QAction *Find(QMenu &menu, const QString &text) {
        for (QAction *action : menu.actions()) {
            if (action->text() == text)
                return action;
        }
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }
};

TEST_F(SpellingTest, MemoUnderlinesUnknownWordsAndItsMenuMendsThem) {
    Start();
    SpellingSupport &spelling = Spelling();
    auto *memo = Child<TextMemo>("MTextLeft");
    memo->setFocus();
    TypeInto(memo, QStringLiteral("Ruhe sanft Tr\u00E4uer Wojciechowski"));
    EXPECT_EQ(Underlined(memo),
              (QStringList{QStringLiteral("Tr\u00E4uer"), QStringLiteral("Wojciechowski")}));

    QMenu menu;
    const QStringList texts = MenuFor(spelling, memo, 13, menu);
    EXPECT_TRUE(texts.contains(QStringLiteral("Trauer")));
    EXPECT_LE(texts.indexOf(QStringLiteral("Zum W\u00F6rterbuch hinzuf\u00FCgen")),
              SpellingSupport::MaxSuggestions + 1);
    Find(menu, QStringLiteral("Trauer"))->trigger();
    Settle();
    EXPECT_EQ(form->currentJob()->TextLeft.lines(),
              QStringList{QStringLiteral("Ruhe sanft Trauer Wojciechowski")});

    QMenu second;
    MenuFor(spelling, memo, 20, second);
    Find(second, QStringLiteral("Zum W\u00F6rterbuch hinzuf\u00FCgen"))->trigger();
    Settle();
    EXPECT_TRUE(Underlined(memo).isEmpty());
    EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")), QByteArray("Wojciechowski\r\n"));

    // A known word has no spelling actions.
    QMenu none;
    EXPECT_TRUE(MenuFor(spelling, memo, 2, none).isEmpty());

    // Checking off: kept in RIBOLANT.INI, nothing underlined.
    TypeInto(memo, QStringLiteral(" Gruss"));
    EXPECT_EQ(Underlined(memo), QStringList{QStringLiteral("Gruss")});
    auto *off = form->findChild<QMenu *>(QStringLiteral("MenuRechtschreibung"))->actions().last();
    EXPECT_EQ(off->text(), QStringLiteral("&Aus"));
    off->trigger();
    Settle();
    EXPECT_TRUE(Underlined(memo).isEmpty());
    EXPECT_EQ(Settings().readString(QStringLiteral("General"), QStringLiteral("Rechtschreibung")),
              QStringLiteral("Aus"));
}

// The user's words come with the dictionary; of a huge file only the first
// are known, and the status bar says so.
TEST_F(SpellingTest, AHugeUserDictionaryIsReadInPartAndSaysSo) {
    // Made-up words of letters (numbers are not checked): "Qxaaaa", "Qxbaaa", ...
    const auto word = [](qsizetype i) {
        QString made = QStringLiteral("Qx");
        for (int place = 0; place < 4; ++place, i /= 26)
            made += QChar(u'a' + int(i % 26));
        return made;
    };
    QByteArray words;
    for (qsizetype i = 0; i <= MaxUserWords; ++i)
        words += word(i).toLatin1() + "\r\n";
    data.writeFile(QStringLiteral("Woerterbuch.txt"), words);
    Start();
    Spelling();
    Settle();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, word(0) + QLatin1Char(' ') + word(MaxUserWords));
    EXPECT_EQ(Underlined(memo), QStringList{word(MaxUserWords)});
    EXPECT_EQ(Child<QLabel>("DataNote")->text(), UserWordsCappedMessage(MaxUserWords));
}

TEST_F(SpellingTest, PrintAsksOnceNamingTheUnknownWords) {
    form = std::make_unique<TMainForm>();
    auto printer = std::make_unique<RecordingPrinter>(RecordingPrinter::Config{});
    RecordingPrinter *recorder = printer.get();
    PrintFlow &flow = PrintFlow::of(form.get());
    flow.setPrinter(std::move(printer));
    flow.askRange = [](PrintRange &, int, const QString &) { return true; };
    QStringList questions;
    bool answer = false;
    flow.confirm = [&](const QString &text) {
        questions << text;
        return answer;
    };
    CreateAppWindows(*form);
    form->show();
    Settle();
    for (const char *text :
         {"In stiller Tr\u00E4uer", "Ein letzter Gruss", "Gruss und Tr\u00E4uer"}) {
        auto job = std::make_unique<TJob>();
        job->TextRight.set({QString::fromUtf8(text)});
        form->AddJob(std::move(job));
    }
    Settle();

    form->BtnPrintClick();
    Settle();
    EXPECT_EQ(questions,
              QStringList{QStringLiteral("Unbekannte W\u00F6rter in den Schleifen 1, "
                                         "2, 3: Tr\u00E4uer, Gruss. Trotzdem drucken?")});
    EXPECT_TRUE(recorder->printedPages().empty());

    answer = true;
    form->BtnPrintClick();
    Settle();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_FALSE(recorder->printedPages().empty());

    EXPECT_EQ(SpellingSupport::PrintQuestion({"A1", "A2", "A3", "A4", "A5", "A6", "A7"}, {4}),
              QStringLiteral("Unbekannte W\u00F6rter in Schleife 4: A1, A2, A3, A4, A5 und 2 "
                             "weitere. Trotzdem drucken?"));
}

}  // namespace
