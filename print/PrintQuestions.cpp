#include "print/PrintQuestions.h"

#include "print/PrintCommand.h"

namespace {

constexpr int NamedRibbons = 20;

QString AtRibbons(const QList<int> &numbers) {
    return numbers.size() == 1 ? QStringLiteral("Bei 1 Schleife")
                               : QStringLiteral("Bei %1 Schleifen").arg(numbers.size());
}

}  // namespace

bool ProtectsPaper(PrintQuestion::Kind kind) {
    switch (kind) {
        case PrintQuestion::DoesNotFit:
        case PrintQuestion::NoFreeSizes:
            return true;
        case PrintQuestion::UnknownWords:
        case PrintQuestion::ByWidth:
        case PrintQuestion::NextRoll:
            return false;
    }
    return true;
}

bool UnattendedAnswers::ask(const PrintQuestion &question) {
    if (question.kind == PrintQuestion::ByWidth)
        return byWidth_;
    if (yesToAll_)
        return true;
    if (!ProtectsPaper(question.kind))
        return true;
    if (declined_.isEmpty())
        declined_ = question.text;
    return false;
}

QString RibbonNumbers(const QList<int> &numbers) {
    QStringList named;
    for (qsizetype i = 0; i < numbers.size() && i < NamedRibbons; ++i)
        named << QString::number(numbers.at(i));
    QString text = named.join(QStringLiteral(", "));
    if (numbers.size() > NamedRibbons)
        text += QStringLiteral(", \u2026");
    return text;
}

QString UnfittingRibbonsQuestion(const QList<int> &numbers, const QList<int> &lackingLetters) {
    QStringList sentences;
    if (!numbers.isEmpty())
        sentences << QStringLiteral("%1 passt der Text nicht: %2.")
                         .arg(AtRibbons(numbers), RibbonNumbers(numbers));
    if (!lackingLetters.isEmpty())
        sentences << QStringLiteral("%1 hat die Schrift nicht alle Buchstaben des Textes: %2.")
                         .arg(AtRibbons(lackingLetters), RibbonNumbers(lackingLetters));
    sentences << QStringLiteral("Trotzdem drucken?");
    return sentences.join(QLatin1Char(' '));
}

QString LeftOutByWidthNotice(const QList<int> &numbers) {
    return WidthMismatchMessage() +
           (numbers.size() == 1 ? QStringLiteral("\n\nNicht gedruckt wird Schleife %1.")
                                : QStringLiteral("\n\nNicht gedruckt werden die Schleifen %1."))
               .arg(RibbonNumbers(numbers));
}

QString UnknownWordsQuestion(const QStringList &words, const QList<int> &ribbons) {
    QString named = words.mid(0, NamedUnknownWords).join(QStringLiteral(", "));
    if (words.size() > NamedUnknownWords)
        named += QStringLiteral(" und %1 weitere").arg(words.size() - NamedUnknownWords);
    const QString where = ribbons.size() == 1 ? QStringLiteral(" in Schleife %1")
                                              : QStringLiteral(" in den Schleifen %1");
    return QStringLiteral("Unbekannte W\u00F6rter%1: %2. Trotzdem drucken?")
        .arg(ribbons.isEmpty() ? QString() : where.arg(RibbonNumbers(ribbons)), named);
}

QString ByWidthQuestion(const QStringList &widthLines) {
    return QStringLiteral(
               "Die Schleifen sind unterschiedlich breit:\n%1\n\nNach Breiten "
               "nacheinander drucken? Vor jeder weiteren Breite wird nach der Rolle "
               "gefragt. Mit \u201eNein\u201c wird nur die erste Breite gedruckt.")
        .arg(widthLines.join(QLatin1Char('\n')));
}
