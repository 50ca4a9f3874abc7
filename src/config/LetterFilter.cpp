#include "config/LetterFilter.h"

#include <windows.h>

namespace LetterFilter {
int16_t Filter(int16_t code) {
    // A single-byte character of the ANSI code page takes the platform's upper case;
    // a double-byte code (negative) is no letter A..Z in any case.
    if (code > 0 && code <= 0xFF) {
        char c = static_cast<char>(code);
        CharUpperBuffA(&c, 1);
        code = static_cast<unsigned char>(c);
    }
    return (code >= 'A' && code <= 'Z') ? code : 0;
}
}
