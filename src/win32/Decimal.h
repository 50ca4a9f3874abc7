#pragma once
// A number in decimal digits, without the C runtime's printf, whose formatting machinery would
// weigh more than the rest of a small module.
#include <string>

inline std::wstring Decimal(unsigned long long n) {
    wchar_t digits[24];
    wchar_t *at = digits + 24;
    do {
        *--at = static_cast<wchar_t>(L'0' + n % 10);
        n /= 10;
    } while (n);
    return std::wstring(at, digits + 24);
}
