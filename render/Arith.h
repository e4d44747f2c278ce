#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>

// Overflow-checked 32-bit arithmetic of the renderer. An overflow throws
// RenderOverflow, which ends the drawing of the current job.
class RenderOverflow : public std::overflow_error {
public:
    RenderOverflow() : std::overflow_error("integer overflow while drawing") {}
    explicit RenderOverflow(const char *what) : std::overflow_error(what) {}
};

inline std::int32_t Add(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        throw RenderOverflow();
    return r;
}
inline std::int32_t Sub(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_sub_overflow(a, b, &r))
        throw RenderOverflow();
    return r;
}
inline std::int32_t Mul(std::int32_t a, std::int32_t b) {
    std::int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        throw RenderOverflow();
    return r;
}
// Halving that truncates toward zero.
inline std::int32_t Div2(std::int32_t a) {
    return a / 2;
}
inline std::int32_t Div(std::int32_t a, std::int32_t b) {
    if (b == 0)
        throw RenderOverflow("division by zero while drawing");
    if (a == INT32_MIN && b == -1)
        throw RenderOverflow();
    return a / b;
}

// 64-bit product divided by the divisor, rounded to nearest with halves away
// from zero; a divisor of 0 gives -1.
inline std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    std::int64_t d = denominator;
    std::int64_t p = product;
    if (d < 0) {
        d = -d;
        p = -p;
    }
    const std::int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
    if (q > INT32_MAX || q < INT32_MIN)
        return -1;
    return std::int32_t(q);
}

// Round half to even.
inline std::int32_t RoundEven(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        throw RenderOverflow();
    return std::int32_t(r);
}
