// Order files as shop systems may send them, CSV, JSON or ribbon file (the
// first byte chooses the file name, and so the format): the reader either
// gives orders or one fault, never both, never a crash; every order has a
// number and at least one ribbon with text, and the list they make can be
// saved and read back.
#include <QSet>

#include "model/Job.h"
#include "model/OrderFile.h"
#include "model/RibbonFile.h"
#include "model/UnicodeText.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    static const QString names[] = {QStringLiteral("auftrag.csv"), QStringLiteral("auftrag.json"),
                                    QStringLiteral("auftrag.ini"), QStringLiteral("auftrag")};
    const QString &fileName = names[input.byte() % 4];
    const QByteArray bytes = input.restBytes();
    TJob format;
    format.Name.set(QStringLiteral("F"));
    format.Breite = 120;
    const StoredFormatLookup lookup = [&format](const QString &name) -> const TJob * {
        return name == QStringLiteral("F") ? &format : nullptr;
    };
    const OrderFileResult result = ReadOrderFile(bytes, fileName, lookup);

    if (!result.ok()) {
        FUZZ_CHECK(result.orders.empty());
        FUZZ_CHECK(result.error->startsWith(fileName + QLatin1Char(':')));
        FUZZ_CHECK(result.error->size() > fileName.size() + 2);
        // One line, as it goes into the order's reason file.
        FUZZ_CHECK(!result.error->contains(QLatin1Char('\n')) &&
                   !result.error->contains(QLatin1Char('\r')));
        return 0;
    }

    FUZZ_CHECK(!result.orders.empty());
    QSet<QString> numbers;
    std::vector<const TJob *> jobs;
    for (const Order &order : result.orders) {
        FUZZ_CHECK(!order.number.isEmpty());
        FUZZ_CHECK(!numbers.contains(order.number));
        numbers.insert(order.number);
        FUZZ_CHECK(!order.ribbons.empty());
        for (const auto &ribbon : order.ribbons) {
            FUZZ_CHECK(ribbon != nullptr);
            FUZZ_CHECK(ribbon->HasText());
            FUZZ_CHECK(!ribbon->Kommission.isEmpty());
            FUZZ_CHECK(ribbon->Section == order.number);
            FUZZ_CHECK(ribbon->Stil == Align || ribbon->Stil == Center || ribbon->Stil == UpSide);
            for (const QString &line : ribbon->TextLeft.lines())
                FUZZ_CHECK(UnicodeText::acceptable(line));
            for (const QString &line : ribbon->TextRight.lines())
                FUZZ_CHECK(UnicodeText::acceptable(line));
            jobs.push_back(ribbon.get());
        }
    }
    FUZZ_CHECK(jobs.size() <= std::size_t(MaxRibbons));

    // What the list takes in, it can keep against a crash.
    QByteArray saved;
    QString error;
    FUZZ_CHECK(RibbonFileBytes(jobs, &saved, &error));
    const RibbonFileResult back = ReadRibbonFile(saved, QStringLiteral("liste.ini"));
    FUZZ_CHECK(back.ok() && back.ribbons.size() == jobs.size());
    // Lines come back as they were, unless a backslash beside a line break
    // makes two backslashes that the phrase encoding reads as a break.
    auto plain = [](const TextLines &text) {
        return !text.lines().join(QLatin1Char('\n')).contains(QLatin1Char('\\'));
    };
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (plain(jobs[i]->TextLeft))
            FUZZ_CHECK(back.ribbons[i].job->TextLeft == jobs[i]->TextLeft);
        if (plain(jobs[i]->TextRight))
            FUZZ_CHECK(back.ribbons[i].job->TextRight == jobs[i]->TextRight);
    }
    return 0;
}
