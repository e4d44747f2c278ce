#pragma once

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "spell/SpellChecker.h"
#include "spell/SpellDictionary.h"

class QActionGroup;
class QMenu;
class QPoint;
class QWidget;
class SpellHighlighter;
class TextMemo;
class TJob;

// The spelling check of the main window: underlines in the two memos, the
// memos' context menu for an unknown word, the menu "&Rechtschreibung" and the
// choice kept in RIBOLANT.INI. The dictionary and the user's words are
// loaded off the GUI thread; until they are there nothing is underlined. Made
// once as the window's child.
class SpellingSupport : public QObject {
    Q_OBJECT
public:
    SpellingSupport(QWidget *window, const QList<TextMemo *> &memos, QMenu *formatMenu,
                    const QStringList &phrases);
    ~SpellingSupport() override;

    // The window's spelling support, or null.
    static SpellingSupport *of(QWidget *window);

    SpellChecker &checker() { return checker_; }
    void setPhrases(const QStringList &phrases);

    // The dictionary code chosen ("de_DE"), or "Aus"; choosing writes it into
    // RIBOLANT.INI and loads that dictionary.
    QString chosen() const { return chosen_; }
    void choose(const QString &code);
    // Waits for a dictionary still being loaded (the print command must not
    // pass over words only because the load has not ended).
    void waitForDictionary();

    // Puts the suggestions, "Zum Wörterbuch hinzufügen" and "Ignorieren" at
    // the top of a memo's context menu when the word at pos (viewport
    // coordinates) is unknown.
    void addWordActions(QMenu *menu, TextMemo *memo, const QPoint &pos);

    // The unknown words of ribbon texts, each once, in text order.
    QStringList unknownWords(const QList<QStringList> &texts);
    // "Unbekannte Wörter in den Schleifen 1, 3: Träuer, Gruss. Trotzdem
    // drucken?", naming at most five words; the ribbons are numbered from 1.
    static QString PrintQuestion(const QStringList &words, const QList<int> &ribbons);

    static constexpr int MaxSuggestions = 6;

signals:
    void dictionaryLoaded();
    // Something the user should know about the spelling files (for the
    // status bar).
    void notice(const QString &text);

private:
    // What is loaded off the GUI thread: the dictionary and the user's words.
    struct Loaded {
        std::shared_ptr<SpellDictionary> dictionary;
        QStringList userWords;
        bool userWordsCapped = false;
    };

    void load(const std::optional<DictionaryFiles> &files);
    void rehighlight();
    void addToUserDictionary(const QString &word);
    void showContextMenu(TextMemo *memo, const QPoint &pos);

    QWidget *window_;
    SpellChecker checker_;
    QList<TextMemo *> memos_;
    QList<SpellHighlighter *> highlighters_;
    QList<DictionaryFiles> installed_;
    QActionGroup *languages_ = nullptr;
    QString chosen_;
    QFutureWatcher<Loaded> *loading_ = nullptr;
    QStringList addedWords_;  // added during this run, kept over a new load
    bool cappedTold_ = false;
};

// The print command's spelling check: the unknown words of the texts a
// ribbon prints (the right ones not in the compatibility mode nor in the
// centred style); none without the window's spelling support.
std::function<QStringList(const TJob &)> PrintSpellingCheck(QWidget *window, bool rightTexts);
