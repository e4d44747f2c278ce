#pragma once

#include <QString>

enum class LengthUnit { None, Millimetres, Metres };

// A length as the German texts show it: a decimal comma, no thousands
// separator, rounded to `decimals` places with the zeros at their end left
// out: "1500 mm", "203,2 mm", "5,3 m". LengthUnit::None gives the number alone,
// for a text that names the unit once for two sizes ("210 × 297 mm").
QString GermanLength(double value, LengthUnit unit, int decimals = 1);
