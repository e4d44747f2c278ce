// RIBOLANT.TXT as a user may leave it: every phrase read is one line, survives
// the memo and back, is written again and reads back the same.
#include <QFile>

#include "model/DataFolder.h"
#include "model/FileError.h"
#include "model/PhraseFile.h"
#include "model/UnicodeText.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t pick = input.byte();
    const QString path = PhraseFilePath();
    WriteRawFile(path, input.restBytes());

    const QStringList phrases = LoadPhraseFile(path);
    for (const QString &phrase : phrases) {
        FUZZ_CHECK(!phrase.contains(QLatin1Char('\r')) && !phrase.contains(QLatin1Char('\n')) &&
                   !phrase.contains(QChar(0)));
        // Into a memo and stored again: the same phrase.
        FUZZ_CHECK(EncodePhrase(DecodePhrase(phrase)) == phrase);
    }

    PhraseList list;
    list.assign(phrases);
    FUZZ_CHECK(list.size() == phrases.size());
    for (qsizetype i = 1; i < list.size(); ++i)
        FUZZ_CHECK(list.phrases()[i - 1].compare(list.phrases()[i], Qt::CaseInsensitive) <= 0);

    // Every phrase read can be written, and reads back in list order; no NUL
    // byte is written back.
    try {
        SavePhraseFile(path, list.phrases());
    } catch (const FileWriteError &) {
        FUZZ_CHECK(!"phrases read from the file can be written back");
    }
    FUZZ_CHECK(LoadPhraseFile(path) == list.phrases());
    const QByteArray written = ReadRawFile(path);
    FUZZ_CHECK(!written.contains('\0'));
    FUZZ_CHECK(written.count("\r\n") == list.size());

    // Storing a memo holding a phrase adds nothing new when the phrase is listed
    // already (its first 255 letters otherwise, unless a control character the
    // file held keeps it out of a memo).
    if (!phrases.isEmpty()) {
        const QString phrase = phrases[pick % phrases.size()];
        const qsizetype before = list.size();
        const qsizetype at = list.storeMemoText(DecodePhrase(phrase));
        if (phrase.size() <= 255)
            FUZZ_CHECK(at == -1 && list.size() == before);
        const QString stored = UnicodeText::firstLetters(UnicodeText::composed(phrase), 255);
        if (UnicodeText::acceptable(stored))
            FUZZ_CHECK(list.containsIgnoringCase(stored));
        else
            FUZZ_CHECK(at == -1);
    }
    return 0;
}
