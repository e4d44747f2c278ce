#include <gtest/gtest.h>

#include "model/Cp1252.h"

namespace {

TEST(Cp1252Test, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xE4], QChar(0x00E4));
    QByteArray back;
    ASSERT_TRUE(Cp1252::encode(text, &back));
    EXPECT_EQ(back, all);
}

TEST(Cp1252Test, UmlautKeysAreSingleBytes) {
    QByteArray bytes;
    ASSERT_TRUE(Cp1252::encode(QStringLiteral("FontGröße"), &bytes));
    EXPECT_EQ(bytes.toHex(), QByteArray("466f6e744772f6df65"));
}

TEST(Cp1252Test, RefusesWhatItCannotHold) {
    QByteArray out;
    EXPECT_FALSE(Cp1252::encode(QStringLiteral("Zoë and Łódź"), &out));
    EXPECT_EQ(Cp1252::firstUnencodable(QStringLiteral("Zoë and Łódź")), 8);
    EXPECT_TRUE(Cp1252::canEncode(QStringLiteral("Zoë – „gut“ ™")));
    EXPECT_FALSE(Cp1252::canEncode(QChar(0x2192)));
}

}  // namespace
