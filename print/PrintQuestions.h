#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a print asks before paper is used. The window answers with its
// dialogs; a run with nobody at the screen answers by a fixed rule.
struct PrintQuestion {
    enum Kind {
        UnknownWords,  // words the dictionary does not know
        DoesNotFit,    // a text that does not fit, or letters the face lacks
        ByWidth,       // several widths: print them one after the other?
        NoFreeSizes,   // the queue would crop the pages to its own paper
        NextRoll,      // before the next width's ribbons: the roll is in?
    };
    Kind kind;
    QString text;  // the question in the florist's words, as a dialog shows it
};

// Whether the answer "no" protects paper: a run without a person declines
// these, and reports the question as its reason.
bool ProtectsPaper(PrintQuestion::Kind kind);

// The one who answers a print's questions.
class PrintQuestions {
public:
    virtual ~PrintQuestions() = default;
    // True for yes (print, or go on).
    virtual bool ask(const PrintQuestion &question) = 0;
    // Something the florist should know before the paper is used (ribbons
    // the width rule leaves out); no answer.
    virtual void inform(const QString &) {}
    // The run is about to use the printer (true) or has stopped using it.
    virtual void busy(bool) {}
};

// The answers of a print service or a script: no to every question that
// protects paper, unless told to say yes to all. Unknown words never stop
// such a print (surnames are rarely in a dictionary); several widths are
// printed one after the other as each its own print, or only the first
// width, as the caller wants; there is no roll to ask about.
class UnattendedAnswers : public PrintQuestions {
public:
    explicit UnattendedAnswers(bool yesToAll = false, bool byWidth = true)
        : yesToAll_(yesToAll), byWidth_(byWidth) {}
    bool ask(const PrintQuestion &question) override;
    void inform(const QString &text) override { notes_ << text; }

    // The first question answered no, empty when none was.
    const QString &declined() const { return declined_; }
    const QStringList &notes() const { return notes_; }

private:
    bool yesToAll_;
    bool byWidth_;
    QString declined_;
    QStringList notes_;
};

// The ribbons of a run named by their numbers in the list, counted from 1:
// "2, 5, 7"; a long list ends after the first twenty with "…".
QString RibbonNumbers(const QList<int> &numbers);

// "Bei 3 Schleifen passt der Text nicht: 2, 5, 7. Trotzdem drucken?"; the
// ribbons whose face lacks letters of their texts get a sentence of their own
// before the question: "Bei 1 Schleife hat die Schrift nicht alle Buchstaben
// des Textes: 4."
QString UnfittingRibbonsQuestion(const QList<int> &numbers, const QList<int> &lackingLetters = {});

// The information about the ribbons the width rule will leave out: its
// message and their numbers.
QString LeftOutByWidthNotice(const QList<int> &numbers);

// "Unbekannte Wörter in Schleife 2: Dvořák, Łucja. Trotzdem drucken?"; the
// first few words are named, the rest counted.
QString UnknownWordsQuestion(const QStringList &words, const QList<int> &ribbons);
constexpr int NamedUnknownWords = 5;

// "Die Schleifen sind unterschiedlich breit: … Nach Breiten nacheinander drucken? …"
QString ByWidthQuestion(const QStringList &widthLines);
