#include <benchmark/benchmark.h>
#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <memory>

#include "spell/SpellDictionary.h"
#include "ui/AppWindows.h"
#include "ui/Main.h"
#include "ui/SpellSupport.h"
#include "ui/TextMemo.h"

namespace {

void Key(QWidget *memo, Qt::Key key, const QString &text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(memo, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(memo, &release);
}

// One letter typed and taken back in a memo of five lines, the other memo
// holding five more: the editor's write-back and the re-check of the line,
// with checking on (1) and off (0).
void KeystrokeInMemo(benchmark::State &state) {
    auto form = std::make_unique<TMainForm>();
    CreateAppWindows(*form);
    form->show();
    QCoreApplication::processEvents();
    SpellingSupport *spelling = SpellingSupport::of(form.get());
    spelling->choose(state.range(0) ? QStringLiteral("de_DE") : SpellingOff);
    spelling->waitForDictionary();
    auto *left = form->findChild<TextMemo *>(QStringLiteral("MTextLeft"));
    auto *right = form->findChild<TextMemo *>(QStringLiteral("MTextRight"));
    left->setPlainText(
        QStringLiteral("In stiller Trauer nehmen wir Abschied\nvon unserer lieben "
                       "Schwieger-Mutter\nOma und Uroma K\u00e4the\nWir werden "
                       "dich nie vergessen\nDeine Kinder und Enkel"));
    right->setPlainText(
        QStringLiteral("Ein letzter Gruss\nvon deinen Nachbarn\nRuhe sanft\nIn "
                       "Liebe\nFamilie Meier"));
    QCoreApplication::processEvents();
    left->setFocus();
    QTextCursor cursor = left->textCursor();
    cursor.setPosition(left->document()->findBlockByNumber(2).position() + 3);
    left->setTextCursor(cursor);
    for (auto _ : state) {
        Key(left, Qt::Key_E, QStringLiteral("e"));
        Key(left, Qt::Key_Backspace, QString());
    }
    state.counters["checking"] = spelling->checker().checking();
    form->close();
}
BENCHMARK(KeystrokeInMemo)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
