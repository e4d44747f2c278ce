#pragma once

#include <QString>
#include <QStringList>

// RIBOLANT.TXT: one phrase per line, Windows-1252. Inside a phrase each line
// break of the memo text is written as two backslashes, so a phrase is always
// one line.
//
// A phrase Windows-1252 cannot hold goes into RIBOLANT.TXT as its
// approximation (see Approximation), which the Windows version lists; its
// exact text goes into the companion file RIBOLANT.UTF8.TXT beside it: UTF-8,
// one line per such phrase, "<fingerprint of the approximation's line> <exact
// phrase>", LF line ends. Reading gives a line of RIBOLANT.TXT the exact
// phrase of an entry with its fingerprint (each entry once); a line the
// Windows version has removed leaves its entry unused, and the next save
// drops it. Without such phrases the companion file does not exist.

// Memo text → phrase: every line break (CR LF, or a lone LF or CR as Qt's
// editors give them) becomes two backslashes; nothing else changes.
QString EncodePhrase(const QString &memoText);
// Phrase → memo text: every pair of backslashes, scanned from the left without
// overlap, becomes a line break ("\n", the editors' line break).
QString DecodePhrase(const QString &phrase);

// The phrases of the file in file order. A line ends at CR LF, a lone CR or a
// lone LF; the final line break gives no extra phrase. A NUL byte is left out
// and the text around it kept: written back, it would end the text for the
// Windows version, which would lose every phrase after it. A missing or
// unreadable file gives an empty list.
QStringList LoadPhraseFile(const QString &path);
QStringList ParsePhrases(const QByteArray &bytes, const QByteArray &companion = QByteArray());

// The companion file of a phrase file: "RIBOLANT.TXT" → "RIBOLANT.UTF8.TXT".
QString PhraseCompanionPath(const QString &phrasePath);

// How many NUL bytes reading leaves out.
qsizetype DroppedPhraseBytes(const QByteArray &bytes);

// Writes each phrase followed by CR LF, replacing the file atomically (the
// companion file first, when it changes). Throws
// FileWriteError("Datei \"<path>\" kann nicht erstellt werden. <reason>").
// Returns false when nothing needed writing (the file already held these
// bytes); *inPlace as for WriteFileAtomically.
bool SavePhraseFile(const QString &path, const QStringList &phrases, bool *inPlace = nullptr);

// The phrases on disk with one window's edits applied: phrases of `now` that
// were not in `read` are added (unless the disk has one equal without regard
// to case), phrases of `read` no longer in `now` are removed from the disk's
// list (exactly equal ones, one for one), the others stay. Sorted as the
// phrase list keeps them.
QStringList MergePhrases(const QStringList &disk, const QStringList &read, const QStringList &now);

// The phrase list as the list box keeps it: sorted without regard to case.
class PhraseList {
public:
    // Sorts a list as loaded from the file; duplicates are kept.
    void assign(const QStringList &phrases);
    const QStringList &phrases() const { return phrases_; }
    qsizetype size() const { return phrases_.size(); }

    // Adds a phrase in its sorted place; returns its position, or -1 when the
    // phrase is refused (a control character, a line break or NUL).
    qsizetype add(const QString &phrase);
    bool containsIgnoringCase(const QString &phrase) const;
    void removeAt(qsizetype index);

    // Stores a memo's text: encoded, cut to 255 letters, not added when an
    // equal phrase (without regard to case) is listed. Returns the position of
    // the new phrase, or -1 when nothing was added.
    qsizetype storeMemoText(const QString &memoText);

private:
    QStringList phrases_;
};
