#include <gtest/gtest.h>

#include "model/Lengths.h"

TEST(LengthsTest, GermanLengthHasACommaNoThousandsSeparatorAndNoTrailingZeros) {
    const struct {
        double value;
        LengthUnit unit;
        int decimals;
        const char *text;
    } cases[] = {
        {1500, LengthUnit::Millimetres, 1, "1500 mm"},
        {203.2, LengthUnit::Millimetres, 1, "203,2 mm"},
        {100, LengthUnit::Millimetres, 1, "100 mm"},  // zeros before the comma stay
        {5.3, LengthUnit::Metres, 1, "5,3 m"},
        {5.3, LengthUnit::Metres, 2, "5,3 m"},
        {12345.67, LengthUnit::Metres, 2, "12345,67 m"},
        {1234.96, LengthUnit::None, 1, "1235"},  // rounded up to a whole number
        {498.54, LengthUnit::None, 1, "498,5"},
        {210, LengthUnit::None, 0, "210"},
        {-0.04, LengthUnit::None, 1, "0"},
        {-12.5, LengthUnit::Millimetres, 1, "-12,5 mm"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GermanLength(c.value, c.unit, c.decimals), QString::fromUtf8(c.text))
            << c.value << " " << c.decimals;
}
