#include <QAction>
#include <QListWidget>
#include <QTest>

#include "model/Job.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/TextMemo.h"

namespace {

class PhraseTest : public MainWindowFixture {
protected:
    TextMemo *Left() { return Child<TextMemo>("MTextLeft"); }
    TextMemo *Right() { return Child<TextMemo>("MTextRight"); }
    QListWidget *List() { return Child<QListWidget>("LBTexte"); }

    // Ctrl held while a mouse button goes down in the memo.
    void StoreWithCtrlClick(TextMemo *memo, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(memo->viewport(), button, Qt::ControlModifier, QPoint(5, 5));
        QTest::mouseRelease(memo->viewport(), button, Qt::ControlModifier, QPoint(5, 5));
        Settle();
    }

    QStringList Listed() {
        QStringList items;
        for (int i = 0; i < List()->count(); ++i)
            items.append(List()->item(i)->text());
        return items;
    }

    // Leaves `memo` for the phrase list, which makes it the target of the
    // next insertion.
    void LeaveForTheList(TextMemo *memo) {
        memo->setFocus();
        Settle();
        List()->setFocus();
        Settle();
    }

    void InsertRow(int row) {
        List()->setCurrentRow(row);
        const QRect item = List()->visualItemRect(List()->item(row));
        DoubleClick(List()->viewport(), item.center());
    }
};

TEST_F(PhraseTest, TwoLinesStoredInOneMemoComeBackAsTwoLinesInTheOther) {
    Start();
    TypeInto(Left(), QStringLiteral("In Liebe"));
    QTest::keyClick(Left(), Qt::Key_Return);
    TypeInto(Left(), QStringLiteral("Deine Anna"));
    StoreWithCtrlClick(Left());
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("In Liebe\\\\Deine Anna")});
    // Kept a moment later, before any close: a crash must not cost it.
    QTRY_COMPARE_WITH_TIMEOUT(data.readFile(QStringLiteral("RIBOLANT.TXT")),
                              QByteArray("In Liebe\\\\Deine Anna\r\n"), 10000);

    // A plain click stores nothing.
    TypeInto(Right(), QStringLiteral("Ruhe sanft"));
    QTest::mouseClick(Right()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(List()->count(), 1);

    LeaveForTheList(Right());
    InsertRow(0);
    EXPECT_EQ(Right()->toPlainText(), QStringLiteral("In Liebe\nDeine Anna"));
    EXPECT_EQ(form->currentJob()->TextRight.lines(),
              (QStringList{QStringLiteral("In Liebe"), QStringLiteral("Deine Anna")}));
    EXPECT_EQ(QApplication::focusWidget(), Right());
    EXPECT_EQ(Left()->toPlainText(), QStringLiteral("In Liebe\nDeine Anna"));
}

TEST_F(PhraseTest, CtrlClickRightAfterAnotherClickStillStores) {
    Start();
    TypeInto(Left(), QStringLiteral("Ruhe sanft"));
    QTest::mouseClick(Left()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    // The second click comes quickly: the window system reports a double click.
    QTest::mouseDClick(Left()->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("Ruhe sanft")});
}

TEST_F(PhraseTest, SameTextInAnyLetterCaseAndTheEmptyTextAreStoredOnce) {
    Start();
    StoreWithCtrlClick(Left());
    StoreWithCtrlClick(Left(), Qt::RightButton);
    EXPECT_EQ(Listed(), QStringList{QString()});

    TypeInto(Left(), QStringLiteral("Ruhe sanft"));
    StoreWithCtrlClick(Left());
    Left()->setPlainText(QStringLiteral("RUHE SANFT"));
    StoreWithCtrlClick(Left(), Qt::MiddleButton);
    EXPECT_EQ(Listed(), (QStringList{QString(), QStringLiteral("Ruhe sanft")}));
}

TEST_F(PhraseTest, FullMemoIsStoredAsItsFirst255Characters) {
    Start();
    const QString full = QString(200, QLatin1Char('a')) + QString(56, QLatin1Char('b'));
    Left()->setPlainText(full);
    ASSERT_EQ(Left()->toPlainText(), full);
    StoreWithCtrlClick(Left());
    EXPECT_EQ(Listed(), QStringList{full.left(255)});
}

TEST_F(PhraseTest, TypedBackslashPairBecomesALineBreakOnInsertion) {
    Start();
    TypeInto(Left(), QStringLiteral("Gott\\\\befohlen\\\\\\Ende"));
    StoreWithCtrlClick(Left());
    Left()->clear();
    // Nothing was left for the list yet: the phrase goes into the left memo.
    List()->setFocus();
    InsertRow(0);
    EXPECT_EQ(Left()->toPlainText(), QStringLiteral("Gott\nbefohlen\n\\Ende"));
    EXPECT_EQ(form->currentJob()->TextLeft.size(), 3);
}

TEST_F(PhraseTest, EnterInsertsAndDeleteKeepsASelectionWherePossible) {
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), QByteArray("b\r\nA\r\nc\r\n"));
    Start();
    EXPECT_EQ(Listed(),
              (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")}));
    List()->setFocus();
    List()->setCurrentRow(1);
    QTest::keyClick(List(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(Left()->toPlainText(), QStringLiteral("b"));

    // The last phrase deleted: the new last one is selected.
    List()->setFocus();
    List()->setCurrentRow(2);
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(Listed(), (QStringList{QStringLiteral("A"), QStringLiteral("b")}));
    EXPECT_EQ(List()->currentRow(), 1);
    EXPECT_TRUE(List()->currentItem()->isSelected());

    // In the middle the next one moves up into the place.
    List()->setCurrentRow(0);
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(Listed(), QStringList{QStringLiteral("b")});
    EXPECT_EQ(List()->currentRow(), 0);

    // The only one deleted leaves an empty list, and Del then does nothing.
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_TRUE(Listed().isEmpty());
    QTest::keyClick(List(), Qt::Key_Delete);
    QTest::keyClick(List(), Qt::Key_Return);
    EXPECT_EQ(Left()->toPlainText(), QStringLiteral("b"));

    Close();
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray());
}

TEST_F(PhraseTest, DisabledTargetMemoIgnoresTheList) {
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), QByteArray("Unvergessen\r\n"));
    Start();
    LeaveForTheList(Right());
    // Without a ribbon both memos are disabled.
    Action("Delete")->trigger();
    Settle();
    ASSERT_FALSE(Right()->isEnabled());
    InsertRow(0);
    QTest::keyClick(List(), Qt::Key_Return);
    EXPECT_TRUE(Right()->toPlainText().isEmpty());
    EXPECT_EQ(form->JobCount(), 0);
}

TEST_F(PhraseTest, CompatibilityModeKeepsPhrasesOutOfTheDisabledRightMemo) {
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), QByteArray("Unvergessen\r\n"));
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    Start();
    const QString notice = Right()->toPlainText();
    // Focus cannot rest in the disabled memo: the left one stays the target.
    LeaveForTheList(Right());
    InsertRow(0);
    EXPECT_EQ(Right()->toPlainText(), notice);
    EXPECT_EQ(Left()->toPlainText(), QStringLiteral("Unvergessen"));
    EXPECT_TRUE(form->currentJob()->TextRight.isEmpty());
}

}  // namespace
