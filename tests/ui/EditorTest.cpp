#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolButton>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/JobEditor.h"
#include "ui/TextField.h"
#include "ui/TextMemo.h"
#include "ui/TextRefusal.h"

namespace {

class EditorTest : public MainWindowFixture {
protected:
    // Makes a ribbon in stored format `index` through its "&Datei" entry.
    void ChooseFormat(int index) {
        const auto *menu = form->findChild<QMenu *>(QStringLiteral("MenuDatei"));
        const QString prefix = QStringLiteral("&%1 ").arg(index + 1);
        for (QAction *action : menu->actions()) {
            if (action->text().startsWith(prefix)) {
                action->trigger();
                Settle();
                return;
            }
        }
        FAIL() << "no menu entry " << index + 1;
    }

    // Double-clicks picture `row` of the picture list after entering a memo.
    void PutPicture(TextMemo *memo, int row) {
        memo->setFocus();
        Settle();
        auto *pictures = Child<QListWidget>("LBGraphic");
        ASSERT_LT(row, pictures->count());
        pictures->setCurrentRow(row);
        const QRect item = pictures->visualItemRect(pictures->item(row));
        DoubleClick(pictures->viewport(), item.center());
        Settle();
    }

    void WriteTwoPictures() {
        WritePicture(QStringLiteral("Kreuz.bmp"), 40, 40,
                     [](int x, int y) { return (x > 17 && x < 23) || (y > 10 && y < 16); });
        WritePicture(QStringLiteral("Rose.bmp"), 30, 60,
                     [](int x, int y) { return (x - 15) * (x - 15) + (y - 30) * (y - 30) < 100; });
    }
};

TEST_F(EditorTest, LengthBelowTheFieldShowsTheLimitAndIsStoredAfterAnyEdit) {
    StoreFormat(0, QStringLiteral("Kurz"), [](TJob &job) { job.Laenge = 100; });
    StoreFormatCount(1);
    Start();
    ChooseFormat(0);
    TJob *job = form->currentJob();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->Name.str(), QStringLiteral("Kurz"));
    EXPECT_EQ(Child<QSpinBox>("edLaenge")->text(), QStringLiteral("250"));
    EXPECT_EQ(job->Laenge, 100) << "loading alone does not change the ribbon";

    Child<QCheckBox>("CBShadow")->click();
    EXPECT_EQ(job->Laenge, 250);
}

TEST_F(EditorTest, UpSideStylePressesItsButtonChecksOnlyItsItemAndBlocksFlip) {
    StoreFormat(0, QStringLiteral("Quer"), [](TJob &job) { job.Stil = UpSide; });
    StoreFormatCount(1);
    Start();
    ChooseFormat(0);
    EXPECT_FALSE(Child<QToolButton>("SBtnAlign")->isChecked());
    EXPECT_FALSE(Child<QToolButton>("SBtnCenter")->isChecked());
    EXPECT_TRUE(Child<QToolButton>("SBtnUpSide")->isChecked());
    EXPECT_FALSE(Action("MenuAlign")->isChecked());
    EXPECT_FALSE(Action("MenuCenter")->isChecked());
    EXPECT_TRUE(Action("MenuUpSide")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>("CBFlip")->isEnabled());
    EXPECT_TRUE(Child<QSpinBox>("edRand")->isEnabled());

    // Back to the first style by the button: flip comes back, the menu follows.
    Child<QToolButton>("SBtnAlign")->click();
    EXPECT_EQ(form->currentJob()->Stil, Align);
    EXPECT_TRUE(Action("MenuAlign")->isChecked());
    EXPECT_FALSE(Action("MenuUpSide")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>("CBFlip")->isEnabled());
}

TEST_F(EditorTest, CentredRibbonNeedsAPictureForItsMargin) {
    WriteTwoPictures();
    StoreFormat(0, QStringLiteral("Mitte"), [](TJob &job) { job.Stil = Center; });
    StoreFormatCount(1);
    Start();
    ChooseFormat(0);
    auto *margin = Child<QSpinBox>("edRand");
    EXPECT_FALSE(margin->isEnabled());
    EXPECT_FALSE(Child<QSpinBox>("edBildBreiteL")->isEnabled());

    PutPicture(Child<TextMemo>("MTextLeft"), 1);
    EXPECT_EQ(form->currentJob()->BildNameLinks.str(), QStringLiteral("Kreuz.bmp"));
    EXPECT_TRUE(margin->isEnabled());
    EXPECT_TRUE(Child<QSpinBox>("edBildBreiteL")->isEnabled());
    EXPECT_FALSE(Child<QSpinBox>("edBildBreiteR")->isEnabled());

    // "Ohne Bild" takes the picture away again.
    PutPicture(Child<TextMemo>("MTextLeft"), 0);
    EXPECT_TRUE(form->currentJob()->BildNameLinks.isEmpty());
    EXPECT_FALSE(margin->isEnabled());
}

TEST_F(EditorTest, PictureOnTheRightGoesToTheRightEndAndFocusReturns) {
    WriteTwoPictures();
    Start();
    auto *right = Child<TextMemo>("MTextRight");
    PutPicture(right, 2);
    EXPECT_EQ(form->currentJob()->BildNameRechts.str(), QStringLiteral("Rose.bmp"));
    EXPECT_TRUE(form->currentJob()->BildNameLinks.isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), right);
    EXPECT_TRUE(Child<QSpinBox>("edBildAbstandR")->isEnabled());
}

TEST_F(EditorTest, PictureWidthOfTheEndWithoutPictureFollowsTheOtherEnd) {
    WriteTwoPictures();
    Start();
    PutPicture(Child<TextMemo>("MTextLeft"), 1);
    auto *left = Child<QSpinBox>("edBildBreiteL");
    auto *right = Child<QSpinBox>("edBildBreiteR");
    ASSERT_EQ(left->value(), 40);
    QTest::keyClick(left, Qt::Key_Up);
    EXPECT_EQ(left->value(), 41);
    EXPECT_EQ(right->value(), 41);
    EXPECT_EQ(form->currentJob()->BildBreiteLinks, 41);
    EXPECT_EQ(form->currentJob()->BildBreiteRechts, 41);

    // With a picture at both ends each keeps its own width.
    PutPicture(Child<TextMemo>("MTextRight"), 2);
    QTest::keyClick(left, Qt::Key_Up);
    EXPECT_EQ(form->currentJob()->BildBreiteLinks, 42);
    EXPECT_EQ(form->currentJob()->BildBreiteRechts, 41);
}

TEST_F(EditorTest, TypingWritesTheTextAtOnceAndRedrawsOnlyThatRibbon) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("x"));
    Child<QToolButton>("SBtnNew")->click();
    Settle();
    ASSERT_EQ(form->JobCount(), 2);

    QSignalSpy redrawn(Child<QListView>("LBJobs")->model(), &QAbstractItemModel::dataChanged);
    TypeInto(memo, QStringLiteral("I"));
    EXPECT_EQ(form->JobAt(1)->TextLeft.lines(), QStringList{QStringLiteral("I")});
    ASSERT_EQ(redrawn.count(), 1);
    const auto first = redrawn.at(0).at(0).value<QModelIndex>();
    const auto last = redrawn.at(0).at(1).value<QModelIndex>();
    EXPECT_EQ(first.row(), 1);
    EXPECT_EQ(last.row(), 1);

    QTest::keyClick(memo, Qt::Key_Return);
    TypeInto(memo, QStringLiteral("N"));
    EXPECT_EQ(form->JobAt(1)->TextLeft.lines(),
              (QStringList{QStringLiteral("I"), QStringLiteral("N")}));
    EXPECT_EQ(form->JobAt(0)->TextLeft.lines(), QStringList{QStringLiteral("x")});
}

TEST_F(EditorTest, PrintingIsOfferedOnceAnyRibbonHasText) {
    Start();
    auto *print = Child<QToolButton>("SBtnPrint");
    EXPECT_FALSE(print->isEnabled());
    EXPECT_FALSE(Action("Print")->isEnabled());
    TypeInto(Child<TextMemo>("MTextRight"), QStringLiteral("R"));
    EXPECT_TRUE(print->isEnabled());
    EXPECT_TRUE(Action("Print")->isEnabled());
    QTest::keyClick(Child<TextMemo>("MTextRight"), Qt::Key_Backspace);
    EXPECT_FALSE(print->isEnabled());
}

TEST_F(EditorTest, CtrlZInAMemoChoosesTheCentredStyle) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("Ruhe"));
    memo->setFocus();
    Settle();
    ASSERT_EQ(QApplication::focusWidget(), memo);
    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(form->currentJob()->Stil, Center);
    EXPECT_TRUE(Child<QToolButton>("SBtnCenter")->isChecked());
    EXPECT_TRUE(Action("MenuCenter")->isChecked());
    EXPECT_FALSE(Action("MenuAlign")->isChecked());
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Ruhe")) << "no undo in the memo";

    // The same from the commission field, and Ctrl+Q / Ctrl+B.
    auto *commission = Child<TextField>("edKommission");
    commission->setFocus();
    Settle();
    QTest::keyClick(commission, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(form->currentJob()->Stil, UpSide);
    QTest::keyClick(commission, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(form->currentJob()->Stil, Align);
}

TEST_F(EditorTest, CompatibilityModeShowsTheNoticeAndKeepsTheRightText) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("MaxLaenge"), 25000);
    Start();
    EXPECT_EQ(Child<QSpinBox>("edLaenge")->maximum(), 2500);
    auto *right = Child<TextMemo>("MTextRight");
    EXPECT_FALSE(right->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>("CBFlip")->isEnabled());

    TJob *job = form->currentJob();
    ASSERT_TRUE(job->TextRight.set({QStringLiteral("Letzter Gru\u00DF")}));
    form->LoadJob();
    EXPECT_EQ(right->lines(),
              (QStringList{QStringLiteral("Der Kompatibilit\u00E4tsmodus unterst\u00FCtzt"),
                           QStringLiteral("keinen beidseitigen Druck.")}));
    TypeInto(Child<TextMemo>("MTextLeft"), QStringLiteral("In Liebe"));
    EXPECT_EQ(job->TextLeft.lines(), QStringList{QStringLiteral("In Liebe")});
    EXPECT_EQ(job->TextRight.lines(), QStringList{QStringLiteral("Letzter Gru\u00DF")});
}

TEST_F(EditorTest, CompatibilityModeWithoutALengthLimitKeepsTheShortestRibbon) {
    Settings().writeInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 4);
    Start();
    EXPECT_EQ(Child<QSpinBox>("edLaenge")->maximum(), 250);
    EXPECT_EQ(form->currentJob()->Laenge, 250);
}

// Names of every family are typed and pasted as they are; only characters
// that would break a file (control characters) are refused, whole, and said.
TEST_F(EditorTest, EveryScriptIsTakenButControlCharactersAreRefusedAndNamed) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("Gru\u00DF \u20AC \u0141ucja \u041E\u043B\u044C\u0433\u0430"));
    EXPECT_EQ(
        form->currentJob()->TextLeft.lines(),
        QStringList{QStringLiteral("Gru\u00DF \u20AC \u0141ucja \u041E\u043B\u044C\u0433\u0430")});
    auto *commission = Child<TextField>("edKommission");
    TypeInto(commission, QStringLiteral("\u015E\u0131"));
    EXPECT_EQ(form->currentJob()->Kommission.str(), QStringLiteral("\u015E\u0131"));

    memo->clear();
    QApplication::clipboard()->setText(QStringLiteral("Ruhe sanft,\u0007 Ma\u0142gorzata"));
    memo->paste();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_TRUE(form->statusBar()->currentMessage().contains(
        QStringLiteral("Der eingef\u00FCgte Text wurde nicht \u00FCbernommen")));
    commission->clear();
    commission->paste();
    EXPECT_TRUE(commission->text().isEmpty());
    EXPECT_TRUE(form->statusBar()->currentMessage().contains(
        QStringLiteral("Der eingef\u00FCgte Text wurde nicht \u00FCbernommen")));
    // The window keeps the size the editor was designed for.
    EXPECT_EQ(form->minimumSize(), TMainForm::MinimumWindowSize);
}

// Letters of any script come in however they are entered: typed, from an
// input method (an accent committed on its own joins its letter), pasted from
// a mail or a web page (cleaned of no-break spaces, soft hyphens, zero-width
// spaces, line breaks); one letter of two halves is one letter, not a paste;
// the phrase list's type-ahead finds a phrase by its first letter in any case.
TEST_F(EditorTest, LettersOfEveryScriptComeInTypedComposedOrPasted) {
    data.writeFile(QStringLiteral("RIBOLANT.TXT"),
                   QByteArray("Zum Abschied\r\n\xC9milie\r\n\x8A\xE1rka\r\n"));
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("\u0141ucja Da"));
    CommitInto(memo, QStringLiteral("\u0328"));
    TypeInto(memo, QStringLiteral("browska"));
    QTest::keyClick(memo, Qt::Key_Return);
    CommitInto(memo, QStringLiteral("Jose\u0301"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("\u0141ucja D\u0105browska\nJos\u00E9"));
    EXPECT_EQ(
        form->currentJob()->TextLeft.lines(),
        (QStringList{QStringLiteral("\u0141ucja D\u0105browska"), QStringLiteral("Jos\u00E9")}));

    // A rose at the limit is one letter too many, typed, not pasted.
    memo->setPlainText(QString(TextMemo::MaxLength, QLatin1Char('a')));
    memo->moveCursor(QTextCursor::End);
    QKeyEvent rose(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\U0001F339"));
    QApplication::sendEvent(memo, &rose);
    EXPECT_EQ(memo->toPlainText(), QString(TextMemo::MaxLength, QLatin1Char('a')));
    EXPECT_EQ(form->statusBar()->currentMessage().trimmed(), TooLongMessage(TextMemo::MaxLength));

    struct Paste {
        const char *what;
        QString plain, html;
        QString memo, field;
    };
    const Paste pastes[] = {
        // A browser gives the text too, with what the HTML spaces and hyphens were.
        {"web page", QStringLiteral("Oma\u00A0Anna\n\nBlu\u00ADmen\u200Bgru\u00DF"),
         QStringLiteral("<p>Oma&nbsp;Anna</p><p>Blu&shy;men&#8203;gru\u00DF</p>"),
         QStringLiteral("Oma Anna\n\nBlumengru\u00DF"), QStringLiteral("Oma Anna Blumengru\u00DF")},
        {"HTML only",
         {},
         QStringLiteral("<p>Oma&nbsp;Anna</p><p>Blu&shy;men&#8203;gru\u00DF</p>"),
         QStringLiteral("Oma Anna\nBlumengru\u00DF"),
         {}},
        {"mail",
         QStringLiteral("\u0141ucja\u00A0D\u0105browska\r\n\u015E\u00FCkr\u00FC\r\n"),
         {},
         QStringLiteral("\u0141ucja D\u0105browska\n\u015E\u00FCkr\u00FC\n"),
         QStringLiteral("\u0141ucja D\u0105browska \u015E\u00FCkr\u00FC")},
    };
    auto *commission = Child<TextField>("edKommission");
    for (const Paste &paste : pastes) {
        for (QWidget *target : {static_cast<QWidget *>(memo), static_cast<QWidget *>(commission)}) {
            auto *mime = new QMimeData;
            if (!paste.plain.isEmpty())
                mime->setText(paste.plain);
            if (!paste.html.isEmpty())
                mime->setHtml(paste.html);
            QApplication::clipboard()->setMimeData(mime);
            if (target == memo) {
                memo->clear();
                memo->paste();
                EXPECT_EQ(memo->toPlainText(), paste.memo) << paste.what;
            } else if (!paste.field.isEmpty()) {
                commission->clear();
                commission->paste();
                EXPECT_EQ(commission->text(), paste.field) << paste.what;
            }
        }
    }
    commission->clear();
    CommitInto(commission, QStringLiteral("S\u0327"));
    EXPECT_EQ(commission->text(), QStringLiteral("\u015E"));

    auto *list = Child<QListWidget>("LBTexte");
    const auto jumpTo = [&](const std::function<void()> &type) {
        list->setFocus();
        list->setCurrentRow(0);
        QTest::qWait(QApplication::keyboardInputInterval() + 100);
        type();
        Settle();
        return list->currentItem() ? list->currentItem()->text() : QString();
    };
    EXPECT_EQ(jumpTo([&] { TypeInto(list, QStringLiteral("\u0161")); }),
              QStringLiteral("\u0160\u00E1rka"));
    EXPECT_EQ(jumpTo([&] { CommitInto(list, QStringLiteral("E\u0301")); }),
              QStringLiteral("\u00C9milie"));
}

TEST_F(EditorTest, CtrlHFitsTheLettersAndSaysSo) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("In stiller Trauer und Dankbarkeit"));
    EXPECT_TRUE(form->statusBar()->currentMessage().contains(QStringLiteral("zu lang")));
    const int before = form->currentJob()->FontGroesse;
    QTest::keyClick(memo, Qt::Key_H, Qt::ControlModifier);
    const int after = form->currentJob()->FontGroesse;
    EXPECT_LT(after, before);
    EXPECT_EQ(Child<QSpinBox>("edFontSize")->value(), after);
    EXPECT_EQ(form->statusBar()->currentMessage().trimmed(),
              QStringLiteral("Schrifth\u00F6he auf %1 mm gesetzt: der Text passt.").arg(after));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("In stiller Trauer und Dankbarkeit"));
}

TEST_F(EditorTest, MemoTakesAtMost256StoredCharactersAndSaysSo) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    memo->setPlainText(QString(253, QLatin1Char('a')));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);  // a line break takes two: 255
    TypeInto(memo, QStringLiteral("b"));
    EXPECT_EQ(memo->toPlainText().size(), 255);
    TypeInto(memo, QStringLiteral("c"));
    EXPECT_EQ(memo->toPlainText(), QString(253, QLatin1Char('a')) + QStringLiteral("\nb"));
    EXPECT_FALSE(form->statusBar()->currentMessage().trimmed().isEmpty());
}

TEST_F(EditorTest, ARefusedCharacterStaysSaidUntilTheUserTypesOnOrClicks) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    memo->setFocus();
    Settle();
    TypeInto(memo, QStringLiteral("In stiller Trauer und Dankbarkeit"));
    const auto status = [this] { return form->statusBar()->currentMessage(); };
    ASSERT_TRUE(status().contains(QStringLiteral("zu lang"))) << status().toStdString();

    CommitInto(memo, QStringLiteral("\u2028"));
    ASSERT_TRUE(status().contains(QStringLiteral("\u2028")));
    // The pointer passing over a control, the ribbon checked again and a
    // Shift pressed on its own leave the refusal standing.
    QStatusTipEvent hover(QStringLiteral("L\u00F6scht die aktuelle Schleife."));
    QApplication::sendEvent(form.get(), &hover);
    emit Child<JobEditor>("JobEditor")->changed();
    QTest::keyClick(memo, Qt::Key_Shift);
    Settle();
    EXPECT_TRUE(status().contains(QStringLiteral("\u2028"))) << status().toStdString();

    // Typing on: the ribbon's own message comes back.
    TypeInto(memo, QStringLiteral("!"));
    EXPECT_TRUE(status().contains(QStringLiteral("zu lang"))) << status().toStdString();
    QApplication::sendEvent(form.get(), &hover);
    EXPECT_EQ(status(), QStringLiteral(" L\u00F6scht die aktuelle Schleife."));

    // A click anywhere ends it as well.
    CommitInto(memo, QStringLiteral("\u2028"));
    ASSERT_TRUE(status().contains(QStringLiteral("\u2028")));
    ClickJobRow(0);
    EXPECT_FALSE(status().contains(QStringLiteral("\u2028"))) << status().toStdString();
}

TEST_F(EditorTest, KeyboardOpensTheMenusTheColourDialogAndTheCommands) {
    Start();
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("Ruhe"));
    // Alt+F and Alt+I open their menus every time, although the labels
    // "Schrift&farbe:" and "Bild l&inks:" carry the same letters.
    const std::array<std::pair<Qt::Key, const char *>, 2> menus{
        {{Qt::Key_F, "MenuFormat"}, {Qt::Key_I, "MenuInfo"}}};
    for (const auto &[key, name] : menus) {
        for (int round = 0; round < 3; ++round) {
            memo->setFocus();
            Settle();
            QTest::keyClick(memo, key, Qt::AltModifier);
            Settle();
            auto *menu = Child<QMenu>(name);
            EXPECT_TRUE(menu->isVisible()) << name << " round " << round;
            menu->hide();
            form->menuBar()->setActiveAction(nullptr);
            Settle();
        }
    }
    // The fields keep their own letters.
    QTest::keyClick(memo, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Child<QSpinBox>("edLaenge"));

    // Ctrl+N makes a new ribbon, from a text field too.
    memo->setFocus();
    Settle();
    QTest::keyClick(memo, Qt::Key_N, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(form->JobCount(), 2);

    // Enter on "..." opens the text colour dialog.
    auto *colour = Child<QToolButton>("BtnFontColor");
    colour->setFocus();
    Settle();
    QString opened;
    WhenModal([&opened](QWidget *dialog) {
        opened = QString::fromLatin1(dialog->metaObject()->className());
        dialog->close();
    });
    QTest::keyClick(colour, Qt::Key_Return);
    Settle();
    EXPECT_EQ(opened, QStringLiteral("TDlgTextColor"));
}

TEST_F(EditorTest, ScreenReadersHearEveryControlByItsLabelAndTheListsByTheirTexts) {
    Start();
    TypeInto(Child<TextMemo>("MTextLeft"), QStringLiteral("Ruhe sanft"));
    TypeInto(Child<TextMemo>("MTextRight"), QStringLiteral("Deine Kinder"));
    const auto name = [](QWidget *widget) {
        QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(widget);
        return spoken ? spoken->text(QAccessible::Name) : QString();
    };
    // Every control the keyboard reaches has a name (the inner edit box of a
    // spin field or list belongs to its field).
    for (QWidget *widget : form->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(form.get()) || !(widget->focusPolicy() & Qt::TabFocus) ||
            qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) ||
            qobject_cast<QComboBox *>(widget->parentWidget()))
            continue;
        EXPECT_FALSE(name(widget).trimmed().isEmpty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
    const std::pair<const char *, const char *> named[] = {
        {"edLaenge", "L\u00E4nge"},
        {"edBreite", "Breite"},
        {"edRand", "Rand"},
        {"edFontSize", "Schrifth\u00F6he"},
        {"BtnFontColor", "Schriftfarbe"},
        {"edKommission", "Kommission"},
        {"CBShadow", "Schatten"},
        {"MTextLeft", "Text links/zentriert"},
        {"MTextRight", "Text rechts"},
        {"CBFlip", "kopfstehend"},
        {"edBildBreiteL", "Bild links: Bildbreite"},
        {"edBildAbstandL", "Bild links: Abstand"},
        {"edBildBreiteR", "Bild rechts: Bildbreite"},
        {"edBildAbstandR", "Bild rechts: Abstand"},
        {"SBtnNew", "Neue Schleife"},
        {"SBtnPrint", "Drucken"},
        {"SBtnDelete", "L\u00F6schen"},
        {"SBtnAlign", "Rand b\u00FCndig"},
        {"SBtnCenter", "Zentriert"},
        {"SBtnUpSide", "Quer b\u00FCndig"},
        {"LBJobs", "Schleifen"},
        {"LBGraphic", "Bilder"},
        {"LBTexte", "Textliste"},
    };
    for (const auto &[object, expected] : named)
        EXPECT_EQ(name(Child<QWidget>(object)), QString::fromUtf8(expected)) << object;
    // A drop-down list says the face chosen; its label comes by relation.
    QAccessibleInterface *faces =
        QAccessible::queryAccessibleInterface(Child<QComboBox>("CBFontName"));
    QStringList labels;
    for (const auto &[label, relation] : faces->relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    EXPECT_EQ(labels, QStringList{QStringLiteral("Schriftart:")});

    // List items are read as what they show.
    const auto item = [](QWidget *list, int row) {
        QAccessibleInterface *items = QAccessible::queryAccessibleInterface(list);
        QAccessibleInterface *cell = items ? items->child(row) : nullptr;
        return cell ? cell->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(item(Child<QWidget>("LBJobs"), 0), QStringLiteral("Ruhe sanft / Deine Kinder"));
    EXPECT_EQ(item(Child<QWidget>("LBGraphic"), 0), QStringLiteral("Ohne Bild"));
    // A phrase of two lines is read as its words.
    auto *left = Child<TextMemo>("MTextLeft");
    QTest::keyClick(left, Qt::Key_Return);
    TypeInto(left, QStringLiteral("in Liebe"));
    QTest::mouseClick(left->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    Settle();
    EXPECT_EQ(item(Child<QWidget>("LBTexte"), 0), QStringLiteral("Ruhe sanft in Liebe"));
}

// The typeface list shows at a glance which faces cannot print the ribbon's
// texts, and says which letter they lack; the chosen face's mark shows with
// the list closed, and the status bar says it too.
TEST_F(EditorTest, TypefaceListMarksTheFacesThatLackALetterOfTheTexts) {
    Start();
    auto *faces = Child<QComboBox>("CBFontName");
    const int oldania = faces->findText(QStringLiteral("Oldania ADF Std"));
    const int dejavu = faces->findText(QStringLiteral("DejaVu Sans"));
    ASSERT_GE(oldania, 0);
    ASSERT_GE(dejavu, 0);
    auto *memo = Child<TextMemo>("MTextLeft");
    TypeInto(memo, QStringLiteral("Ruhe \u271d \u0416\u0430\u043d\u043d\u0430"));
    faces->showPopup();  // opened, the list has its marks at once
    const QString lacks = QStringLiteral(
        "Die Schrift \u201eOldania ADF Std\u201c hat kein \u201e\u0416\u201c, "
        "\u201e\u0430\u201c, \u201e\u043d\u201c.");
    EXPECT_EQ(faces->itemData(oldania, Qt::ToolTipRole).toString(), lacks);
    EXPECT_FALSE(faces->itemIcon(oldania).isNull());
    EXPECT_EQ(faces->itemData(oldania, Qt::AccessibleTextRole).toString(),
              QStringLiteral("Oldania ADF Std, hat kein \u201e\u0416\u201c, \u201e\u0430\u201c, "
                             "\u201e\u043d\u201c"));
    EXPECT_FALSE(faces->itemData(dejavu, Qt::ToolTipRole).isValid());
    EXPECT_TRUE(faces->itemIcon(dejavu).isNull());
    faces->hidePopup();

    faces->setCurrentIndex(oldania);
    Settle();
    EXPECT_EQ(faces->itemText(oldania), QStringLiteral("Oldania ADF Std"));
    EXPECT_EQ(faces->toolTip(), lacks);
    EXPECT_EQ(faces->accessibleDescription(), lacks);
    EXPECT_EQ(form->statusBar()->currentMessage(), QLatin1Char(' ') + lacks);

    // Texts the face has: the mark goes a moment after the typing.
    memo->selectAll();
    TypeInto(memo, QStringLiteral("Ruhe sanft \u271d"));
    QTRY_VERIFY(!faces->itemData(oldania, Qt::ToolTipRole).isValid());
    EXPECT_TRUE(faces->itemIcon(oldania).isNull());
    EXPECT_TRUE(faces->toolTip().isEmpty());
}

TEST_F(EditorTest, HintsGoToTheStatusBarAfterOneBlank) {
    Start();
    QStatusTipEvent tip(QStringLiteral("L\u00F6scht die aktuelle Schleife."));
    QApplication::sendEvent(form.get(), &tip);
    EXPECT_EQ(form->statusBar()->currentMessage(),
              QStringLiteral(" L\u00F6scht die aktuelle Schleife."));
    auto *button = Child<QToolButton>("SBtnDelete");
    EXPECT_EQ(button->toolTip(), QStringLiteral("L\u00F6schen"));
    EXPECT_EQ(button->statusTip(), QStringLiteral("L\u00F6scht die aktuelle Schleife."));
    EXPECT_EQ(button->toolTipDuration(), 6000);
}

// Loading and storing are separate functions: neither may forget or swap a
// field. Every value shown goes back unchanged; in compatibility mode the
// right text stays the ribbon's own.
TEST(JobEditorTest, StoringWhatWasLoadedGivesBackEveryValue) {
    struct Case {
        bool compatibility;
        QStringList rightStored;
    };
    const QStringList right{QStringLiteral("Ruhe sanft")};
    const QStringList kept{QStringLiteral("vorher")};
    for (const Case &c : {Case{false, right}, Case{true, kept}}) {
        JobEditor editor;
        editor.CBFontName->addItems({QStringLiteral("Face A"), QStringLiteral("Face B")});
        TJob shown;
        shown.FontName.set(QStringLiteral("Face B"));
        shown.TextLeft.set({QStringLiteral("In Liebe"), QStringLiteral("Familie")});
        shown.TextRight.set(right);
        shown.Kommission.set(QStringLiteral("K-17"));
        shown.Flip = false;
        shown.Shadow = false;
        shown.FontGroesse = 95;
        shown.FontFarbe = 0x01000005;
        shown.Laenge = 1505;
        shown.Breite = 120;
        shown.Rand = 25;
        shown.BildNameLinks.set(QStringLiteral("Kreuz.bmp"));
        shown.BildNameRechts.set(QStringLiteral("Rose.bmp"));
        shown.BildBreiteLinks = 50;
        shown.BildBreiteRechts = 60;
        shown.BildAbstandLinks = 20;
        shown.BildAbstandRechts = 10;
        editor.load(shown, c.compatibility);

        TJob stored;
        stored.TextRight.set(kept);
        editor.store(stored, c.compatibility);
        EXPECT_EQ(stored.FontName.str(), shown.FontName.str());
        EXPECT_EQ(stored.TextLeft.lines(), shown.TextLeft.lines());
        EXPECT_EQ(stored.TextRight.lines(), c.rightStored) << c.compatibility;
        EXPECT_EQ(stored.Kommission.str(), shown.Kommission.str());
        EXPECT_EQ(stored.Flip, shown.Flip);
        EXPECT_EQ(stored.Shadow, shown.Shadow);
        EXPECT_EQ(stored.FontGroesse, shown.FontGroesse);
        EXPECT_EQ(stored.FontFarbe, shown.FontFarbe);
        EXPECT_EQ(stored.Laenge, shown.Laenge);
        EXPECT_EQ(stored.Breite, shown.Breite);
        EXPECT_EQ(stored.Rand, shown.Rand);
        EXPECT_EQ(stored.BildBreiteLinks, shown.BildBreiteLinks);
        EXPECT_EQ(stored.BildBreiteRechts, shown.BildBreiteRechts);
        EXPECT_EQ(stored.BildAbstandLinks, shown.BildAbstandLinks);
        EXPECT_EQ(stored.BildAbstandRechts, shown.BildAbstandRechts);
    }
}

}  // namespace

// "Symbol einfügen…" (Format menu and a memo's context menu) puts the sign
// chosen with the keyboard at the cursor of the memo entered last, the left
// one before any, as typing would: Esc puts nothing, a full memo refuses it.
TEST_F(EditorTest, InsertSymbolPutsTheChosenSignIntoTheMemoEnteredLast) {
    Start();
    auto *left = Child<TextMemo>("MTextLeft");
    auto *right = Child<TextMemo>("MTextRight");
    const auto insertWith = [this](QAction *entry, std::vector<Qt::Key> keys) {
        WhenModal([keys](QWidget *dialog) {
            auto *symbols = dialog->findChild<QListWidget *>(QStringLiteral("LBSymbols"));
            ASSERT_NE(symbols, nullptr);
            for (const Qt::Key key : keys)
                QTest::keyClick(symbols, key);
        });
        entry->trigger();
        Settle();
        // The window system gives the window back its activation.
        form->activateWindow();
        Settle();
    };
    QAction *menuEntry = Action("InsertSymbol");

    insertWith(menuEntry, {Qt::Key_Return});
    EXPECT_EQ(left->toPlainText(), QStringLiteral("\u271D"));
    TypeInto(left, QStringLiteral(" Ruhe"));
    TypeInto(right, QStringLiteral("Frieden"));
    right->setFocus();
    Settle();
    right->moveCursor(QTextCursor::Start);
    insertWith(menuEntry, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Return});
    EXPECT_EQ(right->toPlainText(), QStringLiteral("\u2020Frieden"));
    EXPECT_EQ(form->JobAt(0)->TextRight.lines(), QStringList{QStringLiteral("\u2020Frieden")});
    EXPECT_EQ(left->toPlainText(), QStringLiteral("\u271D Ruhe"));
    insertWith(menuEntry, {Qt::Key_Right, Qt::Key_Escape});
    EXPECT_EQ(right->toPlainText(), QStringLiteral("\u2020Frieden"));

    const std::unique_ptr<QMenu> context(left->createContextMenu(QPoint(2, 2)));
    QAction *contextEntry = context->findChild<QAction *>(QStringLiteral("InsertSymbol"));
    ASSERT_NE(contextEntry, nullptr);
    left->moveCursor(QTextCursor::End);
    insertWith(contextEntry, {Qt::Key_Return});
    EXPECT_EQ(left->toPlainText(), QStringLiteral("\u271D Ruhe\u271D"));

    const QString full(TextMemo::MaxLength, QLatin1Char('a'));
    left->setPlainText(full);
    form->statusBar()->clearMessage();
    insertWith(menuEntry, {Qt::Key_Return});
    EXPECT_EQ(left->toPlainText(), full);
    EXPECT_FALSE(form->statusBar()->currentMessage().trimmed().isEmpty());
}
